// The whole program, with one thread, on the case in run_case/: the first line of the input
// names a file of the case (run.nml, param.nml, input/sources.txt, ...) and the rest of the
// input replaces it; every file of the case is written afresh into the scratch directory
// for each input. A stop with a message is an answer; an internal error (an exception
// other than the run's own stops) is a finding.
#include <cstdio>
#include <map>
#include <sstream>

#include "fuzz_support.h"
#include "init/read_config.h"
#include "run.h"

namespace {

using namespace kadre;
namespace fs = std::filesystem;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::map<std::string, std::string> files = fuzz::load_case();
  const fuzz::InScratch in_scratch;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t eol = input.find('\n');
  if (eol == std::string_view::npos || !files.count(std::string(input.substr(0, eol)))) return -1;
  const std::string replaced(input.substr(0, eol));
  fs::create_directories("input");
  fs::create_directories("output");
  for (const auto& [name, text] : files) fuzz::write_file(name, name == replaced ? input.substr(eol + 1) : text);
  try {
    if (!fuzz::stays_inside(read_config("run.nml", fuzz::discard()))) return -1;
  } catch (const RunError&) {
    return 0;
  }
  std::ostringstream out;
  if (run({"run.nml", "1"}, out, fuzz::discard()) != 0 && out.str().find("Vnitrni chyba programu") != std::string::npos) {
    std::fputs(out.str().c_str(), stderr);
    std::abort();
  }
  return 0;
}

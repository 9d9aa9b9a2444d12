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

std::map<std::string, std::string> load_case() {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(fuzz::case_file(""))) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[fs::relative(entry.path(), fuzz::case_file("")).generic_string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// Every path of the configuration relative and without "..": the run neither reads (say
// /dev/zero) nor writes outside the scratch directory.
bool stays_inside(const Settings& c) {
  for (const std::string* path :
       {&c.iputdir, &c.oputdir, &c.vyskopis_file, &c.ref_body_file, &c.zdroje_file, &c.zdroje_popis_file,
        &c.ruzice_file, &c.time_file, &c.emis_time_file, &c.chl_v_file, &c.output_ref_p, &c.output_stats,
        &c.output_time, &c.groups_file}) {
    const std::size_t first = path->find_first_not_of(' ');
    if (path->find("..") != std::string::npos || (first != std::string::npos && ((*path)[first] == '/' || (*path)[first] == '\\')))
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::map<std::string, std::string> files = load_case();
  const fuzz::InScratch in_scratch;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t eol = input.find('\n');
  if (eol == std::string_view::npos || !files.count(std::string(input.substr(0, eol)))) return -1;
  const std::string replaced(input.substr(0, eol));
  fs::create_directories("input");
  fs::create_directories("output");
  for (const auto& [name, text] : files) fuzz::write_file(name, name == replaced ? input.substr(eol + 1) : text);
  try {
    if (!stays_inside(read_config("run.nml", fuzz::discard()))) return -1;
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

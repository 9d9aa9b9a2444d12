// The whole program, with one thread, on the case in run_case/: the first line of the input
// names a file of the case (run.nml, param.nml, input/sources.txt, ...) and the rest of the
// input replaces it; every file of the case is written afresh into the scratch directory
// for each input. A stop with a message is an answer; an internal error (an exception
// other than the run's own stops) is a finding.
#include <cstdio>
#include <sstream>

#include "driver/run.h"
#include "fuzz_case.h"

using namespace kadre;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InScratch in_scratch;
  const fuzz::CaseInput prepared = fuzz::write_case({reinterpret_cast<const char*>(data), size});
  if (prepared != fuzz::CaseInput::ready) return prepared == fuzz::CaseInput::ignored ? -1 : 0;
  std::ostringstream out;
  if (run({"run.nml", "1"}, out, fuzz::discard()) != 0 &&
      out.str().find("Vnitrni chyba programu") != std::string::npos) {
    std::fputs(out.str().c_str(), stderr);
    std::abort();
  }
  return 0;
}

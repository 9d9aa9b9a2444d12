#include "run.h"

#include <omp.h>

#include "errors.h"
#include "run_sequence.h"

namespace kadre {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    run_sequence(args, out, err);
    return 0;
  } catch (const RunError& e) {
    out.flush();
    (e.to_stderr() ? err : out) << e.console_text();
    (e.to_stderr() ? err : out).flush();
    return 1;
  }
}

}  // namespace kadre

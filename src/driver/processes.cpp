#include "driver/processes.h"

#include <cstdio>

namespace kadre {

void Processes::agree(std::exception_ptr failure) {
  if (failure) std::rethrow_exception(failure);
}

void Processes::report_progress(int finished_here, int total, std::ostream& out) {
  char line[64];
  std::snprintf(line, sizeof line, "\r   - spocten ref. bod c. %9d/%9d", finished_here, total);
  out << line << std::flush;
}

Processes& single_process() {
  // Without state of its own: every call behaves the same, so one object serves all runs.
  static Processes one;
  return one;
}

}  // namespace kadre

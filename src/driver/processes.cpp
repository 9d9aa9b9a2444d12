#include "driver/processes.h"

#include <cstdio>
#include <utility>

namespace kadre {

void Processes::agree(std::exception_ptr failure) {
  if (failure) std::rethrow_exception(failure);
}

namespace {
constexpr std::chrono::seconds kQuietInterval{1};
}

ProgressLine::ProgressLine(std::ostream& out, bool every_point, Clock clock)
    : out_(out), every_point_(every_point), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::chrono::steady_clock::now(); };
}

void ProgressLine::show(int finished, int total) {
  if (every_point_ || finished == total) {
    print(finished, total);
    return;
  }
  const auto now = clock_();
  if (shown_once_ && now - last_ < kQuietInterval) return;
  last_ = now;
  print(finished, total);
}

void ProgressLine::finish(int finished, int total) {
  if (finished > 0 && !(shown_once_ && shown_ == finished)) print(finished, total);
}

void ProgressLine::print(int finished, int total) {
  char line[64];
  std::snprintf(line, sizeof line, "\r   - spocten ref. bod c. %9d/%9d", finished, total);
  out_ << line << std::flush;
  shown_once_ = true;
  shown_ = finished;
}

void Processes::report_progress(int finished_here, int total, ProgressLine& line) {
  line.show(finished_here, total);
}

Processes& single_process() {
  // Without state of its own: every call behaves the same, so one object serves all runs.
  static Processes one;
  return one;
}

}  // namespace kadre

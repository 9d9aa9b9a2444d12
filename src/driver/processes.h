#pragma once
// The processes of a run. A run is one process unless mpirun started several; everything
// that crosses processes goes through this interface, whose base is the single process, so
// that a run without mpirun takes exactly the path it took before.
#include <chrono>
#include <cstddef>
#include <exception>
#include <functional>
#include <ostream>
#include <vector>

namespace kadre {

// The progress line "   - spocten ref. bod c. <n>/<total>", each time after a carriage
// return. On a terminal it is shown after every point; otherwise (a file, a pipe) at most once
// per second and for the last point, so that a log holds a few lines instead of one per point.
class ProgressLine {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // clock paces the line when it is not shown after every point (a test may step it); empty
  // means the steady clock.
  ProgressLine(std::ostream& out, bool every_point, Clock clock = {});
  // finished of total points are done.
  void show(int finished, int total);
  // At the end of the computation: the count reached, unless it is on the console already.
  void finish(int finished, int total);

 private:
  void print(int finished, int total);
  std::ostream& out_;
  bool every_point_;
  Clock clock_;
  bool shown_once_ = false;
  int shown_ = 0;
  std::chrono::steady_clock::time_point last_{};
};

class Processes {
 public:
  virtual ~Processes() = default;
  virtual int rank() const { return 0; }
  virtual int size() const { return 1; }
  bool first() const { return rank() == 0; }

  // Collective: whether any process has a failure.
  virtual bool any(bool failed) { return failed; }
  // Collective: a failure in any process stops every process with the message of the first
  // failing one (the first process prints it); without failure it returns.
  virtual void agree(std::exception_ptr failure);

  // The progress line, from inside the lock of the finishing worker: points finished here
  // so far of all points of the run.
  virtual void report_progress(int finished_here, int total, ProgressLine& line);
  // After the points of this process: the points finished in all processes (the first
  // process waits for the others' count).
  virtual int finish_progress(int finished_here, int /*total*/, ProgressLine& /*line*/) {
    return finished_here;
  }

  // Collective: the parts of a table into the first process's table, which holds the whole
  // table with its own part (the first) in place; the others' tables hold their part. starts
  // holds the first element of every process's part and the end (size() + 1 offsets).
  virtual void gather(std::vector<double>& /*table*/, const std::vector<std::size_t>& /*starts*/) {}
};

// The single process of a run that mpirun did not start.
Processes& single_process();

}  // namespace kadre

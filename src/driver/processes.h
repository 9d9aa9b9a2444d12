#pragma once
// The processes of a run. A run is one process unless mpirun started several; everything
// that crosses processes goes through this interface, whose base is the single process, so
// that a run without mpirun takes exactly the path it took before.
#include <cstddef>
#include <exception>
#include <ostream>
#include <vector>

namespace kadre {

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
  virtual void report_progress(int finished_here, int total, std::ostream& out);
  // After the points of this process: the points finished in all processes (the first
  // process waits for the others' count).
  virtual int finish_progress(int finished_here, int /*total*/, std::ostream& /*out*/) {
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

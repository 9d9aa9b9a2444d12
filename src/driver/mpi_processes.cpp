#include "driver/mpi_processes.h"

#include <mpi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <numeric>

#include "core/errors.h"
#include "driver/run.h"

namespace kadre {

namespace {

constexpr int kProgressTag = 1, kDoneTag = 2, kMessageTag = 3, kPartTag = 4;
// Values of a table sent at once: far below the int count of an MPI message.
constexpr std::size_t kPartChunk = std::size_t{1} << 24;
// The other processes tell their progress at most this often.
constexpr std::chrono::milliseconds kProgressInterval{200};

class MpiProcesses : public Processes {
 public:
  MpiProcesses() {
    MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
    MPI_Comm_size(MPI_COMM_WORLD, &size_);
    counts_.assign(static_cast<std::size_t>(size_), 0);
  }
  int rank() const override { return rank_; }
  int size() const override { return size_; }

  bool any(bool failed) override {
    int mine = failed ? 1 : 0, all = 0;
    MPI_Allreduce(&mine, &all, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
    return all != 0;
  }

  void agree(std::exception_ptr failure) override {
    int mine = failure ? rank_ : size_, first_failing = size_;
    MPI_Allreduce(&mine, &first_failing, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
    if (first_failing == size_) return;
    RunError stop("");
    if (rank_ == first_failing) stop = as_run_error(failure);
    if (first_failing != 0 && (rank_ == first_failing || rank_ == 0)) {
      // The message goes to the first process, which alone prints.
      std::string text = stop.console_text();
      int header[2] = {static_cast<int>(text.size()), stop.to_stderr() ? 1 : 0};
      if (rank_ == first_failing) {
        MPI_Send(header, 2, MPI_INT, 0, kMessageTag, MPI_COMM_WORLD);
        MPI_Send(text.data(), header[0], MPI_CHAR, 0, kMessageTag, MPI_COMM_WORLD);
      } else {
        MPI_Recv(header, 2, MPI_INT, first_failing, kMessageTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
        text.resize(static_cast<std::size_t>(header[0]));
        MPI_Recv(text.data(), header[0], MPI_CHAR, first_failing, kMessageTag, MPI_COMM_WORLD,
                 MPI_STATUS_IGNORE);
        stop = RunError(text, header[1] != 0);
      }
    }
    throw stop;
  }

  void report_progress(int finished_here, int total, ProgressLine& line) override {
    if (rank_ != 0) {
      const auto now = std::chrono::steady_clock::now();
      if (now - last_sent_ < kProgressInterval) return;
      last_sent_ = now;
      MPI_Send(&finished_here, 1, MPI_INT, 0, kProgressTag, MPI_COMM_WORLD);
      return;
    }
    counts_[0] = finished_here;
    for (int arrived = 1; arrived;) {
      MPI_Status status;
      MPI_Iprobe(MPI_ANY_SOURCE, kProgressTag, MPI_COMM_WORLD, &arrived, &status);
      if (arrived) receive_count(status.MPI_SOURCE, kProgressTag);
    }
    line.show(sum(), total);
  }

  int finish_progress(int finished_here, int total, ProgressLine& line) override {
    if (rank_ != 0) {
      MPI_Send(&finished_here, 1, MPI_INT, 0, kDoneTag, MPI_COMM_WORLD);
      return finished_here;
    }
    counts_[0] = finished_here;
    int shown = -1;
    for (int done = 1; done < size_;) {
      MPI_Status status;
      MPI_Probe(MPI_ANY_SOURCE, MPI_ANY_TAG, MPI_COMM_WORLD, &status);
      receive_count(status.MPI_SOURCE, status.MPI_TAG);
      if (status.MPI_TAG == kDoneTag) ++done;
      if (sum() != shown && sum() > 0) line.show(shown = sum(), total);
    }
    return sum();
  }

  void gather(std::vector<double>& table, const std::vector<std::size_t>& starts) override {
    if (rank_ != 0) {
      for (std::size_t at = 0; at < table.size(); at += kPartChunk)
        MPI_Send(table.data() + at, static_cast<int>(std::min(kPartChunk, table.size() - at)),
                 MPI_DOUBLE, 0, kPartTag, MPI_COMM_WORLD);
      return;
    }
    // Block by block: the first process holds nothing but the table a single process holds.
    std::vector<double>& full = table;
    for (int r = 1; r < size_; ++r) {
      const std::size_t first = starts[static_cast<std::size_t>(r)],
                        end = starts[static_cast<std::size_t>(r) + 1];
      for (std::size_t at = first; at < end; at += kPartChunk)
        MPI_Recv(full.data() + at, static_cast<int>(std::min(kPartChunk, end - at)), MPI_DOUBLE, r,
                 kPartTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    }
  }

 private:
  void receive_count(int source, int tag) {
    MPI_Recv(&counts_[static_cast<std::size_t>(source)], 1, MPI_INT, source, tag, MPI_COMM_WORLD,
             MPI_STATUS_IGNORE);
  }
  int sum() const { return std::accumulate(counts_.begin(), counts_.end(), 0); }

  int rank_ = 0, size_ = 1;
  std::vector<int> counts_;  // first process: the points every process has finished
  std::chrono::steady_clock::time_point last_sent_{};
};

}  // namespace

bool started_by_mpirun() {
  for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE", "PMIX_RANK", "MPI_LOCALNRANKS"})
    if (std::getenv(name) != nullptr) return true;
  return false;
}

int run_with_mpi(const std::vector<std::string>& args, const std::string& program, int& argc,
                 char**& argv, const Embedding& embedding) {
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_SERIALIZED, &provided);
  int status = 1;
  {
    MpiProcesses processes;
    if (provided < MPI_THREAD_SERIALIZED) {
      // Workers report progress from any thread, one at a time.
      if (processes.first()) std::cout << free_form_line("MPI nepodporuje volani z vice vlaken.");
    } else if (processes.first()) {
      status = run(args, std::cout, std::cerr, program, processes, embedding);
    } else {
      std::ostream discard(nullptr);  // only the first process speaks
      status = run(args, discard, discard, program, processes, embedding);
    }
  }
  MPI_Finalize();
  return status;
}

}  // namespace kadre

#include "driver/reference_point_loop.h"

#include <omp.h>

#include <algorithm>
#include <exception>
#include <memory>

#include "core/termination.h"
#include "evaluation/point_evaluation.h"

namespace kadre {

PointBlock whole_run(const std::vector<RefPoint>& ref_points) {
  return PointBlock{0, static_cast<int>(ref_points.size()), 0};
}

void compute_reference_points(const LoopInputs& li, const PointBlock& block,
                              std::vector<ResultTables>& tables, int threads, Processes& processes,
                              int& finished_here, ProgressLine& progress) {
  const int total = static_cast<int>(li.in.ref_points.size());
  finished_here = 0;
  if (total == 0) return;
  const int chunk = std::max(1, ((block.end - block.first) / threads) / 4);
  const std::vector<int> out_column = output_columns(li.in.ref_points);
  const std::vector<SetBatch> batches = set_batches(li.in, sets_per_batch(li));
  std::size_t largest_batch = 0;
  for (const SetBatch& batch : batches) largest_batch = std::max(largest_batch, batch.set_count);
  std::exception_ptr failure;
  std::atomic<bool> failed{false};
  int finished = 0;

#pragma omp parallel num_threads(threads)
  {
    std::unique_ptr<WorkTables> work;
    try {
      work = std::make_unique<WorkTables>(li, largest_batch);
    } catch (...) {
#pragma omp critical(kadre_failure)
      if (!failure) failure = std::current_exception();
      failed = true;
    }
#pragma omp for schedule(dynamic, chunk)
    for (int ip = block.first + 1; ip <= block.end; ++ip) {
      if (failed.load(std::memory_order_relaxed) || !work) continue;
      try {
        stop_if_terminated();
        evaluate_point(li, ip, block, batches, *work, out_column, tables);
      } catch (...) {
#pragma omp critical(kadre_failure)
        if (!failure) failure = std::current_exception();
        failed = true;
        continue;
      }
#pragma omp critical(kadre_progress)
      processes.report_progress(++finished, total, progress);
    }
  }
  finished_here = finished;
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kadre

#pragma once
// The parallel computation over reference points: every point is evaluated against every
// source on the worker threads; each point writes only its own slots of the result tables.
#include <atomic>
#include <ostream>
#include <vector>

#include "core/records.h"
#include "core/result_tables.h"
#include "driver/processes.h"
#include "evaluation/point_evaluation.h"

namespace kadre {

// The block of every point of the run.
PointBlock whole_run(const std::vector<RefPoint>& ref_points);

// Evaluates the block's reference points on `threads` worker threads, showing the progress
// of the whole run on the progress line. tables holds the block's tables of all sources, then those
// of each group of in.groups. finished_here gets the points this process finished. An error on any
// worker stops the computation and is rethrown here after the block.
void compute_reference_points(const LoopInputs& inputs, const PointBlock& block,
                              std::vector<ResultTables>& tables, int threads, Processes& processes,
                              int& finished_here, ProgressLine& progress);

}  // namespace kadre

#pragma once
// The parallel computation over reference points: every point is evaluated against every
// source on the worker threads; each point writes only its own slots of the result tables.
#include <atomic>
#include <ostream>
#include <vector>

#include "evaluation/daily_maxima.h"
#include "evaluation/time_series_evaluation.h"
#include "evaluation/situation_classes.h"
#include "core/records.h"
#include "core/result_tables.h"
#include "model/dispersion_model.h"
#include "processes.h"

namespace kadre {

// What the computation reads; everything is read-only during the loop.
struct LoopInputs {
  const InputData& in;
  const ModelContext& ctx;
  const WindClasses& wind;
  const ClassSpeedIndex* class_index;  // set when the methodology evaluation is on
  DailyType daily_type;
  bool methodology;
  const HourlySituations* hourly_situations;  // always set; empty without the hourly evaluation
};

// The reference points one process evaluates, [first, end) counted from 0, and the number
// of points with hourly output before them; its result tables hold these points only.
struct PointBlock {
  int first = 0, end = 0;
  int outputs_before = 0;
};

// The block of every point of the run.
PointBlock whole_run(const std::vector<RefPoint>& ref_points);

// Evaluates the block's reference points on `threads` worker threads, printing the progress
// of the whole run to out. tables holds the block's tables of all sources, then those of each
// group of in.groups. finished_here gets the points this process finished. An error on any
// worker stops the computation and is rethrown here after the block.
void compute_reference_points(const LoopInputs& inputs, const PointBlock& block, std::vector<ResultTables>& tables,
                              int threads, Processes& processes, int& finished_here, std::ostream& out);

}  // namespace kadre

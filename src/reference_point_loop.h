#pragma once
// The parallel computation over reference points: every point is evaluated against every
// source on the worker threads; each point writes only its own slots of the result tables.
#include <atomic>
#include <ostream>
#include <vector>

#include "evaluation/daily_maxima.h"
#include "evaluation/situation_classes.h"
#include "core/records.h"
#include "core/result_tables.h"
#include "model/dispersion_model.h"

namespace kadre {

// What the computation reads; everything is read-only during the loop.
struct LoopInputs {
  const InputData& in;
  const ModelContext& ctx;
  const WindClasses& wind;
  const ClassSpeedIndex* class_index;  // set when the methodology evaluation is on
  DailyType daily_type;
  bool methodology;
};

// Evaluates every reference point on `threads` worker threads, printing progress to out.
// tables holds the tables of all sources, then those of each group of in.groups. An error on
// any worker stops the computation and is rethrown here.
void compute_reference_points(const LoopInputs& inputs, std::vector<ResultTables>& tables, int threads,
                              std::ostream& out);

}  // namespace kadre

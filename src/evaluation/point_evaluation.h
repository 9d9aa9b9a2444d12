#pragma once
// The evaluation of one reference point against every source: the running sums of each set
// of sources (all of them, or one group), the class sums, the long-term average and the
// exceedance records, turned at the end of the point into its slots of the result tables.
#include <array>
#include <span>
#include <vector>

#include "core/records.h"
#include "core/result_tables.h"
#include "evaluation/compliance.h"
#include "evaluation/daily_maxima.h"
#include "evaluation/full_rise_heights.h"
#include "evaluation/line_spreads.h"
#include "evaluation/situation_classes.h"
#include "evaluation/time_series_evaluation.h"
#include "evaluation/wind_rose_evaluation.h"
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
  const HourlySituations* hourly_situations;  // always set; empty without the hourly evaluation
  const CompliancePlan* compliance;           // set when the compliance file is written
  const FullRiseHeights* full_rise_heights;   // always set; empty without the hourly evaluation
  // Always set; empty without the wind rose or the vector kernels.
  const FullRiseHeights* rose_full_rise_heights;
  const LineSpreads* line_spreads;
};

// The reference points one process evaluates, [first, end) counted from 0, and the number
// of points with hourly output before them; its result tables hold these points only.
struct PointBlock {
  int first = 0, end = 0;
  int outputs_before = 0;
};

// The running sums of one set of sources (all of them, or one group) at the current point.
struct SetSums {
  std::vector<double> c_t;                   // ntime
  std::vector<double> c, c_d;                // nphi x nu_max x 5
  std::vector<double> c_max, cd_max;         // nphi x 11
  std::vector<double> th_exceed, td_exceed;  // nphi x 11 x 3
  double ave = 0;
  // A source of factor 0 leaves exceeded entries unset for a later source, whether or not
  // it writes there: from then on the exceedance records are checked everywhere.
  bool zero_factor_seen = false;

  void reset() {
    for (auto* v : {&c_t, &c, &c_d, &c_max, &cd_max, &th_exceed, &td_exceed})
      std::fill(v->begin(), v->end(), 0.0);
    ave = 0;
    zero_factor_seen = false;
  }
};

// Work tables of one worker thread, created once and reset per point. What a source gives
// at the point is computed once and added to the sums of every set it belongs to.
struct WorkTables {
  std::vector<double> c_source_t;     // ntime (only with groups)
  RoseWork rose;                      // the columns of a source's situations, one at a time
  std::vector<double> cd_window;      // nphi: the daily values of one window
  std::vector<double> c_all, cd_all;  // nphi x nu_max x 5, where the daily value of +0 is not +0
  std::vector<double> cls, cls_d;     // nphi x 11
  std::array<WrittenWindows, kSituationClassCount> class_windows;  // of the columns cls copies
  std::vector<SetSums> sets;                                       // of the current batch
  PairFactors hourly_factors, rose_factors;  // of the current pair, per evaluation
  HourlyWork hourly;                         // the plumes of the pair's hourly situations
  ComplianceWork compliance;                 // the ranked hours and days of one series

  WorkTables(const LoopInputs& li, std::size_t set_count);
};

// Column of hourly_results of every point with hourly output: its position among those points.
std::vector<int> output_columns(const std::vector<RefPoint>& ref_points);

// Consecutive sets of sources (0: all sources, 1 + g: group g) that a worker sums at one time,
// and the sources that belong to any of them. A source is evaluated once for each batch that
// holds one of its sets; a set still takes its sources in stored order, so its sums are the
// same whatever the batches. Batches keep a worker's tables within a bound however many groups
// there are.
struct SetBatch {
  std::size_t first_set = 0, set_count = 0;
  std::vector<int> sources;         // in stored order
  std::vector<std::size_t> starts;  // the sets of sources[i]: sets[starts[i] .. starts[i + 1])
  std::vector<int> sets;            // counted from first_set

  std::span<const int> sets_of(std::size_t i) const {
    return std::span<const int>(sets).subspan(starts[i], starts[i + 1] - starts[i]);
  }
};

// As many sets as the work tables of one worker may hold at a time, at least one.
std::size_t sets_per_batch(const LoopInputs& li);

// The run's sets in batches of at most sets_per_batch.
std::vector<SetBatch> set_batches(const InputData& in, std::size_t sets_per_batch);

// Evaluates point ip (from 1) of the block against every source with the worker's tables w
// (of as many sets as the largest batch) and stores its results into its slots of tables (all
// sources, then each group). With source_count, only the first source_count sources count (to
// find which one a result depends on).
void evaluate_point(const LoopInputs& li, int ip, const PointBlock& block,
                    const std::vector<SetBatch>& batches, WorkTables& w,
                    const std::vector<int>& out_column, std::vector<ResultTables>& tables,
                    std::size_t source_count = static_cast<std::size_t>(-1));

}  // namespace kadre

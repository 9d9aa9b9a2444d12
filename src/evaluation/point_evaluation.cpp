#include "evaluation/point_evaluation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "evaluation/statistics.h"

namespace kadre {

WorkTables::WorkTables(const LoopInputs& li, std::size_t set_count) : sets(set_count) {
  const Settings& cfg = li.in.cfg;
  const std::size_t hours = static_cast<std::size_t>(li.in.met.ntime);
  const std::size_t situations =
      static_cast<std::size_t>(cfg.nphi) * li.wind.nu_max() * kStabilityClasses;
  const std::size_t classes = static_cast<std::size_t>(cfg.nphi) * kSituationClassCount;
  if (cfg.is_time && set_count > 1) c_source_t.assign(hours, 0.0);
  if (cfg.is_time) hourly = HourlyWork(li.hourly_situations->count, li.in.met.ntime);
  if (li.compliance != nullptr) compliance = ComplianceWork(*li.compliance);
  if (li.methodology) {
    rose = RoseWork(cfg.nphi, li.wind.nu_max());
    cls.assign(classes, 0.0);
    if (cfg.is_daily) {
      cd_window.assign(static_cast<std::size_t>(cfg.nphi), 0.0);
      cls_d.assign(classes, 0.0);
    }
  }
  for (SetSums& set : sets) {
    if (cfg.is_time) set.c_t.assign(hours, 0.0);
    if (!li.methodology) continue;
    set.c.assign(situations, 0.0);
    if (cfg.is_daily) set.c_d.assign(situations, 0.0);
    set.c_max.assign(classes, 0.0);
    set.cd_max.assign(classes, 0.0);
    set.th_exceed.assign(classes * kLimitCount, 0.0);
    set.td_exceed.assign(classes * kLimitCount, 0.0);
  }
}

std::vector<int> output_columns(const std::vector<RefPoint>& ref_points) {
  std::vector<int> column(ref_points.size(), 0);
  int next = 0;
  for (std::size_t i = 0; i < ref_points.size(); ++i)
    if (ref_points[i].has_hourly_output) column[i] = ++next;
  return column;
}

namespace {

// The work tables of all sets of a worker stay within this: enough for a hundred sets of the
// largest usual tables (1 degree sectors, a year of hours), and far from gigabytes for
// thousands of groups.
constexpr std::size_t kSetTablesBudget = std::size_t{64} << 20;

}  // namespace

std::size_t sets_per_batch(const LoopInputs& li) {
  const Settings& cfg = li.in.cfg;
  std::size_t values = 0;
  if (cfg.is_time) values += static_cast<std::size_t>(li.in.met.ntime);
  if (li.methodology) {
    const std::size_t situations =
        static_cast<std::size_t>(cfg.nphi) * li.wind.nu_max() * kStabilityClasses;
    const std::size_t classes = static_cast<std::size_t>(cfg.nphi) * kSituationClassCount;
    values += situations * (cfg.is_daily ? 2 : 1) + classes * (2 + 2 * kLimitCount);
  }
  const std::size_t bytes = std::max<std::size_t>(values * sizeof(double), 1);
  return std::max<std::size_t>(kSetTablesBudget / bytes, 1);
}

std::vector<SetBatch> set_batches(const InputData& in, std::size_t sets_per_batch) {
  const std::size_t set_count = in.groups.size() + 1;
  // The sets of every source, in ascending order: set 0, then its groups in file order.
  std::vector<std::vector<int>> sets_of_source(in.sources.size(), std::vector<int>{0});
  for (std::size_t g = 0; g < in.groups.size(); ++g)
    for (const int k : in.groups[g].members)
      sets_of_source[static_cast<std::size_t>(k)].push_back(static_cast<int>(g) + 1);
  std::vector<SetBatch> batches;
  for (std::size_t first = 0; first < set_count; first += sets_per_batch) {
    SetBatch batch;
    batch.first_set = first;
    batch.set_count = std::min(sets_per_batch, set_count - first);
    const int lo = static_cast<int>(first), hi = static_cast<int>(first + batch.set_count);
    for (std::size_t k = 0; k < sets_of_source.size(); ++k) {
      const std::size_t before = batch.sets.size();
      for (const int set : sets_of_source[k])
        if (set >= lo && set < hi) batch.sets.push_back(set - lo);
      if (batch.sets.size() == before) continue;
      batch.starts.push_back(before);
      batch.sources.push_back(static_cast<int>(k));
    }
    batch.starts.push_back(batch.sets.size());
    batches.push_back(std::move(batch));
  }
  return batches;
}

namespace {

void add_into(std::vector<double>& sum, const std::vector<double>& part) {
  for (std::size_t n = 0; n < sum.size(); ++n) sum[n] += part[n];
}

// Adds each column of a source's situations to the sums c (and its daily values to c_d) of
// the source's sets as it comes, over its windows (+0 elsewhere), and copies the columns of
// the eleven class situations; where the daily value of +0 is not +0, the columns are
// gathered into one table whose daily values are added everywhere afterwards.
// The two loops over every direction of every situation outside the kernels, compiled for
// AVX2 too (chosen at run time where the processor has it): the base instruction set has no
// vector form of their comparisons. Element by element, so the sums are the same either way.
__attribute__((target_clones("avx2", "default"))) bool all_at_most(const double* __restrict values,
                                                                   std::size_t n,
                                                                   double threshold) {
  std::size_t at_most = 0;
  for (std::size_t k = 0; k < n; ++k) at_most += values[k] <= threshold;
  return at_most == n;  // NaN is not at most
}

__attribute__((target_clones("avx2", "default"))) void add_with_scaled(
    const double* __restrict values, std::size_t n, double scale, double* __restrict sum,
    double* __restrict scaled_sum) {
  for (std::size_t k = 0; k < n; ++k) {
    sum[k] += values[k];
    scaled_sum[k] += values[k] * scale;
  }
}

class SituationSums final : public RoseColumnSink {
 public:
  SituationSums(const LoopInputs& li, const Source& source, std::span<const int> sets,
                WorkTables& w)
      : li_(li),
        source_(source),
        sets_(sets),
        w_(w),
        nphi_(static_cast<std::size_t>(li.in.cfg.nphi)),
        is_daily_(li.in.cfg.is_daily),
        daily_sparse_(is_daily_ && daily_keeps_zero(source.daily_hours, li.daily_type)) {
    if (daily_sparse_) linear_ = daily_linear(source.daily_hours, li.daily_type);
    if (is_daily_ && !daily_sparse_) w_.c_all.assign(w_.sets[0].c.size(), 0.0);
    for (WrittenWindows& windows : w_.class_windows) windows.count = -1;  // not copied yet
  }

  void take(std::size_t column, const double* values, const WrittenWindows& written) override {
    const std::size_t base = column * nphi_;
    for (int n = 0; n < written.count; ++n) {
      const std::size_t first = static_cast<std::size_t>(written.windows[n].first);
      const std::size_t end = static_cast<std::size_t>(written.windows[n].second) + 1;
      if (daily_sparse_ && fused_daily(values, base, first, end)) continue;
      for (const int index : sets_) {
        double* sum = w_.sets[static_cast<std::size_t>(index)].c.data() + base;
        for (std::size_t k = first; k < end; ++k) sum[k] += values[k];
      }
      if (!daily_sparse_) continue;
      const std::span<double> window(w_.cd_window.data(), end - first);
      const std::span<const double> part(values + first, end - first);
      if (li_.ctx.options.kernels == KernelPath::vector)
        daily_scaled(part, source_.daily_hours, li_.daily_type, window);
      else
        daily(part, source_.daily_hours, li_.daily_type, window);
      for (const int index : sets_) {
        double* sum = w_.sets[static_cast<std::size_t>(index)].c_d.data() + base + first;
        for (std::size_t k = 0; k < window.size(); ++k) sum[k] += window[k];
      }
    }
    if (is_daily_ && !daily_sparse_)
      std::copy(values, values + nphi_, w_.c_all.begin() + static_cast<std::ptrdiff_t>(base));
    const int nu_max = li_.wind.nu_max();
    for (int m = 0; m < kSituationClassCount; ++m) {
      const SituationClass& sc = kSituationClasses[static_cast<std::size_t>(m)];
      const int j = li_.class_index->speed_class[static_cast<std::size_t>(m)];
      if (static_cast<std::size_t>(sc.stability - 1) * nu_max + static_cast<std::size_t>(j - 1) !=
          column)
        continue;
      std::copy(values, values + nphi_,
                w_.cls.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(m) * nphi_));
      w_.class_windows[static_cast<std::size_t>(m)] = written;
    }
  }

  // After the last column: the daily values of a gathered table, and the class situations no
  // column was copied into (+0).
  void finish() {
    if (is_daily_ && !daily_sparse_) {
      w_.cd_all.resize(w_.c_all.size());
      daily(w_.c_all, source_.daily_hours, li_.daily_type, w_.cd_all);
      for (const int index : sets_)
        add_into(w_.sets[static_cast<std::size_t>(index)].c_d, w_.cd_all);
    }
    for (int m = 0; m < kSituationClassCount; ++m) {
      WrittenWindows& windows = w_.class_windows[static_cast<std::size_t>(m)];
      if (windows.count >= 0) continue;
      std::fill_n(w_.cls.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(m) * nphi_),
                  nphi_, 0.0);
      windows.count = 0;
    }
  }

  bool daily_sparse() const { return daily_sparse_; }

 private:
  // The vector path's sums and daily sums of a window in one pass, where no value of the
  // window lies above the daily relation's threshold (or is no number): the daily value is
  // then the value times the linear scale. Returns false, doing nothing, otherwise.
  bool fused_daily(const double* values, std::size_t base, std::size_t first, std::size_t end) {
    if (li_.ctx.options.kernels != KernelPath::vector || sets_.size() != 1) return false;
    if (!all_at_most(values + first, end - first, linear_.threshold)) return false;
    SetSums& set = w_.sets[static_cast<std::size_t>(sets_[0])];
    add_with_scaled(values + first, end - first, linear_.scale, set.c.data() + base + first,
                    set.c_d.data() + base + first);
    return true;
  }

 private:
  const LoopInputs& li_;
  const Source& source_;
  std::span<const int> sets_;
  WorkTables& w_;
  std::size_t nphi_;
  bool is_daily_, daily_sparse_;
  DailyLinear linear_;
};

// Calls f(begin, end) for the element ranges of the class tables (nphi x 11) written by the
// source: the windows of the columns the classes copy.
template <class F>
void for_each_class_window(const WorkTables& w, int nphi, F&& f) {
  const std::size_t n = static_cast<std::size_t>(nphi);
  for (int m = 0; m < kSituationClassCount; ++m) {
    const WrittenWindows& written = w.class_windows[static_cast<std::size_t>(m)];
    for (int k = 0; k < written.count; ++k)
      f(static_cast<std::size_t>(m) * n + static_cast<std::size_t>(written.windows[k].first),
        static_cast<std::size_t>(m) * n + static_cast<std::size_t>(written.windows[k].second) + 1);
  }
}

// The exceedance records of a set after the source: over the source's class windows, where
// every other entry's sum is as at the previous check (the first check sees sums of +0,
// above no limit that is not negative); everywhere otherwise.
void record_exceedances(const Source& source, int nphi, const std::vector<double>& cls_sum,
                        std::vector<double>& record, const std::array<double, 3>& limits,
                        bool zero_factor_seen, const WorkTables& w) {
  const bool negative_limit = limits[0] < 0 || limits[1] < 0 || limits[2] < 0;
  if (zero_factor_seen || negative_limit) {
    prepare_exceed(cls_sum.data(), record.data(), limits, source.time_use, nphi);
    return;
  }
  for_each_class_window(w, nphi, [&](std::size_t begin, std::size_t end) {
    prepare_exceed_range(cls_sum.data(), record.data(), limits, source.time_use, nphi, begin, end);
  });
}

// Adds the source's hourly concentrations at the point to the series of its sets.
void add_hourly_contribution(const LoopInputs& li, const RefPoint& point, std::size_t k,
                             std::span<const int> sets, WorkTables& w, const PairGeometry& g) {
  const InputData& in = li.in;
  const Source& source = in.sources[k];
  const double* heights = li.full_rise_heights->of(k);
  fill_pair_factors(li.ctx, source, in.cfg.u_height, g.x, 0, w.hourly_factors);
  if (w.sets.size() == 1) {
    time_eval_conc(li.ctx, in.met, in.profiles, *li.hourly_situations, point, source, g,
                   w.hourly_factors, w.hourly, w.sets[0].c_t.data(), heights);
    return;
  }
  std::fill(w.c_source_t.begin(), w.c_source_t.end(), 0.0);
  time_eval_conc(li.ctx, in.met, in.profiles, *li.hourly_situations, point, source, g,
                 w.hourly_factors, w.hourly, w.c_source_t.data(), heights);
  for (const int set : sets) add_into(w.sets[static_cast<std::size_t>(set)].c_t, w.c_source_t);
}

// Adds the source's wind-rose situations at the point to the totals, class sums, long-term
// average and exceedance records of its sets (the records after the sums include it).
void add_wind_rose_contribution(const LoopInputs& li, const RefPoint& point, std::size_t k,
                                std::span<const int> sets, WorkTables& w, const PairGeometry& g) {
  const InputData& in = li.in;
  const Source& source = in.sources[k];
  const Settings& cfg = in.cfg;
  const int nphi = cfg.nphi;
  SituationSums sums(li, source, sets, w);
  evaluate_conc(
      li.ctx, cfg, li.wind, point, source, g, w.rose, w.rose_factors, sums,
      {li.rose_full_rise_heights->of(k), li.line_spreads->sy0(k), li.line_spreads->sz0(k)});
  sums.finish();
  const bool daily_sparse = sums.daily_sparse();
  double ave = 0;
  if (cfg.is_average) {
    // The class sums weighted with the wind rose, over the class windows only: the other
    // class situations are +0, and a sum that starts at +0 stays as it is when +0 is added.
    const double* rose = in.wind_roses.slice(source.met_idx, "eval_average");
    double sum = 0;
    for_each_class_window(w, nphi, [&](std::size_t begin, std::size_t end) {
      for (std::size_t n = begin; n < end; ++n) sum += w.cls[n] * rose[n];
    });
    ave = source.time_use * sum;
  }
  // The daily value of every class situation, as copied from the daily values of the columns:
  // only the class windows are read where the daily value of +0 is +0.
  if (cfg.is_daily) {
    const auto convert = [&](std::span<const double> c, std::span<double> out) {
      if (li.ctx.options.kernels == KernelPath::vector)
        daily_scaled(c, source.daily_hours, li.daily_type, out);
      else
        daily(c, source.daily_hours, li.daily_type, out);
    };
    if (daily_sparse) {
      for_each_class_window(w, nphi, [&](std::size_t begin, std::size_t end) {
        convert(std::span<const double>(w.cls).subspan(begin, end - begin),
                std::span<double>(w.cls_d).subspan(begin, end - begin));
      });
    } else {
      convert(w.cls, w.cls_d);
    }
  }
  for (const int index : sets) {
    SetSums& set = w.sets[static_cast<std::size_t>(index)];
    // The class situations outside the source's windows are +0, and so are their daily
    // values unless the daily value of +0 is not.
    for_each_class_window(w, nphi, [&](std::size_t begin, std::size_t end) {
      for (std::size_t n = begin; n < end; ++n) set.c_max[n] += w.cls[n];
      if (daily_sparse)
        for (std::size_t n = begin; n < end; ++n) set.cd_max[n] += w.cls_d[n];
    });
    if (cfg.is_average) set.ave += ave;
    if (cfg.is_daily && !daily_sparse) add_into(set.cd_max, w.cls_d);
    if (cfg.is_exceed) {
      record_exceedances(source, nphi, set.c_max, set.th_exceed, cfg.ch_exceed,
                         set.zero_factor_seen, w);
      if (cfg.is_daily)
        record_exceedances(source, nphi, set.cd_max, set.td_exceed, cfg.cd_exceed,
                           set.zero_factor_seen, w);
    }
    if (source.time_use == 0) set.zero_factor_seen = true;
  }
}

// The hourly series of point ip into hourly_results (when it has hourly output), hourly_sum and
// hourly_max.
void store_hourly_results(const LoopInputs& li, int ip, const PointBlock& block, const SetSums& set,
                          const std::vector<int>& out_column, ResultTables& tables) {
  const int ntime = li.in.met.ntime;
  const std::size_t at = static_cast<std::size_t>(ip - 1 - block.first);
  if (li.in.ref_points[ip - 1].has_hourly_output) {
    const std::size_t first =
        static_cast<std::size_t>(out_column[ip - 1] - 1 - block.outputs_before) * ntime;
    std::copy(set.c_t.begin(), set.c_t.end(), tables.hourly_results.begin() + first);
  }
  // A run without any source has no series and so no hours: its maximum stays 0.
  double sum = 0;
  double largest = set.c_t.empty() ? 0.0 : -std::numeric_limits<double>::max();
  for (double v : set.c_t) {
    sum += v;
    // An hour that is no number makes the maximum none, instead of being passed over.
    largest = std::isnan(v) || std::isnan(largest) ? std::numeric_limits<double>::quiet_NaN()
                                                   : std::max(largest, v);
  }
  tables.hourly_sum[at] += sum;
  tables.hourly_max[at] = largest;
}

}  // namespace

void evaluate_point(const LoopInputs& li, int ip, const PointBlock& block,
                    const std::vector<SetBatch>& batches, WorkTables& w,
                    const std::vector<int>& out_column, std::vector<ResultTables>& tables,
                    std::size_t source_count) {
  const InputData& in = li.in;
  const Settings& cfg = in.cfg;
  const RefPoint& point = in.ref_points[ip - 1];
  for (const SetBatch& batch : batches) {
    for (std::size_t s = 0; s < batch.set_count; ++s) w.sets[s].reset();
    for (std::size_t i = 0; i < batch.sources.size(); ++i) {
      if (static_cast<std::size_t>(batch.sources[i]) >= source_count) continue;
      const std::size_t k = static_cast<std::size_t>(batch.sources[i]);
      const Source& source = in.sources[k];
      PairGeometry g;
      g.x = eval_x(point.x, point.y, source.x, source.y);
      if (g.x < cfg.infl_dist_min || g.x > cfg.infl_dist_max) continue;
      eval_theta_delta(li.ctx, point, source, g);
      if (cfg.is_time) add_hourly_contribution(li, point, k, batch.sets_of(i), w, g);
      if (li.methodology) add_wind_rose_contribution(li, point, k, batch.sets_of(i), w, g);
    }
    for (std::size_t s = 0; s < batch.set_count; ++s) {
      const SetSums& set = w.sets[s];
      ResultTables& set_tables = tables[batch.first_set + s];
      if (cfg.is_time) store_hourly_results(li, ip, block, set, out_column, set_tables);
      if (li.compliance != nullptr)
        evaluate_compliance(*li.compliance, set.c_t, w.compliance,
                            set_tables.compliance.data() +
                                static_cast<std::size_t>(ip - 1 - block.first) * kComplianceCount);
      if (!li.methodology) continue;
      const StatContext stat_context{cfg, li.wind, in.wind_roses, li.wind.nu_max()};
      const PointTotals totals{set.c.data(),        set.c_d.data(), set.c_max.data(),
                               set.cd_max.data(),   set.ave,        set.th_exceed.data(),
                               set.td_exceed.data()};
      eval_stat(
          stat_context, totals,
          set_tables.results.data() + static_cast<std::size_t>(ip - 1 - block.first) * kStatCount);
    }
  }
}

}  // namespace kadre

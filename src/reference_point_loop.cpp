#include "reference_point_loop.h"

#include <omp.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <span>

#include "evaluation/statistics.h"
#include "evaluation/time_series_evaluation.h"
#include "evaluation/wind_rose_evaluation.h"

namespace kadre {

namespace {

// Work tables of one worker thread, created once and reset per point.
struct WorkTables {
  std::vector<double> c_t;                          // ntime
  std::vector<double> c_out, c, cd_out, c_d;        // nphi x nu_max x 5
  std::vector<double> cls, c_max, cd_max;           // nphi x 11
  std::vector<double> th_exceed, td_exceed;         // nphi x 11 x 3
  double ave = 0;
  PairFactors hourly_factors, rose_factors;  // of the current pair, per evaluation

  WorkTables(const LoopInputs& li) {
    const Settings& cfg = li.in.cfg;
    if (cfg.is_time) c_t.assign(static_cast<std::size_t>(li.in.met.ntime), 0.0);
    if (li.methodology) {
      const std::size_t situations = static_cast<std::size_t>(cfg.nphi) * li.wind.nu_max() * 5;
      const std::size_t classes = static_cast<std::size_t>(cfg.nphi) * kSituationClassCount;
      c_out.assign(situations, 0.0);
      c.assign(situations, 0.0);
      if (cfg.is_daily) {
        cd_out.assign(situations, 0.0);
        c_d.assign(situations, 0.0);
      }
      cls.assign(classes, 0.0);
      c_max.assign(classes, 0.0);
      cd_max.assign(classes, 0.0);
      th_exceed.assign(classes * kLimitCount, 0.0);
      td_exceed.assign(classes * kLimitCount, 0.0);
    }
  }

  void reset() {
    std::fill(c_t.begin(), c_t.end(), 0.0);
    for (auto* v : {&c, &c_d, &c_max, &cd_max, &th_exceed, &td_exceed}) std::fill(v->begin(), v->end(), 0.0);
    ave = 0;
  }
};

void add_into(std::vector<double>& sum, const std::vector<double>& part) {
  for (std::size_t n = 0; n < sum.size(); ++n) sum[n] += part[n];
}

// Column of results_t of every point with hourly output: its position among those points.
std::vector<int> output_columns(const std::vector<RefPoint>& ref_points) {
  std::vector<int> column(ref_points.size(), 0);
  int next = 0;
  for (std::size_t i = 0; i < ref_points.size(); ++i)
    if (ref_points[i].is_out) column[i] = ++next;
  return column;
}

// Adds the source's hourly concentrations at point ip to the point's series.
void add_hourly_contribution(const LoopInputs& li, const RefPoint& point, const Source& source,
                             WorkTables& w, const PairGeometry& g) {
  const InputData& in = li.in;
  fill_pair_factors(li.ctx, source, in.cfg.u_height, g.x, 0, w.hourly_factors);
  time_eval_conc(li.ctx, in.cfg, in.met, in.profiles, point, source, g, w.hourly_factors, w.c_t.data());
}

// Adds the source's wind-rose situations at point ip to the point's totals, class sums,
// long-term average and exceedance records (the records after the sums include it).
void add_wind_rose_contribution(const LoopInputs& li, const RefPoint& point, const Source& source,
                                WorkTables& w, const PairGeometry& g) {
  const InputData& in = li.in;
  const Settings& cfg = in.cfg;
  const int nphi = cfg.nphi;
  const int nu_max = li.wind.nu_max();
  evaluate_conc(li.ctx, cfg, li.wind, point, source, g, w.c_out.data(), w.rose_factors);
  add_into(w.c, w.c_out);
  if (cfg.is_daily) {
    daily(w.c_out, source.daily_hours, li.daily_type, w.cd_out);
    add_into(w.c_d, w.cd_out);
  }
  c_class(w.c_out.data(), nphi, nu_max, *li.class_index, w.cls.data());
  add_into(w.c_max, w.cls);
  if (cfg.is_average) {
    const double* rose = in.wind_roses.slice(source.met_idx, "eval_average");
    w.ave += eval_average(w.cls, std::span<const double>(rose, w.cls.size()), source.time_use);
  }
  if (cfg.is_daily) {
    c_class(w.cd_out.data(), nphi, nu_max, *li.class_index, w.cls.data());
    add_into(w.cd_max, w.cls);
  }
  if (cfg.is_exceed) {
    prepare_exceed(w.c_max.data(), w.th_exceed.data(), cfg.ch_exceed, source.time_use, nphi);
    if (cfg.is_daily)
      prepare_exceed(w.cd_max.data(), w.td_exceed.data(), cfg.cd_exceed, source.time_use, nphi);
  }
}

// The hourly series of point ip into results_t (when it has hourly output), c_r and c_m.
void store_hourly_results(const LoopInputs& li, int ip, const WorkTables& w,
                          const std::vector<int>& out_column, ResultTables& tables) {
  const int ntime = li.in.met.ntime;
  if (li.in.ref_points[ip - 1].is_out) {
    const std::size_t first = static_cast<std::size_t>(out_column[ip - 1] - 1) * ntime;
    std::copy(w.c_t.begin(), w.c_t.end(), tables.results_t.begin() + first);
  }
  // A run without any source has no series and so no hours: its maximum stays 0.
  double sum = 0;
  double largest = w.c_t.empty() ? 0.0 : -std::numeric_limits<double>::max();
  for (double v : w.c_t) {
    sum += v;
    largest = std::max(largest, v);
  }
  tables.c_r[ip - 1] += sum;
  tables.c_m[ip - 1] = largest;
}

void evaluate_point(const LoopInputs& li, int ip, WorkTables& w, const std::vector<int>& out_column,
                    ResultTables& tables) {
  const InputData& in = li.in;
  const Settings& cfg = in.cfg;
  const RefPoint& point = in.ref_points[ip - 1];
  w.reset();
  for (const Source& source : in.sources) {
    PairGeometry g;
    g.x = eval_x(point.x, point.y, source.x, source.y);
    if (g.x < cfg.infl_dist_min || g.x > cfg.infl_dist_max) continue;
    eval_theta_delta(li.ctx, point, source, g);
    if (cfg.is_time) add_hourly_contribution(li, point, source, w, g);
    if (li.methodology) add_wind_rose_contribution(li, point, source, w, g);
  }
  if (cfg.is_time) store_hourly_results(li, ip, w, out_column, tables);
  if (li.methodology) {
    const StatContext stat_context{cfg, li.wind, in.wind_roses, li.wind.nu_max()};
    const PointTotals totals{w.c.data(), w.c_d.data(), w.c_max.data(), w.cd_max.data(),
                             w.ave,      w.th_exceed.data(), w.td_exceed.data()};
    eval_stat(stat_context, totals, tables.results.data() + static_cast<std::size_t>(ip - 1) * kStatCount);
  }
}

}  // namespace

void compute_reference_points(const LoopInputs& li, ResultTables& tables, int threads,
                              std::ostream& out) {
  const int points = static_cast<int>(li.in.ref_points.size());
  if (points == 0) return;
  const int chunk = std::max(1, (points / threads) / 4);
  const std::vector<int> out_column = output_columns(li.in.ref_points);
  std::exception_ptr failure;
  std::atomic<bool> failed{false};
  int finished = 0;

#pragma omp parallel num_threads(threads)
  {
    std::unique_ptr<WorkTables> work;
    try {
      work = std::make_unique<WorkTables>(li);
    } catch (...) {
#pragma omp critical(kadre_failure)
      if (!failure) failure = std::current_exception();
      failed = true;
    }
#pragma omp for schedule(dynamic, chunk)
    for (int ip = 1; ip <= points; ++ip) {
      if (failed.load(std::memory_order_relaxed) || !work) continue;
      try {
        evaluate_point(li, ip, *work, out_column, tables);
      } catch (...) {
#pragma omp critical(kadre_failure)
        if (!failure) failure = std::current_exception();
        failed = true;
        continue;
      }
#pragma omp critical(kadre_progress)
      {
        ++finished;
        char line[64];
        std::snprintf(line, sizeof line, "\r   - spocten ref. bod c. %9d/%9d", finished, points);
        out << line << std::flush;
      }
    }
  }
  if (failure) {
    // The message of the stop starts on a line of its own, not behind the progress.
    if (finished > 0) out << "\n";
    std::rethrow_exception(failure);
  }
}

}  // namespace kadre

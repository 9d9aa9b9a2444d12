#include "work_count.h"

#include <exception>
#include <sstream>

#include "evaluation/wind_rose_evaluation.h"
#include "init/read_input_data.h"
#include "init/read_param.h"
#include "model/heat_output.h"
#include "model/stability_classes.h"

namespace kadre::bench {

namespace {

// The situations evaluate_conc evaluates for one pair: the same classes, speeds, plume
// heights and wind-rotated axis, counted instead of computed.
long long sector_evaluations(const ModelContext& ctx, const Settings& cfg, const WindClasses& wind,
                             const RefPoint& point, const Source& source, const PairGeometry& g,
                             PairFactors& f) {
  fill_pair_factors(ctx, source, kWindRoseHeight, g.x, 0, f);
  const double limit = sector_half_angle(ctx.par, source.type);
  long long count = 0;
  for (int i = 1; i <= 5; ++i) {
    for (int j = 1; j <= wind.nu[i - 1]; ++j) {
      const PlumeParams p = evaluate_par(ctx, source, point, i, wind.u_range[j - 1], 0.0, g, f);
      const double axis = wind_axis(g.delta, p.h_plume, kWindRoseHeight, ctx.options.wind_rotation);
      for_each_direction_in_sector(cfg.nphi, cfg.phi_step, axis, limit,
                                   [&count](int, double, double) { ++count; });
    }
  }
  return count;
}

}  // namespace

WorkCount count_work(const std::string& config_file, int threads) {
  std::ostringstream discard;
  InputData in = read_input_data(config_file, discard);
  derive_heat_output(in.sources, in.cfg.tep_vyd_type);
  const ModelParams par = read_param(in.cfg);
  const Settings& cfg = in.cfg;
  const bool methodology = cfg.methodology();
  WindClasses wind;
  if (methodology) wind = u_range_gen(cfg.is_max_abs, par);
  const ModelContext ctx(model_options(cfg), par, in.terrain, in.climate, in.sources);

  const int points = static_cast<int>(in.ref_points.size());
  long long pairs = 0, evaluations = 0;
  std::exception_ptr failure;
#pragma omp parallel for schedule(dynamic, 4) num_threads(threads) reduction(+ : pairs, evaluations)
  for (int ip = 1; ip <= points; ++ip) {
    try {
      const RefPoint& point = in.ref_points[ip - 1];
      PairFactors factors;
      for (const Source& source : in.sources) {
        PairGeometry g;
        g.x = eval_x(point.x, point.y, source.x, source.y);
        if (g.x < cfg.infl_dist_min || g.x > cfg.infl_dist_max) continue;
        ++pairs;
        if (!methodology) continue;
        eval_theta_delta(ctx, point, source, g);
        evaluations += sector_evaluations(ctx, cfg, wind, point, source, g, factors);
      }
    } catch (...) {
#pragma omp critical(bench_failure)
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);

  WorkCount count;
  count.pairs = pairs;
  count.sector_evaluations = evaluations;
  count.hours = cfg.is_time ? in.met.ntime : 0;
  return count;
}

}  // namespace kadre::bench

#include "evaluation/time_series_evaluation.h"

#include <cmath>

#include "core/errors.h"

namespace kadre {

namespace {
constexpr double kNoInversion = -9999.0;
}

double time_eval_conc(const ModelContext& ctx, const EmissionProfiles& profiles, int t, int ip,
                      Source& source, const PairGeometry& g, PathScratch& scratch, PairFactors& factors) {
  const MetSeries& met = ctx.met;
  checked_index("time_eval_conc", "time_emis_fact", 1, source.prof_idx, 1, profiles.nprof);
  checked_index("time_eval_conc", "w_dir", 1, source.met_idx, 1, met.met_num);
  checked_index("time_eval_conc", "w_dir", 2, t, 1, met.ntime);
  source.emis_fact = profiles.at(source.prof_idx, t);
  const std::size_t at = met.index(source.met_idx, t);
  if (ctx.cfg.inverze && std::trunc(met.zi[at]) != kNoInversion)
    return eval_inv(ctx, t, ip, source, g, scratch, factors);

  const int s = met.stability_class[at];
  const double u_height = ctx.cfg.u_height;
  const PlumeParams p = evaluate_par(ctx, source, s, ip, met.w_sp[at], 0.0, g, factors);
  const double phi = met.w_dir[at];
  const double lambda = get_lambda(phi, p.h_plume, u_height, g.delta, ctx.cfg.wind_rotation);
  return evaluate_gauss(ctx, s, source, g.x, g.theta, lambda, p, phi, false, factors);
}

}  // namespace kadre

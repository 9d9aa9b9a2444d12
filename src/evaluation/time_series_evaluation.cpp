#include "evaluation/time_series_evaluation.h"

#include <cmath>

#include "core/errors.h"

namespace kadre {

namespace {

constexpr double kNoInversion = -9999.0;

double hour_concentration(const ModelContext& ctx, const Settings& cfg, const MetSeries& met,
                          std::size_t at, double emis_fact, const RefPoint& point, const Source& source,
                          const PairGeometry& g, PairFactors& f) {
  if (cfg.inverze && std::trunc(met.zi[at]) != kNoInversion) {
    const HourMet hour{met.stability_class[at], met.w_sp[at],  met.w_dir[at],  met.zi[at],
                       met.stability_class_i[at], met.w_sp_i[at], met.w_dir_i[at]};
    return eval_inv(ctx, hour, point, source, g, f, emis_fact);
  }
  const int s = met.stability_class[at];
  const PlumeParams p = evaluate_par(ctx, source, point, s, met.w_sp[at], 0.0, g, f);
  const double phi = met.w_dir[at];
  const double axis = wind_axis(g.delta, p.h_plume, ctx.options.u_height, ctx.options.wind_rotation);
  return evaluate_gauss(ctx, s, source, g.x, g.theta, get_lambda(phi, axis), p, phi, false, emis_fact,
                        f.spreads, 0);
}

}  // namespace

void time_eval_conc(const ModelContext& ctx, const Settings& cfg, const MetSeries& met,
                    const EmissionProfiles& profiles, const RefPoint& point, const Source& source,
                    const PairGeometry& g, PairFactors& f, double* c_t) {
  if (met.ntime < 1) return;
  checked_index("time_eval_conc", "time_emis_fact", 1, source.prof_idx, 1, profiles.nprof);
  checked_index("time_eval_conc", "w_dir", 1, source.met_idx, 1, met.met_num());
  for (int t = 1; t <= met.ntime; ++t) {
    const double emis_fact = profiles.at(source.prof_idx, t);
    c_t[t - 1] += hour_concentration(ctx, cfg, met, met.index(source.met_idx, t), emis_fact, point, source, g, f);
  }
}

}  // namespace kadre

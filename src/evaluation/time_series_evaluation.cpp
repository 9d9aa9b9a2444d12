#include "evaluation/time_series_evaluation.h"

#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "core/errors.h"

namespace kadre {

namespace {

constexpr double kNoInversion = -9999.0;

bool inversion_hour(const Settings& cfg, const MetSeries& met, std::size_t at) {
  return cfg.inverze && std::trunc(met.zi[at]) != kNoInversion;
}

bool valid_class(int s) { return s >= 1 && s <= 5; }

// The plume (without a lid) and axis of situation n of the pair, computed at its first hour.
void plume_of(const ModelContext& ctx, const MetSeries& met, std::size_t at, const RefPoint& point,
              const Source& source, const PairGeometry& g, PairFactors& f, HourlyWork& work, std::size_t n) {
  if (work.stamp[n] == work.current) return;
  work.plume[n] = evaluate_par(ctx, source, point, met.stability_class[at], met.w_sp[at], 0.0, g, f);
  work.axis[n] = wind_axis(g.delta, work.plume[n].h_plume, ctx.options.u_height, ctx.options.wind_rotation);
  work.stamp[n] = work.current;
}

}  // namespace

HourlySituations find_hourly_situations(const Settings& cfg, const MetSeries& met) {
  HourlySituations found;
  found.of_hour.assign(met.w_sp.size(), -1);
  found.inversion.assign(met.w_sp.size(), 0);
  for (int k = 1; k <= met.met_num(); ++k) {
    // The same class with the same bits of the wind speed is the same situation.
    std::map<std::pair<int, std::uint64_t>, int> seen;
    for (int t = 1; t <= met.ntime; ++t) {
      const std::size_t at = met.index(k, t);
      found.inversion[at] = inversion_hour(cfg, met, at) ? 1 : 0;
      std::uint64_t bits;
      std::memcpy(&bits, &met.w_sp[at], sizeof bits);
      const auto it = seen.try_emplace({met.stability_class[at], bits}, static_cast<int>(seen.size())).first;
      found.of_hour[at] = it->second;
    }
    if (static_cast<int>(seen.size()) > found.count) found.count = static_cast<int>(seen.size());
  }
  return found;
}

HourlyWork::HourlyWork(int situations)
    : plume(static_cast<std::size_t>(situations)),
      axis(static_cast<std::size_t>(situations), 0.0),
      stamp(static_cast<std::size_t>(situations), 0) {}

void time_eval_conc(const ModelContext& ctx, const MetSeries& met,
                    const EmissionProfiles& profiles, const HourlySituations& situations, const RefPoint& point,
                    const Source& source, const PairGeometry& g, PairFactors& f, HourlyWork& work, double* c_t) {
  if (met.ntime < 1) return;
  checked_index("time_eval_conc", "time_emis_fact", 1, source.prof_idx, 1, profiles.nprof);
  checked_index("time_eval_conc", "w_dir", 1, source.met_idx, 1, met.met_num());
  ++work.current;
  for (int t = 1; t <= met.ntime; ++t) {
    const double emis_fact = profiles.at(source.prof_idx, t);
    const std::size_t at = met.index(source.met_idx, t);
    const std::size_t n = static_cast<std::size_t>(situations.of_hour[at]);
    const int s = met.stability_class[at];
    if (situations.inversion[at] != 0) {
      const HourMet hour{s, met.w_sp[at], met.w_dir[at], met.zi[at], met.stability_class_i[at], met.w_sp_i[at],
                         met.w_dir_i[at]};
      // Classes out of range stop in eval_inv with its own message, before any plume.
      const bool keep = valid_class(hour.s) && valid_class(hour.s_i);
      if (keep) plume_of(ctx, met, at, point, source, g, f, work, n);
      c_t[t - 1] += eval_inv(ctx, hour, point, source, g, f, emis_fact, keep ? &work.plume[n] : nullptr);
      continue;
    }
    plume_of(ctx, met, at, point, source, g, f, work, n);
    const double phi = met.w_dir[at];
    c_t[t - 1] += evaluate_gauss(ctx, s, source, g.x, g.theta, get_lambda(phi, work.axis[n]), work.plume[n], phi,
                                 false, emis_fact, f.spreads, 0);
  }
}

}  // namespace kadre

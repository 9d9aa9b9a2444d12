#include "evaluation/time_series_evaluation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "core/errors.h"
#include "model/plume_sector.h"

namespace kadre {

namespace {

constexpr double kNoInversion = -9999.0;

bool inversion_hour(const Settings& cfg, const MetSeries& met, std::size_t at) {
  return cfg.inverze && std::trunc(met.zi[at]) != kNoInversion;
}

bool valid_class(int s) { return s >= 1 && s <= 5; }

// The plume (without a lid) and axis of situation n of the pair, computed at its first hour.
void compute_plume(const ModelContext& ctx, const MetSeries& met, std::size_t at, const RefPoint& point,
                   const Source& source, const PairGeometry& g, PairFactors& f, HourlyWork& work, std::size_t n) {
  work.plume[n] = evaluate_par(ctx, source, point, met.stability_class[at], met.w_sp[at], 0.0, g, f);
  work.axis[n] = wind_axis(g.delta, work.plume[n].h_plume, ctx.options.u_height, ctx.options.wind_rotation);
  const PlumeParams& p = work.plume[n];
  const std::size_t c = static_cast<std::size_t>(met.stability_class[at] - 1);
  const ModelParams& par = ctx.par;
  work.removal[n] = -par.k_u / p.u_ef;
  work.decay[n] = -par.k_p[c] / p.u_ef;
  bool ok = p.u_ef > 0;
  for (const double v : {p.h_ef, p.z1, p.z2, p.z3, p.kh, p.u_ef, work.axis[n], work.removal[n], work.decay[n],
                         par.ay[c], par.by[c], par.az[c], par.bz[c]})
    ok = ok && std::isfinite(v);
  work.vector_ok[n] = ok ? 1 : 0;
  work.stamp[n] = work.current;
}

inline void plume_of(const ModelContext& ctx, const MetSeries& met, std::size_t at, const RefPoint& point,
                     const Source& source, const PairGeometry& g, PairFactors& f, HourlyWork& work, std::size_t n) {
  if (work.stamp[n] != work.current) compute_plume(ctx, met, at, point, source, g, f, work, n);
}

// Whether the vector kernel takes the pair's hours: every number it broadcasts finite and a
// source type whose initial spreads are known (an unknown one stops where the scalar
// formulas first meet it).
bool vector_takes_pair(const ModelContext& ctx, const Source& source, const PairGeometry& g) {
  if (ctx.options.kernels != KernelPath::vector) return false;
  if (source.type != SourceType::point && source.type != SourceType::area && source.type != SourceType::line)
    return false;
  for (const double v : {g.x, g.theta, source.v, source.m, source.m_no, sector_half_angle(ctx.par, source.type)})
    if (!std::isfinite(v)) return false;
  return true;
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

HourlyWork::HourlyWork(int situations, int hours)
    : plume(static_cast<std::size_t>(situations)),
      axis(static_cast<std::size_t>(situations), 0.0),
      removal(static_cast<std::size_t>(situations), 0.0),
      decay(static_cast<std::size_t>(situations), 0.0),
      vector_ok(static_cast<std::size_t>(situations), 0),
      stamp(static_cast<std::size_t>(situations), 0),
      batch(hours),
      batch_out(static_cast<std::size_t>(std::max(hours, 0)) + 16, 0.0),
      batch_hour(static_cast<std::size_t>(std::max(hours, 0)), 0),
      undecided(static_cast<std::size_t>(std::max(hours, 0)), 0) {}

void time_eval_conc(const ModelContext& ctx, const MetSeries& met,
                    const EmissionProfiles& profiles, const HourlySituations& situations, const RefPoint& point,
                    const Source& source, const PairGeometry& g, PairFactors& f, HourlyWork& work, double* c_t) {
  if (met.ntime < 1) return;
  checked_index("time_eval_conc", "time_emis_fact", 1, source.prof_idx, 1, profiles.nprof);
  checked_index("time_eval_conc", "w_dir", 1, source.met_idx, 1, met.met_num());
  ++work.current;
  const bool vector = vector_takes_pair(ctx, source, g);
  HourBatch& batch = work.batch;
  batch.count = 0;
  const double limit = sector_half_angle(ctx.par, source.type);
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
    const double lambda = get_lambda(phi, work.axis[n]);
    if (!vector || !in_sector(lambda, limit) || work.vector_ok[n] == 0 || !std::isfinite(emis_fact)) {
      c_t[t - 1] += evaluate_gauss(ctx, s, source, g.x, g.theta, lambda, work.plume[n], phi, false, emis_fact,
                                   f.spreads, 0);
      continue;
    }
    const std::size_t c = static_cast<std::size_t>(s - 1);
    double sy0, sz0;
    f.spreads.get(source, ctx.par, s, phi, 0, sy0, sz0);
    batch.add(lambda, ctx.par.ay[c], ctx.par.by[c], ctx.par.az[c], ctx.par.bz[c], sy0, sz0, work.plume[n],
              work.removal[n], work.decay[n], emis_fact);
    work.batch_hour[static_cast<std::size_t>(batch.count - 1)] = t - 1;
  }
  if (batch.count == 0) return;
  batch.x = g.x;
  batch.theta = g.theta;
  batch.v = source.v;
  batch.m = source.m;
  batch.m_no = source.m_no;
  batch.is_no = ctx.options.is_no;
  const int left = hour_concentrations(batch, work.batch_out.data(), work.undecided.data());
  for (int u = 0; u < left; ++u) {
    const std::size_t lane = static_cast<std::size_t>(work.undecided[static_cast<std::size_t>(u)]);
    const int t = work.batch_hour[lane] + 1;
    const std::size_t at = met.index(source.met_idx, t);
    const std::size_t n = static_cast<std::size_t>(situations.of_hour[at]);
    const double phi = met.w_dir[at];
    work.batch_out[lane] = evaluate_gauss(ctx, met.stability_class[at], source, g.x, g.theta,
                                          get_lambda(phi, work.axis[n]), work.plume[n], phi, false,
                                          profiles.at(source.prof_idx, t), f.spreads, 0);
  }
  for (int i = 0; i < batch.count; ++i)
    c_t[work.batch_hour[static_cast<std::size_t>(i)]] += work.batch_out[static_cast<std::size_t>(i)];
}

}  // namespace kadre

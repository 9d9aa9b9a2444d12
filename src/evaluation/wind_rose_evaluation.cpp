#include "evaluation/wind_rose_evaluation.h"

#include <algorithm>

namespace kadre {

void evaluate_conc(const ModelContext& ctx, const WindClasses& wind, int ip, Source& source,
                   const PairGeometry& g, double* c_out, InitialSpreadCache& cache) {
  const ModelParams& par = ctx.par;
  const int nphi = ctx.cfg.nphi;
  const int nu_max = wind.nu_max();
  std::fill(c_out, c_out + static_cast<std::size_t>(nphi) * nu_max * 5, 0.0);
  if (cache.by_direction.size() < static_cast<std::size_t>(nphi)) cache.by_direction.resize(nphi);
  source.emis_fact = 1.0;
  constexpr double kWindRoseHeight = 10.0;
  const double limit = source.type == 1 ? par.uhel_limit_b : par.uhel_limit_pl;
  // The initial spreads depend on the source and the class, for a line source also on the
  // direction, never on the speed. They are computed at the first in-sector direction that
  // needs them, so that a source of an unknown type stops the run only where it would
  // contribute.
  const bool line = source.type == 3;
  const double azimuth = line ? line_azimuth(source) : 0.0;
  for (int i = 1; i <= 5; ++i) {
    const double az = par.az[i - 1], bz = par.bz[i - 1];
    const std::uint64_t stamp = ++cache.stamp;
    bool class_spreads_known = false;
    double class_sy0 = 0, class_sz0 = 0;
    for (int j = 1; j <= wind.nu[i - 1]; ++j) {
      const PlumeParams p = evaluate_par(ctx, source, i, ip, wind.u_range[j - 1], kWindRoseHeight, 0.0, g);
      const double d = ctx.cfg.wind_rotation ? g.delta - (p.h_plume - kWindRoseHeight) / 25.0 : g.delta;
      double* column = c_out + (static_cast<std::size_t>(i - 1) * nu_max + (j - 1)) * nphi;
      for_each_direction_in_sector(nphi, ctx.cfg.phi_step, d, limit, [&](int k, double phi, double lambda) {
        double sy0, sz0;
        if (line) {
          InitialSpreadCache::Entry& e = cache.by_direction[static_cast<std::size_t>(k - 1)];
          if (e.stamp != stamp) {
            get_sgm0_with_azimuth(source, azimuth, phi, az, bz, e.sy0, e.sz0);
            e.stamp = stamp;
          }
          sy0 = e.sy0;
          sz0 = e.sz0;
        } else {
          if (!class_spreads_known) {
            get_sgm0_with_azimuth(source, azimuth, phi, az, bz, class_sy0, class_sz0);
            class_spreads_known = true;
          }
          sy0 = class_sy0;
          sz0 = class_sz0;
        }
        column[k - 1] = gauss_with_initial_spreads(ctx, i, source, g.x, g.theta, lambda, p, sy0, sz0, false);
      });
    }
  }
}

}  // namespace kadre

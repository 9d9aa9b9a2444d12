#include "evaluation/wind_rose_evaluation.h"

#include <algorithm>

namespace kadre {

void evaluate_conc(const ModelContext& ctx, const Settings& cfg, const WindClasses& wind,
                   const RefPoint& point, const Source& source, const PairGeometry& g, double* c_out,
                   PairFactors& f) {
  const int nphi = cfg.nphi;
  const int nu_max = wind.nu_max();
  std::fill(c_out, c_out + static_cast<std::size_t>(nphi) * nu_max * 5, 0.0);
  // The wind speeds of the rose are measured at 10 m.
  constexpr double kWindRoseHeight = 10.0;
  fill_pair_factors(ctx, source, kWindRoseHeight, g.x, nphi, f);
  const double limit = sector_half_angle(ctx.par, source.type);
  for (int i = 1; i <= 5; ++i) {
    for (int j = 1; j <= wind.nu[i - 1]; ++j) {
      const PlumeParams p = evaluate_par(ctx, source, point, i, wind.u_range[j - 1], 0.0, g, f);
      const double axis = wind_axis(g.delta, p.h_plume, kWindRoseHeight, ctx.options.wind_rotation);
      double* column = c_out + (static_cast<std::size_t>(i - 1) * nu_max + (j - 1)) * nphi;
      for_each_direction_in_sector(nphi, cfg.phi_step, axis, limit, [&](int k, double phi, double lambda) {
        column[k - 1] = evaluate_gauss(ctx, i, source, g.x, g.theta, lambda, p, phi, false, 1.0, f.spreads, k);
      });
    }
  }
}

}  // namespace kadre

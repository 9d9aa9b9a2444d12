#include "evaluation/wind_rose_evaluation.h"

#include <algorithm>

namespace kadre {

void evaluate_conc(const ModelContext& ctx, const WindClasses& wind, int ip, Source& source,
                   const PairGeometry& g, double* c_out) {
  const int nphi = ctx.cfg.nphi;
  const int nu_max = wind.nu_max();
  std::fill(c_out, c_out + static_cast<std::size_t>(nphi) * nu_max * 5, 0.0);
  source.emis_fact = 1.0;
  constexpr double kWindRoseHeight = 10.0;
  const double limit = source.typ_zdroje == 1 ? ctx.par.uhel_limit_b : ctx.par.uhel_limit_pl;
  for (int i = 1; i <= 5; ++i) {
    for (int j = 1; j <= wind.nu[i - 1]; ++j) {
      const PlumeParams p = evaluate_par(ctx, source, i, ip, wind.u_range[j - 1], kWindRoseHeight, 0.0, g);
      const double d = ctx.cfg.wind_rotation ? g.delta - (p.h_plume - kWindRoseHeight) / 25.0 : g.delta;
      double* column = c_out + (static_cast<std::size_t>(i - 1) * nu_max + (j - 1)) * nphi;
      for_each_direction_in_sector(nphi, ctx.cfg.phi_step, d, limit, [&](int k, double phi, double lambda) {
        column[k - 1] = evaluate_gauss(ctx, i, source, g.x, g.theta, lambda, p, phi, false);
      });
    }
  }
}

}  // namespace kadre

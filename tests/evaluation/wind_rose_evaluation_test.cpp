// The wind-rose evaluation with the initial spreads shared per class (per direction for a
// road) must give the single-direction kernel's values to the last bit.
#include "evaluation/wind_rose_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// Three speeds in every class, wind directions every 5 degrees, the plume axis turning with the
// rise so that each speed sees its own set of directions in the sector.
struct RoseWorld : test::ModelWorld {
  WindClasses wind{{1.5, 4.0, 9.0}, {3, 3, 2, 3, 1}};
  PairGeometry g{1000, 272.5, 0.25, 0};
  RoseWorld() {
    cfg.nphi = 72;
    cfg.phi_step = 5;
    cfg.wind_rotation = cfg.is_no = true;
    ref_points = {test::point_at(6000, 5000, 1.5)};
  }
  std::vector<double> rose(Source& s, InitialSpreadCache& cache) const {
    std::vector<double> out(static_cast<std::size_t>(cfg.nphi) * wind.nu_max() * 5, -1.0);
    evaluate_conc(ctx(), wind, 1, s, g, out.data(), cache);
    return out;
  }
};

Source buoyant(int type) {
  return {.id = "B", .x = 5000, .y = 5000, .type = type, .m = 1, .m_no = 0.5, .h = 50, .beta = 1, .qa = 3,
          .qb = 0.5, .heat_output = 40, .length = 60};
}

Source road(double x2, double y2, double width) {
  return {.id = "L", .x = 5000, .y = 5000, .x1 = 4900, .y1 = 4950, .x2 = x2, .y2 = y2, .type = 3, .m = 1,
          .h = 2, .qb = 0.5, .length = std::hypot(x2 - 4900, y2 - 4950), .width = width, .vert_ext = 1.5};
}

// Also when the same work space serves one road after another.
TEST(EvaluateConc, EverySituationEqualsTheSingleDirectionKernel) {
  RoseWorld w;
  const ModelContext c = w.ctx();
  InitialSpreadCache cache;
  int in_sector = 0;
  for (Source s : {buoyant(1), buoyant(2), road(5300, 5200, 8), road(4950, 5400, 0), buoyant(1)}) {
    const std::vector<double> out = w.rose(s, cache);
    for (int i = 1; i <= 5; ++i)
      for (int j = 1; j <= w.wind.nu_max(); ++j) {
        const PlumeParams p = evaluate_par(c, s, i, 1, w.wind.u_range[j - 1], 10, 0, w.g);
        for (int k = 1; k <= w.cfg.nphi; ++k) {
          const double phi = (k - 1) * w.cfg.phi_step;
          double expected = 0;
          if (j <= w.wind.nu[i - 1]) {
            const double lambda = get_lambda(phi, p.h_plume, 10, w.g.delta, true);
            expected = evaluate_gauss(c, i, s, w.g.x, w.g.theta, lambda, p, phi, false);
          }
          in_sector += expected != 0;
          const std::size_t at = (static_cast<std::size_t>(i - 1) * w.wind.nu_max() + (j - 1)) * w.cfg.nphi + (k - 1);
          ASSERT_EQ(out[at], expected) << s.type << " class " << i << " speed " << j << " phi " << phi;
        }
      }
  }
  EXPECT_GT(in_sector, 500);
}

// The shared spreads must not be made for a source of an unknown type before a direction lies
// in its sector: the run stops only then.
TEST(EvaluateConc, UnknownSourceTypeStopsOnlyWithADirectionInTheSector) {
  RoseWorld w;
  w.cfg.nphi = 1;  // the direction 0 only
  w.cfg.wind_rotation = false;
  InitialSpreadCache cache;
  Source s = buoyant(4);
  w.g.delta = 180;
  for (double v : w.rose(s, cache)) EXPECT_EQ(v, 0);
  w.g.delta = 10;
  EXPECT_RUN_ERROR(w.rose(s, cache),
                   " _get_sgm0: nedovolena hodnota typu zdroje\n"
                   "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
                   "               zadana hodnota \"class\":            4\n");
}

}  // namespace
}  // namespace kadre

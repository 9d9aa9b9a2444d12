#include "evaluation/wind_rose_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// Three speeds in every class, wind directions every 5 degrees, the plume axis turning with
// the rise so that each speed sees its own set of directions in the sector.
struct RoseWorld : test::ModelWorld {
  WindClasses wind;
  PairGeometry g;
  RoseWorld() {
    wind.u_range = {1.5, 4.0, 9.0};
    wind.nu = {3, 3, 2, 3, 1};
    cfg.nphi = 72;
    cfg.phi_step = 5;
    cfg.wind_rotation = true;
    cfg.is_no = true;
    ref_body = {test::point_at(6000, 5000, 1.5)};
    g.x = 1000;
    g.delta = 272.5;
    g.theta = 0.25;
  }
  std::vector<double> rose(const ModelContext& c, Source& s, InitialSpreadCache& cache) const {
    std::vector<double> out(static_cast<std::size_t>(cfg.nphi) * wind.nu_max() * 5, -1.0);
    evaluate_conc(c, wind, 1, s, g, out.data(), cache);
    return out;
  }
};

Source buoyant_stack() {
  Source s = test::cold_stack(5000, 5000, 50);
  s.beta = 1;
  s.qa = 3;
  s.tep_vyd = 40;
  s.m_no = 0.5;
  return s;
}

Source area_source() {
  Source s = buoyant_stack();
  s.typ_zdroje = 2;
  s.length = 60;
  return s;
}

Source road(double x2, double y2, double width) {
  Source s = test::cold_stack(5000, 5000, 2);
  s.typ_zdroje = 3;
  s.x1 = 4900;
  s.y1 = 4950;
  s.x2 = x2;
  s.y2 = y2;
  s.length = std::hypot(x2 - 4900, y2 - 4950);
  s.width = width;
  s.vert_ext = 1.5;
  return s;
}

// Every situation equals the single-direction kernel to the last bit: the shared initial
// spreads (per class, per direction for a road) change nothing, also when the same work
// space serves one road after another.
TEST(EvaluateConc, EverySituationEqualsTheSingleDirectionKernel) {
  RoseWorld w;
  const ModelContext c = w.ctx();
  InitialSpreadCache cache;
  int in_sector = 0;
  for (Source s : {buoyant_stack(), area_source(), road(5300, 5200, 8), road(4950, 5400, 0), buoyant_stack()}) {
    const std::vector<double> out = w.rose(c, s, cache);
    for (int i = 1; i <= 5; ++i) {
      for (int j = 1; j <= w.wind.nu_max(); ++j) {
        const PlumeParams p = evaluate_par(c, s, i, 1, w.wind.u_range[j - 1], 10, 0, w.g);
        for (int k = 1; k <= w.cfg.nphi; ++k) {
          const double phi = (k - 1) * w.cfg.phi_step;
          double expected = 0;
          if (j <= w.wind.nu[i - 1]) {
            const double lambda = get_lambda(phi, p.h_plume, 10, w.g.delta, true);
            expected = evaluate_gauss(c, i, s, w.g.x, w.g.theta, lambda, p, phi, false);
          }
          if (expected != 0) ++in_sector;
          const std::size_t at = (static_cast<std::size_t>(i - 1) * w.wind.nu_max() + (j - 1)) * w.cfg.nphi + (k - 1);
          ASSERT_EQ(out[at], expected) << s.typ_zdroje << " class " << i << " speed " << j << " phi " << phi;
        }
      }
    }
  }
  EXPECT_GT(in_sector, 500);
}

// A source of an unknown type stops the run only where a direction lies in its sector.
TEST(EvaluateConc, UnknownSourceTypeStopsOnlyWithADirectionInTheSector) {
  RoseWorld w;
  w.cfg.nphi = 1;  // the direction 0 only
  w.cfg.wind_rotation = false;
  const ModelContext c = w.ctx();
  InitialSpreadCache cache;
  Source s = buoyant_stack();
  s.typ_zdroje = 4;
  w.g.delta = 180;
  for (double v : w.rose(c, s, cache)) EXPECT_EQ(v, 0);
  w.g.delta = 10;
  EXPECT_RUN_ERROR(w.rose(c, s, cache),
                   " _get_sgm0: nedovolena hodnota typu zdroje\n"
                   "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
                   "               zadana hodnota \"class\":            4\n");
}

}  // namespace
}  // namespace kadre

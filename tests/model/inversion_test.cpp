// Hours under an inversion: a plume trapped below the lid, or breaking through it and spreading
// in the upper layer from a virtual source standing on the inversion.
#include <gtest/gtest.h>

#include <cmath>

#include "model/dispersion_model.h"
#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// One hour: lower layer class 4, 4 m/s at 10 m from 270 degrees; upper layer class 2, 7 m/s
// from 270. The point lies 1000 m east of the source, on the plume axis.
struct InversionWorld : test::ModelWorld {
  Source src = test::cold_stack(5000, 5000, 50);
  PairGeometry g{1000, 270, 0, 0};
  PathScratch scratch;
  InversionWorld() {
    cfg.inverze = true;
    par.km = {0, 0, 0, 0, 0};  // full rise at once
    met.met_num = met.ntime = 1;
    met.w_dir = met.w_dir_i = {270};
    met.w_sp = {4};
    met.w_sp_i = {7};
    met.stability_class = {4};
    met.stability_class_i = {2};
    met.zi = {100};
    src.met_idx = 1;
    ref_points = {test::point_at(6000, 5000, 1.5)};
  }
  void hot(double qa) {
    src.beta = 1;
    src.qa = qa;
    src.heat_output = 4;
  }
  double inv() {
    sources = {src};
    return eval_inv(ctx(), 1, 1, src, g, scratch);
  }
  double h_ef() {
    sources = {src};
    return evaluate_par(ctx(), src, 4, 1, 4, 10, 0, g).h_ef;
  }
  // The plain kernel of a stack of height h without rise held below a lid at h.
  double held_at(double h) const {
    const Source held = test::cold_stack(5000, 5000, h);
    PlumeParams p = evaluate_par(ctx(), held, 4, 1, 4, 10, h, g);
    p.kh = 1;
    const double lambda = get_lambda(270, h, 10, g.delta, cfg.wind_rotation);
    return evaluate_gauss(ctx(), 4, held, g.x, g.theta, lambda, p, 270, true);
  }
  // The textbook plume of the upper layer (class 2, 7 m/s unchanged).
  static double upper(double H, double zr) {
    return test::textbook_plume(1, 1000, 0, 0.6, 0.88, 0.3, 0.85, 7, H, zr);
  }
};

TEST(EvalInv, TrappedPlumeIsReflectedAtTheLidAndDoesNotReachAboveIt) {
  InversionWorld w;
  w.met.zi = {60};
  const double u_ef = 4 * std::pow(5.0, 0.3);
  EXPECT_NEAR(w.inv() / test::textbook_plume(1, 1000, 0, 0.4, 0.84, 0.2, 0.75, u_ef, 50, 1.5, 60), 1.0, 1e-12);
  w.ref_points[0].h = 70;
  EXPECT_EQ(w.inv(), 0);
  w.ref_points[0].h = 60;  // exactly at the lid: evaluated
  EXPECT_GT(w.inv(), 0);
  w.ref_points[0].h = 1.5;
  w.g.zmax = 61;  // terrain along the path rises through the lid
  EXPECT_EQ(w.inv(), 0);
  w.g.zmax = 40;  // lifted by the terrain step to 40 + 25 = 65, held at the lid
  const double lifted = w.inv();
  w.g.zmax = 0;
  EXPECT_NEAR(lifted / w.held_at(60), 1.0, 1e-12);
}

// A plume height equal to the inversion penetrates; above it, a test height H2 equal to the
// inversion traps, and the trapped plume is held at the lid.
TEST(EvalInv, BoundariesOfTrappedAndPenetrating) {
  InversionWorld w;  // cold stack of 50 m: H = 50; point 1.5 m above the ground
  w.met.zi = {50};
  EXPECT_EQ(w.inv(), 0);  // H = zrel: penetrates, the point is below the inversion
  w.met.zi = {std::nextafter(50.0, 100.0)};
  EXPECT_GT(w.inv(), 0);  // zrel > H: trapped
  w.hot(10);
  w.par.ks[3] = 20;  // H about 115; H2 = 50 + 0.5 x 10 x 4^0.5 = 60
  ASSERT_GT(w.h_ef(), 100);
  for (double zi : {100.0, 60.0}) {
    w.met.zi = {zi};
    EXPECT_NEAR(w.inv() / w.held_at(zi), 1.0, 1e-12) << zi;
  }
  w.met.zi = {std::nextafter(60.0, 0.0)};
  EXPECT_EQ(w.inv(), 0);  // zrel < H2: penetrates
  // With the wind turning the trapped plume turns with its held height.
  w.cfg.wind_rotation = true;
  w.met.zi = {60};
  EXPECT_NEAR(w.inv() / w.held_at(60), 1.0, 1e-12);
}

TEST(EvalInv, PenetratingPlumeStandsAsVirtualSourceWithoutRiseOnTheInversion) {
  InversionWorld w;
  w.hot(200);  // H2 = 50 + 200
  EXPECT_EQ(w.inv(), 0);  // the point lies below the inversion
  w.ref_points[0].h = 100;  // exactly at the inversion: evaluated
  EXPECT_GT(w.inv(), 0);
  w.ref_points[0].h = 150;
  const double h_ef = w.h_ef();
  ASSERT_GT(h_ef, 100);
  const double expected = w.upper(h_ef - 100, 50);
  EXPECT_NEAR(w.inv() / expected, 1.0, 1e-12);
  // The upper wind direction decides the sector, without turning.
  w.cfg.wind_rotation = true;
  EXPECT_NEAR(w.inv() / expected, 1.0, 1e-12);
  w.met.w_dir_i = {200};
  EXPECT_EQ(w.inv(), 0);
}

TEST(EvalInv, StackAboveTheInversionKeepsItsOwnRiseInTheUpperLayer) {
  InversionWorld w;
  w.src.h = 150;
  w.hot(200);
  w.ref_points[0].h = 300;
  // Virtual stack 50 m above the inversion, wind 7 m/s at its top, class 2 rise.
  EXPECT_NEAR(w.inv() / w.upper(50 + 200 * 1.1 * 2 / 7.0, 200), 1.0, 1e-12);
}

TEST(EvalInv, CoolingTowerVirtualSourceHasNoFurtherRise) {
  InversionWorld w;
  w.src = test::cooling_tower(5000, 5000, 50, 100);
  w.src.met_idx = 1;
  w.src.qa = 200;  // test height H2 = 250
  w.src.heat_output = 4;
  w.tower_climate({2, 4});
  w.ref_points[0].h = 300;
  const double h_ef = w.h_ef();
  ASSERT_GT(h_ef, 100);
  // The flue-gas flow of the tower stays in the denominator of the virtual source.
  const double spread = 2 * test::kPi * 0.6 * std::pow(1000.0, 0.88) * 0.3 * std::pow(1000.0, 0.85) * 7;
  EXPECT_NEAR(w.inv() / (w.upper(h_ef - 100, 200) * spread / (spread + 100)), 1.0, 1e-12);
}

TEST(EvalInv, TerrainAboveTheInversionIsTheUpperLayersGround) {
  InversionWorld w;
  w.hot(200);
  w.flat_terrain(130);
  w.ref_points[0].z = 130;
  w.ref_points[0].h = 20;
  // The grid at 130 seen from the inversion at 100 rises 30 m right at the source: reflection
  // weight 1, and the virtual plume (h_ef - 100 above the inversion) is lifted over 30 m by the
  // terrain step. The point lies 30 + 20 m above the inversion, its terrain image at 10.
  const double h_upper = hef_terr(w.h_ef() - 100, 30, 0.5);
  ASSERT_GT(h_upper, w.h_ef() - 100);
  const double sy = 0.6 * std::pow(1000.0, 0.88), sz = 0.3 * std::pow(1000.0, 0.85);
  const auto g = [sz, h_upper](double z) { return std::exp(-(z - h_upper) * (z - h_upper) / (2 * sz * sz)); };
  EXPECT_NEAR(w.inv() / (1e6 / (2 * test::kPi * sy * sz * 7) * (g(50) + g(10))), 1.0, 1e-9);
}

TEST(EvalInv, InvalidClassesAndHoursStop) {
  InversionWorld w;
  w.met.stability_class_i = {9};
  EXPECT_RUN_ERROR(w.inv(), " eval_inv: Index '9' of dimension 1 of array 'u_p' above upper bound of 5\n");
  w.met.stability_class_i = {2};
  w.met.stability_class = {0};
  EXPECT_RUN_ERROR(w.inv(), " eval_inv: Index '0' of dimension 1 of array 'u_p' below lower bound of 1\n");
  w.met.stability_class = {4};
  w.sources = {w.src};
  EXPECT_RUN_ERROR(eval_inv(w.ctx(), 2, 1, w.src, w.g, w.scratch),
                   " eval_inv: Index '2' of dimension 2 of array 'zi' above upper bound of 1\n");
  w.src.met_idx = 3;
  EXPECT_RUN_ERROR(w.inv(), " eval_inv: Index '3' of dimension 1 of array 'zi' above upper bound of 1\n");
}

}  // namespace
}  // namespace kadre

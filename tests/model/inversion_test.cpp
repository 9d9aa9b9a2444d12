#include <gtest/gtest.h>

#include <cmath>

#include "model/dispersion_model.h"
#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// One hour: lower layer class 4, 4 m/s at 10 m from 270 degrees; upper layer class 2,
// 7 m/s from 270. The point lies 1000 m east of the source, on the plume axis.
struct InversionWorld : test::ModelWorld {
  Source src = test::cold_stack(5000, 5000, 50);
  PairGeometry g;
  PathScratch scratch;
  InversionWorld() {
    cfg.inverze = true;
    par.km = {0, 0, 0, 0, 0};  // full rise at once
    met.met_num = 1;
    met.ntime = 1;
    met.w_dir = {270};
    met.w_sp = {4};
    met.tridy_st = {4};
    met.zi = {100};
    met.w_dir_i = {270};
    met.w_sp_i = {7};
    met.tridy_st_i = {2};
    src.met_idx = 1;
    ref_body = {test::point_at(6000, 5000, 1.5)};
    g.x = 1000;
    g.delta = 270;
  }
  void hot(double qa) {
    src.beta = 1;
    src.qa = qa;
    src.tep_vyd = 4;
    src.qb = 0.5;
  }
  double inv() {
    zdroje = {src};
    const ModelContext c = ctx();
    return eval_inv(c, 1, 1, src, g, scratch);
  }
  // The plain kernel with a lid at zrel, as for a source held below the lid.
  double below_lid(const Source& s, double zrel) {
    const ModelContext c = ctx();
    PlumeParams p = evaluate_par(c, s, 4, 1, 4, 10, zrel, g);
    p.kh = 1;
    return evaluate_gauss(c, 4, s, g.x, g.theta, 0, p, 270, true);
  }
};

TEST(EvalInv, TrappedPlumeIsReflectedAtTheLid) {
  InversionWorld w;
  w.met.zi = {60};
  const double c = w.inv();
  const double u_ef = 4 * std::pow(5.0, 0.3);
  const double plain = test::textbook_axis_plume(1.0, 1000, 0.4, 0.84, 0.2, 0.75, u_ef, 50, 1.5);
  const double sz = 0.2 * std::pow(1000.0, 0.75);
  const double v = std::exp(-48.5 * 48.5 / (2 * sz * sz)) + std::exp(-51.5 * 51.5 / (2 * sz * sz));
  EXPECT_NEAR(c / plain, 1 + std::exp(-68.5 * 68.5 / (2 * sz * sz)) / v, 1e-12);
}

TEST(EvalInv, TrappedPlumeDoesNotReachAboveTheLid) {
  InversionWorld w;
  w.met.zi = {60};
  w.ref_body[0].h = 70;
  EXPECT_EQ(w.inv(), 0);
  w.ref_body[0].h = 60;  // exactly at the lid: evaluated
  EXPECT_GT(w.inv(), 0);
  w.ref_body[0].h = 1.5;
  w.g.zmax = 61;  // terrain along the path rises through the lid
  EXPECT_EQ(w.inv(), 0);
}

TEST(EvalInv, PlumeRisingThroughALowLidIsHeldAtIt) {
  InversionWorld w;
  w.hot(10);
  w.par.ks[3] = 20;  // rise about 65 m: H about 115; test height H2 = 50 + 10 = 60
  const double zrel = 100;
  {
    w.zdroje = {w.src};
    const ModelContext c = w.ctx();
    const PlumeParams p = evaluate_par(c, w.src, 4, 1, 4, 10, 0, w.g);
    ASSERT_GT(p.h_plume, zrel);
  }
  const double c = w.inv();
  // The same as a stack of 100 m without rise under the lid.
  const Source tall = test::cold_stack(5000, 5000, 100);
  EXPECT_NEAR(c / w.below_lid(tall, zrel), 1.0, 1e-12);
  EXPECT_GT(c, 0);
}

TEST(EvalInv, PenetratingPlumeLeavesPointsBelowTheInversion) {
  InversionWorld w;
  w.hot(200);  // H2 = 50 + 200
  EXPECT_EQ(w.inv(), 0);
  w.ref_body[0].h = 100;  // exactly at the inversion: evaluated
  EXPECT_GT(w.inv(), 0);
}

TEST(EvalInv, PenetratingPlumeStandsAsVirtualSourceWithoutRiseOnTheInversion) {
  InversionWorld w;
  w.hot(200);
  w.ref_body[0].h = 150;
  w.zdroje = {w.src};
  double h_ef = 0;
  {
    const ModelContext c = w.ctx();
    h_ef = evaluate_par(c, w.src, 4, 1, 4, 10, 0, w.g).h_ef;
  }
  ASSERT_GT(h_ef, 100);
  // Upper layer: class 2, 7 m/s unchanged, source h_ef - 100 above the inversion, point
  // 50 m above it, ground reflection at the inversion.
  const double expected = test::textbook_axis_plume(1.0, 1000, 0.6, 0.88, 0.3, 0.85, 7, h_ef - 100, 50);
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
  w.ref_body[0].h = 300;
  // Virtual stack 50 m above the inversion, wind 7 m/s at its top, class 2 rise.
  const double rise = 200 * 1.1 * 2 / 7.0;
  const double expected = test::textbook_axis_plume(1.0, 1000, 0.6, 0.88, 0.3, 0.85, 7, 50 + rise, 200);
  EXPECT_NEAR(w.inv() / expected, 1.0, 1e-12);
}

TEST(EvalInv, CoolingTowerVirtualSourceHasNoFurtherRise) {
  InversionWorld w;
  w.src.chl_vez = true;
  w.src.v = 100;
  w.src.t = 50;
  w.src.d = 60;
  w.src.qa = 200;  // test height H2 = 250
  w.src.tep_vyd = 4;
  w.climate.frt.fill(1);
  w.climate.vch1.fill(8000);
  w.climate.tch1.fill(25);
  w.climate.grt[ClimateTables::index(4, 4, 4)] = 1;
  w.climate.grt[ClimateTables::index(4, 4, 2)] = 1;
  w.ref_body[0].h = 300;
  w.zdroje = {w.src};
  double h_ef = 0;
  {
    const ModelContext c = w.ctx();
    h_ef = evaluate_par(c, w.src, 4, 1, 4, 10, 0, w.g).h_ef;
  }
  ASSERT_GT(h_ef, 100);
  // The flue-gas flow of the tower stays in the denominator of the virtual source.
  const double spread = 2 * test::kPi * 0.6 * std::pow(1000.0, 0.88) * 0.3 * std::pow(1000.0, 0.85) * 7;
  const double expected = test::textbook_axis_plume(1.0, 1000, 0.6, 0.88, 0.3, 0.85, 7, h_ef - 100, 200) *
                          spread / (spread + 100);
  EXPECT_NEAR(w.inv() / expected, 1.0, 1e-12);
}

TEST(EvalInv, TerrainAboveTheInversionIsTheUpperLayersGround) {
  InversionWorld w;
  w.hot(200);
  w.flat_terrain(130);
  w.src.z = 0;  // source base below the grid's ground does not matter here
  w.ref_body[0].z = 130;
  w.ref_body[0].h = 20;
  w.zdroje = {w.src};
  double h_ef = 0;
  {
    const ModelContext c = w.ctx();
    h_ef = evaluate_par(c, w.src, 4, 1, 4, 10, 0, w.g).h_ef;
  }
  // Upper-layer ground: the grid at 130 seen from the inversion at 100 rises 30 m right at
  // the source, so the reflection weight is 1 and the virtual plume (no rise, h_ef - 100
  // above the inversion) is lifted over 30 m of terrain by the terrain step (eps 0.5).
  const double h_upper = hef_terr(h_ef - 100, 30, 0.5);
  ASSERT_GT(h_upper, h_ef - 100);
  // The point lies 30 + 20 m above the inversion; its terrain image at 2 x 30 - 50 = 10.
  const double sy = 0.6 * std::pow(1000.0, 0.88), sz = 0.3 * std::pow(1000.0, 0.85);
  const double vert = std::exp(-(50 - h_upper) * (50 - h_upper) / (2 * sz * sz)) +
                      std::exp(-(10 - h_upper) * (10 - h_upper) / (2 * sz * sz));
  const double expected = 1e6 / (2 * test::kPi * sy * sz * 7) * vert;
  EXPECT_NEAR(w.inv() / expected, 1.0, 1e-9);
}

// A plume height equal to the inversion penetrates; above it, a test height equal to the
// inversion traps.
TEST(EvalInv, BoundariesOfTrappedAndPenetrating) {
  InversionWorld w;  // cold stack of 50 m: H = 50; point 1.5 m above the ground
  w.met.zi = {50};
  EXPECT_EQ(w.inv(), 0);  // H = zrel: penetrates, the point is below the inversion
  w.met.zi = {std::nextafter(50.0, 100.0)};
  EXPECT_GT(w.inv(), 0);  // zrel > H: trapped
  w.hot(10);
  w.par.ks[3] = 20;  // H about 115 > zrel; H2 = 50 + 0.5 x 10 x 4^0.5 = 60
  w.met.zi = {60};
  const Source held = test::cold_stack(5000, 5000, 60);
  EXPECT_NEAR(w.inv() / w.below_lid(held, 60), 1.0, 1e-12);  // zrel = H2: trapped, held at 60
  w.met.zi = {std::nextafter(60.0, 0.0)};
  EXPECT_EQ(w.inv(), 0);  // zrel < H2: penetrates
}

// A plume below the lid lifted above it by the terrain step is held at the lid.
TEST(EvalInv, EffectiveHeightAboveTheLidIsHeldAtIt) {
  InversionWorld w;
  w.met.zi = {60};
  w.g.zmax = 40;  // (1 - 0.5) x 50 < 40: h_ef = 40 + 25 = 65 > 60
  const double c = w.inv();
  w.g.zmax = 0;
  const Source held = test::cold_stack(5000, 5000, 60);
  EXPECT_NEAR(c / w.below_lid(held, 60), 1.0, 1e-12);
}

// With the wind turning, a trapped plume uses its height held at the lid.
TEST(EvalInv, TrappedPlumeTurnsTheWindWithTheHeldHeight) {
  InversionWorld w;
  w.cfg.wind_rotation = true;
  w.hot(10);
  w.par.ks[3] = 20;
  w.met.zi = {60};
  const double c = w.inv();
  // 60 m held plume: (60 - 10) / 25 = 2 degrees between the wind and the point.
  const Source held = test::cold_stack(5000, 5000, 60);
  const ModelContext ctx = w.ctx();
  PlumeParams p = evaluate_par(ctx, held, 4, 1, 4, 10, 60, w.g);
  p.kh = 1;
  const double expected = evaluate_gauss(ctx, 4, held, w.g.x, w.g.theta, 2, p, 270, true);
  EXPECT_NEAR(c / expected, 1.0, 1e-12);
}

TEST(EvalInv, InvalidClassesAndHoursStop) {
  InversionWorld w;
  w.met.tridy_st_i = {9};
  EXPECT_RUN_ERROR(w.inv(), " eval_inv: Index '9' of dimension 1 of array 'u_p' above upper bound of 5\n");
  w.met.tridy_st_i = {2};
  w.met.tridy_st = {0};
  EXPECT_RUN_ERROR(w.inv(), " eval_inv: Index '0' of dimension 1 of array 'u_p' below lower bound of 1\n");
  w.met.tridy_st = {4};
  w.zdroje = {w.src};
  const ModelContext c = w.ctx();
  EXPECT_RUN_ERROR(eval_inv(c, 2, 1, w.src, w.g, w.scratch),
                   " eval_inv: Index '2' of dimension 2 of array 'zi' above upper bound of 1\n");
  Source other = w.src;
  other.met_idx = 3;
  EXPECT_RUN_ERROR(eval_inv(c, 1, 1, other, w.g, w.scratch),
                   " eval_inv: Index '3' of dimension 1 of array 'zi' above upper bound of 1\n");
}

}  // namespace
}  // namespace kadre

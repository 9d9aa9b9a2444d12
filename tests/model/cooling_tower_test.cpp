#include "model/cooling_tower_rise.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "model/dispersion_model.h"
#include "model/moist_air.h"
#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

TEST(MoistAir, ReferenceValues) {
  EXPECT_EQ(get_et(273.15), 611.0);
  EXPECT_DOUBLE_EQ(get_w(1, 1), 1.2732395447351628);
  EXPECT_GT(get_et(303.15), 4000);  // about 4.2 kPa at 30 degrees
  EXPECT_LT(get_et(303.15), 4500);
  // Specific humidity at 100 % equals the saturation value of the plume formula.
  EXPECT_DOUBLE_EQ(get_qe(100, 290), 62.199997901916504 * get_et(290) / 10132500);
  EXPECT_EQ(static_cast<double>(0.622f) * 100, 62.199997901916504);
  // Mixing two streams of equal temperature keeps it; mixing lies between them.
  EXPECT_DOUBLE_EQ(get_tch(300, 5, 7, 300), 300);
  const double t = get_tch(280, 10, 10, 320);  // the denser cold stream weighs more
  EXPECT_GT(t, 280);
  EXPECT_LT(t, 300);
}

struct TowerCase {
  double t_a = 3, rh = 83, t = 50, h = 120, d = 60, v_act = 100, f = 1, vol2 = 8000, t2 = 25;
};

double tower_flux(const TowerCase& c) {
  return f_vztlak(c.t_a + 273.15, c.rh, c.t + 273.15, c.d, c.v_act, c.f, c.vol2, c.t2 + 273.15);
}

double tower_rise(const ModelParams& par, const TowerCase& c, int s, double u, double x) {
  return prevyseni_chlad_vez(par, c.t_a, c.rh, c.t, c.h, c.d, c.v_act, c.f, c.vol2, c.t2, s, u, x);
}

TEST(PrevyseniChladVez, NeutralBranchesMeetAtXf) {
  test::ModelWorld w;
  const TowerCase c;
  const double flux = tower_flux(c);
  ASSERT_GT(flux, 0);
  const double x_f = static_cast<double>(2.16f) * std::pow(flux, 0.4) * std::pow(c.h, 0.6);
  const double near = tower_rise(w.par, c, 4, 5, std::nextafter(x_f, 0.0));
  const double final_rise = tower_rise(w.par, c, 4, 5, x_f);
  EXPECT_NEAR(near / final_rise, 1.0, 2e-3);
  EXPECT_DOUBLE_EQ(final_rise,
                   static_cast<double>(5.56f) * std::pow(flux, 0.6) * std::pow(c.h, 0.4) / 5);
  EXPECT_EQ(tower_rise(w.par, c, 5, 5, 10 * x_f), tower_rise(w.par, c, 5, 5, x_f));
  EXPECT_LT(tower_rise(w.par, c, 4, 5, x_f / 4), near);
}

TEST(PrevyseniChladVez, StableFinalRiseDoesNotDependOnDistance) {
  test::ModelWorld w;  // gamma(2) = 0.002
  const TowerCase c;
  const double flux = tower_flux(c);
  const double stab = 9.81 * (0.01 - 0.002) / (c.t_a + 273.15);
  const double x_s = static_cast<double>(2.4f) * 4 / std::sqrt(stab);
  const double final_rise = static_cast<double>(2.9f) * std::cbrt(flux / (4 * stab));
  EXPECT_DOUBLE_EQ(tower_rise(w.par, c, 2, 4, x_s), final_rise);
  EXPECT_DOUBLE_EQ(tower_rise(w.par, c, 2, 4, 5 * x_s), final_rise);
  // Before x_s the rise grows with x^(2/3).
  const double r1 = tower_rise(w.par, c, 2, 4, x_s / 8);
  const double r2 = tower_rise(w.par, c, 2, 4, x_s / 64);
  EXPECT_NEAR(r1 / r2, 4.0, 1e-9);
}

TEST(PrevyseniChladVez, NegativeBuoyancyGivesNoRise) {
  test::ModelWorld w;
  TowerCase cold;
  cold.t_a = 33;
  cold.rh = 98;
  cold.t = 0;
  cold.t2 = -20;
  ASSERT_LT(tower_flux(cold), 0);
  for (int s = 1; s <= 5; ++s) EXPECT_EQ(tower_rise(w.par, cold, s, 4, 500), 0.0) << s;
}

TEST(PrevyseniChladVez, InvalidClassStops) {
  test::ModelWorld w;
  EXPECT_RUN_ERROR(tower_rise(w.par, TowerCase{}, 7, 4, 500),
                   " Chyba ve funkci prevyseni_chlad_vez. Trida stability            7  neodpovida "
                   "ocekavanym hodnotam.\n");
}

// A cooling tower whose climate grid holds one class (j = 4: 3 degrees, i = 4: 83 %).
struct TowerWorld : test::ModelWorld {
  Source tower;
  TowerWorld() {
    tower = test::cold_stack(1000, 1000, 120);
    tower.chl_vez = true;
    tower.v = 100 * 273.15 / (50 + 273.15);  // 100 m3/s at 50 degrees
    tower.t = 50;
    tower.d = 60;
    climate.frt.fill(1);
    climate.vch1.fill(8000);
    climate.tch1.fill(25);
    climate.grt[ClimateTables::index(4, 4, 4)] = 1;
    zdroje = {tower};
  }
};

TEST(CoolingTowerRise, SingleWeightReproducesItsClass) {
  TowerWorld w;
  const auto ctx = w.ctx();
  const double u_s = u_h(120, 4, 10, w.par.u_p[3]);
  const double expected = tower_rise(w.par, TowerCase{}, 4, u_s, 800);
  ASSERT_GT(expected, 0);
  EXPECT_NEAR(hef(ctx, w.tower, 4, 4, 10, 800, 0).h_plume, 120 + expected, 1e-9);
  // No weight in a class: no rise there.
  EXPECT_EQ(hef(ctx, w.tower, 3, 4, 10, 800, 0).h_plume, 120);
}

TEST(CoolingTowerRise, NoClassCanMakeTheRiseNotANumber) {
  TowerWorld w;
  const double single = [&] {
    const auto ctx = w.ctx();
    return hef(ctx, w.tower, 4, 4, 10, 800, 0).h_plume;
  }();
  // A class never occurring holds nonsense; a class with weight has negative buoyancy.
  w.climate.tch1[ClimateTables::index(1, 1, 2)] = std::nan("");
  w.climate.grt[ClimateTables::index(4, 4, 4)] = 0.5;
  w.climate.grt[ClimateTables::index(7, 10, 4)] = 0.5;
  w.climate.tch1[ClimateTables::index(7, 10, 2)] = -20;
  TowerCase heavy;
  heavy.t_a = 33;
  heavy.rh = 98;
  heavy.t2 = -20;
  ASSERT_LT(tower_flux(heavy), 0);
  const auto ctx = w.ctx();
  const double h = hef(ctx, w.tower, 4, 4, 10, 800, 0).h_plume;
  EXPECT_NEAR(h - 120, 0.5 * (single - 120), 1e-9);
}

// The coarse wind class that picks the tower's air stream comes from the wind at 10 m by
// the power law, not from the wind at the top or at the measuring height.
TEST(CoolingTowerRise, AirStreamChosenByTheTenMetreWind) {
  TowerWorld w;  // class_w_sp_ue = (3, 6); class 4 has u_p = 0.3
  const std::array<double, 3> stream{8000, 4000, 2000};
  for (int c = 1; c <= 3; ++c) w.climate.vch1[ClimateTables::index(4, 4, c)] = stream[c - 1];
  const auto ctx = w.ctx();
  auto expected = [&w, &stream](double u, double z_ref, int c) {
    TowerCase k;
    k.vol2 = stream[c - 1];
    return 120 + tower_rise(w.par, k, 4, u_h(120, u, z_ref, w.par.u_p[3]), 800);
  };
  // 5 m/s at 10 m: class 2 (at the top it would be about 10.5 m/s, class 3).
  EXPECT_NEAR(hef(ctx, w.tower, 4, 5, 10, 800, 0).h_plume, expected(5, 10, 2), 1e-9);
  // 5 m/s measured at 100 m is 5 x 0.1^0.3 = 2.5 m/s at 10 m: class 1.
  EXPECT_NEAR(hef(ctx, w.tower, 4, 5, 100, 800, 0).h_plume, expected(5, 100, 1), 1e-9);
  EXPECT_GT(expected(5, 10, 2), expected(5, 10, 3) + 1);
}

TEST(CoolingTowerRise, NegativeTenMetreWindStops) {
  TowerWorld w;
  const auto ctx = w.ctx();
  EXPECT_RUN_ERROR(hef(ctx, w.tower, 4, -1, 10, 800, 0), " Chyba ve funkci u2class_ui.\n");
}

TEST(CoolingTowerRise, ClusterFactorPerClassOnlyForClusteredTowers) {
  TowerWorld w;
  w.cfg.is_shluky = true;
  w.tower.shluk = 0;
  w.zdroje = {w.tower};
  const double unclustered = [&] {
    const auto ctx = w.ctx();
    return hef(ctx, w.tower, 4, 4, 10, 800, 0).h_plume;
  }();
  Source twin = w.tower;
  w.tower.shluk = twin.shluk = 3;
  w.tower.tep_vyd = twin.tep_vyd = 5;
  w.zdroje = {w.tower, twin};  // two towers at one point: factor 2^(1/3)
  const auto ctx = w.ctx();
  EXPECT_NEAR(hef(ctx, w.tower, 4, 4, 10, 800, 0).h_plume - 120, std::cbrt(2.0) * (unclustered - 120),
              1e-9);
}

}  // namespace
}  // namespace kadre

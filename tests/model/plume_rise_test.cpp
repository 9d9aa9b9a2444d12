// Plume rise: of an ordinary source with its growth and cluster factor, of an area source, and
// of a cooling tower with its climate classes.
#include "model/plume_rise.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "model/dispersion_model.h"
#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

TEST(Prevyseni, MomentumBuoyancyAndGrowthUpToTheFullRiseDistance) {
  EXPECT_DOUBLE_EQ(prevyseni(10, 2, 0, 25, 1.2, 0.5, 0, 3, 5, 1000), 6.0);  // beta 0: 1.5 w d / u
  EXPECT_DOUBLE_EQ(prevyseni(10, 2, 1, 25, 1.2, 0.5, 0, 3, 5, 1000), 3.6);  // beta 1: qa ks q^qb / u
  // Without buoyancy a heat output or exponent that makes q^qb not a number is not read.
  EXPECT_DOUBLE_EQ(prevyseni(10, 2, 0, -5, 1.2, 0.5, 10, 3, 5, 100), 6.0);
  EXPECT_DOUBLE_EQ(prevyseni(10, 2, 0, 0, 1.2, -0.5, 10, 3, 5, 100), 6.0);
  // x_m = sqrt(25) x 80 = 400: the full rise from there on (and at 0), a quarter at x_m / 8.
  const double full = prevyseni(0, 0, 1, 25, 1, 0.5, 80, 10, 2, 400);
  EXPECT_DOUBLE_EQ(full, 25);
  for (double x : {0.0, 5000.0}) EXPECT_EQ(prevyseni(0, 0, 1, 25, 1, 0.5, 80, 10, 2, x), full) << x;
  const double eighth = prevyseni(0, 0, 1, 25, 1, 0.5, 80, 10, 2, 50) / full;
  EXPECT_NEAR(eighth, 0.25, 1e-7);
  EXPECT_NE(eighth, 0.25);  // the exponent 2/3 in single precision
}

// Two stacks of 50 m, 50 m apart, in one cluster; a third far away in the next cluster.
std::vector<Source> two_stacks(int cluster) {
  std::vector<Source> z{test::cold_stack(1000, 1000, 50), test::cold_stack(9000, 9000, 300),
                        test::cold_stack(1050, 1000, 50)};
  for (Source& s : z) s.heat_output = 10, s.cluster = cluster;
  z[1].cluster = cluster + 1;
  return z;
}

double factor(std::vector<Source> z, int cluster, double h0, double dh) {
  return sfaktor(ClusterTable(z), cluster, h0, dh);
}

TEST(Sfaktor, TwoStacksFiftyMetresApart) {
  const double f = factor(two_stacks(5), 5, 50, 100);
  EXPECT_NEAR(f, 1.1187, 5e-5);
  EXPECT_DOUBLE_EQ(f, std::cbrt(3.5 / 2.5));
  EXPECT_DOUBLE_EQ(factor(two_stacks(1005), 1005, 50, 100), f);  // above 1000 the spacing test uses D / (n - 1)
  // Alone in its cluster, an unknown cluster, no rise: 1.
  EXPECT_EQ(factor(two_stacks(5), 6, 300, 100), 1.0);
  EXPECT_EQ(factor(two_stacks(1005), 1006, 300, 100), 1.0);
  EXPECT_EQ(factor(two_stacks(5), 77, 50, 100), 1.0);
  EXPECT_EQ(factor(two_stacks(5), 5, 50, 0), 1.0);
  std::vector<Source> z = two_stacks(5);
  z[2].x = z[0].x;  // D = 0 and dh = 0 would be 0/0
  EXPECT_EQ(factor(z, 5, 50, 0), 1.0);
  EXPECT_DOUBLE_EQ(factor(z, 5, 50, 10), std::cbrt(2.0));
  z[2].x = 1000 + 76;  // wider than 1.5 x 50
  EXPECT_EQ(factor(z, 5, 50, 100), 1.0);
  // Height outside the band of the heat-weighted mean height (40: the 100 m stack has no heat).
  z = two_stacks(5);
  z[0].h = 100;
  z[0].heat_output = 0;
  z[2].h = 40;
  EXPECT_EQ(factor(z, 5, 100, 100), 1.0);
  EXPECT_GT(factor(z, 5, 40, 100), 1.0);
  z[2].heat_output = 0;  // no heat at all: no mean height
  EXPECT_EQ(factor(z, 5, 40, 100), 1.0);
}

TEST(Hef, AreaSourceRiseClusterFactorAndTerrainStep) {
  test::ModelWorld w;
  Source area = test::cold_stack(1000, 1000, 5);
  area.type = 2;
  area.t = 12;  // without exit velocity and diameter the temperature field is the rise
  area.beta = 1;
  area.qa = 50;
  area.heat_output = 100;
  w.sources = {area};
  const PlumeHeight h = hef(w.ctx(), area, 3, 4, 10, 500, 0);
  EXPECT_EQ(h.h_plume, 17);
  EXPECT_EQ(h.h_ef, 17);

  w.sources = two_stacks(5);
  for (Source& s : w.sources) s.beta = 1, s.qa = 20;
  w.par.km = {0, 0, 0, 0, 0};
  const double dh = 20 * 1.3 * std::sqrt(10.0) / (4 * std::pow(5.0, w.par.u_p[3]));
  EXPECT_DOUBLE_EQ(hef(w.ctx(), w.sources[0], 4, 4, 10, 500, 0).h_plume, 50 + dh);
  w.cfg.is_shluky = true;
  const auto ctx = w.ctx();
  EXPECT_DOUBLE_EQ(hef(ctx, w.sources[0], 4, 4, 10, 500, 0).h_plume, 50 + dh * sfaktor(ctx.clusters, 5, 50, dh));
  const PlumeHeight over = hef(ctx, w.sources[0], 4, 4, 10, 500, 1000);  // eps = 0.5
  EXPECT_DOUBLE_EQ(over.h_ef, 1000 + 0.5 * over.h_plume);
}

TEST(MoistAir, ReferenceValues) {
  EXPECT_EQ(get_et(273.15), 611.0);
  EXPECT_GT(get_et(303.15), 4000);  // about 4.2 kPa at 30 degrees
  EXPECT_LT(get_et(303.15), 4500);
  EXPECT_DOUBLE_EQ(get_w(1, 1), 1.2732395447351628);
}

struct TowerCase {
  double t_a = 3, rh = 83, t = 50, h = 120, d = 60, v_act = 100, f = 1, vol2 = 8000, t2 = 25;
  double flux() const { return f_vztlak(t_a + 273.15, rh, t + 273.15, d, v_act, f, vol2, t2 + 273.15); }
  double rise(const ModelParams& par, int s, double u, double x) const {
    return prevyseni_chlad_vez(par, t_a, rh, t, h, d, v_act, f, vol2, t2, s, u, x);
  }
};

TEST(PrevyseniChladVez, BranchesMeetAtTheFullRiseDistances) {
  test::ModelWorld w;  // gamma(2) = 0.002
  const TowerCase c;
  const double flux = c.flux();
  ASSERT_GT(flux, 0);
  // Neutral: the near branch meets the final rise at x_f; beyond it the rise stays.
  const double x_f = static_cast<double>(2.16f) * std::pow(flux, 0.4) * std::pow(c.h, 0.6);
  const double final_rise = c.rise(w.par, 4, 5, x_f);
  EXPECT_DOUBLE_EQ(final_rise, static_cast<double>(5.56f) * std::pow(flux, 0.6) * std::pow(c.h, 0.4) / 5);
  EXPECT_NEAR(c.rise(w.par, 4, 5, std::nextafter(x_f, 0.0)) / final_rise, 1.0, 2e-3);
  EXPECT_LT(c.rise(w.par, 4, 5, x_f / 4), 0.999 * final_rise);
  EXPECT_EQ(c.rise(w.par, 5, 5, 10 * x_f), c.rise(w.par, 5, 5, x_f));
  // Stable: the final rise from x_s on, growing with x^(2/3) before it.
  const double stab = 9.81 * (0.01 - 0.002) / (c.t_a + 273.15);
  const double x_s = static_cast<double>(2.4f) * 4 / std::sqrt(stab);
  const double stable_rise = static_cast<double>(2.9f) * std::cbrt(flux / (4 * stab));
  for (double x : {x_s, 5 * x_s}) EXPECT_DOUBLE_EQ(c.rise(w.par, 2, 4, x), stable_rise) << x;
  EXPECT_NEAR(c.rise(w.par, 2, 4, x_s / 8) / c.rise(w.par, 2, 4, x_s / 64), 4.0, 1e-9);
  // Outside air of 33 degrees near saturation over a tower stream of -20: no rise in any class.
  const TowerCase heavy{.t_a = 33, .rh = 98, .t2 = -20};
  ASSERT_LT(heavy.flux(), 0);
  for (int s = 1; s <= 5; ++s) EXPECT_EQ(heavy.rise(w.par, s, 4, 500), 0.0) << s;
  EXPECT_RUN_ERROR(c.rise(w.par, 7, 4, 500),
                   " Chyba ve funkci prevyseni_chlad_vez. Trida stability            7  neodpovida "
                   "ocekavanym hodnotam.\n");
}

// A tower of 100 m3/s at 50 degrees in a climate grid of one class.
struct TowerWorld : test::ModelWorld {
  Source tower = test::cooling_tower(1000, 1000, 120, 100 * 273.15 / (50 + 273.15));
  TowerWorld() {
    tower_climate({4});
    sources = {tower};
  }
  double height(int s, double u, double z_ref = 10) const { return hef(ctx(), tower, s, u, z_ref, 800, 0).h_plume; }
};

TEST(CoolingTowerRise, ClimateWeightsOfTheClasses) {
  TowerWorld w;
  const double single = w.height(4, 4);
  EXPECT_NEAR(single, 120 + TowerCase{}.rise(w.par, 4, u_h(120, 4, 10, w.par.u_p[3]), 800), 1e-9);
  ASSERT_GT(single, 120);
  EXPECT_EQ(w.height(3, 4), 120);  // no weight in the class: no rise
  // A class never occurring holds nonsense; a class with half the weight has negative buoyancy.
  w.climate.tch1[ClimateTables::index(1, 1, 2)] = std::nan("");
  w.climate.grt[ClimateTables::index(4, 4, 4)] = 0.5;
  w.climate.grt[ClimateTables::index(7, 10, 4)] = 0.5;
  w.climate.tch1[ClimateTables::index(7, 10, 2)] = -20;
  EXPECT_NEAR(w.height(4, 4) - 120, 0.5 * (single - 120), 1e-9);
  // Clustered towers (two at one point) take their factor 2^(1/3) in every class.
  w.cfg.is_shluky = true;
  w.tower.cluster = 3;
  w.tower.heat_output = 5;
  w.sources = {w.tower, w.tower};
  EXPECT_NEAR(w.height(4, 4) - 120, std::cbrt(2.0) * 0.5 * (single - 120), 1e-9);
}

// The coarse wind class that picks the tower's air stream comes from the wind at 10 m by the
// power law, not from the wind at the top or at the measuring height.
TEST(CoolingTowerRise, AirStreamChosenByTheTenMetreWind) {
  TowerWorld w;  // class_w_sp_ue = (3, 6); class 4 has u_p = 0.3
  const std::array<double, 3> stream{8000, 4000, 2000};
  for (int c = 1; c <= 3; ++c) w.climate.vch1[ClimateTables::index(4, 4, c)] = stream[c - 1];
  const auto expected = [&w, &stream](double u, double z_ref, int c) {
    return 120 + TowerCase{.vol2 = stream[c - 1]}.rise(w.par, 4, u_h(120, u, z_ref, w.par.u_p[3]), 800);
  };
  // 5 m/s at 10 m: class 2 (at the top it would be about 10.5 m/s, class 3).
  EXPECT_NEAR(w.height(4, 5), expected(5, 10, 2), 1e-9);
  // 5 m/s measured at 100 m is 5 x 0.1^0.3 = 2.5 m/s at 10 m: class 1.
  EXPECT_NEAR(w.height(4, 5, 100), expected(5, 100, 1), 1e-9);
  EXPECT_GT(expected(5, 10, 2), expected(5, 10, 3) + 1);
}

}  // namespace
}  // namespace kadre

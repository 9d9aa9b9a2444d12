// The moist-air functions, the rise of a cooling-tower plume for one climate class, and the
// rise weighted over the climate grid. Expected values from an independent script (Python,
// double precision) working from the formulas quoted at each test, with the constants 611,
// 2.5e6, 461, 287, 101325, 1004, 0.622, 0.378, 0.61, 2.4, 2.9, 1.6, 2.16 and 5.56 rounded to
// single precision first; 1e-12 relative allows for a different order of operations (through
// up to four exponentials), while a constant taken in double precision moves a value by 1e-8.
#include <gtest/gtest.h>

#include <cmath>

#include "model/cooling_tower_rise.h"
#include "model/moist_air.h"
#include "model/plume_height.h"

namespace kadre {
namespace {

constexpr double kRel = 1e-12;

// e(t) = 611 exp(-(1/t - 1/273.15) 2.5e6 / 461); s = 0.622 e / (101325 - 0.378 e);
// r = 287 (1 + 0.61 s); qe = 0.622 e rh / 10132500; m = v 101325 / (r t); the mixture
// temperature (t2 m2 + t1 m1) / (m1 + m2) of two saturated streams; w = 4 v / (d^2 pi); the flux
// 9.81 w d^2 / 4 ((1 - t_a / t_ch) + (2.5e6 f / (t_ch 1004) + 0.61) (q_ch - q_a)) with
// q_ch = 0.622 x 100 e(t_ch) / 10132500.
TEST(MoistAir, StateFunctionsAndBuoyancyFlux) {
  const struct {
    const char* name;
    double value, expected;
  } cases[] = {
      {"et(273.15)", get_et(273.15), 611.0},
      {"et(300)", get_et(300), 3611.897278144013},
      {"s(300)", get_s(300), 0.02247505711731851},
      {"r(300)", get_r(300), 290.9347083418018},
      {"qe(80, 290)", get_qe(80, 290), 0.009510190861777222},
      {"m(2, 287, 300)", get_m(2, 287, 300), 2.3536585365853657},
      {"tch(320, 10, 100, 290)", get_tch(320, 10, 100, 290), 292.41293733701826},
      {"w(1, 1)", get_w(1, 1), 1.2732395447351628},
      {"w(3, 2)", get_w(3, 2), 0.954929658551372},
      {"flux", buoyancy_flux(283.15, 75, 323.15, 60, 10, 0.5, 8000, 298.15), 2958.058452095597},
      {"flux 2", buoyancy_flux(263.15, 93, 313.15, 40, 20, 0.2, 3000, 280.15), 681.8188717633451},
      {"flux in deg C", cooling_tower_flux(10, 75, 50, 60, 10, 0.5, 8000, 25), 2958.058452095597}};
  for (const auto& c : cases) EXPECT_NEAR(c.value, c.expected, kRel * c.expected) << c.name;
}

// Flux F = 1000 m4/s3 in air of 10 deg C, tower 100 m, wind 5 m/s, gamma -0.01, 0, 0.005 for
// classes 1..3. Stable: S = 9.81 (0.01 - gamma) / T_a, from x_s = 2.4 u / sqrt(S) on
// 2.9 (F / (u S))^(1/3), before it 1.6 F^(1/3) x^(2/3) / u. Classes 4 and 5: below
// x_f = 2.16 F^0.4 h^0.6 (542.6 m) 1.6 F^(1/3) (3 x)^(2/3) / u, from it on 5.56 F^0.6 h^0.4 / u.
TEST(CoolingTowerRise, StableNeutralAndUnstableBranches) {
  ModelParams par;
  par.gamma = {-0.01, 0.0, 0.005};
  // Exactly at x_s and x_f (formed here as the rise forms them) the final rise counts.
  const double x_s = static_cast<double>(2.4f) * 5 / std::sqrt(9.81 * (0.01 - 0.0) / (10 + 273.15));
  const double x_f = static_cast<double>(2.16f) * std::pow(1000.0, 0.4) * std::pow(100.0, 0.6);
  const struct {
    int s;
    double x, dh;
  } cases[] = {{2, x_s, 241.46667223074053},  {4, x_f, 442.6951690995139},
               {2, 1000, 241.46667223074053},                                 // x_s = 644.7 m
               {2, 300, 143.4049540267295},   {1, 1000, 191.65222475716897},  // x_s = 455.9 m
               {3, 1000, 304.22894319157587},                                 // x_s = 911.7 m
               {3, 200, 109.43846221806868},  {4, 300, 298.29432501650206},
               {4, 1000, 442.6951690995139},  {5, 1000, 442.6951690995139},
               {5, 150, 187.9136495762369}};
  for (const auto& c : cases) {
    TowerPowers p;
    set_flux_powers(1000, p);
    set_height_distance_powers(100, c.x, p);
    EXPECT_NEAR(cooling_tower_rise_of_flux(par, p, 10, c.s, 5, c.x), c.dh, kRel * c.dh)
        << c.s << " " << c.x;
  }
  TowerPowers heavier;  // negative buoyancy: no rise
  set_flux_powers(-5, heavier);
  set_height_distance_powers(100, 300, heavier);
  EXPECT_EQ(cooling_tower_rise_of_flux(par, heavier, 10, 4, 5, 300), 0.0);
}

// A tower 100 m high, mouth 10 m, flue gas 50 m3/s (at 0 deg C) of 40 deg C, at 800 m in class 4
// (u_p 0.3) with 5 m/s measured at 20 m: 10 m wind 4.06 m/s, coarse class 2 of the bounds 2 and
// 4.5 m/s (the wind measured and the wind at the top lie in class 3), whose air stream is 8000 m3/s
// at 20 deg C (class 1: 6000 at 15, class 3: 9000 at 22); f = 0.4. Actual flow 50 x 313.15 /
// 273.15; wind at the top 5 (100 / 20)^0.3. Weights 0.7 for humidity 75 % at 3 deg C, 0.3 for 88 %
// at -7 deg C: rises 484.03 and 542.82 m. In a cluster with a twin 50 m away each class's rise
// takes its own factor.
TEST(CoolingTowerRise, WeightedOverTheClimateGrid) {
  ModelParams par;
  par.u_p[3] = 0.3;
  par.class_w_sp_ue = {2, 4.5};
  ClimateTables climate;
  climate.frt.fill(0.4);
  const double air[3][2] = {{6000, 15}, {8000, 20}, {9000, 22}};
  for (int c = 1; c <= 3; ++c)
    for (int j = 1; j <= 10; ++j)
      for (int i = 1; i <= 7; ++i) {
        climate.vch1[ClimateTables::index(i, j, c)] = air[c - 1][0];
        climate.tch1[ClimateTables::index(i, j, c)] = air[c - 1][1];
      }
  climate.grt[ClimateTables::index(3, 4, 4)] = 0.7;
  climate.grt[ClimateTables::index(5, 2, 4)] = 0.3;
  climate.grt[ClimateTables::index(1, 1, 2)] = 1;  // another class's weight
  Source tower{.id = "S",
               .cluster = 5,
               .stack_height_m = 100,
               .flue_gas_flow_m3_s = 50,
               .flue_gas_temp_c = 40,
               .diameter_m = 10,
               .heat_output = 1,
               .cooling_tower = true};
  Source twin = tower;
  twin.x = 50;
  const TerrainGrid terrain;
  for (const bool clustered : {false, true}) {
    const ModelContext ctx(ModelOptions{.is_shluky = clustered}, par, terrain, climate,
                           {tower, twin});
    const StackExit exit = stack_exit(tower);
    const double h_plume =
        hef(ctx, tower, exit, 4, 5, 800, 0, rise_factors(par, tower, exit, 4, 20, 800)).h_plume;
    const double expected = clustered ? 719.3994625049323 : 601.6686555607715;
    EXPECT_NEAR(h_plume, expected, kRel * expected) << clustered;
  }
}

}  // namespace
}  // namespace kadre

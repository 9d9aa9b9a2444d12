// Stability classes from gradients, the wind-speed classes, the wind profile, the angle to the
// plume axis, the height function fz1 and the terrain factor. Unless a case says otherwise the
// expected values were computed by an independent script (Python, double precision) from the
// formulas as written next to each test; the single-precision constants 2.247 and 1.17 entered
// it rounded to single precision. Tolerance 1e-13 relative: the script's order of operations
// may differ from the code's by a few units in the last place, while the smallest change of a
// constant (single to double precision) moves a value by 1e-8.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "model/stability_classes.h"
#include "model/wind_profile.h"
#include "support/test_support.h"

namespace kadre {
namespace {

constexpr double kRel = 1e-13;

// Bounds -1, 0, 1, 2 (the fifth unused): g < -1 is class 1, each bound opens the next class,
// above 2 is class 5, 2 itself and a gradient that is no number keep the preset 4.
TEST(StabilityClasses, GradientsFallBetweenStrictBounds) {
  ModelParams par;
  par.stab_cl_ue = {-1, 0, 1, 2, -100};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> g{-2, -1, -0.5, 0, 0.5, 1, 1.5, 2, 2.5, nan};
  EXPECT_EQ(classes_from_gradients(g, par), (std::vector<int>{1, 2, 2, 3, 3, 4, 4, 4, 5, 4}));
  EXPECT_TRUE(classes_from_gradients({}, par).empty());
}

// nu(s): position of the largest class speed not above 2, 5, 15, 15, 5 m/s for classes 1..5,
// the first of equal ones, 0 when none is within; the speeds need not be sorted.
TEST(WindClasses, EachStabilityClassTakesTheSpeedsUpToItsLimit) {
  const struct {
    std::array<double, 3> speeds;
    std::array<int, 5> nu;
  } cases[] = {{{1, 4, 10}, {1, 2, 3, 3, 2}},
               {{3, 6, 12}, {0, 1, 3, 3, 1}},
               {{2, 5, 15}, {1, 2, 3, 3, 2}},  // a speed equal to the limit is within
               {{4, 4, 1}, {3, 1, 1, 1, 1}},
               {{10, 4, 1}, {3, 2, 1, 1, 2}}};
  for (const auto& c : cases) {
    ModelParams par;
    par.class_w_sp = c.speeds;
    const WindClasses w = u_range_gen(false, par);
    EXPECT_EQ(w.u_range, std::vector<double>(c.speeds.begin(), c.speeds.end()));
    EXPECT_EQ(w.nu, c.nu) << c.speeds[0];
  }
}

// The fine grid: 1.5..3.0 by 0.1, 3.0 + 0.2 k (k = 1..20) formed in single precision,
// 7.5..15 by 0.5; the values are the single-precision numbers of the decimals.
TEST(WindClasses, FineGridOfFiftyTwoSpeeds) {
  const WindClasses w = u_range_gen(true, ModelParams{});
  ASSERT_EQ(w.u_range.size(), 52u);
  EXPECT_EQ(w.nu, (std::array<int, 5>{6, 26, 52, 52, 26}));
  const struct {
    int k;
    double u;
  } cases[] = {{1, 1.5},
               {2, 1.600000023841858},
               {6, 2.0},
               {16, 3.0},
               {17, 3.200000047683716},
               {18, 3.4000000953674316},
               {19, 3.5999999046325684},
               {26, 5.0},
               {36, 7.0},
               {37, 7.5},
               {52, 15.0}};
  for (const auto& c : cases) EXPECT_EQ(w.u_range[c.k - 1], c.u) << c.k;
}

// Bounds 2 and 5 m/s: up to and including each bound the lower class.
TEST(WindClasses, CoarseClassOfTheCoolingTowerRise) {
  ModelParams par;
  par.class_w_sp_ue = {2, 5};
  const struct {
    double u;
    int c;
  } cases[] = {{0, 1}, {2, 1}, {std::nextafter(2.0, 3.0), 2}, {5, 2}, {5.5, 3}};
  for (const auto& c : cases) EXPECT_EQ(u2class_ui(c.u, par), c.c) << c.u;
  EXPECT_INPUT_ERROR(u2class_ui(-0.1, par), "Chyba ve funkci u2class_ui.");
}

// u (zc / z_ref)^p with the height zc held within 10..200 m.
TEST(WindProfile, PowerLawBetweenTenAndTwoHundredMetres) {
  const struct {
    double z, u, z_ref, p, expected;
  } cases[] = {{5, 3, 10, 0.2, 3.0},  // below 10 m: the wind at 10 m
               {50, 2, 10, 0.3, 3.241313193385525},
               {250, 3, 10, 0.25, 6.344227580643384},  // above 200 m: at 200 m
               {200, 3, 10, 0.25, 6.344227580643384},
               {40, 4, 20, 0.5, 5.656854249492381},
               {5, 4, 20, 0.5, 2.8284271247461903},
               {120, 6, 30, 0.4, 10.44660675955349}};
  WindProfileMemo memo;  // asked in turn for changing heights, references and exponents
  for (const auto& c : cases) {
    EXPECT_NEAR(u_h(c.z, c.u, c.z_ref, c.p), c.expected, kRel * c.expected) << c.z;
    EXPECT_NEAR(c.u * memo.of(c.z, c.z_ref, c.p), c.expected, kRel * c.expected) << c.z;
  }
}

// Hand calculation: the axis turns by (h_plume - z_ref) / 25 degrees against the source
// azimuth when the wind turns with height; lambda = |phi - axis| mod 360.
TEST(WindProfile, AngleToTheAxisWithAndWithoutTurning) {
  const struct {
    double phi, delta, h_plume, z_ref;
    bool turn;
    double lambda;
  } cases[] = {{10, 350, 60, 10, false, 340}, {10, 350, 60, 10, true, 338},
               {350, 10, 0, 10, false, 340},  {100, 30, 135, 10, true, 75},
               {100, 30, 135, 35, true, 74},  {0, 0, 10, 10, true, 0},
               {200, 10, 510, 10, true, 210}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(get_lambda(c.phi, wind_axis(c.delta, c.h_plume, c.z_ref, c.turn)), c.lambda)
        << c.phi << " " << c.delta << " " << c.turn;
}

// v (t + 273.15) / (273.15 + t0) p0 / p.
TEST(WindProfile, VolumeFlowAtOtherConditions) {
  EXPECT_NEAR(v_prep(10, 0, 101325, 100, 101325), 13.660992128866924, 1e-14 * 13.66);
  EXPECT_NEAR(v_prep(10, 20, 100000, 100, 90000), 14.143309265260486, 1e-14 * 14.14);
}

// 26 nodes at 0, 100, ..., 2500 m with values 0.8 - 0.001 n^2 (n = 0..25): linear between
// the two nodes around z, the end values outside; then x 2.247 for classes 1 and 2, for class
// 3 x 1.17 up to a 10 m wind of 2.5 m/s, falling linearly to 0 at 7.5 m/s; 0 for 4 and 5.
ModelParams fz_params() {
  ModelParams par;
  for (int n = 0; n < 26; ++n) {
    par.fz[2 * n] = 100.0 * n;
    par.fz[2 * n + 1] = 0.8 - 0.001 * n * n;
  }
  return par;
}

TEST(Fz1, InterpolatedInTheTableAndScaledByClassAndWind) {
  const ModelParams par = fz_params();
  const struct {
    double z;
    int s;
    double u10, expected;
  } cases[] = {{150, 1, 0, 1.7919824832677842},
               {130, 2, 0, 1.7933306832551956},
               {170, 3, 2, 0.9323729658007623},
               {100, 3, 5, 0.46741498285532},
               {250, 3, 6.5, 0.18567899318933487},
               {250, 3, 8, 0.0},
               {-5, 1, 0, 1.7975999832153322},
               {2600, 1, 0, 0.393224996328354},
               {150, 4, 1, 0.0},
               {150, 5, 1, 0.0}};
  for (const auto& c : cases)
    EXPECT_NEAR(fz1(par, c.z, c.s, c.u10), c.expected, kRel * c.expected)
        << c.z << " " << c.s << " " << c.u10;
  EXPECT_INPUT_ERROR(fz1(par, 150, 6, 1),
                     "Chyba ve funkci Fz1. Trida stability            6  neodpovida ocekavanym "
                     "hodnotam.");
}

// The nearest node decides the bracketing pair even in a table whose heights are not in order;
// of two equally near nodes the first counts.
TEST(Fz1, NearestNodeChoosesTheIntervalFirstOfEqualDistances) {
  ModelParams par;
  const double nodes[4][2] = {{0, 0.9}, {200, 0.5}, {100, 0.7}, {300, 0.1}};
  for (int n = 0; n < 26; ++n) {
    par.fz[2 * n] = n < 4 ? nodes[n][0] : 100.0 * n;
    par.fz[2 * n + 1] = n < 4 ? nodes[n][1] : 0.2;
  }
  // 150: nodes 2 and 3 tie, node 2 (above) gives the pair (1, 2); 120: node 3 (below), the pair
  // (3, 4); 190: node 2, the pair (1, 2). Classes 1 and 2 scale by 2.247 in single precision.
  const struct {
    double z, value;
  } cases[] = {{150, 0.6}, {120, 0.64}, {190, 0.9 - 0.4 * 190 / 200}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(fz1(par, c.z, 1, 1), c.value * static_cast<double>(2.247f)) << c.z;
}

// kh = 1 - (fz1(h + z0) - fz1(z_r)) for a point whose terrain z_r lies above the axis h + z0,
// else 1 (classes 4 and 5 always 1, fz1 being 0 there).
TEST(Fz1, TerrainFactorOfPointsAboveTheAxis) {
  const ModelParams par = fz_params();
  const struct {
    double h, z0, z_r;
    int s;
    double u10, kh;
  } cases[] = {{100, 200, 450, 1, 0, 0.9741595002412795},
               {100, 200, 300, 1, 0, 1.0},
               {100, 200, 450, 3, 5, 0.9932725002467633},
               {100, 200, 450, 4, 0, 1.0},
               {60, 30, 95, 2, 0, 0.9998876500010487}};
  for (const auto& c : cases)
    EXPECT_NEAR(get_kh(par, c.h, c.z0, c.z_r, c.s, c.u10), c.kh, kRel) << c.z_r << " " << c.s;
}

}  // namespace
}  // namespace kadre

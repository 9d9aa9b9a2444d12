// Heat output and what the rise takes from it, the rise of an ordinary source, its growth with
// distance, the plume height with the area-source rule and the terrain, and the cluster factor.
// Expected values from an independent script (Python, double precision) working from the
// formulas quoted at each test, the single-precision constants (0.001, 1.004, 1.371, 0.7, 2/3)
// rounded to single precision first; 1e-13 relative allows for a different order of operations,
// while the smallest change of a constant (single to double precision) moves a value by 1e-8.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/cluster_factor.h"
#include "model/heat_output.h"
#include "model/plume_height.h"
#include "model/plume_rise.h"
#include "support/test_support.h"

namespace kadre {
namespace {

constexpr double kRel = 1e-13;
const double kSevenTenths = static_cast<double>(0.7f);

// 0.001 v 1.371 (t - t_ref), with 1.004 in place of 1.371 when t <= 80 and the formula is
// "vyzk-zpr".
TEST(HeatOutput, FactorByTemperatureAndFormula) {
  const struct {
    double v, t, t_ref;
    const char* formula;
    double q;
  } cases[] = {
      {10, 80, 0, "vyzk-zpr", 0.8031999969512205},  {10, 80.5, 0, "vyzk-zpr", 1.1036550938770242},
      {10, 50, 0, "metodika", 0.6855000583087106},  {10, 50, 0, "vyzk-zpr  ", 0.5019999980945128},
      {10, 50, 20, "vyzk-zpr", 0.3011999988567077}, {200, 120, 0, "vyzk-zpr", 32.90400279881811},
      {10, -5, 0, "vyzk-zpr", -0.05019999980945128}};
  for (const auto& c : cases)
    EXPECT_NEAR(compute_heat_output(c.v, c.t, c.t_ref, c.formula), c.q, kRel * std::fabs(c.q))
        << c.t << " " << c.formula;
}

// Hand calculation: beta 0 up to 30 degrees, 1 from 80, (t - 30) / 50 between; (qa, qb) =
// (30, 0.7) from a heat output of 20 MW on, else (90, 1/3).
TEST(HeatOutput, BuoyancyWeightAndRiseCoefficients) {
  const struct {
    double t, beta;
  } weights[] = {{-10, 0}, {30, 0}, {40, 0.2}, {55, 0.5}, {79, 0.98}, {80, 1}, {300, 1}};
  for (const auto& w : weights) EXPECT_NEAR(get_beta(w.t), w.beta, 1e-15) << w.t;
  const struct {
    double q, qa, qb;
  } coefficients[] = {{0, 90, 1.0 / 3.0},
                      {std::nextafter(20.0, 0.0), 90, 1.0 / 3.0},
                      {20, 30, 0.699999988079071},
                      {500, 30, 0.699999988079071}};
  for (const auto& c : coefficients) {
    double qa = 0, qb = 0;
    qab(c.q, qa, qb);
    EXPECT_EQ(qa, c.qa) << c.q;
    EXPECT_EQ(qb, c.qb) << c.q;
  }
}

// Every source gets its values from the flow and temperature as read; an area source's flow
// counts in its heat output and is 0 afterwards, a stack keeps it.
TEST(HeatOutput, DerivedForEverySourceAreaFlowCountedThenZero) {
  std::vector<Source> sources{
      {.id = "S", .type = SourceType::point, .flue_gas_flow_m3_s = 200, .flue_gas_temp_c = 120},
      {.id = "S", .type = SourceType::area, .flue_gas_flow_m3_s = 10, .flue_gas_temp_c = 55},
      {.id = "S", .type = SourceType::line, .flue_gas_flow_m3_s = -5}};  // item 5 of a line
  derive_heat_output(sources, "vyzk-zpr");
  const struct {
    double v, beta, q, qa, qb;
  } expected[] = {{200, 1, 32.90400279881811, 30, kSevenTenths},
                  {0, 0.5, 0.552199997903964, 90, 1.0 / 3.0},  // 0.001 x 10 x 1.004 x 55
                  {0, 0, 0, 90, 1.0 / 3.0}};
  for (std::size_t k = 0; k < 3; ++k) {
    const Source& s = sources[k];
    const auto& e = expected[k];
    EXPECT_EQ(s.flue_gas_flow_m3_s, e.v) << k;
    EXPECT_EQ(s.beta, e.beta) << k;
    EXPECT_NEAR(s.heat_output, e.q, kRel * e.q) << k;
    EXPECT_EQ(s.qa, e.qa) << k;
    EXPECT_EQ(s.qb, e.qb) << k;
  }
  EXPECT_TRUE(std::signbit(sources[2].heat_output));  // 0 x -5: the sign shows where it is listed
}

// (beta qa ks q^qb / u + (1 - beta) 1.5 w d / u) x growth.
TEST(PlumeRise, BuoyantAndMomentumParts) {
  const struct {
    double w, d, beta, q, qb, ks, qa, u, growth, dh;
  } cases[] = {{10, 2, 0.4, 9, 1.0 / 3.0, 1.2, 90, 5, 1, 21.571924231168452},
               {10, 2, 0, 9, 1.0 / 3.0, 1.2, 90, 5, 1, 6.0},
               {10, 2, 1, 25, kSevenTenths, 1.1, 30, 4, 0.25, 19.63143048971043},
               {3, 1.5, 0.7, 40, kSevenTenths, 1.4, 30, 2.5, 0.5, 78.17628967904683},
               {10, 2, 0, -9, 1.0 / 3.0, 1.2, 90, 5, 1, 6.0}};  // no buoyancy: q is not read
  for (const auto& c : cases)
    EXPECT_NEAR(plume_rise(c.w, c.d, c.beta, std::pow(c.q, c.qb), c.ks, c.qa, c.u, c.growth), c.dh,
                kRel * c.dh)
        << c.beta << " " << c.q;
}

// Hand calculation, q = 25, c = 80: the full rise from x_m = sqrt(q) c = 400 m on,
// (x / x_m)^(2/3) before it (2/3 in single precision: 1e-7).
TEST(PlumeRise, GrowsUpToTheFullRiseDistance) {
  const struct {
    double x, growth;
  } growth[] = {{0, 1}, {400, 1}, {5000, 1}, {50, 0.25}, {200, 0.62996052494743658}};
  for (const auto& c : growth) EXPECT_NEAR(rise_growth(25, 80, c.x), c.growth, 1e-7) << c.x;
}

// Per class s: the wind factor at the stack top (zc / z_ref)^u_p with zc = h held within
// 10..200 m, at 10 m (10 / z_ref)^u_p, q^qb, and the growth (x / (sqrt(q) km))^(2/3) below
// the full rise distance.
TEST(PlumeRise, FactorsOfAClassThatNoWindSpeedChanges) {
  const struct {
    double h, z_ref, u_p, q, qb, km, x;
    RiseFactors f;
  } cases[] = {{50,
                10,
                0.2,
                9,
                1.0 / 3.0,
                100,
                150,
                {1.379729661461215, 1.0, 2.080083823051904, 0.6299605162718741}},
               {300,
                20,
                0.3,
                25,
                kSevenTenths,
                80,
                1000,
                {1.9952623149688795, 0.8122523963562356, 9.51826932834445, 1.0}},
               {5,
                20,
                0.3,
                4,
                1.0 / 3.0,
                80,
                40,
                {0.8122523963562356, 0.8122523963562356, 1.5874010519681994, 0.39685025206152613}}};
  for (const auto& c : cases) {
    ModelParams par;
    par.u_p[2] = c.u_p;
    par.km[2] = c.km;
    const Source s{.id = "S", .stack_height_m = c.h, .qb = c.qb, .heat_output = c.q};
    const RiseFactors f = rise_factors(par, s, stack_exit(s), 3, c.z_ref, c.x);
    EXPECT_NEAR(f.stack_top, c.f.stack_top, kRel * c.f.stack_top) << c.h;
    EXPECT_NEAR(f.ten_metre, c.f.ten_metre, kRel) << c.h;
    EXPECT_NEAR(f.q_pow_b, c.f.q_pow_b, kRel * c.f.q_pow_b) << c.h;
    EXPECT_NEAR(f.growth, c.f.growth, 1e-12) << c.h;
  }
}

// A stack 50 m high (w 10, d 2, t 60, beta 0.4, q 9, qa 90, qb 1/3) and the area sources of the
// same data, with ks 1.0..1.4, km 50..90, u_p 0.1..0.4 and eps 0.5..0.1 for classes 1..5:
// H = h + dh(u at the stack top, growth at x); h_ef = zmax + eps H where (1 - eps) H < zmax,
// else H. An area source without exit velocity and diameter rises by its temperature.
TEST(PlumeHeight, RiseOverTheStackAndOverTheTerrain) {
  ModelParams par;
  par.ks = {1.0, 1.1, 1.2, 1.3, 1.4};
  par.km = {50, 60, 70, 80, 90};
  par.u_p = {0.1, 0.15, 0.2, 0.3, 0.4};
  par.eps = {0.5, 0.4, 0.3, 0.2, 0.1};
  const TerrainGrid terrain;
  const ClimateTables climate;
  using enum SourceType;
  const struct {
    SourceType type;
    double w, d;
    int s;
    double u, z_ref, x, zmax, h_plume, h_ef;
  } cases[] = {{point, 10, 2, 3, 4, 10, 1000, 0, 69.54361498643375, 69.54361498643375},
               {point, 10, 2, 3, 4, 10, 105, 0, 62.31170578667254, 62.31170578667254},
               {point, 10, 2, 3, 4, 10, 1000, 200, 69.54361498643375, 220.86308449593014},
               {point, 10, 2, 5, 2, 20, 1000, 0, 92.57164784542383, 92.57164784542383},
               {point, 10, 2, 1, 6, 10, 0, 0, 63.179170172084824, 63.179170172084824},
               {area, 0, 0, 3, 4, 10, 1000, 0, 110.0, 110.0},  // 50 + t
               {area, 0, 2, 3, 4, 10, 1000, 0, 66.28210649988412, 66.28210649988412},
               {point, 0, 0, 3, 4, 10, 1000, 0, 66.28210649988412, 66.28210649988412}};
  for (const auto& c : cases) {
    const Source source{.id = "S",
                        .type = c.type,
                        .stack_height_m = 50,
                        .flue_gas_temp_c = 60,
                        .diameter_m = c.d,
                        .exit_velocity_m_s = c.w,
                        .beta = 0.4,
                        .qa = 90,
                        .qb = 1.0 / 3.0,
                        .heat_output = 9};
    const ModelContext ctx(ModelOptions{}, par, terrain, climate, {source});
    const StackExit exit = stack_exit(source);
    const PlumeHeight p = hef(ctx, source, exit, c.s, c.u, c.x, c.zmax,
                              rise_factors(par, source, exit, c.s, c.z_ref, c.x));
    EXPECT_NEAR(p.h_plume, c.h_plume, kRel * c.h_plume) << c.s << " " << c.x << " " << c.w;
    EXPECT_NEAR(p.h_ef, c.h_ef, kRel * c.h_ef) << c.s << " " << c.x << " " << c.zmax;
  }
}

// Clusters of stacks: mean height h_m weighted by heat output, D the largest distance between
// two members, the spacing D (cluster number up to 1000) or D / (n - 1) (above); where the
// spacing is at most 1.5 h_m and 0.5 h_m <= h0 <= 1.5 h_m: E = 6 / sqrt(n) (D / dh)^1.5, factor
// ((n + E) / (1 + E))^(1/3); 1 otherwise.
TEST(ClusterFactor, EnhancementOfTheRiseInAClusterOfStacks) {
  std::vector<Source> z;
  const auto add = [&z](int cluster, double x, double h, double q) {
    z.push_back(
        Source{.id = "S", .x = x, .cluster = cluster, .stack_height_m = h, .heat_output = q});
  };
  // Three stacks 60 m apart, heights 40, 50, 60 with heat outputs 1, 2, 5: h_m = 55 (the plain
  // mean would be 50), D = 120; in clusters 7, 1000, 1001 and 1007 alike.
  for (const int k : {7, 1000, 1001, 1007}) add(k, 0, 40, 1), add(k, 60, 50, 2), add(k, 120, 60, 5);
  add(3, 0, 50, 10), add(3, 75, 50, 10);  // D = 1.5 h_m exactly
  add(5, 0, 50, 10), add(5, 50, 50, 10);  // E = 6 / sqrt(2) x 0.5^1.5 = 1.5 at dh = 100
  add(9, 0, 50, 1), add(9, 0, 50, 1), add(9, 0, 50, 1);  // at one point: n^(1/3)
  add(11, 0, 50, 1);                                     // alone
  // Three of 30 m, 60 m apart: the spacing D / (n - 1) = 60 is above 1.5 h_m = 45.
  add(1002, 0, 30, 1), add(1002, 60, 30, 1), add(1002, 120, 30, 1);
  const ClusterTable table(z);
  const double three_at_120 = 1.1079646678235193;  // n = 3, D = 120, dh = 100
  const struct {
    int cluster;
    double h0, dh, factor;
  } cases[] = {{1007, 50, 100, three_at_120},
               {1007, 50, 30, 1.0226992819434098},
               {1007, 82.5, 100, three_at_120},  // 1.5 h_m
               {1007, 27.5, 100, three_at_120},  // 0.5 h_m
               {1007, 80, 100, three_at_120},
               {1007, 83, 100, 1},
               {1007, 27, 100, 1},
               {1001, 50, 100, three_at_120},
               {1000, 50, 100, 1},  // spacing 120 > 82.5
               {7, 50, 100, 1},
               {1007, 50, 0, 1},  // no rise to enhance
               {3, 50, 100, 1.0818690921666487},
               {5, 50, 100, std::cbrt(3.5 / 2.5)},
               {9, 50, 100, std::cbrt(3.0)},
               {11, 50, 100, 1},
               {1002, 30, 100, 1},
               {77, 50, 100, 1}};  // no such cluster
  for (const auto& c : cases)
    EXPECT_NEAR(cluster_factor(table, c.cluster, c.h0, c.dh), c.factor, kRel)
        << c.cluster << " " << c.h0 << " " << c.dh;
}

// The stack of PlumeHeight (class 3, 4 m/s, 1000 m) and a twin 50 m away in cluster 5: the rise
// 19.54361498643375 m times the factor of two stacks 50 m apart.
TEST(ClusterFactor, AppliedToTheRiseWhenClustersAreOn) {
  ModelParams par;
  par.ks[2] = 1.2, par.km[2] = 70, par.u_p[2] = 0.2;
  Source a{.id = "S",
           .cluster = 5,
           .stack_height_m = 50,
           .flue_gas_temp_c = 60,
           .diameter_m = 2,
           .exit_velocity_m_s = 10,
           .beta = 0.4,
           .qa = 90,
           .qb = 1.0 / 3.0,
           .heat_output = 9};
  Source b = a;
  b.x = 50;
  const TerrainGrid terrain;
  const ClimateTables climate;
  for (const bool on : {false, true}) {
    const ModelContext ctx(ModelOptions{.is_shluky = on}, par, terrain, climate, {a, b});
    const StackExit exit = stack_exit(a);
    const PlumeHeight p = hef(ctx, a, exit, 3, 4, 1000, 0, rise_factors(par, a, exit, 3, 10, 1000));
    const double expected = on ? 69.89215801615525 : 69.54361498643375;
    EXPECT_NEAR(p.h_plume, expected, kRel * expected) << on;
  }
}

}  // namespace
}  // namespace kadre

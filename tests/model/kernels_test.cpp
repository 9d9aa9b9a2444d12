// The physics of one source at one point: the textbook plume on flat ground, the sector, zero
// distance, the stops of an invalid class or source type, the hours under an inversion, and
// worked examples of the rise growth, the cluster factor, fz1 and the terrain along the path.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "model/cluster_factor.h"
#include "model/dispersion_model.h"
#include "model/plume_rise.h"
#include "model/sector_kernel.h"
#include "support/test_support.h"
#include "support/textbook_plume.h"

namespace kadre {
namespace {

// Parameters with distinct values per stability class, a flat terrain at 0, a stack of 1 g/s
// at (5000, 5000) without rise and a point 1000 m east of it; wind speeds measured at 10 m.
struct World {
  ModelOptions options{.wind_rotation = false};
  ModelParams par = test::distinct_class_params();
  TerrainGrid terrain{
      .cellsize = 100, .nx = 100, .ny = 100, .z = std::vector<std::int16_t>(100 * 100, 0)};
  ClimateTables climate;
  Source stack{.id = "S", .x = 5000, .y = 5000, .m = 1.0, .stack_height_m = 50, .qb = 0.5};
  RefPoint point{"P", 6000, 5000, 0, 1.5, true};
  PairGeometry g{1000, 270, 0, 0};
  PairFactors f;

  World() { par.uhel_limit_b = 30, par.uhel_limit_pl = 40; }
  ModelContext ctx() const { return ModelContext(options, par, terrain, climate, {stack}); }
  PlumeParams plume(int s, double u) {
    fill_pair_factors(ctx(), stack, 10, g.x, 0, f);
    return evaluate_par(ctx(), stack, point, s, u, 0, g, f);
  }
  // An hour with an inversion at zi: below class 4, 4 m/s; above class 2, 7 m/s; both from 270.
  // The plume below kept by the caller gives the same bits.
  double inversion(double zi) {
    const PlumeParams lower = plume(4, 4);
    const HourMet hour{4, 4, 270, zi, 2, 7, 270};
    const double c = eval_inv(ctx(), hour, point, stack, g, f, 1);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(eval_inv(ctx(), hour, point, stack, g, f, 1, &lower)),
              std::bit_cast<std::uint64_t>(c))
        << zi;
    return c;
  }
  double textbook(int s, double u, double H, double zr, double zl = -1, double lambda = 0) const {
    return test::textbook_plume(1, 1000, lambda, par.ay[s - 1], par.by[s - 1], par.az[s - 1],
                                par.bz[s - 1], u, H, zr, zl);
  }
};

// Where the wind turns, the axis turns by (50 - 10) / 25 = 1.6 degrees to 268.4.
TEST(EvaluateGauss, FlatGroundGivesTheTextbookPlumeInEveryClass) {
  const struct {
    int s;
    double u, phi;
    bool turn;
    double emis, lambda;
  } cases[] = {{1, 2, 270, false, 1, 0},  {2, 3, 285, false, 1, 15}, {3, 4, 250, false, 0.5, 20},
               {4, 5, 275, true, 1, 6.6}, {5, 8, 260, true, 2, 8.4}, {5, 1, 290, false, 1, 20}};
  for (const auto& c : cases) {
    World w;
    const PlumeParams p = w.plume(c.s, c.u);
    const double lambda = get_lambda(c.phi, wind_axis(w.g.delta, p.h_plume, 10, c.turn));
    const double conc = evaluate_gauss(w.ctx(), c.s, w.stack, 1000, 0, lambda, p, c.phi, false,
                                       c.emis, w.f.spreads, 0);
    const double expected =
        c.emis * w.textbook(c.s, c.u * std::pow(5.0, w.par.u_p[c.s - 1]), 50, 1.5, -1, c.lambda);
    EXPECT_NEAR(conc / expected, 1, 1e-12) << c.s << " " << c.phi;
  }
}

TEST(EvaluateGauss, SectorEdgesBelongToTheSectorAndZeroDistanceGivesZero) {
  using enum SourceType;
  const struct {
    SourceType type;
    double lambda;
    bool inside;
  } cases[] = {{point, 30, true},
               {point, 330, true},
               {point, std::nextafter(30.0, 31.0), false},
               {point, std::nextafter(330.0, 0.0), false},
               {area, 40, true},
               {line, 320, true},
               {area, std::nextafter(40.0, 41.0), false}};
  World w;
  const PlumeParams p = w.plume(4, 4);
  for (const auto& c : cases) {
    w.stack.type = c.type;
    w.f.spreads.reset(w.stack, 0);
    EXPECT_EQ(
        evaluate_gauss(w.ctx(), 4, w.stack, 1000, 0, c.lambda, p, 0, false, 1, w.f.spreads, 0) > 0,
        c.inside)
        << c.lambda;
  }
  // A source without initial spread at the point itself: 0, not 0/0.
  w.stack.type = point;
  EXPECT_EQ(evaluate_gauss(w.ctx(), 4, w.stack, 0, 0, 0, p, 0, false, 1, w.f.spreads, 0), 0.0);
}

TEST(Kernels, InvalidClassOrSourceTypeStopsWithItsMessage) {
  World w;
  const PlumeParams p = w.plume(4, 4);
  const ModelContext c = w.ctx();
  Source odd = w.stack;
  odd.type = static_cast<SourceType>(4);
  const auto gauss = [&](int s, const Source& source, double lambda) {
    w.f.spreads.reset(source, 0);
    return evaluate_gauss(c, s, source, 1000, 0, lambda, p, 270, false, 1, w.f.spreads, 0);
  };
  EXPECT_EQ(gauss(4, odd, 90), 0);  // an unknown type outside the sector contributes nothing
  const struct {
    std::function<void()> call;
    std::string message;
  } cases[] = {{[&] { gauss(6, w.stack, 0); },
                " evaluate_gauss: Index '6' of dimension 1 of array 'ay' above upper bound of 5\n"},
               {[&] { evaluate_par(c, w.stack, w.point, 0, 4, 0, w.g, w.f); },
                " evaluate_par: Index '0' of dimension 1 of array 'u_p' below lower bound of 1\n"},
               {[&] {
                  eval_inv(c, HourMet{4, 4, 270, 100, 9, 7, 270}, w.point, w.stack, w.g, w.f, 1);
                },
                " eval_inv: Index '9' of dimension 1 of array 'u_p' above upper bound of 5\n"},
               {[&] { gauss(4, odd, 0); },
                " _get_sgm0: nedovolena hodnota typu zdroje\n"
                "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
                "               zadana hodnota \"class\":            4\n"}};
  for (const auto& k : cases) EXPECT_RUN_ERROR(k.call(), k.message);
}

// A plume trapped below the lid is reflected there (held at the lid when higher); a plume
// reaching the inversion breaks through, unless the test height 50 + 0.5 x 10 x 4^0.5 = 60
// of the hot stack (rise about 62 m) reaches it. Expected height H < 0: nothing at the point.
TEST(EvalInv, TrappedAndPenetratingBoundaries) {
  const double above_50 = std::nextafter(50.0, 51.0);
  const struct {
    bool hot;
    double zi, h, H, zr;
  } cases[] = {{false, 60, 1.5, 50, 1.5}, {false, 60, 70, -1, 0},
               {false, 60, 60, 50, 50},  // above the axis: at the axis
               {false, 50, 1.5, -1, 0},   {false, above_50, 1.5, 50, 1.5},
               {true, 60, 1.5, 60, 1.5},  {true, std::nextafter(60.0, 0.0), 1.5, -1, 0},
               {true, 100, 1.5, 100, 1.5}};
  for (const auto& c : cases) {
    World w;
    if (c.hot) w.stack.beta = 1, w.stack.qa = 10, w.stack.heat_output = 4, w.par.ks[3] = 20;
    w.point.height_above_ground_m = c.h;
    const double expected =
        c.H < 0 ? 0.0 : w.textbook(4, 4 * std::pow(c.H / 10, 0.3), c.H, c.zr, c.zi);
    EXPECT_NEAR(w.inversion(c.zi), expected, 1e-12 * expected)
        << c.hot << " " << c.zi << " " << c.h;
  }
}

// Above the inversion at 100 m the plume starts from a virtual source h_ef - 100 high without
// further rise, in the upper wind of 7 m/s unchanged: for a hot stack and a cooling tower.
TEST(EvalInv, VirtualSourceOnTheInversionHasNoFurtherRise) {
  for (const bool tower : {false, true}) {
    World w;
    w.stack.qa = 200;  // test height 250
    w.stack.heat_output = 4;
    w.stack.beta = tower ? 0 : 1;
    w.stack.cooling_tower = tower, w.stack.flue_gas_temp_c = 50, w.stack.diameter_m = 60;
    w.climate.frt.fill(1), w.climate.vch1.fill(8000), w.climate.tch1.fill(25);
    for (int s : {2, 4}) w.climate.grt[ClimateTables::index(4, 4, s)] = 1;
    const double h_ef = w.plume(4, 4).h_ef;
    ASSERT_GT(h_ef, 100) << tower;
    w.point.height_above_ground_m = 300;
    EXPECT_NEAR(w.inversion(100) / w.textbook(2, 7, h_ef - 100, 200), 1, 1e-12) << tower;
  }
}

// q = 25, c = 80: the full rise from x_m = 400 m on, (x / x_m)^(2/3) before it.
TEST(PlumeRise, GrowsUpToTheFullRiseDistance) {
  const struct {
    double x, growth;
  } growth[] = {{0, 1}, {400, 1}, {5000, 1}, {50, 0.25}, {200, 0.62996052494743658}};
  for (const auto& c : growth) EXPECT_NEAR(rise_growth(25, 80, c.x), c.growth, 1e-7) << c.x;
}

// Two stacks of 50 m, 50 m apart, in one cluster, a third far away alone in the next: n = 2,
// e = 6 / sqrt(2) x (50 / dh)^1.5 = 1.5 for dh = 100, 0.1875 for 400; factor ((n + e) / (1 +
// e))^(1/3).
TEST(ClusterFactor, TwoStacksFiftyMetresApart) {
  for (const int first : {5, 1005}) {  // above 1000 the spacing is D / (n - 1)
    std::vector<Source> z(
        3, Source{.id = "S", .x = 1000, .y = 1000, .stack_height_m = 50, .heat_output = 10});
    z[1].x = 1050, z[2].x = 9000;
    z[0].cluster = z[1].cluster = first;
    z[2].cluster = first + 1;
    const ClusterTable table(z);
    const struct {
      int cluster;
      double h0, dh, factor;
    } cases[] = {{first, 50, 100, std::cbrt(1.4)},
                 {first, 50, 400, std::cbrt(2.1875 / 1.1875)},
                 {first, 50, 0, 1},
                 {first, 76, 100, 1},
                 {first, 24, 100, 1},
                 {first + 1, 50, 100, 1},
                 {77, 50, 100, 1}};
    for (const auto& c : cases)
      EXPECT_NEAR(cluster_factor(table, c.cluster, c.h0, c.dh), c.factor, 1e-12)
          << c.cluster << " " << c.h0;
  }
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

// One row of 25 m cells centred on x = 0, 25, 50, ...: cell ix holds elevations[ix - 1].
TerrainGrid row_grid(const std::vector<std::int16_t>& elevations) {
  return {.xllcorner = -12.5,
          .yllcorner = -12.5,
          .cellsize = 25,
          .nx = static_cast<int>(elevations.size()),
          .ny = 1,
          .z = elevations};
}

// A path of 60 m from the source (x = 0, base 0) to the point (x = 60, terrain 40): samples at
// x = 30 (the ridge) and 60, then 0 m of rest. Ground above the start counts for, ground above
// the point's level twice against, over (40 - 0) x 60; below z_min = 0 the grid counts as 0.
TEST(Integrace, RidgesAboveThePointsLevelCountTwiceAgainst) {
  const struct {
    std::int16_t ridge;
    double theta, zmax;
  } cases[] = {{40, 2000.0 / 2400, 40},
               {80, 1000.0 / 2400, 80},
               {120, 0.0, 120},
               {200, -2000.0 / 2400, 200},
               {-50, 1000.0 / 2400, 40}};
  for (const auto& c : cases) {
    const PathIntegral p = integrace(row_grid({0, c.ridge, 40, 40}), 25, 0, 40, 0, 0, 60, 0, 0);
    EXPECT_DOUBLE_EQ(p.theta_raw, c.theta) << c.ridge;
    EXPECT_EQ(p.zmax, c.zmax) << c.ridge;
  }
}

}  // namespace
}  // namespace kadre

namespace kadre {
namespace {

// The angle to the axis is taken without fmod below two turns: it must be fmod's, bit for bit.
TEST(GetLambda, EqualsFmodOfTheDifference) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> angle(-1100.0, 1100.0);
  for (int n = 0; n < 200000; ++n) {
    const double phi = n % 3 == 0 ? std::round(angle(rng)) : angle(rng), axis = angle(rng);
    const double expected = std::fmod(std::fabs(phi - axis), 360.0);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(get_lambda(phi, axis)),
              std::bit_cast<std::uint64_t>(expected))
        << phi << " " << axis;
  }
  for (const double edge :
       {0.0, 360.0, 720.0, -360.0, std::nextafter(360.0, 0.0), std::nextafter(720.0, 0.0)})
    EXPECT_EQ(get_lambda(edge, 0.0), std::fmod(std::fabs(edge), 360.0)) << edge;
  EXPECT_TRUE(std::isnan(get_lambda(std::nan(""), 1.0)));
  EXPECT_TRUE(std::isnan(get_lambda(1.0 / 0.0, 1.0)));
}

// The vector step of the winds at the effective heights against u x pow(base, p).
TEST(WindsAtHeight, AgreeWithThePowerLaw) {
  if (!vector_kernel_built()) GTEST_SKIP() << "built without the vector kernel";
  std::vector<double> u, base, exponent;
  for (int i = 0; i < 37; ++i) {
    u.push_back(0.5 + 0.37 * i);
    base.push_back(i % 5 == 0 ? 1.0 : 1.0 + 0.53 * i);  // 1 gives u itself
    exponent.push_back(0.1 + 0.01 * i);
  }
  base[7] = 1e300, exponent[7] = 3;  // beyond the range of the vector exp: infinity
  for (auto* a : {&u, &base, &exponent}) a->resize(a->size() + kKernelPadding, 1.0);
  std::vector<double> out(u.size(), 0.0);
  winds_at_height(u.data(), base.data(), exponent.data(), out.data(), 37);
  for (std::size_t i = 0; i < 37; ++i) {
    const double expected = u[i] * std::pow(base[i], exponent[i]);
    if (std::isinf(expected))
      EXPECT_EQ(out[i], expected) << i;
    else
      EXPECT_NEAR(out[i], expected, 1e-14 * expected) << i;
    if (base[i] == 1.0) {
      EXPECT_EQ(out[i], u[i]) << i;
    }
  }
}

}  // namespace
}  // namespace kadre

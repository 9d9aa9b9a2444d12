// The physics of one source at one point: the Gaussian formula with its reflections, terrain
// factor, depletion and conversion, the plume parameters of a situation, the textbook plume on
// flat ground, the sector, zero distance, the stops of an invalid class or source type, and the
// hours under an inversion. Where no textbook plume serves, the expected values come from an
// independent script (Python, double precision) working from the formulas quoted at each test;
// 1e-12 relative allows for a different order of operations through several exponentials.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "model/class_index.h"
#include "model/dispersion_model.h"
#include "model/vector_path.h"
#include "model/wind_kernel.h"
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
  for (const int s : {0, 1, 5, 6}) EXPECT_EQ(valid_class(s), s == 1 || s == 5) << s;
}

// A plume trapped below the lid is reflected there (held at the lid when higher); a plume
// reaching the inversion breaks through, unless the test height 50 + 0.5 x 10 x 4^0.5 = 60
// of the hot stack (rise about 62 m) reaches it; terrain along the path above the lid leaves
// nothing (below it, it lifts the plume to zmax). Expected height H < 0: nothing at the point.
TEST(EvalInv, TrappedAndPenetratingBoundaries) {
  const double above_50 = std::nextafter(50.0, 51.0), above_60 = std::nextafter(60.0, 61.0);
  const struct {
    bool hot;
    double base, zi, h, zmax, H, zr, eps = 0;
  } cases[] = {{false, 0, 60, 1.5, 0, 50, 1.5},
               {false, 0, 60, 70, 0, -1, 0},
               {false, 0, 60, 60, 0, 50, 50},  // above the axis: at the axis
               {false, 0, 50, 1.5, 0, -1, 0},
               {false, 0, above_50, 1.5, 0, 50, 1.5},
               {true, 0, 60, 1.5, 0, 60, 1.5},
               {true, 0, std::nextafter(60.0, 0.0), 1.5, 0, -1, 0},
               {true, 0, 100, 1.5, 0, 100, 1.5},
               {false, 0, 60, 1.5, 55, 55, 1.5},
               {false, 0, 60, 1.5, 60, 60, 1.5},
               {false, 0, 60, 1.5, above_60, -1, 0},
               {false, 20, 80, 1.5, 0, 50, 1.5},  // source and point on 20 m: the lid 60 m above
               // With eps 0.5 the lift over zmax may take h_ef above the lid: a plume whose H
               // reaches the lid is held at it before the lift (60 -> 40 + 30), else the lifted
               // h_ef is held at the lid (50 -> 55 + 25 -> 60).
               {true, 0, 60, 1.5, 40, 70, 1.5, 0.5},
               {false, 0, 60, 1.5, 55, 60, 1.5, 0.5}};
  for (const auto& c : cases) {
    World w;
    if (c.hot) w.stack.beta = 1, w.stack.qa = 10, w.stack.heat_output = 4, w.par.ks[3] = 20;
    w.stack.z = w.point.z = c.base;
    w.point.height_above_ground_m = c.h;
    w.g.zmax = c.zmax;
    w.par.eps[3] = c.eps;
    const double expected =
        c.H < 0 ? 0.0 : w.textbook(4, 4 * std::pow(c.H / 10, 0.3), c.H, c.zr, c.zi - c.base);
    EXPECT_NEAR(w.inversion(c.zi), expected, 1e-12 * expected)
        << c.hot << " " << c.zi << " " << c.h << " " << c.zmax;
  }
}

// Above the inversion at 100 m the plume starts from a virtual source h_ef - 100 high without
// further rise, in the upper wind of 7 m/s unchanged: for a hot stack and a cooling tower, at a
// point 200 m above the inversion and at one just at its height.
TEST(EvalInv, VirtualSourceOnTheInversionHasNoFurtherRise) {
  for (const bool tower : {false, true})
    for (const double h : {300.0, 100.0}) {
      World w;
      w.stack.qa = 200;  // test height 250
      w.stack.heat_output = 4;
      w.stack.beta = tower ? 0 : 1;
      w.stack.cooling_tower = tower, w.stack.flue_gas_temp_c = 50, w.stack.diameter_m = 60;
      w.climate.frt.fill(1), w.climate.vch1.fill(8000), w.climate.tch1.fill(25);
      for (int s : {2, 4}) w.climate.grt[ClimateTables::index(4, 4, s)] = 1;
      const double h_ef = w.plume(4, 4).h_ef;
      ASSERT_GT(h_ef, 100) << tower;
      w.point.height_above_ground_m = h;
      EXPECT_NEAR(w.inversion(100) / w.textbook(2, 7, h_ef - 100, h - 100), 1, 1e-12)
          << tower << " " << h;
    }
}

// A hot stack of 105 m through an inversion at 100 m keeps its own rise above it, from its top
// 5 m over the lid, in the upper class 2 (ks 1.1, km 600) and the upper wind 7 m/s taken at that
// height, that is 7 (10 / 5)^0.15 at the top: 10 x 1.1 x 4^0.5 / (7 x 2^0.15) x (1000 / (4^0.5 x
// 600))^(2/3) = 2.508318276105549 m (independent calculation, 2/3 in single precision).
TEST(EvalInv, StackAboveTheInversionRisesInTheUpperLayer) {
  World w;
  w.stack.stack_height_m = 105;
  w.stack.beta = 1, w.stack.qa = 10, w.stack.heat_output = 4, w.par.ks[3] = 20;
  w.par.km[1] = 600;
  w.point.height_above_ground_m = 300;
  const double expected = w.textbook(2, 7, 7.508318276105549, 200);
  EXPECT_NEAR(w.inversion(100), expected, 1e-12 * expected);
}

// The Gaussian formula: A = 1e6 / (2 pi sy sz u + v) exp(-ys^2 / 2 sy^2) exp(-k_u xs / u) kh;
// V = g(z1 - h) + (1 - theta) g(z2 + h) + theta g(z3 - h), g(d) = exp(-d^2 / 2 sz^2); c = A V,
// plus A g(h + z4) with the lid. Here sy 80, sz 40, xs 1000, ys 50, k_u 1e-4, v 5, h_ef 60,
// z1..z4 30, 20, 10, -100, kh 0.9, u 4: every term counts.
TEST(EvaluateGauss, PlumeFactorWithEveryReflection) {
  const PlumeParams p{70, 60, 30, 20, 10, -100, 0.9, 4};
  const struct {
    double theta;
    bool lid;
    double c;
  } cases[] = {{0.3, false, 8.859903982537784},
               {0.3, true, 14.304904535952872},
               {0, false, 7.991356521014392},
               {1, true, 16.331515279507453}};
  for (const auto& c : cases)
    EXPECT_NEAR(gauss_plume_factor(80, 40, 1000, 50, 1e-4, 5, c.theta, p, c.lid), c.c, 1e-12 * c.c)
        << c.theta << " " << c.lid;
  EXPECT_EQ(gauss_plume_factor(0, 40, 0, 0, 1e-4, 5, 0.3, p, false), 0.0);
}

// The whole kernel at 1000 m with the plume of PlumeFactorWithEveryReflection, k_u 2e-4 and k_p
// 1e-3..5e-3 for classes 1..5: xs = x cos(lambda), ys = x sin(lambda); the spreads of the class
// plus the source's initial spreads; c = A V (+ lid) x emis_fact x (m + m_no x 0.9 (1 - exp(-xs
// k_p / u))) with the conversion on. A stack (flow 5 m3/s) in class 2, a 50 m area in class 4,
// a 200 m line from (0, 0) to (0, 200), 20 m wide with vert_ext 4, for the wind from 30 degrees.
TEST(EvaluateGauss, SourcesOfEveryTypeWithDepletionAndConversion) {
  World w;
  w.par.k_u = 2e-4;
  w.par.k_p = {1e-3, 2e-3, 3e-3, 4e-3, 5e-3};
  const PlumeParams p{70, 60, 30, 20, 10, -100, 0.9, 4};
  using enum SourceType;
  const struct {
    Source source;
    bool convert_no;
    int s;
    double theta, lambda, phi;
    bool lid;
    double emis, c;
  } cases[] = {{{.id = "S", .type = point, .m = 1, .m_no = 2, .flue_gas_flow_m3_s = 5},
                true,
                2,
                0.3,
                10,
                123,
                false,
                0.5,
                2.1434390578774294},
               {{.id = "S", .type = point, .m = 1, .m_no = 2, .flue_gas_flow_m3_s = 5},
                false,
                2,
                0.3,
                10,
                123,
                false,
                0.5,
                1.2609057604490979},
               {{.id = "S", .type = area, .m = 3, .length = 50},
                true,
                4,
                0,
                350,
                77,
                true,
                1,
                11.132435129076306},
               {{.id = "S",
                 .y2 = 200,
                 .type = line,
                 .m = 1,
                 .m_no = 1,
                 .length = 200,
                 .width = 20,
                 .vert_ext = 4},
                true,
                3,
                0.6,
                5,
                30,
                false,
                2,
                9.099472566376903}};
  for (const auto& c : cases) {
    w.options.convert_no = c.convert_no;
    w.f.spreads.reset(c.source, 0);
    const double conc = evaluate_gauss(w.ctx(), c.s, c.source, 1000, c.theta, c.lambda, p, c.phi,
                                       c.lid, c.emis, w.f.spreads, 0);
    EXPECT_NEAR(conc, c.c, 1e-12 * c.c) << static_cast<int>(c.source.type) << " " << c.convert_no;
  }
  EXPECT_EQ(fac_no(false, 1000, 1e-3, 4), 0.0);
  EXPECT_NEAR(fac_no(true, 1000, 1e-3, 4), 0.1990792899619353, 1e-15);
}

// The plume of a situation: the stack of 50 m (w 10, d 2, beta 0.4, q 9, qa 90, qb 1/3) on a
// base at 200 m with ks 1.0..1.4, km 50..90, u_p 0.1..0.4, eps 0.5..0.1 for classes 1..5 and the
// fz1 table 0.8 - 0.001 n^2 at 100 n metres; winds measured at z_ref. H from the rise, h_ef over
// zmax, u_ef = u (h_ef / z_ref)^u_p, kh from the 10 m wind u (10 / z_ref)^u_p, z1..z4 of the
// point with the lid at z_lid.
TEST(EvaluatePar, PlumeOfASituation) {
  ModelParams par;
  par.ks = {1.0, 1.1, 1.2, 1.3, 1.4};
  par.km = {50, 60, 70, 80, 90};
  par.u_p = {0.1, 0.15, 0.2, 0.3, 0.4};
  par.eps = {0.5, 0.4, 0.3, 0.2, 0.1};
  for (int n = 0; n < 26; ++n) par.fz[2 * n] = 100.0 * n, par.fz[2 * n + 1] = 0.8 - 0.001 * n * n;
  const Source stack{.id = "S",
                     .z = 200,
                     .stack_height_m = 50,
                     .diameter_m = 2,
                     .exit_velocity_m_s = 10,
                     .beta = 0.4,
                     .qa = 90,
                     .qb = 1.0 / 3.0,
                     .heat_output = 9};
  const TerrainGrid terrain;
  const ClimateTables climate;
  const struct {
    int s;
    double u, z_ref, x, zmax, z_lid, z_r, h_r;
    bool free_atmo;
    PlumeParams p;
  } cases[] = {{3,
                5,
                20,
                1000,
                100,
                30,
                450,
                2,
                false,
                {67.95977470848948, 120.38793241254685, 120.38793241254685, 120.38793241254683,
                 379.61206758745317, 60.387932412546846, 0.9925817949349464, 7.159465429258783}},
               {3,
                5,
                20,
                1000,
                100,
                30,
                450,
                2,
                true,
                {67.95977470848948, 120.38793241254685, 252, 252, 248, 192, 0.9925817949349464,
                 7.159465429258783}},
               {2,
                3,
                10,
                150,
                0,
                0,
                190,
                5,
                false,
                {73.27316125877604, 73.27316125877604, -5, 15, -15, -5, 1, 4.04448281143617}}};
  for (const auto& c : cases) {
    const ModelContext ctx(ModelOptions{.free_atmo = c.free_atmo}, par, terrain, climate, {stack});
    const RefPoint point{.id = "S", .z = c.z_r, .height_above_ground_m = c.h_r};
    const PairGeometry g{c.x, 270, 0, c.zmax};
    PairFactors f;
    fill_pair_factors(ctx, stack, c.z_ref, c.x, 0, f);
    const PlumeParams p = evaluate_par(ctx, stack, point, c.s, c.u, c.z_lid, g, f);
    const double got[] = {p.h_plume, p.h_ef, p.z1, p.z2, p.z3, p.z4, p.kh, p.u_ef};
    const double want[] = {c.p.h_plume, c.p.h_ef, c.p.z1, c.p.z2, c.p.z3, c.p.z4, c.p.kh, c.p.u_ef};
    for (int k = 0; k < 8; ++k)
      EXPECT_NEAR(got[k], want[k], 1e-13 * std::fabs(want[k]))
          << c.s << " " << c.free_atmo << " " << k;
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
  if (!vector_kernels_available()) GTEST_SKIP() << "built without the vector kernel";
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

#include <gtest/gtest.h>

#include <cmath>

#include "model/dispersion_model.h"
#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// A 50 m stack without rise at (5000, 5000) and a point 1000 m east of it, 1.5 m high.
struct FlatPair : test::ModelWorld {
  Source stack = test::cold_stack(5000, 5000, 50);
  PairGeometry g;
  FlatPair() {
    zdroje = {stack};
    ref_body = {test::point_at(6000, 5000, 1.5)};
    g.x = 1000;
    g.delta = 270;
  }
  double conc(int s, double u, double lambda, double phi = 270) const {
    const ModelContext c = ctx();
    const PlumeParams p = evaluate_par(c, stack, s, 1, u, 10, 0, g);
    return evaluate_gauss(c, s, stack, g.x, g.theta, lambda, p, phi, false);
  }
};

TEST(EvaluateGauss, PointSourceOnFlatGroundIsTheTextbookReflectedPlume) {
  FlatPair w;
  for (int s = 1; s <= 5; ++s) {
    const double u_ef = 4 * std::pow(5.0, w.par.u_p[s - 1]);
    const double expected = test::textbook_axis_plume(
        1.0, 1000, w.par.ay[s - 1], w.par.by[s - 1], w.par.az[s - 1], w.par.bz[s - 1], u_ef, 50, 1.5);
    EXPECT_NEAR(w.conc(s, 4, 0) / expected, 1.0, 1e-12) << s;
  }
}

TEST(EvaluateGauss, OffAxisPointUsesAlongAndCrosswindDistances) {
  FlatPair w;
  const double a = 20 * test::kPi / 180;
  const double xs = 1000 * std::cos(a), ys = 1000 * std::sin(a);
  const double u_ef = 4 * std::pow(5.0, 0.3);
  const double sy = 0.4 * std::pow(xs, 0.84);
  const double expected = test::textbook_axis_plume(1.0, xs, 0.4, 0.84, 0.2, 0.75, u_ef, 50, 1.5) *
                          std::exp(-ys * ys / (2 * sy * sy));
  EXPECT_NEAR(w.conc(4, 4, 20) / expected, 1.0, 1e-12);
  EXPECT_NEAR(w.conc(4, 4, 340) / expected, 1.0, 1e-12);
}

TEST(EvaluateGauss, SectorEdgesBelongToTheSector) {
  FlatPair w;  // point sources 30 degrees, others 40
  EXPECT_GT(w.conc(4, 4, 30), 0);
  EXPECT_GT(w.conc(4, 4, 330), 0);
  EXPECT_EQ(w.conc(4, 4, 30.000001), 0);
  EXPECT_EQ(w.conc(4, 4, 329.999999), 0);
  EXPECT_EQ(w.conc(4, 4, 180), 0);
  w.stack.typ_zdroje = 2;
  w.stack.length = 10;
  EXPECT_GT(w.conc(4, 4, 35), 0);
  EXPECT_GT(w.conc(4, 4, 320), 0);
  EXPECT_EQ(w.conc(4, 4, 40.5), 0);
}

TEST(EvaluateGauss, EmissionFactorDepletionAndFlueGasFlow) {
  FlatPair w;
  const double base = w.conc(4, 4, 0);
  w.stack.emis_fact = 0.25;
  EXPECT_DOUBLE_EQ(w.conc(4, 4, 0), 0.25 * base);
  w.stack.emis_fact = 1;
  w.par.k_u = 0.001;
  const double u_ef = 4 * std::pow(5.0, 0.3);
  EXPECT_DOUBLE_EQ(w.conc(4, 4, 0), base * std::exp(-0.001 * 1000 / u_ef));
  w.par.k_u = 0;
  // The flue-gas flow bounds the concentration, most where the plume is narrow.
  w.stack.v = 500;
  const double near_ratio = [&] {
    FlatPair n;
    n.g.x = 200;
    const double c0 = n.conc(4, 4, 0);
    n.stack.v = 500;
    return n.conc(4, 4, 0) / c0;
  }();
  const double far_ratio = w.conc(4, 4, 0) / base;
  EXPECT_LT(far_ratio, 1);
  EXPECT_LT(near_ratio, far_ratio);
}

TEST(EvaluateGauss, SecondEmissionCountsOnlyWithConversionOn) {
  FlatPair w;
  const double base = w.conc(4, 4, 0);
  w.stack.m_no = 3;
  EXPECT_EQ(w.conc(4, 4, 0), base);
  w.cfg.is_no = true;
  const double u_ef = 4 * std::pow(5.0, 0.3);
  const double f = 0.8999999761581421 * (1 - std::exp(-1000 * 0.004 / u_ef));
  EXPECT_DOUBLE_EQ(w.conc(4, 4, 0), base * (1 + 3 * f));
  w.par.k_p[3] = 0;
  EXPECT_EQ(w.conc(4, 4, 0), base);
}

TEST(FacNo, ConversionShareOfTheTravelTime) {
  EXPECT_EQ(fac_no(false, 1000, 0.01, 5), 0);
  EXPECT_EQ(fac_no(true, 1000, 0, 5), 0);
  EXPECT_EQ(fac_no(true, 1e9, 1, 1), 0.8999999761581421);
  EXPECT_DOUBLE_EQ(fac_no(true, 1000, 0.002, 4), 0.8999999761581421 * (1 - std::exp(-0.5)));
}

TEST(EvaluateGauss, OnFlatGroundTheTerrainWeightDoesNotMatter) {
  FlatPair w;
  const double base = w.conc(3, 4, 10);
  w.g.theta = 1;
  EXPECT_DOUBLE_EQ(w.conc(3, 4, 10), base);
  w.g.theta = 0.4;
  EXPECT_DOUBLE_EQ(w.conc(3, 4, 10), base);
}

TEST(EvaluateGauss, LidAddsItsImageOnlyWhenAsked) {
  FlatPair w;
  const ModelContext c = w.ctx();
  const PlumeParams p = evaluate_par(c, w.stack, 4, 1, 4, 10, 60, w.g);
  EXPECT_EQ(p.z4, 1.5 - 120);
  const double plain = evaluate_gauss(c, 4, w.stack, 1000, 0, 0, p, 270, false);
  const double lid = evaluate_gauss(c, 4, w.stack, 1000, 0, 0, p, 270, true);
  const double sz = 0.2 * std::pow(1000.0, 0.75);
  const double v = std::exp(-48.5 * 48.5 / (2 * sz * sz)) + std::exp(-51.5 * 51.5 / (2 * sz * sz));
  EXPECT_NEAR(lid / plain, 1 + std::exp(-68.5 * 68.5 / (2 * sz * sz)) / v, 1e-12);
}

TEST(EvaluateGauss, SourceWithoutSpreadAtZeroDistanceGivesZero) {
  FlatPair w;
  w.ref_body = {test::point_at(5000, 5000, 1.5)};
  w.g.x = 0;
  w.g.delta = 90;
  const double c = w.conc(4, 4, 0, 90);
  EXPECT_EQ(c, 0.0);
  // A low area source has initial spreads: finite and positive there.
  w.stack.h = 2;
  w.stack.typ_zdroje = 2;
  w.stack.length = 20;
  const double area = w.conc(4, 4, 0, 90);
  EXPECT_TRUE(std::isfinite(area));
  EXPECT_GT(area, 0);
  PlumeParams p;
  p.u_ef = 3;
  EXPECT_EQ(gauss_plume_factor(0, 0, 0, 0, 0, 0, 0, p, true), 0.0);
}

// Without terrain weight the third term is left out: the same bits as the full formula,
// and a third exponent that is not a number still makes the result not a number.
TEST(GaussPlumeFactor, ZeroTerrainWeightKeepsTheFullFormula) {
  PlumeParams p;
  p.h_ef = 40;
  p.u_ef = 3;
  p.kh = 0.9;
  p.z1 = 1.5;
  p.z2 = 1.5;
  p.z3 = -20;
  const double sy = 35, sz = 18, xs = 500, ys = 30, k_u = 1e-4, v = 2;
  const double two_sz2 = 2 * (sz * sz);
  const double a = 1e6 / (2 * test::kPi * sy * sz * p.u_ef + v) * std::exp(-(ys * ys) / (2 * (sy * sy))) *
                   std::exp(-k_u * xs / p.u_ef) * p.kh;
  for (double theta : {0.0, -0.0}) {
    const double full = std::exp(-(38.5 * 38.5) / two_sz2) + (1 - theta) * std::exp(-(41.5 * 41.5) / two_sz2) +
                        theta * std::exp(-(60.0 * 60.0) / two_sz2);
    EXPECT_EQ(gauss_plume_factor(sy, sz, xs, ys, k_u, v, theta, p, false), a * full);
  }
  p.z3 = std::nan("");
  EXPECT_TRUE(std::isnan(gauss_plume_factor(sy, sz, xs, ys, k_u, v, 0.0, p, false)));
}

// Without a second emission the conversion factor is not needed, yet the sum m + m_no f
// keeps the sign of its zeros: -0 + 0 f is +0, -0 + -0 f is -0.
TEST(EvaluateGauss, NoSecondEmissionKeepsTheSumToTheBit) {
  FlatPair w;
  w.cfg.is_no = true;
  w.stack.m_no = 0;
  EXPECT_GT(w.conc(4, 4, 10), 0);
  w.stack.m = -0.0;
  w.stack.m_no = 0.0;
  EXPECT_EQ(w.conc(4, 4, 10), 0.0);
  EXPECT_FALSE(std::signbit(w.conc(4, 4, 10)));
  w.stack.m_no = -0.0;
  EXPECT_TRUE(std::signbit(w.conc(4, 4, 10)));
}

TEST(EvaluatePar, WindAtEffectiveHeightTerrainFactorAndVerticalHeights) {
  FlatPair w;
  w.ref_body[0].z = 200;  // point terrain above the axis (source base at 0)
  const ModelContext c = w.ctx();
  const PlumeParams p = evaluate_par(c, w.stack, 3, 1, 4, 20, 0, w.g);
  EXPECT_EQ(p.h_plume, 50);
  EXPECT_EQ(p.h_ef, 50);
  EXPECT_DOUBLE_EQ(p.u_ef, 4 * std::pow(50.0 / 20, 0.2));
  const double u10 = 4 * std::pow(0.5, 0.2);
  EXPECT_DOUBLE_EQ(p.kh, 1 - (fz1(w.par, 50, 3, u10) - fz1(w.par, 200, 3, u10)));
  EXPECT_LT(p.kh, 1);
  EXPECT_EQ(p.z1, 50);  // evaluated at the axis height
}

TEST(KernelIndexErrors, InvalidClassOrPointStopsTheRun) {
  FlatPair w;
  const ModelContext c = w.ctx();
  const PlumeParams p = evaluate_par(c, w.stack, 4, 1, 4, 10, 0, w.g);
  EXPECT_RUN_ERROR(evaluate_gauss(c, 6, w.stack, 1000, 0, 0, p, 270, false),
                   " evaluate_gauss: Index '6' of dimension 1 of array 'ay' above upper bound of 5\n");
  EXPECT_RUN_ERROR(evaluate_par(c, w.stack, 0, 1, 4, 10, 0, w.g),
                   " evaluate_par: Index '0' of dimension 1 of array 'u_p' below lower bound of 1\n");
  EXPECT_RUN_ERROR(evaluate_par(c, w.stack, 4, 2, 4, 10, 0, w.g),
                   " evaluate_par: Index '2' of dimension 1 of array 'ref_body' above upper bound of 1\n");
  EXPECT_RUN_ERROR(hef(c, w.stack, 9, 4, 10, 1000, 0),
                   " hef: Index '9' of dimension 1 of array 'u_p' above upper bound of 5\n");
}

TEST(KernelIndexErrors, InvalidSourceTypeStopsOnlyInsideTheSector) {
  FlatPair w;
  w.stack.typ_zdroje = 4;
  EXPECT_EQ(w.conc(4, 4, 90), 0);
  EXPECT_RUN_ERROR(w.conc(4, 4, 0),
                   " _get_sgm0: nedovolena hodnota typu zdroje\n"
                   "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
                   "               zadana hodnota \"class\":            4\n");
}

}  // namespace
}  // namespace kadre

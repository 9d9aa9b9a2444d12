// The concentration of one source at one point: the textbook plume on flat ground, the sector,
// the factors on the emission, the initial spreads and the index checks.
#include <gtest/gtest.h>

#include <cmath>

#include "model/dispersion_model.h"
#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

const std::string kBadType =
    " _get_sgm0: nedovolena hodnota typu zdroje\n"
    "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
    "               zadana hodnota \"class\":            4\n";

// A 50 m stack without rise at (5000, 5000) and a point 1000 m east of it, 1.5 m high.
struct FlatPair : test::ModelWorld {
  Source stack = test::cold_stack(5000, 5000, 50);
  PairGeometry g{1000, 270, 0, 0};
  FlatPair() { ref_points = {test::point_at(6000, 5000, 1.5)}; }
  double conc(int s, double u, double lambda, double phi = 270) const {
    const ModelContext c = ctx();
    const PlumeParams p = evaluate_par(c, stack, s, 1, u, 10, 0, g);
    return evaluate_gauss(c, s, stack, g.x, g.theta, lambda, p, phi, false);
  }
  double u_ef(int s, double u) const { return u * std::pow(5.0, par.u_p[s - 1]); }
};

TEST(EvaluateGauss, FlatGroundGivesTheTextbookPlumeInEveryClass) {
  FlatPair w;
  for (int s = 1; s <= 5; ++s) {
    const int i = s - 1;
    for (double lambda : {0.0, 20.0, 340.0}) {
      const double expected = test::textbook_plume(1, 1000, lambda, w.par.ay[i], w.par.by[i], w.par.az[i],
                                                   w.par.bz[i], w.u_ef(s, 4), 50, 1.5);
      EXPECT_NEAR(w.conc(s, 4, lambda) / expected, 1.0, 1e-12) << s << " " << lambda;
    }
  }
  // On flat ground the terrain weight changes nothing.
  const double base = w.conc(3, 4, 10);
  for (double theta : {0.4, 1.0}) {
    w.g.theta = theta;
    EXPECT_DOUBLE_EQ(w.conc(3, 4, 10), base) << theta;
  }
}

TEST(EvaluateGauss, SectorEdgesBelongToTheSector) {
  FlatPair w;  // point sources 30 degrees, others 40
  for (double lambda : {30.0, 330.0}) EXPECT_GT(w.conc(4, 4, lambda), 0) << lambda;
  for (double lambda : {30.000001, 329.999999, 180.0}) EXPECT_EQ(w.conc(4, 4, lambda), 0) << lambda;
  w.stack.type = 2;
  w.stack.length = 10;
  for (double lambda : {35.0, 320.0}) EXPECT_GT(w.conc(4, 4, lambda), 0) << lambda;
  EXPECT_EQ(w.conc(4, 4, 40.5), 0);
}

TEST(EvaluateGauss, EmissionFactorDepletionAndSecondEmission) {
  FlatPair w;
  const double base = w.conc(4, 4, 0), u_ef = w.u_ef(4, 4);
  w.stack.emis_fact = 0.25;
  EXPECT_DOUBLE_EQ(w.conc(4, 4, 0), 0.25 * base);
  w.stack.emis_fact = 1;
  w.par.k_u = 0.001;
  EXPECT_DOUBLE_EQ(w.conc(4, 4, 0), base * std::exp(-0.001 * 1000 / u_ef));
  w.par.k_u = 0;
  w.stack.m_no = 3;  // counts only with the conversion on
  EXPECT_EQ(w.conc(4, 4, 0), base);
  w.cfg.is_no = true;
  EXPECT_DOUBLE_EQ(w.conc(4, 4, 0), base * (1 + 3 * fac_no(true, 1000, 0.004, u_ef)));
  EXPECT_EQ(fac_no(false, 1000, 0.01, 5), 0);
  EXPECT_EQ(fac_no(true, 1000, 0, 5), 0);
  EXPECT_EQ(fac_no(true, 1e9, 1, 1), 0.8999999761581421);
  EXPECT_DOUBLE_EQ(fac_no(true, 1000, 0.002, 4), 0.8999999761581421 * (1 - std::exp(-0.5)));
}

TEST(EvaluateGauss, SourceWithoutSpreadAtZeroDistanceGivesZero) {
  FlatPair w;
  w.ref_points = {test::point_at(5000, 5000, 1.5)};
  w.g = {0, 90, 0, 0};
  EXPECT_EQ(w.conc(4, 4, 0, 90), 0.0);
  w.stack.h = 2;  // a low area source has initial spreads: finite and positive there
  w.stack.type = 2;
  w.stack.length = 20;
  const double area = w.conc(4, 4, 0, 90);
  EXPECT_TRUE(std::isfinite(area) && area > 0) << area;
  PlumeParams p;
  p.u_ef = 3;
  EXPECT_EQ(gauss_plume_factor(0, 0, 0, 0, 0, 0, 0, p, true), 0.0);
}

TEST(KernelIndexErrors, InvalidClassPointOrSourceTypeStopsTheRun) {
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
  // An unknown source type stops only inside the sector.
  w.stack.type = 4;
  EXPECT_EQ(w.conc(4, 4, 90), 0);
  EXPECT_RUN_ERROR(w.conc(4, 4, 0), kBadType);
}

TEST(GetDeltaVal, AzimuthOfTheSourceInEveryQuadrantAndOnTheAxes) {
  const double r3 = std::sqrt(3.0);
  const struct { double x1, y1, x2, y2, delta; } cases[] = {
      {0, 0, 1, 1, 45},  {0, 0, 1, -1, 135}, {0, 0, -1, -1, 225}, {0, 0, -1, 1, 315},   {0, 0, 0, 0, 90},
      {5, 5, 5, 9, 0},   {5, 5, 9, 5, 90},   {5, 5, 5, 1, 180},   {5, 5, 1, 5, 270},    {0, 0, 1, r3, 30},
      {0, 0, -r3, -1, 240}};
  for (const auto& c : cases) EXPECT_NEAR(get_delta_val(c.x1, c.y1, c.x2, c.y2), c.delta, 1e-12) << c.delta;
}

// A line of the given length along the y axis (azimuth 0).
Source line_along_y(double length, double width, double vert_ext) {
  Source s;
  s.type = 3;
  s.x1 = s.x2 = 100;
  s.y2 = s.length = length;
  s.width = width;
  s.vert_ext = vert_ext;
  return s;
}

TEST(GetSgm0, InitialSpreadsOfPointAreaAndLineSources) {
  const double sqrt_2pi = 2.5066282746310002, sqrt_half_pi = 1.2533141373155001;
  double sy0 = -1, sz0 = -1;
  Source s;
  s.type = 1;
  get_sgm0(s, 123, 0.3, 0.8, sy0, sz0);
  EXPECT_EQ(sy0, 0);
  EXPECT_EQ(sz0, 0);
  s.type = 2;
  s.length = 10;
  get_sgm0(s, 0, 0.3, 0.8, sy0, sz0);
  EXPECT_NEAR(sy0, 3.989422804014327, 1e-15);
  EXPECT_DOUBLE_EQ(sz0, 0.3 * std::pow(5.0, 0.8));
  s.type = 4;
  EXPECT_RUN_ERROR(get_sgm0(s, 0, 0.3, 0.8, sy0, sz0), kBadType);

  // The crosswind extent gives sy0, the extent d along the wind sz0 (from d / 2): along the line
  // W and d = L, across it L and d = W; without width still d = L (not 0/0); at an angle d is
  // the smaller of W / sin and L / cos, and the angle folds into 0..90 alike from every quadrant.
  const double a40 = 40 * test::kPi / 180;
  const double sy40 = (8 * std::cos(a40) + 200 * std::sin(a40)) / sqrt_2pi;
  const double sz40 = 0.3 * std::pow(4 / std::sin(a40), 0.8) + 3 / sqrt_half_pi;
  const struct { double phi, width, vert_ext, sy0, sz0; } lines[] = {
      {0, 8, 3, 8 / sqrt_2pi, 0.3 * std::pow(100.0, 0.8) + 3 / sqrt_half_pi},
      {180, 8, 3, 8 / sqrt_2pi, 0.3 * std::pow(100.0, 0.8) + 3 / sqrt_half_pi},
      {90, 8, 3, 200 / sqrt_2pi, 0.3 * std::pow(4.0, 0.8) + 3 / sqrt_half_pi},
      {270, 8, 3, 200 / sqrt_2pi, 0.3 * std::pow(4.0, 0.8) + 3 / sqrt_half_pi},
      {0, 0, 0, 0, 0.3 * std::pow(100.0, 0.8)},
      {45, 8, 0, 208 * std::sqrt(0.5) / sqrt_2pi, 0.3 * std::pow(4 * std::sqrt(2.0), 0.8)},
      {40, 8, 3, sy40, sz40}, {140, 8, 3, sy40, sz40}, {220, 8, 3, sy40, sz40}, {320, 8, 3, sy40, sz40}};
  for (const auto& c : lines) {
    get_sgm0(line_along_y(200, c.width, c.vert_ext), c.phi, 0.3, 0.8, sy0, sz0);
    EXPECT_NEAR(sy0, c.sy0, 1e-12) << c.phi;
    EXPECT_NEAR(sz0, c.sz0, 1e-12) << c.phi;
  }
}

}  // namespace
}  // namespace kadre

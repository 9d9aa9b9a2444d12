#include "model/dispersion_coefficients.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

TEST(GetDeltaVal, AzimuthQuadrantsAndAxes) {
  EXPECT_DOUBLE_EQ(get_delta_val(0, 0, 1, 1), 45);
  EXPECT_DOUBLE_EQ(get_delta_val(0, 0, 1, -1), 135);
  EXPECT_DOUBLE_EQ(get_delta_val(0, 0, -1, -1), 225);
  EXPECT_DOUBLE_EQ(get_delta_val(0, 0, -1, 1), 315);
  EXPECT_EQ(get_delta_val(0, 0, 0, 0), 90);
  EXPECT_EQ(get_delta_val(5, 5, 5, 9), 0);
  EXPECT_EQ(get_delta_val(5, 5, 9, 5), 90);
  EXPECT_EQ(get_delta_val(5, 5, 5, 1), 180);
  EXPECT_EQ(get_delta_val(5, 5, 1, 5), 270);
  EXPECT_NEAR(get_delta_val(0, 0, 1, std::sqrt(3.0)), 30, 1e-12);
  EXPECT_NEAR(get_delta_val(0, 0, -std::sqrt(3.0), -1), 240, 1e-12);
}

Source line_along_y(double length, double width, double vert_ext) {
  Source s;
  s.typ_zdroje = 3;
  s.x1 = 100;
  s.y1 = 0;
  s.x2 = 100;
  s.y2 = length;  // azimuth 0
  s.length = length;
  s.width = width;
  s.vert_ext = vert_ext;
  return s;
}

TEST(GetSgm0, PointAndAreaSources) {
  double sy0 = -1, sz0 = -1;
  Source point;
  point.typ_zdroje = 1;
  get_sgm0(point, 123, 0.3, 0.8, sy0, sz0);
  EXPECT_EQ(sy0, 0);
  EXPECT_EQ(sz0, 0);
  Source area;
  area.typ_zdroje = 2;
  area.length = 10;
  get_sgm0(area, 0, 0.3, 0.8, sy0, sz0);
  EXPECT_NEAR(sy0, 3.989422804014327, 1e-15);
  EXPECT_DOUBLE_EQ(sz0, 0.3 * std::pow(5.0, 0.8));
}

TEST(GetSgm0, LineSourceWindAlongAndAcross) {
  const double sqrt_2pi = 2.5066282746310002;
  const double sqrt_half_pi = 1.2533141373155001;
  double sy0, sz0;
  const Source line = line_along_y(200, 8, 3);
  // Wind along the line (from 0 or 180): width across the wind, length along it.
  for (double phi : {0.0, 180.0}) {
    get_sgm0(line, phi, 0.3, 0.8, sy0, sz0);
    EXPECT_DOUBLE_EQ(sy0, 8 / sqrt_2pi) << phi;
    EXPECT_DOUBLE_EQ(sz0, 0.3 * std::pow(100.0, 0.8) + 3 / sqrt_half_pi) << phi;
  }
  // Wind across the line (from 90 or 270): the length is crosswind, d is the width.
  for (double phi : {90.0, 270.0}) {
    get_sgm0(line, phi, 0.3, 0.8, sy0, sz0);
    EXPECT_NEAR(sy0, 200 / sqrt_2pi, 1e-12) << phi;
    EXPECT_NEAR(sz0, 0.3 * std::pow(4.0, 0.8) + 3 / sqrt_half_pi, 1e-12) << phi;
  }
  // A line without width or vertical extent, wind along it: d = L (not 0/0).
  get_sgm0(line_along_y(200, 0, 0), 0, 0.3, 0.8, sy0, sz0);
  EXPECT_EQ(sy0, 0);
  EXPECT_DOUBLE_EQ(sz0, 0.3 * std::pow(100.0, 0.8));
  // 45 degrees: the smaller of W / sin and L / cos.
  get_sgm0(line_along_y(200, 8, 0), 45, 0.3, 0.8, sy0, sz0);
  EXPECT_NEAR(sy0, 208 * std::sqrt(0.5) / sqrt_2pi, 1e-12);
  EXPECT_NEAR(sz0, 0.3 * std::pow(4 * std::sqrt(2.0), 0.8), 1e-12);
}

// The angle between wind and line folds into 0..90 the same way from every quadrant:
// 40, 140, 220 and 320 degrees from the line all act as 40.
TEST(GetSgm0, LineSourceAngleFoldsFromEveryQuadrant) {
  const Source line = line_along_y(200, 8, 3);
  double sy40, sz40;
  get_sgm0(line, 40, 0.3, 0.8, sy40, sz40);
  const double a = 40 * 3.141592653589793 / 180;
  EXPECT_DOUBLE_EQ(sy40, (8 * std::cos(a) + 200 * std::sin(a)) / 2.5066282746310002);
  for (double phi : {140.0, 220.0, 320.0}) {
    double sy0, sz0;
    get_sgm0(line, phi, 0.3, 0.8, sy0, sz0);
    EXPECT_EQ(sy0, sy40) << phi;
    EXPECT_EQ(sz0, sz40) << phi;
  }
}

TEST(GetSgm0, InvalidSourceTypeStops) {
  Source s;
  s.typ_zdroje = 4;
  double sy0, sz0;
  EXPECT_RUN_ERROR(get_sgm0(s, 0, 0.3, 0.8, sy0, sz0),
                   " _get_sgm0: nedovolena hodnota typu zdroje\n"
                   "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
                   "               zadana hodnota \"class\":            4\n");
}

TEST(GetCoefDep, ChoosesClassOrStops) {
  test::ModelWorld w;
  w.par.k_u_all = {0.1, 0.2, 0.3};
  EXPECT_EQ(get_coef_dep(2, w.par), 0.2);
  const std::string head =
      " _get_coef_dep: Nedovolena hodnota tridy znecistujici latky (parametr trida_lat)\n"
      "               Hodnota tridy muze nabyvat hodnot 1 az max.            3\n";
  EXPECT_RUN_ERROR(get_coef_dep(0, w.par), head + "               Zadana hodnota tridy:            0\n");
  EXPECT_RUN_ERROR(get_coef_dep(4, w.par), head + "               Zadana hodnota tridy:            4\n");
}

}  // namespace
}  // namespace kadre

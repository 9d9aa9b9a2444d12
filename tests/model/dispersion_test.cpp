// Spreads of the plume, initial spreads of area and line sources, azimuths. Expected values
// from an independent script (Python, double precision) working from the formulas quoted at
// each test, the azimuths from atan2; 1e-13 relative allows for a different order of
// operations and nothing else.
#include <gtest/gtest.h>

#include <cmath>

#include "model/dispersion_coefficients.h"
#include "model/pair.h"
#include "support/test_support.h"

namespace kadre {
namespace {

constexpr double kRel = 1e-13;

// sigma_y = ay x^by + sy0, sigma_z = az x^bz + sz0.
TEST(Spreads, PowerLawsPlusInitialSpreads) {
  const struct {
    double x, ay, by, az, bz, sy0, sz0, sy, sz;
  } cases[] = {{1000, 0.5, 0.9, 0.3, 0.8, 0, 0, 250.59361681363617, 75.35659294528742},
               {250, 0.8, 0.88, 0.25, 0.85, 3, 4, 106.10439889468802, 31.301657620930726}};
  for (const auto& c : cases) {
    double sy = 0, sz = 0;
    get_sgm(c.x, c.ay, c.by, c.az, c.bz, c.sy0, c.sz0, sy, sz);
    EXPECT_NEAR(sy, c.sy, kRel * c.sy) << c.x;
    EXPECT_NEAR(sz, c.sz, kRel * c.sz) << c.x;
  }
}

// Clockwise from north (+y); 90 for a direction of no length.
TEST(Spreads, AzimuthOfADirection) {
  const struct {
    double dx, dy, azimuth;
  } cases[] = {{1, 1, 45},
               {1, -1, 135},
               {-1, -1, 225},
               {-1, 1, 315},
               {0, 0, 90},
               {0, 5, 0},
               {0, -5, 180},
               {5, 0, 90},
               {-5, 0, 270},
               {3, -4, 143.13010235415598},
               {-3, 4, 323.13010235415595}};
  for (const auto& c : cases)
    EXPECT_NEAR(get_delta_val(10, 20, 10 + c.dx, 20 + c.dy), c.azimuth, 1e-12)
        << c.dx << " " << c.dy;
}

// With az = 0.3, bz = 0.8. A point source starts at 0. An area of side L: sy0 = L / sqrt(2 pi),
// sz0 = az (L/2)^bz. A line of length L and width W at the angle a between wind and line
// (folded into 0..90 degrees): sy0 = (W cos a + L sin a) / sqrt(2 pi); with d the smaller of
// W / sin a and L / cos a (L where W / sin a is 0/0), sz0 = az (d/2)^bz + vert_ext / sqrt(pi/2).
TEST(Spreads, InitialSpreadsOfAreasAndLines) {
  using enum SourceType;
  const Source north{.id = "S",
                     .x1 = 0,
                     .y1 = 0,
                     .x2 = 0,
                     .y2 = 100,
                     .type = line,
                     .length = 100,
                     .width = 10,
                     .vert_ext = 5};
  Source north_east = north;
  north_east.x2 = 100, north_east.length = 141.4213562373095, north_east.vert_ext = 0;
  Source thin = north;
  thin.width = 0, thin.vert_ext = 0;
  const struct {
    Source source;
    double phi, sy0, sz0;
  } cases[] = {
      {Source{.id = "S", .type = point, .length = 10}, 30, 0, 0},
      {Source{.id = "S", .type = area, .length = 10}, 30, 3.9894228040143274, 1.0871694955165434},
      {north, 0, 3.9894228040143274, 10.848998582924224},    // a = 0
      {north, 30, 23.40205551478499, 5.882294837454907},     // a = 30
      {north, 120, 36.54412634914071, 5.2091782134812625},   // 180 - 120
      {north, 200, 17.393460762284004, 6.554237009918997},   // 200 - 180
      {north, 300, 36.54412634914071, 5.2091782134812625},   // 360 - 300
      {north, 90, 39.894228040143275, 5.076592299530871},    // across: d = W
      {north, 180, 3.9894228040143274, 10.848998582924224},  // along: d = L
      {north_east, 10, 35.62852892121174, 1.6959936313768595},
      {north_east, 350, 48.50394398799409, 1.2752802756587496},
      {thin, 0, 0, 6.859575778909896}};
  for (const auto& c : cases) {
    double sy0 = -1, sz0 = -1;
    get_sgm0(c.source, line_azimuth(c.source), c.phi, 0.3, 0.8, sy0, sz0);
    EXPECT_NEAR(sy0, c.sy0, kRel * c.sy0) << static_cast<int>(c.source.type) << " " << c.phi;
    EXPECT_NEAR(sz0, c.sz0, kRel * c.sz0) << static_cast<int>(c.source.type) << " " << c.phi;
  }
}

// The spreads kept for a pair are those of the formula for each class and sector asked for.
TEST(Spreads, KeptSpreadsFollowClassAndSector) {
  ModelParams par = test::distinct_class_params();
  const Source line{
      .id = "S", .x2 = 100, .y2 = 100, .type = SourceType::line, .length = 141.4, .width = 10};
  InitialSpreads kept;
  kept.reset(line, 36);
  const struct {
    int s;
    double phi;
    int sector;
  } asks[] = {{2, 30, 4}, {2, 120, 13}, {4, 30, 4}, {2, 30, 4}, {4, 120, 0}, {1, 90, 10}};
  for (const auto& a : asks) {
    double sy0, sz0, e_sy0, e_sz0;
    kept.get(line, par, a.s, a.phi, a.sector, sy0, sz0);
    get_sgm0(line, 45, a.phi, par.az[a.s - 1], par.bz[a.s - 1], e_sy0, e_sz0);
    EXPECT_EQ(sy0, e_sy0) << a.s << " " << a.phi;
    EXPECT_EQ(sz0, e_sz0) << a.s << " " << a.phi;
  }
}

}  // namespace
}  // namespace kadre

// The terrain between a source and a point, the effective height over it and the vertical
// distances of the kernels. All expected values are hand calculations from the formulas quoted
// at each test; they are exact in binary (sums of whole metres times 25 or 50), so they are
// compared exactly unless a case says otherwise.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/pair.h"
#include "model/terrain_path.h"
#include "model/vertical_geometry.h"

namespace kadre {
namespace {

// One row of 25 m cells centred on x = 0, 25, 50, ...: cell ix holds elevations[ix - 1].
TerrainGrid row_grid(const std::vector<std::int16_t>& elevations) {
  return {.xllcorner = -12.5,
          .yllcorner = -12.5,
          .cellsize = 25,
          .nx = static_cast<int>(elevations.size()),
          .ny = 1,
          .z = elevations};
}

// 41 cells rising 1 m per cell from 100 m at x = 0 to 140 m at x = 1000.
TerrainGrid slope_grid() {
  std::vector<std::int16_t> z;
  for (int i = 0; i <= 40; ++i) z.push_back(static_cast<std::int16_t>(100 + i));
  return row_grid(z);
}

// n = int(L / step) samples; each adds (max(zc - z0, 0) - 2 max(zc - z_end, 0)) x step; with
// no sample the path adds L (z_end - z0) / 2 rising, L (z_end - z0) falling; theta_raw = S /
// ((z_end - z0) L), zmax the highest profile elevation above z0.
TEST(Integrace, ProfileIntegralAlongThePath) {
  const struct {
    double step, z0, z_end, xa, xb, theta, zmax;
  } cases[] = {
      {25, 100, 140, 0, 1000, 0.5125, 40},  // sum of 25 i for i = 1..40 = 20500, over 40 x 1000
      {50, 100, 140, 0, 1000, 0.525, 40},   // 20 samples of 2 i x 50: 21000 over 40000
      {25, 140, 100, 1000, 0, 0.975,
       0},                             // down: -2 (40 - i) x 25 for i = 1..39, -39000 over -40000
      {25, 100, 140, 0, 20, 0.5, 40},  // no sample: 20 x 40 / 2 over 40 x 20
      {25, 140, 100, 0, 20, 1.0, 0}};  // 20 x (-40) over (-40) x 20
  const TerrainGrid grid = slope_grid();
  for (const auto& c : cases) {
    const PathIntegral p = integrace(grid, c.step, c.z0, c.z_end, c.xa, 0, c.xb, 0, 0);
    EXPECT_NEAR(p.theta_raw, c.theta, 1e-15) << c.step << " " << c.xb;
    EXPECT_EQ(p.zmax, c.zmax) << c.step << " " << c.xb;
  }
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

// The pair's geometry: delta is the azimuth of the source seen from the point; the path runs
// from the source's base to the point's terrain with the grid raised to 0; theta is kept only
// for a point above the source's base and never below 0.
TEST(Integrace, GeometryOfAPair) {
  const TerrainGrid slope = slope_grid(), ridge = row_grid({0, 120, 40, 40}),
                    hollow = row_grid({-100, -50, 40, 40});
  const struct {
    const TerrainGrid* grid;
    double x_s, z_s, x_r, z_r, delta, theta, zmax;
  } cases[] = {{&slope, 0, 100, 1000, 140, 270, 0.5125, 40},
               {&slope, 1000, 140, 0, 100, 90, 0, 0},
               {&ridge, 0, 0, 60, 40, 270, 0, 120},   // theta_raw 0
               {&slope, 0, 120, 20, 120, 270, 0, 0},  // level: 0/0
               // the hollow at -50 counts as 0: (100 + 140) x 25 over 140 x 60
               {&hollow, 0, -100, 60, 40, 270, 6000.0 / 8400, 140}};
  const ModelParams par;
  const ClimateTables climate;
  for (const auto& c : cases) {
    const ModelContext ctx(ModelOptions{}, par, *c.grid, climate, {});
    PairGeometry g;
    eval_theta_delta(ctx, RefPoint{.id = "S", .x = c.x_r, .z = c.z_r},
                     Source{.id = "S", .x = c.x_s, .z = c.z_s}, g);
    EXPECT_EQ(g.delta, c.delta) << c.x_s << " " << c.z_s;
    EXPECT_NEAR(g.theta, c.theta, 1e-15) << c.x_s << " " << c.z_s;
    EXPECT_EQ(g.zmax, c.zmax) << c.x_s << " " << c.z_s;
  }
  EXPECT_EQ(eval_x(1, 2, 4, 6), 5.0);
}

// h_ef = zmax + eps h where (1 - eps) h < zmax, else h.
TEST(EffectiveHeight, LiftedOverTheHighestTerrain) {
  const struct {
    double h, zmax, eps, h_ef;
  } cases[] = {
      {100, 60, 0.5, 110}, {100, 40, 0.5, 100}, {100, 80, 0.25, 105}, {100, 74, 0.25, 100}};
  for (const auto& c : cases) EXPECT_EQ(hef_terr(c.h, c.zmax, c.eps), c.h_ef) << c.zmax;
}

// dz = z_r - z_s, z_p = dz + h_r. A point above the axis (h_ef < z_p) without free_atmo is
// taken at the axis: z1 = h_ef, z2 = h_ef + |dz| - dz, z3 = 2 dz - h_ef, z4 = h_ef - 2 z_lid.
// Otherwise z1 = z_p, z2 = |dz| + h_r, z3 = dz - h_r, z4 = z_p - 2 z_lid.
TEST(EffectiveHeight, VerticalDistancesOfThePointAndItsImages) {
  const struct {
    double z_r, z_s, h_r, h_ef, z_lid;
    bool free_atmo;
    VertCoord v;
  } cases[] = {{300, 200, 20, 50, 80, false, {50, 50, 150, -110}},
               {300, 200, 20, 50, 80, true, {120, 120, 80, -40}},
               {150, 200, 10, 60, 0, false, {-40, 60, -60, -40}},
               {190, 200, 50, 30, 70, false, {30, 50, -50, -110}},
               {190, 200, 50, 30, 70, true, {40, 60, -60, -100}}};
  for (const auto& c : cases) {
    const VertCoord v = get_vert_coord(c.z_r, c.z_s, c.h_r, c.h_ef, c.z_lid, c.free_atmo);
    EXPECT_EQ((std::array<double, 4>{v.z1, v.z2, v.z3, v.z4}),
              (std::array<double, 4>{c.v.z1, c.v.z2, c.v.z3, c.v.z4}))
        << c.z_r << " " << c.h_ef << " " << c.free_atmo;
  }
}

}  // namespace
}  // namespace kadre

// The terrain between source and point: the weight of the reflection, the highest terrain on
// the path, the plume lifted over it and the vertical distances of the point.
#include "model/terrain_path.h"

#include <gtest/gtest.h>

#include "model/dispersion_model.h"
#include "model/vertical_geometry.h"
#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// One row of 25 m cells centred on x = 0, 25, 50, ...: cell ix holds elevations[ix - 1].
TerrainGrid row_grid(const std::vector<int>& elevations) {
  TerrainGrid g;
  g.xllcorner = g.yllcorner = -12.5;
  g.cellsize = 25;
  g.nx = static_cast<int>(elevations.size());
  g.ny = 1;
  for (int z : elevations) g.z.push_back(static_cast<std::int16_t>(z));
  return g;
}

TEST(Integrace, WorkedExamples) {
  std::vector<int> z;
  for (int i = 0; i <= 41; ++i) z.push_back(100 + i);  // rising 1 m per 25 m
  const PathIntegral even = integrace(row_grid(z), 25, 100, 140, 0, 0, 1000, 0, 0);
  EXPECT_DOUBLE_EQ(even.theta_raw, 0.5125);  // 25 x (1 + ... + 40) / (40 x 1000)
  EXPECT_EQ(even.zmax, 40);
  // A path shorter than the step counts only its closing segment.
  const TerrainGrid level = row_grid({500, 500, 500});
  const PathIntegral up = integrace(level, 25, 100, 140, 0, 0, 20, 0, 0);
  EXPECT_DOUBLE_EQ(up.theta_raw, 0.5);
  EXPECT_EQ(up.zmax, 40);
  const PathIntegral down = integrace(level, 25, 140, 100, 0, 0, 20, 0, 0);
  EXPECT_DOUBLE_EQ(down.theta_raw, 1.0);
  EXPECT_EQ(down.zmax, 0);
  EXPECT_RUN_ERROR(integrace(level, 25, 0, 10, 0, 0, 100, 0, 0),
                   " integrace: Index '4' of dimension 1 of array 'z' above upper bound of 3\n");
}

// A path of 60 m from the source (x = 0, base 0) to the point (x = 60, terrain 40): samples at
// x = 30 (the ridge) and x = 60 (the point's level). Ridges above the point's level count
// twice against; below the lowest ground the grid counts as z_min.
TEST(Integrace, RidgesAboveThePointsLevelCountTwiceAgainst) {
  const struct { int ridge; double theta, zmax; } cases[] = {
      {40, 2000.0 / 2400, 40}, {80, 1000.0 / 2400, 80},   {120, 0.0, 120},
      {200, -2000.0 / 2400, 200}, {-50, 1000.0 / 2400, 40}};
  for (const auto& c : cases) {
    const PathIntegral p = integrace(row_grid({0, c.ridge, 40, 40}), 25, 0, 40, 0, 0, 60, 0, 0);
    EXPECT_DOUBLE_EQ(p.theta_raw, c.theta) << c.ridge;
    EXPECT_EQ(p.zmax, c.zmax) << c.ridge;
  }
  // Only the sampled grid elevations are raised to z_min; the ends keep their own.
  const TerrainGrid low = row_grid({-30, -30, -30, -30});
  const PathIntegral short_path = integrace(low, 25, -20, -10, 0, 0, 20, 0, 0);
  EXPECT_EQ(short_path.zmax, 10);  // -10 - (-20), not 0 - (-20)
  EXPECT_DOUBLE_EQ(short_path.theta_raw, 0.5);
  EXPECT_EQ(integrace(low, 25, -20, -10, 0, 0, 60, 0, 0).zmax, 20);  // the samples at -30 count as 0
}

TEST(GetThetaVal, KeepsOnlyPositiveWeightsOfRisingPaths) {
  const TerrainWeight negative = get_theta_val(row_grid({0, 200, 40, 40}), 25, 0, 40, 0, 0, 60, 0, 0);
  EXPECT_EQ(negative.theta, 0);
  EXPECT_EQ(negative.zmax, 200);
  const TerrainGrid level = row_grid({40, 40, 40, 40});
  const TerrainWeight flat = get_theta_val(level, 25, 40, 40, 0, 0, 60, 0, 0);  // 0/0 discarded
  EXPECT_EQ(flat.theta, 0);
  EXPECT_EQ(flat.zmax, 0);
  EXPECT_EQ(get_theta_val(level, 25, 60, 40, 0, 0, 60, 0, 0).theta, 0);  // point below the source

  test::ModelWorld w;
  w.terrain = row_grid({0, 80, 40, 40});
  PathScratch scratch;
  PairGeometry g;
  g.x = eval_x(60, 0, 0, 0);
  EXPECT_EQ(g.x, 60);
  eval_theta_delta(w.ctx(), 60, 0, 40, 0, 0, 0, g, scratch);
  EXPECT_EQ(g.delta, 270);  // the source lies west of the point
  EXPECT_DOUBLE_EQ(g.theta, 1000.0 / 2400);
  EXPECT_EQ(g.zmax, 80);
  eval_theta_delta(w.ctx(), 0, 0, 0, 60, 0, 40, g, scratch);  // seen from the source: below
  EXPECT_EQ(g.delta, 90);
  EXPECT_EQ(g.theta, 0);
}

TEST(HefTerr, PlumeLiftedOverTheHighestTerrain) {
  for (const auto& [zmax, h] : {std::pair{60.0, 110.0}, {40.0, 100.0}, {50.0, 100.0}, {0.0, 100.0}})
    EXPECT_EQ(hef_terr(100, zmax, 0.5), h) << zmax;
}

TEST(GetVertCoord, PointAboveTheAxisFollowsTheTerrainUnlessFreeAtmosphere) {
  // Point terrain 20 m above the source base, point 30 m above its terrain (z_p = 50).
  const VertCoord on = get_vert_coord(120, 100, 30, 30, 200, false);
  EXPECT_EQ(on.z1, 30);  // evaluated at the axis
  EXPECT_EQ(on.z2, 30);
  EXPECT_EQ(on.z3, 10);
  EXPECT_EQ(on.z4, 30 - 400);
  const VertCoord free = get_vert_coord(120, 100, 30, 30, 200, true);
  EXPECT_EQ(free.z1, 50);  // the true height
  EXPECT_EQ(free.z2, 50);
  EXPECT_EQ(free.z3, -10);
  EXPECT_EQ(free.z4, 50 - 400);
  EXPECT_EQ(get_vert_coord(120, 100, 30, 80, 0, false).z1, 50);  // below the axis: as is
  const VertCoord low = get_vert_coord(90, 100, 40, 20, 0, false);  // terrain below the base
  EXPECT_EQ(low.z2, 40);
  EXPECT_EQ(low.z3, -40);
}

}  // namespace
}  // namespace kadre

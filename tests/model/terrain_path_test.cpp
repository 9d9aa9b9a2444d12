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
  g.xllcorner = -12.5;
  g.yllcorner = -12.5;
  g.cellsize = 25;
  g.nx = static_cast<int>(elevations.size());
  g.ny = 1;
  for (int z : elevations) g.z.push_back(static_cast<std::int16_t>(z));
  return g;
}

TEST(Integrace, EvenlyRisingPathOfOneKilometre) {
  std::vector<int> z;
  for (int i = 0; i <= 41; ++i) z.push_back(100 + i);  // the profile rises 1 m per 25 m
  const TerrainGrid grid = row_grid(z);
  const PathIntegral p = integrace(grid, 25, 100, 140, 0, 0, 1000, 0, 0);
  EXPECT_DOUBLE_EQ(p.theta_raw, 0.5125);  // 25 x (1 + ... + 40) / (40 x 1000)
  EXPECT_EQ(p.zmax, 40);
}

TEST(Integrace, ShortPathCountsOnlyTheClosingSegment) {
  const TerrainGrid grid = row_grid({500, 500, 500});
  const PathIntegral up = integrace(grid, 25, 100, 140, 0, 0, 20, 0, 0);
  EXPECT_DOUBLE_EQ(up.theta_raw, 0.5);
  EXPECT_EQ(up.zmax, 40);
  const PathIntegral down = integrace(grid, 25, 140, 100, 0, 0, 20, 0, 0);
  EXPECT_DOUBLE_EQ(down.theta_raw, 1.0);
  EXPECT_EQ(down.zmax, 0);
}

// Path of 60 m from the source (x = 0, base 0) to the point (x = 60, terrain 40): two
// samples, at x = 30 (the ridge, cell 2) and at x = 60 (cell 3, at the point's level).
PathIntegral ridge_path(int ridge) {
  const TerrainGrid grid = row_grid({0, ridge, 40, 40});
  return integrace(grid, 25, 0, 40, 0, 0, 60, 0, 0);
}

TEST(Integrace, RidgesAboveThePointsLevelCountTwiceAgainst) {
  EXPECT_DOUBLE_EQ(ridge_path(40).theta_raw, 2000.0 / 2400);
  EXPECT_DOUBLE_EQ(ridge_path(80).theta_raw, 1000.0 / 2400);  // 80 - 2 x 40 adds 0
  EXPECT_DOUBLE_EQ(ridge_path(120).theta_raw, 0.0);           // 120 - 160 takes 1000 away
  EXPECT_DOUBLE_EQ(ridge_path(200).theta_raw, -2000.0 / 2400);
  EXPECT_EQ(ridge_path(200).zmax, 200);
  // Below the lowest ground the grid counts as z_min.
  EXPECT_DOUBLE_EQ(ridge_path(-50).theta_raw, 1000.0 / 2400);
  EXPECT_EQ(ridge_path(-50).zmax, 40);
}

// Only the sampled grid elevations are raised to z_min; the two ends keep their own
// elevations in the highest point of the profile.
TEST(Integrace, EndsBelowTheLowestGroundAreNotRaised) {
  const TerrainGrid grid = row_grid({-30, -30, -30, -30});
  const PathIntegral short_path = integrace(grid, 25, -20, -10, 0, 0, 20, 0, 0);
  EXPECT_EQ(short_path.zmax, 10);  // -10 - (-20), not 0 - (-20)
  EXPECT_DOUBLE_EQ(short_path.theta_raw, 0.5);
  const PathIntegral long_path = integrace(grid, 25, -20, -10, 0, 0, 60, 0, 0);
  EXPECT_EQ(long_path.zmax, 20);  // the samples at -30 count as 0
}

TEST(GetThetaVal, KeepsOnlyPositiveWeightsOfRisingPaths) {
  const TerrainGrid grid = row_grid({0, 200, 40, 40});
  const TerrainWeight negative = get_theta_val(grid, 25, 0, 40, 0, 0, 60, 0, 0);
  EXPECT_EQ(negative.theta, 0);
  EXPECT_EQ(negative.zmax, 200);
  const TerrainGrid level = row_grid({40, 40, 40, 40});
  EXPECT_EQ(get_theta_val(level, 25, 40, 40, 0, 0, 60, 0, 0).theta, 0);  // 0/0 discarded
  EXPECT_EQ(get_theta_val(level, 25, 40, 40, 0, 0, 60, 0, 0).zmax, 0);
  EXPECT_EQ(get_theta_val(level, 25, 60, 40, 0, 0, 60, 0, 0).theta, 0);  // point below source
}

TEST(Integrace, PathLeavingTheGridStopsWithIndexError) {
  const TerrainGrid grid = row_grid({0, 0, 0});
  EXPECT_RUN_ERROR(integrace(grid, 25, 0, 10, 0, 0, 100, 0, 0),
                   " integrace: Index '4' of dimension 1 of array 'z' above upper bound of 3\n");
}

TEST(EvalThetaDelta, GeometryOfAPairOnAnEvenSlope) {
  test::ModelWorld w;
  w.terrain = row_grid({0, 80, 40, 40});
  const auto ctx = w.ctx();
  PathScratch scratch;
  PairGeometry g;
  g.x = eval_x(60, 0, 0, 0);
  EXPECT_EQ(g.x, 60);
  eval_theta_delta(ctx, 60, 0, 40, 0, 0, 0, g, scratch);
  EXPECT_EQ(g.delta, 270);  // the source lies west of the point
  EXPECT_DOUBLE_EQ(g.theta, 1000.0 / 2400);
  EXPECT_EQ(g.zmax, 80);
  // Seen from the source the point is below: no reflection weight.
  eval_theta_delta(ctx, 0, 0, 0, 60, 0, 40, g, scratch);
  EXPECT_EQ(g.delta, 90);
  EXPECT_EQ(g.theta, 0);
}

TEST(HefTerr, PlumeLiftedOverTheHighestTerrain) {
  EXPECT_EQ(hef_terr(100, 60, 0.5), 110);
  EXPECT_EQ(hef_terr(100, 40, 0.5), 100);
  EXPECT_EQ(hef_terr(100, 50, 0.5), 100);
  EXPECT_EQ(hef_terr(100, 0, 0.5), 100);
}

TEST(GetVertCoord, PointAboveTheAxisFollowsTheTerrainUnlessFreeAtmosphere) {
  // Point terrain 20 m above the source base, point 30 m above its terrain (z_p = 50).
  const VertCoord on = get_vert_coord(120, 100, 30, 30, 200, false);
  EXPECT_EQ(on.z1 - 30, 0);  // evaluated at the axis
  EXPECT_EQ(on.z2, 30);
  EXPECT_EQ(on.z3, 10);
  EXPECT_EQ(on.z4, 30 - 400);
  const VertCoord free = get_vert_coord(120, 100, 30, 30, 200, true);
  EXPECT_EQ(free.z1 - 30, 20);  // the true distance from the axis
  EXPECT_EQ(free.z2, 50);
  EXPECT_EQ(free.z3, -10);
  EXPECT_EQ(free.z4, 50 - 400);
  // Point below the axis: the same either way.
  const VertCoord below = get_vert_coord(120, 100, 30, 80, 0, false);
  EXPECT_EQ(below.z1, 50);
  EXPECT_EQ(below.z4, 50);
  // Point terrain below the source base, point above the axis.
  const VertCoord low = get_vert_coord(90, 100, 40, 20, 0, false);
  EXPECT_EQ(low.z2, 20 + 20);
  EXPECT_EQ(low.z3, -20 - 20);
}

}  // namespace
}  // namespace kadre

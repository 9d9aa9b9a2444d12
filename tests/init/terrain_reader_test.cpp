#include "init/terrain_reader.h"

#include <gtest/gtest.h>

#include "init/reader_messages.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

// The keywords are not checked, only the values after them.
const std::string kHeader4x3 = "ncols 4\nrows 3\nx_corner 1000\nYLL 2000\nsize 10\n'no data' -9999\n";

RefPoint point_at(double x, double y) {
  RefPoint p;
  p.x = x;
  p.y = y;
  return p;
}

// Reads the header, then the window around the points (and sources).
TerrainGrid read_window(const std::string& path, const std::vector<RefPoint>& points,
                        const std::vector<Source>& sources = {}) {
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  read_terrain(path, grid, points, sources);
  return grid;
}

std::vector<double> corners(const TerrainGrid& g) {
  return {g.xllcorner, g.yllcorner, g.xllcorner_upper, g.yllcorner_upper};
}

TEST(TerrainReader, WindowOfPointsAndSourcesMovesTheOriginAndFeedsTheElevations) {
  TempDir dir;
  const std::string path =
      dir.write("grid.asc", kHeader4x3 + "11 12 13 14\n21,-9999, 23 24\n31 32 33 34\n");
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  EXPECT_EQ(grid.nodata_value, -9999.0);
  EXPECT_EQ(corners(grid), (std::vector<double>{1000, 2000, 1040, 2030}));

  std::vector<RefPoint> points{point_at(1015, 2005)};
  std::vector<Source> sources(1);
  sources[0].x = 1025;
  sources[0].y = 2025;
  read_terrain(path, grid, points, sources);
  ASSERT_EQ(grid.nx, 2);  // columns 2..3
  ASSERT_EQ(grid.ny, 3);  // rows 1..3
  EXPECT_EQ(corners(grid), (std::vector<double>{1010, 2000, 1030, 2030}));
  EXPECT_EQ(grid.ncols, 4);
  EXPECT_EQ(grid.nrows, 3);
  // Row 1 of the window is the southernmost row of the file; the no-data value is an
  // elevation like any other.
  EXPECT_EQ(grid.z, (std::vector<std::int16_t>{32, 33, -9999, 23, 12, 13}));
  dopln_z(grid, points, sources);
  EXPECT_EQ(points[0].z, 32.0);   // file row 3, column 2
  EXPECT_EQ(sources[0].z, 13.0);  // file row 1, column 3
}

TEST(TerrainReader, OnlyTheWindowRowsAreReadAndCellEdgesBelongEastAndNorth) {
  TempDir dir;
  std::vector<RefPoint> points{point_at(1020, 2010)};
  const TerrainGrid grid = read_window(
      dir.write("grid.asc", kHeader4x3 + "not even 245.5 numbers\n21 22 23 24\nrubbish\n"), points);
  ASSERT_EQ(grid.nx, 1);
  ASSERT_EQ(grid.ny, 1);
  EXPECT_EQ(grid.z[0], 23);
  EXPECT_EQ(corners(grid), (std::vector<double>{1020, 2010, 1030, 2020}));
  std::vector<Source> none;
  dopln_z(grid, points, none);
  EXPECT_EQ(points[0].z, 23.0);
  // Nothing to cover: no window, the full extent stays.
  const TerrainGrid empty = read_window(dir.write("grid.asc", kHeader4x3 + "rubbish\n"), {});
  EXPECT_EQ(empty.nx + empty.ny, 0);
  EXPECT_TRUE(empty.z.empty());
  EXPECT_EQ(corners(empty), (std::vector<double>{1000, 2000, 1040, 2030}));
}

TEST(TerrainReader, ReadErrors) {
  TempDir dir;
  const std::vector<RefPoint> both_corners{point_at(1005, 2005), point_at(1035, 2025)};
  for (const std::string bad : {"245.5", "40000", "-32769", "x"}) {
    const std::string path = dir.write("grid.asc", kHeader4x3 + "1 2 3 4\n5 6 " + bad + " 8\n9 10 11 12\n");
    EXPECT_INPUT_ERROR(read_window(path, both_corners), test::read_error("grid.asc", 2));
  }
  EXPECT_INPUT_ERROR(read_window(dir.write("short.asc", kHeader4x3 + "1 2 3 4\n5 6 7 8\n9 10 11\n"),
                                 {point_at(1005, 2005)}),
                     test::missing_data("short.asc"));
  // The rows above the window are missing: the skip runs into the end of the file.
  EXPECT_INPUT_ERROR(read_window(dir.write("norows.asc", kHeader4x3), {point_at(1005, 2005)}),
                     test::missing_data("norows.asc"));

  // Header errors use line 0.
  TerrainGrid grid;
  const std::string bad = dir.write("bad.asc", "ncols 4.5\nnrows 3\nx 0\ny 0\nc 10\nn 0\n");
  EXPECT_INPUT_ERROR(read_terrain_definition(bad, grid), test::read_error("bad.asc", 0));
  EXPECT_INPUT_ERROR(read_terrain(bad, grid, {}, {}), test::read_error("bad.asc", 0));
  EXPECT_INPUT_ERROR(read_terrain_definition(dir.write("cut.asc", "ncols 4\nnrows 3\nx 0\n"), grid),
                     test::missing_data("cut.asc"));
  EXPECT_INPUT_ERROR(read_terrain_definition(dir.file("none.asc"), grid),
                     test::missing_file(dir.file("none.asc"), "terenem"));
}

}  // namespace
}  // namespace kadre

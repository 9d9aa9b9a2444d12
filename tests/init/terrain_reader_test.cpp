#include "init/terrain_reader.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

const std::string kReadError = "Chyba cten\xC3\xAD dat ze souboru ";
const std::string kMissingData = "\nZkontrolujte zda v nekterych radcich nechybi data.";

const std::string kHeader4x3 =
    "ncols 4\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 10\nNODATA_value -9999\n";

RefPoint point_at(double x, double y) {
  RefPoint p;
  p.id = "P";
  p.x = x;
  p.y = y;
  return p;
}

Source source_at(double x, double y) {
  Source s;
  s.id = "S";
  s.x = x;
  s.y = y;
  return s;
}

TEST(TerrainReader, WindowOfPointsAndSourcesMovesTheOriginAndFeedsTheElevations) {
  TempDir dir;
  const std::string path = dir.write("grid.asc", kHeader4x3 +
                                                     "11 12 13 14\n"
                                                     "21 -9999 23 24\n"
                                                     "31 32 33 34\n");
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  EXPECT_EQ(grid.ncols, 4);
  EXPECT_EQ(grid.nrows, 3);
  EXPECT_EQ(grid.nodata_value, -9999.0);
  EXPECT_EQ(grid.xllcorner_upper, 40.0);
  EXPECT_EQ(grid.yllcorner_upper, 30.0);

  std::vector<RefPoint> points{point_at(15, 5)};
  std::vector<Source> sources{source_at(25, 25)};
  read_terrain(path, grid, points, sources);
  ASSERT_EQ(grid.nx, 2);  // columns 2..3
  ASSERT_EQ(grid.ny, 3);  // rows 1..3
  EXPECT_EQ(grid.xllcorner, 10.0);
  EXPECT_EQ(grid.yllcorner, 0.0);
  EXPECT_EQ(grid.xllcorner_upper, 30.0);
  EXPECT_EQ(grid.yllcorner_upper, 30.0);
  EXPECT_EQ(grid.ncols, 4);
  EXPECT_EQ(grid.nrows, 3);
  // Row 1 of the window is the southernmost row of the file; the no-data value is an
  // elevation like any other.
  EXPECT_EQ(grid.z, (std::vector<std::int16_t>{32, 33, -9999, 23, 12, 13}));

  dopln_z(grid, points, sources);
  EXPECT_EQ(points[0].z, 32.0);   // file row 3, column 2
  EXPECT_EQ(sources[0].z, 13.0);  // file row 1, column 3
}

TEST(TerrainReader, RowsAboveAreSkippedUnreadAndRowsBelowAreNotRead) {
  TempDir dir;
  const std::string path = dir.write("grid.asc", kHeader4x3 +
                                                     "not even 245.5 numbers\n"
                                                     "21 22 23 24\n"
                                                     "rubbish\n");
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  // An interior cell edge belongs to the cell east and north of it.
  std::vector<RefPoint> points{point_at(20, 10)};
  std::vector<Source> none;
  read_terrain(path, grid, points, none);
  ASSERT_EQ(grid.nx, 1);
  ASSERT_EQ(grid.ny, 1);
  EXPECT_EQ(grid.z[0], 23);
  EXPECT_EQ(grid.xllcorner, 20.0);
  EXPECT_EQ(grid.yllcorner, 10.0);
  EXPECT_EQ(grid.xllcorner_upper, 30.0);
  EXPECT_EQ(grid.yllcorner_upper, 20.0);
  dopln_z(grid, points, none);
  EXPECT_EQ(points[0].z, 23.0);
}

TEST(TerrainReader, KeywordsAreIgnoredAndValuesMaySpanCommas) {
  TempDir dir;
  const std::string path = dir.write("grid.asc",
                                     "C 2\nrows 2\nx_corner 100.5\nYLL 200\nsize 5\n'no data' 0\n"
                                     "1,2\n3 4\n");
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  EXPECT_EQ(grid.ncols, 2);
  EXPECT_EQ(grid.nrows, 2);
  EXPECT_EQ(grid.xllcorner, 100.5);
  EXPECT_EQ(grid.yllcorner, 200.0);
  EXPECT_EQ(grid.cellsize, 5.0);
  EXPECT_EQ(grid.xllcorner_upper, 110.5);
  EXPECT_EQ(grid.yllcorner_upper, 210.0);
  std::vector<RefPoint> points{point_at(101, 201), point_at(109, 209)};
  std::vector<Source> none;
  read_terrain(path, grid, points, none);
  EXPECT_EQ(grid.z, (std::vector<std::int16_t>{3, 4, 1, 2}));
}

TEST(TerrainReader, NothingToCoverLoadsNoWindow) {
  TempDir dir;
  const std::string path = dir.write("grid.asc", kHeader4x3 + "rubbish\n");
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  std::vector<RefPoint> points;
  std::vector<Source> sources;
  read_terrain(path, grid, points, sources);
  EXPECT_EQ(grid.nx, 0);
  EXPECT_EQ(grid.ny, 0);
  EXPECT_TRUE(grid.z.empty());
  EXPECT_EQ(grid.xllcorner, 0.0);
  EXPECT_EQ(grid.yllcorner, 0.0);
  EXPECT_EQ(grid.xllcorner_upper, 40.0);
  EXPECT_EQ(grid.yllcorner_upper, 30.0);
  dopln_z(grid, points, sources);
}

TEST(TerrainReader, BadValuesInTheWindowNameTheirRow) {
  TempDir dir;
  const std::vector<RefPoint> points{point_at(5, 5), point_at(35, 25)};
  const std::vector<Source> none;
  for (const std::string bad : {"245.5", "40000", "-32769", "x"}) {
    const std::string path =
        dir.write("grid.asc", kHeader4x3 + "1 2 3 4\n5 6 " + bad + " 8\n9 10 11 12\n");
    TerrainGrid grid;
    read_terrain_definition(path, grid);
    EXPECT_INPUT_ERROR(read_terrain(path, grid, points, none),
                       kReadError + "grid.asc.\nChyba na radku 2.");
  }
}

TEST(TerrainReader, MissingRowsAndValuesAreEndOfFile) {
  TempDir dir;
  const std::vector<Source> none;
  TerrainGrid grid;

  const std::string short_row = dir.write("short.asc", kHeader4x3 + "1 2 3 4\n5 6 7 8\n9 10 11\n");
  read_terrain_definition(short_row, grid);
  EXPECT_INPUT_ERROR(read_terrain(short_row, grid, {point_at(5, 5)}, none),
                     kReadError + "short.asc." + kMissingData);

  // The rows above the window are missing: the skip runs into the end of the file.
  const std::string no_rows = dir.write("norows.asc", kHeader4x3);
  read_terrain_definition(no_rows, grid);
  EXPECT_INPUT_ERROR(read_terrain(no_rows, grid, {point_at(5, 5)}, none),
                     kReadError + "norows.asc." + kMissingData);
}

TEST(TerrainReader, HeaderErrorsUseLineZero) {
  TempDir dir;
  TerrainGrid grid;
  const std::string bad = dir.write("bad.asc", "ncols 4.5\nnrows 3\nx 0\ny 0\nc 10\nn 0\n");
  EXPECT_INPUT_ERROR(read_terrain_definition(bad, grid), kReadError + "bad.asc.\nChyba na radku 0.");
  EXPECT_INPUT_ERROR(read_terrain(bad, grid, {}, {}), kReadError + "bad.asc.\nChyba na radku 0.");

  const std::string cut = dir.write("cut.asc", "ncols 4\nnrows 3\nx 0\n");
  EXPECT_INPUT_ERROR(read_terrain_definition(cut, grid), kReadError + "cut.asc." + kMissingData);

  EXPECT_INPUT_ERROR(read_terrain_definition(dir.file("none.asc"), grid),
                     "Soubor " + dir.file("none.asc") + " s terenem neexistuje.");
  EXPECT_INPUT_ERROR(read_terrain_definition(dir.path().string() + "/", grid),
                     "Soubor s terenem nebyl zadan.");
}

}  // namespace
}  // namespace kadre

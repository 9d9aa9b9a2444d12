#include "init/ref_points_reader.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

const std::string kReadError = "Chyba cten\xC3\xAD dat ze souboru ";

TerrainGrid grid_0_100() {
  TerrainGrid grid;
  grid.ncols = grid.nrows = 10;
  grid.cellsize = 10;
  grid.xllcorner_upper = grid.yllcorner_upper = 100;
  return grid;
}

TEST(RefPointsReader, ReadsPointsAfterTheCommentHeader) {
  TempDir dir;
  const std::string path = dir.write("body.txt",
                                     "! reference points\n\n  ! x y z h\n"
                                     "P1 10 20 300 1.5\n"
                                     "'A very long identifier text', 50.5, 60, 0, 2\n"
                                     "\n"
                                     "P3 99 1 7 0 ignored rest\n");
  const auto points = read_ref_points(path, grid_0_100());
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].id, "P1");
  EXPECT_EQ(points[0].x, 10.0);
  EXPECT_EQ(points[0].y, 20.0);
  EXPECT_EQ(points[0].z, 300.0);
  EXPECT_EQ(points[0].h, 1.5);
  EXPECT_EQ(points[1].id, "A very long identifi");
  EXPECT_EQ(points[1].x, 50.5);
  EXPECT_EQ(points[2].id, "P3");
  for (const auto& p : points) EXPECT_TRUE(p.is_out);
}

TEST(RefPointsReader, CommentOnlyFileGivesNoPoints) {
  TempDir dir;
  EXPECT_TRUE(read_ref_points(dir.write("body.txt", "! only\n!comments\n\n"), grid_0_100()).empty());
  EXPECT_TRUE(read_ref_points(dir.write("empty.txt", ""), grid_0_100()).empty());
}

TEST(RefPointsReader, PointsOnTheEdgeOrBeyondAreRejected) {
  TempDir dir;
  for (const std::string xy : {"0 50", "50 0", "100 50", "50 100", "-1 50", "nan 50"}) {
    const std::string path = dir.write("body.txt", "P0 50 50 0 0\nP1 " + xy + " 0 0\n");
    SCOPED_TRACE(xy);
    EXPECT_INPUT_ERROR(read_ref_points(path, grid_0_100()),
                       "Referencni bod P1 lezi mimo oblast vyskopisu.");
  }
}

TEST(RefPointsReader, ReadErrorsCountDataLinesOnly) {
  TempDir dir;
  const std::string bad = dir.write("bad.txt", "! c\n! c\nP1 5 5 0 0\nP2 5 x 0 0\n");
  EXPECT_INPUT_ERROR(read_ref_points(bad, grid_0_100()), kReadError + "bad.txt.\nChyba na radku 2.");
  const std::string cut = dir.write("cut.txt", "P1 5 5 0 0\nP2 5 5 0\n");
  EXPECT_INPUT_ERROR(read_ref_points(cut, grid_0_100()),
                     kReadError + "cut.txt.\nZkontrolujte zda v nekterych radcich nechybi data.");
  EXPECT_INPUT_ERROR(read_ref_points(dir.file("none.txt"), grid_0_100()),
                     "Soubor " + dir.file("none.txt") + " s referencnimi body neexistuje.");
}

std::vector<RefPoint> points_named(std::initializer_list<const char*> ids) {
  std::vector<RefPoint> points;
  for (const char* id : ids) {
    RefPoint p;
    p.id = id;
    points.push_back(p);
  }
  return points;
}

std::vector<bool> flags(const std::vector<RefPoint>& points) {
  std::vector<bool> out;
  for (const auto& p : points) out.push_back(p.is_out);
  return out;
}

TEST(OutputRefPointsReader, FlagsListedPointsOnly) {
  TempDir dir;
  auto points = points_named({"A", "B", "A", "C"});
  // Blank lines are passed over, a repeated identifier changes nothing, and of two points
  // sharing an identifier only the first is flagged.
  read_output_ref_p(dir.write("out.txt", "\nA rest of line\n\n  C\nA\n"), points);
  EXPECT_EQ(flags(points), (std::vector<bool>{true, false, false, true}));
}

TEST(OutputRefPointsReader, EmptyFileFlagsNothing) {
  TempDir dir;
  auto points = points_named({"A", "B"});
  read_output_ref_p(dir.write("out.txt", ""), points);
  EXPECT_EQ(flags(points), (std::vector<bool>{false, false}));
}

TEST(OutputRefPointsReader, UnknownIdentifierStops) {
  TempDir dir;
  auto points = points_named({"A", "!B"});
  const std::string path = dir.write("out.txt", "A\n!B\nb\n");
  EXPECT_INPUT_ERROR(read_output_ref_p(path, points),
                     "Referencni bod b nachazejici se v souboru " + path + " nebyl definovan.");
  // No comment header: "!B" is an identifier like any other.
  EXPECT_TRUE(points[1].is_out);
  EXPECT_INPUT_ERROR(read_output_ref_p(dir.file("none.txt"), points),
                     "Soubor " + dir.file("none.txt") + " s vystupnimi referencnimi body neexistuje.");
}

}  // namespace
}  // namespace kadre

#include "init/ref_points_reader.h"

#include <gtest/gtest.h>

#include "init/reader_messages.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

TerrainGrid grid_0_100() {
  TerrainGrid grid;
  grid.ncols = grid.nrows = 10;
  grid.cellsize = 10;
  grid.xllcorner_upper = grid.yllcorner_upper = 100;
  return grid;
}

TEST(RefPointsReader, ReadsPointsAfterTheCommentHeader) {
  TempDir dir;
  const auto points = read_ref_points(dir.write("body.txt",
                                                "! reference points\n\n  ! x y z h\n"
                                                "P1 10 20 300 1.5\n"
                                                "'A very long identifier text', 50.5, 60, 0, 2\n"
                                                "\n"
                                                "P3 99 1 7 0 ignored rest\n"),
                                      grid_0_100());
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ((std::vector<std::string>{points[0].id, points[1].id, points[2].id}),
            (std::vector<std::string>{"P1", "A very long identifi", "P3"}));
  EXPECT_EQ((std::vector<double>{points[0].x, points[0].y, points[0].z, points[0].h, points[1].x}),
            (std::vector<double>{10, 20, 300, 1.5, 50.5}));
  for (const auto& p : points) EXPECT_TRUE(p.is_out);
  EXPECT_TRUE(read_ref_points(dir.write("body.txt", "! only\n!comments\n\n"), grid_0_100()).empty());
}

TEST(RefPointsReader, PointsOnTheEdgeOrBeyondAndReadErrors) {
  TempDir dir;
  for (const std::string xy : {"0 50", "50 0", "100 50", "50 100", "-1 50", "nan 50"}) {
    const std::string path = dir.write("body.txt", "P0 50 50 0 0\nP1 " + xy + " 0 0\n");
    EXPECT_INPUT_ERROR(read_ref_points(path, grid_0_100()),
                       "Referencni bod P1 lezi mimo oblast vyskopisu.");
  }
  // Lines count from the first data line.
  EXPECT_INPUT_ERROR(read_ref_points(dir.write("bad.txt", "! c\n! c\nP1 5 5 0 0\nP2 5 x 0 0\n"), grid_0_100()),
                     test::read_error("bad.txt", 2));
  EXPECT_INPUT_ERROR(read_ref_points(dir.write("cut.txt", "P1 5 5 0 0\nP2 5 5 0\n"), grid_0_100()),
                     test::missing_data("cut.txt"));
  EXPECT_INPUT_ERROR(read_ref_points(dir.file("none.txt"), grid_0_100()),
                     test::missing_file(dir.file("none.txt"), "referencnimi body"));
}

TEST(OutputRefPointsReader, FlagsListedPointsOnly) {
  TempDir dir;
  std::vector<RefPoint> points(5);
  for (std::size_t k = 0; k < points.size(); ++k) points[k].id = std::string(1, "ABAC!"[k]);
  const auto flags = [&points] {
    std::string out;
    for (const auto& p : points) out += p.is_out ? 'x' : '-';
    return out;
  };
  read_output_ref_p(dir.write("out.txt", ""), points);
  EXPECT_EQ(flags(), "-----");
  // Blank lines are passed over, a repeated identifier changes nothing, of two points
  // sharing an identifier only the first is flagged, and there is no comment header.
  read_output_ref_p(dir.write("out.txt", "\nA rest of line\n\n  C\nA\n!\n"), points);
  EXPECT_EQ(flags(), "x--xx");
  const std::string path = dir.write("out.txt", "A\nb\n");
  EXPECT_INPUT_ERROR(read_output_ref_p(path, points),
                     "Referencni bod b nachazejici se v souboru " + path + " nebyl definovan.");
  EXPECT_INPUT_ERROR(read_output_ref_p(dir.file("none.txt"), points),
                     test::missing_file(dir.file("none.txt"), "vystupnimi referencnimi body"));
}

}  // namespace
}  // namespace kadre

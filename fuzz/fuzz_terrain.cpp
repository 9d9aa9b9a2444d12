// The terrain grid: the header, then the window over a point and a source inside the
// extent, the elevations of both taken from it. Two layouts: a point in each corner cell
// (the window is the whole grid, up to its very edges), and a point and a source in the
// upper half (rows above are skipped, rows below not read).
#include <cmath>

#include "fuzz_support.h"
#include "init/terrain_reader.h"

namespace {

// The position at fraction f of the way from a to b, or the nearest inside for f = 0 or 1.
double at(double a, double b, double f) {
  if (f == 0) return std::nextafter(a, b);
  if (f == 1) return std::nextafter(b, a);
  return a + f * (b - a);
}

void read_window(const std::string& path, double point, double point2, double source) {
  using namespace kadre;
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  const double x0 = grid.xllcorner, x1 = grid.xllcorner_upper, y0 = grid.yllcorner,
               y1 = grid.yllcorner_upper;
  std::vector<RefPoint> points(2);
  points[0].x = at(x0, x1, point), points[0].y = at(y0, y1, point);
  points[1].x = at(x0, x1, point2), points[1].y = at(y0, y1, point2);
  std::vector<Source> sources(1);
  sources[0].x = at(x0, x1, source), sources[0].y = at(y0, y1, source);
  for (const RefPoint& p : points)
    if (!inside_terrain(grid, p.x, p.y)) return;
  if (!inside_terrain(grid, sources[0].x, sources[0].y)) return;
  read_terrain(path, grid, points, sources);
  dopln_z(grid, points, sources);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  const std::string path = fuzz::input_file("terrain.asc", data, size);
  fuzz::guarded([&] { read_window(path, 0, 1, 0.5); });
  fuzz::guarded([&] { read_window(path, 0.6, 0.9, 0.75); });
  return 0;
}

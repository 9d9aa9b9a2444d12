#include "model/terrain_path.h"

#include <cmath>
#include <limits>

namespace kadre {

double eval_x(double x_r, double y_r, double x_s, double y_s) {
  return std::sqrt((x_s - x_r) * (x_s - x_r) + (y_s - y_r) * (y_s - y_r));
}

namespace {

// Visits the cells the path from (xa, ya) to (xb, yb) samples, every int_err metres, in order:
// cell(ix, iy) returns false to stop. (px, py) ends at the last sample's position.
template <class Cell>
void walk_path(const TerrainGrid& terrain, double int_err, double xa, double ya, double xb,
               double yb, double& px, double& py, Cell&& cell) {
  const double dx = xb - xa, dy = yb - ya;
  const double length = std::sqrt(dx * dx + dy * dy);
  const double steps = std::trunc(length / int_err);
  const long n = std::isfinite(steps) ? static_cast<long>(steps) : 0;
  px = xa;
  py = ya;
  if (n < 1) return;
  const double step_x = dx / static_cast<double>(n), step_y = dy / static_cast<double>(n);
  for (long i = 1; i <= n; ++i) {
    px += step_x;
    py += step_y;
    // The last sample is the end point itself: the summed steps may overshoot it into a
    // cell beyond the grid's window.
    const int ix = terrain_ind(i == n ? xb : px, terrain.xllcorner, terrain.cellsize);
    const int iy = terrain_ind(i == n ? yb : py, terrain.yllcorner, terrain.cellsize);
    if (!cell(ix, iy)) return;
  }
}

}  // namespace

bool nodata_on_path(const TerrainGrid& terrain, double int_err, double xa, double ya, double xb,
                    double yb, int& ix, int& iy) {
  bool found = false;
  double px = 0, py = 0;
  walk_path(terrain, int_err, xa, ya, xb, yb, px, py, [&](int cx, int cy) {
    if (static_cast<double>(terrain.at(cx, cy, "integrace")) != terrain.nodata_value) return true;
    ix = cx;
    iy = cy;
    found = true;
    return false;
  });
  return found;
}

PathIntegral integrace(const TerrainGrid& terrain, double int_err, double z0, double z_end,
                       double xa, double ya, double xb, double yb, double z_min) {
  const double dx = xb - xa, dy = yb - ya;
  const double length = std::sqrt(dx * dx + dy * dy);

  // Only the running sum and the running maximum of the profile are needed.
  double highest = -std::numeric_limits<double>::infinity();
  auto note = [&highest](double z) {
    if (z > highest) highest = z;  // elevations that are not numbers are skipped
  };
  note(z0);
  note(z_end);

  double sum = 0;
  double px = xa, py = ya;
  walk_path(terrain, int_err, xa, ya, xb, yb, px, py, [&](int ix, int iy) {
    double zc = terrain.at(ix, iy, "integrace");
    if (zc < z_min) zc = z_min;
    note(zc);
    const double above_start = zc > z0 ? zc - z0 : 0.0;
    const double above_end = zc > z_end ? 2 * (zc - z_end) : 0.0;
    sum += (above_start - above_end) * int_err;
    return true;
  });
  const double rest = std::sqrt((xb - px) * (xb - px) + (yb - py) * (yb - py));
  if (z_end > z0)
    sum += rest * (z_end - z0) * 0.5;
  else if (z_end < z0)
    sum += rest * (z_end - z0);

  PathIntegral r;
  r.theta_raw = sum / ((z_end - z0) * length);
  r.zmax = (highest == -std::numeric_limits<double>::infinity()
                ? std::numeric_limits<double>::quiet_NaN()
                : highest) -
           z0;
  return r;
}

TerrainWeight get_theta_val(const TerrainGrid& terrain, double int_err, double z0, double z_end,
                            double xa, double ya, double xb, double yb, double z_min) {
  const PathIntegral p = integrace(terrain, int_err, z0, z_end, xa, ya, xb, yb, z_min);
  TerrainWeight w;
  w.zmax = p.zmax;
  // theta_raw is 0/0 on a level path and not wanted for a point below the start.
  w.theta = (z0 < z_end && p.theta_raw > 0) ? p.theta_raw : 0.0;
  return w;
}

}  // namespace kadre

#pragma once
// The terrain between a source and a reference point: the weight of the reflection at the
// point's level and the highest terrain along the path.
#include "core/records.h"

namespace kadre {

struct PathIntegral {
  double theta_raw = 0;  // profile integral over (z_end - z0) x path length
  double zmax = 0;       // highest profile elevation above z0
};

struct TerrainWeight {
  double theta = 0;  // 0 unless the end lies above the start, never below 0
  double zmax = 0;
};

double eval_x(double x_r, double y_r, double x_s, double y_s);

// Profile integral along the straight path from (xa, ya) at elevation z0 to (xb, yb) at
// z_end, sampled every int_err metres in the grid; grid elevations below z_min count as
// z_min. A sample outside the grid window stops the run with an index error.
PathIntegral integrace(const TerrainGrid& terrain, double int_err, double z0, double z_end,
                       double xa, double ya, double xb, double yb, double z_min);

// Whether a sample of the path integrace takes from (xa, ya) to (xb, yb) falls on a cell
// holding the grid's no-data value; (ix, iy) is then the first such cell.
bool nodata_on_path(const TerrainGrid& terrain, double int_err, double xa, double ya, double xb,
                    double yb, int& ix, int& iy);

// The terrain weight of a path: theta_raw kept only when z_end lies above z0 and positive.
TerrainWeight get_theta_val(const TerrainGrid& terrain, double int_err, double z0, double z_end,
                            double xa, double ya, double xb, double yb, double z_min);

}  // namespace kadre

#pragma once
// What a map of the results is made of: the reference points with the indicators of the
// result files, the sources, and the regular lattice most points lie on. Built once by
// load_map_data, read by every writer.
#include <optional>
#include <string>
#include <vector>

#include "core/records.h"

namespace kadre {

// One column of the result files over all reference points.
struct Indicator {
  std::string name;  // the column: ave, Ch_max, Th_50, ..., and avg, max of the hourly files
  std::string unit;  // "µg/m³", "h/yr", "m/s", "°" or "" (the stability class)
  std::vector<double> values;  // per reference point; NaN where the file holds asterisks
};

// The regular lattice most reference points lie on: cell (ix, iy) has its centre at
// (x0 + ix dx, y0 + iy dy), ix = 0..nx-1 west to east, iy = 0..ny-1 south to north.
struct Lattice {
  double x0 = 0, y0 = 0, dx = 0, dy = 0;
  int nx = 0, ny = 0;
  std::vector<int> cell_of_point;  // per reference point: iy * nx + ix, or -1 off the lattice
};

struct MapData {
  std::vector<RefPoint> points;
  std::vector<Source> sources;
  std::vector<Indicator> indicators;  // the chosen ones, in the order of the result files
  std::optional<Lattice> lattice;     // none when the points are scattered
  std::string crs;                    // WKT of the coordinate reference system; empty: none
  std::string title;                  // of the run, for picture titles (the configuration's stem)
  std::string output_dir;             // the run's output directory (oputdir)
};

// Everything a map needs from the run of this configuration file: its reference points and
// sources as the run read them and the columns of the result files it wrote (all, or the
// chosen ones). Stops with a message when a result file is missing or belongs to another
// configuration, or a chosen indicator is no column (RunError).
MapData load_map_data(const std::string& config, const std::vector<std::string>& chosen);

}  // namespace kadre

#pragma once
// What kadre-prep builds before writing: the study's sources, reference points, terrain and
// meteorological tables in the study's coordinates, in the records of kadre's own input.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/records.h"

namespace kadre {

// A source as kadre's source files describe it, with the names its definition line carries.
struct StudySource {
  Source source;        // id, type, positions (a line's ends in x1..y2), emission and stack data
  std::string series;   // meteorological series (at most 3 characters)
  std::string profile;  // emission profile (at most 3 characters)
  std::string group;    // source group, blank for none
};

// The emission of the features as given and of the sources they became.
struct EmissionTotals {
  double m_given = 0, m_written = 0;
  double m_no_given = 0, m_no_written = 0;
};

// How many sources of each kind, and from how many features.
struct SourceCounts {
  int points = 0, towers = 0, areas = 0, lines = 0;
  int area_features = 0, line_features = 0;
};

// Bounds of the study area in its coordinates.
struct Bounds {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  bool empty = true;
  void add(double x, double y) {
    if (empty || x < xmin) xmin = x;
    if (empty || y < ymin) ymin = y;
    if (empty || x > xmax) xmax = x;
    if (empty || y > ymax) ymax = y;
    empty = false;
  }
};

// The terrain grid to write: rows from north to south, columns from west to east.
struct TerrainRaster {
  double xll = 0, yll = 0, cell = 0;
  int ncols = 0, nrows = 0;
  std::vector<std::int16_t> z;  // row-major, northernmost row first
};

// A wind rose in kadre's layout: n_dir frequencies and the calm of each of the 11 situations,
// in percent.
struct RoseTable {
  int n_dir = 0;
  std::array<std::vector<double>, 11> situations;  // n_dir + 1 values each, the calm last
};

// The hour of a record.
struct HourStamp {
  int year = 0, month = 0, day = 0, hour = 0;
  auto operator<=>(const HourStamp&) const = default;
};

// One hour of a meteorological series; the inversion values only with inversion data.
struct MetRecord {
  HourStamp time;
  double direction = 0, speed = 0, gradient = 0;  // gradient: or the stability class
  double zi = -9999, direction_i = 0, speed_i = 0, gradient_i = 0;
};

struct MetTable {
  bool gradients = true;  // gradients (is_tep_gr), else stability classes
  bool inversion = false;
  std::vector<MetRecord> records;
};

struct ProfileTable {
  std::vector<HourStamp> times;
  std::vector<double> factors;
};

struct Study {
  std::vector<StudySource> sources;
  std::vector<RefPoint> receptors;  // has_hourly_output marks the named ones
  int grid_receptors = 0;
  double grid_step = 0;
  TerrainRaster terrain;
  bool terrain_from_dem = false;
  std::map<std::string, RoseTable> roses;        // by series name
  std::map<std::string, MetTable> mets;          // by series name
  std::map<std::string, ProfileTable> profiles;  // by profile name
  std::vector<std::string> constant_profiles;    // profile names written with factor 1
  std::string climate_text;                      // copied climate tables, empty: none
  std::string crs;                               // the study's CRS for crs.txt, empty: none
  int pollutant_class = 2;
  EmissionTotals totals;
  SourceCounts counts;
};

}  // namespace kadre

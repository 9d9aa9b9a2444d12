#pragma once
// The input tables of a run. Loading fills them once; afterwards they are read-only and
// shared by all worker threads. Indices that the files and the model use (stability
// class, met_idx, prof_idx, grid cells, sectors) count from 1 as in the file formats;
// accessors take them that way.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/settings.h"

namespace kadre {

// The kind of a source as its definition file numbers it. A number outside the three is kept
// as read: the model stops with its own message where such a source would contribute.
enum class SourceType : int { point = 1, area = 2, line = 3 };

// Whether the number is one of the three types.
inline bool known_source_type(int type) { return type >= 1 && type <= 3; }
// The lines of the stop for a source of an unknown type.
std::vector<std::string> unknown_source_type_lines(int type);

// One emission source.
struct Source {
  std::string id;                         // at most 20 characters, trailing blanks removed
  double x = 0, y = 0;                    // position; a line source's midpoint
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // line-source end points
  double z = 0;                           // base elevation, from the terrain grid after loading
  SourceType type = SourceType::point;
  int cluster = 0;                // cluster number, 0 for none
  double m = 0;                   // emission rate [g/s]
  double m_no = 0;                // second emission rate [g/s]
  double stack_height_m = 0;      // height of the mouth above the base
  double flue_gas_flow_m3_s = 0;  // at 273.15 K and 101325 Pa; as read (a line: its item 5)
                                  // until derive_heat_output sets it to 0 for area and line
  double flue_gas_temp_c = 0;     // 0 for line sources
  double diameter_m = 0;          // of the mouth; 0 for line sources
  double exit_velocity_m_s = 0;   // 0 for line sources
  double time_use = 0;
  double daily_hours = 0;
  // Derived after loading (derive_heat_output): buoyancy weight, coefficient and exponent of
  // the buoyant rise, heat output [MW].
  double beta = 0, qa = 0, qb = 0, heat_output = 0;
  double length = 0, width = 0, vert_ext = 0;
  int met_idx = 0;   // from 1, into met_name
  int prof_idx = 0;  // from 1, into time_prof_name (only with is_time)
  bool cooling_tower = false;
};

// One reference point.
struct RefPoint {
  std::string id;  // at most 20 characters, trailing blanks removed
  double x = 0, y = 0;
  double z = 0;  // terrain elevation, from the grid after loading
  double height_above_ground_m = 0;
  bool has_hourly_output = true;  // listed for the hourly table
};

// The terrain grid: header of the full grid, then the loaded window.
struct TerrainGrid {
  int ncols = 0, nrows = 0;             // full grid of the file
  double xllcorner = 0, yllcorner = 0;  // full grid, then the window
  double cellsize = 0;
  double nodata_value = 0;
  double xllcorner_upper = 0, yllcorner_upper = 0;  // full grid, then the window
  int nx = 0, ny = 0;           // window columns (west to east) and rows (south to north)
  std::vector<std::int16_t> z;  // window elevations, column fastest: z[(iy-1)*nx + (ix-1)]
  // Where the window lies in the file, for messages: the file column (from the west, from 1)
  // of its first column and the file row (from the north, from 1) of its southern row.
  int first_file_column = 1, south_file_row = 0;

  // Elevation of window cell (ix, iy), both from 1; an index outside the window stops the
  // run with an index error naming the operation.
  std::int16_t at(int ix, int iy, const char* operation) const;
};

// 1-based cell index of coordinate c in a grid with origin c0: int(|c - c0| / cellsize) + 1.
int terrain_ind(double c, double c0, double cellsize);

// Wind roses resampled to the model's sectors, as fractions of the year.
struct WindRoses {
  int nphi = 0;
  std::vector<double> values;  // (p, j, k): p fastest, then class j (11), then series k
  int met_num() const {
    return nphi > 0 ? static_cast<int>(values.size() / (static_cast<std::size_t>(nphi) * 11)) : 0;
  }
  double at(int p, int j, int k) const {
    return values[(static_cast<std::size_t>(k - 1) * 11 + (j - 1)) * nphi + (p - 1)];
  }
  // The nphi x 11 slice of series k (p fastest), after an index check of k.
  const double* slice(int k, const char* operation) const;
};

// Meteorological time series, one per series name; (k, t) with hour t fastest. The number of
// series follows from the tables, as for the wind roses.
struct MetSeries {
  int ntime = 0;
  std::vector<double> w_dir, w_sp, gradient;
  std::vector<int> stability_class;
  std::vector<std::string> date;                        // 13 characters each, per hour
  std::vector<double> zi, w_dir_i, w_sp_i, gradient_i;  // only with inverze
  std::vector<int> stability_class_i;
  std::size_t index(int k, int t) const {
    return static_cast<std::size_t>(k - 1) * ntime + (t - 1);
  }
  int met_num() const { return ntime > 0 ? static_cast<int>(w_dir.size() / ntime) : 0; }
};

// Hourly emission factors per profile; (p, t) with profile p fastest.
struct EmissionProfiles {
  int nprof = 0, ntime = 0;
  std::vector<double> time_emis_fact;
  double at(int p, int t) const {
    return time_emis_fact[static_cast<std::size_t>(t - 1) * nprof + (p - 1)];
  }
};

// Climate tables of the cooling-tower plume rise; humidity class i (1..7) fastest,
// temperature class j (1..10), then the third index.
struct ClimateTables {
  static constexpr std::array<double, 7> r_t{40, 60, 75, 83, 88, 93, 98};
  static constexpr std::array<double, 10> t_t{-12, -7, -2, 3, 8, 13, 18, 23, 28, 33};
  std::array<double, 7 * 10 * 5> grt{};
  std::array<double, 7 * 10> frt{};
  std::array<double, 7 * 10 * 3> vch1{};
  std::array<double, 7 * 10 * 3> tch1{};
  static std::size_t index(int i, int j, int third = 1) {
    return (static_cast<std::size_t>(third - 1) * 10 + (j - 1)) * 7 + (i - 1);
  }
  bool loaded = false;
};

// A named set of sources whose contribution gets result files of its own.
struct SourceGroup {
  std::string name;          // at most 20 letters, digits, "_" and "-"
  std::vector<int> members;  // positions (from 0) in the source table, in its order
};

// Everything loading builds.
struct InputData {
  Settings cfg;
  TerrainGrid terrain;
  std::vector<RefPoint> ref_points;
  std::vector<Source> sources;
  std::vector<std::string> met_name;        // 3-character series names, in order of first use
  std::vector<std::string> time_prof_name;  // 3-character profile names (only with is_time)
  WindRoses wind_roses;
  MetSeries met;
  EmissionProfiles profiles;
  ClimateTables climate;
  std::vector<SourceGroup> groups;  // in the order of the groups file
  std::vector<double> background;   // per hour, with limits.background_file (else empty)
};

}  // namespace kadre

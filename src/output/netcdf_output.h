#pragma once
// The hourly table and the mean and largest hour of every point as NetCDF-4 files (a result
// file named *.nc): one station dimension with the points' id, x, y and z, the hours as CF
// time, doubles as computed, compressed and chunked by station. A build without libnetcdf
// refuses such a name before anything is computed.
#include <string>
#include <vector>

#include "core/records.h"
#include "output/result_file.h"

namespace kadre {

// Whether this build writes NetCDF files.
bool netcdf_available();

// Whether the result file `path` is written as NetCDF: its name ends in ".nc".
bool is_netcdf_path(const std::string& path);

// Stops before computing when the file `path` is NetCDF and cannot be written as such: a
// build without libnetcdf, or hours (yyyy/mm/dd/hh) that are no calendar hours.
void check_netcdf_result(const std::string& path, const std::vector<std::string>& date, int ntime);

// The hourly table: values[s * ntime + t] of output point s at hour t.
void write_hourly_netcdf(const std::string& path, const std::vector<RefPoint>& points,
                         const std::vector<std::string>& date, const std::vector<double>& values,
                         int ntime, ResultSet* set);

// One value per point under the variable `name` ("ave", "max").
void write_point_values_netcdf(const std::string& path, const std::vector<RefPoint>& points,
                               const std::vector<double>& values, const std::string& name,
                               const std::string& long_name, ResultSet* set);

}  // namespace kadre

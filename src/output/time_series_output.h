#pragma once
// The result files of the time-series evaluation: the hourly table of the output points and
// the mean and largest hourly concentration of every point.
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "output/result_file.h"

namespace kadre {

// Writes oputdir + output_time (as NetCDF when it is named *.nc). hourly_results holds ntime
// hours per output point, hour fastest: hourly_results[(s-1)*ntime + (t-1)]; outputs are the
// output points in the same order. `threads` format blocks of hours side by side; the file is
// the same for any number.
void write_output_time(const Settings& cfg, const std::vector<RefPoint>& outputs,
                       const std::vector<std::string>& date,
                       const std::vector<double>& hourly_results, int ntime,
                       ResultSet* set = nullptr, int threads = 1);

// Writes oputdir + "avg_" + output_time with hourly_sum, one value per reference point.
void write_time_average(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& hourly_sum, ResultSet* set = nullptr);

// Writes oputdir + "max_" + output_time with hourly_max, one value per reference point.
void write_time_maximum(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& hourly_max, ResultSet* set = nullptr);

}  // namespace kadre

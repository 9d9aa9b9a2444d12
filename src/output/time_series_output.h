#pragma once
// The result files of the time-series evaluation: the hourly table of the output points and
// the mean and largest hourly concentration of every point.
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "output/result_file.h"

namespace kadre {

// Writes oputdir + output_time. results_t holds ntime hours per output point, hour fastest:
// results_t[(s-1)*ntime + (t-1)]; ref_ids are the output points' ids in the same order.
void write_output_time(const Settings& cfg, const std::vector<std::string>& ref_ids,
                       const std::vector<std::string>& date, const std::vector<double>& results_t,
                       int ntime, ResultSet* set = nullptr);

// Writes oputdir + "avg_" + output_time with c_r, one value per reference point.
void write_time_average(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& c_r, ResultSet* set = nullptr);

// Writes oputdir + "max_" + output_time with c_m, one value per reference point.
void write_time_maximum(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& c_m, ResultSet* set = nullptr);

}  // namespace kadre

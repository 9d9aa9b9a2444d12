#pragma once
// The names of the result files: those of all sources and those of each source group.
#include <string>
#include <vector>

#include "core/settings.h"

namespace kadre {

// The settings of the files of a source group: "_" and the group's name before the extension
// of output_stats and output_time (stats_PLANT.csv, hourly_PLANT.csv, avg_hourly_PLANT.csv).
Settings group_settings(const Settings& cfg, const std::string& group);

// The files written with these settings, in the order they are written.
std::vector<std::string> result_files(const Settings& cfg);

}  // namespace kadre

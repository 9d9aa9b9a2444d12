#pragma once
// Where the result files of a run go, and the check that they can be written there before
// anything is computed.
#include <string>
#include <vector>

#include "core/settings.h"

namespace kadre {

// oputdir + output_stats.
std::string stats_path(const Settings& cfg);
// oputdir + prefix + output_time: the hourly table (no prefix), "avg_" and "max_".
std::string hourly_path(const Settings& cfg, const std::string& prefix = "");

// oputdir + output_limits: the compliance file.
std::string limits_path(const Settings& cfg);
// oputdir + the summary file of the run.
std::string summary_path(const Settings& cfg);

// The settings of the files of a source group: "_" and the group's name before the extension
// of output_stats, output_time and output_limits (stats_PLANT.csv, hourly_PLANT.csv,
// avg_hourly_PLANT.csv, limits_hourly_PLANT.csv).
Settings group_settings(const Settings& cfg, const std::string& group);

// The files written with these settings, in the order they are written (the summary, written
// once for the run, is not one of them).
std::vector<std::string> result_paths(const Settings& cfg);

// What a result path names when its file is renamed into place: its directory as it resolves
// (".", "..", repeated separators and links of the directories followed) and its own name,
// which a rename replaces rather than follows. Two paths of equal identity are one file.
std::string result_identity(const std::string& path);

// Stops with the write-error message of the path unless a file can be written there: the
// path names no directory and its directory exists and takes the file. Leaves an existing
// file as it is and no new one behind.
void check_result_path(const std::string& path);

}  // namespace kadre

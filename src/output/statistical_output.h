#pragma once
// The result file of the statistical evaluation: one line per reference point with the
// selected indicators.
#include <array>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/result_tables.h"
#include "core/settings.h"
#include "output/result_file.h"

namespace kadre {

// Which of the indicator rows the switches select.
std::array<bool, kStatCount> stat_selection(const Settings& cfg);

// The column names of the indicators: the stats names with Th1..Th3 and Td1..Td3 replaced by
// "Th_"/"Td_" and the limit in F0.3, cut to 12 characters.
std::vector<std::string> stat_column_names(const Settings& cfg);

// Writes oputdir + output_stats (with a set, as a file of the set). results: kStatCount values per
// reference point, point after point.
void write_output_stat(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                       const std::vector<double>& results, ResultSet* set = nullptr);

}  // namespace kadre

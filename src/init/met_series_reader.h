#pragma once
// Meteorological time series: one file per series, one record per hour.
#include <ostream>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"

namespace kadre {

// Reads every series (the path with "_" + series name, see path_with_name). The number of
// hours is the number of records of the first series' file; every other file must hold at
// least that many; records beyond it are ignored with a warning on out. Wind speeds below 1.5 m/s
// become 1.5; with cfg.is_tep_gr off item 7 (and 11) is a stability class, cut toward zero. Without
// series (met_name empty) nothing is read and the result has no hours. Stops on a missing file, an
// unreadable or missing record, or a date that does not fit its 13 characters.
MetSeries read_time(const std::string& path, const Settings& cfg,
                    const std::vector<std::string>& met_name, std::ostream& out);

}  // namespace kadre

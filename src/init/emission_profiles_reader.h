#pragma once
// Hourly emission factors: one file per emission profile, one record per hour.
#include <ostream>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"

namespace kadre {

// Reads the first ntime factors of every profile (the path with "_" + profile name, see
// path_with_name); a file with more records gets a warning on out. A blank
// cfg.emis_time_file opens no file and makes every factor 1.
// Stops on a missing file, an unreadable or missing record, or a negative factor.
EmissionProfiles read_time_emis(const std::string& path, const Settings& cfg,
                                const std::vector<std::string>& time_prof_name, int ntime,
                                std::ostream& out);

}  // namespace kadre

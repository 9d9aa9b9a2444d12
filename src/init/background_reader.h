#pragma once
// The hourly background of the compliance results: one record per hour of the run.
#include <string>
#include <vector>

#include "core/records.h"

namespace kadre {

// Reads the background file: records of year, month, day, hour and a value [µg/m³] after an
// optional comment header, one for every hour of the meteorological series in the same order
// and with the same dates. Stops on a missing file, an unreadable record, another number of
// records or a date that differs from the hour's.
std::vector<double> read_background(const std::string& path, const MetSeries& met);

}  // namespace kadre

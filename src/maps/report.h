#pragma once
// The study report: one self-contained HTML file with an interactive map of every indicator of
// every result set, the receptors with every value their result files hold, the sources, the
// maxima, the compliance verdicts, the wind roses and the run's inputs.
#include <string>

#include "maps/map_labels.h"

namespace kadre {

// Whether this build can write reports (Leaflet was found when it was built).
bool report_available();

// The report of the run of config at path, written at temporary (the name it has until it is
// renamed into place). crs: WKT, or empty for the run's local metres. Stops with a message
// naming the file that is missing, does not belong to the run or cannot be written (RunError).
void write_report(const std::string& config, const std::string& crs, Lang lang,
                  const std::string& path, const std::string& temporary);

}  // namespace kadre

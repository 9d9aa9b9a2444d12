#pragma once
// The run directory of a study: run.nml, param.nml (the sample, to be reviewed), crs.txt and
// every input file in kadre's formats under input/, with an empty output/ for the results.
#include <string>
#include <vector>

#include "prep/study.h"

namespace kadre {

// Names of the run directory (the per-series and per-profile files take "_" and the name
// before the extension, as kadre looks them up).
inline constexpr const char* kRunConfig = "run.nml";
inline constexpr const char* kCrsFile = "crs.txt";

struct WrittenFile {
  std::string path;  // relative to the run directory
  std::string what;  // what it holds, for the console
};

// The run configuration of the study: the statistical evaluation when it has wind roses, the
// hourly one when it has meteorological series (hourly output at the named points).
std::string run_config_text(const Study& study);

// A number as the shortest text that reads back as the same double.
std::string exact_number(double v);

// Writes every file under dir (created when missing): each under a temporary name, renamed
// into place when all are written, so that a failure leaves the files of an earlier study
// as they were. Returns the files in the order written.
std::vector<WrittenFile> write_study(const Study& study, const std::string& dir);

}  // namespace kadre

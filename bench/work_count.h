#pragma once
// How much work a run does, counted with the library outside the timed run by walking the
// same (reference point, source) pairs the computation walks.
#include <string>

namespace kadre::bench {

struct WorkCount {
  long long pairs = 0;               // pairs within the influence distance
  long long sector_evaluations = 0;  // in-sector (class, speed, direction) situations
  long long hours = 0;               // hours of the series (hourly evaluation)
  long long source_point_hours() const { return pairs * hours; }
};

// Loads the run configuration (and param.nml from the working directory) and counts.
WorkCount count_work(const std::string& config_file, int threads);

}  // namespace kadre::bench

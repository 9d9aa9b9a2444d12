#pragma once
// The run configuration file: the "init" group read into the settings of a run.
#include <ostream>
#include <string>

#include "core/settings.h"

namespace kadre {

// Announces the loading, reads the "init" group of the file (absent keys keep their
// defaults), ends both directories with a separator and derives nphi from phi_step.
// Stops the run when the file is missing or unreadable or phi_step is unusable.
// base_dir (ending with a separator, or blank for the working directory) is where the
// relative input and output directories start.
Settings read_config(const std::string& path_file, std::ostream& out,
                     const std::string& base_dir = "");

// Number of wind-direction sectors: 360 / phi_step cut toward zero. Stops the run unless
// that gives at least one sector and fits an int.
int sector_count(double phi_step);

// Checks made once every input file has been read: the output directory is writable and
// the result files of the switched-on evaluations are named.
void check_outputs(const Settings& settings);

}  // namespace kadre

#pragma once
// kadre-map as a function: the maps and GIS layers of the results of a run.
#include <ostream>
#include <string>
#include <vector>

namespace kadre {

// kadre-map <run configuration file> [--out DIR] [--crs CRS] [--indicator NAME]...
// Without --crs the layers take the system recorded in crs.txt beside the configuration file
// (kadre-prep writes it), else none.
// Returns the exit status. The files are renamed into place one after another at the end, or
// none is when something fails.
int run_map(const std::vector<std::string>& args, std::ostream& out);

// run_map as the program kadre-map makes it (from its main): a signal while the files are
// written stops before they are put in place, and the process then ends by it.
int run_map_as_program(const std::vector<std::string>& args, std::ostream& out);

}  // namespace kadre

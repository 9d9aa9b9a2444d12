#pragma once
// kadre-map as a function: the maps and GIS layers of the results of a run.
#include <ostream>
#include <string>
#include <vector>

namespace kadre {

// kadre-map <run configuration file> [--out DIR] [--crs CRS] [--indicator NAME]...
// Returns the exit status. The files are renamed into place one after another at the end, or
// none is when something fails.
int run_map(const std::vector<std::string>& args, std::ostream& out);

}  // namespace kadre

#pragma once
// kadre-prep as a function: a complete study for kadre from GIS data.
#include <ostream>
#include <string>
#include <vector>

namespace kadre {

// kadre-prep --out DIR --sources FILE[:LAYER]... --pollutant-class N [options] (prep_help()
// lists them). Prints what was written, or one message, and returns the exit status (0, or
// 1 after a message).
int run_prep(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kadre

#pragma once
// Loading of a run: the run configuration, then every input file its switches need, in a
// fixed order; any bad input stops the run before anything is computed.
#include <ostream>
#include <string>

#include "init/input_data.h"

namespace kadre {

InputData read_input_data(const std::string& path_file, std::ostream& out);

}  // namespace kadre

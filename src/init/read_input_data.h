#pragma once
// Loading of a run: the run configuration, then every input file its switches need, in a
// fixed order; any bad input stops the run before anything is computed.
#include <ostream>
#include <string>

#include "core/records.h"

namespace kadre {

InputData read_input_data(const std::string& path_file, std::ostream& out,
                          const std::string& base_dir = "");

}  // namespace kadre

#pragma once
// The per-point result files of a run read back: the columns of every reference point.
#include <string>
#include <vector>

#include "core/records.h"
#include "maps/map_data.h"

namespace kadre {

// Appends the indicator columns of the result file at path (delimiter d) of every reference
// point; `rename` names a file's only column (the hourly mean and maximum files). A field of
// asterisks (a value too wide for its field) is no number (NaN); any other field must read as
// a finite number. Stops with a message naming the file, and the line and column where a
// field is at fault, when the file is missing, belongs to other points or holds a field that
// is no finite number.
void read_result_file(const std::string& path, const std::string& d,
                      const std::vector<RefPoint>& points, const std::string& rename,
                      std::vector<Indicator>& indicators);

}  // namespace kadre

#pragma once
// The identification columns that every per-point result file starts with.
#include <string>

#include "core/records.h"

namespace kadre {

// The delimiter of result files: delim_out without trailing blanks (may be empty).
std::string result_delimiter(const std::string& delim_out);

// "ID", d, "x[m]", d, "y[m]", d, "z[m]", d, "l[m]" (no trailing delimiter).
std::string point_header(const std::string& d);

// Appends the id as A20, then x, y, z and h in F0.2, each followed by d.
void append_point_fields(std::string& line, const RefPoint& point, const std::string& d);

}  // namespace kadre

#pragma once
// Stops of kadre-prep: one console line (not cut, since a path or a feature must be named in
// full), or a second line with what GDAL said.
#include <string>

#include "core/errors.h"

namespace kadre {

[[noreturn]] inline void prep_error(const std::string& text) { stop_with_lines({text}); }

[[noreturn]] inline void prep_error(const std::string& text, const std::string& detail) {
  if (detail.empty()) stop_with_lines({text});
  stop_with_lines({text, detail});
}

}  // namespace kadre

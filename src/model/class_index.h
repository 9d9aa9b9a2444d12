#pragma once
// A stability class from the input becomes an index into the per-class tables (5 entries).
#include "core/errors.h"
#include "core/model_params.h"

namespace kadre {

// Whether s indexes the per-class tables: check_class's test, for callers that do not stop.
inline bool valid_class(int s) { return s >= 1 && s <= kStabilityClasses; }

// Stops with an index error naming the operation and the table unless 1 <= s <= 5.
inline void check_class(const char* operation, const char* array, int s) {
  checked_index(operation, array, 1, s, 1, kStabilityClasses);
}

}  // namespace kadre

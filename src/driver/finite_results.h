#pragma once
// The last check before the result files are written: every value they would hold is a finite
// number. A permit cannot rest on "Infinity" or "NaN" in a table.
#include <vector>

#include "core/result_tables.h"
#include "evaluation/point_evaluation.h"

namespace kadre {

// Whether every one of the n values is a finite number.
bool all_finite(const double* values, std::size_t n);

// Stops, before anything is written, at the first value of the result files (of all sources,
// then of each group, in the order they are written and within a file line by line) that is
// not a finite number. The message names the file, its column, the reference point (and the
// hour) and the source whose contribution made the value so, found by evaluating the point
// again over the first sources. tables are those of the whole run: all sources, then each
// group of li.in.groups. One pass over the values when all of them are finite.
void check_finite_results(const LoopInputs& li, const std::vector<ResultTables>& tables);

}  // namespace kadre

#pragma once
// The cells without data that the run would sample between the sources and the points.
#include "core/records.h"

namespace kadre {

// Stops when the path from a source to a reference point within the influence distances
// samples a cell of the terrain window that holds the grid's no-data value; the first such
// path (points in order, then sources in order) and its first such cell are named. Nothing is
// walked when the window holds no such cell. Runs on `threads` threads.
void check_nodata_paths(const InputData& in, int threads);

}  // namespace kadre

#pragma once
// How the reference points are shared among the processes of a run.
#include <vector>

#include "core/records.h"
#include "driver/reference_point_loop.h"

namespace kadre {

// One contiguous block per process, in point order, balanced by the expected work of each
// point: the sources within its influence distances, and the point itself.
std::vector<PointBlock> point_blocks(const InputData& in, int processes);

}  // namespace kadre

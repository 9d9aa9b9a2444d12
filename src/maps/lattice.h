#pragma once
// The regular lattice of the reference points.
#include <optional>
#include <vector>

#include "maps/map_data.h"

namespace kadre {

// The lattice more than half of the points lie on: the step most neighbouring coordinates
// share in x and in y, and the offset most of them share. The first point of a cell is its
// point; the others and the points off the lattice have no cell. None when the points are
// scattered.
std::optional<Lattice> find_lattice(const std::vector<RefPoint>& points);

}  // namespace kadre

#pragma once
// The regular lattice of the reference points, the values over it and their contour levels.
#include <optional>
#include <vector>

#include "maps/map_data.h"

namespace kadre {

// The lattice more than half of the points lie on: the step most neighbouring coordinates
// share in x and in y, and the offset most of them share. The first point of a cell is its
// point; the others and the points off the lattice have no cell. None when the points are
// scattered or the lattice would have more than 10^8 cells.
std::optional<Lattice> find_lattice(const std::vector<RefPoint>& points);

// The indicator's values over the lattice, rows from north to south as a raster stores
// them (row 0 is iy = ny - 1); cells without a point on them are NaN.
std::vector<double> lattice_raster(const Lattice& lattice, const Indicator& indicator);

// A round step: 1, 2 or 5 times a power of ten.
struct RoundStep {
  double units = 1;  // 1, 2 or 5
  int exponent = 0;
  // k steps as the double nearest to the decimal k * units * 10^exponent, so that levels and
  // ticks read as written (0.3, not 0.30000000000000004).
  double times(double k) const;
};

// The least round step not below raw (> 0).
RoundStep nice_step(double raw);

// Contour levels for values between lo and hi (both positive or not): 1-2-5 steps of the
// decades the range spans, every level strictly inside [lo, hi]; at least one level when
// lo < hi.
std::vector<double> contour_levels(double lo, double hi);

}  // namespace kadre

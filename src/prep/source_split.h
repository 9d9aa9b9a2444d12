#pragma once
// A road becomes line sources one per vertex pair and a yard area sources on squares: the
// geometry of that splitting, apart from GDAL, with the shares of the feature's emission.
#include <vector>

namespace kadre {

struct XY {
  double x = 0, y = 0;
};

struct LinePiece {
  XY a, b;
  double share = 0;  // of the feature's emission: its length over the total length
};

// The segments of a polyline of one or several parts, one per pair of consecutive vertices;
// segments of zero length are left out. Empty when the lines have no length.
std::vector<LinePiece> split_by_length(const std::vector<std::vector<XY>>& parts);

// The centres of the squares of side cell, laid from the lower-left corner of the rings'
// envelope, whose centres lie inside the area the rings bound (outer rings and holes of every
// part; a point is inside when a ray from it crosses the rings an odd number of times). Each
// square's share of the emission is 1 over their number. Stops with too_many (RunError) when
// the envelope holds more than max_squares squares.
std::vector<XY> tile_polygon(const std::vector<std::vector<XY>>& rings, double cell,
                             long long max_squares, const char* too_many);

}  // namespace kadre

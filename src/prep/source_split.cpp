#include "prep/source_split.h"

#include <algorithm>
#include <cmath>

#include "prep/prep_errors.h"

namespace kadre {

std::vector<LinePiece> split_by_length(const std::vector<std::vector<XY>>& parts) {
  std::vector<LinePiece> pieces;
  std::vector<double> lengths;
  double total = 0;
  for (const std::vector<XY>& part : parts)
    for (std::size_t i = 1; i < part.size(); ++i) {
      const double len = std::hypot(part[i].x - part[i - 1].x, part[i].y - part[i - 1].y);
      if (!(len > 0)) continue;
      pieces.push_back(LinePiece{part[i - 1], part[i], 0});
      lengths.push_back(len);
      total += len;
    }
  for (std::size_t k = 0; k < pieces.size(); ++k) pieces[k].share = lengths[k] / total;
  return pieces;
}

std::vector<XY> tile_polygon(const std::vector<std::vector<XY>>& rings, double cell,
                             long long max_squares, const char* too_many) {
  double xmin = INFINITY, ymin = INFINITY, xmax = -INFINITY, ymax = -INFINITY;
  for (const auto& ring : rings)
    for (const XY& p : ring) {
      xmin = std::min(xmin, p.x);
      ymin = std::min(ymin, p.y);
      xmax = std::max(xmax, p.x);
      ymax = std::max(ymax, p.y);
    }
  std::vector<XY> centres;
  if (!(xmin <= xmax && ymin <= ymax)) return centres;
  const double nx_real = std::ceil((xmax - xmin) / cell), ny_real = std::ceil((ymax - ymin) / cell);
  if (nx_real * ny_real > static_cast<double>(max_squares)) prep_error(too_many);
  const long nx = std::max(1L, static_cast<long>(nx_real));
  const long ny = std::max(1L, static_cast<long>(ny_real));

  // One scan line per row of centres: where the edges cross it, in order; a centre is inside
  // between the first and second crossing, the third and fourth, and so on. An edge counts
  // from its lower end up to, not including, its upper end, so a vertex on the line is
  // crossed once.
  std::vector<double> crossings;
  for (long iy = 0; iy < ny; ++iy) {
    const double y = ymin + (static_cast<double>(iy) + 0.5) * cell;
    crossings.clear();
    for (const auto& ring : rings)
      for (std::size_t i = 0; i < ring.size(); ++i) {
        const XY& p = ring[i];
        const XY& q = ring[(i + 1) % ring.size()];
        if ((p.y <= y && y < q.y) || (q.y <= y && y < p.y))
          crossings.push_back(p.x + (y - p.y) / (q.y - p.y) * (q.x - p.x));
      }
    std::sort(crossings.begin(), crossings.end());
    std::size_t next = 0;  // crossings left of the current centre
    for (long ix = 0; ix < nx; ++ix) {
      const double x = xmin + (static_cast<double>(ix) + 0.5) * cell;
      while (next < crossings.size() && crossings[next] < x) ++next;
      if (next % 2 == 1) centres.push_back(XY{x, y});
    }
  }
  return centres;
}

}  // namespace kadre

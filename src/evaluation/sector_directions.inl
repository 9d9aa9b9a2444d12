// Directions of the plume sector: windows of candidate directions around the axis, wide
// enough for any rounding, then the exact test of each candidate.
#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

#include "model/plume_sector.h"
#include "model/wind_profile.h"

namespace kadre {

// floor and ceil of v as a long, without a call to the library where |v| < 2^52 (the base
// instruction set has no rounding instruction; such a v is truncated exactly).
inline long floor_to_long(double v) {
  if (!(std::fabs(v) < 0x1p52)) return static_cast<long>(std::floor(v));
  const long t = static_cast<long>(v);
  return static_cast<double>(t) > v ? t - 1 : t;
}

inline long ceil_to_long(double v) {
  if (!(std::fabs(v) < 0x1p52)) return static_cast<long>(std::ceil(v));
  const long t = static_cast<long>(v);
  return static_cast<double>(t) < v ? t + 1 : t;
}

inline int sector_windows(int nphi, double phi_step, double d, double limit,
                          DirectionWindows& windows) {
  int count = 0;
  if (nphi <= 0) return 0;
  // No usable window when the limit is not a number or negative, or when the axis lies so
  // many turns away that its rounding reaches a direction step (the margins below would no
  // longer cover it): then every direction gets the exact test.
  if (!(limit >= 0.0) || !(std::fabs(d) * 8.0 * DBL_EPSILON < phi_step)) {
    windows[0] = {0, nphi - 1};
    return 1;
  }
  // In-sector directions satisfy phi = d + 360 n + e with |e| <= limit. Collect the index
  // windows of every n that can reach [0, nphi * phi_step), two sectors of margin each.
  DirectionWindows found{};
  const double span = nphi * phi_step;
  const long n_lo = floor_to_long((-d - limit) / 360.0) - 1;
  const long n_hi = ceil_to_long((span - d + limit) / 360.0) + 1;
  // Turns whose window is sure to lie before the first direction or after the last (by more
  // than a step beyond its margins) are passed over without their divisions.
  // (phi_step is positive here: the test above fails for any other.)
  const double before_first = -4 * phi_step,
               after_last = (static_cast<double>(nphi) + 3) * phi_step;
  for (long n = n_lo; n <= n_hi && count < static_cast<int>(found.size()); ++n) {
    const double centre = d + 360.0 * static_cast<double>(n);
    if (centre + limit < before_first || centre - limit > after_last) continue;
    long lo = floor_to_long((centre - limit) / phi_step) - 2;
    long hi = ceil_to_long((centre + limit) / phi_step) + 2;
    lo = std::max(lo, 0L);
    hi = std::min(hi, static_cast<long>(nphi) - 1);
    if (lo <= hi) found[count++] = {static_cast<int>(lo), static_cast<int>(hi)};
  }
  std::sort(found.begin(), found.begin() + count);
  // Overlapping windows are cut so that every direction lies in at most one.
  int kept = 0;
  int next = 0;  // first index not yet covered
  for (int w = 0; w < count; ++w) {
    const int first = std::max(found[w].first, next);
    if (first > found[w].second) continue;
    windows[kept++] = {first, found[w].second};
    next = found[w].second + 1;
  }
  return kept;
}

template <class Visit>
void for_each_direction_in_sector(int nphi, double phi_step, double d, double limit,
                                  Visit&& visit) {
  DirectionWindows windows;
  const int count = sector_windows(nphi, phi_step, d, limit, windows);
  for (int w = 0; w < count; ++w) {
    for (int i = windows[w].first; i <= windows[w].second; ++i) {
      const double phi = static_cast<double>(i) * phi_step;
      const double lambda = get_lambda(phi, d);
      if (in_sector(lambda, limit)) visit(i + 1, phi, lambda);
    }
  }
}

}  // namespace kadre

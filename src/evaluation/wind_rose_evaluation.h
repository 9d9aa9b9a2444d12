#pragma once
// The concentration a source causes at a reference point in every situation of the wind
// rose: each stability class, each of its wind-speed classes and each wind direction.
#include <array>
#include <cstddef>
#include <utility>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "model/dispersion_model.h"
#include "model/sector_kernel.h"

namespace kadre {

// Disjoint index windows [first, last] of directions (from 0).
using DirectionWindows = std::array<std::pair<int, int>, 8>;

// The situations of one source at one point, and the direction windows each column (a class
// and a wind speed) was written in: everything outside them is +0, so that passes over the
// table can touch only the windows.
struct RoseTable {
  std::vector<double> c;  // nphi x nu_max x 5, direction fastest (then padding)
  struct Written {
    DirectionWindows windows{};
    int count = 0;
  };
  std::vector<Written> written;  // nu_max x 5 columns
  int nphi = 0;
  std::vector<int> undecided;  // work space of the vector kernel
  SectorGeometry geometry;     // the same

  RoseTable() = default;
  RoseTable(int nphi_, int nu_max);
  // Calls f(begin, end) for the element ranges [begin, end) written in column.
  template <class F>
  void for_each_written(std::size_t column, F&& f) const {
    const Written& w = written[column];
    const std::size_t base = column * static_cast<std::size_t>(nphi);
    for (int n = 0; n < w.count; ++n)
      f(base + static_cast<std::size_t>(w.windows[n].first), base + static_cast<std::size_t>(w.windows[n].second) + 1);
  }
  // Sets every written element back to +0 and forgets the windows.
  void clear();
};

// Fills the table (sized for the wind classes and cfg.nphi) for the source at the point with
// its nominal emission; f is work space of the calling thread.
void evaluate_conc(const ModelContext& ctx, const Settings& cfg, const WindClasses& wind,
                   const RefPoint& point, const Source& source, const PairGeometry& g, RoseTable& table,
                   PairFactors& f);

// The windows (at most 8) that hold every direction k = 0..nphi-1 whose angle to the axis d
// lies within the half-angle limit; returns their number.
inline int sector_windows(int nphi, double phi_step, double d, double limit, DirectionWindows& windows);

// lambda = |phi - d| mod 360, as fmod gives it.
inline double sector_angle(double phi, double d);

// Calls visit(k, phi, lambda) for exactly the directions k = 1..nphi whose angle to the
// axis d, lambda = |phi - d| mod 360, lies within the half-angle limit. Directions far
// from the axis are passed over without any angle arithmetic.
template <class Visit>
void for_each_direction_in_sector(int nphi, double phi_step, double d, double limit, Visit&& visit);

}  // namespace kadre

#include "evaluation/sector_directions.inl"

#pragma once
// The initial spreads of each line source for every direction of the wind rose and every
// stability class, computed once per run: they depend on the line, the direction and the
// class only, so that every point would otherwise compute the same ones again.
#include <cstddef>
#include <vector>

#include "core/records.h"
#include "model/dispersion_model.h"

namespace kadre {

struct LineSpreads {
  int nphi = 0;
  // Per source (from 0): sy0 of every class and direction, class s (from 1) at direction
  // index i (from 0) at (s - 1) x nphi + i, then sz0 alike; or empty (not a line source, or
  // beyond the tables' memory budget: its pairs compute their own).
  std::vector<std::vector<double>> of_source;

  // sy0 and sz0 of source k (from 0), indexed as above; null where there are none.
  const double* sy0(std::size_t k) const {
    return k < of_source.size() && !of_source[k].empty() ? of_source[k].data() : nullptr;
  }
  const double* sz0(std::size_t k) const {
    const double* first = sy0(k);
    if (first == nullptr) return nullptr;
    return first + static_cast<std::size_t>(kStabilityClasses) * static_cast<std::size_t>(nphi);
  }
};

// The spreads as InitialSpreads::line_sectors gives them, for directions i x phi_step,
// i = 0 .. nphi - 1.
LineSpreads line_spreads(const ModelParams& par, const std::vector<Source>& sources, int nphi,
                         double phi_step);

}  // namespace kadre

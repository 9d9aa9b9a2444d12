#pragma once
// The plume axis heights of each source at full rise for every hourly situation of its
// series, or for every situation of the wind rose, computed once per run. A pair beyond the
// distance of the rise's growth (nearly every pair) takes its heights from here instead of
// computing them again for each point.
#include <cstddef>
#include <vector>

#include "core/records.h"
#include "evaluation/hourly_situations.h"
#include "model/dispersion_model.h"
#include "model/stability_classes.h"

namespace kadre {

struct FullRiseHeights {
  // Per source (from 0): the height of each situation, or empty where the pairs compute
  // their own (cooling towers, whose rise depends on the distance throughout, series left to
  // the scalar formulas, and sources beyond the table's memory budget).
  std::vector<std::vector<double>> of_source;

  // The heights of source k (from 0), or null.
  const double* of(std::size_t k) const {
    return k < of_source.size() && !of_source[k].empty() ? of_source[k].data() : nullptr;
  }
};

// The heights for winds measured at z_ref, as plume_axis_height gives them with the rise
// factors of a pair whose growth factor is 1. A source whose heights cannot all be computed
// (a value the formulas stop at) is left to its pairs, which stop where the run would.
FullRiseHeights full_rise_heights(const ModelContext& ctx, const std::vector<Source>& sources,
                                  const MetSeries& met, const HourlySituations& situations,
                                  double z_ref);

// The same for the wind rose (winds measured at kWindRoseHeight): the height of stability class s
// and wind speed j at (s - 1) x nu_max + (j - 1).
FullRiseHeights rose_full_rise_heights(const ModelContext& ctx, const std::vector<Source>& sources,
                                       const WindClasses& wind);

}  // namespace kadre

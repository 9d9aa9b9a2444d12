#include "evaluation/full_rise_heights.h"

#include "model/pair.h"
#include "model/plume_height.h"

namespace kadre {

namespace {

// The tables of all sources stay within this (32 million heights): a year of distinct hours
// for thousands of sources; sources beyond it compute their heights per pair as before.
constexpr std::size_t kHeightsBudget = std::size_t{256} << 20;

}  // namespace

FullRiseHeights full_rise_heights(const ModelContext& ctx, const std::vector<Source>& sources,
                                  const MetSeries& met, const HourlySituations& situations,
                                  double z_ref) {
  FullRiseHeights table;
  table.of_source.resize(sources.size());
  std::size_t bytes = 0;
  PairFactors f;
  for (std::size_t k = 0; k < sources.size(); ++k) {
    const Source& source = sources[k];
    if (source.cooling_tower || source.met_idx < 1 || source.met_idx > met.met_num()) continue;
    const std::size_t series = static_cast<std::size_t>(source.met_idx - 1);
    if (series >= situations.first_hour.size() || situations.orderly[series] == 0) continue;
    const std::vector<std::size_t>& first_hour = situations.first_hour[series];
    bytes += first_hour.size() * sizeof(double);
    if (bytes > kHeightsBudget) break;
    const StackExit exit = stack_exit(source);
    std::vector<double> heights(first_hour.size());
    try {
      // The factors of a pair at distance 0, where the rise's growth factor is 1.
      fill_pair_factors(ctx, source, z_ref, 0.0, 0, f);
      for (std::size_t n = 0; n < first_hour.size(); ++n) {
        const int s = met.stability_class[first_hour[n]];
        heights[n] = plume_axis_height(ctx, source, exit, s, met.w_sp[first_hour[n]], 0.0,
                                       f.rise[static_cast<std::size_t>(s - 1)]);
      }
    } catch (...) {
      continue;
    }
    table.of_source[k] = std::move(heights);
  }
  return table;
}

}  // namespace kadre

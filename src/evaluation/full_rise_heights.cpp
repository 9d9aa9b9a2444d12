#include "evaluation/full_rise_heights.h"

#include <limits>
#include <optional>
#include <utility>

#include "model/pair.h"
#include "model/plume_height.h"

namespace kadre {

namespace {

// The tables of all sources stay within this (32 million heights): a year of distinct hours
// for thousands of sources; sources beyond it compute their heights per pair as before.
constexpr std::size_t kHeightsBudget = std::size_t{256} << 20;

// The heights of one source at full rise for the situations (class, wind speed) that
// situation(n) gives for n < count (nullopt: none, left NaN), or empty when one of them stops.
template <class Situation>
std::vector<double> source_heights(const ModelContext& ctx, const Source& source, double z_ref,
                                   std::size_t count, Situation situation, PairFactors& f) {
  const StackExit exit = stack_exit(source);
  std::vector<double> heights(count, std::numeric_limits<double>::quiet_NaN());
  try {
    // The factors of a pair at distance 0, where the rise's growth factor is 1.
    fill_pair_factors(ctx, source, z_ref, 0.0, 0, f);
    for (std::size_t n = 0; n < count; ++n) {
      const std::optional<std::pair<int, double>> class_and_wind = situation(n);
      if (!class_and_wind) continue;
      const auto [s, u] = *class_and_wind;
      heights[n] =
          plume_axis_height(ctx, source, exit, s, u, 0.0, f.rise[static_cast<std::size_t>(s - 1)]);
    }
  } catch (...) {
    return {};
  }
  return heights;
}

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
    table.of_source[k] = source_heights(
        ctx, source, z_ref, first_hour.size(),
        [&](std::size_t n) {
          return std::optional{
              std::pair{met.stability_class[first_hour[n]], met.w_sp[first_hour[n]]}};
        },
        f);
  }
  return table;
}

FullRiseHeights rose_full_rise_heights(const ModelContext& ctx, const std::vector<Source>& sources,
                                       const WindClasses& wind) {
  const std::size_t nu_max = static_cast<std::size_t>(wind.nu_max());
  FullRiseHeights table;
  table.of_source.resize(sources.size());
  PairFactors f;
  for (std::size_t k = 0; k < sources.size(); ++k) {
    if (sources[k].cooling_tower) continue;
    table.of_source[k] = source_heights(
        ctx, sources[k], kWindRoseHeight, static_cast<std::size_t>(kStabilityClasses) * nu_max,
        [&](std::size_t n) {
          const int s = static_cast<int>(n / nu_max) + 1;
          const std::size_t j = n % nu_max;
          // Speeds beyond the class's own are never asked for.
          if (static_cast<int>(j) >= wind.nu[static_cast<std::size_t>(s - 1)])
            return std::optional<std::pair<int, double>>{};
          return std::optional{std::pair{s, wind.u_range[j]}};
        },
        f);
  }
  return table;
}

}  // namespace kadre

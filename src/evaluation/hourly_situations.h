#pragma once
// The distinct situations (stability class and wind speed) of the hours of the meteorological
// series, found once per run.
#include <cstddef>
#include <vector>

#include "core/records.h"
#include "core/settings.h"

namespace kadre {

// The distinct situations (stability class and wind speed) among the hours of each series,
// found once per run: a pair's plume is computed once per situation, not once per hour.
struct HourlySituations {
  std::vector<int> of_hour;              // per series and hour (MetSeries::index)
  std::vector<unsigned char> inversion;  // the same, 1 for an hour with an inversion
  int count = 0;                         // situations of the series with the most
  // Per series (from 0): the first hour (MetSeries::index) of each situation, and whether
  // every class of the series lies in 1..5 and no wind speed is negative, so that the plumes
  // of all its situations can be computed before its hours without a stop coming earlier
  // than it would hour by hour.
  std::vector<std::vector<std::size_t>> first_hour;
  std::vector<unsigned char> orderly;
  // Per series, hour by hour and padded by a vector for the vector kernels: the situation,
  // the wind direction and 1 for an inversion hour (else 0).
  std::vector<std::vector<int>> series_situation;
  std::vector<std::vector<double>> series_phi, series_inversion;
};
HourlySituations find_hourly_situations(const Settings& cfg, const MetSeries& met);

}  // namespace kadre

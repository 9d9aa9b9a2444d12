#include "evaluation/hourly_situations.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "model/class_index.h"
#include "model/vector_path.h"

namespace kadre {

namespace {

constexpr double kNoInversion = -9999.0;

bool inversion_hour(const Settings& cfg, const MetSeries& met, std::size_t at) {
  return cfg.inverze && std::trunc(met.zi[at]) != kNoInversion;
}

}  // namespace

HourlySituations find_hourly_situations(const Settings& cfg, const MetSeries& met) {
  HourlySituations found;
  found.of_hour.assign(met.w_sp.size(), -1);
  found.inversion.assign(met.w_sp.size(), 0);
  for (int k = 1; k <= met.met_num(); ++k) {
    // The same class with the same bits of the wind speed is the same situation.
    std::map<std::pair<int, std::uint64_t>, int> seen;
    std::vector<std::size_t> first;
    bool orderly = true;
    for (int t = 1; t <= met.ntime; ++t) {
      const std::size_t at = met.index(k, t);
      found.inversion[at] = inversion_hour(cfg, met, at) ? 1 : 0;
      std::uint64_t bits;
      std::memcpy(&bits, &met.w_sp[at], sizeof bits);
      const auto [it, added] =
          seen.try_emplace({met.stability_class[at], bits}, static_cast<int>(seen.size()));
      if (added) first.push_back(at);
      found.of_hour[at] = it->second;
      orderly = orderly && valid_class(met.stability_class[at]) && met.w_sp[at] >= 0;
      if (found.inversion[at] != 0)
        orderly = orderly && valid_class(met.stability_class_i[at]) && met.w_sp_i[at] >= 0;
    }
    if (static_cast<int>(seen.size()) > found.count) found.count = static_cast<int>(seen.size());
    found.first_hour.push_back(std::move(first));
    found.orderly.push_back(orderly ? 1 : 0);
    const std::size_t begin = met.index(k, 1), end = begin + static_cast<std::size_t>(met.ntime);
    std::vector<int> situation(found.of_hour.begin() + static_cast<std::ptrdiff_t>(begin),
                               found.of_hour.begin() + static_cast<std::ptrdiff_t>(end));
    std::vector<double> phi(met.w_dir.begin() + static_cast<std::ptrdiff_t>(begin),
                            met.w_dir.begin() + static_cast<std::ptrdiff_t>(end));
    std::vector<double> inversion;
    for (std::size_t at = begin; at < end; ++at) inversion.push_back(found.inversion[at]);
    situation.resize(situation.size() + kKernelPadding, 0);
    phi.resize(phi.size() + kKernelPadding, 0.0);
    inversion.resize(inversion.size() + kKernelPadding, 0.0);
    found.series_situation.push_back(std::move(situation));
    found.series_phi.push_back(std::move(phi));
    found.series_inversion.push_back(std::move(inversion));
  }
  return found;
}

}  // namespace kadre

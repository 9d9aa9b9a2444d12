#include "model/cluster_factor.h"

#include <algorithm>
#include <cmath>

namespace kadre {

ClusterTable::ClusterTable(const std::vector<Source>& zdroje) {
  std::vector<int> numbers;
  for (const Source& s : zdroje) numbers.push_back(s.shluk);
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  for (int k : numbers) {
    ClusterInfo info;
    info.shluk = k;
    // Sums in the order of the source table, as the members are listed there.
    double sum_hq = 0, sum_q = 0;
    for (std::size_t i = 0; i < zdroje.size(); ++i) {
      const Source& a = zdroje[i];
      if (a.shluk != k) continue;
      ++info.n;
      sum_hq += a.h * a.tep_vyd;
      sum_q += a.tep_vyd;
      for (std::size_t j = i + 1; j < zdroje.size(); ++j) {
        const Source& b = zdroje[j];
        if (b.shluk != k) continue;
        const double dist = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
        if (dist > info.d_max) info.d_max = dist;
      }
    }
    info.h_mean = sum_hq / sum_q;
    clusters_.push_back(info);
  }
}

const ClusterInfo* ClusterTable::find(int shluk) const {
  const auto it = std::lower_bound(clusters_.begin(), clusters_.end(), shluk,
                                   [](const ClusterInfo& c, int k) { return c.shluk < k; });
  if (it == clusters_.end() || it->shluk != shluk) return nullptr;
  return &*it;
}

double sfaktor(const ClusterTable& clusters, int shluk, double h0, double dh) {
  // Without a positive rise there is nothing to enhance (the formula would divide by 0).
  if (!(dh > 0)) return 1.0;
  const ClusterInfo* c = clusters.find(shluk);
  if (c == nullptr) return 1.0;
  const double n = c->n;
  const double d = c->d_max;
  const double spacing = shluk <= 1000 ? d : d / (n - 1);
  const double h_m = c->h_mean;
  if (spacing <= 1.5 * h_m && 0.5 * h_m <= h0 && h0 <= 1.5 * h_m) {
    const double e = 6 / std::sqrt(n) * std::pow(d / dh, 1.5);
    return std::pow((n + e) / (1 + e), 1.0 / 3.0);
  }
  return 1.0;
}

}  // namespace kadre

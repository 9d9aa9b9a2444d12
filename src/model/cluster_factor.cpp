#include "model/cluster_factor.h"

#include <algorithm>
#include <cmath>

namespace kadre {

ClusterTable::ClusterTable(const std::vector<Source>& zdroje) {
  // Members of each cluster in the order of the source table; 0 means no cluster.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < zdroje.size(); ++i)
    if (zdroje[i].shluk != 0) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&zdroje](std::size_t a, std::size_t b) {
    return zdroje[a].shluk < zdroje[b].shluk;
  });
  for (std::size_t first = 0; first < order.size();) {
    std::size_t last = first;
    while (last < order.size() && zdroje[order[last]].shluk == zdroje[order[first]].shluk) ++last;
    ClusterInfo info;
    info.shluk = zdroje[order[first]].shluk;
    info.n = static_cast<int>(last - first);
    double sum_hq = 0, sum_q = 0;
    for (std::size_t m = first; m < last; ++m) {
      const Source& a = zdroje[order[m]];
      sum_hq += a.h * a.tep_vyd;
      sum_q += a.tep_vyd;
      for (std::size_t k = m + 1; k < last; ++k) {
        const Source& b = zdroje[order[k]];
        const double dist = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
        if (dist > info.d_max) info.d_max = dist;
      }
    }
    info.h_mean = sum_hq / sum_q;
    clusters_.push_back(info);
    first = last;
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

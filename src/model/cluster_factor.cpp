#include "model/cluster_factor.h"

#include <algorithm>
#include <cmath>

namespace kadre {

ClusterTable::ClusterTable(const std::vector<Source>& sources) {
  // Members of each cluster in the order of the source table; 0 means no cluster.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < sources.size(); ++i)
    if (sources[i].cluster != 0) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&sources](std::size_t a, std::size_t b) {
    return sources[a].cluster < sources[b].cluster;
  });
  for (std::size_t first = 0; first < order.size();) {
    std::size_t last = first;
    while (last < order.size() && sources[order[last]].cluster == sources[order[first]].cluster)
      ++last;
    ClusterInfo info;
    info.cluster = sources[order[first]].cluster;
    info.n = static_cast<int>(last - first);
    double sum_hq = 0, sum_q = 0;
    for (std::size_t m = first; m < last; ++m) {
      const Source& a = sources[order[m]];
      sum_hq += a.stack_height_m * a.heat_output;
      sum_q += a.heat_output;
      for (std::size_t k = m + 1; k < last; ++k) {
        const Source& b = sources[order[k]];
        const double dist = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
        if (dist > info.d_max) info.d_max = dist;
      }
    }
    info.h_mean = sum_hq / sum_q;
    clusters_.push_back(info);
    first = last;
  }
}

const ClusterInfo* ClusterTable::find(int cluster) const {
  const auto it = std::lower_bound(clusters_.begin(), clusters_.end(), cluster,
                                   [](const ClusterInfo& c, int k) { return c.cluster < k; });
  if (it == clusters_.end() || it->cluster != cluster) return nullptr;
  return &*it;
}

double cluster_factor(const ClusterTable& clusters, int cluster, double h0, double dh) {
  // Without a positive rise there is nothing to enhance (the formula would divide by 0).
  if (!(dh > 0)) return 1.0;
  const ClusterInfo* c = clusters.find(cluster);
  if (c == nullptr) return 1.0;
  const double n = c->n;
  const double d = c->d_max;
  const double spacing = cluster <= 1000 ? d : d / (n - 1);
  const double h_m = c->h_mean;
  if (spacing <= 1.5 * h_m && 0.5 * h_m <= h0 && h0 <= 1.5 * h_m) {
    const double e = 6 / std::sqrt(n) * std::pow(d / dh, 1.5);
    return std::pow((n + e) / (1 + e), 1.0 / 3.0);
  }
  return 1.0;
}

}  // namespace kadre

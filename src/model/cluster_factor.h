#pragma once
// Enhancement of the plume rise for a cluster of neighbouring stacks of similar height.
// What a cluster is made of does not depend on the situation, so it is worked out once.
#include <vector>

#include "core/records.h"

namespace kadre {

struct ClusterInfo {
  int cluster = 0;    // cluster number
  int n = 0;          // number of member sources
  double h_mean = 0;  // heat-weighted mean height
  double d_max = 0;   // largest horizontal distance between two members
};

// The clusters of a source table, sorted by number.
class ClusterTable {
 public:
  ClusterTable() = default;
  explicit ClusterTable(const std::vector<Source>& sources);
  // The cluster numbered cluster, or nullptr when no source belongs to it.
  const ClusterInfo* find(int cluster) const;

 private:
  std::vector<ClusterInfo> clusters_;
};

// Cluster factor of a source of height h0 and plume rise dh in cluster cluster.
double cluster_factor(const ClusterTable& clusters, int cluster, double h0, double dh);

}  // namespace kadre

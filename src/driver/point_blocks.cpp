#include "driver/point_blocks.h"

#include <algorithm>

#include "model/terrain_path.h"

namespace kadre {

std::vector<PointBlock> point_blocks(const InputData& in, int processes) {
  const std::vector<RefPoint>& points = in.ref_points;
  const Settings& cfg = in.cfg;
  std::vector<long long> work_before(points.size() + 1, 0);
  for (std::size_t i = 0; i < points.size(); ++i) {
    long long work = 1;
    for (const Source& s : in.sources) {
      const double x = eval_x(points[i].x, points[i].y, s.x, s.y);
      if (!(x < cfg.infl_dist_min || x > cfg.infl_dist_max)) ++work;
    }
    work_before[i + 1] = work_before[i] + work;
  }
  std::vector<PointBlock> blocks(static_cast<std::size_t>(processes));
  int first = 0, outputs = 0;
  for (int r = 0; r < processes; ++r) {
    // The block ends where the work done reaches the process's share of the whole.
    const long long share = work_before.back() * (r + 1) / processes;
    int end = static_cast<int>(std::lower_bound(work_before.begin(), work_before.end(), share) -
                               work_before.begin());
    end = r + 1 == processes ? static_cast<int>(points.size()) : std::max(end, first);
    blocks[static_cast<std::size_t>(r)] = PointBlock{first, end, outputs};
    for (int i = first; i < end; ++i)
      outputs += points[static_cast<std::size_t>(i)].has_hourly_output ? 1 : 0;
    first = end;
  }
  return blocks;
}

}  // namespace kadre

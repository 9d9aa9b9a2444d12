#include "driver/table_gathering.h"

#include <algorithm>

namespace kadre {

namespace {

// The first element of every block's part of a table with `per_point` values per point (or
// per point with hourly output), and the end.
std::vector<std::size_t> part_starts(const std::vector<PointBlock>& blocks, std::size_t per_point,
                                     bool outputs, std::size_t total) {
  std::vector<std::size_t> starts;
  for (const PointBlock& b : blocks)
    starts.push_back(static_cast<std::size_t>(outputs ? b.outputs_before : b.first) * per_point);
  starts.push_back(total);
  return starts;
}

}  // namespace

// The other processes' parts of the tables into the first process's tables of the whole run.
void gather_tables(const InputData& in, bool methodology, const std::vector<PointBlock>& blocks,
                   std::vector<ResultTables>& tables, Processes& processes) {
  if (processes.size() == 1) return;  // its tables are those of the whole run
  const std::size_t points = in.ref_points.size(), hours = static_cast<std::size_t>(in.met.ntime);
  const auto outputs = static_cast<std::size_t>(
      std::count_if(in.ref_points.begin(), in.ref_points.end(),
                    [](const RefPoint& p) { return p.has_hourly_output; }));
  for (ResultTables& t : tables) {
    if (in.cfg.is_time) {
      processes.gather(t.hourly_results, part_starts(blocks, hours, true, hours * outputs));
      processes.gather(t.hourly_sum, part_starts(blocks, 1, false, points));
      processes.gather(t.hourly_max, part_starts(blocks, 1, false, points));
      if (in.cfg.compliance())
        processes.gather(t.compliance,
                         part_starts(blocks, kComplianceCount, false, kComplianceCount * points));
    }
    if (methodology)
      processes.gather(t.results, part_starts(blocks, kStatCount, false, kStatCount * points));
  }
}

}  // namespace kadre

#include "driver/nodata_paths.h"

#include <exception>
#include <vector>

#include "init/terrain_reader.h"
#include "model/terrain_path.h"

namespace kadre {

void check_nodata_paths(const InputData& in, int threads) {
  const TerrainGrid& grid = in.terrain;
  if (!window_has_nodata(grid)) return;
  const Settings& cfg = in.cfg;
  const int points = static_cast<int>(in.ref_points.size());
  // Per point: the first source whose path meets such a cell and the cell, or a failure.
  struct Finding {
    int source = -1;
    int ix = 0, iy = 0;
    std::exception_ptr failure;
  };
  std::vector<Finding> found(static_cast<std::size_t>(points));
#pragma omp parallel for schedule(dynamic, 16) num_threads(threads)
  for (int ip = 0; ip < points; ++ip) {
    Finding& f = found[static_cast<std::size_t>(ip)];
    const RefPoint& p = in.ref_points[static_cast<std::size_t>(ip)];
    try {
      for (std::size_t k = 0; k < in.sources.size(); ++k) {
        const Source& s = in.sources[k];
        // The pairs the computation takes, and their paths as it samples them.
        const double x = eval_x(p.x, p.y, s.x, s.y);
        if (x < cfg.infl_dist_min || x > cfg.infl_dist_max) continue;
        if (!nodata_on_path(grid, cfg.int_err, s.x, s.y, p.x, p.y, f.ix, f.iy)) continue;
        f.source = static_cast<int>(k);
        break;
      }
    } catch (...) {
      f.failure = std::current_exception();
    }
  }
  for (int ip = 0; ip < points; ++ip) {
    const Finding& f = found[static_cast<std::size_t>(ip)];
    if (f.failure) std::rethrow_exception(f.failure);
    if (f.source < 0) continue;
    nodata_used(cfg.iputdir + cfg.vyskopis_file, grid, f.ix, f.iy,
                "na ceste od zdroje " + in.sources[static_cast<std::size_t>(f.source)].id +
                    " k referencnimu bodu " + in.ref_points[static_cast<std::size_t>(ip)].id);
  }
}

}  // namespace kadre

#include "model/pair.h"

#include "model/dispersion_coefficients.h"
#include "model/terrain_path.h"

namespace kadre {

void eval_theta_delta(const ModelContext& ctx, const RefPoint& point, const Source& source,
                      PairGeometry& g) {
  g.delta = get_delta_val(point.x, point.y, source.x, source.y);
  // The path runs from the source to the point; the sea level is the lowest ground.
  const TerrainWeight w = get_theta_val(ctx.terrain, ctx.options.int_err, source.z, point.z,
                                        source.x, source.y, point.x, point.y, 0.0);
  g.theta = w.theta;
  g.zmax = w.zmax;
}

void InitialSpreads::reset(const Source& source, int sectors) {
  ++stamp_;
  azimuth_ = source.type == SourceType::line ? line_azimuth(source) : 0.0;
  sectors_ = sectors;
  const std::size_t needed = static_cast<std::size_t>(sectors) * kStabilityClasses;
  if (sector_stamp_.size() < needed) {
    sector_sy0_.resize(needed);
    sector_sz0_.resize(needed);
    sector_stamp_.resize(needed);
  }
}

void InitialSpreads::get(const Source& source, const ModelParams& par, int s, double phi,
                         int sector, double& sy0, double& sz0) {
  const std::size_t c = static_cast<std::size_t>(s - 1);
  if (source.type != SourceType::line) {
    Entry& e = by_class_[c];  // the same for every direction
    if (e.stamp != stamp_) {
      get_sgm0(source, azimuth_, phi, par.az[c], par.bz[c], e.sy0, e.sz0);
      e.stamp = stamp_;
    }
    sy0 = e.sy0;
    sz0 = e.sz0;
    return;
  }
  if (sector < 1 || sector > sectors_) {
    get_sgm0(source, azimuth_, phi, par.az[c], par.bz[c], sy0, sz0);
    return;
  }
  const std::size_t at =
      c * static_cast<std::size_t>(sectors_) + static_cast<std::size_t>(sector - 1);
  if (sector_stamp_[at] != stamp_) {
    get_sgm0(source, azimuth_, phi, par.az[c], par.bz[c], sector_sy0_[at], sector_sz0_[at]);
    sector_stamp_[at] = stamp_;
  }
  sy0 = sector_sy0_[at];
  sz0 = sector_sz0_[at];
}

void InitialSpreads::line_sectors(const Source& source, const ModelParams& par, int s, int first,
                                  int last, double phi_step, const double*& sy0,
                                  const double*& sz0) {
  const std::size_t c = static_cast<std::size_t>(s - 1);
  const std::size_t base = c * static_cast<std::size_t>(sectors_);
  for (int i = first; i <= last; ++i) {
    const std::size_t at = base + static_cast<std::size_t>(i);
    if (sector_stamp_[at] == stamp_) continue;
    get_sgm0(source, azimuth_, static_cast<double>(i) * phi_step, par.az[c], par.bz[c],
             sector_sy0_[at], sector_sz0_[at]);
    sector_stamp_[at] = stamp_;
  }
  sy0 = sector_sy0_.data() + base;
  sz0 = sector_sz0_.data() + base;
}

void fill_pair_factors(const ModelContext& ctx, const Source& source, double z_ref, double x,
                       int sectors, PairFactors& f) {
  f.z_ref = z_ref;
  const StackExit exit = stack_exit(source);
  for (int s = 1; s <= kStabilityClasses; ++s)
    f.rise[s - 1] = rise_factors(ctx.par, source, exit, s, z_ref, x);
  f.spreads.reset(source, sectors);
  f.tower_fluxes.forget();
  f.inversion_terrain.forget();
}

}  // namespace kadre

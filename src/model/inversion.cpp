#include "model/dispersion_model.h"

#include <cmath>

#include "model/class_index.h"

namespace kadre {

namespace {

// Plume parameters of a plume held at effective height h_ef below a lid at z_lid.
void hold_below_lid(const ModelContext& ctx, const RefPoint& point, const Source& source, int s,
                    double u, double h_ef, double z_lid, PlumeParams& p) {
  p.h_ef = h_ef;
  p.u_ef = u_h(h_ef, u, ctx.cfg.u_height, ctx.par.u_p[s - 1]);
  const VertCoord v = get_vert_coord(point.z, source.z, point.h, h_ef, z_lid, ctx.cfg.free_atmo);
  p.z1 = v.z1;
  p.z2 = v.z2;
  p.z3 = v.z3;
  p.z4 = v.z4;
}

double trapped_plume(const ModelContext& ctx, const RefPoint& point, const Source& source, int s,
                     double u, double phi, double zrel, const PairGeometry& g, PlumeParams p) {
  const double z_p = point.z - source.z + point.h;
  if (z_p > zrel) return 0.0;     // the point lies above the lid
  if (g.zmax > zrel) return 0.0;  // the terrain cuts through the lid
  if (p.h_plume > zrel) {
    p.h_plume = zrel;
    hold_below_lid(ctx, point, source, s, u,
                   hef_terr(p.h_plume, g.zmax, ctx.par.eps[s - 1]), zrel, p);
  } else if (p.h_ef > zrel) {
    hold_below_lid(ctx, point, source, s, u, zrel, zrel, p);
  }
  const double lambda = get_lambda(phi, p.h_plume, ctx.cfg.u_height, g.delta, ctx.cfg.wind_rotation);
  return evaluate_gauss(ctx, s, source, g.x, g.theta, lambda, p, phi, true);
}

// The plume breaks through the inversion at elevation zi and spreads in the upper layer
// from a virtual source standing on it.
double penetrating_plume(const ModelContext& ctx, const RefPoint& point, const Source& source,
                         int s_i, double u_i, double phi_i, double zi, double zrel,
                         double h_ef_lower, const PairGeometry& g, Source& virt) {
  const double z_p = point.z - source.z + point.h;
  if (zrel > z_p) return 0.0;  // the point lies below the inversion
  double z_r = point.z, h_r = point.h;
  if (zi > z_r) {
    h_r = h_r - (zi - z_r);
    z_r = zi;
  }
  const TerrainWeight w =
      get_theta_val(ctx.terrain, ctx.cfg.int_err, zi, z_r, source.x, source.y, point.x, point.y, zi);

  virt = source;  // reuses the scratch record's storage
  if (source.h > zrel) {
    virt.h = source.h - zrel;  // the stack itself reaches into the upper layer
  } else {
    virt.h = h_ef_lower - zrel;
    virt.t = 0;
    virt.w = 0;
    virt.beta = 0;
    // A cooling tower's rise comes from the climate grid, not from t, w and beta; the
    // virtual source has risen already.
    virt.cooling_tower = false;
  }
  const PlumeHeight height = hef(ctx, virt, s_i, u_i, virt.h, g.x, w.zmax);

  PlumeParams p;
  p.h_plume = height.h_plume;
  p.h_ef = height.h_ef;
  p.u_ef = u_i;  // the upper-layer wind without the profile law
  p.kh = 1;
  const double dz = z_r - zi;
  const double z_p_upper = dz + h_r;
  p.z1 = z_p_upper;
  p.z2 = std::fabs(dz) + h_r;
  p.z3 = dz - h_r;
  p.z4 = z_p_upper - 2 * zrel;
  const double lambda = std::fmod(std::fabs(phi_i - g.delta), 360.0);
  return evaluate_gauss(ctx, s_i, virt, g.x, w.theta, lambda, p, phi_i, false);
}

// eval_inv, with the pair's factors when f is set.
double inversion_hour(const ModelContext& ctx, int it, int ip, const Source& source,
                      const PairGeometry& g, PathScratch& scratch, const PairFactors* f) {
  const MetSeries& met = ctx.met;
  checked_index("eval_inv", "zi", 1, source.met_idx, 1, met.met_num);
  checked_index("eval_inv", "zi", 2, it, 1, met.ntime);
  checked_index("eval_inv", "ref_body", 1, ip, 1, static_cast<long>(ctx.ref_points.size()));
  const std::size_t at = met.index(source.met_idx, it);
  const int s = met.stability_class[at];
  const int s_i = met.stability_class_i[at];
  check_class("eval_inv", "u_p", s);
  check_class("eval_inv", "u_p", s_i);
  const RefPoint& point = ctx.ref_points[ip - 1];
  const double zi = met.zi[at];
  const double zrel = zi - source.z;

  PlumeParams p = f ? evaluate_par(ctx, source, s, ip, met.w_sp[at], zrel, g, *f)
                    : evaluate_par(ctx, source, s, ip, met.w_sp[at], ctx.cfg.u_height, zrel, g);
  p.kh = 1;  // no terrain factor under an inversion
  const double h = p.h_plume;
  const double q_pow_b = f ? f->rise[0].q_pow_b : std::pow(source.heat_output, source.qb);
  const double h2 = source.h + 0.5 * source.qa * q_pow_b;
  const bool trapped = zrel > h || (h > zrel && zrel >= h2);
  if (trapped) return trapped_plume(ctx, point, source, s, met.w_sp[at], met.w_dir[at], zrel, g, p);
  return penetrating_plume(ctx, point, source, s_i, met.w_sp_i[at], met.w_dir_i[at], zi, zrel, p.h_ef, g,
                           scratch.virtual_source);
}

}  // namespace

double eval_inv(const ModelContext& ctx, int it, int ip, const Source& source,
                const PairGeometry& g, PathScratch& scratch) {
  return inversion_hour(ctx, it, ip, source, g, scratch, nullptr);
}

double eval_inv(const ModelContext& ctx, int it, int ip, const Source& source,
                const PairGeometry& g, PathScratch& scratch, const PairFactors& f) {
  return inversion_hour(ctx, it, ip, source, g, scratch, &f);
}

}  // namespace kadre

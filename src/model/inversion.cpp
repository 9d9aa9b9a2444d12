#include "model/inversion.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "model/class_index.h"
#include "model/plume_sector.h"
#include "model/terrain_path.h"
#include "model/vertical_geometry.h"
#include "model/wind_profile.h"

namespace kadre {

namespace {

// Plume parameters of a plume held at effective height h_ef below a lid at z_lid.
void hold_below_lid(const ModelContext& ctx, const RefPoint& point, const Source& source, int s,
                    double u, double h_ef, double z_lid, PlumeParams& p) {
  p.h_ef = h_ef;
  p.u_ef = u_h(h_ef, u, ctx.options.u_height, ctx.par.u_p[s - 1]);
  const VertCoord v = get_vert_coord(point.z, source.z, point.height_above_ground_m, h_ef, z_lid,
                                     ctx.options.free_atmo);
  p.z1 = v.z1;
  p.z2 = v.z2;
  p.z3 = v.z3;
  p.z4 = v.z4;
}

double trapped_plume(const ModelContext& ctx, const HourMet& hour, const RefPoint& point,
                     const Source& source, double zrel, const PairGeometry& g, PairFactors& f,
                     double emis_fact, PlumeParams p) {
  const double z_p = point.z - source.z + point.height_above_ground_m;
  if (z_p > zrel) return 0.0;     // the point lies above the lid
  if (g.zmax > zrel) return 0.0;  // the terrain cuts through the lid
  const double axis =
      held_plume_axis(g.delta, zrel, p.h_plume, ctx.options.u_height, ctx.options.wind_rotation);
  if (p.h_plume > zrel) {
    p.h_plume = zrel;
    hold_below_lid(ctx, point, source, hour.s, hour.u,
                   hef_terr(p.h_plume, g.zmax, ctx.par.eps[hour.s - 1]), zrel, p);
  } else if (p.h_ef > zrel) {
    hold_below_lid(ctx, point, source, hour.s, hour.u, zrel, zrel, p);
  }
  return evaluate_gauss(ctx, hour.s, source, g.x, g.theta, get_lambda(hour.phi, axis), p, hour.phi,
                        true, emis_fact, f.spreads, 0);
}

// The plume breaks through the inversion at elevation zi and spreads in the upper layer
// from a virtual source standing on it.
double penetrating_plume(const ModelContext& ctx, const HourMet& hour, const RefPoint& point,
                         const Source& source, double zrel, double h_ef_lower,
                         const PairGeometry& g, PairFactors& f, double emis_fact) {
  const double zi = hour.zi;
  const double z_p = point.z - source.z + point.height_above_ground_m;
  if (zrel > z_p) return 0.0;  // the point lies below the inversion
  double z_r = point.z, h_r = point.height_above_ground_m;
  if (zi > z_r) {
    h_r = h_r - (zi - z_r);
    z_r = zi;
  }
  // The path's weight depends on the pair and zi alone (z_r follows from zi).
  InversionTerrain& kept = f.inversion_terrain;
  std::uint64_t bits;
  std::memcpy(&bits, &zi, sizeof bits);
  const std::size_t slot = static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> 56);
  if (kept.stamp[slot] != kept.current || std::memcmp(&kept.zi[slot], &zi, sizeof zi) != 0) {
    kept.weight[slot] = get_theta_val(ctx.terrain, ctx.options.int_err, zi, z_r, source.x, source.y,
                                      point.x, point.y, zi);
    kept.zi[slot] = zi;
    kept.stamp[slot] = kept.current;
  }
  const TerrainWeight w = kept.weight[slot];

  StackExit virt = stack_exit(source);
  if (source.stack_height_m > zrel) {
    virt.h = source.stack_height_m - zrel;  // the stack itself reaches into the upper layer
  } else {
    virt.h = h_ef_lower - zrel;
    virt.t = 0;
    virt.w = 0;
    virt.beta = 0;
    // A cooling tower's rise comes from the climate grid, not from t, w and beta; the
    // virtual source has risen already.
    virt.cooling_tower = false;
  }
  const RiseFactors rise = rise_factors(ctx.par, source, virt, hour.s_i, virt.h, g.x);
  const PlumeHeight height = hef(ctx, source, virt, hour.s_i, hour.u_i, g.x, w.zmax, rise);

  PlumeParams p;
  p.h_plume = height.h_plume;
  p.h_ef = height.h_ef;
  p.u_ef = hour.u_i;  // the upper-layer wind without the profile law
  p.kh = 1;
  const VertCoord v = free_atmosphere_heights(z_r, zi, h_r, zrel);
  p.z1 = v.z1;
  p.z2 = v.z2;
  p.z3 = v.z3;
  p.z4 = v.z4;
  return evaluate_gauss(ctx, hour.s_i, source, g.x, w.theta, get_lambda(hour.phi_i, g.delta), p,
                        hour.phi_i, false, emis_fact, f.spreads, 0);
}

}  // namespace

double eval_inv(const ModelContext& ctx, const HourMet& hour, const RefPoint& point,
                const Source& source, const PairGeometry& g, PairFactors& f, double emis_fact,
                const PlumeParams* lower) {
  check_class("eval_inv", "u_p", hour.s);
  check_class("eval_inv", "u_p", hour.s_i);
  const double zrel = hour.zi - source.z;
  PlumeParams p;
  if (lower != nullptr) {
    p = *lower;
    set_vertical_coordinates(ctx, source, point, zrel, p);
  } else {
    p = evaluate_par(ctx, source, point, hour.s, hour.u, zrel, g, f);
  }
  p.kh = 1;  // no terrain factor under an inversion
  if (held_below_lid(zrel, p.h_plume, lid_holding_height(source, f)))
    return trapped_plume(ctx, hour, point, source, zrel, g, f, emis_fact, p);
  return penetrating_plume(ctx, hour, point, source, zrel, p.h_ef, g, f, emis_fact);
}

}  // namespace kadre

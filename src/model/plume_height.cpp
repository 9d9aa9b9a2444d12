#include "model/plume_height.h"

#include <cmath>

#include "model/class_index.h"
#include "model/cluster_factor.h"
#include "model/cooling_tower_rise.h"
#include "model/plume_rise.h"
#include "model/stability_classes.h"
#include "model/vertical_geometry.h"
#include "model/wind_profile.h"

namespace kadre {

namespace {

// The climate-weighted rise of a cooling tower for the 10 m wind u10 and u_s at the top.
double cooling_tower_rise(const ModelContext& ctx, const Source& source, const StackExit& exit,
                          int s, double u10, double u_s, double x, TowerFluxes* fluxes) {
  if (fluxes == nullptr) {
    // Without a cache of the caller's, one for this call only (a large table: built only here).
    TowerFluxes own;
    return cooling_tower_rise(ctx, source, exit, s, u10, u_s, x, &own);
  }
  const ModelParams& par = ctx.par;
  const ClimateTables& cl = ctx.climate;
  const double v_act = v_prep(source.flue_gas_flow_m3_s, 0.0, 101325.0, exit.t, 101325.0);
  const int c = u2class_ui(u10, par);
  const bool clustered = ctx.options.is_shluky && source.cluster != 0;
  if (fluxes->height_distance_stamp != fluxes->current) {
    set_height_distance_powers(exit.h, x, fluxes->height_distance);
    fluxes->height_distance_stamp = fluxes->current;
  }
  double dh = 0;
  for (int j = 1; j <= 10; ++j) {
    for (int i = 1; i <= 7; ++i) {
      const double weight = cl.grt[ClimateTables::index(i, j, s)];
      // A class that never occurs must not bring its rise (possibly not a number) in.
      if (weight == 0) continue;
      const double t_a = ClimateTables::t_t[j - 1];
      const std::size_t cell = ClimateTables::index(i, j, c);
      if (fluxes->stamp[cell] != fluxes->current) {
        set_flux_powers(
            cooling_tower_flux(t_a, ClimateTables::r_t[i - 1], exit.t, source.diameter_m, v_act,
                               cl.frt[ClimateTables::index(i, j)], cl.vch1[cell], cl.tch1[cell]),
            fluxes->powers[cell]);
        fluxes->stamp[cell] = fluxes->current;
      }
      TowerPowers powers = fluxes->powers[cell];
      powers.h_04 = fluxes->height_distance.h_04;
      powers.h_06 = fluxes->height_distance.h_06;
      powers.x_two_thirds = fluxes->height_distance.x_two_thirds;
      powers.three_x_two_thirds = fluxes->height_distance.three_x_two_thirds;
      double dh_ij = cooling_tower_rise_of_flux(par, powers, t_a, s, u_s, x);
      if (clustered) dh_ij = dh_ij * cluster_factor(ctx.clusters, source.cluster, exit.h, dh_ij);
      dh = dh + weight * dh_ij;
    }
  }
  return dh;
}

}  // namespace

RiseFactors rise_factors(const ModelParams& par, const Source& source, const StackExit& exit, int s,
                         double z_ref, double x) {
  check_class("rise_factors", "u_p", s);
  const double p = par.u_p[s - 1];
  RiseFactors f;
  f.stack_top = wind_profile_factor(exit.h, z_ref, p);
  f.ten_metre = std::pow(10.0 / z_ref, p);
  f.q_pow_b = std::pow(source.heat_output, source.qb);
  f.growth = rise_growth(source.heat_output, par.km[s - 1], x);
  return f;
}

double plume_axis_height(const ModelContext& ctx, const Source& source, const StackExit& exit,
                         int s, double u, double x, const RiseFactors& f, TowerFluxes* fluxes) {
  const ModelParams& par = ctx.par;
  check_class("hef", "u_p", s);
  const double u_s = u * f.stack_top;
  double dh;
  if (exit.cooling_tower) {
    dh = cooling_tower_rise(ctx, source, exit, s, u * f.ten_metre, u_s, x, fluxes);
  } else {
    dh = plume_rise(exit.w, source.diameter_m, exit.beta, f.q_pow_b, par.ks[s - 1], source.qa, u_s,
                    f.growth);
    if (ctx.options.is_shluky && source.cluster != 0)
      dh = dh * cluster_factor(ctx.clusters, source.cluster, exit.h, dh);
  }
  // An area source without exit data carries its rise in the temperature field.
  if (source.type == SourceType::area && exit.w == 0 && source.diameter_m == 0) dh = exit.t;
  return exit.h + dh;
}

PlumeHeight hef(const ModelContext& ctx, const Source& source, const StackExit& exit, int s,
                double u, double x, double zmax, const RiseFactors& f, TowerFluxes* fluxes) {
  PlumeHeight r;
  r.h_plume = plume_axis_height(ctx, source, exit, s, u, x, f, fluxes);
  r.h_ef = hef_terr(r.h_plume, zmax, ctx.par.eps[s - 1]);
  return r;
}

}  // namespace kadre

#include "model/dispersion_model.h"

#include <cmath>

#include "model/class_index.h"

namespace kadre {

namespace {

double tower_rise_for_u10(const ModelContext& ctx, const Source& source, int s, double u10, double u_s,
                          double x) {
  const ModelParams& par = ctx.par;
  const ClimateTables& cl = ctx.climate;
  const double v_act = v_prep(source.v, 0.0, 101325.0, source.t, 101325.0);
  const int c = u2class_ui(u10, par);
  const bool clustered = ctx.cfg.is_shluky && source.cluster != 0;
  double dh = 0;
  for (int j = 1; j <= 10; ++j) {
    for (int i = 1; i <= 7; ++i) {
      const double weight = cl.grt[ClimateTables::index(i, j, s)];
      // A class that never occurs must not bring its rise (possibly not a number) in.
      if (weight == 0) continue;
      double dh_ij = prevyseni_chlad_vez(
          par, ClimateTables::t_t[j - 1], ClimateTables::r_t[i - 1], source.t, source.h, source.d,
          v_act, cl.frt[ClimateTables::index(i, j)], cl.vch1[ClimateTables::index(i, j, c)],
          cl.tch1[ClimateTables::index(i, j, c)], s, u_s, x);
      if (clustered) dh_ij = dh_ij * sfaktor(ctx.clusters, source.cluster, source.h, dh_ij);
      dh = dh + weight * dh_ij;
    }
  }
  return dh;
}

}  // namespace

double cooling_tower_rise(const ModelContext& ctx, const Source& source, int s, double u,
                          double z_ref, double u_s, double x) {
  check_class("cooling_tower_rise", "grt", s);
  const double u10 = u * std::pow(10.0 / z_ref, ctx.par.u_p[s - 1]);
  return tower_rise_for_u10(ctx, source, s, u10, u_s, x);
}

RiseFactors rise_factors(const ModelContext& ctx, const Source& source, int s, double z_ref, double x) {
  const ModelParams& par = ctx.par;
  check_class("rise_factors", "u_p", s);
  const double p = par.u_p[s - 1];
  RiseFactors f;
  f.stack_top = wind_profile_factor(source.h, z_ref, p);
  f.ten_metre = std::pow(10.0 / z_ref, p);
  f.q_pow_b = std::pow(source.heat_output, source.qb);
  f.growth = rise_growth(source.heat_output, par.km[s - 1], x);
  return f;
}

PlumeHeight hef(const ModelContext& ctx, const Source& source, int s, double u, double x, double zmax,
                const RiseFactors& f) {
  const ModelParams& par = ctx.par;
  check_class("hef", "u_p", s);
  const double u_s = u * f.stack_top;
  double dh;
  if (source.cooling_tower) {
    dh = tower_rise_for_u10(ctx, source, s, u * f.ten_metre, u_s, x);
  } else {
    dh = prevyseni_with_factors(source.w, source.d, source.beta, f.q_pow_b, par.ks[s - 1], source.qa, u_s,
                                f.growth);
    if (ctx.cfg.is_shluky && source.cluster != 0)
      dh = dh * sfaktor(ctx.clusters, source.cluster, source.h, dh);
  }
  // An area source without exit data carries its rise in the temperature field.
  if (source.type == 2 && source.w == 0 && source.d == 0) dh = source.t;
  PlumeHeight r;
  r.h_plume = source.h + dh;
  r.h_ef = hef_terr(r.h_plume, zmax, par.eps[s - 1]);
  return r;
}

PlumeHeight hef(const ModelContext& ctx, const Source& source, int s, double u, double z_ref,
                double x, double zmax) {
  check_class("hef", "u_p", s);
  return hef(ctx, source, s, u, x, zmax, rise_factors(ctx, source, s, z_ref, x));
}

void fill_pair_factors(const ModelContext& ctx, const Source& source, double z_ref, double x,
                       PairFactors& f) {
  f.z_ref = z_ref;
  for (int s = 1; s <= 5; ++s) f.rise[s - 1] = rise_factors(ctx, source, s, z_ref, x);
  f.azimuth = source.type == 3 ? line_azimuth(source) : 0.0;
  f.spreads_known.fill(false);
}

}  // namespace kadre

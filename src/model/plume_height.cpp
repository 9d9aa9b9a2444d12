#include "model/dispersion_model.h"

#include <cmath>

#include "model/class_index.h"

namespace kadre {

namespace {

double tower_rise_for_u10(const ModelContext& ctx, const Source& zdroj, int s, double u10, double u_s,
                          double x) {
  const ModelParams& par = ctx.par;
  const ClimateTables& cl = ctx.climate;
  const double v_act = v_prep(zdroj.v, 0.0, 101325.0, zdroj.t, 101325.0);
  const int c = u2class_ui(u10, par);
  const bool clustered = ctx.cfg.is_shluky && zdroj.shluk != 0;
  double dh = 0;
  for (int j = 1; j <= 10; ++j) {
    for (int i = 1; i <= 7; ++i) {
      const double weight = cl.grt[ClimateTables::index(i, j, s)];
      // A class that never occurs must not bring its rise (possibly not a number) in.
      if (weight == 0) continue;
      double dh_ij = prevyseni_chlad_vez(
          par, ClimateTables::t_t[j - 1], ClimateTables::r_t[i - 1], zdroj.t, zdroj.h, zdroj.d,
          v_act, cl.frt[ClimateTables::index(i, j)], cl.vch1[ClimateTables::index(i, j, c)],
          cl.tch1[ClimateTables::index(i, j, c)], s, u_s, x);
      if (clustered) dh_ij = dh_ij * sfaktor(ctx.clusters, zdroj.shluk, zdroj.h, dh_ij);
      dh = dh + weight * dh_ij;
    }
  }
  return dh;
}

}  // namespace

double cooling_tower_rise(const ModelContext& ctx, const Source& zdroj, int s, double u,
                          double z_ref, double u_s, double x) {
  check_class("cooling_tower_rise", "grt", s);
  const double u10 = u * std::pow(10.0 / z_ref, ctx.par.u_p[s - 1]);
  return tower_rise_for_u10(ctx, zdroj, s, u10, u_s, x);
}

RiseFactors rise_factors(const ModelContext& ctx, const Source& zdroj, int s, double z_ref, double x) {
  const ModelParams& par = ctx.par;
  check_class("rise_factors", "u_p", s);
  const double p = par.u_p[s - 1];
  RiseFactors f;
  f.stack_top = wind_profile_factor(zdroj.h, z_ref, p);
  f.ten_metre = std::pow(10.0 / z_ref, p);
  f.q_pow_b = std::pow(zdroj.tep_vyd, zdroj.qb);
  f.growth = rise_growth(zdroj.tep_vyd, par.km[s - 1], x);
  return f;
}

PlumeHeight hef(const ModelContext& ctx, const Source& zdroj, int s, double u, double x, double zmax,
                const RiseFactors& f) {
  const ModelParams& par = ctx.par;
  check_class("hef", "u_p", s);
  const double u_s = u * f.stack_top;
  double dh;
  if (zdroj.chl_vez) {
    dh = tower_rise_for_u10(ctx, zdroj, s, u * f.ten_metre, u_s, x);
  } else {
    dh = prevyseni_with_factors(zdroj.w, zdroj.d, zdroj.beta, f.q_pow_b, par.ks[s - 1], zdroj.qa, u_s,
                                f.growth);
    if (ctx.cfg.is_shluky && zdroj.shluk != 0)
      dh = dh * sfaktor(ctx.clusters, zdroj.shluk, zdroj.h, dh);
  }
  // An area source without exit data carries its rise in the temperature field.
  if (zdroj.typ_zdroje == 2 && zdroj.w == 0 && zdroj.d == 0) dh = zdroj.t;
  PlumeHeight r;
  r.h_plume = zdroj.h + dh;
  r.h_ef = hef_terr(r.h_plume, zmax, par.eps[s - 1]);
  return r;
}

PlumeHeight hef(const ModelContext& ctx, const Source& zdroj, int s, double u, double z_ref,
                double x, double zmax) {
  check_class("hef", "u_p", s);
  return hef(ctx, zdroj, s, u, x, zmax, rise_factors(ctx, zdroj, s, z_ref, x));
}

void fill_pair_factors(const ModelContext& ctx, const Source& zdroj, double z_ref, double x,
                       PairFactors& f) {
  f.z_ref = z_ref;
  for (int s = 1; s <= 5; ++s) f.rise[s - 1] = rise_factors(ctx, zdroj, s, z_ref, x);
  f.azimuth = zdroj.typ_zdroje == 3 ? line_azimuth(zdroj) : 0.0;
  f.spreads_known.fill(false);
}

}  // namespace kadre

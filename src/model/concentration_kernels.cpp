#include "model/concentration_kernels.h"

#include <cmath>

#include "core/math_constants.h"
#include "model/class_index.h"
#include "model/dispersion_coefficients.h"
#include "model/plume_sector.h"
#include "model/vertical_geometry.h"
#include "model/wind_profile.h"

namespace kadre {

namespace {

constexpr double kTwoPi = 2 * kPi;

// m_no x fac_no. Where the exponent of fac_no is not positive its exponential lies in [0, 1],
// so fac_no lies in [+0, 0.9] and with m_no = 0 the product is exactly m_no x 0: the
// exponential is skipped then. Any other exponent (not a number, positive) takes the formula.
double converted_emission(bool on, double m_no, double xs, double k, double u) {
  if (m_no == 0 && on && -xs * k / u <= 0) return m_no * 0.0;
  return m_no * fac_no(on, xs, k, u);
}

}  // namespace

double fac_no(bool on, double xs, double k, double u) {
  if (!on) return 0.0;
  return static_cast<double>(0.9f) * (1 - std::exp(-xs * k / u));
}

PlumeParams evaluate_par(const ModelContext& ctx, const Source& source, const RefPoint& point,
                         int s, double u, double z_lid, const PairGeometry& g,
                         const PairFactors& f) {
  PlumeParams p = evaluate_par_without_wind(ctx, source, point, s, u, z_lid, g, f);
  p.u_ef = u * f.wind_profile.of(p.h_ef, f.z_ref, ctx.par.u_p[s - 1]);
  return p;
}

PlumeParams evaluate_par_without_wind(const ModelContext& ctx, const Source& source,
                                      const RefPoint& point, int s, double u, double z_lid,
                                      const PairGeometry& g, const PairFactors& f) {
  check_class("evaluate_par", "u_p", s);
  const double h_plume =
      plume_axis_height(ctx, source, stack_exit(source), s, u, g.x, f.rise[s - 1], &f.tower_fluxes);
  return evaluate_par_from_axis_height(ctx, source, point, s, u, z_lid, g, f, h_plume);
}

PlumeParams evaluate_par_from_axis_height(const ModelContext& ctx, const Source& source,
                                          const RefPoint& point, int s, double u, double z_lid,
                                          const PairGeometry& g, const PairFactors& f,
                                          double h_plume) {
  check_class("evaluate_par", "u_p", s);
  const RiseFactors& rise = f.rise[s - 1];
  PlumeParams p;
  p.h_plume = h_plume;
  p.h_ef = hef_terr(h_plume, g.zmax, ctx.par.eps[s - 1]);
  p.u_ef = 0;
  p.kh = get_kh(ctx.par, p.h_ef, source.z, point.z, s, u * rise.ten_metre);
  set_vertical_coordinates(ctx, source, point, z_lid, p);
  return p;
}

void set_vertical_coordinates(const ModelContext& ctx, const Source& source, const RefPoint& point,
                              double z_lid, PlumeParams& p) {
  const VertCoord v = get_vert_coord(point.z, source.z, point.height_above_ground_m, p.h_ef, z_lid,
                                     ctx.options.free_atmo);
  p.z1 = v.z1;
  p.z2 = v.z2;
  p.z3 = v.z3;
  p.z4 = v.z4;
}

double gauss_plume_factor(double sigma_y, double sigma_z, double xs, double ys, double k_u,
                          double v, double theta, const PlumeParams& p, bool lid) {
  if (sigma_y == 0 || sigma_z == 0) return 0.0;
  const double two_sz2 = 2 * (sigma_z * sigma_z);
  const double a = 1e6 / (kTwoPi * sigma_y * sigma_z * p.u_ef + v) *
                   std::exp(-(ys * ys) / (2 * (sigma_y * sigma_y))) * std::exp(-k_u * xs / p.u_ef) *
                   p.kh;
  const double d1 = p.z1 - p.h_ef, d2 = p.z2 + p.h_ef, d3 = p.z3 - p.h_ef;
  // With theta = 0 the third term is +-0 whenever its exponent is a number (the exponential
  // lies in [0, 1]) and adding it to the non-negative sum changes nothing: it is skipped.
  const double arg3 = -(d3 * d3) / two_sz2;
  const double third = theta == 0 && !std::isnan(arg3) ? 0.0 : theta * std::exp(arg3);
  const double vert =
      std::exp(-(d1 * d1) / two_sz2) + (1 - theta) * std::exp(-(d2 * d2) / two_sz2) + third;
  double c = a * vert;
  if (lid) {
    const double d4 = p.h_ef + p.z4;
    c = c + a * std::exp(-(d4 * d4) / two_sz2);
  }
  return c;
}

double evaluate_gauss(const ModelContext& ctx, int s, const Source& source, double x, double theta,
                      double lambda, const PlumeParams& p, double phi, bool lid, double emis_fact,
                      InitialSpreads& spreads, int sector) {
  const ModelParams& par = ctx.par;
  check_class("evaluate_gauss", "ay", s);
  if (!in_sector(lambda, sector_half_angle(par, source.type))) return 0.0;
  double sy0, sz0;
  spreads.get(source, par, s, phi, sector, sy0, sz0);
  const double a = lambda * kPi / 180;
  const double xs = x * std::cos(a);
  const double ys = x * std::sin(a);
  double sigma_y, sigma_z;
  get_sgm(xs, par.ay[s - 1], par.by[s - 1], par.az[s - 1], par.bz[s - 1], sy0, sz0, sigma_y,
          sigma_z);
  double c = gauss_plume_factor(sigma_y, sigma_z, xs, ys, par.k_u, source.flue_gas_flow_m3_s, theta,
                                p, lid);
  c = c * emis_fact;
  c = c * (source.m +
           converted_emission(ctx.options.convert_no, source.m_no, xs, par.k_p[s - 1], p.u_ef));
  return c;
}

}  // namespace kadre

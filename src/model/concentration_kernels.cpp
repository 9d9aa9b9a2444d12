#include "model/dispersion_model.h"

#include <cmath>

#include "model/class_index.h"
#include "core/math_constants.h"

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

namespace {

// evaluate_par after its checks, with the plume height and the wind at 10 m known.
PlumeParams plume_params(const ModelContext& ctx, const Source& source, int s, int ip, double u,
                         double z_ref, double z_lid, const PlumeHeight& height, double u10) {
  const RefPoint& point = ctx.ref_points[ip - 1];
  const double p_s = ctx.par.u_p[s - 1];
  PlumeParams p;
  p.h_plume = height.h_plume;
  p.h_ef = height.h_ef;
  p.u_ef = u_h(p.h_ef, u, z_ref, p_s);
  p.kh = get_kh(ctx.par, p.h_ef, source.z, point.z, s, u10);
  const VertCoord v = get_vert_coord(point.z, source.z, point.h, p.h_ef, z_lid, ctx.cfg.free_atmo);
  p.z1 = v.z1;
  p.z2 = v.z2;
  p.z3 = v.z3;
  p.z4 = v.z4;
  return p;
}

void check_par_indices(const ModelContext& ctx, int s, int ip) {
  check_class("evaluate_par", "u_p", s);
  checked_index("evaluate_par", "ref_body", 1, ip, 1, static_cast<long>(ctx.ref_points.size()));
}

}  // namespace

PlumeParams evaluate_par(const ModelContext& ctx, const Source& source, int s, int ip, double u,
                         double z_ref, double z_lid, const PairGeometry& g) {
  check_par_indices(ctx, s, ip);
  const RiseFactors rise = rise_factors(ctx, source, s, z_ref, g.x);
  const PlumeHeight height = hef(ctx, source, s, u, g.x, g.zmax, rise);
  return plume_params(ctx, source, s, ip, u, z_ref, z_lid, height, u * rise.ten_metre);
}

PlumeParams evaluate_par(const ModelContext& ctx, const Source& source, int s, int ip, double u,
                         double z_lid, const PairGeometry& g, const PairFactors& f) {
  check_par_indices(ctx, s, ip);
  const RiseFactors& rise = f.rise[s - 1];
  const PlumeHeight height = hef(ctx, source, s, u, g.x, g.zmax, rise);
  return plume_params(ctx, source, s, ip, u, f.z_ref, z_lid, height, u * rise.ten_metre);
}

double gauss_plume_factor(double sigma_y, double sigma_z, double xs, double ys, double k_u,
                          double v, double theta, const PlumeParams& p, bool lid) {
  if (sigma_y == 0 || sigma_z == 0) return 0.0;
  const double two_sz2 = 2 * (sigma_z * sigma_z);
  const double a = 1e6 / (kTwoPi * sigma_y * sigma_z * p.u_ef + v) *
                   std::exp(-(ys * ys) / (2 * (sigma_y * sigma_y))) *
                   std::exp(-k_u * xs / p.u_ef) * p.kh;
  const double d1 = p.z1 - p.h_ef, d2 = p.z2 + p.h_ef, d3 = p.z3 - p.h_ef;
  // With theta = 0 the third term is +-0 whenever its exponent is a number (the exponential
  // lies in [0, 1]) and adding it to the non-negative sum changes nothing: it is skipped.
  const double arg3 = -(d3 * d3) / two_sz2;
  const double third = theta == 0 && !std::isnan(arg3) ? 0.0 : theta * std::exp(arg3);
  const double vert = std::exp(-(d1 * d1) / two_sz2) +
                      (1 - theta) * std::exp(-(d2 * d2) / two_sz2) + third;
  double c = a * vert;
  if (lid) {
    const double d4 = p.h_ef + p.z4;
    c = c + a * std::exp(-(d4 * d4) / two_sz2);
  }
  return c;
}

double gauss_with_initial_spreads(const ModelContext& ctx, int s, const Source& source, double x,
                                  double theta, double lambda, const PlumeParams& p, double sy0,
                                  double sz0, bool lid) {
  const ModelParams& par = ctx.par;
  const double a = lambda * kPi / 180;
  const double xs = x * std::cos(a);
  const double ys = x * std::sin(a);
  double sigma_y, sigma_z;
  get_sgm(xs, par.ay[s - 1], par.by[s - 1], par.az[s - 1], par.bz[s - 1], sy0, sz0, sigma_y, sigma_z);
  double c = gauss_plume_factor(sigma_y, sigma_z, xs, ys, par.k_u, source.v, theta, p, lid);
  c = c * source.emis_fact;
  c = c * (source.m + converted_emission(ctx.cfg.is_no, source.m_no, xs, par.k_p[s - 1], p.u_ef));
  return c;
}

double evaluate_gauss(const ModelContext& ctx, int s, const Source& source, double x, double theta,
                      double lambda, const PlumeParams& p, double phi, bool lid) {
  const ModelParams& par = ctx.par;
  check_class("evaluate_gauss", "ay", s);
  const double limit = source.type == 1 ? par.uhel_limit_b : par.uhel_limit_pl;
  if (!(lambda <= limit || lambda >= 360 - limit)) return 0.0;
  double sy0, sz0;
  get_sgm0(source, phi, par.az[s - 1], par.bz[s - 1], sy0, sz0);
  return gauss_with_initial_spreads(ctx, s, source, x, theta, lambda, p, sy0, sz0, lid);
}

double evaluate_gauss(const ModelContext& ctx, int s, const Source& source, double x, double theta,
                      double lambda, const PlumeParams& p, double phi, bool lid, PairFactors& f) {
  const ModelParams& par = ctx.par;
  check_class("evaluate_gauss", "ay", s);
  const double limit = source.type == 1 ? par.uhel_limit_b : par.uhel_limit_pl;
  if (!(lambda <= limit || lambda >= 360 - limit)) return 0.0;
  const std::size_t c = static_cast<std::size_t>(s - 1);
  if (source.type == 3) {
    double sy0, sz0;
    get_sgm0_with_azimuth(source, f.azimuth, phi, par.az[c], par.bz[c], sy0, sz0);
    return gauss_with_initial_spreads(ctx, s, source, x, theta, lambda, p, sy0, sz0, lid);
  }
  // Other sources do not depend on the direction: their spreads are kept per class.
  if (!f.spreads_known[c]) {
    get_sgm0_with_azimuth(source, f.azimuth, phi, par.az[c], par.bz[c], f.sy0[c], f.sz0[c]);
    f.spreads_known[c] = true;
  }
  return gauss_with_initial_spreads(ctx, s, source, x, theta, lambda, p, f.sy0[c], f.sz0[c], lid);
}

}  // namespace kadre

#include "model/wind_profile.h"

#include <cmath>

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

namespace {
constexpr int kFzNodes = 26;
}

double wind_profile_factor(double z, double z_ref, double p) {
  return std::pow(wind_profile_base(z, z_ref), p);
}

double u_h(double z, double u, double z_ref, double p) {
  return u * wind_profile_factor(z, z_ref, p);
}

double v_prep(double v, double t0, double p0, double t, double p) {
  return v * (t + 273.15) / (273.15 + t0) * p0 / p;
}

namespace {

double interpolate_fz(const ModelParams& par, double z) {
  if (z <= par.fz_height(1)) return par.fz_value(1);
  if (z >= par.fz_height(kFzNodes)) return par.fz_value(kFzNodes);
  int j = 1;
  double nearest = std::fabs(par.fz_height(1) - z);
  for (int k = 2; k <= kFzNodes; ++k) {
    const double dist = std::fabs(par.fz_height(k) - z);
    if (dist < nearest) {
      nearest = dist;
      j = k;
    }
  }
  const int lo = par.fz_height(j) - z > 0 ? j - 1 : j;
  const int hi = lo + 1;
  const double z_lo = par.fz_height(lo), z_hi = par.fz_height(hi);
  return ((z_hi - z) * par.fz_value(lo) + (z - z_lo) * par.fz_value(hi)) / (z_hi - z_lo);
}

}  // namespace

double fz1(const ModelParams& par, double z, int s, double u10) {
  const double f = interpolate_fz(par, z);
  switch (s) {
    case 1:
    case 2:
      return f * static_cast<double>(2.247f);
    case 3:
      if (u10 <= 2.5) return f * static_cast<double>(1.17f);
      if (2.5 < u10 && u10 < 7.5) return f * static_cast<double>(1.17f) * (1.0 - (u10 - 2.5) / 5.0);
      return 0.0;
    case 4:
    case 5:
      return 0.0;
    default:
      stop_with_lines({"Chyba ve funkci Fz1. Trida stability " + free_form_int(s) + " " +
                       " neodpovida ocekavanym hodnotam."});
  }
}

double get_kh(const ModelParams& par, double h, double z0, double z_r, int s, double u10) {
  const double axis = h + z0;
  if (z_r > axis) return 1.0 - (fz1(par, axis, s, u10) - fz1(par, z_r, s, u10));
  return 1.0;
}

}  // namespace kadre

#pragma once
// Wind speed with height, the angle between wind and source direction, and the height
// function of the terrain factor.
#include <cmath>

#include "core/model_params.h"

namespace kadre {

// Wind at height z (clamped to 10..200 m) for wind u measured at z_ref, exponent p.
double u_h(double z, double u, double z_ref, double p);

// The factor (zc / z_ref)^p of u_h, zc = z clamped to 10..200 m: u_h = u x this factor.
double wind_profile_factor(double z, double z_ref, double p);

// Its base zc / z_ref.
inline double wind_profile_base(double z, double z_ref) {
  const double zc = z <= 10.0 ? 10.0 : (z >= 200.0 ? 200.0 : z);
  return zc / z_ref;
}

// wind_profile_factor of the last heights and exponent asked for again: the wind speeds of a
// source's situations mostly share the plume height.
struct WindProfileMemo {
  double z = 0, z_ref = 0, p = 0, factor = 0;
  bool valid = false;
  double of(double z_, double z_ref_, double p_) {
    if (!(valid && z_ == z && z_ref_ == z_ref && p_ == p)) {
      factor = wind_profile_factor(z_, z_ref_, p_);
      z = z_;
      z_ref = z_ref_;
      p = p_;
      valid = true;
    }
    return factor;
  }
};

// Azimuth of the plume axis: the source azimuth delta, turned by 1 degree per 25 m of plume
// height above z_ref when the wind turns with height.
inline double wind_axis(double delta, double h_plume, double z_ref, bool wind_rotation) {
  return wind_rotation ? delta - (h_plume - z_ref) / 25.0 : delta;
}
// Angle in [0, 360) between the wind direction phi and the plume axis: |phi - axis| mod 360,
// as fmod gives it. fmod is exact, and below two turns so is the subtraction (both values
// lie within a factor of two), so that it is taken instead.
inline double get_lambda(double phi, double axis) {
  const double t = std::fabs(phi - axis);
  if (t < 360.0) return t;
  if (t < 720.0) return t - 360.0;
  return std::fmod(t, 360.0);
}

// Volume flow v at (t0 [deg C], p0) converted to (t, p).
double v_prep(double v, double t0, double p0, double t, double p);

// The height table fz interpolated at z and scaled by class s and the 10 m wind u10.
double fz1(const ModelParams& par, double z, int s, double u10);

// Terrain factor of a point whose terrain z_r lies above the plume axis h + z0.
double get_kh(const ModelParams& par, double h, double z0, double z_r, int s, double u10);

}  // namespace kadre

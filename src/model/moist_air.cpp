#include "model/moist_air.h"

#include <cmath>

#include "core/math_constants.h"

namespace kadre {

namespace {
// The physical constants are held in single precision.
const double kE0 = static_cast<double>(611.0f);
const double kLatentHeat = static_cast<double>(2.5e6f);
const double kRVapour = static_cast<double>(461.0f);
const double kRDry = static_cast<double>(287.0f);
const double kP0 = static_cast<double>(101325.0f);
const double kCp = static_cast<double>(1004.0f);
const double kEpsilon = static_cast<double>(0.622f);
const double kOneMinusEpsilon = static_cast<double>(0.378f);
const double kVirtual = static_cast<double>(0.61f);
constexpr double kInvT0 = 0.0036609921288669233;  // 1 / 273.15
constexpr double kP0Percent = 10132500.0;         // 101325 x 100
constexpr double kG = 9.81;
}  // namespace

double get_et(double t) { return kE0 * std::exp(-(1 / t - kInvT0) * kLatentHeat / kRVapour); }

double get_s(double t) {
  const double e = get_et(t);
  return kEpsilon * e / (kP0 - kOneMinusEpsilon * e);
}

double get_r(double t) { return kRDry * (1 + kVirtual * get_s(t)); }

double get_qe(double rh, double t) { return kEpsilon * get_et(t) * rh / kP0Percent; }

double get_m(double v, double r, double t) { return v * kP0 / (r * t); }

double get_tch(double t1, double vol1, double vol2, double t2) {
  const double m1 = get_m(vol1, get_r(t1), t1);
  const double m2 = get_m(vol2, get_r(t2), t2);
  return (t2 * m2 + t1 * m1) / (m1 + m2);
}

double get_w(double v, double d) { return 4 * v / (d * d * kPi); }

double buoyancy_flux(double t_a, double rh_a, double t1, double d, double vol1, double f,
                     double vol2, double t2) {
  const double t_ch = get_tch(t1, vol1, vol2, t2);
  const double w = get_w(vol1 + vol2, d);
  const double q_ch = kEpsilon * 100 * get_et(t_ch) / kP0Percent;
  const double q_a = get_qe(rh_a, t_a);
  return kG * w * (d * d) * 0.25 *
         ((1 - t_a / t_ch) + (kLatentHeat * f / (t_ch * kCp) + kVirtual) * (q_ch - q_a));
}

}  // namespace kadre

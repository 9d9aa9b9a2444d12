#pragma once
// The textbook ground-reflected Gaussian plume, written from its definition and not from the
// model's code: the independent reference of the model and whole-run tests.
#include <cmath>

namespace kadre::test {

inline constexpr double kPi = 3.141592653589793;

// Concentration [ug/m3] of m [g/s] released at height H, at a point zr high that lies x away
// at lambda degrees off the plume axis, wind u, sigma = a xs^b. A lid zl > 0 above the ground
// adds the image of the source above it.
inline double textbook_plume(double m, double x, double lambda, double ay, double by, double az,
                             double bz, double u, double H, double zr, double zl = -1) {
  const double a = lambda * kPi / 180.0;
  const double xs = x * std::cos(a), ys = x * std::sin(a);
  const double sy = ay * std::pow(xs, by), sz = az * std::pow(xs, bz);
  const auto g = [sz](double d) { return std::exp(-d * d / (2 * sz * sz)); };
  double vertical = g(zr - H) + g(zr + H);
  if (zl > 0) vertical += g(zr + H - 2 * zl);
  return 1e6 * m / (2 * kPi * sy * sz * u) * std::exp(-ys * ys / (2 * sy * sy)) * vertical;
}

}  // namespace kadre::test

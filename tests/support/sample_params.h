#pragma once
// The values of examples/param.nml that the whole-program tests need to compute expected
// concentrations independently: the 1-hour dispersion set and the wind-profile exponents,
// stability classes 1..5 at positions 0..4.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "support/textbook_plume.h"

namespace kadre::test::sample {

constexpr double kAy[5] = {0.0709, 0.105, 0.142, 0.217, 0.325};
constexpr double kBy[5] = {0.894, 0.894, 0.894, 0.894, 0.894};
constexpr double kAz[5] = {0.0864, 0.211, 0.222, 0.1128, 0.0381};
constexpr double kBz[5] = {0.74, 0.678, 0.725, 0.911, 1.149};
constexpr double kUp[5] = {0.5, 0.4, 0.28, 0.21, 0.14};
constexpr double kLimit = 40.0;  // uhel_limit_b

// The textbook plume of a stack of m [g/s] and h [m] without rise, x [m] from the point at
// lambda degrees off the axis (0 beyond the sector), class s (1..5), wind u measured at
// u_height; a lid zl > 0 above the ground adds its image.
inline double plume(double m, double h, double x, int s, double u, double u_height, double lambda,
                    double zr = 1.5, double zl = -1) {
  if (lambda > kLimit) return 0.0;
  const int i = s - 1;
  const double u_ef = u * std::pow(std::clamp(h, 10.0, 200.0) / u_height, kUp[i]);
  return textbook_plume(m, x, lambda, kAy[i], kBy[i], kAz[i], kBz[i], u_ef, h, zr, zl);
}

// The text of a value in the result files, for exponents of two digits.
inline std::string es(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.5E", v);
  return b;
}

}  // namespace kadre::test::sample

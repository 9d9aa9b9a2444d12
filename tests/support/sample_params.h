#pragma once
// The values of examples/param.nml that the whole-program tests need to compute expected
// concentrations independently: the 1-hour dispersion set and the wind-profile exponents,
// stability classes 1..5 at positions 0..4.

namespace kadre::test::sample {

constexpr double kAy[5] = {0.0709, 0.105, 0.142, 0.217, 0.325};
constexpr double kBy[5] = {0.894, 0.894, 0.894, 0.894, 0.894};
constexpr double kAz[5] = {0.0864, 0.211, 0.222, 0.1128, 0.0381};
constexpr double kBz[5] = {0.74, 0.678, 0.725, 0.911, 1.149};
constexpr double kUp[5] = {0.5, 0.4, 0.28, 0.21, 0.14};
constexpr double kLimit = 40.0;  // uhel_limit_b
constexpr double kPi = 3.141592653589793;

}  // namespace kadre::test::sample

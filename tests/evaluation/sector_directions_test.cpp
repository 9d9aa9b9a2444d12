// The direction window of the plume sector must visit exactly the directions that pass the
// exact sector test, with the same phi and lambda, whatever the axis, step and limit.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "evaluation/wind_rose_evaluation.h"

namespace kadre {
namespace {

void expect_same(double phi_step, double d, double limit) {
  const int nphi = static_cast<int>(std::trunc(360.0 / phi_step));
  std::vector<std::tuple<int, double, double>> brute_force, windowed;
  for (int k = 1; k <= nphi; ++k) {
    const double phi = (k - 1) * phi_step;
    const double lambda = std::fmod(std::fabs(phi - d), 360.0);
    if (lambda <= limit || lambda >= 360.0 - limit) brute_force.emplace_back(k, phi, lambda);
  }
  for_each_direction_in_sector(nphi, phi_step, d, limit, [&](int k, double phi, double lambda) {
    windowed.emplace_back(k, phi, lambda);
  });
  EXPECT_EQ(windowed, brute_force) << "phi_step " << phi_step << " d " << d << " limit " << limit;
}

TEST(SectorDirections, EdgeAndRandomCasesMatchTheExactTest) {
  for (double step : {1.0, 0.7, 7.0, 0.5, 10.0, 360.0 / 7, 13.3, 200.0, 360.0, 0.01})
    for (double d : {0.0, 360.0, -360.0, 720.0, 359.5, -0.5, 364.9, 1e-12, -1e-12, 359.999999999,
                     1080.25, -1999.3})
      for (double limit : {0.0, 89.9, 0.5, 40.0, 1e-9}) expect_same(step, d, limit);
  // Axes exactly limit away from a direction put lambda on the edge of the test.
  for (double step : {1.0, 0.7, 7.0, 0.25})
    for (double limit : {0.0, 0.5, 3.5, 40.0})
      for (int k : {0, 1, 50, 100})
        for (double turn : {-360.0, 0.0, 360.0})
          for (double sign : {-1.0, 1.0}) expect_same(step, k * step + sign * limit + turn, limit);
  // Far turned axes and unusable limits: every direction gets the exact test.
  for (double d : {1e7 + 0.3, -3e9, 1e15 + 0.5, 4e16, 1e300}) expect_same(0.7, d, 40.0);
  for (double limit : {-1.0, std::nan(""), 180.0, 2000.0}) expect_same(1.0, 10.0, limit);
  expect_same(1.0, std::nan(""), 40);
  // Random steps, axes (a third on a direction) and limits.
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> step_dist(0.05, 60.0), axis_dist(-2000.0, 2000.0),
      limit_dist(0.0, 90.0), unit(0.0, 1.0);
  for (int n = 0; n < 20000 && !HasFailure(); ++n) {
    const double step =
        unit(rng) < 0.3 ? std::round(step_dist(rng) * 10) / 10 + 0.1 : step_dist(rng);
    double d = axis_dist(rng);
    if (unit(rng) < 0.3) d = std::round(d / step) * step;
    const double limit = unit(rng) < 0.2 ? std::round(limit_dist(rng)) : limit_dist(rng);
    expect_same(step, d, limit);
  }
}

}  // namespace
}  // namespace kadre

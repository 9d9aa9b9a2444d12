// The kernels' exponential and logarithm against the C library's, lane by lane, over their
// ranges and at the edges where they hand over to Highway's functions or give NaN; on every
// instruction set built that the processor has (AVX-512 has an exponential of its own).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "model/vector_math_test.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <gtest/gtest.h>
#include <hwy/highway.h>
#include <hwy/tests/hwy_gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "model/vector_math-inl.h"

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {
namespace {

using D = hn::ScalableTag<double>;

// f applied to xs a vector at a time (the last one padded with the first value).
template <class F>
std::vector<double> lane_by_lane(const std::vector<double>& xs, F f) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  std::vector<double> in(xs), out(xs.size() + lanes);
  in.resize(xs.size() + lanes, xs.front());
  for (std::size_t i = 0; i < xs.size(); i += lanes)
    hn::StoreU(f(d, hn::LoadU(d, in.data() + i)), d, out.data() + i);
  out.resize(xs.size());
  return out;
}

// Within two units in the last place (or both the same non-finite value or zero).
void expect_close(double got, double want, double x) {
  if (!std::isfinite(want) || want == 0) {
    if (std::isnan(want))
      EXPECT_TRUE(std::isnan(got)) << "x = " << x;
    else
      EXPECT_EQ(got, want) << "x = " << x;
    return;
  }
  EXPECT_LE(std::fabs(got - want), 2 * std::fabs(want) * DBL_EPSILON) << "x = " << x;
}

// (A NaN lane gets what Highway's Exp gives it, not NaN: the kernels take such lanes out by
// their range tests before any result is decided.)
void ExponentialOverItsRangeAndAtTheHandOver() {
  std::vector<double> xs = {0.0,
                            -0.0,
                            1.0,
                            -1.0,
                            0.5 * M_LN2,
                            -0.5 * M_LN2,
                            -708.0,
                            709.0,
                            -708.5,
                            709.5,
                            -745.0,
                            -1000.0,
                            710.0,
                            1e-300,
                            -1e-300,
                            1e-17,
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> any(-708.0, 709.0), near(-2.0, 2.0);
  for (int i = 0; i < 20000; ++i) xs.push_back(i % 2 ? any(rng) : near(rng));
  const std::vector<double> got =
      lane_by_lane(xs, [](D d, hn::Vec<D> x) { return vector_exp(d, x); });
  for (std::size_t i = 0; i < xs.size(); ++i) {
    // Below -708 results leave the normal range: Highway's Exp, good to the subnormals' grain.
    if (xs[i] < -708.0 && xs[i] >= -745.0)
      EXPECT_LE(std::fabs(got[i] - std::exp(xs[i])), 4 * std::exp(-708.0) * DBL_EPSILON) << xs[i];
    else if (xs[i] > -1000.0)
      expect_close(got[i], std::exp(xs[i]), xs[i]);
  }
}

void LogarithmOfNormalNumbersAndNaNForAnyOther() {
  std::vector<double> xs = {1.0,
                            2.0,
                            0.5,
                            M_SQRT2,
                            M_SQRT1_2,
                            DBL_MIN,
                            DBL_MAX,
                            1e-300,
                            1e300,
                            1.0 + DBL_EPSILON,
                            1.0 - DBL_EPSILON / 2};
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> exponent(-300.0, 300.0), mantissa(0.5, 2.0);
  for (int i = 0; i < 20000; ++i) xs.push_back(mantissa(rng) * std::pow(10.0, exponent(rng)));
  const std::vector<double> got =
      lane_by_lane(xs, [](D d, hn::Vec<D> x) { return vector_log(d, x); });
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double want = std::log(xs[i]);
    // Near 1 the logarithm is small: its error is absolute there.
    EXPECT_LE(std::fabs(got[i] - want), 2 * std::max(std::fabs(want), 1.0) * DBL_EPSILON)
        << "x = " << xs[i];
  }
  const std::vector<double> outside = {0.0,
                                       -0.0,
                                       -1.0,
                                       DBL_MIN / 4,
                                       std::numeric_limits<double>::infinity(),
                                       std::numeric_limits<double>::quiet_NaN()};
  for (const double v : lane_by_lane(outside, [](D d, hn::Vec<D> x) { return vector_log(d, x); }))
    EXPECT_TRUE(std::isnan(v));
}

}  // namespace
}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kadre {
namespace {
HWY_BEFORE_TEST(VectorMath);
HWY_EXPORT_AND_TEST_P(VectorMath, ExponentialOverItsRangeAndAtTheHandOver);
HWY_EXPORT_AND_TEST_P(VectorMath, LogarithmOfNormalNumbersAndNaNForAnyOther);
}  // namespace
}  // namespace kadre
#endif

// The steps the vector kernels share (rose_kernel.cpp, hourly_kernel.cpp, wind_kernel.cpp),
// compiled once per instruction set with each of them. The scalar formula each step
// reproduces is named at the step.

// Included again for every target by foreach_target.h: the guard toggles with the target.
#if defined(KADRE_MODEL_VECTOR_KERNEL_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef KADRE_MODEL_VECTOR_KERNEL_INL_H_
#undef KADRE_MODEL_VECTOR_KERNEL_INL_H_
#else
#define KADRE_MODEL_VECTOR_KERNEL_INL_H_
#endif

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/math_constants.h"
#include "model/vector_math-inl.h"
#include "model/vector_path.h"

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
using M = hn::Mask<D>;
static_assert(hn::MaxLanes(D()) <= kKernelPadding, "the arrays' padding must hold a whole vector");

// Results below this (zero included) are left to the scalar formulas: near and below the
// smallest normal number the vector formulas round otherwise, and an exponential that
// underflows to zero here may leave a tiny value there. Unless it is sure to be zero there
// too: see decided_result.
constexpr double kSmallest = 1e-280;

// Highway's exp holds up to an argument of 706; larger ones (and NaN) are left to the scalar
// formulas, which overflow to infinity where the vector formulas would not.
constexpr double kLargestExponent = 700;

HWY_INLINE M exp_in_range(V x) { return hn::Le(x, hn::Set(D(), kLargestExponent)); }

// Within the normal range [DBL_MIN, DBL_MAX] (not NaN).
HWY_INLINE M normal(V x) {
  const D d;
  return hn::And(hn::Ge(x, hn::Set(d, DBL_MIN)), hn::Le(x, hn::Set(d, DBL_MAX)));
}

// The number of lanes of a vector starting at `first` that lie before `end`.
HWY_INLINE int valid_lanes(int first, int end) {
  const int lanes = static_cast<int>(hn::Lanes(D()));
  return end - first < lanes ? end - first : lanes;
}

// Lists first + lane for every lane of `left` below valid in `to`; returns their number.
HWY_INLINE int list_lanes(M left, int first, int valid, int* to) {
  const D d;
  if (hn::AllFalse(d, left)) return 0;
  alignas(64) double flags[HWY_MAX_BYTES / sizeof(double)];
  hn::Store(hn::VecFromMask(d, left), d, flags);
  int n = 0;
  for (int lane = 0; lane < valid; ++lane) {
    std::uint64_t bits;
    std::memcpy(&bits, &flags[lane], sizeof bits);
    if (bits != 0) to[n++] = first + lane;
  }
  return n;
}

// --- The sector (get_lambda, in_sector) ---

// The angle to the axis |phi - axis| mod 360 from t = |phi - axis|, as get_lambda takes it
// below two turns; beyond, the caller turns to get_lambda's fmod.
HWY_INLINE V angle_below_two_turns(V t) {
  const V turn = hn::Set(D(), 360.0);
  return hn::IfThenElse(hn::Lt(t, turn), t, hn::Sub(t, turn));
}

HWY_INLINE M below_two_turns(V t) { return hn::Lt(t, hn::Set(D(), 720.0)); }

// The angles within the half-angle limit of the axis (in_sector), from the broadcasts of
// limit and of 360 - limit (made before the loop: the compiler does not hoist the subtraction).
HWY_INLINE M within_sector(V lambda, V limit, V turn_minus_limit) {
  return hn::Or(hn::Le(lambda, limit), hn::Ge(lambda, turn_minus_limit));
}

// --- The geometry of a direction (evaluate_gauss, get_sgm) ---

// cos lambda of the angle to the axis in degrees (evaluate_gauss: a = lambda pi / 180).
HWY_INLINE V cos_to_axis(V lambda) {
  const D d;
  return hn::Cos(d, hn::Mul(lambda, hn::Set(d, kPi / 180)));
}

// The downwind distance xs = x cos a (evaluate_gauss).
HWY_INLINE V downwind_distance(V x, V cos_a) { return hn::Mul(x, cos_a); }

// The crosswind distance enters only as its square: ys^2 = x^2 (1 - cos a)(1 + cos a), without
// the sine (evaluate_gauss: ys = x sin a).
HWY_INLINE V crosswind_squared(V x2, V cos_a) {
  const V one = hn::Set(D(), 1.0);
  return hn::Mul(x2, hn::Mul(hn::Sub(one, cos_a), hn::Add(one, cos_a)));
}

// A spread a xs^b + s0 from the power's argument b log xs (get_sgm: a pow(xs, b) + s0). A power
// beyond the range of exp gives no number, so that the spread is not positive and the lane
// goes to the scalar formulas (geometry_exact).
HWY_INLINE V power_law_spread(V a, V power_arg, V s0) {
  const D d;
  const V spread = hn::Add(hn::Mul(a, vector_exp(d, power_arg)), s0);
  return hn::IfThenElse(exp_in_range(power_arg), spread,
                        hn::Set(d, std::numeric_limits<double>::quiet_NaN()));
}

// 2 sy^2 and 2 sz^2, and one division for both quotients of the plume factor
// (gauss_plume_factor divides by each): inverse = 1 / (2 sy^2 x 2 sz^2).
struct Quotients {
  V two_sy2, two_sz2, product, inverse;
};

HWY_INLINE Quotients quotients(V sigma_y, V sigma_z) {
  const D d;
  const V two = hn::Set(d, 2.0);
  Quotients q;
  q.two_sy2 = hn::Mul(two, hn::Mul(sigma_y, sigma_y));
  q.two_sz2 = hn::Mul(two, hn::Mul(sigma_z, sigma_z));
  q.product = hn::Mul(q.two_sy2, q.two_sz2);
  q.inverse = hn::Div(hn::Set(d, 1.0), q.product);
  return q;
}

// -ys^2 / (2 sy^2), the crosswind exponent.
HWY_INLINE V crosswind_exponent(V ys2, const Quotients& q) {
  return hn::Mul(hn::Neg(ys2), hn::Mul(q.two_sz2, q.inverse));
}

// 1 / (2 sz^2), the factor of the vertical exponents.
HWY_INLINE V inv_two_sz2(const Quotients& q) { return hn::Mul(q.two_sy2, q.inverse); }

// 2 pi sy sz, of the plume factor's denominator 2 pi sy sz u_ef + v.
HWY_INLINE V two_pi_sy_sz(V sigma_y, V sigma_z) {
  return hn::Mul(hn::Mul(hn::Set(D(), 2 * kPi), sigma_y), sigma_z);
}

// The lanes whose geometry the vector formulas give as the scalar ones do, but for roundings.
HWY_INLINE M geometry_exact(V xs, V x2, V sigma_y, V sigma_z, const Quotients& q) {
  const D d;
  // The scalar formulas decide distances at or below the smallest normal number.
  const M distance_normal = normal(xs);
  // Not positive: a spread of zero (gauss_plume_factor's 0 for 0/0) or a power beyond range.
  const M spreads_positive = hn::And(hn::Gt(sigma_y, hn::Zero(d)), hn::Gt(sigma_z, hn::Zero(d)));
  // The single division must not leave the normal range where the two would not.
  const M quotients_normal = normal(q.product);
  // ys^2 = x^2 (1 - cos^2) has an error of some units in the last place of x^2; divided by
  // 2 sy^2 it is an absolute error of the exponent. Where x^2 / (2 sy^2) exceeds 1e4 (a
  // crosswind spread below a hundredth of the distance) that error could pass 1e-11.
  const M crosswind_exact = hn::Le(hn::Mul(x2, hn::Mul(q.two_sz2, q.inverse)), hn::Set(d, 1e4));
  return hn::And(hn::And(distance_normal, spreads_positive),
                 hn::And(quotients_normal, crosswind_exact));
}

// 2 pi sy sz u_ef + v, the denominator of the plume factor's prefactor 1e6 kh / (...).
HWY_INLINE V plume_denominator(V two_pi_sy_sz, V u_ef, V v) {
  return hn::Add(hn::Mul(two_pi_sy_sz, u_ef), v);
}

// --- The vertical sum (gauss_plume_factor) ---

// exp(-d1^2 w) + (1 - theta) exp(-d2^2 w) + theta exp(-d3^2 w), w = 1 / (2 sz^2), with the
// terms' factors a_k = -d_k^2; `argument` turns a_k into the argument of its exponential
// (a_k w, or a_k w plus the exponent of the factors before the sum when they are taken in one
// exponential). Without `third` (theta = 0) the third term is skipped, as the scalar formula
// skips it; where -d3^2 equals -d2^2 in every lane (at or below the source's base the
// terrain's image is the ground's) the third exponential is the second. (1 - theta is formed
// here, before the loops: the compiler does not hoist arithmetic out of a loop of exponentials.)
struct VerticalTerms {
  double theta = 0, reflected = 1;  // theta and 1 - theta
  bool third = false, third_like_second = false;
  VerticalTerms(double theta_, bool third_, bool third_like_second_)
      : theta(theta_),
        reflected(1 - theta_),
        third(third_),
        third_like_second(third_like_second_) {}
};

template <class Argument>
HWY_INLINE V vertical_sum(const VerticalTerms& t, V a1, V a2, V a3, Argument argument) {
  const D d;
  const V second = vector_exp(d, argument(a2));
  V sum = hn::Add(vector_exp(d, argument(a1)), hn::Mul(hn::Set(d, t.reflected), second));
  if (t.third)
    sum = hn::Add(sum, hn::Mul(hn::Set(d, t.theta),
                               t.third_like_second ? second : vector_exp(d, argument(a3))));
  return sum;
}

// The largest argument a_k w of the sum's exponentials (for decided_result).
HWY_INLINE V largest_vertical_exponent(const VerticalTerms& t, V a1, V a2, V a3, V w) {
  V largest = hn::Max(hn::Mul(a1, w), hn::Mul(a2, w));
  if (t.third) largest = hn::Max(largest, hn::Mul(a3, w));
  return largest;
}

// --- The emission (evaluate_gauss, converted_emission, fac_no) ---

// m + m_no x 0.9f (1 - e^(xs decay)), decay = -k_p / u_ef, when the second emission is
// converted; m + m_no x 0 otherwise.
struct Emission {
  double m = 0, m_no = 0, unconverted = 0;
  bool convert_no = false, converted = false;
  Emission(bool convert_no_, double m_, double m_no_)
      : m(m_),
        m_no(m_no_),
        unconverted(m_ + m_no_ * 0.0),
        convert_no(convert_no_),
        converted(convert_no_ && m_no_ != 0) {}
};

// The emission at downwind distance xs; clears the lanes of in_range whose conversion lies
// beyond the range of exp, with m_no = 0 too (the scalar formulas give 0 x inf there).
HWY_INLINE V emission_at(const Emission& e, V xs, V decay, M& in_range) {
  const D d;
  const V unconverted = hn::Set(d, e.unconverted);
  if (!e.convert_no) return unconverted;
  const V decay_arg = hn::Mul(xs, decay);
  in_range = hn::And(in_range, exp_in_range(decay_arg));
  if (!e.converted) return unconverted;
  const V fac_no = hn::Mul(hn::Set(d, static_cast<double>(0.9f)),
                           hn::Sub(hn::Set(d, 1.0), vector_exp(d, decay_arg)));
  return hn::Add(hn::Set(d, e.m), hn::Mul(hn::Set(d, e.m_no), fac_no));
}

// --- Which results are decided ---

// The lanes of a finite result c the vector formulas decide: c at or above kSmallest, or
// below it where even the largest exponent of the plume's exponentials (largest()) with the
// factor before them (factor(): the plume factor's prefactor times the emission) leaves the
// true value below e^-760, far below the smallest subnormal number, so that the scalar
// formulas give zero too; such a result becomes a zero of c's sign. The two are computed only
// where a result is that small.
template <class Factor, class Largest>
HWY_INLINE M decided_result(V& c, Factor factor_of, Largest largest_of, M finite) {
  const D d;
  const M tiny = hn::And(finite, hn::Lt(hn::Abs(c), hn::Set(d, kSmallest)));
  if (hn::AllFalse(d, tiny)) return finite;
  const V size = hn::Abs(factor_of());
  const V largest = largest_of();
  // Most tiny results come from exponents far below -760: with a factor below 1e30 (e^69)
  // they need no logarithm.
  const M far_below =
      hn::And(tiny, hn::And(hn::Lt(largest, hn::Set(d, -830.0)), hn::Lt(size, hn::Set(d, 1e30))));
  if (hn::AllTrue(d, hn::Or(far_below, hn::Not(tiny)))) {
    c = hn::IfThenElse(far_below, hn::Mul(c, hn::Zero(d)), c);
    return finite;
  }
  const M measurable = hn::Ge(size, hn::Set(d, DBL_MIN));
  const V bound = hn::Add(hn::Log(d, hn::IfThenElse(measurable, size, hn::Set(d, 1.0))), largest);
  const M surely_zero =
      hn::Or(hn::Eq(size, hn::Zero(d)), hn::And(measurable, hn::Lt(bound, hn::Set(d, -760.0))));
  const M zero = hn::And(tiny, surely_zero);
  c = hn::IfThenElse(zero, hn::Mul(c, hn::Zero(d)), c);
  return hn::AndNot(hn::AndNot(zero, tiny), finite);
}

}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#endif  // KADRE_MODEL_VECTOR_KERNEL_INL_H_

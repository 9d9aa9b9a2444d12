// The exponential and the logarithm of the vector kernels, compiled once per instruction set
// with each of them. The polynomials are Highway's; what differs is the way in and out of the
// floating-point exponent: the integer part of x / ln 2 is read from the bits of a sum with
// 1.5 x 2^52 and the exponent of the logarithm's argument is turned into a double the same
// way, with no conversion between 64-bit integers and doubles (instructions AVX2 does not
// have, which Highway's functions emulate with a dozen), and 2^n goes into the result's bits
// with one addition where the result is a normal number.

// Included again for every target by foreach_target.h: the guard toggles with the target.
#if defined(KADRE_MODEL_VECTOR_MATH_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef KADRE_MODEL_VECTOR_MATH_INL_H_
#undef KADRE_MODEL_VECTOR_MATH_INL_H_
#else
#define KADRE_MODEL_VECTOR_MATH_INL_H_
#endif

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include <cfloat>
#include <cstdint>
#include <limits>

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// e^x. Where every lane lies in [-708, 708] (results normal numbers) in about two thirds of
// Highway's instructions, with the same polynomial; other vectors (subnormal, infinite or
// NaN results) through Highway's Exp, so that every lane is as Highway gives it but for the
// rounding of the reduced argument.
template <class D>
HWY_INLINE hn::Vec<D> vector_exp(D d, hn::Vec<D> x) {
  using V = hn::Vec<D>;
  const hn::RebindToSigned<D> di;
  // One comparison of |x| (a bit mask) instead of two of x.
  if (!hn::AllTrue(d, hn::Le(hn::Abs(x), hn::Set(d, 708.0)))) return hn::Exp(d, x);
  // t = n + 1.5 x 2^52, n = x / ln 2 rounded to the nearest integer, which t's low bits hold.
  const V shifter = hn::Set(d, 6755399441055744.0);
  const V t = hn::MulAdd(x, hn::Set(d, 1.442695040888963407359924681), shifter);
  const V n = hn::Sub(t, shifter);
  // x - n ln 2 in two parts (Highway's), |r| <= ln 2 / 2.
  V r = hn::MulAdd(n, hn::Set(d, -0.6931471805596629565116018), x);
  r = hn::MulAdd(n, hn::Set(d, -0.28235290563031577122588448175e-12), r);
  const V p = hn::Add(hn::impl::ExpImpl<double>().ExpPoly(d, r), hn::Set(d, 1.0));
  const auto n_bits = hn::Sub(hn::BitCast(di, t), hn::BitCast(di, shifter));
  return hn::BitCast(d, hn::Add(hn::BitCast(di, p), hn::ShiftLeft<52>(n_bits)));
}

// log x for x a positive normal number (Highway's Log but for subnormal arguments, with its
// polynomial); NaN for any other x.
template <class D>
HWY_INLINE hn::Vec<D> vector_log(D d, hn::Vec<D> x) {
  using V = hn::Vec<D>;
  const hn::RebindToSigned<D> di;
  const hn::RebindToUnsigned<D> du;
  const V one = hn::Set(d, 1.0);
  // x = 2^k y with y in [sqrt(2)/2, sqrt(2)): the exponent field of x moved by that of
  // sqrt(2)/2 gives k + 1023.
  const auto exp_bits =
      hn::Add(hn::BitCast(di, x), hn::Set(di, 0x3FF0000000000000LL - 0x3FE6A09E00000000LL));
  // k as a double: k + 1023 (below 2^11) in the low bits of 2^52.
  const V biased = hn::BitCast(
      d, hn::Or(hn::ShiftRight<52>(hn::BitCast(du, exp_bits)), hn::Set(du, 0x4330000000000000ULL)));
  const V k = hn::Sub(biased, hn::Set(d, 4503599627370496.0 + 1023.0));
  const V y = hn::Or(hn::And(x, hn::BitCast(d, hn::Set(di, 0xFFFFFFFFLL))),
                     hn::BitCast(d, hn::Add(hn::And(exp_bits, hn::Set(di, 0xFFFFF00000000LL)),
                                            hn::Set(di, 0x3FE6A09E00000000LL))));
  const V ym1 = hn::Sub(y, one);
  const V z = hn::Div(ym1, hn::Add(y, one));
  const V ln2_hi = hn::Set(d, 0.693147180369123816490),
          ln2_lo = hn::Set(d, 1.90821492927058770002e-10);
  const V log =
      hn::MulSub(k, ln2_hi,
                 hn::Sub(hn::MulSub(z, hn::Sub(ym1, hn::impl::LogImpl<double>().LogPoly(d, z)),
                                    hn::Mul(k, ln2_lo)),
                         ym1));
  const auto normal = hn::And(hn::Ge(x, hn::Set(d, DBL_MIN)), hn::Le(x, hn::Set(d, DBL_MAX)));
  return hn::IfThenElse(normal, log, hn::Set(d, std::numeric_limits<double>::quiet_NaN()));
}

}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#endif  // KADRE_MODEL_VECTOR_MATH_INL_H_

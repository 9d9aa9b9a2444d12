// The exponential and the logarithm of the vector kernels, compiled once per instruction set
// with each of them. The logarithm's polynomial is Highway's, and so is the exponential's but
// on AVX-512; what differs is the way in and out of the floating-point exponent: the integer
// part of x / ln 2 is read from the bits of a sum with 1.5 x 2^52 and the exponent of the
// logarithm's argument is turned into a double the same way, with no conversion between 64-bit
// integers and doubles (instructions AVX2 does not have, which Highway's functions emulate
// with a dozen), and 2^n goes into the result's bits with one addition where the result is a
// normal number. On AVX-512 one instruction looks up 2^(j/16) in a table of sixteen, so that
// the reduced argument is sixteen times smaller and a polynomial of degree 6 takes the place of
// Highway's of degree 12: an exponential takes a quarter fewer instructions.

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

// Defined anew for each target.
#undef KADRE_EXP_BY_TABLE
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
#define KADRE_EXP_BY_TABLE 1
// 2^(j/16), j = 0..15, each the double nearest to it.
alignas(64) inline constexpr double kExp2Sixteenths[16] = {
    0x1.0000000000000p+0, 0x1.0b5586cf9890fp+0, 0x1.172b83c7d517bp+0, 0x1.2387a6e756238p+0,
    0x1.306fe0a31b715p+0, 0x1.3dea64c123422p+0, 0x1.4bfdad5362a27p+0, 0x1.5ab07dd485429p+0,
    0x1.6a09e667f3bcdp+0, 0x1.7a11473eb0187p+0, 0x1.8ace5422aa0dbp+0, 0x1.9c49182a3f090p+0,
    0x1.ae89f995ad3adp+0, 0x1.c199bdd85529cp+0, 0x1.d5818dcfba487p+0, 0x1.ea4afa2a490dap+0};
#else
#define KADRE_EXP_BY_TABLE 0
#endif

// e^x. Where every lane lies in [-708, 708] (results normal numbers) in about two thirds of
// Highway's instructions (on AVX-512 a half); other vectors (subnormal, infinite or NaN
// results) through Highway's Exp, so that every lane is as Highway gives it but for the
// rounding of the reduced argument.
template <class D>
HWY_INLINE hn::Vec<D> vector_exp(D d, hn::Vec<D> x) {
  using V = hn::Vec<D>;
  const hn::RebindToSigned<D> di;
  // One comparison of |x| (a bit mask) instead of two of x.
  if (!hn::AllTrue(d, hn::Le(hn::Abs(x), hn::Set(d, 708.0)))) return hn::Exp(d, x);
  const V shifter = hn::Set(d, 6755399441055744.0);
#if KADRE_EXP_BY_TABLE
  // t = N + 1.5 x 2^52, N = 16 x / ln 2 rounded to the nearest integer, which t's low bits
  // hold: e^x = 2^k 2^(j/16) e^r with N = 16 k + j, j = N mod 16 (t's four lowest bits, which
  // is all of the index the table's instruction reads) and |r| <= ln 2 / 32.
  const V t = hn::MulAdd(x, hn::Set(d, 16 * 1.442695040888963407359924681), shifter);
  const V n = hn::Sub(t, shifter);
  V r = hn::MulAdd(n, hn::Set(d, -0.6931471805596629565116018 / 16), x);
  r = hn::MulAdd(n, hn::Set(d, -0.28235290563031577122588448175e-12 / 16), r);
  const auto t_bits = hn::BitCast(di, t);
  const V table = V{_mm512_permutex2var_pd(hn::Load(d, kExp2Sixteenths).raw, t_bits.raw,
                                           hn::Load(d, kExp2Sixteenths + 8).raw)};
  // e^r - 1 = r + r^2 q(r), q of degree 4 fitted to relative errors of e^r below 1.4e-17.
  const V r2 = hn::Mul(r, r);
  const V low = hn::MulAdd(hn::Set(d, 0.1666666666419194425365447), r,
                           hn::Set(d, 0.4999999999999988670637618));
  const V high = hn::MulAdd(hn::Set(d, 0.001388890640782074642442751), r2,
                            hn::MulAdd(hn::Set(d, 0.008333478150535576889004726), r,
                                       hn::Set(d, 0.0416666666731971649520512)));
  const V em1 = hn::MulAdd(hn::MulAdd(high, r2, low), r2, r);
  const V p = hn::MulAdd(table, em1, table);
  // 2^k into the exponent: N << 48 holds k from bit 52 up (1.5 x 2^52 has none of the low 16
  // bits set), once j is cleared from the bits below.
  const auto k_bits =
      hn::And(hn::ShiftLeft<48>(t_bits), hn::Set(di, static_cast<int64_t>(0xFFF0000000000000ULL)));
  return hn::BitCast(d, hn::Add(hn::BitCast(di, p), k_bits));
#else
  // t = n + 1.5 x 2^52, n = x / ln 2 rounded to the nearest integer, which t's low bits hold.
  const V t = hn::MulAdd(x, hn::Set(d, 1.442695040888963407359924681), shifter);
  const V n = hn::Sub(t, shifter);
  // x - n ln 2 in two parts (Highway's), |r| <= ln 2 / 2.
  V r = hn::MulAdd(n, hn::Set(d, -0.6931471805596629565116018), x);
  r = hn::MulAdd(n, hn::Set(d, -0.28235290563031577122588448175e-12), r);
  const V p = hn::Add(hn::impl::ExpImpl<double>().ExpPoly(d, r), hn::Set(d, 1.0));
  const auto n_bits = hn::Sub(hn::BitCast(di, t), hn::BitCast(di, shifter));
  return hn::BitCast(d, hn::Add(hn::BitCast(di, p), hn::ShiftLeft<52>(n_bits)));
#endif
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

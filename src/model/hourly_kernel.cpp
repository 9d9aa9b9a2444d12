// Compiled once per instruction set; the best one the processor has is chosen at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "model/hourly_kernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "model/hourly_kernel.h"
#include "model/vector_kernel-inl.h"

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {

// The initial spreads of a line source for the wind directions phi, as get_sgm0 gives them;
// `usable` clears the lanes the vector formulas cannot take (an angle of a turn or more, a
// length for the power outside the normal range).
HWY_INLINE void line_spreads(const HourBatch& b, V phi, V az, V bz, V& sy0, V& sz0, M& usable) {
  const D d;
  const V a = hn::Abs(hn::Sub(phi, hn::Set(d, b.azimuth)));
  const V quarter = hn::Set(d, 90.0), half = hn::Set(d, 180.0), three = hn::Set(d, 270.0),
          turn = hn::Set(d, 360.0);
  V folded = hn::Sub(turn, a);
  folded = hn::IfThenElse(hn::Lt(a, three), hn::Sub(a, half), folded);
  folded = hn::IfThenElse(hn::Lt(a, half), hn::Sub(half, a), folded);
  folded = hn::IfThenElse(hn::Lt(a, quarter), a, folded);
  const V a_r = hn::Mul(folded, hn::Set(d, kPi / 180));
  const V cos_r = hn::Cos(d, a_r), sin_r = hn::Sin(d, a_r);
  const V w = hn::Set(d, b.width), l = hn::Set(d, b.length);
  sy0 = hn::Div(hn::Add(hn::Mul(w, cos_r), hn::Mul(l, sin_r)), hn::Set(d, kSqrtTwoPi));
  // With the wind along a line of no width, W / sin is 0/0: the line's length counts.
  const V across = hn::Div(w, sin_r), along = hn::Div(l, cos_r);
  const V shorter = hn::IfThenElse(hn::Lt(along, across), along, across);
  const V half_d = hn::Mul(hn::IfThenElse(hn::IsNaN(across), along, shorter), hn::Set(d, 0.5));
  const V power_arg = hn::Mul(bz, hn::Log(d, half_d));
  const V power = hn::Exp(d, power_arg);
  sz0 =
      hn::Div(hn::Add(hn::Mul(hn::Mul(az, hn::Set(d, kSqrtHalfPi)), power), hn::Set(d, b.vert_ext)),
              hn::Set(d, kSqrtHalfPi));
  usable = hn::And(hn::And(hn::Lt(a, turn), exp_in_range(power_arg)), normal(half_d));
}

// Pass 1, as the rose's geometry: the downwind distance, the spreads, the quotients, the
// removal, and whether the vector formulas give them exactly.
void HourGeometry(HourBatch& b) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const V x = hn::Set(d, b.x), x2 = hn::Set(d, b.x * b.x);
  const V v = hn::Set(d, b.v);
  for (int i = 0; i < b.count; i += lanes) {
    const std::size_t at = static_cast<std::size_t>(i);
    const V cos_a = cos_to_axis(hn::LoadU(d, b.lambda.data() + at));
    const V xs = downwind_distance(x, cos_a);
    const V ys2 = crosswind_squared(x2, cos_a);
    const V log_xs = vector_log(d, xs);
    const V az = hn::LoadU(d, b.az.data() + at), bz = hn::LoadU(d, b.bz.data() + at);
    V sy0, sz0;
    M line_usable = hn::FirstN(d, static_cast<std::size_t>(lanes));
    if (b.line) {
      line_spreads(b, hn::LoadU(d, b.phi.data() + at), az, bz, sy0, sz0, line_usable);
    } else {
      sy0 = hn::LoadU(d, b.sy0.data() + at);
      sz0 = hn::LoadU(d, b.sz0.data() + at);
    }
    const V sigma_y = power_law_spread(hn::LoadU(d, b.ay.data() + at),
                                       hn::Mul(hn::LoadU(d, b.by.data() + at), log_xs), sy0);
    const V sigma_z = power_law_spread(az, hn::Mul(bz, log_xs), sz0);
    const Quotients q = quotients(sigma_y, sigma_z);
    const V u_ef = hn::LoadU(d, b.u_ef.data() + at);
    // As for the rose, the removal's exponential beyond the range on its own goes back to the
    // scalar formulas.
    const V removal_arg = hn::Mul(hn::LoadU(d, b.removal.data() + at), xs);
    const M exact = hn::And(geometry_exact(xs, x2, sigma_y, sigma_z, q),
                            hn::And(exp_in_range(removal_arg), line_usable));
    hn::StoreU(xs, d, b.downwind.data() + at);
    hn::StoreU(hn::Add(crosswind_exponent(ys2, q), removal_arg), d, b.shared_exponent.data() + at);
    hn::StoreU(inv_two_sz2(q), d, b.inv_two_sz2.data() + at);
    hn::StoreU(plume_denominator(two_pi_sy_sz(sigma_y, sigma_z), u_ef, v), d,
               b.plume_denominator.data() + at);
    hn::StoreU(hn::IfThenElseZero(exact, hn::Set(d, 1.0)), d, b.geometry_exact.data() + at);
  }
}

// Pass 2: the exponentials of the plume and of the conversion, the emission and which lanes
// are decided. kThird: whether the vertical sum has its third term (theta != 0), decided once
// for the batch rather than per vector.
template <bool kThird>
int DecideHours(HourBatch& b, double* out, int* undecided) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const VerticalTerms terms(b.theta, kThird, false);
  const Emission emission_of(b.convert_no, b.m, b.m_no);
  int n = 0;
  for (int i = 0; i < b.count; i += lanes) {
    const std::size_t at = static_cast<std::size_t>(i);
    const V xs = hn::LoadU(d, b.downwind.data() + at);
    const V exponent = hn::LoadU(d, b.shared_exponent.data() + at);
    const V w = hn::LoadU(d, b.inv_two_sz2.data() + at);
    const V h_ef = hn::LoadU(d, b.h_ef.data() + at);
    const V d1 = hn::Sub(hn::LoadU(d, b.z1.data() + at), h_ef);
    const V d2 = hn::Add(hn::LoadU(d, b.z2.data() + at), h_ef);
    const V a1 = hn::Neg(hn::Mul(d1, d1)), a2 = hn::Neg(hn::Mul(d2, d2));
    V a3 = a2;  // not read without the third term
    if (kThird) {
      const V d3 = hn::Sub(hn::LoadU(d, b.z3.data() + at), h_ef);
      a3 = hn::Neg(hn::Mul(d3, d3));
    }
    const V plume =
        vertical_sum(terms, a1, a2, a3, [&](V a) { return hn::Add(exponent, hn::Mul(a, w)); });
    const V prefactor = hn::Div(hn::Mul(hn::Set(d, 1e6), hn::LoadU(d, b.kh.data() + at)),
                                hn::LoadU(d, b.plume_denominator.data() + at));
    const V emis = hn::LoadU(d, b.emis.data() + at);
    V c = hn::Mul(hn::Mul(prefactor, plume), emis);
    M in_range = exp_in_range(exponent);
    const V emission = emission_at(emission_of, xs, hn::LoadU(d, b.decay.data() + at), in_range);
    c = hn::Mul(c, emission);
    const M decided = decided_result(
        c, [&] { return hn::Mul(hn::Mul(prefactor, emis), emission); },
        [&] { return hn::Add(exponent, largest_vertical_exponent(terms, a1, a2, a3, w)); },
        hn::And(in_range, hn::IsFinite(c)));
    const M exact =
        hn::And(hn::Gt(hn::LoadU(d, b.geometry_exact.data() + at), hn::Zero(d)), decided);
    hn::StoreU(c, d, out + at);
    const int valid = valid_lanes(i, b.count);
    n += list_lanes(hn::AndNot(exact, hn::FirstN(d, static_cast<std::size_t>(valid))), i, valid,
                    undecided + n);
  }
  return n;
}

// The hours of a batch: the formulas of the rose's directions with every parameter per lane.
int HourConcentrations(HourBatch& b, double* out, int* undecided) {
  HourGeometry(b);
  return b.theta != 0 ? DecideHours<true>(b, out, undecided)
                      : DecideHours<false>(b, out, undecided);
}

// Appends first + lane for every lane set in m to `to`, in ascending order; returns their
// number. (Through the mask's bits: a compressing store costs more on AVX2.)
HWY_INLINE int append_lanes(M m, int first, int* to) {
  const D d;
  std::uint8_t bytes[8] = {};
  hn::StoreMaskBits(d, m, bytes);
  std::uint64_t bits;
  std::memcpy(&bits, bytes, sizeof bits);
  int n = 0;
  for (; bits != 0; bits &= bits - 1) to[n++] = first + __builtin_ctzll(bits);
  return n;
}

HourLists ClassifyHours(const double* phi, const int* situation, const double* inversion,
                        const double* axis, double limit, int count, double* lambda, int* in_sector,
                        int* inverted, double* c_t) {
  static_assert(hn::MaxLanes(D()) <= 64, "a mask's bits fit in 64");
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const V low = hn::Set(d, limit), high = hn::Set(d, 360.0 - limit);
  HourLists lists;
  for (int i = 0; i < count; i += lanes) {
    const int valid = valid_lanes(i, count);
    const M valid_lanes_mask = hn::FirstN(d, static_cast<std::size_t>(valid));
    // The axes of the hours' situations through a buffer: a gather is a slow sequence on
    // AVX2 processors and no faster elsewhere.
    alignas(64) double axes[HWY_MAX_BYTES / sizeof(double)];
    for (int lane = 0; lane < lanes; ++lane) axes[lane] = axis[situation[i + lane]];
    const V axis_of = hn::Load(d, axes);
    const V t = hn::Abs(hn::Sub(hn::LoadU(d, phi + i), axis_of));
    V angle = angle_below_two_turns(t);
    hn::StoreU(angle, d, lambda + i);
    if (!hn::AllTrue(d, below_two_turns(t))) {
      // Beyond two turns, the lane takes get_lambda's fmod itself.
      for (int lane = 0; lane < valid; ++lane)
        if (!(std::fabs(phi[i + lane] - axis[situation[i + lane]]) < 720.0))
          lambda[i + lane] = std::fmod(std::fabs(phi[i + lane] - axis[situation[i + lane]]), 360.0);
      angle = hn::LoadU(d, lambda + i);
    }
    const M inverted_hour =
        hn::And(valid_lanes_mask, hn::Gt(hn::LoadU(d, inversion + i), hn::Zero(d)));
    const M within =
        hn::AndNot(inverted_hour, hn::And(valid_lanes_mask, within_sector(angle, low, high)));
    lists.inverted += append_lanes(inverted_hour, i, inverted + lists.inverted);
    lists.in_sector += append_lanes(within, i, in_sector + lists.in_sector);
    const M outside = hn::AndNot(hn::Or(inverted_hour, within), valid_lanes_mask);
    // c_t is not padded: a whole vector where it lies within, the other lanes written back as
    // they were (AVX2's masked store is a slow sequence on some processors).
    if (valid == lanes) {
      const V c = hn::LoadU(d, c_t + i);
      hn::StoreU(hn::IfThenElse(outside, hn::Add(c, hn::Zero(d)), c), d, c_t + i);
    } else {
      alignas(64) double flags[HWY_MAX_BYTES / sizeof(double)];
      hn::Store(hn::VecFromMask(d, outside), d, flags);
      for (int lane = 0; lane < valid; ++lane) {
        std::uint64_t bits;
        std::memcpy(&bits, &flags[lane], sizeof bits);
        if (bits != 0) c_t[i + lane] = c_t[i + lane] + 0.0;
      }
    }
  }
  return lists;
}

}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kadre {

HWY_EXPORT(HourConcentrations);
HWY_EXPORT(ClassifyHours);

int hour_concentrations(HourBatch& batch, double* out, int* undecided) {
  return HWY_DYNAMIC_DISPATCH(HourConcentrations)(batch, out, undecided);
}

HourLists classify_hours(const double* phi, const int* situation, const double* inversion,
                         const double* axis, double limit, int count, double* lambda,
                         int* in_sector, int* inverted, double* c_t) {
  return HWY_DYNAMIC_DISPATCH(ClassifyHours)(phi, situation, inversion, axis, limit, count, lambda,
                                             in_sector, inverted, c_t);
}

}  // namespace kadre
#endif

// Compiled once per instruction set; the best one the processor has is chosen at run time.
// Each stage is a loop over the vectors of a window whose iterations do not depend on each
// other, so that the processor overlaps the long chains of exp, log and cos.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "model/sector_kernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/math_constants.h"
#include "model/sector_kernel.h"

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
static_assert(hn::MaxLanes(D()) <= kKernelPadding, "the arrays' padding must hold a whole vector");

// The states of a direction in SectorGeometry::state (0: outside the sector).
constexpr double kDecided = 1, kUndecided = 2;

// Results below this (zero included) are left to the scalar formulas: near and below the
// smallest normal number the vector formulas round otherwise, and an exponential that
// underflows to zero here may leave a tiny value there. Unless it is sure to be zero there
// too: see decided_result.
constexpr double kSmallest = 1e-280;

// Highway's exp holds up to an argument of 706; larger ones (and NaN) are left to the scalar
// formulas, which overflow to infinity where the vector formulas would not.
constexpr double kLargestExponent = 700;

HWY_INLINE hn::Mask<D> exp_in_range(V x) { return hn::Le(x, hn::Set(D(), kLargestExponent)); }

// The crosswind distance enters as ys^2 = x^2 (1 - cos^2), whose error is some units in the
// last place of x^2; divided by 2 sy^2 it is an absolute error of the exponent. Where x^2 /
// (2 sy^2) exceeds 1e4 (a crosswind spread below a hundredth of the distance) that error could
// pass 1e-11, and the scalar formulas decide. (q = two_sz2 x inverse is 1 / (2 sy^2).)
HWY_INLINE hn::Mask<D> crosswind_exact(V x2, V two_sz2, V inverse) {
  return hn::Le(hn::Mul(x2, hn::Mul(two_sz2, inverse)), hn::Set(D(), 1e4));
}

// Lists first + lane for every lane of `left` below valid in `to`; returns their number.
template <class M>
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

// The lanes of a finite result c the vector formulas decide: c at or above kSmallest, or
// below it where even the largest exponent of the plume's exponentials (largest) with the
// factor before them (factor: the plume factor's prefactor times the emission) leaves the
// true value below e^-760, far below the smallest subnormal number, so that the scalar
// formulas give zero too; such a result becomes a zero of c's sign.
template <class M>
HWY_INLINE M decided_result(V& c, V factor, V largest, M finite) {
  const D d;
  const auto tiny = hn::And(finite, hn::Lt(hn::Abs(c), hn::Set(d, kSmallest)));
  if (hn::AllFalse(d, tiny)) return finite;
  const V size = hn::Abs(factor);
  // Most tiny results come from exponents far below -760: with a factor below 1e30 (e^69)
  // they need no logarithm.
  const auto far_below =
      hn::And(tiny, hn::And(hn::Lt(largest, hn::Set(d, -830.0)), hn::Lt(size, hn::Set(d, 1e30))));
  if (hn::AllTrue(d, hn::Or(far_below, hn::Not(tiny)))) {
    c = hn::IfThenElse(far_below, hn::Mul(c, hn::Zero(d)), c);
    return finite;
  }
  const auto measurable = hn::Ge(size, hn::Set(d, DBL_MIN));
  const V bound = hn::Add(hn::Log(d, hn::IfThenElse(measurable, size, hn::Set(d, 1.0))), largest);
  const auto zero = hn::And(tiny, hn::Or(hn::Eq(size, hn::Zero(d)),
                                         hn::And(measurable, hn::Lt(bound, hn::Set(d, -760.0)))));
  c = hn::IfThenElse(zero, hn::Mul(c, hn::Zero(d)), c);
  return hn::AndNot(hn::AndNot(zero, tiny), finite);
}

// The geometry of a window, in passes over its vectors: a pass holds one long chain (cos,
// log, the two powers, the division) and its iterations are independent, so that the
// processor overlaps them. The arrays are padded by a vector: whole vectors are stored.
// The formulas are those of the scalar kernels, rearranged for fewer divisions: every lane
// differs from the scalar result only by roundings.
void SectorGeometryOf(const SectorRun& r, SectorGeometry& g) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const int end = r.first + r.count;
  const V one = hn::Set(d, 1.0);
  const V two = hn::Set(d, 2.0);
  const V huge = hn::Set(d, DBL_MAX);
  const V tiny = hn::Set(d, DBL_MIN);
  // Pass 1: the sector and the downwind distance. Only the square of the crosswind distance
  // enters, from the cosine: ys^2 = x^2 (1 - cos^2).
  for (int i = r.first; i < end; i += lanes) {
    const V phi = hn::Mul(hn::Iota(d, static_cast<double>(i)), hn::Set(d, r.phi_step));
    // The angle to the axis as fmod gives it below two turns; beyond, the scalar formulas.
    const V t = hn::Abs(hn::Sub(phi, hn::Set(d, r.axis)));
    const V turn = hn::Set(d, 360.0);
    const V lambda = hn::IfThenElse(hn::Lt(t, turn), t, hn::Sub(t, turn));
    const auto in_sector =
        hn::Or(hn::Le(lambda, hn::Set(d, r.limit)), hn::Ge(lambda, hn::Set(d, 360.0 - r.limit)));
    const auto far = hn::Not(hn::Lt(t, hn::Set(d, 720.0)));
    const V state = hn::IfThenElse(far, hn::Set(d, kUndecided), hn::IfThenElseZero(in_sector, one));
    const V cos_a = hn::Cos(d, hn::Mul(lambda, hn::Set(d, kPi / 180)));
    hn::StoreU(state, d, g.state.data() + i);
    hn::StoreU(hn::Mul(hn::Set(d, r.x), cos_a), d, g.xs.data() + i);
    hn::StoreU(hn::Mul(hn::Set(d, r.x * r.x), hn::Mul(hn::Sub(one, cos_a), hn::Add(one, cos_a))), d,
               g.cross.data() + i);
  }
  // Pass 2: log xs (kept in inv_two_sz2 until pass 4).
  for (int i = r.first; i < end; i += lanes)
    hn::StoreU(hn::Log(d, hn::LoadU(d, g.xs.data() + i)), d, g.inv_two_sz2.data() + i);
  // Pass 3: the spreads (kept in sy_sz and vert until pass 4).
  for (int i = r.first; i < end; i += lanes) {
    V sy0, sz0;
    if (end - i >= lanes) {
      sy0 = r.sy0 ? hn::LoadU(d, r.sy0 + i) : hn::Set(d, r.sy0_all);
      sz0 = r.sz0 ? hn::LoadU(d, r.sz0 + i) : hn::Set(d, r.sz0_all);
    } else {
      // The last, partial vector: the spreads through a buffer (their arrays are not padded).
      alignas(64) double y0[HWY_MAX_BYTES / sizeof(double)] = {},
                                            z0[HWY_MAX_BYTES / sizeof(double)] = {};
      for (int lane = 0; lane < end - i; ++lane) {
        y0[lane] = r.sy0 ? r.sy0[i + lane] : r.sy0_all;
        z0[lane] = r.sz0 ? r.sz0[i + lane] : r.sz0_all;
      }
      sy0 = hn::Load(d, y0);
      sz0 = hn::Load(d, z0);
    }
    const V log_xs = hn::LoadU(d, g.inv_two_sz2.data() + i);
    // A power beyond the range of exp gives a spread that is no number: pass 4 leaves it to
    // the scalar formulas.
    const V y_arg = hn::Mul(hn::Set(d, r.by), log_xs), z_arg = hn::Mul(hn::Set(d, r.bz), log_xs);
    const V no_number = hn::Set(d, std::numeric_limits<double>::quiet_NaN());
    const V sigma_y = hn::Add(hn::Mul(hn::Set(d, r.ay), hn::Exp(d, y_arg)), sy0);
    const V sigma_z = hn::Add(hn::Mul(hn::Set(d, r.az), hn::Exp(d, z_arg)), sz0);
    hn::StoreU(hn::IfThenElse(exp_in_range(y_arg), sigma_y, no_number), d, g.sy_sz.data() + i);
    hn::StoreU(hn::IfThenElse(exp_in_range(z_arg), sigma_z, no_number), d, g.vert.data() + i);
  }
  const V x2 = hn::Set(d, r.x * r.x);
  // Pass 4: one division for the quotients, and the lanes the scalar formulas decide:
  // distances at or below the smallest normal number, spreads that are not positive, and
  // products outside the normal range.
  for (int i = r.first; i < end; i += lanes) {
    const V xs = hn::LoadU(d, g.xs.data() + i);
    const V sigma_y = hn::LoadU(d, g.sy_sz.data() + i);
    const V sigma_z = hn::LoadU(d, g.vert.data() + i);
    const V two_sy2 = hn::Mul(two, hn::Mul(sigma_y, sigma_y));
    const V two_sz2 = hn::Mul(two, hn::Mul(sigma_z, sigma_z));
    const V product = hn::Mul(two_sy2, two_sz2);
    const V inverse = hn::Div(one, product);
    const auto exact = hn::And(
        hn::And(hn::And(hn::Ge(xs, tiny), hn::Le(xs, huge)), crosswind_exact(x2, two_sz2, inverse)),
        hn::And(hn::And(hn::Gt(sigma_y, hn::Zero(d)), hn::Gt(sigma_z, hn::Zero(d))),
                hn::And(hn::Ge(product, tiny), hn::Le(product, huge))));
    const V state = hn::LoadU(d, g.state.data() + i);
    const auto inexact_in_sector = hn::AndNot(exact, hn::Eq(state, one));
    hn::StoreU(hn::IfThenElse(inexact_in_sector, hn::Set(d, kUndecided), state), d,
               g.state.data() + i);
    hn::StoreU(hn::Mul(hn::Neg(hn::LoadU(d, g.cross.data() + i)), hn::Mul(two_sz2, inverse)), d,
               g.cross.data() + i);
    hn::StoreU(hn::Mul(two_sy2, inverse), d, g.inv_two_sz2.data() + i);
    hn::StoreU(hn::Mul(hn::Mul(hn::Set(d, 2 * kPi), sigma_y), sigma_z), d, g.sy_sz.data() + i);
  }
  g.vert_key = SectorGeometry::VertKey{};
  g.last_key = SectorGeometry::VertKey{};
}

// The vertical sum exp(-d1^2 w) + (1 - theta) exp(-d2^2 w) + theta exp(-d3^2 w), w = 1 / (2 sz^2),
// of every direction of the window.
void vertical_sums(const SectorRun& r, const SectorGeometry::VertKey& key, SectorGeometry& g) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const V a1 = hn::Set(d, -(key.d1 * key.d1)), a2 = hn::Set(d, -(key.d2 * key.d2)),
          a3 = hn::Set(d, -(key.d3 * key.d3));
  const V reflected = hn::Set(d, 1 - key.theta), theta = hn::Set(d, key.theta);
  const bool third_like_second = key.d3 * key.d3 == key.d2 * key.d2;
  const int end = r.first + r.count;
  for (int i = r.first; i < end; i += lanes) {
    const V w = hn::LoadU(d, g.inv_two_sz2.data() + i);
    const V second = hn::Exp(d, hn::Mul(a2, w));
    V vert = hn::Add(hn::Exp(d, hn::Mul(a1, w)), hn::Mul(reflected, second));
    if (key.theta != 0)
      vert = hn::Add(vert, hn::Mul(theta, third_like_second ? second : hn::Exp(d, hn::Mul(a3, w))));
    hn::StoreU(vert, d, g.vert.data() + i);
  }
  g.vert_key = key;
}

int SectorConcentrations(const SectorRun& r, SectorGeometry& g, double* out, int* undecided) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const PlumeParams& p = r.p;
  const SectorGeometry::VertKey key{r.first,       r.count,       p.z1 - p.h_ef,
                                    p.z2 + p.h_ef, p.z3 - p.h_ef, r.theta};
  // Heights met a second time in a row keep their vertical sums; others go into the
  // exponentials of the plume factor directly, which spares one exponential per direction.
  bool kept = g.vert_key == key;
  if (!kept && g.last_key == key) {
    vertical_sums(r, key, g);
    kept = true;
  }
  g.last_key = key;
  const V a1 = hn::Set(d, -(key.d1 * key.d1)), a2 = hn::Set(d, -(key.d2 * key.d2)),
          a3 = hn::Set(d, -(key.d3 * key.d3));
  const V reflected = hn::Set(d, 1 - key.theta), theta = hn::Set(d, key.theta);
  // At or below the source's base the reflection at the terrain has the image of the ground's:
  // the third exponential equals the second.
  const bool third_like_second = key.d3 * key.d3 == key.d2 * key.d2;
  const V one = hn::Set(d, 1.0);
  const V u_ef = hn::Set(d, p.u_ef), v = hn::Set(d, r.v);
  const V source = hn::Set(d, 1e6 * p.kh);
  const V removal = hn::Set(d, -r.k_u / p.u_ef);
  const bool converted = r.convert_no && r.m_no != 0;
  const V decay_rate = hn::Set(d, -r.k_p / p.u_ef);
  const V m = hn::Set(d, r.m), m_no = hn::Set(d, r.m_no),
          nine_tenths = hn::Set(d, static_cast<double>(0.9f));
  const V emission_all = hn::Set(d, r.m + r.m_no * 0.0);
  const V decided_state = hn::Set(d, kDecided);
  int n = 0;
  const int end = r.first + r.count;
  // Pass 1: the plume's exponentials (kept in g.plume), a loop of its own so that the
  // constants of both passes need not share the registers.
  for (int i = r.first; i < end; i += lanes) {
    const V exponent =
        hn::Add(hn::LoadU(d, g.cross.data() + i), hn::Mul(removal, hn::LoadU(d, g.xs.data() + i)));
    V plume;
    if (kept) {
      plume = hn::Mul(hn::Exp(d, exponent), hn::LoadU(d, g.vert.data() + i));
    } else {
      const V w = hn::LoadU(d, g.inv_two_sz2.data() + i);
      const V second = hn::Exp(d, hn::Add(exponent, hn::Mul(a2, w)));
      plume = hn::Add(hn::Exp(d, hn::Add(exponent, hn::Mul(a1, w))), hn::Mul(reflected, second));
      if (key.theta != 0)
        plume = hn::Add(plume, hn::Mul(theta, third_like_second
                                                  ? second
                                                  : hn::Exp(d, hn::Add(exponent, hn::Mul(a3, w)))));
    }
    hn::StoreU(plume, d, g.plume.data() + i);
  }
  // Pass 2: the factor before them, the emission, and which lanes are decided.
  for (int i = r.first; i < end; i += lanes) {
    const int valid = end - i < lanes ? end - i : lanes;
    const auto lanes_mask = hn::FirstN(d, static_cast<std::size_t>(valid));
    const V state = hn::LoadU(d, g.state.data() + i);
    const V xs = hn::LoadU(d, g.xs.data() + i);
    const V spread = hn::Add(hn::Mul(hn::LoadU(d, g.sy_sz.data() + i), u_ef), v);
    const V removal_arg = hn::Mul(removal, xs);
    const V exponent = hn::Add(hn::LoadU(d, g.cross.data() + i), removal_arg);
    const V prefactor = hn::Div(source, spread);
    V c = hn::Mul(prefactor, hn::LoadU(d, g.plume.data() + i));
    V emission = emission_all;
    // The scalar formulas take the removal's exponential on its own: beyond the range it is
    // infinite there even where the crosswind term brings the sum back into it.
    auto in_range = hn::And(exp_in_range(exponent), exp_in_range(removal_arg));
    // Without the second emission too: the scalar formulas give 0 x inf beyond the range.
    if (r.convert_no) {
      const V decay_arg = hn::Mul(xs, decay_rate);
      in_range = hn::And(in_range, exp_in_range(decay_arg));
      if (converted)
        emission =
            hn::Add(m, hn::Mul(m_no, hn::Mul(nine_tenths, hn::Sub(one, hn::Exp(d, decay_arg)))));
    }
    c = hn::Mul(c, emission);
    const auto in_sector = hn::And(lanes_mask, hn::Eq(state, decided_state));
    const V w = hn::LoadU(d, g.inv_two_sz2.data() + i);
    V vertical = hn::Max(hn::Mul(a1, w), hn::Mul(a2, w));
    if (key.theta != 0) vertical = hn::Max(vertical, hn::Mul(a3, w));
    const auto finite = decided_result(c, hn::Mul(prefactor, emission), hn::Add(exponent, vertical),
                                       hn::And(in_range, hn::IsFinite(c)));
    hn::BlendedStore(c, hn::And(in_sector, finite), d, out + i);
    const auto left =
        hn::And(lanes_mask, hn::Or(hn::Gt(state, decided_state), hn::AndNot(finite, in_sector)));
    n += list_lanes(left, i, valid, undecided + n);
  }
  return n;
}

// The initial spreads of a line source for the wind directions phi, as get_sgm0 gives them;
// `usable` clears the lanes the vector formulas cannot take (an angle of a turn or more, a
// length for the power outside the normal range).
HWY_INLINE void line_spreads(const HourBatch& b, V phi, V az, V bz, V& sy0, V& sz0,
                             hn::Mask<D>& usable) {
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
  usable =
      hn::And(hn::And(hn::Lt(a, turn), exp_in_range(power_arg)),
              hn::And(hn::Ge(half_d, hn::Set(d, DBL_MIN)), hn::Le(half_d, hn::Set(d, DBL_MAX))));
}

// The hours of a batch: the formulas of the rose's directions with every parameter per lane.
int HourConcentrations(HourBatch& b, double* out, int* undecided) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const V one = hn::Set(d, 1.0), two = hn::Set(d, 2.0);
  const V huge = hn::Set(d, DBL_MAX), tiny = hn::Set(d, DBL_MIN);
  const V x = hn::Set(d, b.x), x2 = hn::Set(d, b.x * b.x);
  const V v = hn::Set(d, b.v);
  // Pass 1, as the rose's geometry: the downwind distance, the spreads, the quotients, and
  // whether the vector formulas take the lane (1) or not (0).
  for (int i = 0; i < b.count; i += lanes) {
    const std::size_t at = static_cast<std::size_t>(i);
    const V cos_a = hn::Cos(d, hn::Mul(hn::LoadU(d, b.lambda.data() + at), hn::Set(d, kPi / 180)));
    const V xs = hn::Mul(x, cos_a);
    const V ys2 = hn::Mul(x2, hn::Mul(hn::Sub(one, cos_a), hn::Add(one, cos_a)));
    const V log_xs = hn::Log(d, xs);
    const V az = hn::LoadU(d, b.az.data() + at), bz = hn::LoadU(d, b.bz.data() + at);
    V sy0, sz0;
    auto usable = hn::FirstN(d, static_cast<std::size_t>(lanes));
    if (b.line) {
      line_spreads(b, hn::LoadU(d, b.phi.data() + at), az, bz, sy0, sz0, usable);
    } else {
      sy0 = hn::LoadU(d, b.sy0.data() + at);
      sz0 = hn::LoadU(d, b.sz0.data() + at);
    }
    const V y_arg = hn::Mul(hn::LoadU(d, b.by.data() + at), log_xs), z_arg = hn::Mul(bz, log_xs);
    const V sigma_y = hn::Add(hn::Mul(hn::LoadU(d, b.ay.data() + at), hn::Exp(d, y_arg)), sy0);
    const V sigma_z = hn::Add(hn::Mul(az, hn::Exp(d, z_arg)), sz0);
    const V two_sy2 = hn::Mul(two, hn::Mul(sigma_y, sigma_y));
    const V two_sz2 = hn::Mul(two, hn::Mul(sigma_z, sigma_z));
    const V product = hn::Mul(two_sy2, two_sz2);
    const V inverse = hn::Div(one, product);
    const V u_ef = hn::LoadU(d, b.u_ef.data() + at);
    // As for the rose, the removal's exponential beyond the range on its own goes back to the
    // scalar formulas.
    const V removal_arg = hn::Mul(hn::LoadU(d, b.removal.data() + at), xs);
    const auto exact =
        hn::And(hn::And(hn::And(hn::And(hn::Ge(xs, tiny), hn::Le(xs, huge)),
                                crosswind_exact(x2, two_sz2, inverse)),
                        hn::And(hn::Gt(sigma_y, hn::Zero(d)), hn::Gt(sigma_z, hn::Zero(d)))),
                hn::And(hn::And(hn::And(hn::Ge(product, tiny), hn::Le(product, huge)),
                                exp_in_range(removal_arg)),
                        hn::And(usable, hn::And(exp_in_range(y_arg), exp_in_range(z_arg)))));
    hn::StoreU(xs, d, b.work_xs.data() + at);
    hn::StoreU(hn::Add(hn::Mul(hn::Neg(ys2), hn::Mul(two_sz2, inverse)), removal_arg), d,
               b.work_exponent.data() + at);
    hn::StoreU(hn::Mul(two_sy2, inverse), d, b.work_w.data() + at);
    hn::StoreU(hn::Add(hn::Mul(hn::Mul(hn::Mul(hn::Set(d, 2 * kPi), sigma_y), sigma_z), u_ef), v),
               d, b.work_spread.data() + at);
    hn::StoreU(hn::IfThenElseZero(exact, one), d, b.work_exact.data() + at);
  }
  // Pass 2: the exponentials of the plume and of the conversion, the emission and which
  // lanes are decided.
  const V reflected = hn::Set(d, 1 - b.theta), theta = hn::Set(d, b.theta);
  const V m = hn::Set(d, b.m), m_no = hn::Set(d, b.m_no),
          nine_tenths = hn::Set(d, static_cast<double>(0.9f));
  const V emission_all = hn::Set(d, b.m + b.m_no * 0.0);
  const bool converted = b.convert_no && b.m_no != 0;
  int n = 0;
  for (int i = 0; i < b.count; i += lanes) {
    const std::size_t at = static_cast<std::size_t>(i);
    const int valid = b.count - i < lanes ? b.count - i : lanes;
    const V xs = hn::LoadU(d, b.work_xs.data() + at);
    const V exponent = hn::LoadU(d, b.work_exponent.data() + at);
    const V w = hn::LoadU(d, b.work_w.data() + at);
    auto in_range = exp_in_range(exponent);
    const V h_ef = hn::LoadU(d, b.h_ef.data() + at);
    const V d1 = hn::Sub(hn::LoadU(d, b.z1.data() + at), h_ef);
    const V d2 = hn::Add(hn::LoadU(d, b.z2.data() + at), h_ef);
    const V v1 = hn::Neg(hn::Mul(hn::Mul(d1, d1), w)), v2 = hn::Neg(hn::Mul(hn::Mul(d2, d2), w));
    V plume = hn::Add(hn::Exp(d, hn::Add(exponent, v1)),
                      hn::Mul(reflected, hn::Exp(d, hn::Add(exponent, v2))));
    V vertical = hn::Max(v1, v2);
    if (b.theta != 0) {
      const V d3 = hn::Sub(hn::LoadU(d, b.z3.data() + at), h_ef);
      const V v3 = hn::Neg(hn::Mul(hn::Mul(d3, d3), w));
      plume = hn::Add(plume, hn::Mul(theta, hn::Exp(d, hn::Add(exponent, v3))));
      vertical = hn::Max(vertical, v3);
    }
    const V prefactor = hn::Div(hn::Mul(hn::Set(d, 1e6), hn::LoadU(d, b.kh.data() + at)),
                                hn::LoadU(d, b.work_spread.data() + at));
    const V emis = hn::LoadU(d, b.emis.data() + at);
    V c = hn::Mul(hn::Mul(prefactor, plume), emis);
    V emission = emission_all;
    // The decay's range with m_no = 0 too, as for the rose.
    if (b.convert_no) {
      const V decay_arg = hn::Mul(xs, hn::LoadU(d, b.decay.data() + at));
      in_range = hn::And(in_range, exp_in_range(decay_arg));
      if (converted)
        emission =
            hn::Add(m, hn::Mul(m_no, hn::Mul(nine_tenths, hn::Sub(one, hn::Exp(d, decay_arg)))));
    }
    c = hn::Mul(c, emission);
    const auto decided =
        decided_result(c, hn::Mul(hn::Mul(prefactor, emis), emission), hn::Add(exponent, vertical),
                       hn::And(in_range, hn::IsFinite(c)));
    // As for the rose: what lies outside the range the vector formulas take exactly as the
    // scalar ones do goes back to them.
    const auto exact =
        hn::And(hn::Gt(hn::LoadU(d, b.work_exact.data() + at), hn::Zero(d)), decided);
    hn::StoreU(c, d, out + at);
    n += list_lanes(hn::And(hn::FirstN(d, static_cast<std::size_t>(valid)), hn::Not(exact)), i,
                    valid, undecided + n);
  }
  return n;
}

void WindsAtHeight(const double* u, const double* base, const double* exponent, double* u_ef,
                   int count) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  for (int i = 0; i < count; i += lanes) {
    const V arg = hn::Mul(hn::LoadU(d, exponent + i), hn::Log(d, hn::LoadU(d, base + i)));
    hn::StoreU(hn::Mul(hn::LoadU(d, u + i), hn::Exp(d, arg)), d, u_ef + i);
    // Beyond the range of exp, the scalar power.
    const int valid = count - i < lanes ? count - i : lanes;
    int beyond[HWY_MAX_BYTES / sizeof(double)];
    const int n = list_lanes(hn::Not(exp_in_range(arg)), i, valid, beyond);
    for (int k = 0; k < n; ++k)
      u_ef[beyond[k]] = u[beyond[k]] * std::pow(base[beyond[k]], exponent[beyond[k]]);
  }
}

void ClassifyHours(const double* phi, const int* situation, const double* inversion,
                   const double* axis, double limit, int count, double* lambda, double* kind,
                   double* c_t) {
  const D d;
  const hn::Rebind<std::int64_t, D> di64;
  const hn::Rebind<std::int32_t, D> di32;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const V turn = hn::Set(d, 360.0), two_turns = hn::Set(d, 720.0);
  const V low = hn::Set(d, limit), high = hn::Set(d, 360.0 - limit);
  for (int i = 0; i < count; i += lanes) {
    const V axis_of = hn::GatherIndex(d, axis, hn::PromoteTo(di64, hn::LoadU(di32, situation + i)));
    const V t = hn::Abs(hn::Sub(hn::LoadU(d, phi + i), axis_of));
    // fmod below two turns; beyond, the lane takes fmod itself.
    V angle = hn::IfThenElse(hn::Lt(t, turn), t, hn::Sub(t, turn));
    hn::StoreU(angle, d, lambda + i);
    if (!hn::AllTrue(d, hn::Lt(t, two_turns))) {
      const int valid = count - i < lanes ? count - i : lanes;
      for (int lane = 0; lane < valid; ++lane)
        if (!(std::fabs(phi[i + lane] - axis[situation[i + lane]]) < 720.0))
          lambda[i + lane] = std::fmod(std::fabs(phi[i + lane] - axis[situation[i + lane]]), 360.0);
      angle = hn::LoadU(d, lambda + i);
    }
    const auto in_sector = hn::Or(hn::Le(angle, low), hn::Ge(angle, high));
    const auto inverted = hn::Gt(hn::LoadU(d, inversion + i), hn::Zero(d));
    const V k =
        hn::IfThenElse(inverted, hn::Set(d, 2.0), hn::IfThenElseZero(in_sector, hn::Set(d, 1.0)));
    hn::StoreU(k, d, kind + i);
    const int valid = count - i < lanes ? count - i : lanes;
    const auto outside =
        hn::And(hn::FirstN(d, static_cast<std::size_t>(valid)), hn::Eq(k, hn::Zero(d)));
    // c_t is not padded: a masked store of the hours outside the sector.
    if (valid == lanes) {
      const V c = hn::LoadU(d, c_t + i);
      hn::BlendedStore(hn::Add(c, hn::Zero(d)), outside, d, c_t + i);
    } else {
      for (int lane = 0; lane < valid; ++lane)
        if (kind[i + lane] == 0) c_t[i + lane] = c_t[i + lane] + 0.0;
    }
  }
}

const char* TargetName() { return hwy::TargetName(HWY_TARGET); }

}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kadre {

HWY_EXPORT(SectorGeometryOf);
HWY_EXPORT(SectorConcentrations);
HWY_EXPORT(HourConcentrations);
HWY_EXPORT(WindsAtHeight);
HWY_EXPORT(ClassifyHours);
HWY_EXPORT(TargetName);

SectorGeometry::SectorGeometry(int nphi) {
  const std::size_t n = static_cast<std::size_t>(nphi > 0 ? nphi : 0) + kKernelPadding;
  for (auto* a : {&state, &xs, &cross, &inv_two_sz2, &sy_sz, &vert, &plume}) a->assign(n, 0.0);
}

void sector_geometry(const SectorRun& run, SectorGeometry& g) {
  HWY_DYNAMIC_DISPATCH(SectorGeometryOf)(run, g);
}

int sector_concentrations(const SectorRun& run, SectorGeometry& g, double* out, int* undecided) {
  return HWY_DYNAMIC_DISPATCH(SectorConcentrations)(run, g, out, undecided);
}

HourBatch::HourBatch(int capacity) {
  const std::size_t n = static_cast<std::size_t>(capacity > 0 ? capacity : 0) + kKernelPadding;
  for (auto* a : {&lambda,        &ay,      &by,          &az,        &bz,  &sy0,
                  &sz0,           &h_ef,    &z1,          &z2,        &z3,  &kh,
                  &u_ef,          &removal, &decay,       &emis,      &phi, &work_xs,
                  &work_exponent, &work_w,  &work_spread, &work_exact})
    a->assign(n, 0.0);
}

int hour_concentrations(HourBatch& batch, double* out, int* undecided) {
  return HWY_DYNAMIC_DISPATCH(HourConcentrations)(batch, out, undecided);
}

void winds_at_height(const double* u, const double* base, const double* exponent, double* u_ef,
                     int count) {
  HWY_DYNAMIC_DISPATCH(WindsAtHeight)(u, base, exponent, u_ef, count);
}

void classify_hours(const double* phi, const int* situation, const double* inversion,
                    const double* axis, double limit, int count, double* lambda, double* kind,
                    double* c_t) {
  HWY_DYNAMIC_DISPATCH(ClassifyHours)
  (phi, situation, inversion, axis, limit, count, lambda, kind, c_t);
}

bool vector_kernel_built() { return true; }
const char* vector_kernel_target() { return HWY_DYNAMIC_DISPATCH(TargetName)(); }

}  // namespace kadre
#endif

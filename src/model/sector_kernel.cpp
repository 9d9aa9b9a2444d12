// Compiled once per instruction set; the best one the processor has is chosen at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "model/sector_kernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include <cfloat>
#include <cstdint>
#include <cstring>

#include "core/math_constants.h"
#include "model/sector_kernel.h"

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;

// One vector of directions starting at index `first`; `valid` lanes of them belong to the
// run. The formulas and their order are those of the scalar kernels, so that every lane
// exponentials: every lane differs from the scalar result only by roundings.
HWY_INLINE int evaluate_lanes(const SectorRun& r, int first, int valid, V sy0, V sz0, double* out,
                              int* undecided) {
  const D d;
  const V phi = hn::Mul(hn::Iota(d, static_cast<double>(first)), hn::Set(d, r.phi_step));
  // The angle to the axis as fmod gives it below two turns; beyond, the scalar formulas.
  const V t = hn::Abs(hn::Sub(phi, hn::Set(d, r.axis)));
  const V turn = hn::Set(d, 360.0);
  const V lambda = hn::IfThenElse(hn::Lt(t, turn), t, hn::Sub(t, turn));
  const auto lanes = hn::FirstN(d, static_cast<std::size_t>(valid));
  const auto in_sector = hn::And(
      lanes, hn::Or(hn::Le(lambda, hn::Set(d, r.limit)), hn::Ge(lambda, hn::Set(d, 360.0 - r.limit))));
  const auto far = hn::And(lanes, hn::Not(hn::Lt(t, hn::Set(d, 720.0))));
  if (hn::AllFalse(d, hn::Or(in_sector, far))) return 0;

  // Only the square of the crosswind distance enters, from the cosine: ys^2 = x^2 (1 - cos^2).
  const V x = hn::Set(d, r.x);
  const V one = hn::Set(d, 1.0);
  const V cos_a = hn::Cos(d, hn::Mul(lambda, hn::Set(d, kPi / 180)));
  const V xs = hn::Mul(x, cos_a);
  const V ys2 = hn::Mul(hn::Set(d, r.x * r.x), hn::Mul(hn::Sub(one, cos_a), hn::Add(one, cos_a)));
  const V log_xs = hn::Log(d, xs);
  const V sigma_y = hn::Add(hn::Mul(hn::Set(d, r.ay), hn::Exp(d, hn::Mul(hn::Set(d, r.by), log_xs))), sy0);
  const V sigma_z = hn::Add(hn::Mul(hn::Set(d, r.az), hn::Exp(d, hn::Mul(hn::Set(d, r.bz), log_xs))), sz0);

  const PlumeParams& p = r.p;
  const V two = hn::Set(d, 2.0);
  const V two_sy2 = hn::Mul(two, hn::Mul(sigma_y, sigma_y));
  const V two_sz2 = hn::Mul(two, hn::Mul(sigma_z, sigma_z));
  const V spread = hn::Add(hn::Mul(hn::Mul(hn::Set(d, 2 * kPi * p.u_ef), sigma_y), sigma_z), hn::Set(d, r.v));
  // One division for the three quotients.
  const V yz = hn::Mul(two_sy2, two_sz2);
  const V product = hn::Mul(yz, spread);
  const V inverse = hn::Div(one, product);
  const V inv_two_sy2 = hn::Mul(inverse, hn::Mul(two_sz2, spread));
  const V inv_two_sz2 = hn::Mul(inverse, hn::Mul(two_sy2, spread));
  const V inv_spread = hn::Mul(inverse, yz);
  const V exponent = hn::Sub(hn::Mul(hn::Neg(ys2), inv_two_sy2), hn::Mul(hn::Set(d, r.k_u / p.u_ef), xs));
  V c = hn::Mul(hn::Mul(hn::Set(d, 1e6 * p.kh), inv_spread), hn::Exp(d, exponent));
  const double d1 = p.z1 - p.h_ef, d2 = p.z2 + p.h_ef, d3 = p.z3 - p.h_ef;
  V vert = hn::Exp(d, hn::Mul(hn::Set(d, -(d1 * d1)), inv_two_sz2));
  vert = hn::Add(vert, hn::Mul(hn::Set(d, 1 - r.theta), hn::Exp(d, hn::Mul(hn::Set(d, -(d2 * d2)), inv_two_sz2))));
  if (r.theta != 0)
    vert = hn::Add(vert, hn::Mul(hn::Set(d, r.theta), hn::Exp(d, hn::Mul(hn::Set(d, -(d3 * d3)), inv_two_sz2))));
  c = hn::Mul(c, vert);
  V emission;
  if (r.is_no && r.m_no != 0) {
    const V decay = hn::Exp(d, hn::Mul(xs, hn::Set(d, -r.k_p / p.u_ef)));
    const V fac = hn::Mul(hn::Set(d, static_cast<double>(0.9f)), hn::Sub(one, decay));
    emission = hn::Add(hn::Set(d, r.m), hn::Mul(hn::Set(d, r.m_no), fac));
  } else {
    emission = hn::Set(d, r.m + r.m_no * 0.0);
  }
  c = hn::Mul(c, emission);

  // Where a value lies outside the range the vector formulas take exactly as the scalar ones
  // do (distances at or below the smallest normal number, spreads that are not positive and
  // finite, a result that is no finite number), the scalar formulas decide.
  const V huge = hn::Set(d, DBL_MAX);
  const auto exact = hn::And(
      hn::And(hn::Ge(xs, hn::Set(d, DBL_MIN)), hn::Le(xs, huge)),
      hn::And(hn::And(hn::Gt(sigma_y, hn::Zero(d)), hn::Gt(sigma_z, hn::Zero(d))),
              hn::And(hn::And(hn::Ge(product, hn::Set(d, DBL_MIN)), hn::Le(product, huge)), hn::IsFinite(c))));
  const auto decided = hn::AndNot(far, hn::And(in_sector, exact));
  const auto left = hn::Or(far, hn::AndNot(exact, in_sector));
  hn::BlendedStore(c, decided, d, out + first);
  if (hn::AllFalse(d, left)) return 0;
  alignas(64) double flags[HWY_MAX_BYTES / sizeof(double)];
  hn::Store(hn::VecFromMask(d, left), d, flags);
  int n = 0;
  for (int lane = 0; lane < valid; ++lane) {
    std::uint64_t bits;
    std::memcpy(&bits, &flags[lane], sizeof bits);
    if (bits != 0) undecided[n++] = first + lane;
  }
  return n;
}

int EvaluateSectorRun(const SectorRun& r, double* out, int* undecided) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  int n = 0;
  int i = r.first;
  const int end = r.first + r.count;
  for (; i + lanes <= end; i += lanes) {
    const V sy0 = r.sy0 ? hn::LoadU(d, r.sy0 + i) : hn::Set(d, r.sy0_all);
    const V sz0 = r.sz0 ? hn::LoadU(d, r.sz0 + i) : hn::Set(d, r.sz0_all);
    n += evaluate_lanes(r, i, lanes, sy0, sz0, out, undecided + n);
  }
  if (i < end) {
    // The last, partial vector: its spreads through a buffer, its results stored by mask.
    const int valid = end - i;
    alignas(64) double sy0[HWY_MAX_BYTES / sizeof(double)] = {}, sz0[HWY_MAX_BYTES / sizeof(double)] = {};
    for (int lane = 0; lane < valid; ++lane) {
      sy0[lane] = r.sy0 ? r.sy0[i + lane] : r.sy0_all;
      sz0[lane] = r.sz0 ? r.sz0[i + lane] : r.sz0_all;
    }
    n += evaluate_lanes(r, i, valid, hn::Load(d, sy0), hn::Load(d, sz0), out, undecided + n);
  }
  return n;
}

const char* TargetName() { return hwy::TargetName(HWY_TARGET); }

}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kadre {

HWY_EXPORT(EvaluateSectorRun);
HWY_EXPORT(TargetName);

int evaluate_sector_run(const SectorRun& run, double* out, int* undecided) {
  return HWY_DYNAMIC_DISPATCH(EvaluateSectorRun)(run, out, undecided);
}

bool vector_kernel_built() { return true; }
const char* vector_kernel_target() { return HWY_DYNAMIC_DISPATCH(TargetName)(); }

}  // namespace kadre
#endif

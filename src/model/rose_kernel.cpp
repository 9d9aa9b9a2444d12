// Compiled once per instruction set; the best one the processor has is chosen at run time.
// Each pass is a loop over the vectors of a window whose iterations do not depend on each
// other, so that the processor overlaps the long chains of exp, log and cos.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "model/rose_kernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <cmath>

#include "model/rose_kernel.h"
#include "model/vector_kernel-inl.h"

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {

// The geometry of a window, in passes over its vectors: a pass holds one long chain (cos,
// log, the two powers, the division). The arrays are padded by a vector: whole vectors are
// stored.
// cos and sin of the angles of every direction to the reference direction.
void make_reference_angles(const SectorRun& r, SectorGeometry& g) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const int directions = static_cast<int>(g.cos_from_reference.size() - kKernelPadding);
  for (int i = 0; i < directions; i += lanes) {
    const V phi = hn::Mul(hn::Iota(d, static_cast<double>(i)), hn::Set(d, r.phi_step));
    const V angle = hn::Mul(hn::Sub(phi, hn::Set(d, g.reference)), hn::Set(d, kPi / 180));
    hn::StoreU(hn::Cos(d, angle), d, g.cos_from_reference.data() + i);
    hn::StoreU(hn::Sin(d, angle), d, g.sin_from_reference.data() + i);
  }
  g.reference_made = true;
}

void RoseGeometry(const SectorRun& r, SectorGeometry& g) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const int end = r.first + r.count;
  const V x = hn::Set(d, r.x), x2 = hn::Set(d, r.x * r.x);
  const V limit = hn::Set(d, r.limit), turn_minus_limit = hn::Set(d, 360.0 - r.limit);
  if (!g.reference_made) make_reference_angles(r, g);
  // The turn rho of the axis from the reference: phi - axis = (phi - reference) + rho.
  const double rho = (g.reference - r.axis) * (kPi / 180);
  const V cos_rho = hn::Set(d, std::cos(rho)), sin_rho = hn::Set(d, std::sin(rho));
  // Pass 1: the sector, the downwind distance and the crosswind distance's square.
  for (int i = r.first; i < end; i += lanes) {
    const V phi = hn::Mul(hn::Iota(d, static_cast<double>(i)), hn::Set(d, r.phi_step));
    const V t = hn::Abs(hn::Sub(phi, hn::Set(d, r.axis)));
    const V lambda = angle_below_two_turns(t);
    // Beyond two turns the scalar formulas take the angle (and all the rest).
    const V state = hn::IfThenElse(
        hn::Not(below_two_turns(t)), hn::Set(d, kUndecided),
        hn::IfThenElseZero(within_sector(lambda, limit, turn_minus_limit), hn::Set(d, kDecided)));
    // cos lambda = cos(phi - axis), the cosine being even and of period 360.
    const V cos_a = hn::MulSub(hn::LoadU(d, g.cos_from_reference.data() + i), cos_rho,
                               hn::Mul(hn::LoadU(d, g.sin_from_reference.data() + i), sin_rho));
    hn::StoreU(state, d, g.direction_state.data() + i);
    hn::StoreU(downwind_distance(x, cos_a), d, g.downwind.data() + i);
    hn::StoreU(crosswind_squared(x2, cos_a), d, g.crosswind_squared.data() + i);
  }
  // Pass 2: log xs.
  for (int i = r.first; i < end; i += lanes)
    hn::StoreU(vector_log(d, hn::LoadU(d, g.downwind.data() + i)), d, g.log_downwind.data() + i);
  // Pass 3: the spreads.
  for (int i = r.first; i < end; i += lanes) {
    V sy0, sz0;
    if (end - i >= lanes) {
      sy0 = r.sy0 ? hn::LoadU(d, r.sy0 + i) : hn::Set(d, r.sy0_all);
      sz0 = r.sz0 ? hn::LoadU(d, r.sz0 + i) : hn::Set(d, r.sz0_all);
    } else {
      // The last, partial vector: the initial spreads through a buffer (their arrays are not
      // padded).
      alignas(64) double initial_y[HWY_MAX_BYTES / sizeof(double)] = {},
                                                   initial_z[HWY_MAX_BYTES / sizeof(double)] = {};
      for (int lane = 0; lane < end - i; ++lane) {
        initial_y[lane] = r.sy0 ? r.sy0[i + lane] : r.sy0_all;
        initial_z[lane] = r.sz0 ? r.sz0[i + lane] : r.sz0_all;
      }
      sy0 = hn::Load(d, initial_y);
      sz0 = hn::Load(d, initial_z);
    }
    const V log_xs = hn::LoadU(d, g.log_downwind.data() + i);
    hn::StoreU(power_law_spread(hn::Set(d, r.ay), hn::Mul(hn::Set(d, r.by), log_xs), sy0), d,
               g.sigma_y.data() + i);
    hn::StoreU(power_law_spread(hn::Set(d, r.az), hn::Mul(hn::Set(d, r.bz), log_xs), sz0), d,
               g.sigma_z.data() + i);
  }
  // Pass 4: one division for the quotients, and the in-sector directions whose geometry the
  // vector formulas do not give exactly go to the scalar formulas.
  for (int i = r.first; i < end; i += lanes) {
    const V sigma_y = hn::LoadU(d, g.sigma_y.data() + i);
    const V sigma_z = hn::LoadU(d, g.sigma_z.data() + i);
    const Quotients q = quotients(sigma_y, sigma_z);
    const M exact = geometry_exact(hn::LoadU(d, g.downwind.data() + i), x2, sigma_y, sigma_z, q);
    const V state = hn::LoadU(d, g.direction_state.data() + i);
    const M inexact_in_sector = hn::AndNot(exact, hn::Eq(state, hn::Set(d, kDecided)));
    hn::StoreU(hn::IfThenElse(inexact_in_sector, hn::Set(d, kUndecided), state), d,
               g.direction_state.data() + i);
    hn::StoreU(crosswind_exponent(hn::LoadU(d, g.crosswind_squared.data() + i), q), d,
               g.crosswind_exponent.data() + i);
    hn::StoreU(inv_two_sz2(q), d, g.inv_two_sz2.data() + i);
    hn::StoreU(two_pi_sy_sz(sigma_y, sigma_z), d, g.two_pi_sy_sz.data() + i);
  }
  g.kept_heights = SectorGeometry::Heights{};
  g.last_heights = SectorGeometry::Heights{};
}

// The vertical sum of every direction of the window, kept for the next situations of the
// same heights.
void keep_vertical_sums(const SectorRun& r, const SectorGeometry::Heights& heights,
                        SectorGeometry& g) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const V a1 = hn::Set(d, -(heights.d1 * heights.d1)), a2 = hn::Set(d, -(heights.d2 * heights.d2)),
          a3 = hn::Set(d, -(heights.d3 * heights.d3));
  const VerticalTerms terms(heights.theta, heights.theta != 0,
                            heights.d3 * heights.d3 == heights.d2 * heights.d2);
  const int end = r.first + r.count;
  for (int i = r.first; i < end; i += lanes) {
    const V w = hn::LoadU(d, g.inv_two_sz2.data() + i);
    hn::StoreU(vertical_sum(terms, a1, a2, a3, [&](V a) { return hn::Mul(a, w); }), d,
               g.vertical_sum.data() + i);
  }
  g.kept_heights = heights;
}

int RoseConcentrations(const SectorRun& r, SectorGeometry& g, double* out, int* undecided) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  const PlumeParams& p = r.p;
  const SectorGeometry::Heights heights{r.first,       r.count,       p.z1 - p.h_ef,
                                        p.z2 + p.h_ef, p.z3 - p.h_ef, r.theta};
  // Heights met a second time in a row keep their vertical sums; others go into the
  // exponentials of the plume factor directly, which spares one exponential per direction.
  bool kept = g.kept_heights == heights;
  if (!kept && g.last_heights == heights) {
    keep_vertical_sums(r, heights, g);
    kept = true;
  }
  g.last_heights = heights;
  const V a1 = hn::Set(d, -(heights.d1 * heights.d1)), a2 = hn::Set(d, -(heights.d2 * heights.d2)),
          a3 = hn::Set(d, -(heights.d3 * heights.d3));
  const VerticalTerms terms(r.theta, r.theta != 0,
                            heights.d3 * heights.d3 == heights.d2 * heights.d2);
  const V u_ef = hn::Set(d, p.u_ef), v = hn::Set(d, r.v);
  const V source = hn::Set(d, 1e6 * p.kh);
  const V removal = hn::Set(d, -r.k_u / p.u_ef);
  const V decay = hn::Set(d, -r.k_p / p.u_ef);
  const Emission emission_of(r.convert_no, r.m, r.m_no);
  const V decided_state = hn::Set(d, kDecided);
  int n = 0;
  const int end = r.first + r.count;
  // Pass 1: the plume's exponentials, a loop of its own so that the constants of both passes
  // need not share the registers.
  for (int i = r.first; i < end; i += lanes) {
    const V exponent = hn::Add(hn::LoadU(d, g.crosswind_exponent.data() + i),
                               hn::Mul(removal, hn::LoadU(d, g.downwind.data() + i)));
    V plume;
    if (kept) {
      plume = hn::Mul(vector_exp(d, exponent), hn::LoadU(d, g.vertical_sum.data() + i));
    } else {
      const V w = hn::LoadU(d, g.inv_two_sz2.data() + i);
      plume =
          vertical_sum(terms, a1, a2, a3, [&](V a) { return hn::Add(exponent, hn::Mul(a, w)); });
    }
    hn::StoreU(plume, d, g.plume_exponentials.data() + i);
  }
  // Pass 2: the prefactor, the emission, and which lanes are decided.
  for (int i = r.first; i < end; i += lanes) {
    const int valid = valid_lanes(i, end);
    const M lanes_mask = hn::FirstN(d, static_cast<std::size_t>(valid));
    const V state = hn::LoadU(d, g.direction_state.data() + i);
    const V xs = hn::LoadU(d, g.downwind.data() + i);
    const V removal_arg = hn::Mul(removal, xs);
    const V exponent = hn::Add(hn::LoadU(d, g.crosswind_exponent.data() + i), removal_arg);
    const V prefactor =
        hn::Div(source, plume_denominator(hn::LoadU(d, g.two_pi_sy_sz.data() + i), u_ef, v));
    V c = hn::Mul(prefactor, hn::LoadU(d, g.plume_exponentials.data() + i));
    // The scalar formulas take the removal's exponential on its own: beyond the range it is
    // infinite there even where the crosswind term brings the sum back into it.
    M in_range = hn::And(exp_in_range(exponent), exp_in_range(removal_arg));
    const V emission = emission_at(emission_of, xs, decay, in_range);
    c = hn::Mul(c, emission);
    const M decided = decided_result(
        c, [&] { return hn::Mul(prefactor, emission); },
        [&] {
          const V w = hn::LoadU(d, g.inv_two_sz2.data() + i);
          return hn::Add(exponent, largest_vertical_exponent(terms, a1, a2, a3, w));
        },
        hn::And(in_range, hn::IsFinite(c)));
    const M in_sector = hn::And(lanes_mask, hn::Eq(state, decided_state));
    // out holds a vector of padding: a whole vector is stored, the other lanes as they were
    // (AVX2's masked store is a slow sequence on some processors).
    hn::StoreU(hn::IfThenElse(hn::And(in_sector, decided), c, hn::LoadU(d, out + i)), d, out + i);
    const M left_by_geometry = hn::Gt(state, decided_state);
    const M left_by_result = hn::AndNot(decided, in_sector);
    n += list_lanes(hn::And(lanes_mask, hn::Or(left_by_geometry, left_by_result)), i, valid,
                    undecided + n);
  }
  return n;
}

}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kadre {

HWY_EXPORT(RoseGeometry);
HWY_EXPORT(RoseConcentrations);

void sector_geometry(const SectorRun& run, SectorGeometry& g) {
  HWY_DYNAMIC_DISPATCH(RoseGeometry)(run, g);
}

int sector_concentrations(const SectorRun& run, SectorGeometry& g, double* out, int* undecided) {
  return HWY_DYNAMIC_DISPATCH(RoseConcentrations)(run, g, out, undecided);
}

}  // namespace kadre
#endif

#pragma once
// The one place that says which pairs, situations, hours and winds the vector kernels take,
// when the run takes the vector path (kernel_path.h). Everything else goes through the scalar
// formulas, which the kernels reproduce (rose_kernel.h, hourly_kernel.h, wind_kernel.h).
#include <cmath>
#include <cstddef>
#include <initializer_list>

#include "core/records.h"
#include "model/concentration_kernels.h"
#include "model/kernel_path.h"
#include "model/model_context.h"
#include "model/pair.h"
#include "model/plume_sector.h"

namespace kadre {

// The elements past the last that the arrays the kernels read or write a whole vector at a
// time carry: the lanes of the widest vector of doubles any instruction set may have (2048
// bits, on processors of scalable vectors), so that every target builds.
inline constexpr std::size_t kKernelPadding = 32;

// Every value finite (tested without an early exit: the compiler folds the tests together).
inline bool all_finite(std::initializer_list<double> values) {
  bool finite = true;
  for (const double v : values) finite = finite && std::isfinite(v);
  return finite;
}

// A pair (the source at a point) goes to the vector kernels when the run takes the vector
// path, the kernels know the source type's initial spreads (an unknown type stops where the
// scalar formulas first meet it) and every number of the pair they broadcast is finite.
inline bool pair_takes_vector_path(const ModelContext& ctx, const Source& source,
                                   const PairGeometry& g) {
  if (ctx.options.kernels != KernelPath::vector) return false;
  if (source.type != SourceType::point && source.type != SourceType::area &&
      source.type != SourceType::line)
    return false;
  return all_finite({g.x, g.theta, source.flue_gas_flow_m3_s, source.m, source.m_no,
                     sector_half_angle(ctx.par, source.type)});
}

// A situation of such a pair (class s, its plume p, its axis) when every number of it the
// kernels read is finite and the wind at the effective height positive. removal and decay are
// the rates the kernel takes: k_u and k_p of the class for the rose kernel (which divides them
// by u_ef itself), -k_u / u_ef and -k_p / u_ef for the hourly kernel.
inline bool situation_takes_vector_path(const ModelContext& ctx, int s, const PlumeParams& p,
                                        double axis, double removal, double decay) {
  const ModelParams& par = ctx.par;
  const std::size_t c = static_cast<std::size_t>(s - 1);
  return p.u_ef > 0 && all_finite({p.h_ef, p.z1, p.z2, p.z3, p.kh, p.u_ef, axis, removal, decay,
                                   par.ay[c], par.by[c], par.az[c], par.bz[c]});
}

// An hour of such a situation: its emission factor finite.
inline bool hour_takes_vector_path(double emission_factor) {
  return std::isfinite(emission_factor);
}

// A wind u at the height of base^exponent x the measuring height (winds_at_height): every
// value finite and the base positive; others go through the scalar power law.
inline bool wind_takes_vector_path(double u, double base, double exponent) {
  return std::isfinite(u) && std::isfinite(exponent) && base > 0 && std::isfinite(base);
}

}  // namespace kadre

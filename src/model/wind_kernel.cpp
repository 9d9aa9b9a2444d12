// Compiled once per instruction set; the best one the processor has is chosen at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "model/wind_kernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <cmath>

#include "model/vector_kernel-inl.h"
#include "model/wind_kernel.h"

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {

void WindsAtHeight(const double* u, const double* base, const double* exponent, double* u_ef,
                   int count) {
  const D d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  for (int i = 0; i < count; i += lanes) {
    const V power_arg = hn::Mul(hn::LoadU(d, exponent + i), hn::Log(d, hn::LoadU(d, base + i)));
    hn::StoreU(hn::Mul(hn::LoadU(d, u + i), hn::Exp(d, power_arg)), d, u_ef + i);
    // Beyond the range of exp, the scalar power.
    int beyond[HWY_MAX_BYTES / sizeof(double)];
    const int n = list_lanes(hn::Not(exp_in_range(power_arg)), i, valid_lanes(i, count), beyond);
    for (int k = 0; k < n; ++k)
      u_ef[beyond[k]] = u[beyond[k]] * std::pow(base[beyond[k]], exponent[beyond[k]]);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kadre {

HWY_EXPORT(WindsAtHeight);

void winds_at_height(const double* u, const double* base, const double* exponent, double* u_ef,
                     int count) {
  HWY_DYNAMIC_DISPATCH(WindsAtHeight)(u, base, exponent, u_ef, count);
}

}  // namespace kadre
#endif

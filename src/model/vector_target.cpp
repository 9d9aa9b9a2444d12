// A build with the vector kernels: the instruction set Highway dispatches them to here.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "model/vector_target.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>
#include <hwy/targets.h>

#include "model/kernel_path.h"

HWY_BEFORE_NAMESPACE();
namespace kadre {
namespace HWY_NAMESPACE {

const char* TargetName() { return hwy::TargetName(HWY_TARGET); }

}  // namespace HWY_NAMESPACE
}  // namespace kadre
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace kadre {

HWY_EXPORT(TargetName);

bool vector_kernels_available() noexcept { return true; }
const char* vector_kernels_target() { return HWY_DYNAMIC_DISPATCH(TargetName)(); }

// Every x86 target above AVX2 has a lower bit than it.
void limit_vector_kernels_to_avx2() { hwy::DisableTargets(HWY_AVX2 - 1); }
void restore_vector_kernels() { hwy::DisableTargets(0); }

}  // namespace kadre
#endif

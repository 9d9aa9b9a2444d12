#pragma once
// The path of the direction and hour loops: the vector kernels or the scalar formulas, the
// reference the vector results are checked against. The app chooses it once and passes it in;
// nothing below the app reads the environment.
#include <cstring>

namespace kadre {

enum class KernelPath { vector, scalar };

// Whether this build has the vector kernels (Highway), and the instruction set they run on
// here ("none" without them).
bool vector_kernels_available() noexcept;
const char* vector_kernels_target();

// The vector kernels on AVX2 at most, on a processor that has wider vectors too (the setting
// KADRE_SIMD=avx2), so that the AVX2 kernels can be measured and checked there; the program
// stays on the vector path. Process-wide: for an app's main. restore_vector_kernels undoes it.
void limit_vector_kernels_to_avx2();
void restore_vector_kernels();

// The path named by the setting KADRE_SIMD (nullptr: not set): "scalar" selects the scalar
// formulas; any other value, or none, the vector kernels where the build has them and the
// scalar formulas otherwise, so that a build without them never reaches their stand-ins.
inline KernelPath kernel_path_from(const char* simd_setting) noexcept {
  if (!vector_kernels_available()) return KernelPath::scalar;
  if (simd_setting != nullptr && std::strcmp(simd_setting, "scalar") == 0)
    return KernelPath::scalar;
  return KernelPath::vector;
}

// The instruction set the direction and hour loops run on: the vector kernels' target as the
// processor chose it at run time ("AVX2", "AVX3", ...), or "scalar" for the scalar formulas.
inline const char* kernel_target(KernelPath path) {
  if (path == KernelPath::scalar || !vector_kernels_available()) return "scalar";
  return vector_kernels_target();
}

}  // namespace kadre

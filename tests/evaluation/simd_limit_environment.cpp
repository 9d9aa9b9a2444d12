// KADRE_SIMD=avx2 keeps the vector kernels on AVX2 in the tests as in the program, so that a
// processor with wider vectors checks the AVX2 kernels against the scalar formulas too (ctest
// runs the agreement tests a second time so).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "model/kernel_path.h"

namespace kadre {
namespace {

class SimdLimit final : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* setting = std::getenv("KADRE_SIMD");
    if (setting != nullptr && std::string(setting) == "avx2") limit_vector_kernels_to_avx2();
  }
  void TearDown() override { restore_vector_kernels(); }
};

[[maybe_unused]] ::testing::Environment* const kSimdLimit =
    ::testing::AddGlobalTestEnvironment(new SimdLimit);

}  // namespace
}  // namespace kadre

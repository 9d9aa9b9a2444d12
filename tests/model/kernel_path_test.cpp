// The path of the direction and hour loops: the app's setting KADRE_SIMD, and a build without
// the vector kernels, which never chooses them and whose stand-ins stop instead of answering.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/hourly_kernel.h"
#include "model/kernel_path.h"
#include "model/rose_kernel.h"
#include "model/wind_kernel.h"

namespace kadre {
namespace {

TEST(KernelPath, OnlyScalarSelectsTheScalarFormulas) {
  EXPECT_EQ(kernel_path_from("scalar"), KernelPath::scalar);
  // Without the vector kernels every setting takes the scalar formulas.
  const KernelPath best = vector_kernels_available() ? KernelPath::vector : KernelPath::scalar;
  for (const char* setting : {static_cast<const char*>(nullptr), "", "vector", "SCALAR", "scalar "})
    EXPECT_EQ(kernel_path_from(setting), best) << (setting ? setting : "(not set)");
}

// Where the processor has wider vectors than AVX2 the limit turns the kernels to AVX2, and the
// restore back; elsewhere it changes nothing.
TEST(KernelPath, TheLimitToAvx2AndItsRestore) {
  if (!vector_kernels_available()) GTEST_SKIP() << "built without the vector kernels";
  const std::string best = vector_kernels_target();
  limit_vector_kernels_to_avx2();
  const std::string limited = vector_kernels_target();
  restore_vector_kernels();
  EXPECT_EQ(vector_kernels_target(), best);
  if (best.rfind("AVX3", 0) == 0)
    EXPECT_EQ(limited, "AVX2");
  else
    EXPECT_EQ(limited, best);
}

TEST(KernelPath, StandInsOfABuildWithoutVectorKernelsStop) {
  if (vector_kernels_available()) GTEST_SKIP() << "built with the vector kernels";
  EXPECT_STREQ(vector_kernels_target(), "none");
  SectorRun run;
  SectorGeometry geometry(8);
  HourBatch batch(8);
  std::vector<double> values(8 + kKernelPadding, 1.0);
  std::vector<int> situations(8 + kKernelPadding, 0), undecided(8, -1);
  const struct {
    const char* kernel;
    std::function<void()> call;
  } calls[] = {
      {"sector_geometry", [&] { sector_geometry(run, geometry); }},
      {"sector_concentrations",
       [&] { sector_concentrations(run, geometry, values.data(), undecided.data()); }},
      {"hour_concentrations", [&] { hour_concentrations(batch, values.data(), undecided.data()); }},
      {"classify_hours",
       [&] {
         classify_hours(values.data(), situations.data(), values.data(), values.data(), 30, 8,
                        values.data(), undecided.data(), undecided.data(), values.data());
       }},
      {"winds_at_height",
       [&] { winds_at_height(values.data(), values.data(), values.data(), values.data(), 8); }}};
  for (const auto& c : calls) {
    try {
      c.call();
      ADD_FAILURE() << c.kernel << " returned";
    } catch (const std::logic_error& e) {
      EXPECT_EQ(std::string(e.what()),
                std::string(c.kernel) + ": vektorova jadra nejsou v tomto sestaveni programu");
    }
  }
}

}  // namespace
}  // namespace kadre

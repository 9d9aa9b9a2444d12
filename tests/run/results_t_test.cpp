// The hourly result table is limited only by what can exist in memory.
#include <gtest/gtest.h>

#include <cstdint>

#include "run_sequence.h"
#include "support/test_support.h"

namespace kadre {
namespace {

const char* const kNoMemory = "STOP *** Not enough memory to allocate results_t ***\n";

TEST(ResultsT, SizeBeyondTwoGibibytesIsAllowed) {
  EXPECT_TRUE(results_t_fits(8784, 0));
  EXPECT_TRUE(results_t_fits(87840, 4000));  // 2.8 GB
  EXPECT_FALSE(results_t_fits(SIZE_MAX / 4, 3));
  EXPECT_EQ(create_results_t(3, 2), std::vector<double>(6, 0.0));
  EXPECT_TRUE(create_results_t(8784, 0).empty());
}

TEST(ResultsT, ImpossibleTableStopsOnStandardError) {
  try {
    create_results_t(SIZE_MAX / 4, 3);
    ADD_FAILURE() << "expected a RunError";
  } catch (const RunError& e) {
    EXPECT_EQ(e.console_text(), kNoMemory);
    EXPECT_TRUE(e.to_stderr());
  }
}

#if !defined(__SANITIZE_ADDRESS__)
// Representable but far beyond any memory: the allocation itself fails (the address
// sanitizer aborts on such a request instead of failing it).
TEST(ResultsT, FailedAllocationStopsOnStandardError) {
  EXPECT_RUN_ERROR(create_results_t(std::size_t{1} << 40, std::size_t{1} << 18), kNoMemory);
}
#endif

}  // namespace
}  // namespace kadre

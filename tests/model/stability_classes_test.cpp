#include "model/stability_classes.h"

#include <gtest/gtest.h>

#include <array>

#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

TEST(GetTridySt, GradientsFallIntoClassesByStrictBounds) {
  test::ModelWorld w;
  w.par.stab_cl_ue = {-1, 0, 1, 2, 99};
  // -1 is not below -1 (class 2); 2 equals the fourth bound and keeps the preset 4.
  EXPECT_EQ(get_tridy_st({-2, -1, 0.5, 2, 3, 1.0, 0.0}, w.par),
            (std::vector<int>{1, 2, 3, 4, 5, 4, 3}));
  EXPECT_EQ(get_tridy_st({std::nan("")}, w.par), std::vector<int>{4});
  EXPECT_TRUE(get_tridy_st({}, w.par).empty());
}

TEST(URangeGen, FineGridHoldsSinglePrecisionValuesAndClassCounts) {
  test::ModelWorld w;
  const WindClasses wc = u_range_gen(true, w.par);
  ASSERT_EQ(wc.u_range.size(), 52u);
  EXPECT_EQ(wc.nu, (std::array<int, 5>{6, 26, 52, 52, 26}));
  EXPECT_EQ(wc.nu_max(), 52);
  EXPECT_EQ(wc.u_range[0], 1.5);
  EXPECT_EQ(wc.u_range[1], 1.600000023841858);
  EXPECT_EQ(wc.u_range[5], 2.0);
  EXPECT_EQ(wc.u_range[15], 3.0);
  EXPECT_EQ(wc.u_range[16], 3.200000047683716);
  EXPECT_EQ(wc.u_range[17], 3.4000000953674316);
  EXPECT_EQ(wc.u_range[18], 3.5999999046325684);
  EXPECT_EQ(wc.u_range[25], 5.0);
  EXPECT_EQ(wc.u_range[35], 7.0);
  EXPECT_EQ(wc.u_range[36], 7.5);
  EXPECT_EQ(wc.u_range[51], 15.0);
  for (std::size_t k = 0; k < wc.u_range.size(); ++k)
    EXPECT_EQ(wc.u_range[k], static_cast<double>(static_cast<float>(wc.u_range[k]))) << k;
}

// The middle run is 3 + 0.2 k with both the product and the sum rounded to single
// precision: k = 13 and 18 land one step above the nearest single value of 5.6 and 6.6.
TEST(URangeGen, MiddleRunRoundsProductAndSumInSinglePrecision) {
  test::ModelWorld w;
  const WindClasses wc = u_range_gen(true, w.par);
  const std::array<double, 20> expected{
      3.2000000476837158, 3.4000000953674316, 3.5999999046325684, 3.7999999523162842, 4.0,
      4.1999998092651367, 4.4000000953674316, 4.5999999046325684, 4.8000001907348633, 5.0,
      5.1999998092651367, 5.4000000953674316, 5.6000003814697266, 5.8000001907348633, 6.0,
      6.1999998092651367, 6.4000000953674316, 6.6000003814697266, 6.8000001907348633, 7.0};
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(wc.u_range[16 + k], expected[k]) << k + 1;
}

TEST(URangeGen, ThreeClassesCountedAgainstClassLimits) {
  test::ModelWorld w;
  w.par.class_w_sp = {1, 4, 10};
  WindClasses wc = u_range_gen(false, w.par);
  EXPECT_EQ(wc.u_range, (std::vector<double>{1, 4, 10}));
  EXPECT_EQ(wc.nu, (std::array<int, 5>{1, 2, 3, 3, 2}));
  w.par.class_w_sp = {3, 6, 12};
  EXPECT_EQ(u_range_gen(false, w.par).nu, (std::array<int, 5>{0, 1, 3, 3, 1}));
  // Unsorted values: the position of the largest within the limit, the first of equals.
  w.par.class_w_sp = {4, 1, 4};
  EXPECT_EQ(u_range_gen(false, w.par).nu, (std::array<int, 5>{2, 1, 1, 1, 1}));
}

TEST(U2ClassUi, BoundsBelongToTheLowerClassAndNegativeWindStops) {
  test::ModelWorld w;  // class_w_sp_ue = (3, 6)
  EXPECT_EQ(u2class_ui(0, w.par), 1);
  EXPECT_EQ(u2class_ui(3, w.par), 1);
  EXPECT_EQ(u2class_ui(3.0001, w.par), 2);
  EXPECT_EQ(u2class_ui(6, w.par), 2);
  EXPECT_EQ(u2class_ui(6.5, w.par), 3);
  EXPECT_RUN_ERROR(u2class_ui(-0.1, w.par), " Chyba ve funkci u2class_ui.\n");
}

TEST(Find, MatchesWithinSinglePrecisionTolerance) {
  const std::vector<double> u{1.5, 1.600000023841858, 1.7};
  EXPECT_EQ(find(u, 1.600001), 2);
  EXPECT_EQ(find(u, 1.6001), -1);
  EXPECT_EQ(find(u, 1.5), 1);
  EXPECT_EQ(find({}, 1.5), -1);
  EXPECT_EQ(find({2.0, 2.0}, 2.0), 1);
}

}  // namespace
}  // namespace kadre

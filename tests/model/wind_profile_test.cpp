// The wind: its turning with height, the terrain factor profile, the coarse wind classes of the
// cooling towers and the wind-speed classes of the wind-rose evaluation.
#include "model/wind_profile.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "model/stability_classes.h"
#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

const double k12 = static_cast<double>(2.247f);  // the class 1 and 2 factor of fz1

// The profile law with its 10 and 200 m bounds is checked by the whole-program runs.
TEST(GetLambda, AngleWrapsAndTurnsWithHeight) {
  const struct { double phi, h_plume, delta; bool turn; double lambda; } cases[] = {
      {10, 60, 350, false, 340}, {10, 60, 350, true, 338}, {0, 0, 359.5, false, 359.5},
      {350, 0, 10, false, 340},  {270, 0, 270, false, 0},  {100, 260, 100, true, 10}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(get_lambda(c.phi, c.h_plume, 10, c.delta, c.turn), c.lambda) << c.phi;
}

TEST(Fz1, InterpolatesAndScalesByClassAndWind) {
  test::ModelWorld w;  // heights 0, 100, ..., 2500; values 1 - h / 2500
  const double k3 = static_cast<double>(1.17f);
  EXPECT_EQ(k12, 2.246999979019165);
  EXPECT_EQ(k3, 1.1699999570846558);
  const struct { double z; int s; double u, value; } cases[] = {
      {-50, 1, 1, 1.0 * k12},   {3000, 2, 1, 0.0},         {250, 1, 1, 0.9 * k12},  {130, 2, 1, 0.948 * k12},
      {170, 2, 1, 0.932 * k12}, {250, 3, 2.5, 0.9 * k3},   {250, 3, 5, 0.45 * k3},  {250, 3, 7.5, 0.0},
      {250, 4, 1, 0.0},         {250, 5, 1, 0.0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(fz1(w.par, c.z, c.s, c.u), c.value) << c.z << " " << c.s << " " << c.u;
  for (int s : {0, 6})
    EXPECT_RUN_ERROR(fz1(w.par, 250, s, 1), " Chyba ve funkci Fz1. Trida stability            " +
                                                std::to_string(s) + "  neodpovida ocekavanym hodnotam.\n");
  // The terrain factor only for points above the axis at 400 m, in classes 1 to 3.
  EXPECT_DOUBLE_EQ(get_kh(w.par, 100, 300, 600, 1, 1), 1 - (0.84 - 0.76) * k12);
  EXPECT_EQ(get_kh(w.par, 100, 300, 400, 1, 1), 1.0);
  for (int s : {4, 5}) EXPECT_EQ(get_kh(w.par, 100, 300, 600, s, 1), 1.0);
}

// The nearest node decides the bracketing pair even in a table whose heights are not in order;
// of two equally near nodes the first counts.
TEST(Fz1, NearestNodeChoosesTheIntervalFirstOfEqualDistances) {
  test::ModelWorld w;
  const double nodes[4][2] = {{0, 0.9}, {200, 0.5}, {100, 0.7}, {300, 0.1}};
  for (int n = 0; n < 26; ++n) {
    w.par.fz[2 * n] = n < 4 ? nodes[n][0] : 100.0 * n;
    w.par.fz[2 * n + 1] = n < 4 ? nodes[n][1] : 0.2;
  }
  // z = 150 is 50 m from node 2 (200) and node 3 (100): node 2, above z, so the pair (1, 2):
  // 0.9 + (0.5 - 0.9) x 150 / 200 = 0.6 (node 3 would give the pair (3, 4), 0.55).
  EXPECT_DOUBLE_EQ(fz1(w.par, 150, 1, 1), 0.6 * k12);
  // z = 120 is nearest node 3 (100), below z: the pair (3, 4), 0.7 + (0.1 - 0.7) x 20 / 200.
  EXPECT_DOUBLE_EQ(fz1(w.par, 120, 1, 1), 0.64 * k12);
  // z = 190 is nearest node 2 (200), above z: the pair (1, 2).
  EXPECT_DOUBLE_EQ(fz1(w.par, 190, 1, 1), (0.9 - 0.4 * 190 / 200) * k12);
}

// The classes from gradients are checked by the whole-program runs. The coarse wind class of
// the cooling towers, class_w_sp_ue = (3, 6): bounds belong to the class below.
TEST(U2ClassUi, BoundsBelongToTheLowerClassAndNegativeWindStops) {
  test::ModelWorld w;
  for (const auto& [u, cls] : {std::pair{0.0, 1}, {3.0, 1}, {3.0001, 2}, {6.0, 2}, {6.5, 3}})
    EXPECT_EQ(u2class_ui(u, w.par), cls) << u;
  EXPECT_RUN_ERROR(u2class_ui(-0.1, w.par), " Chyba ve funkci u2class_ui.\n");
}

// The fine grid: 1.5 + 0.1 k, then 3 + 0.2 k with product and sum rounded to single precision
// (k = 13 and 18 land one step above the nearest single value of 5.6 and 6.6), then 7 + 0.5 k.
TEST(URangeGen, FineGridHoldsSinglePrecisionValuesAndClassCounts) {
  test::ModelWorld w;
  const WindClasses wc = u_range_gen(true, w.par);
  ASSERT_EQ(wc.u_range.size(), 52u);
  EXPECT_EQ(wc.nu, (std::array<int, 5>{6, 26, 52, 52, 26}));
  EXPECT_EQ(wc.nu_max(), 52);
  for (const auto& [k, u] : {std::pair{0, 1.5}, {1, 1.600000023841858}, {5, 2.0}, {15, 3.0}, {36, 7.5}, {51, 15.0}})
    EXPECT_EQ(wc.u_range[k], u) << k;
  const std::array<double, 20> middle{
      3.2000000476837158, 3.4000000953674316, 3.5999999046325684, 3.7999999523162842, 4.0,
      4.1999998092651367, 4.4000000953674316, 4.5999999046325684, 4.8000001907348633, 5.0,
      5.1999998092651367, 5.4000000953674316, 5.6000003814697266, 5.8000001907348633, 6.0,
      6.1999998092651367, 6.4000000953674316, 6.6000003814697266, 6.8000001907348633, 7.0};
  for (std::size_t k = 0; k < middle.size(); ++k) EXPECT_EQ(wc.u_range[16 + k], middle[k]) << k + 1;
  for (double u : wc.u_range) EXPECT_EQ(u, static_cast<double>(static_cast<float>(u)));
  // The values within 1e-5 are found, the first of equals.
  EXPECT_EQ(find(wc.u_range, 1.600001), 2);
  EXPECT_EQ(find(wc.u_range, 1.6001), -1);
  EXPECT_EQ(find({}, 1.5), -1);
  EXPECT_EQ(find({2.0, 2.0}, 2.0), 1);
}

TEST(URangeGen, ThreeClassesCountedAgainstClassLimits) {
  test::ModelWorld w;  // class_w_sp = (1, 4, 10)
  EXPECT_EQ(u_range_gen(false, w.par).u_range, (std::vector<double>{1, 4, 10}));
  const struct { std::array<double, 3> speeds; std::array<int, 5> nu; } cases[] = {
      {{1, 4, 10}, {1, 2, 3, 3, 2}}, {{3, 6, 12}, {0, 1, 3, 3, 1}},
      {{4, 1, 4}, {2, 1, 1, 1, 1}}};  // unsorted: the largest within the limit, the first of equals
  for (const auto& c : cases) {
    w.par.class_w_sp = c.speeds;
    EXPECT_EQ(u_range_gen(false, w.par).nu, c.nu) << c.speeds[0];
  }
}

}  // namespace
}  // namespace kadre

#include "model/wind_profile.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

TEST(UH, HeightIsClampedTo10And200Metres) {
  EXPECT_DOUBLE_EQ(u_h(5, 3, 10, 0.3), 3.0);
  EXPECT_DOUBLE_EQ(u_h(250, 3, 10, 0.3), 3 * std::pow(20.0, 0.3));
  EXPECT_DOUBLE_EQ(u_h(200, 3, 10, 0.3), 3 * std::pow(20.0, 0.3));
  EXPECT_EQ(u_h(40, 3, 40, 0.3), 3.0);
  EXPECT_DOUBLE_EQ(u_h(20, 3, 40, 0.5), 3 * std::sqrt(0.5));
}

TEST(GetLambda, AngleWrapsAndTurnsWithHeight) {
  EXPECT_DOUBLE_EQ(get_lambda(10, 60, 10, 350, false), 340);
  EXPECT_DOUBLE_EQ(get_lambda(10, 60, 10, 350, true), 338);
  EXPECT_DOUBLE_EQ(get_lambda(0, 0, 10, 359.5, false), 359.5);
  EXPECT_DOUBLE_EQ(get_lambda(350, 0, 10, 10, false), 340);
  EXPECT_DOUBLE_EQ(get_lambda(270, 0, 10, 270, false), 0);
  // 260 m of plume: 10 degrees of turning.
  EXPECT_DOUBLE_EQ(get_lambda(100, 260, 10, 100, true), 10);
}

TEST(Fz1, InterpolatesAndScalesByClassAndWind) {
  test::ModelWorld w;  // heights 0, 100, ..., 2500; values 1 - h / 2500
  const double k12 = static_cast<double>(2.247f);
  const double k3 = static_cast<double>(1.17f);
  EXPECT_EQ(k12, 2.246999979019165);
  EXPECT_EQ(k3, 1.1699999570846558);
  EXPECT_DOUBLE_EQ(fz1(w.par, -50, 1, 1), 1.0 * k12);      // below the first node
  EXPECT_DOUBLE_EQ(fz1(w.par, 3000, 2, 1), 0.0);           // above the last node
  EXPECT_DOUBLE_EQ(fz1(w.par, 250, 1, 1), 0.9 * k12);      // between nodes, halfway
  EXPECT_DOUBLE_EQ(fz1(w.par, 130, 2, 1), 0.948 * k12);    // nearer the lower node
  EXPECT_DOUBLE_EQ(fz1(w.par, 170, 2, 1), 0.932 * k12);    // nearer the upper node
  EXPECT_DOUBLE_EQ(fz1(w.par, 250, 3, 2.5), 0.9 * k3);
  EXPECT_DOUBLE_EQ(fz1(w.par, 250, 3, 5), 0.9 * k3 * 0.5);
  EXPECT_EQ(fz1(w.par, 250, 3, 7.5), 0.0);
  EXPECT_EQ(fz1(w.par, 250, 4, 1), 0.0);
  EXPECT_EQ(fz1(w.par, 250, 5, 1), 0.0);
  EXPECT_RUN_ERROR(fz1(w.par, 250, 6, 1),
                   " Chyba ve funkci Fz1. Trida stability            6  neodpovida ocekavanym "
                   "hodnotam.\n");
  EXPECT_RUN_ERROR(fz1(w.par, 250, 0, 1),
                   " Chyba ve funkci Fz1. Trida stability            0  neodpovida ocekavanym "
                   "hodnotam.\n");
}

// The nearest node decides the bracketing pair even in a table whose heights are not in
// order; of two equally near nodes the first counts.
TEST(Fz1, NearestNodeChoosesTheIntervalFirstOfEqualDistances) {
  test::ModelWorld w;
  // Heights 0, 200, 100, 300, 400, ...; values 0.9, 0.5, 0.7, 0.1, 0.2, ...
  auto set = [&w](int node, double height, double value) {
    w.par.fz[2 * (node - 1)] = height;
    w.par.fz[2 * (node - 1) + 1] = value;
  };
  set(1, 0, 0.9);
  set(2, 200, 0.5);
  set(3, 100, 0.7);
  set(4, 300, 0.1);
  for (int node = 5; node <= 26; ++node) set(node, 100.0 * (node - 1), 0.2);
  const double k12 = static_cast<double>(2.247f);
  // z = 150 is 50 m from node 2 (200) and from node 3 (100): node 2, above z, so the pair
  // is (1, 2): 0.9 + (0.5 - 0.9) x 150 / 200 = 0.6 (node 3 would give the pair (3, 4), 0.55).
  EXPECT_DOUBLE_EQ(fz1(w.par, 150, 1, 1), 0.6 * k12);
  // z = 120 is nearest node 3 (100), below z: the pair (3, 4), 0.7 + (0.1 - 0.7) x 20 / 200.
  EXPECT_DOUBLE_EQ(fz1(w.par, 120, 1, 1), 0.64 * k12);
  // z = 190 is nearest node 2 (200), above z: the pair (1, 2).
  EXPECT_DOUBLE_EQ(fz1(w.par, 190, 1, 1), (0.9 - 0.4 * 190 / 200) * k12);
}

TEST(GetKh, TerrainFactorOnlyForPointsAboveTheAxis) {
  test::ModelWorld w;
  // Axis at 100 + 300 = 400 m; point terrain at 600 m: 1 - (fz(400) - fz(600)) in class 1.
  EXPECT_DOUBLE_EQ(get_kh(w.par, 100, 300, 600, 1, 1),
                   1 - (0.84 - 0.76) * static_cast<double>(2.247f));
  EXPECT_EQ(get_kh(w.par, 100, 300, 400, 1, 1), 1.0);
  EXPECT_EQ(get_kh(w.par, 100, 300, 600, 4, 1), 1.0);
  EXPECT_EQ(get_kh(w.par, 100, 300, 600, 5, 1), 1.0);
}

}  // namespace
}  // namespace kadre

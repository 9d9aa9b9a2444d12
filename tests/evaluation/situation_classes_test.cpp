#include <gtest/gtest.h>

#include <vector>

#include "evaluation/situation_classes.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// A situation array whose every element tells its own position: 1000 i + 100 j + k.
std::vector<double> positional_array(int nphi, int nu_max) {
  std::vector<double> c(static_cast<std::size_t>(nphi) * nu_max * 5);
  for (int i = 1; i <= 5; ++i)
    for (int j = 1; j <= nu_max; ++j)
      for (int k = 1; k <= nphi; ++k)
        c[((i - 1) * nu_max + (j - 1)) * nphi + (k - 1)] = 1000 * i + 100 * j + k;
  return c;
}

ModelParams standard_speeds() {
  ModelParams par;
  par.class_w_sp = {1.7, 5, 11};
  return par;
}

TEST(SituationClasses, ThreeClassSpeedsGiveTheElevenSituations) {
  const WindClasses wind{{1.7, 5, 11}, {1, 2, 3, 3, 2}};
  const ClassSpeedIndex index = make_class_speed_index(wind, standard_speeds());
  const int nphi = 4, nu_max = 3;
  const auto c = positional_array(nphi, nu_max);
  std::vector<double> cls(nphi * 11, -1.0);
  c_class(c.data(), nphi, nu_max, index, cls.data());

  const int expected_ij[11][2] = {{1, 1}, {2, 1}, {2, 2}, {3, 1}, {3, 2}, {3, 3},
                                  {4, 1}, {4, 2}, {4, 3}, {5, 1}, {5, 2}};
  for (int m = 0; m < 11; ++m)
    for (int k = 1; k <= nphi; ++k)
      EXPECT_EQ(cls[m * nphi + (k - 1)], 1000 * expected_ij[m][0] + 100 * expected_ij[m][1] + k)
          << "column " << m << " direction " << k;
  // The two columns named by the methodology: column 2 = c(:,2,2), column 8 = c(:,3,4).
  EXPECT_EQ(cls[2 * nphi + 0], 2201);
  EXPECT_EQ(cls[8 * nphi + 3], 4304);
}

TEST(SituationClasses, ClassSpeedsAreFoundInAFinerGridWithinTolerance) {
  // Class speeds sit at positions 2, 4 and 6; 1.7 + 5e-6 still matches 1.7, the first hit wins.
  const WindClasses wind{{1.0, 1.7, 3.0, 5.0, 7.0, 11.0, 1.7}, {2, 4, 7, 6, 4}};
  ModelParams par;
  par.class_w_sp = {1.7 + 5e-6, 5, 11};
  const ClassSpeedIndex index = make_class_speed_index(wind, par);
  const std::array<int, 11> expected{2, 2, 4, 2, 4, 6, 2, 4, 6, 2, 4};
  EXPECT_EQ(index.speed_class, expected);

  EXPECT_EQ(find_speed_class({1.7}, 1, 1.7 + 9e-6), 1);
  EXPECT_EQ(find_speed_class({1.7}, 1, 1.7 + 1.1e-5), -1);
  EXPECT_EQ(find_speed_class({1.7, 5.0}, 1, 5.0), -1);  // only the first n entries count
}

TEST(SituationClasses, MissingClassSpeedStopsWithClassAndSpeed) {
  // Class II needs 5 m/s but has only the first speed class.
  const WindClasses wind{{1.7, 5, 11}, {1, 1, 3, 3, 2}};
  EXPECT_INPUT_ERROR(make_class_speed_index(wind, standard_speeds()),
                     "Rychlost vetru 5.00 m/s tridy stability II neni mezi rychlostmi vetru "
                     "vypoctu.");
  // A speed a class does not need may be missing: class I only needs speed 1.
  const WindClasses only_needed{{1.7, 5, 11}, {1, 2, 3, 3, 2}};
  EXPECT_NO_THROW(make_class_speed_index(only_needed, standard_speeds()));
  const WindClasses class_v{{1.7, 11, 5}, {1, 3, 3, 3, 2}};
  EXPECT_INPUT_ERROR(make_class_speed_index(class_v, standard_speeds()),
                     "Rychlost vetru 5.00 m/s tridy stability V neni mezi rychlostmi vetru "
                     "vypoctu.");
}

}  // namespace
}  // namespace kadre

#include "model/plume_rise.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/dispersion_model.h"
#include "model_world.h"

namespace kadre {
namespace {

TEST(Prevyseni, BuoyantAndMomentumParts) {
  // beta = 0: momentum only, 1.5 w d / u.
  EXPECT_DOUBLE_EQ(prevyseni(10, 2, 0, 25, 1.2, 0.5, 0, 3, 5, 1000), 1.5 * 10 * 2 / 5);
  // beta = 1: buoyant only, qa ks q^qb / u.
  EXPECT_DOUBLE_EQ(prevyseni(10, 2, 1, 25, 1.2, 0.5, 0, 3, 5, 1000), 3 * 1.2 * 5 / 5);
}

TEST(Prevyseni, RiseGrowsWithTwoThirdsPowerUpToFullRiseDistance) {
  // x_m = sqrt(q) km = 5 x 80 = 400.
  const double full = prevyseni(0, 0, 1, 25, 1, 0.5, 80, 10, 2, 400);
  EXPECT_DOUBLE_EQ(full, 25);
  EXPECT_EQ(prevyseni(0, 0, 1, 25, 1, 0.5, 80, 10, 2, 0), full);
  EXPECT_EQ(prevyseni(0, 0, 1, 25, 1, 0.5, 80, 10, 2, 5000), full);
  EXPECT_NEAR(prevyseni(0, 0, 1, 25, 1, 0.5, 80, 10, 2, 50) / full, 0.25, 1e-7);
  EXPECT_NE(prevyseni(0, 0, 1, 25, 1, 0.5, 80, 10, 2, 50) / full, 0.25);  // single-precision 2/3
}

TEST(Prevyseni, NoBuoyancyIgnoresANegativeHeatOutput) {
  const double dh = prevyseni(10, 2, 0, -5, 1.2, 0.5, 10, 3, 5, 100);
  EXPECT_DOUBLE_EQ(dh, 6.0);
  EXPECT_DOUBLE_EQ(prevyseni(10, 2, 0, 0, 1.2, -0.5, 10, 3, 5, 100), 6.0);
}

std::vector<Source> two_stacks(int cluster) {
  Source a = test::cold_stack(1000, 1000, 50);
  Source b = test::cold_stack(1050, 1000, 50);
  a.tep_vyd = b.tep_vyd = 10;
  a.shluk = b.shluk = cluster;
  Source far = test::cold_stack(9000, 9000, 300);
  far.shluk = cluster + 1;
  far.tep_vyd = 10;
  return {a, far, b};
}

TEST(Sfaktor, TwoStacksFiftyMetresApart) {
  const ClusterTable clusters(two_stacks(5));
  const double f = sfaktor(clusters, 5, 50, 100);
  EXPECT_NEAR(f, 1.1187, 5e-5);
  EXPECT_DOUBLE_EQ(f, std::cbrt(3.5 / 2.5));
  // Numbered above 1000, the spacing test uses D / (n - 1) and E still D.
  const ClusterTable big(two_stacks(1005));
  EXPECT_DOUBLE_EQ(sfaktor(big, 1005, 50, 100), f);
  // A single source in its cluster: 1.
  EXPECT_EQ(sfaktor(clusters, 6, 300, 100), 1.0);
  EXPECT_EQ(sfaktor(big, 1006, 300, 100), 1.0);
  EXPECT_EQ(sfaktor(clusters, 77, 50, 100), 1.0);  // unknown cluster
}

TEST(Sfaktor, HeightOutsideTheClusterBandOrSpacingTooWide) {
  std::vector<Source> z = two_stacks(5);
  z[0].h = 100;
  z[0].tep_vyd = 0;  // carries no weight in the mean height
  z[2].h = 40;
  const ClusterTable clusters(z);  // heat-weighted mean height 40
  EXPECT_EQ(sfaktor(clusters, 5, 100, 100), 1.0);
  EXPECT_GT(sfaktor(clusters, 5, 40, 100), 1.0);
  std::vector<Source> wide = two_stacks(5);
  wide[2].x = 1000 + 76;  // 76 > 1.5 x 50
  EXPECT_EQ(sfaktor(ClusterTable(wide), 5, 50, 100), 1.0);
  // All heat outputs 0: no mean height, factor 1.
  std::vector<Source> cold = two_stacks(5);
  cold[0].tep_vyd = cold[2].tep_vyd = 0;
  EXPECT_EQ(sfaktor(ClusterTable(cold), 5, 50, 100), 1.0);
}

TEST(Sfaktor, NoRiseGivesOneInsteadOfNotANumber) {
  const ClusterTable clusters(two_stacks(5));
  EXPECT_EQ(sfaktor(clusters, 5, 50, 0), 1.0);
  std::vector<Source> together = two_stacks(5);
  together[2].x = together[0].x;  // D = 0 and dh = 0 would be 0/0
  EXPECT_EQ(sfaktor(ClusterTable(together), 5, 50, 0), 1.0);
  EXPECT_DOUBLE_EQ(sfaktor(ClusterTable(together), 5, 50, 10), std::cbrt(2.0));
}

TEST(Hef, AreaSourceTakesItsTemperatureFieldAsRise) {
  test::ModelWorld w;
  Source area = test::cold_stack(1000, 1000, 5);
  area.typ_zdroje = 2;
  area.w = 0;
  area.d = 0;
  area.t = 12;
  area.beta = 1;
  area.qa = 50;
  area.tep_vyd = 100;
  w.zdroje = {area};
  const auto ctx = w.ctx();
  const PlumeHeight h = hef(ctx, area, 3, 4, 10, 500, 0);
  EXPECT_EQ(h.h_plume, 17);
  EXPECT_EQ(h.h_ef, 17);
}

TEST(Hef, ClusterFactorAppliedOnlyWhenSwitchedOn) {
  test::ModelWorld w;
  std::vector<Source> z = two_stacks(5);
  for (Source& s : z) {
    s.beta = 1;
    s.qa = 20;
  }
  w.zdroje = z;
  w.par.km = {0, 0, 0, 0, 0};
  const double u_s = 4 * std::pow(5.0, w.par.u_p[3]);
  const double dh = 20 * 1.3 * std::sqrt(10.0) / u_s;
  {
    const auto ctx = w.ctx();
    EXPECT_DOUBLE_EQ(hef(ctx, z[0], 4, 4, 10, 500, 0).h_plume, 50 + dh);
  }
  w.cfg.is_shluky = true;
  const auto ctx = w.ctx();
  const double e = 6 / std::sqrt(2.0) * std::pow(50 / dh, 1.5);
  EXPECT_DOUBLE_EQ(hef(ctx, z[0], 4, 4, 10, 500, 0).h_plume, 50 + dh * std::cbrt((2 + e) / (1 + e)));
  // Terrain step: eps = 0.5, zmax above half the plume height.
  const PlumeHeight over = hef(ctx, z[0], 4, 4, 10, 500, 1000);
  EXPECT_DOUBLE_EQ(over.h_ef, 1000 + 0.5 * over.h_plume);
}

}  // namespace
}  // namespace kadre

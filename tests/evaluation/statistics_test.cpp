#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "evaluation/statistics.h"
#include "support/test_support.h"

namespace kadre {
namespace {

std::size_t at(int k, int j, int i, int nphi, int nu_max) {
  return static_cast<std::size_t>(((i - 1) * nu_max + (j - 1)) * nphi + (k - 1));
}

// A single wind rose with every class-direction frequency equal to w.
WindRoses uniform_rose(int nphi, double w) {
  WindRoses r;
  r.nphi = nphi;
  r.met_num = 1;
  r.values.assign(static_cast<std::size_t>(nphi) * 11, w);
  return r;
}

TEST(Statistics, TableOrderAndBlocks) {
  ASSERT_EQ(stats().size(), 37u);
  for (const auto& name : stats()) EXPECT_LE(name.size(), 12u) << name;
  const StatRows& rows = stat_rows();
  EXPECT_EQ(stats()[rows.ave], "ave");
  EXPECT_EQ(stats()[rows.ch_max + 3], "Ch_w_dir_max");
  EXPECT_EQ(stats()[rows.ch_classes + 10], "Ch_V_5");
  EXPECT_EQ(stats()[rows.th + 2], "Th3");
  EXPECT_EQ(stats()[rows.cd_max + 3], "Cd_w_dir_max");
  EXPECT_EQ(stats()[rows.cd_classes + 10], "Cd_V_5");
  EXPECT_EQ(stats()[rows.td + 2], "Td3");
  EXPECT_EQ(rows.td + 2, 36);
}

TEST(Statistics, AverageWeighsClassesWithTheRoseAndTheTimeUse) {
  const int nphi = 2;
  std::vector<double> cls(nphi * 11, 0.0), rose(nphi * 11, 0.0);
  cls[0] = 10;  // k=1, m=0
  rose[0] = 0.25;
  cls[2 * 10 + 1] = 4;  // k=2, m=10
  rose[2 * 10 + 1] = 0.5;
  EXPECT_DOUBLE_EQ(eval_average(cls, rose, 0.5), 0.5 * (2.5 + 2.0));
  EXPECT_EQ(eval_average(cls, rose, 0.0), 0.0);
  const std::vector<double> shorter(nphi * 11 - 1, 0.0);
  EXPECT_RUN_ERROR(eval_average(cls, shorter, 1.0),
                   " error subroutine eval_average: rozdilne dimense vstupnich poli\n");
}

TEST(Statistics, ExceedanceIsStrictAndSetOnceByTheFirstNonZeroFactor) {
  const int nphi = 1;
  const std::array<double, 3> limits{10.0, 20.0, 0.0};
  std::vector<double> sum(11, 0.0), record(11 * 3, 0.0);
  sum[0] = 10.0;  // equal to limit 1: not exceeded
  prepare_exceed(sum.data(), record.data(), limits, 0.9, nphi);
  EXPECT_EQ(record[0], 0.0);
  EXPECT_EQ(record[11 + 0], 0.0);
  EXPECT_EQ(record[22 + 0], 0.9);  // above limit 3 (0)
  EXPECT_EQ(record[22 + 1], 0.0);  // a zero sum is not above 0

  sum[0] = 15.0;  // a source with time_use 0 pushes the sum over limit 1
  prepare_exceed(sum.data(), record.data(), limits, 0.0, nphi);
  EXPECT_EQ(record[0], 0.0);
  prepare_exceed(sum.data(), record.data(), limits, 0.4, nphi);  // the next source sets it
  EXPECT_EQ(record[0], 0.4);
  sum[0] = 25.0;
  prepare_exceed(sum.data(), record.data(), limits, 0.2, nphi);
  EXPECT_EQ(record[0], 0.4);  // never changed once set
  EXPECT_EQ(record[11], 0.2);
  EXPECT_EQ(record[22], 0.9);
}

TEST(Statistics, HoursOfExceedanceUseWindRoseOne) {
  const int nphi = 2;
  WindRoses roses = uniform_rose(nphi, 0.01);
  roses.met_num = 2;
  roses.values.resize(nphi * 11 * 2, 0.5);  // rose 2 must not count
  std::vector<double> t(nphi * 11, 0.0);
  t[0] = 1.0;
  t[nphi * 11 - 1] = 0.5;
  EXPECT_NEAR(eval_t_exceed(t.data(), roses, nphi), 8760 * 0.015, 1e-9);

  WindRoses none;  // no source, hence no wind rose: no hours instead of an index fault
  EXPECT_EQ(eval_t_exceed(t.data(), none, nphi), 0.0);
}

TEST(Statistics, MaximumTakesTheFirstOccurrenceInStorageOrder) {
  const int nphi = 4, nu_max = 2;
  const std::vector<double> u_range{1.7, 5.0};
  std::vector<double> c(nphi * nu_max * 5, 1.0);
  c[at(3, 2, 4, nphi, nu_max)] = 7.0;  // later stability class
  c[at(4, 1, 2, nphi, nu_max)] = 7.0;
  c[at(2, 1, 2, nphi, nu_max)] = 7.0;  // smaller direction, same class and speed
  MaxSituation m = find_max(c.data(), nphi, nu_max, u_range, 90.0);
  EXPECT_EQ(m.cmax, 7.0);
  EXPECT_EQ(m.iclass, 2);
  EXPECT_EQ(m.wsp, 1.7);
  EXPECT_EQ(m.wdir, 90.0);

  std::fill(c.begin(), c.end(), 0.0);
  c[at(3, 2, 5, nphi, nu_max)] = 2.5;
  m = find_max(c.data(), nphi, nu_max, u_range, 2.0);
  EXPECT_EQ(m.iclass, 5);
  EXPECT_EQ(m.wsp, 5.0);
  EXPECT_EQ(m.wdir, 4.0);  // direction index 3 with phi_step 2
}

TEST(Statistics, MaximumIgnoresNaNAndHandlesEmptyArrays) {
  const std::vector<double> u_range{1.7};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> c(5, nan);
  c[3] = 0.5;
  MaxSituation m = find_max(c.data(), 1, 1, u_range, 1.0);
  EXPECT_EQ(m.cmax, 0.5);
  EXPECT_EQ(m.iclass, 4);
  c[3] = nan;
  m = find_max(c.data(), 1, 1, u_range, 1.0);
  EXPECT_TRUE(std::isnan(m.cmax));
  EXPECT_EQ(m.iclass, 1);
  m = find_max(nullptr, 0, 1, u_range, 1.0);
  EXPECT_EQ(m.cmax, -1.7976931348623157e308);
}

class EvalStatTest : public ::testing::Test {
 protected:
  static constexpr int nphi = 2, nu_max = 1;
  Settings cfg;
  WindClasses wind{{1.7}, {1, 1, 1, 1, 1}};
  WindRoses rose = uniform_rose(nphi, 0.5);
  std::vector<double> c = std::vector<double>(nphi * nu_max * 5, 0.0);
  std::vector<double> c_d = c;
  std::vector<double> c_max = std::vector<double>(nphi * 11, 0.0);
  std::vector<double> cd_max = c_max;
  std::vector<double> th = std::vector<double>(nphi * 11 * 3, 0.0);
  std::vector<double> td = th;
  std::vector<double> row = std::vector<double>(37, 0.0);

  void SetUp() override {
    cfg.nphi = nphi;
    cfg.phi_step = 180;
    c[at(2, 1, 3, nphi, nu_max)] = 8.0;
    c_d[at(1, 1, 5, nphi, nu_max)] = 3.0;
    c_max[nphi * 4 + 1] = 6.0;  // class 4, direction 2
    c_max[nphi * 4 + 0] = 2.0;
    cd_max[nphi * 10 + 0] = 1.5;
    th[0] = 1.0;  // limit 1, class 0, direction 1
    td[2 * nphi * 11 + 3] = 0.5;  // limit 3
  }
  void evaluate() {
    const StatContext ctx{cfg, wind, rose, nu_max};
    const PointTotals totals{c.data(), c_d.data(), c_max.data(), cd_max.data(),
                             0.125,    th.data(),  td.data()};
    eval_stat(ctx, totals, row.data());
  }
};

TEST_F(EvalStatTest, EverySwitchFillsItsRows) {
  cfg.is_average = cfg.is_max_abs = cfg.is_max_11 = cfg.is_exceed = cfg.is_daily = true;
  evaluate();
  const std::vector<double> expected{
      0.125, 8, 3, 1.7, 180, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 4380, 0, 0,
      3, 5, 1.7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.5, 0, 0, 2190};
  EXPECT_EQ(row, expected);
}

TEST_F(EvalStatTest, DailyRowsStayZeroWithoutIsDaily) {
  cfg.is_max_abs = cfg.is_max_11 = cfg.is_exceed = true;
  evaluate();
  for (int r = stat_rows().cd_max; r < 37; ++r) EXPECT_EQ(row[r], 0.0) << stats()[r];
  EXPECT_EQ(row[stat_rows().ave], 0.0);
  EXPECT_EQ(row[stat_rows().th], 4380.0);
}

}  // namespace
}  // namespace kadre

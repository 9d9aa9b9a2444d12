// The statistics of one reference point: daily values, the situation classes, the average,
// exceedances and maxima, and the rows they fill.
#include "evaluation/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "evaluation/daily_maxima.h"
#include "evaluation/situation_classes.h"
#include "support/test_support.h"

namespace kadre {
namespace {

double daily_of(double c, double f, const std::string& type) {
  std::vector<double> out{-1.0};
  daily(std::vector<double>{c}, f, parse_daily_type(type), out);
  return out[0];
}

// Reference values: the relations evaluated in double precision with the coefficients rounded
// to single precision first (an independent script); 1e-9 separates them from the results with
// double-precision coefficients, which differ by about 1e-5.
TEST(DailyMaxima, RelationsBelowAtAndAboveTheirThresholds) {
  const struct { double c, f; const char* type; double expected, tolerance; } cases[] = {
      {360, 24, "PM10", 301.1039900779724, 1e-9},         {1000, 24, "PM10", 683.1775307352215, 1e-9},
      {360.000001, 24, "PM10", 301.32606601776916, 1e-6}, {1000, 0, "PM10", 0, 0},
      {100, 12, "SO2", 37.19500005245209, 1e-9},          {100, 12, "SO2 ", 37.19500005245209, 1e-9},
      {388, 24, "SO2", 288.6332004070282, 1e-9},          {389, 24, "SO2", 288.80380058661103, 1e-9}};
  for (const auto& c : cases) EXPECT_NEAR(daily_of(c.c, c.f, c.type), c.expected, c.tolerance) << c.type << c.c;
  const std::vector<double> in{0.0, 100.0, 1000.0, 0.0};  // every element on its own
  std::vector<double> out(4, -1.0);
  daily(in, 24, DailyType::pm10, out);
  EXPECT_EQ(out[0], 0.0);
  EXPECT_NEAR(out[1], 83.639997243881226, 1e-9);
  EXPECT_NEAR(out[2], 683.1775307352215, 1e-9);
  EXPECT_EQ(out[3], 0.0);
  // A concentration of 0 takes the linear relation (no logarithm of 0), down to the sign of the
  // zero and a daily factor that is negative or not a number.
  for (const auto& [type, k] : {std::pair{"PM10", 0.8364f}, {"SO2", 0.7439f}})
    for (double f : {24.0, -3.0, 0.0, std::nan(""), HUGE_VAL})
      for (double zero : {0.0, -0.0}) {
        const double expected = zero * static_cast<double>(k) * f / 24.0, got = daily_of(zero, f, type);
        if (std::isnan(expected)) {
          EXPECT_TRUE(std::isnan(got)) << type << " " << f;
        } else {
          EXPECT_EQ(got, expected) << type << " " << f;
          EXPECT_EQ(std::signbit(got), std::signbit(expected)) << type << " " << f << " " << zero;
        }
      }
}

TEST(DailyMaxima, TypeIsParsedOnceAndRejectedOnlyWhenUsed) {
  for (const auto& [text, type] : {std::pair{"PM10", DailyType::pm10}, {"SO2  ", DailyType::so2},
                                   {" SO2", DailyType::invalid}, {"so2", DailyType::invalid}, {"", DailyType::invalid}})
    EXPECT_EQ(parse_daily_type(text), type) << text;
  std::vector<double> out{0.0};
  EXPECT_RUN_ERROR(daily(std::vector<double>{1.0}, 24, DailyType::invalid, out),
                   " Chyba ve funkci daily. Zadany typ pro vypocet dennich maximalnich "
                   "koncentraci, neodpovida ocekavanym hodnotam.\n");
}

std::size_t at(int k, int j, int i, int nphi, int nu_max) {
  return static_cast<std::size_t>(((i - 1) * nu_max + (j - 1)) * nphi + (k - 1));
}

ModelParams standard_speeds() {
  ModelParams par;
  par.class_w_sp = {1.7, 5, 11};
  return par;
}

TEST(SituationClasses, ThreeClassSpeedsGiveTheElevenSituations) {
  const int nphi = 4, nu_max = 3;
  std::vector<double> c(nphi * nu_max * 5);  // every element tells its position
  for (int i = 1; i <= 5; ++i)
    for (int j = 1; j <= nu_max; ++j)
      for (int k = 1; k <= nphi; ++k) c[at(k, j, i, nphi, nu_max)] = 1000 * i + 100 * j + k;
  const ClassSpeedIndex index = make_class_speed_index({{1.7, 5, 11}, {1, 2, 3, 3, 2}}, standard_speeds());
  std::vector<double> cls(nphi * 11, -1.0);
  c_class(c.data(), nphi, nu_max, index, cls.data());
  const int expected_ij[11][2] = {{1, 1}, {2, 1}, {2, 2}, {3, 1}, {3, 2}, {3, 3},
                                  {4, 1}, {4, 2}, {4, 3}, {5, 1}, {5, 2}};
  for (int m = 0; m < 11; ++m)
    for (int k = 1; k <= nphi; ++k)
      EXPECT_EQ(cls[m * nphi + (k - 1)], 1000 * expected_ij[m][0] + 100 * expected_ij[m][1] + k) << m << " " << k;
}

TEST(SituationClasses, ClassSpeedsFoundInAFinerGridOrTheRunStops) {
  // Class speeds at positions 2, 4 and 6; 1.7 + 5e-6 still matches 1.7, the first hit wins.
  ModelParams par;
  par.class_w_sp = {1.7 + 5e-6, 5, 11};
  const ClassSpeedIndex index = make_class_speed_index({{1.0, 1.7, 3.0, 5.0, 7.0, 11.0, 1.7}, {2, 4, 7, 6, 4}}, par);
  EXPECT_EQ(index.speed_class, (std::array<int, 11>{2, 2, 4, 2, 4, 6, 2, 4, 6, 2, 4}));
  EXPECT_EQ(find_speed_class({1.7}, 1, 1.7 + 9e-6), 1);
  EXPECT_EQ(find_speed_class({1.7}, 1, 1.7 + 1.1e-5), -1);
  EXPECT_EQ(find_speed_class({1.7, 5.0}, 1, 5.0), -1);  // only the first n entries count
  // A speed that a class needs is missing; one it does not need may be missing.
  const std::string tail = " neni mezi rychlostmi vetru vypoctu.";
  EXPECT_INPUT_ERROR(make_class_speed_index({{1.7, 5, 11}, {1, 1, 3, 3, 2}}, standard_speeds()),
                     "Rychlost vetru 5.00 m/s tridy stability II" + tail);
  EXPECT_INPUT_ERROR(make_class_speed_index({{1.7, 11, 5}, {1, 3, 3, 3, 2}}, standard_speeds()),
                     "Rychlost vetru 5.00 m/s tridy stability V" + tail);
}

TEST(Statistics, AverageWeighsClassesWithTheRoseAndTheTimeUse) {
  std::vector<double> cls(2 * 11, 0.0), rose(2 * 11, 0.0);
  cls[0] = 10;  // direction 1, class 0
  rose[0] = 0.25;
  cls[21] = 4;  // direction 2, class 10
  rose[21] = 0.5;
  EXPECT_DOUBLE_EQ(eval_average(cls, rose, 0.5), 0.5 * (2.5 + 2.0));
  EXPECT_EQ(eval_average(cls, rose, 0.0), 0.0);
  EXPECT_RUN_ERROR(eval_average(cls, std::vector<double>(21, 0.0), 1.0),
                   " error subroutine eval_average: rozdilne dimense vstupnich poli\n");
}

TEST(Statistics, ExceedanceIsStrictAndSetOnceByTheFirstNonZeroFactor) {
  const std::array<double, 3> limits{10.0, 20.0, 0.0};
  std::vector<double> sum(11, 0.0), record(11 * 3, 0.0);
  sum[0] = 10.0;  // equal to limit 1: not exceeded
  prepare_exceed(sum.data(), record.data(), limits, 0.9, 1);
  EXPECT_EQ(record[0], 0.0);
  EXPECT_EQ(record[11], 0.0);
  EXPECT_EQ(record[22], 0.9);      // above limit 3 (0)
  EXPECT_EQ(record[22 + 1], 0.0);  // a zero sum is not above 0
  sum[0] = 15.0;  // a source with time_use 0 pushes the sum over limit 1, the next one sets it
  prepare_exceed(sum.data(), record.data(), limits, 0.0, 1);
  EXPECT_EQ(record[0], 0.0);
  prepare_exceed(sum.data(), record.data(), limits, 0.4, 1);
  EXPECT_EQ(record[0], 0.4);
  sum[0] = 25.0;
  prepare_exceed(sum.data(), record.data(), limits, 0.2, 1);
  EXPECT_EQ(record[0], 0.4);  // never changed once set
  EXPECT_EQ(record[11], 0.2);
  EXPECT_EQ(record[22], 0.9);
  // Hours per year with wind rose 1 (rose 2 must not count); no rose gives no hours.
  WindRoses roses;
  roses.nphi = roses.met_num = 2;
  roses.values.assign(2 * 11, 0.01);
  roses.values.resize(2 * 11 * 2, 0.5);
  std::vector<double> t(2 * 11, 0.0);
  t[0] = 1.0;
  t[21] = 0.5;
  EXPECT_NEAR(eval_t_exceed(t.data(), roses, 2), 8760 * 0.015, 1e-9);
  EXPECT_EQ(eval_t_exceed(t.data(), WindRoses{}, 2), 0.0);
}

TEST(Statistics, MaximumTakesTheFirstOccurrenceInStorageOrder) {
  const int nphi = 4, nu_max = 2;
  const std::vector<double> u_range{1.7, 5.0};
  std::vector<double> c(nphi * nu_max * 5, 1.0);
  for (const auto& [k, j, i] : {std::tuple{3, 2, 4}, {4, 1, 2}, {2, 1, 2}}) c[at(k, j, i, nphi, nu_max)] = 7.0;
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
  EXPECT_EQ(find_max(nullptr, 0, 1, u_range, 1.0).cmax, -1.7976931348623157e308);  // empty: the lowest number
}

TEST(EvalStat, EverySwitchFillsItsRowsAndOnlyThose) {
  const int nphi = 2, nu_max = 1;
  Settings cfg;
  cfg.nphi = nphi;
  cfg.phi_step = 180;
  const WindClasses wind{{1.7}, {1, 1, 1, 1, 1}};
  WindRoses rose;
  rose.nphi = nphi;
  rose.met_num = 1;
  rose.values.assign(nphi * 11, 0.5);
  std::vector<double> c(nphi * nu_max * 5, 0.0), c_d = c, c_max(nphi * 11, 0.0), cd_max = c_max;
  std::vector<double> th(nphi * 11 * 3, 0.0), td = th;
  c[at(2, 1, 3, nphi, nu_max)] = 8.0;
  c_d[at(1, 1, 5, nphi, nu_max)] = 3.0;
  c_max[nphi * 4 + 1] = 6.0;  // class 4, direction 2
  c_max[nphi * 4 + 0] = 2.0;
  cd_max[nphi * 10 + 0] = 1.5;
  th[0] = 1.0;                  // limit 1, class 0, direction 1
  td[2 * nphi * 11 + 3] = 0.5;  // limit 3
  const auto evaluate = [&] {
    std::vector<double> row(37, 0.0);
    const PointTotals totals{c.data(), c_d.data(), c_max.data(), cd_max.data(), 0.125, th.data(), td.data()};
    eval_stat({cfg, wind, rose, nu_max}, totals, row.data());
    return row;
  };
  cfg.is_average = cfg.is_max_abs = cfg.is_max_11 = cfg.is_exceed = cfg.is_daily = true;
  EXPECT_EQ(evaluate(), (std::vector<double>{0.125, 8, 3, 1.7, 180, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 4380, 0, 0,
                                             3, 5, 1.7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.5, 0, 0, 2190}));
  cfg.is_average = cfg.is_daily = false;
  EXPECT_EQ(evaluate(), (std::vector<double>{0, 8, 3, 1.7, 180, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 4380, 0, 0,
                                             0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace kadre

// The statistics of one reference point: daily values at their thresholds, exceedances,
// maxima, the class speeds and the rows each switch fills.
#include "evaluation/statistics.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "evaluation/daily_maxima.h"
#include "evaluation/situation_classes.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// Reference values: the relations evaluated in double precision with the coefficients rounded
// to single precision first (an independent script), at and just above each threshold.
TEST(DailyMaxima, RelationsAtTheirThresholds) {
  using enum DailyType;
  const struct {
    double c;
    DailyType type;
    double expected;
  } cases[] = {{360, pm10, 301.1039900779724},
               {std::nextafter(360.0, 361.0), pm10, 301.32606529049025},
               {1000, pm10, 683.1775307352215},
               {388, so2, 288.6332004070282},
               {std::nextafter(388.0, 389.0), so2, 288.76960058510303},
               {389, so2, 288.80380058661103}};
  for (const auto& c : cases) {
    std::vector<double> out{-1.0};
    daily(std::vector<double>{c.c}, 24, c.type, out);
    EXPECT_NEAR(out[0], c.expected, 1e-9) << c.c;
  }
  // The same values in one call, where the values above the threshold take the relation and
  // those at it keep the linear part.
  for (const DailyType type : {pm10, so2}) {
    std::vector<double> c, out;
    for (const auto& k : cases)
      if (k.type == type) c.push_back(k.c);
    out.assign(c.size(), -1.0);
    daily(c, 24, type, out);
    std::size_t i = 0;
    for (const auto& k : cases) {
      if (k.type != type) continue;
      EXPECT_NEAR(out[i++], k.expected, 1e-9) << k.c;
    }
  }
}

// The vector path's daily values: the linear part as one product, within a few units in the
// last place of daily(), the rest bit for bit; and which factors keep +0 at +0.
TEST(DailyMaxima, ScaledValuesAgreeAndZeroIsKeptOnlyByPlainFactors) {
  using enum DailyType;
  const std::vector<double> c{0.0, 1e-300, 3.7, 359.9, 360.0, 361.0, 1e4, std::nan(""), -2.0};
  for (const DailyType type : {pm10, so2})
    for (const double f : {24.0, 7.5}) {
      std::vector<double> exact(c.size()), scaled(c.size());
      daily(c, f, type, exact);
      daily_scaled(c, f, type, scaled);
      for (std::size_t i = 0; i < c.size(); ++i) {
        if (std::isnan(exact[i])) {
          EXPECT_TRUE(std::isnan(scaled[i])) << i;
          continue;
        }
        if (c[i] > daily_linear(f, type).threshold)
          EXPECT_EQ(scaled[i], exact[i]) << c[i];
        else
          EXPECT_NEAR(scaled[i], exact[i], 4e-16 * std::fabs(exact[i])) << c[i];
      }
    }
  EXPECT_TRUE(daily_keeps_zero(16, pm10));
  EXPECT_TRUE(daily_keeps_zero(0, so2));
  EXPECT_FALSE(daily_keeps_zero(-8, pm10));        // -0
  EXPECT_FALSE(daily_keeps_zero(1.0 / 0.0, so2));  // NaN
  EXPECT_FALSE(daily_keeps_zero(24, invalid));
}

// One direction: the class sums after successive sources against the limits 10, 20 and 0.
TEST(Statistics, ExceedanceIsStrictAndSetOnceByTheFirstNonZeroFactor) {
  const std::array<double, 3> limits{10.0, 20.0, 0.0};
  std::vector<double> sum(11, 0.0), record(33, 0.0);
  const struct {
    double sum, factor;
    std::array<double, 3> record;
  } steps[] = {{0, 0.9, {0, 0, 0}},     // a zero sum is not above 0
               {10, 0.8, {0, 0, 0.8}},  // equal to the limit is not above it
               {15, 0, {0, 0, 0.8}},    // a source of factor 0 leaves the record unset
               {15, 0.4, {0.4, 0, 0.8}},  {20, 0.3, {0.4, 0, 0.8}},  // equal to the second limit
               {25, 0.2, {0.4, 0.2, 0.8}}};                          // once set, never changed
  for (const auto& s : steps) {
    sum[0] = s.sum;
    prepare_exceed(sum.data(), record.data(), limits, s.factor, 1);
    EXPECT_EQ((std::array<double, 3>{record[0], record[11], record[22]}), s.record)
        << s.sum << " " << s.factor;
  }
}

TEST(Statistics, MaximumTakesTheFirstOccurrenceInStorageOrder) {
  const int nphi = 4, nu_max = 2;
  const auto at = [](int k, int j, int i) {
    return std::size_t(((i - 1) * nu_max + (j - 1)) * nphi + (k - 1));
  };
  const std::vector<double> u_range{1.7, 5.0};
  std::vector<double> c(nphi * nu_max * 5, 1.0);
  for (const auto& [k, j, i] : {std::tuple{3, 2, 4}, {4, 1, 2}, {2, 1, 2}}) c[at(k, j, i)] = 7.0;
  MaxSituation m = find_max(c.data(), nphi, nu_max, u_range, 90.0);
  EXPECT_EQ((std::tuple{m.cmax, m.iclass, m.wsp, m.wdir}), (std::tuple{7.0, 2, 1.7, 90.0}));
  std::fill(c.begin(), c.end(), 0.0);
  c[at(3, 2, 5)] = 2.5;
  m = find_max(c.data(), nphi, nu_max, u_range, 2.0);
  EXPECT_EQ((std::tuple{m.cmax, m.iclass, m.wsp, m.wdir}), (std::tuple{2.5, 5, 5.0, 4.0}));
}

// Against the plain rule (the first element larger than every one before it, NaN skipped):
// zeros of both signs, NaN, infinities, at every length around the vector width.
TEST(Statistics, MaximumIsThatOfThePlainRuleForAwkwardValues) {
  const auto plain = [](const std::vector<double>& c) {
    std::ptrdiff_t pos = -1;
    for (std::size_t i = 0; i < c.size(); ++i)
      if (!std::isnan(c[i]) && (pos < 0 || c[i] > c[static_cast<std::size_t>(pos)]))
        pos = static_cast<std::ptrdiff_t>(i);
    return pos;
  };
  const double nan = std::nan(""), inf = HUGE_VAL;
  // Tables of zeros of both signs and NaN, of NaN alone, and of everything.
  const std::vector<std::vector<double>> pools{
      {0.0, -0.0, nan}, {nan}, {0.0, -0.0, nan, -inf, inf, 1.0, -1.0, 1e-300, 2.0}};
  std::mt19937 rng(7);
  for (int nphi = 1; nphi <= 5; ++nphi)
    for (int trial = 0; trial < 300; ++trial) {
      const std::vector<double>& pool = pools[static_cast<std::size_t>(trial % 3)];
      std::vector<double> c(static_cast<std::size_t>(nphi) * 5);
      for (double& v : c) v = pool[rng() % pool.size()];
      const MaxSituation m = find_max(c.data(), nphi, 1, {1.7}, 1.0);
      const std::ptrdiff_t pos = plain(c);
      const std::size_t at = pos < 0 ? 0 : static_cast<std::size_t>(pos);
      const double expected = pos < 0 ? nan : c[at];
      EXPECT_EQ(std::bit_cast<std::uint64_t>(m.cmax), std::bit_cast<std::uint64_t>(expected))
          << "nphi " << nphi << " trial " << trial;
      EXPECT_EQ(m.iclass, static_cast<int>(at) / nphi + 1) << "nphi " << nphi << " trial " << trial;
      EXPECT_EQ(m.wdir, static_cast<double>(static_cast<int>(at) % nphi)) << "trial " << trial;
    }
}

TEST(SituationClasses, ClassSpeedMissingFromTheWindSpeedClassesStops) {
  ModelParams par;
  par.class_w_sp = {1.7, 5, 11};
  // Class II needs 5 m/s, but only the first of its speeds counts.
  EXPECT_INPUT_ERROR(
      make_class_speed_index({{1.7, 5, 11}, {1, 1, 3, 3, 2}}, par),
      "Rychlost vetru 5.00 m/s tridy stability II neni mezi rychlostmi vetru vypoctu.");
}

// Every block gets a value that differs from the row's previous -1. The blocks: ave | Ch_max
// and its situation | 11 class maxima | 3 hourly exceedances | their daily counterparts.
TEST(EvalStat, EverySwitchFillsItsRowsAndOnlyThose) {
  const int nphi = 2;
  const WindClasses wind{{1.7}, {1, 1, 1, 1, 1}};
  const WindRoses rose{nphi, std::vector<double>(nphi * 11, 0.5)};
  const std::vector<double> c(nphi * 5, 2.0), cls(nphi * 11, 3.0), record(nphi * 11 * 3, 1.0);
  const PointTotals totals{c.data(), c.data(),      cls.data(),   cls.data(),
                           0.125,    record.data(), record.data()};
  const struct {
    bool average, max_abs, max_11, exceed, daily;
    std::string rows;
  } cases[] = {{true, false, false, false, true, "1|0000|00000000000|000|0000|00000000000|000"},
               {false, true, false, false, false, "0|1111|00000000000|000|0000|00000000000|000"},
               {false, false, true, false, false, "0|0000|11111111111|000|0000|00000000000|000"},
               {false, false, false, true, false, "0|0000|00000000000|111|0000|00000000000|000"},
               {false, true, false, false, true, "0|1111|00000000000|000|1111|00000000000|000"},
               {false, false, true, false, true, "0|0000|11111111111|000|0000|11111111111|000"},
               {false, false, false, true, true, "0|0000|00000000000|111|0000|00000000000|111"},
               {false, false, false, false, true, "0|0000|00000000000|000|0000|00000000000|000"}};
  for (const auto& k : cases) {
    Settings cfg;
    cfg.nphi = nphi;
    cfg.is_average = k.average, cfg.is_max_abs = k.max_abs, cfg.is_max_11 = k.max_11;
    cfg.is_exceed = k.exceed, cfg.is_daily = k.daily;
    std::vector<double> row(kStatCount, -1.0);
    eval_stat({cfg, wind, rose, 1}, totals, row.data());
    std::string filled;
    for (int r = 0; r < kStatCount; ++r) {
      if (k.rows[filled.size()] == '|') filled += '|';
      filled += row[r] != -1.0 ? '1' : '0';
    }
    EXPECT_EQ(filled, k.rows);
  }
}

}  // namespace
}  // namespace kadre

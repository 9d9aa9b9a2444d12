#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "evaluation/daily_maxima.h"
#include "support/test_support.h"

namespace kadre {
namespace {

double daily_of(double c, double f, const std::string& type) {
  const std::vector<double> in{c};
  std::vector<double> out{-1.0};
  daily(in, f, parse_daily_type(type), out);
  return out[0];
}

// Reference values: the relations evaluated in double precision with the coefficients
// rounded to single precision first (an independent script); 1e-9 separates them from the
// results with double-precision coefficients, which differ by about 1e-5.
TEST(DailyMaxima, Pm10RelationAtAndAboveItsThreshold) {
  EXPECT_NEAR(daily_of(360, 24, "PM10"), 301.1039900779724, 1e-9);
  EXPECT_NEAR(daily_of(1000, 24, "PM10"), 683.1775307352215, 1e-9);
  EXPECT_NEAR(daily_of(360.000001, 24, "PM10"), 301.32606601776916, 1e-6);
  EXPECT_EQ(daily_of(0, 24, "PM10"), 0.0);  // linear branch, no logarithm of 0
  EXPECT_EQ(daily_of(1000, 0, "PM10"), 0.0);
}

TEST(DailyMaxima, So2RelationAtAndAboveItsThreshold) {
  EXPECT_NEAR(daily_of(100, 12, "SO2"), 37.19500005245209, 1e-9);
  EXPECT_NEAR(daily_of(388, 24, "SO2"), 288.6332004070282, 1e-9);
  EXPECT_NEAR(daily_of(389, 24, "SO2"), 288.80380058661103, 1e-9);
  EXPECT_EQ(daily_of(0, 24, "SO2"), 0.0);
  EXPECT_EQ(daily_of(0, 24, "SO2 "), 0.0);
  EXPECT_NEAR(daily_of(100, 12, "SO2 "), 37.19500005245209, 1e-9);
}

TEST(DailyMaxima, TypeIsParsedOnceAndRejectedOnlyWhenUsed) {
  EXPECT_EQ(parse_daily_type("PM10"), DailyType::pm10);
  EXPECT_EQ(parse_daily_type("SO2  "), DailyType::so2);
  EXPECT_EQ(parse_daily_type(" SO2"), DailyType::invalid);
  EXPECT_EQ(parse_daily_type("so2"), DailyType::invalid);
  EXPECT_EQ(parse_daily_type(""), DailyType::invalid);
  const std::vector<double> in{1.0};
  std::vector<double> out{0.0};
  EXPECT_RUN_ERROR(daily(in, 24, DailyType::invalid, out),
                   " Chyba ve funkci daily. Zadany typ pro vypocet dennich maximalnich "
                   "koncentraci, neodpovida ocekavanym hodnotam.\n");
}

TEST(DailyMaxima, EveryElementIsConvertedOnItsOwn) {
  const std::vector<double> in{0.0, 100.0, 1000.0, 0.0};
  std::vector<double> out(4, -1.0);
  daily(in, 24, DailyType::pm10, out);
  EXPECT_EQ(out[0], 0.0);
  EXPECT_NEAR(out[1], 83.639997243881226, 1e-9);
  EXPECT_NEAR(out[2], 683.1775307352215, 1e-9);
  EXPECT_EQ(out[3], 0.0);
}

// A concentration of 0 takes the linear relation like any small one, down to the sign of
// the zero and a daily factor that is negative or not a number.
TEST(DailyMaxima, ZeroConcentrationFollowsTheLinearRelation) {
  for (const char* type : {"PM10", "SO2"}) {
    const double k = std::string(type) == "PM10" ? static_cast<double>(0.8364f) : static_cast<double>(0.7439f);
    for (double f : {24.0, -3.0, 0.0, std::nan(""), HUGE_VAL}) {
      for (double zero : {0.0, -0.0}) {
        const double expected = zero * k * f / 24.0;
        const double got = daily_of(zero, f, type);
        if (std::isnan(expected)) {
          EXPECT_TRUE(std::isnan(got)) << type << " " << f;
        } else {
          EXPECT_EQ(got, expected) << type << " " << f;
          EXPECT_EQ(std::signbit(got), std::signbit(expected)) << type << " " << f << " " << zero;
        }
      }
    }
  }
}

}  // namespace
}  // namespace kadre

// Whole runs at the edges of the loading and writing conditions: which switches read the
// wind rose, a run without any source, class speeds missing from the speed grid, and a
// result file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/small_case.h"

namespace kadre {
namespace {

const std::string kRun = " is_max_abs = T, output_stats = 'stats.csv'";

class RunConditions : public ::testing::Test {
 protected:
  void SetUp() override {
    c.flat_terrain();
    c.points("P1 2000 2000 0 1.5\n");
    c.sources("S1 2000 1000 0 1 0 0 AAA\n", "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\n");
  }
  bool stats_written() const { return std::filesystem::exists(c.dir().path() / "out/stats.csv"); }
  test::SmallCase c;
};

TEST_F(RunConditions, OnlyAverageAndExceedanceReadTheWindRose) {
  // No rose file exists: the maxima do not need it ...
  c.config(" is_max_abs = T, is_max_11 = T, is_daily = T, daily_type = 'SO2', ruzice_file = 'rose.txt'\n"
           " output_stats = 'stats.csv'");
  EXPECT_EQ(c.run().status, 0);
  // ... the exceedances and the average do, and stop before anything is computed.
  const std::string missing = " Soubor in/rose_AAA.txt s ruzici neexistuje.\n";
  for (const char* key : {"is_exceed", "is_average"}) {
    std::filesystem::remove(c.dir().path() / "out/stats.csv");
    c.config(std::string(" ") + key + " = T, ruzice_file = 'rose.txt', output_stats = 'stats.csv'");
    const auto r = c.run();
    EXPECT_EQ(r.status, 1) << key;
    ASSERT_GE(r.out.size(), missing.size());
    EXPECT_EQ(r.out.substr(r.out.size() - missing.size()), missing) << key;
    EXPECT_EQ(r.out.find("Vypocet"), std::string::npos);
    EXPECT_FALSE(stats_written());
  }
}

TEST_F(RunConditions, WithoutAnySourceEverythingIsZero) {
  c.sources("", "");
  c.config(" is_average = T, is_exceed = T, is_daily = T, daily_type = 'XX', ch_exceed = -1, -1, -1\n"
           " cd_exceed = 3*-1, ruzice_file = 'rose.txt', output_stats = 'stats.csv'\n"
           " is_time = T, time_file = 'met.txt', output_time = 'hourly.csv'");
  const auto r = c.run();
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string point = "P1                  ;2000.00;2000.00;300.00;1.50;";
  const std::string zero = "0.00000E+00";
  std::string zeros = zero;
  for (int n = 0; n < 6; ++n) zeros += ";" + zero;
  EXPECT_EQ(c.output("stats.csv"),
            "ID;x[m];y[m];z[m];l[m];ave;Th_-1.000;Th_-1.000;Th_-1.000;Td_-1.000;Td_-1.000;Td_-1.000\n" +
                point + zeros + "\n");
  EXPECT_EQ(c.output("avg_hourly.csv"), "ID;x[m];y[m];z[m];l[m];ave\n" + point + zero + "\n");
  EXPECT_EQ(c.output("max_hourly.csv"), "ID;x[m];y[m];z[m];l[m];max\n" + point + zero + "\n");
}

TEST_F(RunConditions, ClassSpeedMissingFromTheSpeedGridStops) {
  std::string param = test::sample_param_nml();
  const std::string speeds = "class_w_sp = 1.7, 5.0, 11.0,";
  ASSERT_NE(param.find(speeds), std::string::npos);
  param.replace(param.find(speeds), speeds.size(), "class_w_sp = 1.7, 5.0, 11.3,");
  c.dir().write("param.nml", param);
  c.config(kRun);  // the fine speed grid of the absolute maximum has no 11.3
  const auto r = c.run();
  EXPECT_EQ(r.status, 1);
  const std::string message = " Rychlost vetru 11.30 m/s tridy stability III neni mezi rychlostmi vetru vypoctu.\n";
  ASSERT_GE(r.out.size(), message.size());
  EXPECT_EQ(r.out.substr(r.out.size() - message.size()), message);
  EXPECT_FALSE(stats_written());
}

TEST_F(RunConditions, ResultFileThatCannotBeWrittenStops) {
  std::filesystem::create_directories(c.dir().path() / "out/stats.csv");
  c.config(kRun);
  const auto r = c.run();
  EXPECT_EQ(r.status, 1);
  const std::string tail = " Vypis vysledku\n Chyba pri zapisu do souboru out/stats.csv.\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
}

}  // namespace
}  // namespace kadre

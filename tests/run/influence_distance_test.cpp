// Which sources a reference point takes in: the limits infl_dist_min and infl_dist_max are
// themselves inside, and a source outside adds nothing to any result of the point, the
// hourly series included. Also where the absolute maximum reports its direction.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/small_case.h"

namespace kadre {
namespace {

// One point; S1 lies exactly 1000 m south of it, S2 1001 m, S3 500 m; S0 is S1 without
// any emission, which gives the results of a point that nothing reaches.
const std::string kDefinitions[] = {"S1 2000 1000 0 1 0 0 AAA CON\n", "S2 2000 999 0 1 0 0 AAA CON\n",
                                    "S3 2000 1500 0 1 0 0 AAA CON\n", "S0 2000 1000 0 1 0 0 AAA CON\n"};
const std::string kDescriptions[] = {"S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\n",
                                     "S2 3.0 0.5 40 0 20 1 0 0.8 24 0 0\n",
                                     "S3 4.0 0.5 30 0 20 1 0 0.8 24 0 0\n",
                                     "S0 0.0 0.0 50 0 20 1 0 0.8 24 0 0\n"};
const char* const kOutputs[] = {"stats.csv", "hourly.csv", "avg_hourly.csv", "max_hourly.csv"};

class InfluenceDistance : public ::testing::Test {
 protected:
  void SetUp() override {
    c.flat_terrain();
    c.points("P1 2000 2000 0 1.5\n");
    c.uniform_rose("rose_AAA.txt", 0.25);
    // Three hours with the wind from the south, blowing from the sources to the point.
    c.file("met_AAA.txt", "2026 1 1 0 180 2.0 0.5\n2026 1 1 1 178 4.0 -0.2\n2026 1 1 2 183 1.5 1.0\n");
  }
  void use_sources(std::initializer_list<int> which) {
    std::string definitions, descriptions;
    for (int s : which) definitions += kDefinitions[s], descriptions += kDescriptions[s];
    c.sources(definitions, descriptions);
  }
  // Every result file of a run of both evaluations with the given distance limits.
  std::string run_with(const std::string& limits) {
    c.config(" is_average = T, is_max_abs = T, is_max_11 = T, is_exceed = T, is_daily = T\n"
             " daily_type = 'PM10', ch_exceed = 0.001, 1, 10, wind_rotation = F\n"
             " ruzice_file = 'rose.txt', output_stats = 'stats.csv'\n"
             " is_time = T, time_file = 'met.txt', output_time = 'hourly.csv'\n" + limits);
    const auto r = c.run({"2"});
    EXPECT_EQ(r.status, 0) << r.out;
    std::string all;
    for (const char* name : kOutputs) all += c.output(name) + "|";
    return all;
  }
  test::SmallCase c;
};

TEST_F(InfluenceDistance, SourcesOnTheLimitsCountAndSourcesOutsideAddNothing) {
  use_sources({0});
  const std::string only_s1 = run_with("");
  use_sources({0, 1, 2});
  EXPECT_NE(run_with(""), only_s1);
  EXPECT_EQ(run_with(" infl_dist_min = 1000, infl_dist_max = 1000"), only_s1);
  EXPECT_EQ(run_with(" infl_dist_max = 1000.5, infl_dist_min = 999.5"), only_s1);

  // Without S1 nothing reaches the point.
  use_sources({3});
  const std::string none = run_with("");
  EXPECT_NE(none, only_s1);
  use_sources({1, 2});
  EXPECT_EQ(run_with(" infl_dist_min = 1000, infl_dist_max = 1000"), none);
  use_sources({0});
  EXPECT_EQ(run_with(" infl_dist_max = 999.999"), none);
}

TEST_F(InfluenceDistance, DirectionOfTheAbsoluteMaximumWithPhiStep2) {
  // The source lies at azimuth 4 degrees from the point: direction index 3 with phi_step 2.
  const double a = 4.0 * 3.141592653589793 / 180.0;
  std::ostringstream def;
  def.precision(17);
  def << "S1 " << 2000 + 1000 * std::sin(a) << " " << 2000 + 1000 * std::cos(a) << " 0 1 0 0 AAA\n";
  c.sources(def.str(), kDescriptions[0]);
  c.config(" is_max_abs = T, phi_step = 2, wind_rotation = F, output_stats = 'stats.csv'");
  const auto r = c.run({"1"});
  ASSERT_EQ(r.status, 0) << r.out;
  const std::string stats = c.output("stats.csv");
  ASSERT_GE(stats.size(), 12u);
  EXPECT_EQ(stats.substr(stats.size() - 12), "4.00000E+00\n");
}

}  // namespace
}  // namespace kadre

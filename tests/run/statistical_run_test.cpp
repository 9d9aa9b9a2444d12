// A complete statistical run of one point source on flat terrain, checked against the
// ground-reflected Gaussian plume computed here from the sample parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/sample_params.h"
#include "support/small_case.h"

namespace kadre {
namespace {

using namespace test::sample;

// Concentration of a source of 2 g/s, 50 m high without rise, at a point 1000 m downwind
// distance and 1.5 m above flat ground, for class i (0-based), wind u at 10 m and angle lambda.
double plume(int i, double u, double lambda_deg) {
  const double a = lambda_deg * kPi / 180.0;
  const double xs = 1000.0 * std::cos(a), ys = 1000.0 * std::sin(a);
  const double sy = kAy[i] * std::pow(xs, kBy[i]);
  const double sz = kAz[i] * std::pow(xs, kBz[i]);
  const double h = 50.0, zr = 1.5;
  const double u_ef = u * std::pow(50.0 / 10.0, kUp[i]);
  return 1e6 * 2.0 / (2.0 * kPi * sy * sz * u_ef) * std::exp(-ys * ys / (2 * sy * sy)) *
         (std::exp(-(zr - h) * (zr - h) / (2 * sz * sz)) + std::exp(-(zr + h) * (zr + h) / (2 * sz * sz)));
}

// The situation classes: (class, wind speed).
const std::vector<std::pair<int, double>> kSituations = {
    {0, 1.7}, {1, 1.7}, {1, 5.0}, {2, 1.7}, {2, 5.0}, {2, 11.0},
    {3, 1.7}, {3, 5.0}, {3, 11.0}, {4, 1.7}, {4, 5.0}};

std::vector<std::string> split(const std::string& line, char d) {
  std::vector<std::string> f;
  std::stringstream s(line);
  for (std::string item; std::getline(s, item, d);) f.push_back(item);
  return f;
}

class SingleSourceRun : public ::testing::Test {
 protected:
  void SetUp() override {
    c.flat_terrain();
    // The point lies 1000 m north of the source: the wind from 180 degrees blows at it.
    c.points("! one point\nP1 2000 2000 0 1.5\n");
    c.sources("S1 2000 1000 0 1 0 0 AAA\n", "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\n");
    c.uniform_rose("rose_AAA.txt", 0.25);
  }
  test::SmallCase c;
};

TEST_F(SingleSourceRun, AverageAndClassMaximaMatchTheGaussianPlume) {
  c.config(" is_average = T, is_max_11 = T, wind_rotation = F, ruzice_file = 'rose.txt'\n"
           " output_stats = 'stats.csv'");
  const auto r = c.run({"1"});
  ASSERT_EQ(r.status, 0) << r.out;
  std::stringstream file(c.output("stats.csv"));
  std::string header, line;
  std::getline(file, header);
  std::getline(file, line);
  EXPECT_EQ(header,
            "ID;x[m];y[m];z[m];l[m];ave;Ch_I_1.7;Ch_II_1.7;Ch_II_5;Ch_III_1.7;Ch_III_5;Ch_III_11;"
            "Ch_IV_1.7;Ch_IV_5;Ch_IV_11;Ch_V_1.7;Ch_V_5");
  const auto fields = split(line, ';');
  ASSERT_EQ(fields.size(), 17u);
  EXPECT_EQ(fields[0], "P1                  ");
  EXPECT_EQ(fields[1], "2000.00");
  EXPECT_EQ(fields[3], "300.00");
  EXPECT_EQ(fields[4], "1.50");

  // Each model sector of 1 degree holds a tenth of a 10-degree file sector: 0.25 % / 10.
  const double frequency = 0.25 / 10.0 / 100.0;
  double ave = 0;
  for (std::size_t m = 0; m < kSituations.size(); ++m) {
    const auto [i, u] = kSituations[m];
    double largest = 0;
    for (int k = 0; k < 360; ++k) {
      const double lambda = std::fabs(k - 180.0);
      if (lambda > kLimit) continue;
      const double conc = plume(i, u, lambda);
      largest = std::max(largest, conc);
      ave += 0.8 * conc * frequency;
    }
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.5E", largest);
    EXPECT_EQ(fields[6 + m], expected) << "situation " << m;
  }
  char expected_ave[32];
  std::snprintf(expected_ave, sizeof expected_ave, "%.5E", ave);
  EXPECT_EQ(fields[5], expected_ave);
}

TEST_F(SingleSourceRun, AbsoluteMaximumAndItsSituation) {
  c.config(" is_max_abs = T, wind_rotation = F, output_stats = 'stats.csv'");
  const auto r = c.run({"2"});
  ASSERT_EQ(r.status, 0) << r.out;
  std::stringstream file(c.output("stats.csv"));
  std::string header, line;
  std::getline(file, header);
  std::getline(file, line);
  EXPECT_EQ(header, "ID;x[m];y[m];z[m];l[m];Ch_max;Ch_class_max;Ch_w_sp_max;Ch_w_dir_max");
  const auto fields = split(line, ';');
  ASSERT_EQ(fields.size(), 9u);

  // The finer speed grid of the absolute maximum, single-precision values widened.
  std::vector<double> speeds;
  for (int k = 0; k <= 15; ++k) speeds.push_back(static_cast<float>(1.5 + 0.1 * k));
  for (int k = 1; k <= 20; ++k) speeds.push_back(3.0f + 0.2f * static_cast<float>(k));
  for (int k = 1; k <= 16; ++k) speeds.push_back(7.0 + 0.5 * k);
  const double limits[5] = {2.0, 5.0, 15.0, 15.0, 5.0};
  double best = -1, best_u = 0;
  int best_class = 0;
  for (int i = 0; i < 5; ++i)
    for (double u : speeds) {
      if (u > limits[i] + 1e-9) continue;
      const double conc = plume(i, u, 0.0);  // on the axis: direction 180
      if (conc > best) best = conc, best_class = i + 1, best_u = u;
    }
  char expected[32];
  std::snprintf(expected, sizeof expected, "%.5E", best);
  EXPECT_EQ(fields[5], expected);
  EXPECT_EQ(fields[6], std::to_string(best_class) + ".00000E+00");
  std::snprintf(expected, sizeof expected, "%.5E", best_u);
  EXPECT_EQ(fields[7], expected);
  EXPECT_EQ(fields[8], "1.80000E+02");
}

TEST_F(SingleSourceRun, NoEvaluationSwitchedOnReadsEverythingAndEndsWithTheNotice) {
  c.config(" is_daily = T");
  const auto r = c.run();
  EXPECT_EQ(r.status, 0);
  const std::string notice =
      "\n Nebyl zapnut zadny vypocet. Zkontrolujte prislusne promenne v konfiguracnim souboru.\n"
      " Vypoct casove rady se zapina pomoci is_time, vypocet dle metodiky pak promennymi is_average, "
      "is_max_abs, is_max_11, is_daily nebo is_exceed = .TRUE.\n"
      " Konec programu.\n";
  ASSERT_GE(r.out.size(), notice.size());
  EXPECT_EQ(r.out.substr(r.out.size() - notice.size()), notice);
  EXPECT_NE(r.out.find("   nacitam vyskopis ...  OK\n"), std::string::npos);
}

TEST_F(SingleSourceRun, SameBytesWithOneThreadAndWithMany) {
  c.points("P1 2000 2000 0 1.5\nP2 2500 1800 0 1.5\nP3 1500 2500 0 3\nP4 2100 900 0 1.5\n"
           "P5 2900 3300 0 1.5\nP6 800 1200 0 1.5\nP7 2000 1300 0 1.5\n");
  c.config(" is_average = T, is_max_abs = T, is_max_11 = T, is_exceed = T, is_daily = T\n"
           " daily_type = 'SO2', ch_exceed = 1, 10, 100, cd_exceed = 1, 5, 50\n"
           " ruzice_file = 'rose.txt', output_stats = 'stats.csv'");
  ASSERT_EQ(c.run({"1"}).status, 0);
  const std::string one = c.output("stats.csv");
  ASSERT_EQ(c.run({"3"}).status, 0);
  EXPECT_EQ(c.output("stats.csv"), one);
}

}  // namespace
}  // namespace kadre

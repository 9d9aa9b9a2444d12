// Complete statistical runs of one point source on flat terrain, checked against the
// ground-reflected Gaussian plume computed here from the sample parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/sample_params.h"
#include "support/small_case.h"

namespace kadre {
namespace {

using test::sample::es;

class SingleSourceRun : public ::testing::Test {
 protected:
  void SetUp() override {
    c.one_stack();  // the wind from 180 degrees blows from the source to the point
    c.uniform_rose("rose_AAA.txt", 0.25);
  }
  // The header and the fields of the one point of the statistics file.
  std::vector<std::string> run_fields(const std::string& config, const std::string& threads, std::string& header) {
    c.config(config);
    const auto r = c.run({threads});
    EXPECT_EQ(r.status, 0) << r.out;
    std::stringstream file(c.output("stats.csv"));
    std::string line;
    std::getline(file, header);
    std::getline(file, line);
    std::vector<std::string> fields;
    std::stringstream s(line);
    for (std::string item; std::getline(s, item, ';');) fields.push_back(item);
    return fields;
  }
  test::SmallCase c;
};

TEST_F(SingleSourceRun, AverageAndClassMaximaMatchTheGaussianPlume) {
  std::string header;
  const auto fields = run_fields(" is_average = T, is_max_11 = T, wind_rotation = F, ruzice_file = 'rose.txt',"
                                 " output_stats = 'stats.csv'", "1", header);
  EXPECT_EQ(header,
            "ID;x[m];y[m];z[m];l[m];ave;Ch_I_1.7;Ch_II_1.7;Ch_II_5;Ch_III_1.7;Ch_III_5;Ch_III_11;"
            "Ch_IV_1.7;Ch_IV_5;Ch_IV_11;Ch_V_1.7;Ch_V_5");
  ASSERT_EQ(fields.size(), 17u);
  EXPECT_EQ(fields[0] + fields[1] + fields[3] + fields[4], "P1                  2000.00300.001.50");
  // Each model sector of 1 degree holds a tenth of a 10-degree file sector: 0.25 % / 10.
  const std::pair<int, double> situations[11] = {{1, 1.7}, {2, 1.7}, {2, 5.0}, {3, 1.7}, {3, 5.0}, {3, 11.0},
                                                 {4, 1.7}, {4, 5.0}, {4, 11.0}, {5, 1.7}, {5, 5.0}};
  double ave = 0;
  for (int m = 0; m < 11; ++m) {
    const auto [s, u] = situations[m];
    double largest = 0;
    for (int k = 0; k < 360; ++k) {
      const double conc = test::sample::plume(2.0, 50, 1000, s, u, 10, std::fabs(k - 180.0));
      largest = std::max(largest, conc);
      ave += 0.8 * conc * 0.25 / 10.0 / 100.0;
    }
    EXPECT_EQ(fields[6 + m], es(largest)) << "situation " << m;
  }
  EXPECT_EQ(fields[5], es(ave));
}

TEST_F(SingleSourceRun, AbsoluteMaximumAndItsSituation) {
  std::string header;
  const auto fields = run_fields(" is_max_abs = T, wind_rotation = F, output_stats = 'stats.csv'", "2", header);
  EXPECT_EQ(header, "ID;x[m];y[m];z[m];l[m];Ch_max;Ch_class_max;Ch_w_sp_max;Ch_w_dir_max");
  ASSERT_EQ(fields.size(), 9u);
  // The fine speed grid of the absolute maximum, single-precision values widened, up to the
  // largest class speed of each class.
  std::vector<double> speeds;
  for (int k = 0; k <= 15; ++k) speeds.push_back(static_cast<float>(1.5 + 0.1 * k));
  for (int k = 1; k <= 20; ++k) speeds.push_back(3.0f + 0.2f * static_cast<float>(k));
  for (int k = 1; k <= 16; ++k) speeds.push_back(7.0 + 0.5 * k);
  const double limits[5] = {2.0, 5.0, 15.0, 15.0, 5.0};
  double best = -1, best_u = 0;
  int best_class = 0;
  for (int s = 1; s <= 5; ++s)
    for (double u : speeds) {
      const double conc = test::sample::plume(2.0, 50, 1000, s, u, 10, 0);  // on the axis: direction 180
      if (u <= limits[s - 1] + 1e-9 && conc > best) best = conc, best_class = s, best_u = u;
    }
  EXPECT_EQ(fields[5], es(best));
  EXPECT_EQ(fields[6], std::to_string(best_class) + ".00000E+00");
  EXPECT_EQ(fields[7], es(best_u));
  EXPECT_EQ(fields[8], "1.80000E+02");
}

TEST_F(SingleSourceRun, NoEvaluationSwitchedOnReadsEverythingAndEndsWithTheNotice) {
  c.config(" is_daily = T");
  const auto r = c.run();
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("   nacitam vyskopis ...  OK\n"), std::string::npos);
  EXPECT_TRUE(r.out.ends_with(
      "\n Nebyl zapnut zadny vypocet. Zkontrolujte prislusne promenne v konfiguracnim souboru.\n"
      " Vypoct casove rady se zapina pomoci is_time, vypocet dle metodiky pak promennymi is_average, "
      "is_max_abs, is_max_11, is_daily nebo is_exceed = .TRUE.\n Konec programu.\n"))
      << r.out;
}

}  // namespace
}  // namespace kadre

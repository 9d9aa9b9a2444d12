// Complete hourly runs on flat terrain, checked against the ground-reflected Gaussian plume
// computed here from the sample parameters, hour by hour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "support/sample_params.h"
#include "support/small_case.h"

namespace kadre {
namespace {

using namespace test::sample;
constexpr double kUHeight = 20.0;
constexpr double kNoLid = -1.0;

// A stack without rise due south of the point: emission [g/s], height [m], distance [m].
struct Stack {
  double m, h, x;
};
// The sources of the case, at (2000, 1000) and (2000, 1500); a point at (2000, y).
Stack s1(double y = 2000) { return {2.0, 50.0, y - 1000}; }
Stack s2(double y = 2000) { return {1.0, 5.0, y - 1500}; }

// Concentration at a point zr above flat ground for class s (1..5), wind u measured at
// u_height from direction phi (the point lies due north: downwind for phi = 180). With a lid
// zl above the ground the single image above the lid is added.
// With wind rotation the downwind azimuth is 180 - turn.
double plume(const Stack& st, int s, double u, double phi, double zr = 1.5, double zl = kNoLid,
             double turn = 0) {
  const double lambda = std::fabs(phi - (180.0 - turn));
  if (lambda > kLimit) return 0.0;
  const int i = s - 1;
  const double a = lambda * kPi / 180.0;
  const double xs = st.x * std::cos(a), ys = st.x * std::sin(a);
  const double sy = kAy[i] * std::pow(xs, kBy[i]);
  const double sz = kAz[i] * std::pow(xs, kBz[i]);
  const double u_ef = u * std::pow(std::clamp(st.h, 10.0, 200.0) / kUHeight, kUp[i]);
  const auto g = [&](double d) { return std::exp(-d * d / (2 * sz * sz)); };
  double vertical = g(zr - st.h) + g(zr + st.h);
  if (zl != kNoLid) vertical += g(zr + st.h - 2 * zl);
  return 1e6 * st.m / (2 * kPi * sy * sz * u_ef) * std::exp(-ys * ys / (2 * sy * sy)) * vertical;
}

std::string es(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.5E", v);
  return b;
}

std::string hour_date(int t) {
  char b[32];
  std::snprintf(b, sizeof b, "2015/01/01/%02d", t);
  return b;
}

// One hour of the series: wind, speed, class (or gradient) and the inversion columns.
struct Hour {
  double phi, u, third;
  double zi = -9999, phi_i = 180, u_i = 3, third_i = 4;
};

class HourlyRun : public ::testing::Test {
 protected:
  void SetUp() override {
    c.flat_terrain();
    c.points("! hourly points\nP1 2000 2000 0 1.5\n");
    c.sources("S1 2000 1000 0 1 0 0 AAA PRF\nS2 2000 1500 0 1 0 0 AAA PRF\n",
              "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\nS2 1.0 0.5 5 0 20 1 0 0.8 24 0 0\n");
  }
  void series(const std::vector<Hour>& hours, bool inversion) {
    std::ostringstream s;
    s << "! year month day hour direction speed class\n";
    for (std::size_t t = 0; t < hours.size(); ++t) {
      const Hour& h = hours[t];
      s << "2015 1 1 " << t + 1 << " " << h.phi << " " << h.u << " " << h.third;
      if (inversion) s << " " << h.zi << " " << h.phi_i << " " << h.u_i << " " << h.third_i;
      s << "\n";
    }
    c.file("met_AAA.txt", s.str());
  }
  void profile(const std::vector<double>& factors) {
    std::ostringstream s;
    s << "! profile\n";
    for (std::size_t t = 0; t < factors.size(); ++t) s << "2015 1 1 " << t + 1 << " " << factors[t] << "\n";
    c.file("emis_PRF.txt", s.str());
  }
  void config(const std::string& extra) {
    c.config(" is_time = T, time_file = 'met.txt', emis_time_file = 'emis.txt',"
             " output_time = 'hourly.csv', u_height = 20, wind_rotation = F\n" + extra);
  }
  // The hourly table of one output point and its mean and maximum files.
  void expect_point_files(const std::vector<double>& hourly) {
    std::string table = "cas;P1\n";
    double sum = 0, largest = -1;
    for (std::size_t t = 0; t < hourly.size(); ++t) {
      table += hour_date(static_cast<int>(t) + 1) + ";" + es(hourly[t]) + ";\n";
      sum += hourly[t];
      largest = std::max(largest, hourly[t]);
    }
    EXPECT_EQ(c.output("hourly.csv"), table);
    const std::string point = "P1                  ;2000.00;2000.00;300.00;1.50;";
    EXPECT_EQ(c.output("avg_hourly.csv"),
              "ID;x[m];y[m];z[m];l[m];ave\n" + point + es(sum / hourly.size()) + "\n");
    EXPECT_EQ(c.output("max_hourly.csv"), "ID;x[m];y[m];z[m];l[m];max\n" + point + es(largest) + "\n");
  }
  test::SmallCase c;
};

TEST_F(HourlyRun, ClassesAsReadAndProfileFactorsGiveTheGaussianPlume) {
  series({{180, 3.0, 4},     // on the axis
          {190, 0.4, 1},     // a calm wind counts as 1.5 m/s
          {175, 6.0, 5.9},   // the class is the integer part
          {250, 3.0, 3},     // outside the sector
          {180, 2.0, 2},     // profile factor 0
          {180, 8.0, 3}},    // profile factor 0.5
         false);
  profile({1, 1, 2.5, 1, 0, 0.5, 7});  // records beyond the series are ignored
  // A third stack above the 200 m limit of the wind profile.
  c.sources("S1 2000 1000 0 1 0 0 AAA PRF\nS2 2000 1500 0 1 0 0 AAA PRF\nS3 2000 100 0 1 0 0 AAA PRF\n",
            "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\nS2 1.0 0.5 5 0 20 1 0 0.8 24 0 0\n"
            "S3 3.0 0 250 0 20 1 0 1 24 0 0\n");
  config(" is_tep_gr = F");
  const auto r = c.run({"1"});
  ASSERT_EQ(r.status, 0) << r.out;
  const auto all = [](int s, double u, double phi) {
    return plume(s1(), s, u, phi) + plume(s2(), s, u, phi) + plume({3.0, 250.0, 1900.0}, s, u, phi);
  };
  expect_point_files({all(4, 3.0, 180), all(1, 1.5, 190), 2.5 * all(5, 6.0, 175), 0.0, 0.0,
                      0.5 * all(3, 8.0, 180)});
}

// The turning term takes the height above u_height: (50 - 20) / 25 for S1, (5 - 20) / 25 for S2.
TEST_F(HourlyRun, WindTurnsWithTheHeightAboveUHeight) {
  series({{180, 3.0, 4}, {185, 3.0, 3}}, false);
  profile({1, 1});
  config(" is_tep_gr = F, wind_rotation = T");
  ASSERT_EQ(c.run().status, 0);
  const auto both = [](int s, double phi) {
    return plume(s1(), s, 3.0, phi, 1.5, kNoLid, 1.2) + plume(s2(), s, 3.0, phi, 1.5, kNoLid, -0.6);
  };
  expect_point_files({both(4, 180), both(3, 185)});
}

// S1 lies 1000 m and S2 500 m from the point; a distance equal to a limit is evaluated.
TEST_F(HourlyRun, InfluenceDistanceLimitsTheHourlySeries) {
  series({{180, 3.0, 4}}, false);
  profile({1});
  const double one = plume(s1(), 4, 3.0, 180), two = plume(s2(), 4, 3.0, 180);
  for (const auto& [limits, expected] :
       {std::pair<std::string, double>{"infl_dist_min = 500, infl_dist_max = 1000", one + two},
        {"infl_dist_max = 999.9", two},
        {"infl_dist_min = 500.1", one}}) {
    config(" is_tep_gr = F, " + limits);
    ASSERT_EQ(c.run().status, 0);
    EXPECT_EQ(c.output("hourly.csv"), "cas;P1\n2015/01/01/01;" + es(expected) + ";\n") << limits;
  }
}

TEST_F(HourlyRun, ProfileShorterThanTheSeriesIsAReadError) {
  series({{180, 3.0, 4}, {180, 3.0, 4}, {180, 3.0, 4}}, false);
  profile({1, 1});
  config(" is_tep_gr = F");
  const auto r = c.run();
  EXPECT_EQ(r.status, 1);
  const std::string message =
      " Chyba cten\xC3\xAD dat ze souboru emis_PRF.txt.\nZkontrolujte zda v nekterych radcich nechybi data.\n";
  ASSERT_GE(r.out.size(), message.size());
  EXPECT_EQ(r.out.substr(r.out.size() - message.size()), message);
  EXPECT_EQ(r.out.find("Vypocet koncentraci"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(c.dir().file("out/hourly.csv")));
}

// A second point 60 m up: above the axis of S1 it is evaluated at the axis height (and at
// that of S2), above the lower lid only when the lid is low.
TEST_F(HourlyRun, InversionHoursGoThroughTheInversionModel) {
  c.points("P1 2000 2000 0 1.5\nP2 2000 2000 0 60\n");
  series({{180, 3.0, 4, -9999.5},  // no inversion
          {180, 3.0, 4, 400},      // both plumes trapped below a lid 100 m above the ground
          {180, 3.0, 4, 330, 180, 2.0, 3},  // S1 breaks through a lid at 30 m, S2 is trapped
          {180, 3.0, 4, -9999}},
         true);
  profile({1, 1, 1, 1});
  config(" is_tep_gr = F, inverze = T");
  const auto r = c.run({"2"});
  ASSERT_EQ(r.status, 0) << r.out;
  const auto both = [](double z1, double z2, double lid) {
    return plume(s1(), 4, 3.0, 180, z1, lid) + plume(s2(), 4, 3.0, 180, z2, lid);
  };
  const double plain = both(1.5, 1.5, kNoLid), lid_100 = both(1.5, 1.5, 100);
  // Above the lid S1 restarts from a virtual stack 20 m above it with the upper wind
  // unchanged (the profile factor is 1 at 20 m = u_height), the point 30 m above it.
  const double upper = plume({2.0, 20.0, 1000.0}, 3, 2.0, 180, 30.0);
  const std::vector<std::pair<double, double>> hours = {
      {plain, both(50, 5, kNoLid)},
      {lid_100, both(50, 5, 100)},
      {plume(s2(), 4, 3.0, 180, 1.5, 30), upper},
      {plain, both(50, 5, kNoLid)}};
  std::string expected = "cas;P1;P2\n";
  for (std::size_t t = 0; t < hours.size(); ++t)
    expected += hour_date(int(t) + 1) + ";" + es(hours[t].first) + ";" + es(hours[t].second) + ";\n";
  EXPECT_EQ(c.output("hourly.csv"), expected);
  EXPECT_NE(es(lid_100), es(plain));
}

// The same hours once with classes and once with gradients that give them through the
// bounds of param.nml (-1.6, -0.7, 0.6, 0.9): the results must be the same bytes. A tall
// point above the inversion brings the classes of the upper layer in as well.
TEST_F(HourlyRun, GradientsGiveTheClassesOfStabClUe) {
  c.points("P1 2000 2000 0 1.5\nP2 2000 2200 0 100\n");
  profile({1, 1, 1, 1, 1, 1});
  const std::vector<std::pair<double, int>> gradient_class = {
      {-2.0, 1}, {-1.6, 2}, {0.0, 3}, {0.9, 4}, {1.0, 5}, {0.6, 4}};
  std::vector<Hour> classes, gradients;
  for (std::size_t t = 0; t < gradient_class.size(); ++t) {
    const auto [g, s] = gradient_class[t];
    const auto& [g_i, s_i] = gradient_class[gradient_class.size() - 1 - t];
    const double zi = t % 2 ? 330 : -9999;
    classes.push_back({182, 2.5, double(s), zi, 178, 4.0, double(s_i)});
    gradients.push_back({182, 2.5, g, zi, 178, 4.0, g_i});
  }
  config(" inverze = T, is_tep_gr = F");
  series(classes, true);
  ASSERT_EQ(c.run().status, 0);
  const std::string by_class[3] = {c.output("hourly.csv"), c.output("avg_hourly.csv"),
                                   c.output("max_hourly.csv")};
  config(" inverze = T");  // is_tep_gr is on by default
  series(gradients, true);
  const auto r = c.run();
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(c.output("hourly.csv"), by_class[0]);
  EXPECT_EQ(c.output("avg_hourly.csv"), by_class[1]);
  EXPECT_EQ(c.output("max_hourly.csv"), by_class[2]);
  // The classes matter, and in the inversion hour the tall point gets an upper-layer value.
  std::istringstream table(by_class[0]);
  std::string header, h1, h2;
  std::getline(table, header);
  std::getline(table, h1);
  std::getline(table, h2);
  EXPECT_EQ(header, "cas;P1;P2");
  EXPECT_NE(h1.substr(13, 12), h2.substr(13, 12));
  EXPECT_NE(h2.substr(26, 11), "0.00000E+00") << h2;
}

TEST_F(HourlyRun, NoOutputPointStillGivesMeanAndMaximumOfEveryPoint) {
  c.points("P1 2000 2000 0 1.5\nP2 2000 2600 0 1.5\n");
  series({{180, 3.0, 4}, {180, 5.0, 3}}, false);
  profile({1, 1});
  c.file("sel.txt", "");
  config(" is_tep_gr = F, time_output_all = F, output_ref_p = 'sel.txt'");
  const auto r = c.run();
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(c.output("hourly.csv"), "cas\n2015/01/01/01;\n2015/01/01/02;\n");
  const auto at = [](double y, int s, double u) { return plume(s1(y), s, u, 180) + plume(s2(y), s, u, 180); };
  const double a1 = at(2000, 4, 3.0), b1 = at(2000, 3, 5.0), a2 = at(2600, 4, 3.0), b2 = at(2600, 3, 5.0);
  EXPECT_EQ(c.output("avg_hourly.csv"),
            "ID;x[m];y[m];z[m];l[m];ave\n"
            "P1                  ;2000.00;2000.00;300.00;1.50;" + es((a1 + b1) / 2) + "\n"
            "P2                  ;2000.00;2600.00;300.00;1.50;" + es((a2 + b2) / 2) + "\n");
  EXPECT_EQ(c.output("max_hourly.csv"),
            "ID;x[m];y[m];z[m];l[m];max\n"
            "P1                  ;2000.00;2000.00;300.00;1.50;" + es(std::max(a1, b1)) + "\n"
            "P2                  ;2000.00;2600.00;300.00;1.50;" + es(std::max(a2, b2)) + "\n");
}

TEST_F(HourlyRun, PointsSharingAnIdEachGetTheirOwnColumn) {
  c.points("P1 2000 2000 0 1.5\nP1 2000 2600 0 1.5\n");
  series({{180, 3.0, 4}, {180, 5.0, 3}}, false);
  profile({1, 1});
  config(" is_tep_gr = F");
  ASSERT_EQ(c.run().status, 0);
  std::string expected = "cas;P1;P1\n";
  for (const auto& [t, s, u] : {std::tuple{1, 4, 3.0}, std::tuple{2, 3, 5.0}}) {
    expected += hour_date(t);
    for (double y : {2000.0, 2600.0}) expected += ";" + es(plume(s1(y), s, u, 180) + plume(s2(y), s, u, 180));
    expected += ";\n";
  }
  EXPECT_EQ(c.output("hourly.csv"), expected);
}

TEST_F(HourlyRun, SameBytesWithOneThreadAndWithMany) {
  c.points("P1 2000 2000 0 1.5\nP2 2500 1800 0 1.5\nP3 1500 2500 0 3\nP4 2100 900 0 1.5\n"
           "P5 2900 3300 0 1.5\nP6 800 1200 0 1.5\nP7 2000 1300 0 1.5\nP8 1900 2100 0 20\n");
  series({{180, 3.0, 4, 400}, {200, 1.0, 1, -9999}, {160, 6.0, 5, 330, 170, 3, 2}, {135, 2.0, 2, 420},
          {225, 4.0, 3, -9999}},
         true);
  profile({1, 0.5, 2, 1, 1});
  config(" is_tep_gr = F, inverze = T, wind_rotation = T");
  const char* files[3] = {"hourly.csv", "avg_hourly.csv", "max_hourly.csv"};
  ASSERT_EQ(c.run({"1"}).status, 0);
  std::string one[3];
  for (int k = 0; k < 3; ++k) one[k] = c.output(files[k]);
  ASSERT_EQ(c.run({"3"}).status, 0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(c.output(files[k]), one[k]) << files[k];
}

TEST_F(HourlyRun, BothEvaluationsInOneRunGiveTheFilesOfEachAlone) {
  c.points("P1 2000 2000 0 1.5\nP2 2500 1800 0 1.5\nP3 1500 2500 0 3\n");
  c.uniform_rose("rose_AAA.txt", 0.25);
  series({{180, 3.0, 4}, {200, 1.0, 1}, {160, 6.0, 5}}, false);
  profile({1, 0.5, 2});
  const std::string stats =
      " is_average = T, is_max_abs = T, is_max_11 = T, ruzice_file = 'rose.txt', output_stats = 'stats.csv'";
  c.config(" wind_rotation = F," + stats);  // u_height is for the hourly wind only
  ASSERT_EQ(c.run().status, 0);
  const std::string stats_alone = c.output("stats.csv");
  config(" is_tep_gr = F");
  ASSERT_EQ(c.run().status, 0);
  const std::string hourly_alone[3] = {c.output("hourly.csv"), c.output("avg_hourly.csv"),
                                       c.output("max_hourly.csv")};
  std::filesystem::remove_all(c.dir().file("out"));
  std::filesystem::create_directory(c.dir().file("out"));
  config(" is_tep_gr = F," + stats);
  ASSERT_EQ(c.run().status, 0);
  EXPECT_EQ(c.output("stats.csv"), stats_alone);
  EXPECT_EQ(c.output("hourly.csv"), hourly_alone[0]);
  EXPECT_EQ(c.output("avg_hourly.csv"), hourly_alone[1]);
  EXPECT_EQ(c.output("max_hourly.csv"), hourly_alone[2]);
}

TEST_F(HourlyRun, ConsoleOfTheComputation) {
  c.points("P1 2000 2000 0 1.5\nP2 2000 2600 0 1.5\n");
  series({{180, 3.0, 4}}, false);
  profile({1});
  config(" is_tep_gr = F");
  const auto r = c.run({"1"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.err, "");
  const std::string start = " Vypocet koncentraci\n";
  const auto at = r.out.find(start);
  ASSERT_NE(at, std::string::npos) << r.out;
  std::string tail = r.out.substr(at + start.size());
  const std::string progress =
      "\r   - spocten ref. bod c.         1/        2\r   - spocten ref. bod c.         2/        2\n";
  ASSERT_EQ(tail.substr(0, progress.size()), progress) << tail;
  tail.erase(0, progress.size());
  // The elapsed time: F15.2 and " s"; the number itself varies.
  ASSERT_EQ(tail.size(), 15u + 3 + 16) << tail;
  const std::string field = tail.substr(0, 15);
  const auto first_digit = field.find_first_not_of(' ');
  ASSERT_NE(first_digit, std::string::npos);
  EXPECT_EQ(field.find_first_not_of("0123456789.", first_digit), std::string::npos) << field;
  EXPECT_EQ(field.substr(12, 1), ".");
  EXPECT_EQ(tail.substr(15), " s\n Vypis vysledku\n");
}

// A result file that cannot be written stops the run at once with status 1: nothing after
// it is written, and nothing claims success.
TEST_F(HourlyRun, UnwritableResultFilesStopTheRun) {
  c.uniform_rose("rose_AAA.txt", 0.25);
  series({{180, 3.0, 4}}, false);
  profile({1});
  config(" is_tep_gr = F, output_time = 'missing/hourly.csv', is_average = T,"
         " ruzice_file = 'rose.txt', output_stats = 'stats.csv'");
  auto r = c.run();
  EXPECT_EQ(r.status, 1);
  const std::string end = " Vypis vysledku\n Chyba pri zapisu do souboru out/missing/hourly.csv.\n";
  ASSERT_GE(r.out.size(), end.size());
  EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end);
  EXPECT_FALSE(std::filesystem::exists(c.dir().file("out/stats.csv")));

  // The table is written, then the mean file cannot be opened.
  std::filesystem::create_directory(c.dir().file("out/avg_hourly.csv"));
  config(" is_tep_gr = F");
  r = c.run();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find(" Chyba pri zapisu do souboru out/avg_hourly.csv.\n"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::exists(c.dir().file("out/hourly.csv")));
  EXPECT_FALSE(std::filesystem::exists(c.dir().file("out/max_hourly.csv")));
}

TEST_F(HourlyRun, LongOutputPathsAreNotCut) {
  const std::string deep = "out/" + std::string(110, 'd') + "/";
  std::filesystem::create_directories(c.dir().file(deep));
  series({{180, 3.0, 4}}, false);
  profile({1});
  config(" is_tep_gr = F, oputdir = '" + deep + "', output_time = 'hourly_table_of_the_long_run.csv'");
  const auto r = c.run();
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* prefix : {"", "avg_", "max_"})
    EXPECT_TRUE(std::filesystem::exists(c.dir().file(deep + prefix + "hourly_table_of_the_long_run.csv")))
        << prefix;
}

}  // namespace
}  // namespace kadre

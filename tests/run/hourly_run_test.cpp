// Complete hourly runs on flat terrain, checked hour by hour against the ground-reflected
// Gaussian plume computed here from the sample parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/sample_params.h"
#include "support/small_case.h"

namespace kadre {
namespace {

using test::sample::es;

// A stack without rise due south of the point: emission [g/s], height [m], distance [m].
struct Stack {
  double m, h, x;
};
// The sources of the case, at (2000, 1000) and (2000, 1500), seen from a point at (2000, y).
Stack s1(double y = 2000) { return {2.0, 50.0, y - 1000}; }
Stack s2(double y = 2000) { return {1.0, 5.0, y - 1500}; }

// Class s, wind u at 20 m from phi (the point lies due north: downwind for phi = 180), the
// downwind azimuth turned by turn degrees, the point zr high, a lid zl > 0 above the ground.
double plume(const Stack& st, int s, double u, double phi, double zr = 1.5, double zl = -1, double turn = 0) {
  return test::sample::plume(st.m, st.h, st.x, s, u, 20.0, std::fabs(phi - (180.0 - turn)), zr, zl);
}
double both(int s, double u, double phi, double y = 2000) { return plume(s1(y), s, u, phi) + plume(s2(y), s, u, phi); }

std::string hour_date(int t) { return "2015/01/01/" + std::string(t < 10 ? "0" : "") + std::to_string(t); }

// One hour of the series: wind, speed, class (or gradient) and the inversion columns.
struct Hour {
  double phi, u, third;
  double zi = -9999, phi_i = 180, u_i = 3, third_i = 4;
};

class HourlyRun : public ::testing::Test {
 protected:
  void SetUp() override {
    c.flat_terrain();
    c.points("P1 2000 2000 0 1.5\n");
    c.sources("S1 2000 1000 0 1 0 0 AAA PRF\nS2 2000 1500 0 1 0 0 AAA PRF\n",
              "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\nS2 1.0 0.5 5 0 20 1 0 0.8 24 0 0\n");
  }
  // The series and a profile of factor 1 in every hour unless given.
  void series(const std::vector<Hour>& hours, bool inversion, std::vector<double> factors = {}) {
    std::ostringstream s, p;
    factors.resize(std::max(factors.size(), hours.size()), 1.0);
    for (std::size_t t = 0; t < hours.size(); ++t) {
      const Hour& h = hours[t];
      s << "2015 1 1 " << t + 1 << " " << h.phi << " " << h.u << " " << h.third;
      if (inversion) s << " " << h.zi << " " << h.phi_i << " " << h.u_i << " " << h.third_i;
      s << "\n";
    }
    for (std::size_t t = 0; t < factors.size(); ++t) p << "2015 1 1 " << t + 1 << " " << factors[t] << "\n";
    c.file("met_AAA.txt", "! year month day hour direction speed class\n" + s.str());
    c.file("emis_PRF.txt", "! profile\n" + p.str());
  }
  void config(const std::string& extra, bool gradients = false) {
    c.config(" is_time = T, time_file = 'met.txt', emis_time_file = 'emis.txt', output_time = 'hourly.csv',"
             " u_height = 20, wind_rotation = F, is_tep_gr = " + std::string(gradients ? "T" : "F") + "\n" + extra);
  }
  // The hourly table, its mean and maximum of P1 alone; or the table of P1 and P2.
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
    EXPECT_EQ(c.output("avg_hourly.csv"), "ID;x[m];y[m];z[m];l[m];ave\n" + point + es(sum / hourly.size()) + "\n");
    EXPECT_EQ(c.output("max_hourly.csv"), "ID;x[m];y[m];z[m];l[m];max\n" + point + es(largest) + "\n");
  }
  void expect_two_columns(const std::string& ids, const std::vector<std::pair<double, double>>& hours) {
    std::string expected = "cas;" + ids + "\n";
    for (std::size_t t = 0; t < hours.size(); ++t)
      expected += hour_date(int(t) + 1) + ";" + es(hours[t].first) + ";" + es(hours[t].second) + ";\n";
    EXPECT_EQ(c.output("hourly.csv"), expected);
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
         false, {1, 1, 2.5, 1, 0, 0.5, 7});  // records beyond the series are ignored
  // A third stack above the 200 m limit of the wind profile.
  c.sources("S1 2000 1000 0 1 0 0 AAA PRF\nS2 2000 1500 0 1 0 0 AAA PRF\nS3 2000 100 0 1 0 0 AAA PRF\n",
            "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\nS2 1.0 0.5 5 0 20 1 0 0.8 24 0 0\nS3 3.0 0 250 0 20 1 0 1 24 0 0\n");
  config("");
  const auto r = c.run({"1"});
  ASSERT_EQ(r.status, 0) << r.out;
  const auto all = [](int s, double u, double phi) { return both(s, u, phi) + plume({3.0, 250.0, 1900.0}, s, u, phi); };
  expect_point_files({all(4, 3.0, 180), all(1, 1.5, 190), 2.5 * all(5, 6.0, 175), 0.0, 0.0, 0.5 * all(3, 8.0, 180)});
}

// The turning term takes the height above u_height: (50 - 20) / 25 for S1, (5 - 20) / 25 for S2.
TEST_F(HourlyRun, WindTurnsWithTheHeightAboveUHeight) {
  series({{180, 3.0, 4}, {185, 3.0, 3}}, false);
  config(" wind_rotation = T");
  ASSERT_EQ(c.run().status, 0);
  const auto turned = [](int s, double phi) {
    return plume(s1(), s, 3.0, phi, 1.5, -1, 1.2) + plume(s2(), s, 3.0, phi, 1.5, -1, -0.6);
  };
  expect_point_files({turned(4, 180), turned(3, 185)});
}

// A second point 60 m up: above the axis of S1 it is evaluated at the axis height (and at that
// of S2), above the lower lid only when the lid is low.
TEST_F(HourlyRun, InversionHoursGoThroughTheInversionModel) {
  c.points("P1 2000 2000 0 1.5\nP2 2000 2000 0 60\n");
  series({{180, 3.0, 4, -9999.5},           // no inversion
          {180, 3.0, 4, 400},               // both plumes trapped below a lid 100 m above the ground
          {180, 3.0, 4, 330, 180, 2.0, 3},  // S1 breaks through a lid at 30 m, S2 is trapped
          {180, 3.0, 4, -9999}},
         true);
  config(" inverze = T");
  const auto r = c.run({"2"});
  ASSERT_EQ(r.status, 0) << r.out;
  const auto pair = [](double z1, double z2, double lid) {
    return plume(s1(), 4, 3.0, 180, z1, lid) + plume(s2(), 4, 3.0, 180, z2, lid);
  };
  // Above the lid S1 restarts from a virtual stack 20 m above it with the upper wind unchanged
  // (the profile factor is 1 at 20 m = u_height), the point 30 m above it.
  const double upper = plume({2.0, 20.0, 1000.0}, 3, 2.0, 180, 30.0);
  expect_two_columns("P1;P2", {{pair(1.5, 1.5, -1), pair(50, 5, -1)},
                               {pair(1.5, 1.5, 100), pair(50, 5, 100)},
                               {plume(s2(), 4, 3.0, 180, 1.5, 30), upper},
                               {pair(1.5, 1.5, -1), pair(50, 5, -1)}});
  EXPECT_NE(es(pair(1.5, 1.5, 100)), es(pair(1.5, 1.5, -1)));
}

// The same hours once with classes and once with gradients that give them through the bounds
// of param.nml (-1.6, -0.7, 0.6, 0.9): the same bytes. A tall point above the inversion brings
// in the classes of the upper layer as well.
TEST_F(HourlyRun, GradientsGiveTheClassesOfStabClUe) {
  c.points("P1 2000 2000 0 1.5\nP2 2000 2200 0 100\n");
  const std::pair<double, int> gradient_class[] = {{-2.0, 1}, {-1.6, 2}, {0.0, 3}, {0.9, 4}, {1.0, 5}, {0.6, 4}};
  std::vector<Hour> classes, gradients;
  for (std::size_t t = 0; t < 6; ++t) {
    const auto [g, s] = gradient_class[t];
    const auto [g_i, s_i] = gradient_class[5 - t];
    const double zi = t % 2 ? 330 : -9999;
    classes.push_back({182, 2.5, double(s), zi, 178, 4.0, double(s_i)});
    gradients.push_back({182, 2.5, g, zi, 178, 4.0, g_i});
  }
  config(" inverze = T");
  series(classes, true);
  ASSERT_EQ(c.run().status, 0);
  const std::string by_class = c.output("hourly.csv") + c.output("avg_hourly.csv") + c.output("max_hourly.csv");
  config(" inverze = T", true);
  series(gradients, true);
  ASSERT_EQ(c.run().status, 0);
  EXPECT_EQ(c.output("hourly.csv") + c.output("avg_hourly.csv") + c.output("max_hourly.csv"), by_class);
  // The classes matter, and in the inversion hour the tall point gets an upper-layer value.
  std::istringstream table(by_class);
  std::string header, h1, h2;
  std::getline(table, header);
  std::getline(table, h1);
  std::getline(table, h2);
  EXPECT_EQ(header, "cas;P1;P2");
  EXPECT_NE(h1.substr(13, 12), h2.substr(13, 12));
  EXPECT_NE(h2.substr(26, 11), "0.00000E+00") << h2;
}

TEST_F(HourlyRun, PointsSharingAnIdEachGetTheirOwnColumn) {
  c.points("P1 2000 2000 0 1.5\nP1 2000 2600 0 1.5\n");
  series({{180, 3.0, 4}, {180, 5.0, 3}}, false);
  config("");
  ASSERT_EQ(c.run().status, 0);
  expect_two_columns("P1;P1", {{both(4, 3.0, 180), both(4, 3.0, 180, 2600)}, {both(3, 5.0, 180), both(3, 5.0, 180, 2600)}});
}

TEST_F(HourlyRun, NoOutputPointStillGivesMeanAndMaximumOfEveryPoint) {
  c.points("P1 2000 2000 0 1.5\nP2 2000 2600 0 1.5\n");
  series({{180, 3.0, 4}, {180, 5.0, 3}}, false);
  c.file("sel.txt", "");
  config(" time_output_all = F, output_ref_p = 'sel.txt'");
  const auto r = c.run();
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(c.output("hourly.csv"), "cas\n2015/01/01/01;\n2015/01/01/02;\n");
  std::string avg = "ID;x[m];y[m];z[m];l[m];ave\n", max = "ID;x[m];y[m];z[m];l[m];max\n";
  for (double y : {2000.0, 2600.0}) {
    const std::string point = "P" + std::string(y == 2000 ? "1" : "2") + "                  ;2000.00;" +
                              std::to_string(int(y)) + ".00;300.00;1.50;";
    const double a = both(4, 3.0, 180, y), b = both(3, 5.0, 180, y);
    avg += point + es((a + b) / 2) + "\n";
    max += point + es(std::max(a, b)) + "\n";
  }
  EXPECT_EQ(c.output("avg_hourly.csv"), avg);
  EXPECT_EQ(c.output("max_hourly.csv"), max);
}

}  // namespace
}  // namespace kadre

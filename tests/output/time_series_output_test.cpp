#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "output/time_series_output.h"
#include "support/test_support.h"

namespace kadre {
namespace {

class TimeOutputTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  Settings cfg;
  std::vector<std::string> date{"2015/01/01/01", "2015/01/01/02"};

  void SetUp() override {
    cfg.oputdir = dir.path().string() + "/";
    cfg.output_time = "results.csv";
  }
};

TEST_F(TimeOutputTest, HourlyTableEndsEveryLineWithTheDelimiter) {
  const std::vector<double> results_t{12.3456, 1.5, 0.0, 2e-3};  // hour fastest
  write_output_time(cfg, {"P1", "P2                  "}, date, results_t, 2);
  EXPECT_EQ(test::read_file(dir.file("results.csv")),
            "cas;P1;P2\n"
            "2015/01/01/01;1.23456E+01;0.00000E+00;\n"
            "2015/01/01/02;1.50000E+00;2.00000E-03;\n");
}

TEST_F(TimeOutputTest, HourlyTableWithoutOutputPoints) {
  write_output_time(cfg, {}, date, {}, 2);
  EXPECT_EQ(test::read_file(dir.file("results.csv")),
            "cas\n2015/01/01/01;\n2015/01/01/02;\n");
}

TEST_F(TimeOutputTest, MeanAndMaximumFilesOfEveryPoint) {
  const std::vector<RefPoint> points{{"P1", 1000, 2000, 350, 1.5, false},
                                     {"P2", 10.126, -5, 0, 0, true}};
  cfg.delim_out = ",  ";
  write_time_average(cfg, points, {0.5, 0.0});
  write_time_maximum(cfg, points, {4.0, 123.456});
  EXPECT_EQ(test::read_file(dir.file("avg_results.csv")),
            "ID,x[m],y[m],z[m],l[m],ave\n"
            "P1                  ,1000.00,2000.00,350.00,1.50,5.00000E-01\n"
            "P2                  ,10.13,-5.00,0.00,0.00,0.00000E+00\n");
  EXPECT_EQ(test::read_file(dir.file("max_results.csv")),
            "ID,x[m],y[m],z[m],l[m],max\n"
            "P1                  ,1000.00,2000.00,350.00,1.50,4.00000E+00\n"
            "P2                  ,10.13,-5.00,0.00,0.00,1.23456E+02\n");
  write_time_average(cfg, {}, {});
  EXPECT_EQ(test::read_file(dir.file("avg_results.csv")), "ID,x[m],y[m],z[m],l[m],ave\n");
}

TEST_F(TimeOutputTest, LongPathsAreNotCut) {
  const std::string deep = std::string(120, 'd');
  std::filesystem::create_directory(dir.path() / deep);
  cfg.oputdir = dir.path().string() + "/" + deep + "/";
  cfg.output_time = std::string(90, 'r') + ".csv";
  write_output_time(cfg, {"P1"}, date, {1.0, 2.0}, 2);
  write_time_maximum(cfg, {{"P1", 0, 0, 0, 0, true}}, {1.0});
  EXPECT_TRUE(std::filesystem::exists(cfg.oputdir + cfg.output_time));
  EXPECT_TRUE(std::filesystem::exists(cfg.oputdir + "max_" + cfg.output_time));
}

TEST_F(TimeOutputTest, LargeTableIsWrittenCompletely) {
  // Several times the write buffer: every line must arrive.
  const int ntime = 8760, npoints = 20;
  std::vector<std::string> ids, dates(ntime, "2015/01/01/01");
  for (int s = 0; s < npoints; ++s) ids.push_back("P" + std::to_string(s));
  std::vector<double> results_t(static_cast<std::size_t>(ntime) * npoints, 1.0);
  results_t.back() = 7.0;
  write_output_time(cfg, ids, dates, results_t, ntime);
  const std::string text = test::read_file(dir.file("results.csv"));
  const std::size_t line_length = 13 + npoints * 12 + 2;
  EXPECT_EQ(text.size(), text.find('\n') + 1 + ntime * line_length);
  EXPECT_EQ(text.substr(text.size() - 14), ";7.00000E+00;\n");
}

TEST_F(TimeOutputTest, UnwritableFilesStop) {
  cfg.oputdir = dir.path().string() + "/missing/";
  EXPECT_RUN_ERROR(write_output_time(cfg, {}, date, {}, 2),
                   " Chyba pri zapisu do souboru " + cfg.oputdir + "results.csv.\n");
  EXPECT_RUN_ERROR(write_time_average(cfg, {}, {}),
                   " Chyba pri zapisu do souboru " + cfg.oputdir + "avg_results.csv.\n");
  cfg.oputdir = "/dev/";
  cfg.output_time = "full";
  EXPECT_RUN_ERROR(write_output_time(cfg, {"P1"}, date, {1.0, 2.0}, 2),
                   " Chyba pri zapisu do souboru /dev/full.\n");
}

}  // namespace
}  // namespace kadre

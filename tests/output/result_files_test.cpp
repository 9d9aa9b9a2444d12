// The result files: their headers, number formats and delimiters, and a file that cannot be
// written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "evaluation/statistics.h"
#include "output/statistical_output.h"
#include "output/time_series_output.h"
#include "support/test_support.h"

namespace kadre {
namespace {

class ResultFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    cfg.oputdir = dir.path().string() + "/";
    cfg.output_stats = "stats.csv";
    cfg.output_time = "results.csv";
  }
  std::string stats() {
    write_output_stat(cfg, points, results);
    return test::read_file(dir.file("stats.csv"));
  }
  std::string header() {
    const std::string text = stats();
    return text.substr(0, text.find('\n'));
  }
  test::TempDir dir;
  Settings cfg;
  std::vector<RefPoint> points{{"P1", 1000, 2000, 350, 1.5, true}};
  std::vector<double> results = std::vector<double>(37, 0.0);
  const std::vector<std::string> date{"2015/01/01/01", "2015/01/01/02"};
};

TEST_F(ResultFiles, StatisticsOfTheSelectedRowsInTableOrder) {
  cfg.is_average = true;
  results[stat_rows().ave] = 0.234560;
  results[stat_rows().ch_max] = 99;  // not selected
  dir.write("stats.csv", std::string(500, '#'));  // overwritten
  EXPECT_EQ(stats(), "ID;x[m];y[m];z[m];l[m];ave\nP1                  ;1000.00;2000.00;350.00;1.50;2.34560E-01\n");

  cfg.is_max_abs = cfg.is_max_11 = cfg.is_exceed = cfg.is_daily = true;
  for (int r = 0; r < 37; ++r) results[r] = r + 1;
  const std::string text = stats();
  const std::string head = text.substr(0, text.find('\n'));
  EXPECT_EQ(head,
            "ID;x[m];y[m];z[m];l[m];ave;Ch_max;Ch_class_max;Ch_w_sp_max;Ch_w_dir_max;"
            "Ch_I_1.7;Ch_II_1.7;Ch_II_5;Ch_III_1.7;Ch_III_5;Ch_III_11;Ch_IV_1.7;Ch_IV_5;"
            "Ch_IV_11;Ch_V_1.7;Ch_V_5;Th_0.000;Th_0.000;Th_0.000;Cd_max;Cd_class_max;"
            "Cd_w_sp_max;Cd_w_dir_max;Cd_I_1.7;Cd_II_1.7;Cd_II_5;Cd_III_1.7;Cd_III_5;"
            "Cd_III_11;Cd_IV_1.7;Cd_IV_5;Cd_IV_11;Cd_V_1.7;Cd_V_5;Td_0.000;Td_0.000;Td_0.000");
  const std::string line = text.substr(head.size() + 1);
  EXPECT_EQ(line.substr(0, 73), "P1                  ;1000.00;2000.00;350.00;1.50;1.00000E+00;2.00000E+00;");
  EXPECT_EQ(line.substr(line.size() - 25), ";3.60000E+01;3.70000E+01\n");
  EXPECT_EQ(std::count(line.begin(), line.end(), ';'), 5 + 36);

  // The limits in the names, huge ones formatted in full and then cut.
  cfg.is_average = cfg.is_max_abs = cfg.is_max_11 = false;
  cfg.ch_exceed = {200, 350, 0};
  cfg.cd_exceed = {50, 0, 0};
  EXPECT_EQ(header(), "ID;x[m];y[m];z[m];l[m];Th_200.000;Th_350.000;Th_0.000;Td_50.000;Td_0.000;Td_0.000");
  cfg.is_daily = false;
  cfg.ch_exceed = {123456789.0, -98765432.5, 1e300};
  EXPECT_EQ(header(), "ID;x[m];y[m];z[m];l[m];Th_123456789;Th_-98765432;Th_100000000");
}

TEST_F(ResultFiles, DelimiterLosesTrailingBlanksAndMayBeLong) {
  cfg.is_average = true;
  cfg.delim_out = ",    ";
  EXPECT_EQ(stats(), "ID,x[m],y[m],z[m],l[m],ave\nP1                  ,1000.00,2000.00,350.00,1.50,0.00000E+00\n");
  cfg.delim_out = "   ";  // only blanks: fields follow each other
  EXPECT_EQ(stats(), "IDx[m]y[m]z[m]l[m]ave\nP1                  1000.002000.00350.001.500.00000E+00\n");
  const std::string d = " |<-->| |";  // longer than the old fixed format buffer allowed
  cfg.delim_out = d;
  cfg.is_max_abs = true;
  std::string expected = "ID" + d + "x[m]" + d + "y[m]" + d + "z[m]" + d + "l[m]" + d + "ave" + d + "Ch_max" + d +
                         "Ch_class_max" + d + "Ch_w_sp_max" + d + "Ch_w_dir_max\nP1                  " + d +
                         "1000.00" + d + "2000.00" + d + "350.00" + d + "1.50";
  for (int n = 0; n < 5; ++n) expected += d + "0.00000E+00";
  EXPECT_EQ(stats(), expected + "\n");
}

TEST_F(ResultFiles, PointsKeepTheirOrderWithIdentifiersCutOrNoPointAtAll) {
  cfg.is_average = true;
  points = {{"ABCDEFGHIJKLMNOPQRSTUVWXYZ", -1.004, 0, 0, 0, true}, {"Q", 1, 2, 3, 4, true}};
  results.assign(74, 0.0);
  results[37 + stat_rows().ave] = 1e-120;
  EXPECT_EQ(stats(), "ID;x[m];y[m];z[m];l[m];ave\n"
                     "ABCDEFGHIJKLMNOPQRST;-1.00;0.00;0.00;0.00;0.00000E+00\n"
                     "Q                   ;1.00;2.00;3.00;4.00;1.00000-120\n");
  points.clear();
  results.clear();
  EXPECT_EQ(stats(), "ID;x[m];y[m];z[m];l[m];ave\n");
}

TEST_F(ResultFiles, HourlyTableEndsEveryLineWithTheDelimiter) {
  write_output_time(cfg, {"P1", "P2                  "}, date, {12.3456, 1.5, 0.0, 2e-3}, 2);  // hour fastest
  EXPECT_EQ(test::read_file(dir.file("results.csv")),
            "cas;P1;P2\n2015/01/01/01;1.23456E+01;0.00000E+00;\n2015/01/01/02;1.50000E+00;2.00000E-03;\n");
  write_output_time(cfg, {}, date, {}, 2);
  EXPECT_EQ(test::read_file(dir.file("results.csv")), "cas\n2015/01/01/01;\n2015/01/01/02;\n");
  // Several times the write buffer: every line must arrive.
  const int ntime = 8760, npoints = 20;
  std::vector<std::string> ids, dates(ntime, "2015/01/01/01");
  for (int s = 0; s < npoints; ++s) ids.push_back("P" + std::to_string(s));
  std::vector<double> results_t(static_cast<std::size_t>(ntime) * npoints, 1.0);
  results_t.back() = 7.0;
  write_output_time(cfg, ids, dates, results_t, ntime);
  const std::string text = test::read_file(dir.file("results.csv"));
  EXPECT_EQ(text.size(), text.find('\n') + 1 + ntime * (13 + npoints * 12 + 2));
  EXPECT_EQ(text.substr(text.size() - 14), ";7.00000E+00;\n");
}

TEST_F(ResultFiles, MeanAndMaximumFilesOfEveryPoint) {
  const std::vector<RefPoint> two{{"P1", 1000, 2000, 350, 1.5, false}, {"P2", 10.126, -5, 0, 0, true}};
  cfg.delim_out = ",  ";
  write_time_average(cfg, two, {0.5, 0.0});
  write_time_maximum(cfg, two, {4.0, 123.456});
  EXPECT_EQ(test::read_file(dir.file("avg_results.csv")),
            "ID,x[m],y[m],z[m],l[m],ave\nP1                  ,1000.00,2000.00,350.00,1.50,5.00000E-01\n"
            "P2                  ,10.13,-5.00,0.00,0.00,0.00000E+00\n");
  EXPECT_EQ(test::read_file(dir.file("max_results.csv")),
            "ID,x[m],y[m],z[m],l[m],max\nP1                  ,1000.00,2000.00,350.00,1.50,4.00000E+00\n"
            "P2                  ,10.13,-5.00,0.00,0.00,1.23456E+02\n");
  write_time_average(cfg, {}, {});
  EXPECT_EQ(test::read_file(dir.file("avg_results.csv")), "ID,x[m],y[m],z[m],l[m],ave\n");
}

TEST_F(ResultFiles, LongPathsAreNotCut) {
  const std::string deep = std::string(120, 'd');
  std::filesystem::create_directory(dir.path() / deep);
  cfg.oputdir = dir.path().string() + "/" + deep + "/";
  cfg.output_time = std::string(90, 'r') + ".csv";
  write_output_time(cfg, {"P1"}, date, {1.0, 2.0}, 2);
  write_time_maximum(cfg, points, {1.0});
  EXPECT_TRUE(std::filesystem::exists(cfg.oputdir + cfg.output_time));
  EXPECT_TRUE(std::filesystem::exists(cfg.oputdir + "max_" + cfg.output_time));
}

TEST_F(ResultFiles, UnwritableFilesStop) {
  cfg.is_average = true;
  cfg.oputdir = dir.path().string() + "/missing/";
  const std::string head = " Chyba pri zapisu do souboru ";
  EXPECT_RUN_ERROR(write_output_stat(cfg, points, results), head + cfg.oputdir + "stats.csv.\n");
  EXPECT_RUN_ERROR(write_output_time(cfg, {}, date, {}, 2), head + cfg.oputdir + "results.csv.\n");
  EXPECT_RUN_ERROR(write_time_average(cfg, {}, {}), head + cfg.oputdir + "avg_results.csv.\n");
  // The device accepts the open but fails every write.
  cfg.oputdir = "/dev/";
  cfg.output_stats = cfg.output_time = "full";
  EXPECT_RUN_ERROR(write_output_stat(cfg, points, results), head + "/dev/full.\n");
  EXPECT_RUN_ERROR(write_output_time(cfg, {"P1"}, date, {1.0, 2.0}, 2), head + "/dev/full.\n");
}

}  // namespace
}  // namespace kadre

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "evaluation/statistics.h"
#include "output/statistical_output.h"
#include "support/test_support.h"

namespace kadre {
namespace {

class StatOutputTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  Settings cfg;
  std::vector<RefPoint> points{{"P1", 1000, 2000, 350, 1.5, true}};
  std::vector<double> results = std::vector<double>(37, 0.0);

  void SetUp() override {
    cfg.oputdir = dir.path().string() + "/";
    cfg.output_stats = "stats.csv";
  }
  std::string write_and_read() {
    write_output_stat(cfg, points, results);
    return test::read_file(dir.file("stats.csv"));
  }
  std::string header() {
    const std::string text = write_and_read();
    return text.substr(0, text.find('\n'));
  }
};

TEST_F(StatOutputTest, AverageOnly) {
  cfg.is_average = true;
  results[stat_rows().ave] = 0.234560;
  results[stat_rows().ch_max] = 99;  // not selected
  EXPECT_EQ(write_and_read(),
            "ID;x[m];y[m];z[m];l[m];ave\n"
            "P1                  ;1000.00;2000.00;350.00;1.50;2.34560E-01\n");
}

TEST_F(StatOutputTest, ExceedanceNamesCarryTheLimits) {
  cfg.is_exceed = cfg.is_daily = true;
  cfg.ch_exceed = {200, 350, 0};
  cfg.cd_exceed = {50, 0, 0};
  EXPECT_EQ(header(),
            "ID;x[m];y[m];z[m];l[m];Th_200.000;Th_350.000;Th_0.000;Td_50.000;Td_0.000;Td_0.000");
}

TEST_F(StatOutputTest, SelectedRowsFollowTableOrder) {
  cfg.is_average = cfg.is_max_abs = cfg.is_max_11 = cfg.is_exceed = cfg.is_daily = true;
  for (int r = 0; r < 37; ++r) results[r] = r + 1;
  const std::string text = write_and_read();
  const std::string head = text.substr(0, text.find('\n'));
  EXPECT_EQ(head,
            "ID;x[m];y[m];z[m];l[m];ave;Ch_max;Ch_class_max;Ch_w_sp_max;Ch_w_dir_max;"
            "Ch_I_1.7;Ch_II_1.7;Ch_II_5;Ch_III_1.7;Ch_III_5;Ch_III_11;Ch_IV_1.7;Ch_IV_5;"
            "Ch_IV_11;Ch_V_1.7;Ch_V_5;Th_0.000;Th_0.000;Th_0.000;Cd_max;Cd_class_max;"
            "Cd_w_sp_max;Cd_w_dir_max;Cd_I_1.7;Cd_II_1.7;Cd_II_5;Cd_III_1.7;Cd_III_5;"
            "Cd_III_11;Cd_IV_1.7;Cd_IV_5;Cd_IV_11;Cd_V_1.7;Cd_V_5;Td_0.000;Td_0.000;Td_0.000");
  const std::string line = text.substr(head.size() + 1);
  EXPECT_EQ(line.substr(0, 73),
            "P1                  ;1000.00;2000.00;350.00;1.50;1.00000E+00;2.00000E+00;");
  EXPECT_EQ(line.substr(line.size() - 25), ";3.60000E+01;3.70000E+01\n");
  EXPECT_EQ(std::count(line.begin(), line.end(), ';'), 5 + 36);

  cfg.is_average = cfg.is_daily = cfg.is_max_11 = cfg.is_exceed = false;  // is_max_abs alone
  EXPECT_EQ(header(), "ID;x[m];y[m];z[m];l[m];Ch_max;Ch_class_max;Ch_w_sp_max;Ch_w_dir_max");
}

TEST_F(StatOutputTest, DelimiterLoosesTrailingBlanksAndMayBeLong) {
  cfg.is_average = true;
  cfg.delim_out = ",    ";
  EXPECT_EQ(write_and_read(),
            "ID,x[m],y[m],z[m],l[m],ave\n"
            "P1                  ,1000.00,2000.00,350.00,1.50,0.00000E+00\n");
  cfg.delim_out = " |<-->| |";  // longer than the old fixed format buffer allowed
  cfg.is_max_abs = true;
  const std::string d = " |<-->| |";
  EXPECT_EQ(write_and_read(),
            "ID" + d + "x[m]" + d + "y[m]" + d + "z[m]" + d + "l[m]" + d + "ave" + d + "Ch_max" +
                d + "Ch_class_max" + d + "Ch_w_sp_max" + d + "Ch_w_dir_max\n" +
                "P1                  " + d + "1000.00" + d + "2000.00" + d + "350.00" + d +
                "1.50" + d + "0.00000E+00" + d + "0.00000E+00" + d + "0.00000E+00" + d +
                "0.00000E+00" + d + "0.00000E+00\n");
  cfg.delim_out = "   ";  // only blanks: fields follow each other
  cfg.is_max_abs = false;
  EXPECT_EQ(write_and_read(),
            "IDx[m]y[m]z[m]l[m]ave\nP1                  1000.002000.00350.001.500.00000E+00\n");
}

TEST_F(StatOutputTest, NoPointGivesTheHeaderOnly) {
  cfg.is_average = true;
  points.clear();
  results.clear();
  EXPECT_EQ(write_and_read(), "ID;x[m];y[m];z[m];l[m];ave\n");
}

TEST_F(StatOutputTest, LongIdentifiersAreCutAndPointsKeepTheirOrder) {
  cfg.is_average = true;
  points = {{"ABCDEFGHIJKLMNOPQRSTUVWXYZ", -1.004, 0, 0, 0, true}, {"Q", 1, 2, 3, 4, true}};
  results.assign(74, 0.0);
  results[37 + stat_rows().ave] = 1e-120;
  EXPECT_EQ(write_and_read(),
            "ID;x[m];y[m];z[m];l[m];ave\n"
            "ABCDEFGHIJKLMNOPQRST;-1.00;0.00;0.00;0.00;0.00000E+00\n"
            "Q                   ;1.00;2.00;3.00;4.00;1.00000-120\n");
}

TEST_F(StatOutputTest, HugeLimitIsFormattedInFullThenCut) {
  cfg.is_exceed = true;
  cfg.ch_exceed = {123456789.0, -98765432.5, 1e300};
  EXPECT_EQ(header(), "ID;x[m];y[m];z[m];l[m];Th_123456789;Th_-98765432;Th_100000000");
}

TEST_F(StatOutputTest, UnwritableFileStops) {
  cfg.is_average = true;
  cfg.oputdir = dir.path().string() + "/missing/";
  EXPECT_RUN_ERROR(write_output_stat(cfg, points, results),
                   " Chyba pri zapisu do souboru " + cfg.oputdir + "stats.csv.\n");
  // The device accepts the open but fails every write.
  cfg.oputdir = "/dev/";
  cfg.output_stats = "full";
  EXPECT_RUN_ERROR(write_output_stat(cfg, points, results),
                   " Chyba pri zapisu do souboru /dev/full.\n");
}

TEST_F(StatOutputTest, ExistingFileIsOverwritten) {
  cfg.is_average = true;
  dir.write("stats.csv", std::string(500, '#'));
  EXPECT_EQ(write_and_read().find('#'), std::string::npos);
}

}  // namespace
}  // namespace kadre

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "init/met_series_reader.h"
#include "init/reader_messages.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

TEST(MetSeriesReader, HoursComeFromTheFirstSeriesAndEachSeriesReadsItsFile) {
  TempDir dir;
  dir.write("met_AAA.txt",
            "! year month day hour dir speed gradient\n"
            "2015 1 2 0  90 0.4 -0.5\n"
            "2015 1 2 1 180 1.5  0.2\n"
            "2015 1 2 2 270 7.2  1.0\n");
  dir.write("met_BBB.txt",
            "2016 12 31 23  45 3.0 0.1\n"
            "2016 12 31 24  46 1.49 0.2\n"
            "2016 12 31 25  47 2.0 0.3\n"
            "2016 12 31 26  48 2.0 0.4\n");  // beyond the hours of the first series
  const MetSeries met = read_time(dir.file("met.txt"), Settings{}, {"AAA", "BBB"});
  ASSERT_EQ(met.met_num, 2);
  ASSERT_EQ(met.ntime, 3);
  EXPECT_EQ(met.w_dir[met.index(1, 2)], 180.0);
  EXPECT_EQ(met.w_dir[met.index(2, 1)], 45.0);
  // Speeds below the calm limit count as 1.5 m/s.
  EXPECT_EQ((std::vector<double>{met.w_sp[met.index(1, 1)], met.w_sp[met.index(1, 3)],
                                 met.w_sp[met.index(2, 2)]}),
            (std::vector<double>{1.5, 7.2, 1.5}));
  EXPECT_EQ(met.gradient[met.index(1, 1)], -0.5);
  EXPECT_EQ(met.gradient[met.index(2, 3)], 0.3);
  EXPECT_TRUE(met.zi.empty());
  // The dates are those of the last series read.
  EXPECT_EQ(met.date, (std::vector<std::string>{"2016/12/31/23", "2016/12/31/24", "2016/12/31/25"}));

  dir.write("met_BBB.txt", "2015 1 1 1 0 2 0\n2015 1 1 2 0 2 0\n");  // shorter than the first
  EXPECT_INPUT_ERROR(read_time(dir.file("met.txt"), Settings{}, {"AAA", "BBB"}),
                     test::missing_data("met_BBB.txt"));
}

TEST(MetSeriesReader, StabilityClassesAndInversionColumns) {
  TempDir dir;
  const std::string path = dir.write("met.txt",
                                     "2015 1 1 1 200 5 3.9  -9999 210 0.2 2.7\n"
                                     "2015 1 1 2 200 5 -0.5 350.5 220 6.0 1.1\n");
  Settings cfg;
  cfg.inverze = true;
  cfg.is_tep_gr = false;
  const MetSeries met = read_time(path, cfg, {""});
  ASSERT_EQ(met.ntime, 2);
  EXPECT_EQ(met.zi, (std::vector<double>{-9999, 350.5}));
  EXPECT_EQ(met.w_dir_i, (std::vector<double>{210, 220}));
  EXPECT_EQ(met.w_sp_i, (std::vector<double>{1.5, 6.0}));
  EXPECT_EQ(met.stability_class, (std::vector<int>{3, 0}));  // cut toward zero
  EXPECT_EQ(met.stability_class_i, (std::vector<int>{2, 1}));
  cfg.is_tep_gr = true;
  const MetSeries with_gradients = read_time(path, cfg, {""});
  EXPECT_EQ(with_gradients.gradient_i, (std::vector<double>{2.7, 1.1}));
  EXPECT_EQ(with_gradients.gradient, (std::vector<double>{3.9, -0.5}));

  dir.write("met.txt", "2015 1 1 1 200 5 1.2\n2015 1 1 2 200 5 1.2\n");  // without the columns
  EXPECT_INPUT_ERROR(read_time(path, cfg, {""}), test::missing_data("met.txt"));
  cfg.inverze = false;
  cfg.is_tep_gr = false;
  dir.write("met.txt", "2015 1 2 0 10 3 1\n2015 1 2 0 10 3 nan\n");  // no class at all
  EXPECT_INPUT_ERROR(read_time(path, cfg, {""}), test::read_error("met.txt", 2));
  // A comment inside the data is a read error of that record.
  dir.write("met.txt", "! header\n2015 1 1 1 0 2 0\n! not a record\n2015 1 1 3 0 2 0\n");
  EXPECT_INPUT_ERROR(read_time(path, Settings{}, {""}), test::read_error("met.txt", 2));
}

TEST(MetSeriesReader, DatesMustFitThirteenCharacters) {
  TempDir dir;
  const std::string path = dir.file("met.txt");
  dir.write("met.txt", "-999 1 1 1 0 2 0\n9999 99 0 99 0 2 0\n  15 1 1 1 0 2 0\n");
  EXPECT_EQ(read_time(path, Settings{}, {""}).date,
            (std::vector<std::string>{"-999/01/01/01", "9999/99/00/99", "  15/01/01/01"}));
  for (const char* bad : {"10000 1 1 1", "-1000 1 1 1", "2015 100 1 1", "2015 1 -1 1", "2015 1 1 -1"}) {
    dir.write("met.txt", "2015 1 1 0 0 2 0\n" + std::string(bad) + " 0 2 0\n");
    EXPECT_INPUT_ERROR(read_time(path, Settings{}, {""}),
                       "Datum v radku 2 souboru " + path + " nelze zapsat do 13 znaku.");
  }
}

TEST(MetSeriesReader, MissingFilesEmptySeriesAndNoSeries) {
  TempDir dir;
  dir.write("met_AAA.txt", "2015 1 1 1 0 2 0\n");
  for (const std::vector<std::string>& names : {std::vector<std::string>{"AAA", "BBB"}, {"BBB", "AAA"}})
    EXPECT_INPUT_ERROR(read_time(dir.file("met.txt"), Settings{}, names),
                       test::missing_file(dir.file("met_BBB.txt"), "meteorologickou casovou radou"));
  dir.write("met_CCC.txt", "! comment lines only\n");
  EXPECT_INPUT_ERROR(read_time(dir.file("met.txt"), Settings{}, {"CCC", "AAA"}),
                     "Soubor " + dir.file("met_CCC.txt") +
                         " s meteorologickou casovou radou neobsahuje zadny zaznam.");
  const MetSeries none = read_time(dir.file("nothing.txt"), Settings{}, {});
  EXPECT_EQ(none.met_num, 0);
  EXPECT_EQ(none.ntime, 0);
}

}  // namespace
}  // namespace kadre

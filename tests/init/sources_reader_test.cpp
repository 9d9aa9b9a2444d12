#include "init/sources_reader.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

const std::string kReadError = "Chyba cten\xC3\xAD dat ze souboru ";
const std::string kMissingData = "\nZkontrolujte zda v nekterych radcich nechybi data.";

// Description line of a point source: m, m_no, h, v, t, d, w, time_use, daily_hours,
// length, cooling-tower flag.
const std::string kPointDescription = " 1 0 50 10 80 2 5 1 24 0 0\n";

class SourcesReaderTest : public ::testing::Test {
 protected:
  SourcesReaderTest() {
    grid.ncols = grid.nrows = 100;
    grid.cellsize = 10;
    grid.xllcorner_upper = grid.yllcorner_upper = 1000;
  }

  void read(const std::string& definition, const std::string& description) {
    def_path = dir.write("zdroje.txt", definition);
    desc_path = dir.write("popis.txt", description);
    read_sources(def_path, desc_path, cfg, grid, zdroje, met_name, time_prof_name);
  }

  TempDir dir;
  Settings cfg;
  TerrainGrid grid;
  std::string def_path, desc_path;
  std::vector<Source> zdroje;
  std::vector<std::string> met_name, time_prof_name;
};

TEST_F(SourcesReaderTest, PointSourceFieldsAndDerivedValues) {
  read("! id x y z typ shluk aux met\n! more comment\n"
       "S1 100.5 200 300 1 4 7 ABCD extra items\n",
       "! id m m_no h v t d w time_use daily_hours length chl\n"
       "S1 2.5 0.5 50 10 80 2 5 0.75 12 33 1\n");
  ASSERT_EQ(zdroje.size(), 1u);
  const Source& s = zdroje[0];
  EXPECT_EQ(s.id, "S1");
  EXPECT_EQ(s.x, 100.5);
  EXPECT_EQ(s.y, 200.0);
  EXPECT_EQ(s.z, 300.0);
  EXPECT_EQ(s.typ_zdroje, 1);
  EXPECT_EQ(s.shluk, 4);
  EXPECT_EQ(s.aux_int, 7);
  EXPECT_EQ(s.m, 2.5);
  EXPECT_EQ(s.m_no, 0.5);
  EXPECT_EQ(s.h, 50.0);
  EXPECT_EQ(s.v, 10.0);
  EXPECT_EQ(s.t, 80.0);
  EXPECT_EQ(s.d, 2.0);
  EXPECT_EQ(s.w, 5.0);
  EXPECT_EQ(s.time_use, 0.75);
  EXPECT_EQ(s.daily_hours, 12.0);
  EXPECT_EQ(s.length, 33.0);
  EXPECT_TRUE(s.chl_vez);
  EXPECT_EQ(s.beta, 1.0);
  EXPECT_EQ(s.tep_vyd, 0.8031999969512205);
  EXPECT_EQ(s.qa, 90.0);
  EXPECT_EQ(s.qb, 1.0 / 3.0);
  EXPECT_EQ(s.met_idx, 1);
  EXPECT_EQ(s.prof_idx, 0);
  EXPECT_EQ(met_name, std::vector<std::string>{"ABC"});
  EXPECT_TRUE(time_prof_name.empty());
}

TEST_F(SourcesReaderTest, LineSourceGeometry) {
  read("L1 0 0 0 3 0 0 met\n", "L1 1 0 5 30 40 6 2.5 1 24 999 0\n");
  const Source& s = zdroje[0];
  EXPECT_EQ(s.x1, 0.0);
  EXPECT_EQ(s.y1, 0.0);
  EXPECT_EQ(s.x2, 30.0);
  EXPECT_EQ(s.y2, 40.0);
  EXPECT_EQ(s.x, 15.0);
  EXPECT_EQ(s.y, 20.0);
  EXPECT_EQ(s.length, 50.0);
  EXPECT_EQ(s.width, 6.0);
  EXPECT_EQ(s.vert_ext, 2.5);
  EXPECT_EQ(s.t, 0.0);
  EXPECT_EQ(s.d, 0.0);
  EXPECT_EQ(s.w, 0.0);
  EXPECT_EQ(s.v, 0.0);
  EXPECT_EQ(s.tep_vyd, 0.0);
  EXPECT_EQ(s.beta, 0.0);
  EXPECT_EQ(s.qa, 90.0);
  EXPECT_EQ(s.qb, 1.0 / 3.0);
  EXPECT_FALSE(s.chl_vez);
}

TEST_F(SourcesReaderTest, AreaSourceKeepsDiameterAndVelocityButNotItsFlow) {
  cfg.tep_vyd_type = "metodika";
  read("A1 50 50 0 2 0 0 met\n", "A1 1 0 5 10 55 2 3 1 24 40 2\n");
  const Source& s = zdroje[0];
  EXPECT_EQ(s.v, 0.0);
  EXPECT_EQ(s.d, 2.0);
  EXPECT_EQ(s.w, 3.0);
  EXPECT_EQ(s.length, 40.0);
  EXPECT_EQ(s.beta, 0.5);
  EXPECT_FALSE(s.chl_vez);
  EXPECT_EQ(s.tep_vyd, 0.0010000000474974513 * 10 * 1.371000051498413 * 55);
}

TEST(SourceFormulas, HeatOutputUsesTheWidenedSinglePrecisionConstants) {
  EXPECT_EQ(tepel_vyd(10, 80, 0, "vyzk-zpr"), 0.8031999969512205);
  EXPECT_EQ(tepel_vyd(10, 80.5, 0, "vyzk-zpr"), 0.0010000000474974513 * 10 * 1.371000051498413 * 80.5);
  EXPECT_EQ(tepel_vyd(10, 80, 0, "metodika"), 0.0010000000474974513 * 10 * 1.371000051498413 * 80);
  // The temperature itself, not the difference, picks the factor.
  EXPECT_EQ(tepel_vyd(10, 90, 20, "vyzk-zpr"), 0.0010000000474974513 * 10 * 1.371000051498413 * 70);
  EXPECT_EQ(tepel_vyd(10, 50, 20, "vyzk-zpr"), 0.0010000000474974513 * 10 * 1.003999948501587 * 30);
}

TEST(SourceFormulas, BuoyancyWeightAndRiseCoefficients) {
  EXPECT_EQ(get_beta(30), 0.0);
  EXPECT_EQ(get_beta(55), 0.5);
  EXPECT_EQ(get_beta(80), 1.0);
  EXPECT_EQ(get_beta(-5), 0.0);
  EXPECT_EQ(get_beta(200), 1.0);
  double qa = 0, qb = 0;
  qab(20, qa, qb);
  EXPECT_EQ(qa, 30.0);
  EXPECT_EQ(qb, 0.699999988079071);
  qab(19.999, qa, qb);
  EXPECT_EQ(qa, 90.0);
  EXPECT_EQ(qb, 0.3333333333333333);
}

TEST_F(SourcesReaderTest, SeriesNamesAreCutAndShared) {
  read("S1 10 10 0 1 0 0 brno\nS2 10 10 0 1 0 0 ost\nS3 10 10 0 1 0 0 BRN\nS4 10 10 0 1 0 0 brnx\n",
       "S1" + kPointDescription + "S2" + kPointDescription + "S3" + kPointDescription + "S4" +
           kPointDescription);
  EXPECT_EQ(met_name, (std::vector<std::string>{"brn", "ost", "BRN"}));
  EXPECT_EQ(zdroje[0].met_idx, 1);
  EXPECT_EQ(zdroje[1].met_idx, 2);
  EXPECT_EQ(zdroje[2].met_idx, 3);
  EXPECT_EQ(zdroje[3].met_idx, 1);
  EXPECT_TRUE(time_prof_name.empty());
}

TEST_F(SourcesReaderTest, BlankNameIsRegisteredLikeAnyOther) {
  read("S1 10 10 0 1 0 0 abc\nS2 10 10 0 1 0 0 ''\nS3 10 10 0 1 0 0 ' '\n",
       "S1" + kPointDescription + "S2" + kPointDescription + "S3" + kPointDescription);
  EXPECT_EQ(met_name, (std::vector<std::string>{"abc", ""}));
  EXPECT_EQ(zdroje[1].met_idx, 2);
  EXPECT_EQ(zdroje[2].met_idx, 2);
}

TEST_F(SourcesReaderTest, ProfileNamesOnlyWithTimeSeries) {
  cfg.is_time = true;
  read("S1 10 10 0 1 0 0 m1 p1\nS2 10 10 0 1 0 0 m1 p2\nS3 10 10 0 1 0 0 m2 p1\n",
       "S1" + kPointDescription + "S2" + kPointDescription + "S3" + kPointDescription);
  EXPECT_EQ(met_name, (std::vector<std::string>{"m1", "m2"}));
  EXPECT_EQ(time_prof_name, (std::vector<std::string>{"p1", "p2"}));
  EXPECT_EQ(zdroje[0].prof_idx, 1);
  EXPECT_EQ(zdroje[1].prof_idx, 2);
  EXPECT_EQ(zdroje[2].prof_idx, 1);
}

std::string three_character_name(int k) {
  const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
  return {digits[k / 1296 % 36], digits[k / 36 % 36], digits[k % 36]};
}

TEST_F(SourcesReaderTest, MoreThanAThousandNamesStop) {
  std::string definition, description;
  for (int k = 0; k < 1001; ++k) {
    const std::string id = "S" + std::to_string(k);
    definition += id + " 10 10 0 1 0 0 " + three_character_name(k) + "\n";
    description += id + kPointDescription;
  }
  EXPECT_INPUT_ERROR(read(definition, description),
                     "Prilis mnoho ruznych nazvu meteorologickych rad (nejvice 1000).");

  cfg.is_time = true;
  definition.clear();
  for (int k = 0; k < 1001; ++k)
    definition += "S" + std::to_string(k) + " 10 10 0 1 0 0 met " + three_character_name(k) + "\n";
  EXPECT_INPUT_ERROR(read(definition, description),
                     "Prilis mnoho ruznych nazvu emisnich profilu (nejvice 1000).");

  // A thousand is still fine.
  definition.clear();
  description.clear();
  for (int k = 0; k < 1000; ++k) {
    definition += "S" + std::to_string(k) + " 10 10 0 1 0 0 " + three_character_name(k) + " " +
                  three_character_name(k) + "\n";
    description += "S" + std::to_string(k) + kPointDescription;
  }
  read(definition, description);
  EXPECT_EQ(met_name.size(), 1000u);
  EXPECT_EQ(time_prof_name.size(), 1000u);
}

TEST_F(SourcesReaderTest, SortedByDescendingTimeUseOnlyForExceedances) {
  const std::string definition =
      "A 10 10 0 1 0 0 m\nB 10 10 0 1 0 0 m\nC 10 10 0 1 0 0 m\nD 10 10 0 1 0 0 m\n";
  const std::string description = "A 1 0 5 0 0 0 0 5 24 0 0\nB 1 0 5 0 0 0 0 9 24 0 0\n"
                                  "C 1 0 5 0 0 0 0 5 24 0 0\nD 1 0 5 0 0 0 0 1 24 0 0\n";
  auto order = [this] {
    std::string ids;
    for (const auto& s : zdroje) ids += s.id;
    return ids;
  };
  read(definition, description);
  EXPECT_EQ(order(), "ABCD");
  cfg.is_exceed = true;
  read(definition, description);
  EXPECT_EQ(order(), "BACD");
  EXPECT_EQ(zdroje[0].time_use, 9.0);
  EXPECT_EQ(zdroje[3].time_use, 1.0);
}

TEST_F(SourcesReaderTest, MismatchedIdentifierNamesLineAndBothIds) {
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0 m\nS2 10 10 0 1 0 0 m\n",
                          "! header\nS1" + kPointDescription + "s2" + kPointDescription),
                     "V radku          2 v souboru " + dir.file("popis.txt") +
                         " ocekavan zdroj id S2 nalezen popis zdroje s2.");
}

TEST_F(SourcesReaderTest, DescriptionLinesBeyondTheSourcesAreIgnoredButMissingOnesAreErrors) {
  read("S1 10 10 0 1 0 0 m\n", "S1" + kPointDescription + "S2 anything at all\n");
  EXPECT_EQ(zdroje.size(), 1u);
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0 m\nS2 10 10 0 1 0 0 m\n", "S1" + kPointDescription),
                     kReadError + "popis.txt." + kMissingData);
}

TEST_F(SourcesReaderTest, ReadErrorsCountDataLines) {
  EXPECT_INPUT_ERROR(read("! c\nS1 10 10 0 1 0 0 m\nS2 10 10 0 1.5 0 0 m\n", ""),
                     kReadError + "zdroje.txt.\nChyba na radku 2.");
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0 m\n", "S1 1 0 5 10 x 2 5 1 24 0 0\n"),
                     kReadError + "popis.txt.\nChyba na radku 1.");
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0\n", ""), kReadError + "zdroje.txt." + kMissingData);
}

TEST_F(SourcesReaderTest, InvalidHeatOutputTypeUnnoticedWithoutSources) {
  cfg.tep_vyd_type = "Metodika";
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0 m\n", "S1" + kPointDescription),
                     "Hodnota parametru tep_vyd_type = Metodika je neplatna.");
  read("! no sources\n", "whatever\n");
  EXPECT_TRUE(zdroje.empty());
  EXPECT_TRUE(met_name.empty());
}

TEST_F(SourcesReaderTest, MissingFilesEvenWithoutSources) {
  const std::string def = dir.write("zdroje.txt", "! none\n");
  EXPECT_INPUT_ERROR(
      read_sources(def, dir.file("popis.txt"), cfg, grid, zdroje, met_name, time_prof_name),
      "Soubor " + dir.file("popis.txt") + " s popisem zdroju neexistuje.");
  EXPECT_INPUT_ERROR(
      read_sources(dir.file("x.txt"), def, cfg, grid, zdroje, met_name, time_prof_name),
      "Soubor " + dir.file("x.txt") + " s definici zdroju neexistuje.");
  EXPECT_INPUT_ERROR(
      read_sources(dir.path().string() + "/", def, cfg, grid, zdroje, met_name, time_prof_name),
      "Soubor s definici zdroju nebyl zadan.");
}

TEST_F(SourcesReaderTest, SourcesOnTheEdgeAreRejected) {
  EXPECT_INPUT_ERROR(read("S1 0 10 0 1 0 0 m\n", "S1" + kPointDescription),
                     "Zdroj S1 lezi mimo oblast vyskopisu.");
  EXPECT_INPUT_ERROR(read("S1 10 1000 0 1 0 0 m\n", "S1" + kPointDescription),
                     "Zdroj S1 lezi mimo oblast vyskopisu.");
  // A line source is checked by its midpoint only.
  read("L1 -10 500 0 3 0 0 m\n", "L1 1 0 5 30 500 0 0 1 24 0 0\n");
  EXPECT_EQ(zdroje[0].x, 10.0);
  EXPECT_INPUT_ERROR(read("L1 -10 500 0 3 0 0 m\n", "L1 1 0 5 10 500 0 0 1 24 0 0\n"),
                     "Zdroj L1 lezi mimo oblast vyskopisu.");
}

}  // namespace
}  // namespace kadre

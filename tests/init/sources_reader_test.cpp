#include "init/sources_reader.h"

#include <gtest/gtest.h>

#include "init/reader_messages.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

// Description line of a point source after its id: m, m_no, h, v, t, d, w, time_use,
// daily_hours, length, cooling-tower flag.
const std::string kPointDescription = " 1 0 50 10 80 2 5 1 24 0 0\n";

class SourcesReaderTest : public ::testing::Test {
 protected:
  SourcesReaderTest() {
    grid.ncols = grid.nrows = 100;
    grid.cellsize = 10;
    grid.xllcorner_upper = grid.yllcorner_upper = 1000;
  }

  void read(const std::string& definition, const std::string& description) {
    read_sources(dir.write("zdroje.txt", definition), dir.write("popis.txt", description), cfg, grid,
                 sources, met_name, time_prof_name);
  }
  // Point sources S0, S1, ... with these series names and (with is_time) profile names.
  void read_points(const std::vector<std::string>& met, const std::vector<std::string>& prof = {}) {
    std::string definition, description;
    for (std::size_t k = 0; k < met.size(); ++k) {
      const std::string id = "S" + std::to_string(k);
      definition += id + " 10 10 0 1 0 0 " + met[k] + (prof.empty() ? "" : " " + prof[k]) + "\n";
      description += id + kPointDescription;
    }
    read(definition, description);
  }

  TempDir dir;
  Settings cfg;
  TerrainGrid grid;
  std::vector<Source> sources;
  std::vector<std::string> met_name, time_prof_name;
};

TEST_F(SourcesReaderTest, PointSourceFieldsAndDerivedValues) {
  read("! id x y z typ shluk aux met\n! more comment\nS1 100.5 200 300 1 4 7 ABCD extra items\n",
       "! id m m_no h v t d w time_use daily_hours length chl\nS1 2.5 0.5 50 10 80 2 5 0.75 12 33 1\n");
  ASSERT_EQ(sources.size(), 1u);
  const Source& s = sources[0];
  EXPECT_EQ(s.id, "S1");
  EXPECT_EQ((std::vector<double>{s.x, s.y, s.z, s.m, s.m_no, s.h, s.v, s.t, s.d, s.w, s.time_use,
                                 s.daily_hours, s.length}),
            (std::vector<double>{100.5, 200, 300, 2.5, 0.5, 50, 10, 80, 2, 5, 0.75, 12, 33}));
  EXPECT_EQ((std::vector<int>{s.type, s.cluster, s.aux, s.met_idx, s.prof_idx}),
            (std::vector<int>{1, 4, 7, 1, 0}));
  EXPECT_TRUE(s.cooling_tower);
  EXPECT_EQ(s.beta, 1.0);
  EXPECT_EQ(s.heat_output, 0.8031999969512205);
  EXPECT_EQ(met_name, std::vector<std::string>{"ABC"});
  EXPECT_TRUE(time_prof_name.empty());
}

TEST_F(SourcesReaderTest, LineAndAreaSources) {
  read("L1 0 0 0 3 0 0 met\n", "L1 1 0 5 30 40 6 2.5 1 24 999 0\n");
  const Source& line = sources[0];
  EXPECT_EQ((std::vector<double>{line.x1, line.y1, line.x2, line.y2, line.x, line.y, line.length,
                                 line.width, line.vert_ext}),
            (std::vector<double>{0, 0, 30, 40, 15, 20, 50, 6, 2.5}));
  EXPECT_EQ((std::vector<double>{line.t, line.d, line.w, line.v, line.heat_output, line.beta, line.qa}),
            (std::vector<double>{0, 0, 0, 0, 0, 0, 90}));
  // An area source keeps diameter and velocity but not its flow; only flag 1 is a tower.
  cfg.tep_vyd_type = "metodika";
  read("A1 50 50 0 2 0 0 met\n", "A1 1 0 5 10 55 2 3 1 24 40 2\n");
  const Source& area = sources[0];
  EXPECT_EQ((std::vector<double>{area.v, area.d, area.w, area.length, area.beta, area.heat_output}),
            (std::vector<double>{0, 2, 3, 40, 0.5, 0.7540500641395818}));
  EXPECT_FALSE(area.cooling_tower);
}

TEST(SourceFormulas, HeatOutputBuoyancyAndRiseCoefficients) {
  // Single-precision constants widened; the temperature itself, not the difference, picks
  // the factor.
  EXPECT_EQ(tepel_vyd(10, 80, 0, "vyzk-zpr"), 0.8031999969512205);
  EXPECT_EQ(tepel_vyd(10, 80.5, 0, "vyzk-zpr  "), 1.1036550938770242);
  EXPECT_EQ(tepel_vyd(10, 90, 20, "vyzk-zpr"), 0.9597000816321949);
  EXPECT_EQ(tepel_vyd(10, 50, 20, "vyzk-zpr"), 0.3011999988567077);
  for (auto [t, beta] : {std::pair{-5.0, 0.0}, {30.0, 0.0}, {55.0, 0.5}, {80.0, 1.0}, {200.0, 1.0}})
    EXPECT_EQ(get_beta(t), beta) << t;
  double qa = 0, qb = 0;
  qab(20, qa, qb);
  EXPECT_EQ(qa, 30.0);
  EXPECT_EQ(qb, 0.699999988079071);
  qab(19.999, qa, qb);
  EXPECT_EQ(qa, 90.0);
  EXPECT_EQ(qb, 0.3333333333333333);
}

TEST_F(SourcesReaderTest, NamesAreCutRegisteredInOrderAndShared) {
  // Names are case-sensitive and cut to 3 characters; a blank name is a name like any other.
  read_points({"brno", "ost", "BRN", "brnx", "''", "' '"});
  EXPECT_EQ(met_name, (std::vector<std::string>{"brn", "ost", "BRN", ""}));
  std::vector<int> met_idx;
  for (const Source& s : sources) met_idx.push_back(s.met_idx);
  EXPECT_EQ(met_idx, (std::vector<int>{1, 2, 3, 1, 4, 4}));
  EXPECT_TRUE(time_prof_name.empty());

  cfg.is_time = true;
  read_points({"m1", "m1", "m2"}, {"p1", "p2", "p1"});
  EXPECT_EQ(met_name, (std::vector<std::string>{"m1", "m2"}));
  EXPECT_EQ(time_prof_name, (std::vector<std::string>{"p1", "p2"}));
  EXPECT_EQ((std::vector<int>{sources[0].prof_idx, sources[1].prof_idx, sources[2].prof_idx}),
            (std::vector<int>{1, 2, 1}));
}

TEST_F(SourcesReaderTest, AThousandNamesAtMost) {
  std::vector<std::string> names, same(1001, "met");
  for (int k = 0; k < 1000; ++k) names.push_back(std::to_string(k));
  names.push_back("x");  // 1001 distinct names
  EXPECT_INPUT_ERROR(read_points(names),
                     "Prilis mnoho ruznych nazvu meteorologickych rad (nejvice 1000).");
  cfg.is_time = true;
  EXPECT_INPUT_ERROR(read_points(same, names),
                     "Prilis mnoho ruznych nazvu emisnich profilu (nejvice 1000).");
  names.pop_back();
  read_points(names, names);
  EXPECT_EQ(met_name.size(), 1000u);
  EXPECT_EQ(time_prof_name.size(), 1000u);
}

TEST_F(SourcesReaderTest, SortedByDescendingTimeUseOnlyForExceedances) {
  std::string definition, description;
  for (auto [id, time_use] : {std::pair{"A", "5"}, {"B", "9"}, {"C", "5"}, {"D", "1"}}) {
    definition += std::string(id) + " 10 10 0 1 0 0 m\n";
    description += std::string(id) + " 1 0 5 0 0 0 0 " + time_use + " 24 0 0\n";
  }
  for (bool exceed : {false, true}) {
    cfg.is_exceed = exceed;
    read(definition, description);
    std::string ids;
    for (const auto& s : sources) ids += s.id;
    EXPECT_EQ(ids, exceed ? "BACD" : "ABCD");  // equal keys keep their order
  }
  // Enough equal keys for an unstable sort to show.
  std::vector<Source> many(60);
  for (int k = 0; k < 60; ++k) {
    many[k].time_use = k % 3;
    many[k].aux = k;  // the original position
  }
  sort_sources(many);
  for (int k = 1; k < 60; ++k) {
    const Source& a = many[k - 1];
    const Source& b = many[k];
    EXPECT_TRUE(a.time_use > b.time_use || (a.time_use == b.time_use && a.aux < b.aux)) << k;
  }
}

TEST_F(SourcesReaderTest, Messages) {
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0 m\nS2 10 10 0 1 0 0 m\n",
                          "! header\nS1" + kPointDescription + "s2" + kPointDescription),
                     "V radku          2 v souboru " + dir.file("popis.txt") +
                         " ocekavan zdroj id S2 nalezen popis zdroje s2.");
  // Lines beyond the sources are ignored, missing ones are errors; lines count from the
  // first data line.
  read("S1 10 10 0 1 0 0 m\n", "S1" + kPointDescription + "S2 anything at all\n");
  EXPECT_EQ(sources.size(), 1u);
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0 m\nS2 10 10 0 1 0 0 m\n", "S1" + kPointDescription),
                     test::missing_data("popis.txt"));
  EXPECT_INPUT_ERROR(read("! c\nS1 10 10 0 1 0 0 m\nS2 10 10 0 1.5 0 0 m\n", ""),
                     test::read_error("zdroje.txt", 2));
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0 m\n", "S1 1 0 5 10 x 2 5 1 24 0 0\n"),
                     test::read_error("popis.txt", 1));
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0\n", ""), test::missing_data("zdroje.txt"));
  // An invalid heat-output type goes unnoticed without sources.
  cfg.tep_vyd_type = "Metodika";
  EXPECT_INPUT_ERROR(read("S1 10 10 0 1 0 0 m\n", "S1" + kPointDescription),
                     "Hodnota parametru tep_vyd_type = Metodika je neplatna.");
  read("! no sources\n", "whatever\n");
  EXPECT_TRUE(sources.empty() && met_name.empty());
  // Both files must exist even without sources.
  const std::string none = dir.file("none.txt");
  EXPECT_INPUT_ERROR(read_sources(dir.file("zdroje.txt"), none, cfg, grid, sources, met_name, time_prof_name),
                     test::missing_file(none, "popisem zdroju"));
  EXPECT_INPUT_ERROR(read_sources(none, dir.file("popis.txt"), cfg, grid, sources, met_name, time_prof_name),
                     test::missing_file(none, "definici zdroju"));
}

TEST_F(SourcesReaderTest, SourcesOnTheEdgeAreRejected) {
  for (const char* xy : {"0 10", "10 1000", "nan 10"})
    EXPECT_INPUT_ERROR(read(std::string("S1 ") + xy + " 0 1 0 0 m\n", "S1" + kPointDescription),
                       "Zdroj S1 lezi mimo oblast vyskopisu.");
  // A line source is checked by its midpoint only.
  read("L1 -10 500 0 3 0 0 m\n", "L1 1 0 5 30 500 0 0 1 24 0 0\n");
  EXPECT_EQ(sources[0].x, 10.0);
  EXPECT_INPUT_ERROR(read("L1 -10 500 0 3 0 0 m\n", "L1 1 0 5 10 500 0 0 1 24 0 0\n"),
                     "Zdroj L1 lezi mimo oblast vyskopisu.");
}

}  // namespace
}  // namespace kadre

// Whole runs of both evaluations: which inputs they read, which sources a point takes in, the
// same bytes whatever the threads and whether run together or alone, and the stops on a result
// file that cannot be written or an error on a worker thread.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "init/read_input_data.h"
#include "init/read_param.h"
#include "reference_point_loop.h"
#include "support/small_case.h"

namespace kadre {
namespace {

using test::kStackDefinition;
using test::kStackDescription;

const std::string kPoints =
    "P1 2000 2000 0 1.5\nP2 2500 1800 0 1.5\nP3 1500 2500 0 3\nP4 2100 900 0 1.5\n"
    "P5 2900 3300 0 1.5\nP6 800 1200 0 1.5\nP7 2000 1300 0 1.5\nP8 1900 2100 0 20\n";
const std::string kStats =
    " is_average = T, is_max_abs = T, is_max_11 = T, is_exceed = T, is_daily = T, daily_type = 'SO2'\n"
    " ch_exceed = 1, 10, 100, cd_exceed = 1, 5, 50, ruzice_file = 'rose.txt', output_stats = 'stats.csv'\n";
const std::string kHourly = " is_time = T, time_file = 'met.txt', output_time = 'hourly.csv'\n";
const char* const kFiles[] = {"stats.csv", "hourly.csv", "avg_hourly.csv", "max_hourly.csv"};

class WholeRun : public ::testing::Test {
 protected:
  void SetUp() override {
    c.one_stack();
    c.uniform_rose("rose_AAA.txt", 0.25);
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(c.dir().file("out/" + name)); }
  // Every result file there is after a run that must succeed.
  std::string run_files(const std::string& config, const std::string& threads = "2") {
    std::filesystem::remove_all(c.dir().file("out"));
    std::filesystem::create_directory(c.dir().file("out"));
    c.config(config);
    const auto r = c.run({threads});
    EXPECT_EQ(r.status, 0) << r.out;
    std::string all;
    for (const char* name : kFiles) all += (exists(name) ? c.output(name) : "-") + "|";
    return all;
  }
  test::SmallCase c;
};

TEST_F(WholeRun, OnlyAverageAndExceedanceReadTheWindRose) {
  std::filesystem::remove(c.dir().file("in/rose_AAA.txt"));
  run_files(" is_max_abs = T, is_max_11 = T, is_daily = T, daily_type = 'SO2', ruzice_file = 'rose.txt',"
            " output_stats = 'stats.csv'");
  for (const char* key : {"is_exceed", "is_average"}) {
    std::filesystem::remove(c.dir().file("out/stats.csv"));
    c.config(std::string(" ") + key + " = T, ruzice_file = 'rose.txt', output_stats = 'stats.csv'");
    const auto r = c.run();
    EXPECT_EQ(r.status, 1) << key;
    EXPECT_TRUE(r.out.ends_with(" Soubor in/rose_AAA.txt s ruzici neexistuje.\n")) << r.out;
    EXPECT_EQ(r.out.find("Vypocet"), std::string::npos);
    EXPECT_FALSE(exists("stats.csv"));
  }
}

TEST_F(WholeRun, WithoutAnySourceEverythingIsZero) {
  c.sources("", "");  // and so without any wind rose: no hours above a limit either
  run_files(" is_average = T, is_exceed = T, is_daily = T, daily_type = 'XX', ch_exceed = -1, -1, -1\n"
            " cd_exceed = 3*-1, ruzice_file = 'rose.txt', output_stats = 'stats.csv'\n" + kHourly);
  const std::string point = "P1                  ;2000.00;2000.00;300.00;1.50;", zero = "0.00000E+00";
  std::string zeros = zero;
  for (int n = 0; n < 6; ++n) zeros += ";" + zero;
  EXPECT_EQ(c.output("stats.csv"),
            "ID;x[m];y[m];z[m];l[m];ave;Th_-1.000;Th_-1.000;Th_-1.000;Td_-1.000;Td_-1.000;Td_-1.000\n" + point +
                zeros + "\n");
  EXPECT_EQ(c.output("avg_hourly.csv"), "ID;x[m];y[m];z[m];l[m];ave\n" + point + zero + "\n");
  EXPECT_EQ(c.output("max_hourly.csv"), "ID;x[m];y[m];z[m];l[m];max\n" + point + zero + "\n");
}

// S1 lies exactly 1000 m south of the point, S2 1001 m, S3 500 m; S0 is S1 without any
// emission, which gives the results of a point that nothing reaches.
TEST_F(WholeRun, SourcesOnTheInfluenceLimitsCountAndSourcesOutsideAddNothing) {
  const std::string definitions[] = {"S1 2000 1000 0 1 0 0 AAA CON\n", "S2 2000 999 0 1 0 0 AAA CON\n",
                                     "S3 2000 1500 0 1 0 0 AAA CON\n", "S0 2000 1000 0 1 0 0 AAA CON\n"};
  const std::string descriptions[] = {kStackDescription, "S2 3.0 0.5 40 0 20 1 0 0.8 24 0 0\n",
                                      "S3 4.0 0.5 30 0 20 1 0 0.8 24 0 0\n", "S0 0.0 0.0 50 0 20 1 0 0.8 24 0 0\n"};
  const auto use = [&](std::initializer_list<int> which) {
    std::string definition, description;
    for (int s : which) definition += definitions[s], description += descriptions[s];
    c.sources(definition, description);
  };
  c.file("met_AAA.txt", "2026 1 1 0 180 2.0 0.5\n2026 1 1 1 178 4.0 -0.2\n2026 1 1 2 183 1.5 1.0\n");
  const std::string config = kStats + kHourly + " wind_rotation = F\n";
  use({0});
  const std::string only_s1 = run_files(config);
  use({0, 1, 2});
  EXPECT_NE(run_files(config), only_s1);
  EXPECT_EQ(run_files(config + " infl_dist_min = 1000, infl_dist_max = 1000"), only_s1);
  EXPECT_EQ(run_files(config + " infl_dist_max = 1000.5, infl_dist_min = 999.5"), only_s1);
  use({3});
  const std::string none = run_files(config);
  EXPECT_NE(none, only_s1);
  use({1, 2});
  EXPECT_EQ(run_files(config + " infl_dist_min = 1000, infl_dist_max = 1000"), none);
  use({0});
  EXPECT_EQ(run_files(config + " infl_dist_max = 999.999"), none);
}

// Both evaluations in one run give the files of each alone (u_height is for the hourly wind
// only), with one thread, several, or a thousand (run as a hundred).
TEST_F(WholeRun, SameBytesTogetherOrAloneWithOneThreadOrMany) {
  c.points(kPoints);
  c.sources("S1 2000 1000 0 1 0 0 AAA PRF\nS2 2000 1500 0 1 0 0 AAA PRF\n",
            kStackDescription + "S2 1.0 0.5 5 0 20 1 0 0.8 24 0 0\n");
  c.file("met_AAA.txt", "2015 1 1 1 180 3.0 4 400 180 3 4\n2015 1 1 2 200 1.0 1 -9999 180 3 4\n"
                        "2015 1 1 3 160 6.0 5 330 170 3 2\n2015 1 1 4 135 2.0 2 420 180 3 4\n");
  c.file("emis_PRF.txt", "2015 1 1 1 1\n2015 1 1 2 0.5\n2015 1 1 3 2\n2015 1 1 4 1\n");
  const std::string hourly = kHourly + " emis_time_file = 'emis.txt', u_height = 20, is_tep_gr = F, inverze = T\n";
  const std::string stats_alone = run_files(kStats, "1");
  const std::string hourly_alone = run_files(hourly, "1");
  ASSERT_NE(stats_alone.find("E+"), std::string::npos);
  ASSERT_NE(hourly_alone.find("E-"), std::string::npos);
  for (const char* threads : {"1", "3", "1000"}) {
    const std::string together = run_files(kStats + hourly, threads);
    EXPECT_EQ(together.substr(0, together.find('|')), stats_alone.substr(0, stats_alone.find('|'))) << threads;
    EXPECT_EQ(together.substr(together.find('|')), hourly_alone.substr(hourly_alone.find('|'))) << threads;
  }
}

// A result file that cannot be written stops the run at once with status 1: nothing after it
// is written, and nothing claims success.
TEST_F(WholeRun, UnwritableResultFilesStopTheRun) {
  c.sources("S1 2000 1000 0 1 0 0 AAA CON\n", kStackDescription);  // with is_time: a profile column
  c.file("met_AAA.txt", "2015 1 1 1 180 3.0 4\n");
  c.config(kHourly + " output_time = 'missing/hourly.csv', is_average = T, ruzice_file = 'rose.txt',"
                     " output_stats = 'stats.csv'");
  auto r = c.run();
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.ends_with(" Vypis vysledku\n Chyba pri zapisu do souboru out/missing/hourly.csv.\n")) << r.out;
  EXPECT_FALSE(exists("stats.csv"));
  // The table is written, then the mean file cannot be opened.
  std::filesystem::create_directory(c.dir().file("out/avg_hourly.csv"));
  c.config(kHourly);
  r = c.run();
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.ends_with(" Chyba pri zapisu do souboru out/avg_hourly.csv.\n")) << r.out;
  EXPECT_TRUE(exists("hourly.csv"));
  EXPECT_FALSE(exists("max_hourly.csv"));
  std::filesystem::create_directory(c.dir().file("out/stats.csv"));
  c.config(" is_max_abs = T, output_stats = 'stats.csv'");
  r = c.run();
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.ends_with(" Vypis vysledku\n Chyba pri zapisu do souboru out/stats.csv.\n")) << r.out;
}

// Errors raised on the worker threads: the run stops with the one message and status 1, and
// no result file is written, with one thread or several.
class WorkerErrors : public ::testing::TestWithParam<const char*> {};

TEST_P(WorkerErrors, StopTheRunWithTheOneMessageAndNoResultFile) {
  const std::string bad_type = " _get_sgm0: nedovolena hodnota typu zdroje\n"
                               "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
                               "               zadana hodnota \"class\":            4\n";
  const std::string s4 = "S4" + kStackDescription.substr(2);
  const struct { std::string definition, description, config, message; } cases[] = {
      {kStackDefinition, kStackDescription, " is_max_abs = T, is_daily = T, daily_type = 'PM25'",
       " Chyba ve funkci daily. Zadany typ pro vypocet dennich maximalnich koncentraci, neodpovida ocekavanym "
       "hodnotam.\n"},
      {kStackDefinition + "S4 2000 1000 0 4 0 0 AAA\n", kStackDescription + s4, " is_max_11 = T", bad_type},
      // Only P4 lies within reach of the invalid source; the others finish before or after.
      {"S4 2100 950 0 4 0 0 AAA\n", s4, " is_max_abs = T, infl_dist_max = 100", bad_type}};
  for (const auto& k : cases) {
    test::SmallCase c;
    c.flat_terrain();
    c.points(kPoints);
    c.sources(k.definition, k.description);
    c.config(k.config + ", output_stats = 'stats.csv'");
    const auto r = c.run({GetParam()});
    EXPECT_EQ(r.status, 1);
    const std::size_t from = r.out.find(" Vypocet koncentraci\n");
    ASSERT_NE(from, std::string::npos) << r.out;
    // Progress of the points done before the stop, if any, then the message on its own line.
    std::string rest = r.out.substr(from + 21);
    if (!rest.empty() && rest[0] == '\r') rest = rest.substr(rest.find('\n') + 1);
    EXPECT_EQ(rest, k.message);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(std::filesystem::exists(c.dir().file("out/stats.csv")));
  }
}

INSTANTIATE_TEST_SUITE_P(Threads, WorkerErrors, ::testing::Values("1", "3"));

TEST_F(WholeRun, IndexErrorOnAWorkerStopsTheLoopAndIsRaisedOnTheCaller) {
  c.points(kPoints);
  c.config(" is_average = T, ruzice_file = 'rose.txt', output_stats = 'stats.csv'");
  test::ScopedCwd cwd(c.dir().path());
  std::ostringstream console;
  InputData in = read_input_data("run.nml", console);
  const ModelParams par = read_param(in.cfg);
  in.wind_roses.met_num = 0;  // the source's wind rose is no longer in the table
  const ModelContext ctx = make_model_context(in, par);
  const WindClasses wind = u_range_gen(false, par);
  const ClassSpeedIndex index = make_class_speed_index(wind, par);
  const LoopInputs inputs{in, ctx, wind, &index, DailyType::invalid, true};
  for (int threads : {1, 3}) {
    ResultTables tables;
    tables.results.assign(37 * 8, 0.0);
    EXPECT_RUN_ERROR(compute_reference_points(inputs, tables, threads, console),
                     " eval_average: Index '1' of dimension 3 of array 'ruzice' above upper bound of 0\n");
  }
}

}  // namespace
}  // namespace kadre

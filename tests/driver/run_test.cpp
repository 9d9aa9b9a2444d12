// The program: its command line, the hourly table that cannot exist, and whole runs: the
// textbook plume, the same bytes whatever the threads and whether the evaluations run together
// or alone, and the stops that leave no result file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include <sys/resource.h>

#include "driver/command_line.h"
#include "driver/run.h"
#include "driver/run_sequence.h"
#include "support/test_support.h"
#include "support/textbook_plume.h"

namespace kadre {
namespace {

TEST(CommandLine, UsageHelpVersionThreadCountAndALongPath) {
  const std::string banner =
      "\n KADRE v1.1.2 - (c) vyvojari programu kadre, vsechna prava vyhrazena\n \n\n";
  const std::string usage =
      " Pouziti programu:\nkadre <soubor se vstupnimi parametry> [<pocet vlaken>]\n";
  test::TempDir dir;
  const std::string path = dir.file(std::string(300, 'c') + ".nml");  // never cut
  const struct {
    std::vector<std::string> args;
    std::string out;
  } runs[] = {
      {{}, usage},
      {{"a", "2", "x"}, usage},
      {{"does_not_exist.nml", "0"}, " Neplatna hodnota poctu vlaken.\n"},  // before reading
      {{path}, " Nacitam vstupni data\n Soubor " + path + " s inicializaci vypoctu neexistuje.\n"}};
  for (const auto& r : runs) {
    const test::RunOutput result = test::run_program(r.args);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, banner + r.out);
  }
  // Help and version: status 0, no banner; the usage names the program as it was called.
  for (const auto& [arg, out] : {std::pair{"-h", " Pouziti programu:\n/opt/kadre <soubor"},
                                 {"--help", " Pouziti"},
                                 {"--version", "kadre 1.1.2\n"}}) {
    std::ostringstream o, e;
    EXPECT_EQ(run({arg}, o, e, "/opt/kadre"), 0);
    EXPECT_TRUE(o.str().starts_with(out)) << o.str();
  }
  // Only three characters count; blank is absent (here 7 by default).
  for (const auto& [arg, threads] :
       {std::pair{"   ", 7}, {"4", 4}, {" +3", 3}, {"1000", 100}, {"2,9", 2}, {"12/", 12}})
    EXPECT_EQ(thread_count({"a", arg}, 7), threads) << arg;
  EXPECT_EQ(thread_count({"a"}, 7), 7);
  for (const char* bad : {"0", "-2", "x", "1x", "+", "0001"})
    EXPECT_RUN_ERROR(thread_count({"a", bad}, 7), " Neplatna hodnota poctu vlaken.\n");
}

TEST(ResultsT, LimitedOnlyByWhatCanExistInMemory) {
  EXPECT_TRUE(hourly_results_fit(87840, 4000));  // 2.8 GB
  EXPECT_FALSE(hourly_results_fit(SIZE_MAX / 4, 3));
  try {
    create_hourly_results(SIZE_MAX / 4, 3);
    ADD_FAILURE() << "expected a RunError";
  } catch (const RunError& e) {
    EXPECT_EQ(e.console_text(), "STOP *** Not enough memory to allocate results_t ***\n");
    EXPECT_TRUE(e.to_stderr());
  }
}

// The 1-hour coefficients and wind-profile exponents of tests/cases/param.nml, classes 1..5.
constexpr double kAy[5] = {0.0709, 0.105, 0.142, 0.217, 0.325}, kBy = 0.894;
constexpr double kAz[5] = {0.0864, 0.211, 0.222, 0.1128, 0.0381};
constexpr double kBz[5] = {0.74, 0.678, 0.725, 0.911, 1.149};
constexpr double kUp[5] = {0.5, 0.4, 0.28, 0.21, 0.14};

// Flat terrain at 300 m; P1 at (2000, 2000) 1.5 m high; S1 (2 g/s from 50 m, no rise) exactly
// 1000 m south of it, two strong sources 999 and 1001 m away. With both influence distances at
// 1000 m only S1 counts, its axis turned by (50 - 10) / 25 degrees to 178.4.
TEST(WholeRun, HourlyRunGivesTheTextbookPlumeOfTheSourcesWithinTheInfluenceDistances) {
  test::RunDir c;
  c.write("input/terrain.asc",
          "ncols 3\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 1000\nNODATA_value -9999\n"
          "300 300 300\n300 300 300\n300 300 300\n");
  c.write("input/points.txt", "P1 2000 2000 0 1.5\n");
  c.write(
      "input/src.txt",
      "S1 2000 1000 0 1 0 0 AAA CON\nS2 2000 1001 0 1 0 0 AAA CON\nS3 2000 999 0 1 0 0 AAA CON\n");
  c.write(
      "input/desc.txt",
      "S1 2 0 50 0 20 1 0 1 24 0 0\nS2 50 0 50 0 20 1 0 1 24 0 0\nS3 50 0 50 0 20 1 0 1 24 0 0\n");
  const struct {
    double phi, u;
    int s;
  } hours[] = {{180, 3, 1}, {185, 2, 2},   {175, 5, 3},
               {190, 4, 4}, {178.4, 6, 5}, {220, 3, 4}};  // the last beyond 40 degrees
  std::ostringstream met;
  for (int t = 0; t < 6; ++t)
    met << "2015 1 1 " << t + 1 << " " << hours[t].phi << " " << hours[t].u << " " << hours[t].s
        << "\n";
  c.write("input/met_AAA.txt", met.str());
  c.write("run.nml",
          "&init iputdir = 'input/', oputdir = 'output/', vyskopis_file = 'terrain.asc'\n"
          " ref_body_file = 'points.txt', zdroje_file = 'src.txt', zdroje_popis_file = 'desc.txt'\n"
          " trida_lat = 1, is_time = T, time_file = 'met.txt', is_tep_gr = F, output_time = "
          "'hourly.csv'\n"
          " infl_dist_min = 1000, infl_dist_max = 1000 /\n");
  const test::RunOutput r = c.run();
  ASSERT_EQ(r.status, 0) << r.out;
  std::istringstream table(c.outputs()["hourly.csv"]);
  std::string line;
  std::getline(table, line);  // the header
  for (const auto& [phi, u, s] : hours) {
    ASSERT_TRUE(std::getline(table, line));
    const double lambda = std::fabs(phi - 178.4), u_ef = u * std::pow(5.0, kUp[s - 1]);
    const double plume = test::textbook_plume(2, 1000, lambda, kAy[s - 1], kBy, kAz[s - 1],
                                              kBz[s - 1], u_ef, 50, 1.5);
    EXPECT_NEAR(std::stod(line.substr(line.find(';') + 1)), lambda > 40 ? 0.0 : plume, 1e-5 * plume)
        << line;
  }
}

TEST(WholeRun, SameBytesWithOneThreadOrSeveralTogetherOrAlone) {
  test::RunDir c("both_cooling_tower");
  c.config("");
  ASSERT_EQ(c.run({"1"}).status, 0);
  const test::ResultFiles both = c.outputs();
  ASSERT_EQ(both.size(), 5u);  // with the summary
  ASSERT_EQ(c.run({"3"}).status, 0);
  EXPECT_EQ(c.outputs(), both);
  // The summary follows the files of the run; the files themselves stay.
  const auto without_summary = [](test::ResultFiles files) {
    EXPECT_EQ(files.erase("summary_run.csv"), 1u);
    return files;
  };
  c.config(" is_time = F");
  ASSERT_EQ(c.run({"3"}).status, 0);
  EXPECT_EQ(without_summary(c.outputs()), (test::ResultFiles{{"stats.csv", both.at("stats.csv")}}));
  c.config(" is_average = F, is_max_abs = F, is_max_11 = F");
  ASSERT_EQ(c.run({"2"}).status, 0);
  test::ResultFiles hourly = without_summary(both);
  hourly.erase("stats.csv");
  EXPECT_EQ(without_summary(c.outputs()), hourly);
}

TEST(WholeRun, UnwritableResultFileStopsTheRunWithNoResultWritten) {
  test::RunDir c("both_cooling_tower");
  for (const auto& [extra, file] :
       {std::pair{" output_time = 'missing/hourly.csv'", "missing/hourly.csv"},
        {" is_time = F, output_stats = 'missing/stats.csv'", "missing/stats.csv"}}) {
    c.config(extra);
    const test::RunOutput r = c.run();
    EXPECT_EQ(r.status, 1);
    // Found before anything is computed.
    EXPECT_TRUE(r.out.ends_with(" Chyba pri zapisu do souboru output/" + std::string(file) + ".\n"))
        << r.out;
    EXPECT_EQ(r.out.find("Vypocet"), std::string::npos) << r.out;
    EXPECT_TRUE(c.outputs().empty()) << extra;
  }
}

// One file spelt two ways (through ".", "..", or a link to the directory) is one file: the run
// stops before computing, as for two equal names, and writes nothing.
TEST(WholeRun, OneResultFileSpeltTwoWaysStopsBeforeComputing) {
  test::RunDir c("both_cooling_tower");
  std::filesystem::create_directory_symlink("output", c.path() / "alias");
  for (const char* stats :
       {"./avg_hourly.csv", "../output/hourly.csv", "../alias/max_hourly.csv"}) {
    c.config(std::string(" output_stats = '") + stats + "'");
    const test::RunOutput r = c.run();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.ends_with(" Vysledny soubor output/" + std::string(stats) +
                                " by prepsal jiny vysledny soubor.\n"))
        << r.out;
    EXPECT_EQ(r.out.find("Vypocet"), std::string::npos) << r.out;
    EXPECT_TRUE(c.outputs().empty()) << stats;
  }
}

// The data case stops on one thread; on three the other workers stop as well, the message
// starts on a line of its own after the progress and no result file is written.
TEST(WholeRun, ErrorOnAWorkerThreadStopsWithOneMessageAndNoResultFile) {
  test::RunDir c("error_worker_source_type");
  const std::string message =
      "\n _get_sgm0: nedovolena hodnota typu zdroje\n"
      "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
      "               zadana hodnota \"class\":            4\n";
  const test::RunOutput r = c.run({"3"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.find(message), r.out.size() - message.size()) << r.out;
  EXPECT_TRUE(c.outputs().empty());
}

// A group holding whole clusters, with the first series of the run, gets the files of a run
// on its sources alone.
TEST(WholeRun, EachGroupsFilesAreThoseOfARunOnItsSourcesAlone) {
  test::RunDir c("groups_overlapping");
  ASSERT_EQ(c.run().status, 0);
  const test::ResultFiles grouped = c.outputs();
  const auto keep = [&c](const std::string& file, const std::string& all,
                         const std::vector<std::string>& ids) {
    std::istringstream in(all);
    std::string kept;
    for (std::string line; std::getline(in, line);)
      if (line.starts_with('!') ||
          std::count(ids.begin(), ids.end(), line.substr(0, line.find(' '))))
        kept += line + "\n";
    c.write("input/" + file, kept);
  };
  const std::string definitions = test::read_file(c.file("input/sources.txt"));
  const std::string descriptions = test::read_file(c.file("input/sources_desc.txt"));
  const std::pair<std::string, std::vector<std::string>> groups[] = {
      {"PLANT", {"CHV", "K1"}},
      {"CLUSTER-EL", {"EL_K1", "EL_K2", "K1"}},
      {"traffic_2", {"SIL1", "A1"}}};
  for (const auto& [group, ids] : groups) {
    keep("sources.txt", definitions, ids);
    keep("sources_desc.txt", descriptions, ids);
    c.config(" groups_file = ' '");
    ASSERT_EQ(c.run().status, 0);
    test::ResultFiles alone = c.outputs();
    EXPECT_EQ(alone.erase("summary_run.csv"), 1u);  // the summary covers every file of a run
    EXPECT_EQ(alone.size(), 4u);
    for (const auto& [name, content] : alone)
      EXPECT_EQ(grouped.at(name.substr(0, name.size() - 4) + "_" + group + ".csv"), content)
          << group << " " << name;
  }
}

// Records of a later series or profile beyond the first series' hours are left out with a
// warning: the results are those of files cut to that length.
TEST(WholeRun, LongerSeriesAndProfilesGiveTheResultsOfTrimmedFiles) {
  test::RunDir c("hourly_longer_series");
  ASSERT_EQ(c.run().status, 0);
  const test::ResultFiles longer = c.outputs();
  for (const char* name : {"input/met_S02.txt", "input/emis_DAY.txt"}) {
    std::istringstream in(test::read_file(c.file(name)));
    std::string cut, line;
    for (int n = 0; n < 25 && std::getline(in, line); ++n)
      cut += line + "\n";  // the header and 24 hours
    c.write(name, cut);
  }
  const test::RunOutput r = c.run();
  EXPECT_EQ(r.out.find("Varovani"), std::string::npos);
  EXPECT_EQ(c.outputs(), longer);
}

// Every line of every result file the data cases expect has the fields of its header, and
// every field after the first reads in full as a number, as table readers need: except the
// texts of the summary (file, column, ID) and the compliance date, and the fields a summary
// or a ranked compliance column leaves empty where there is no value.
TEST(ResultFiles, EveryLineHasItsHeadersFieldsAndEveryValueReadsAsANumber) {
  namespace fs = std::filesystem;
  for (const auto& dir : fs::directory_iterator(test::source_path("tests/cases"))) {
    if (!fs::exists(dir.path() / "expected")) continue;
    std::smatch m;
    const std::string config = test::read_file((dir.path() / "run.nml").string());
    const std::string d =
        std::regex_search(config, m, std::regex("delim_out *= *'([^']*)'")) ? m.str(1) : ";";
    for (const auto& file : fs::directory_iterator(dir.path() / "expected")) {
      if (file.path().extension() != ".csv") continue;
      std::istringstream in(test::read_file(file.path().string()));
      const bool summary = file.path().filename().string().starts_with("summary_");
      std::vector<std::string> header;
      for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        for (std::size_t from = 0, at = 0; at != std::string::npos; from = at + d.size())
          fields.push_back(line.substr(from, (at = line.find(d, from)) - from));
        if (header.empty()) {
          header = fields;
          continue;
        }
        ASSERT_EQ(fields.size(), header.size()) << file.path() << ": " << line;
        for (std::size_t k = 1; k < fields.size(); ++k) {
          const std::string& name = header[k];
          if (name == "column" || name == "ID" || name == "hour_nth_date") continue;
          const bool may_be_empty = summary || name == "hour_nth" || name.starts_with("day_");
          if (fields[k].empty() && may_be_empty) continue;
          char* end = nullptr;
          std::strtod(fields[k].c_str(), &end);
          EXPECT_TRUE(!fields[k].empty() && *end == '\0')
              << file.path() << ": '" << fields[k] << "'";
        }
      }
    }
  }
}

// The result files are one set: when the last cannot be written (here: larger than the file
// size limit) the others written before it are removed too, and an earlier run's files stay.
TEST(WholeRun, AResultFileThatFailsTakesTheWholeSetWithIt) {
  test::RunDir c("both_cooling_tower");
  c.run();  // the files of an earlier run, one of them changed since
  c.write("output/hourly.csv", "an earlier table\n");
  const test::ResultFiles earlier = c.outputs();
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = previous;
  small.rlim_cur = 1000;  // the hourly files fit, the statistical one (1,137 bytes) does not
  setrlimit(RLIMIT_FSIZE, &small);
  const test::RunOutput r = [&] {
    test::ScopedCwd in_case(c.path());
    return test::run_program({"run.nml"});
  }();
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.ends_with(" Chyba pri zapisu do souboru output/stats.csv.\n")) << r.out;
  EXPECT_EQ(c.outputs(), earlier);
}

}  // namespace
}  // namespace kadre

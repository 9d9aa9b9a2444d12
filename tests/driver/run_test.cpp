// The program: its command line, the hourly table that cannot exist, and whole runs: the
// textbook plume, the same bytes whatever the threads and whether the evaluations run together
// or alone, the stops that leave no result file, and runs that meet another run, a signal or
// what a killed run left.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "driver/command_line.h"
#include "driver/processes.h"
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

// The kernel path the caller passes reaches the run. Without the vector kernels the default
// is the scalar formulas, and a run asked for the vector path stops with an internal error
// rather than leave its directions and hours to the stand-ins.
TEST(WholeRun, KernelPathReachesTheRun) {
  test::RunDir c("both_cooling_tower");
  ASSERT_EQ(c.run({"1"}).status, 0);
  const test::ResultFiles by_default = c.outputs();
  for (const KernelPath path : {KernelPath::scalar, KernelPath::vector}) {
    std::filesystem::remove_all(c.path() / "output");
    std::filesystem::create_directory(c.path() / "output");
    const test::ScopedCwd cwd(c.path());
    Embedding embedding;
    embedding.kernels = path;
    std::ostringstream out, err;
    const int status = run({"run.nml", "1"}, out, err, "kadre", single_process(), embedding);
    if (path == KernelPath::scalar || vector_kernels_available()) {
      EXPECT_EQ(status, 0) << out.str();
      EXPECT_EQ(c.outputs(), by_default);
    } else {
      EXPECT_EQ(status, 1);
      EXPECT_NE(out.str().find(" Vnitrni chyba programu: "), std::string::npos) << out.str();
      EXPECT_NE(out.str().find(": vektorova jadra nejsou v tomto sestaveni programu"),
                std::string::npos)
          << out.str();
      EXPECT_TRUE(c.outputs().empty());
    }
  }
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
  test::RunDir c("error_worker_daily_type");
  const std::string message =
      "\n Chyba ve funkci daily. Zadany typ pro vypocet dennich maximalnich koncentraci, "
      "neodpovida ocekavanym hodnotam.\n";
  const test::RunOutput r = c.run({"3"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.find(message), r.out.size() - message.size()) << r.out;
  EXPECT_TRUE(c.outputs().empty());
}

// On a terminal the progress line follows every point; into a file at most once a second and
// for the last point, and the end of a stopped computation shows where it stopped.
TEST(ProgressLine, EveryPointOnATerminalOnceASecondIntoAFile) {
  const auto shown = [](const std::string& text) {
    std::vector<int> counts;
    for (std::size_t at = 0; (at = text.find("c. ", at)) != std::string::npos; at += 3)
      counts.push_back(std::stoi(text.substr(at + 3, 9)));
    return counts;
  };
  std::ostringstream terminal, file, stopped;
  int ticks = 0;  // 0.4 s a reading
  const ProgressLine::Clock clock = [&ticks] {
    return std::chrono::steady_clock::time_point{} + std::chrono::milliseconds(400 * ticks++);
  };
  ProgressLine every(terminal, true), quiet(file, false, clock), cut(stopped, false, clock);
  for (int n = 1; n <= 10; ++n) {
    every.show(n, 10);
    quiet.show(n, 10);
  }
  every.finish(10, 10);
  quiet.finish(10, 10);
  EXPECT_EQ(shown(terminal.str()), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(shown(file.str()), (std::vector<int>{1, 4, 7, 10}));
  EXPECT_EQ(file.str().substr(0, 46), "\r   - spocten ref. bod c.         1/       10\r");
  for (int n = 1; n <= 3; ++n) cut.show(n, 10);
  cut.finish(3, 10);
  EXPECT_EQ(shown(stopped.str()), (std::vector<int>{1, 3}));
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

// A worker sums as many groups at a time as its work tables allow; with 1 degree sectors
// those of 300 groups take several turns, each evaluating the sources again. Each group's
// files are still those it gets among three groups.
TEST(WholeRun, GroupsSummedInSeveralTurnsGetTheFilesOfFewGroups) {
  test::RunDir c("groups_overlapping");
  c.config(" phi_step = 1");
  ASSERT_EQ(c.run().status, 0);
  const test::ResultFiles few = c.outputs();
  const char* const names[] = {"PLANT", "CLUSTER-EL", "traffic_2"};
  const char* const members[] = {"CHV K1", "EL_K1, 'EL_K2' K1", "SIL1 A1"};
  std::string groups;
  for (int k = 0; k < 300; ++k)
    groups += std::string(names[k % 3]) + (k < 3 ? "" : "-" + std::to_string(k)) + " " +
              members[k % 3] + "\n";
  c.write("input/groups.txt", groups);
  ASSERT_EQ(c.run().status, 0);
  const test::ResultFiles many = c.outputs();
  EXPECT_EQ(many.size(), 4u * 301 + 1);
  const std::regex copy("-[0-9]+[.]csv$");
  for (const auto& [name, content] : many) {
    if (name.starts_with("summary_")) continue;  // lists every group
    EXPECT_EQ(content, few.at(std::regex_replace(name, copy, ".csv"))) << name;
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

// The program as a child process in a directory, its console read through a pipe.
class Child {
 public:
  Child(const std::filesystem::path& dir, std::vector<std::string> args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    args.insert(args.begin(), KADRE_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string where = dir.string();
    pid_ = ::fork();
    if (pid_ == 0) {  // only calls that are safe after a fork
      if (::chdir(where.c_str()) != 0 || ::dup2(fds[1], 1) < 0) ::_exit(127);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Child() {
    if (out_ >= 0) ::close(out_);
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  const std::string& console() const { return console_; }
  // Reads the console until it holds text; false when it ends before.
  bool wait_for(const std::string& text) {
    while (console_.find(text) == std::string::npos)
      if (!read_some()) return false;
    return true;
  }
  // Reads the console to its end (a full pipe would hold the child) and waits for the child.
  int finish() {
    while (read_some()) {
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    waited_ = true;
    return status;
  }

 private:
  bool read_some() {
    char buf[4096];
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n > 0) console_.append(buf, static_cast<std::size_t>(n));
    return n > 0 || (n < 0 && errno == EINTR);
  }
  pid_t pid_ = -1;
  int out_ = -1;
  bool waited_ = false;
  std::string console_;
};

// 40,000 points for the data case: a run of many seconds, stopped long before its end.
void write_many_points(const test::RunDir& c) {
  std::string points;
  for (int i = 0; i < 200; ++i)
    for (int j = 0; j < 200; ++j)
      points += "R" + std::to_string(i) + "_" + std::to_string(j) + " " +
                std::to_string(1000 + 10 * i) + " " + std::to_string(1000 + 10 * j) + " 0 1.5\n";
  c.write("input/many.txt", points);
}

// A run stopped by SIGTERM, SIGINT or SIGHUP while it computes ends by that signal after its
// message, with the earlier results as they were and no temporary or lock file left; while it
// runs, a second run on the same directory stops at once.
TEST(WholeRun, ASignalEndsTheRunAndALockKeepsASecondRunOut) {
  test::RunDir c("both_cooling_tower");
  write_many_points(c);
  ASSERT_EQ(c.run().status, 0);
  const test::ResultFiles earlier = c.outputs();
  for (const auto& [signal, name] :
       {std::pair{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}}) {
    c.config(" ref_body_file = 'many.txt'");
    Child child(c.path(), {"run.nml", "1"});
    ASSERT_TRUE(child.wait_for("Vypocet koncentraci")) << child.console();
    if (signal == SIGTERM) {
      c.config("");  // the second run: its own points, the same result files
      test::ScopedCwd cwd(c.path());
      const test::RunOutput second = test::run_program({"run.nml"});
      EXPECT_EQ(second.status, 1);
      EXPECT_TRUE(
          second.out.ends_with(" Adresar output/ pouziva jiny bezici vypocet programu "
                               "kadre (zamek output/.kadre.lock).\n"))
          << second.out;
      EXPECT_EQ(second.out.find("Vypocet koncentraci"), std::string::npos);
    }
    ::kill(child.pid(), signal);
    const int status = child.finish();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << name << " " << status;
    EXPECT_TRUE(child.console().ends_with(std::string(" Vypocet prerusen signalem ") + name +
                                          ", vysledky nebyly zapsany.\n"))
        << child.console();
    EXPECT_EQ(c.outputs(), earlier) << name;
  }
}

// A run killed outright leaves its lock file, which the next run takes over, and perhaps
// temporaries (here one as a kill while writing leaves it): the next run removes them with a
// warning and writes its results.
TEST(WholeRun, TheNextRunClearsWhatAKilledRunLeft) {
  test::RunDir c("both_cooling_tower");
  write_many_points(c);
  ASSERT_EQ(c.run().status, 0);
  const test::ResultFiles results = c.outputs();
  c.config(" ref_body_file = 'many.txt'");
  Child child(c.path(), {"run.nml", "1"});
  ASSERT_TRUE(child.wait_for("Vypocet koncentraci"));
  ::kill(child.pid(), SIGKILL);
  EXPECT_EQ(WTERMSIG(child.finish()), SIGKILL);
  const std::string left = "output/.stats.kadre-" + std::to_string(child.pid()) + ".csv";
  c.write(left, "part of a table");
  test::ResultFiles after_kill = results;
  after_kill[".kadre.lock"] = "";
  after_kill[left.substr(7)] = "part of a table";
  EXPECT_EQ(c.outputs(), after_kill);
  c.config("");
  const test::RunOutput r = [&] {
    test::ScopedCwd cwd(c.path());
    return test::run_program({"run.nml"});
  }();
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\n Varovani: odstranen soubor " + left + " preruseneho vypoctu (proces " +
                       std::to_string(child.pid()) + " jiz nebezi).\n Vypocet koncentraci\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(c.outputs(), results);
}

}  // namespace
}  // namespace kadre

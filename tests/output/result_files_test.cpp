// The result files where a data case cannot show them: long names and delimiters, cut limit
// names and identifiers, files beyond the write buffer, and files that cannot be written; the
// set's commit, all or nothing, its stop on a signal, and what a killed run left.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>

#include "core/result_tables.h"
#include "core/termination.h"
#include "core/text.h"
#include "output/result_dir.h"
#include "output/result_file.h"
#include "output/result_paths.h"
#include "output/statistical_output.h"
#include "output/time_series_output.h"
#include "support/test_support.h"

namespace kadre {
namespace {

class ResultFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    // A long directory and file name: paths are never cut.
    cfg.oputdir = dir.path().string() + "/" + std::string(120, 'd') + "/";
    std::filesystem::create_directory(cfg.oputdir);
    cfg.output_stats = std::string(90, 's') + ".csv";
    cfg.output_time = "hourly.csv";
  }
  test::TempDir dir;
  Settings cfg;
  std::vector<RefPoint> points{{"ABCDEFGHIJKLMNOPQRSTUVWXYZ", -1.004, 2000, 350, 1.5, true},
                               {"Q", 1, 2, 3, 4, true}};
  std::vector<double> results = std::vector<double>(2 * kStatCount, 0.0);
};

TEST_F(ResultFiles, LimitsInFullBeforeTheNamesAreCutAndADelimiterWithoutTrailingBlanks) {
  cfg.is_exceed = true;
  cfg.ch_exceed = {123456789.0, -98765432.5, 1e300};
  const std::string d = " |<-->| |";  // longer than a fixed buffer would allow
  cfg.delim_out = d + "  ";
  results[kStatCount + stat_rows().th] = 1e-120;
  write_output_stat(cfg, points, results);
  std::string expected =
      "ID#x[m]#y[m]#z[m]#l[m]#Th_123456789#Th_-98765432#Th_100000000\n"
      "ABCDEFGHIJKLMNOPQRST#-1.00#2000.00#350.00#1.50#0.00000E+00#0.00000E+00#0.00000E+00\n"
      "Q                   #1.00#2.00#3.00#4.00#1.00000E-120#0.00000E+00#0.00000E+00\n";
  for (auto at = expected.find('#'); at != std::string::npos; at = expected.find('#', at))
    expected.replace(at, 1, d);
  EXPECT_EQ(test::read_file(cfg.oputdir + cfg.output_stats), expected);
}

TEST_F(ResultFiles, EveryLineArrivesBeyondTheWriteBuffer) {
  const int ntime = 8760, npoints = 20;
  std::vector<double> values(ntime * npoints, 1.0);
  values.back() = 7.0;
  write_output_time(cfg, std::vector<RefPoint>(npoints, RefPoint{"P"}),
                    std::vector<std::string>(ntime, "2015/01/01/01"), values, ntime);
  const std::string text = test::read_file(cfg.oputdir + "hourly.csv");
  // As many fields in every line as in the header.
  EXPECT_EQ(text.size(), 4 + 2 * npoints + ntime * (13 + 12 * npoints + 1));
  EXPECT_EQ(text.substr(text.size() - 13), ";7.00000E+00\n");
}

// Blocks of hours formatted side by side are written in the order of the hours: the table is
// that of one thread and of the line-by-line printf formatting it replaced, whatever the
// number of threads (more of them than blocks included).
TEST_F(ResultFiles, TheHourlyTableIsTheSameOnAnyNumberOfThreads) {
  const int ntime = 400, npoints = 300;  // two blocks of hours
  cfg.delim_out = " |< ";
  std::vector<RefPoint> ids(npoints);
  std::vector<std::string> dates(ntime);
  for (int s = 0; s < npoints; ++s) ids[s].id = "P" + std::to_string(s) + "  ";
  for (int t = 0; t < ntime; ++t) dates[t] = t % 3 ? "2015/01/01/" + std::to_string(t) : "short";
  std::mt19937_64 rng(3);
  std::vector<double> values(ntime * npoints);
  for (double& v : values) {
    const int kind = static_cast<int>(rng() % 4);
    v = kind == 0 ? 0.0 : std::ldexp(static_cast<double>(rng() >> 11), -40 - kind * 100);
  }
  values[5] = -0.0;
  values[6] = 9.999995e-5;

  std::string expected = "cas";
  for (const auto& point : ids) expected += " |<" + rtrim(point.id);
  expected += '\n';
  char buf[64];
  for (int t = 0; t < ntime; ++t) {
    expected += fixed_text(dates[t], 13);
    for (int s = 0; s < npoints; ++s) {
      std::snprintf(buf, sizeof buf, " |<%.5E", values[s * ntime + t]);
      expected += buf;
    }
    expected += '\n';
  }
  for (const int threads : {1, 2, 3, 7}) {
    write_output_time(cfg, ids, dates, values, ntime, nullptr, threads);
    EXPECT_EQ(test::read_file(cfg.oputdir + "hourly.csv"), expected) << threads << " threads";
  }
}

TEST_F(ResultFiles, FilesThatCannotBeWrittenStop) {
  const std::string head = " Chyba pri zapisu do souboru ";
  std::filesystem::create_directory(cfg.oputdir + "avg_hourly.csv");  // a directory in the way
  EXPECT_RUN_ERROR(write_time_average(cfg, points, {1, 2}),
                   head + cfg.oputdir + "avg_hourly.csv.\n");
  cfg.oputdir = dir.path().string() + "/missing/";
  EXPECT_RUN_ERROR(write_output_stat(cfg, points, results),
                   head + cfg.oputdir + cfg.output_stats + ".\n");
  // The device takes the open but fails every write: the failure shows at the close.
  cfg.oputdir = "/dev/";
  cfg.output_stats = cfg.output_time = "full";
  EXPECT_RUN_ERROR(write_output_stat(cfg, points, results), head + "/dev/full.\n");
  EXPECT_RUN_ERROR(write_output_time(cfg, {RefPoint{"P1"}}, {"2015/01/01/01"}, {1.0}, 1),
                   head + "/dev/full.\n");
  // A write that fails while threads format further blocks stops the same way.
  const int ntime = 3000, npoints = 100;
  EXPECT_RUN_ERROR(write_output_time(cfg, std::vector<RefPoint>(npoints, RefPoint{"P"}),
                                     std::vector<std::string>(ntime, "2015/01/01/01"),
                                     std::vector<double>(ntime * npoints, 1.0), ntime, nullptr, 3),
                   head + "/dev/full.\n");
}

// The check before the computation: an earlier run's file stays as it was, a new path leaves
// no file behind, and what cannot be written stops with the write-error message.
TEST_F(ResultFiles, CheckBeforeComputingLeavesFilesAsTheyWere) {
  namespace fs = std::filesystem;
  const std::string earlier = dir.write(std::string(120, 'd') + "/hourly.csv", "an earlier run\n");
  const std::string fresh = cfg.oputdir + "stats.csv";
  check_result_path(earlier);
  check_result_path(fresh);
  EXPECT_EQ(test::read_file(earlier), "an earlier run\n");
  EXPECT_FALSE(fs::exists(fresh));
  fs::create_directory(cfg.oputdir + "max_hourly.csv");
  EXPECT_RUN_ERROR(check_result_path(cfg.oputdir + "max_hourly.csv"),
                   " Chyba pri zapisu do souboru " + cfg.oputdir + "max_hourly.csv.\n");
  EXPECT_RUN_ERROR(check_result_path(dir.path().string() + "/missing/stats.csv"),
                   " Chyba pri zapisu do souboru " + dir.path().string() + "/missing/stats.csv.\n");
}

}  // namespace
}  // namespace kadre

namespace kadre {
namespace {

namespace fs = std::filesystem;

// Every file of a directory, hidden ones included, by name.
std::map<std::string, std::string> files_in(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir))
    files[entry.path().filename().string()] = test::read_file(entry.path().string());
  return files;
}

// The set a.csv, b.csv (replacing an earlier file each), c.csv, d (new) written through a
// set whose renames fail from the n-th on (n = 0: none fails). Returns the console text of
// the stop, empty when the commit succeeded.
std::string commit_failing_from(const test::TempDir& dir, int n, bool rollback_fails = false) {
  int calls = 0;
  ResultSet set([&](const std::string& from, const std::string& to) {
    ++calls;
    if (n > 0 && (calls == n || (rollback_fails && calls > n))) return false;
    return rename_file(from, to);
  });
  for (const char* name : {"a.csv", "b.csv", "c.csv", "d"}) {
    ResultFile file(dir.file(name), &set);
    file.append(std::string("new ") + name + "\n");
    file.close();
  }
  try {
    set.commit();
  } catch (const RunError& e) {
    return e.console_text();
  }
  return "";
}

// Whichever rename of the commit fails, the earlier set is there again exactly, with no
// temporary or kept file beside it; without a failure the new set replaces it whole.
TEST(ResultSet, AFailedCommitRestoresTheEarlierSetExactly) {
  test::TempDir dir;
  const std::map<std::string, std::string> earlier = {{"a.csv", "earlier a\n"},
                                                      {"b.csv", "earlier b\n"}};
  const std::string names[] = {"a.csv", "a.csv", "b.csv", "b.csv", "c.csv", "d"};
  for (int n = 1; n <= 6; ++n) {  // aside a, place a, aside b, place b, place c, place d
    for (const auto& [name, content] : earlier) dir.write(name, content);
    EXPECT_EQ(commit_failing_from(dir, n),
              " Chyba pri zapisu do souboru " + dir.file(names[n - 1]) + ".\n");
    EXPECT_EQ(files_in(dir.path()), earlier) << "rename " << n;
  }
  EXPECT_EQ(commit_failing_from(dir, 0), "");
  EXPECT_EQ(files_in(dir.path()), (std::map<std::string, std::string>{{"a.csv", "new a.csv\n"},
                                                                      {"b.csv", "new b.csv\n"},
                                                                      {"c.csv", "new c.csv\n"},
                                                                      {"d", "new d\n"}}));
  // When putting back fails too, the earlier file is kept under its name aside and named.
  fs::remove_all(dir.path());
  fs::create_directory(dir.path());
  for (const auto& [name, content] : earlier) dir.write(name, content);
  const std::string kept = backup_path(dir.file("a.csv"));
  EXPECT_EQ(commit_failing_from(dir, 4, true),
            " Chyba pri zapisu do souboru " + dir.file("b.csv") + ".\n Puvodni soubor " +
                dir.file("b.csv") + " zustal ulozen jako " + backup_path(dir.file("b.csv")) +
                ".\n Puvodni soubor " + dir.file("a.csv") + " zustal ulozen jako " + kept + ".\n");
  EXPECT_EQ(test::read_file(kept), "earlier a\n");
}

// A signal noted while the files are written, or before the commit, stops the run there;
// the set's temporaries go and the earlier file stays.
TEST(ResultSet, ASignalStopsTheWriteAndTheCommitWithNoTemporaryLeft) {
  test::TempDir dir;
  dir.write("a.csv", "earlier\n");
  for (const bool while_writing : {true, false}) {
    {
      ResultSet set;
      ResultFile file(dir.file("a.csv"), &set);
      file.append("new\n");
      if (while_writing) note_termination_signal(SIGTERM);
      try {
        file.close();
        note_termination_signal(SIGINT);
        set.commit();
        ADD_FAILURE() << "expected a stop";
      } catch (const RunError& e) {
        EXPECT_EQ(e.console_text(),
                  while_writing ? " Vypocet prerusen signalem SIGTERM, vysledky nebyly zapsany.\n"
                                : " Vypocet prerusen signalem SIGINT, vysledky nebyly zapsany.\n");
      }
      forget_termination_signal();
    }
    EXPECT_EQ(files_in(dir.path()), (std::map<std::string, std::string>{{"a.csv", "earlier\n"}}));
  }
}

// A process that no longer exists (this test's child, waited for).
pid_t ended_process() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

// What a killed run left: its temporaries go, an earlier file it kept aside comes back where
// its path is free and goes where the new file is in place; files of a running process, and
// others, stay.
TEST(ResultDirLock, FilesOfAKilledRunAreClearedWithAWarning) {
  test::TempDir dir;
  const std::string d = dir.path().string() + "/";
  const std::string dead = std::to_string(ended_process()), alive = std::to_string(::getppid());
  const std::string temporary = ".stats.kadre-" + dead + ".csv",
                    kept_free = ".hourly.kadre-" + dead + "-old.csv",
                    kept_replaced = ".max_hourly.kadre-" + dead + "-old.csv";
  for (const std::string& name :
       {temporary, kept_free, kept_replaced, std::string("max_hourly.csv"),
        ".stats.kadre-" + alive + ".csv", std::string(".x.kadre-.csv"), std::string("a.kadre-1")})
    dir.write(name, name);
  std::ostringstream out;
  { ResultDirLocks().take_for(d + "stats.csv", out); }
  const std::string whose = " preruseneho vypoctu (proces " + dead + " jiz nebezi).\n";
  EXPECT_EQ(out.str(), " Varovani: obnoven soubor " + d + "hourly.csv ze zalohy " + d + kept_free +
                           whose + " Varovani: odstranen soubor " + d + kept_replaced + whose +
                           " Varovani: odstranen soubor " + d + temporary + whose);
  EXPECT_EQ(files_in(dir.path()),
            (std::map<std::string, std::string>{
                {"hourly.csv", kept_free},
                {"max_hourly.csv", "max_hourly.csv"},
                {".stats.kadre-" + alive + ".csv", ".stats.kadre-" + alive + ".csv"},
                {".x.kadre-.csv", ".x.kadre-.csv"},
                {"a.kadre-1", "a.kadre-1"}}));
}

}  // namespace
}  // namespace kadre

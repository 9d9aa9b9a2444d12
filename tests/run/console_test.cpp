// What the program prints and how it ends: usage, thread count, the console of a complete run,
// and the hourly table that cannot exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <regex>

#include "run_sequence.h"
#include "support/small_case.h"

namespace kadre {
namespace {

const std::string kBanner = "\n KADRE v1.1.2 - (c) vyvojari programu kadre, vsechna prava vyhrazena\n \n\n";

TEST(CommandLine, UsageThreadCountAndMissingConfiguration) {
  for (const auto& args : {std::vector<std::string>{}, {"a", "2", "x"}}) {
    const auto r = test::run_program(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kBanner + " Pouziti programu:\nkadre.exe <soubor se vstupnimi parametry> [<pocet vlaken>]\n");
    EXPECT_EQ(r.err, "");
  }
  // Only three characters count; blank is absent.
  for (const auto& [arg, threads] : {std::pair{"   ", 7}, {"4", 4}, {" +3", 3}, {"1000", 100}, {"2,9", 2}})
    EXPECT_EQ(thread_count({"a", arg}, 7), threads) << arg;
  EXPECT_EQ(thread_count({"a"}, 7), 7);
  for (const char* bad : {"0", "-2", "x", "1x"})
    EXPECT_RUN_ERROR(thread_count({"a", bad}, 7), " Neplatna hodnota poctu vlaken.\n");
  auto r = test::run_program({"does_not_exist.nml", "0"});  // stops before reading
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kBanner + " Neplatna hodnota poctu vlaken.\n");
  test::TempDir dir;
  const std::string path = dir.file(std::string(300, 'c') + ".nml");  // never cut
  r = test::run_program({path});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kBanner + " Nacitam vstupni data\n Soubor " + path + " s inicializaci vypoctu neexistuje.\n");
}

class RunConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    c.one_stack();
    c.config(" is_max_abs = T, output_stats = 'stats.csv'");
  }
  // The console byte for byte but the elapsed time: F15.2 seconds, then " s".
  void expect_console(const test::RunOutput& r, const std::string& progress) {
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.err, "");
    const std::string head = kBanner + " Nacitam vstupni data\n   nacitam vyskopis ...  OK\n Vypocet koncentraci\n" +
                             progress + "\n";
    ASSERT_EQ(r.out.substr(0, head.size()), head);
    const std::string rest = r.out.substr(head.size());
    EXPECT_TRUE(std::regex_match(rest, std::regex(" +[0-9]+\\.[0-9]{2} s\n Vypis vysledku\n"))) << rest;
    EXPECT_EQ(rest.find('\n'), 17u) << rest;
  }
  test::SmallCase c;
};

TEST_F(RunConsole, ProgressOfEveryPointOrNone) {
  expect_console(c.run({"1"}), "\r   - spocten ref. bod c.         1/        1");
  c.points("! no points\n");
  expect_console(c.run({"2"}), "");
  EXPECT_EQ(c.output("stats.csv"), "ID;x[m];y[m];z[m];l[m];Ch_max;Ch_class_max;Ch_w_sp_max;Ch_w_dir_max\n");
  // A thousand threads run as a hundred; seven messages, each overwriting the last.
  c.points("P1 2000 2000 0 1.5\nP2 2500 1800 0 1.5\nP3 1500 2500 0 3\nP4 2100 900 0 1.5\n"
           "P5 2900 3300 0 1.5\nP6 800 1200 0 1.5\nP7 2000 1300 0 1.5\n");
  const auto r = c.run({"1000"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\r'), 7);
  EXPECT_NE(r.out.find("\r   - spocten ref. bod c.         7/        7\n"), std::string::npos);
}

TEST(ResultsT, LimitedOnlyByWhatCanExistInMemory) {
  const char* const no_memory = "STOP *** Not enough memory to allocate results_t ***\n";
  EXPECT_TRUE(results_t_fits(87840, 4000));  // 2.8 GB
  EXPECT_FALSE(results_t_fits(SIZE_MAX / 4, 3));
  EXPECT_EQ(create_results_t(3, 2), std::vector<double>(6, 0.0));
  EXPECT_TRUE(create_results_t(8784, 0).empty());
  try {
    create_results_t(SIZE_MAX / 4, 3);
    ADD_FAILURE() << "expected a RunError";
  } catch (const RunError& e) {
    EXPECT_EQ(e.console_text(), no_memory);
    EXPECT_TRUE(e.to_stderr());
  }
#if !defined(__SANITIZE_ADDRESS__)
  // Representable but beyond any memory: the allocation itself fails (the address sanitizer
  // aborts on such a request instead of failing it).
  EXPECT_RUN_ERROR(create_results_t(std::size_t{1} << 40, std::size_t{1} << 18), no_memory);
#endif
}

}  // namespace
}  // namespace kadre

// The console of a complete run, byte for byte apart from the elapsed time, and the runs
// that reach the computation without any reference point or with the largest thread count.
#include <gtest/gtest.h>

#include <regex>

#include "support/small_case.h"

namespace kadre {
namespace {

const std::string kBanner = "\n KADRE v1.1.2 - (c) vyvojari programu kadre, vsechna prava vyhrazena\n \n\n";
const std::string kLoading = " Nacitam vstupni data\n   nacitam vyskopis ...  OK\n";
const std::string kSevenPoints =
    "P1 2000 2000 0 1.5\nP2 2500 1800 0 1.5\nP3 1500 2500 0 3\nP4 2100 900 0 1.5\n"
    "P5 2900 3300 0 1.5\nP6 800 1200 0 1.5\nP7 2000 1300 0 1.5\n";

// The console after the computation line: progress, end of line, elapsed time, last line.
void expect_computation_console(const std::string& out, const std::string& progress) {
  const std::string head = kBanner + kLoading + " Vypocet koncentraci\n" + progress + "\n";
  ASSERT_EQ(out.substr(0, head.size()), head);
  const std::string rest = out.substr(head.size());
  // F15.2: the seconds right-aligned in 15 characters, then " s"; no leading blank of its own.
  EXPECT_TRUE(std::regex_match(rest, std::regex(" +[0-9]+\\.[0-9]{2} s\n Vypis vysledku\n"))) << rest;
  EXPECT_EQ(rest.find('\n'), 17u) << rest;
}

class RunConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    c.flat_terrain();
    c.sources("S1 2000 1000 0 1 0 0 AAA\n", "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\n");
    c.config(" is_max_abs = T, output_stats = 'stats.csv'");
  }
  test::SmallCase c;
};

TEST_F(RunConsole, OnePointRunPrintsEveryStepInOrder) {
  c.points("P1 2000 2000 0 1.5\n");
  const auto r = c.run({"1"});
  ASSERT_EQ(r.status, 0) << r.out;
  expect_computation_console(r.out, "\r   - spocten ref. bod c.         1/        1");
  EXPECT_EQ(r.err, "");
}

TEST_F(RunConsole, NoReferencePointGivesAnEmptyProgressLineAndTheHeaderOnly) {
  c.points("! no points\n");
  const auto r = c.run({"2"});
  ASSERT_EQ(r.status, 0) << r.out;
  expect_computation_console(r.out, "");
  EXPECT_EQ(c.output("stats.csv"), "ID;x[m];y[m];z[m];l[m];Ch_max;Ch_class_max;Ch_w_sp_max;Ch_w_dir_max\n");
}

TEST_F(RunConsole, ThreadArgumentOf1000RunsWithAHundredThreadsAndTheSameResults) {
  c.points(kSevenPoints);
  ASSERT_EQ(c.run({"1"}).status, 0);
  const std::string one = c.output("stats.csv");
  const auto r = c.run({"1000"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(c.output("stats.csv"), one);
  // Seven messages, each overwriting the last; they end with all points done.
  std::size_t messages = 0;
  for (std::size_t p = r.out.find('\r'); p != std::string::npos; p = r.out.find('\r', p + 1)) ++messages;
  EXPECT_EQ(messages, 7u);
  EXPECT_NE(r.out.find("\r   - spocten ref. bod c.         7/        7\n"), std::string::npos);
}

}  // namespace
}  // namespace kadre

// Errors raised on the worker threads: the run stops with the one message and status 1, and
// no result file is written, with one thread or several.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "init/read_input_data.h"
#include "model/read_param.h"
#include "reference_point_loop.h"
#include "support/small_case.h"

namespace kadre {
namespace {

const std::string kPoints =
    "P1 2000 2000 0 1.5\nP2 2500 1800 0 1.5\nP3 1500 2500 0 3\nP4 2100 900 0 1.5\n"
    "P5 2900 3300 0 1.5\nP6 800 1200 0 1.5\nP7 2000 1300 0 1.5\n";
const std::string kDescription = "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\n";

class WorkerErrors : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    c.flat_terrain();
    c.points(kPoints);
  }
  // Runs and expects the stop with exactly this message after the computation began.
  void expect_stop(const std::string& message) {
    const auto r = c.run({GetParam()});
    EXPECT_EQ(r.status, 1);
    const std::string start = " Vypocet koncentraci\n";
    const std::size_t from = r.out.find(start);
    ASSERT_NE(from, std::string::npos) << r.out;
    // Progress of the points done before the stop, if any, then the message on its own line.
    std::string rest = r.out.substr(from + start.size());
    if (!rest.empty() && rest[0] == '\r') rest = rest.substr(rest.find('\n') + 1);
    EXPECT_EQ(rest, message);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(std::filesystem::exists(c.dir().path() / "out/stats.csv"));
  }
  test::SmallCase c;
};

TEST_P(WorkerErrors, InvalidDailyTypeStopsAtTheFirstSource) {
  c.sources("S1 2000 1000 0 1 0 0 AAA\n", kDescription);
  c.config(" is_max_abs = T, is_daily = T, daily_type = 'PM25', output_stats = 'stats.csv'");
  expect_stop(" Chyba ve funkci daily. Zadany typ pro vypocet dennich maximalnich koncentraci, "
              "neodpovida ocekavanym hodnotam.\n");
}

TEST_P(WorkerErrors, SourceOfAnUnknownTypeStopsWithThreeLines) {
  c.sources("S1 2000 1000 0 1 0 0 AAA\nS4 2000 1000 0 4 0 0 AAA\n", kDescription + "S4" + kDescription.substr(2));
  c.config(" is_max_11 = T, output_stats = 'stats.csv'");
  expect_stop(" _get_sgm0: nedovolena hodnota typu zdroje\n"
              "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
              "               zadana hodnota \"class\":            4\n");
}

TEST_P(WorkerErrors, ErrorAtSomePointsOnlyEndsTheProgressLineFirst) {
  // Only P4 lies within reach of the invalid source; the others finish before or after.
  c.sources("S4 2100 950 0 4 0 0 AAA\n", "S4" + kDescription.substr(2));
  c.config(" is_max_abs = T, infl_dist_max = 100, output_stats = 'stats.csv'");
  expect_stop(" _get_sgm0: nedovolena hodnota typu zdroje\n"
              "               parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3\n"
              "               zadana hodnota \"class\":            4\n");
}

INSTANTIATE_TEST_SUITE_P(Threads, WorkerErrors, ::testing::Values("1", "3"));

TEST(WorkerIndexError, StopsTheLoopAndIsRaisedOnTheCaller) {
  test::SmallCase c;
  c.flat_terrain();
  c.points(kPoints);
  c.sources("S1 2000 1000 0 1 0 0 AAA\n", kDescription);
  c.uniform_rose("rose_AAA.txt", 0.25);
  c.config(" is_average = T, ruzice_file = 'rose.txt', output_stats = 'stats.csv'");
  test::ScopedCwd cwd(c.dir().path());
  std::ostringstream console;
  InputData in = read_input_data("run.nml", console);
  const ModelParams par = read_param(in.cfg);
  in.ruzice.met_num = 0;  // the source's wind rose is no longer in the table
  const ModelContext ctx = make_model_context(in, par);
  const WindClasses wind = u_range_gen(false, par);
  const ClassSpeedIndex index = make_class_speed_index(wind, par);
  const LoopInputs inputs{in, ctx, wind, &index, DailyType::invalid, true};
  for (int threads : {1, 3}) {
    ResultTables tables;
    tables.results.assign(37 * 7, 0.0);
    EXPECT_RUN_ERROR(compute_reference_points(inputs, tables, threads, console),
                     " eval_average: Index '1' of dimension 3 of array 'ruzice' above upper bound of 0\n");
  }
}

}  // namespace
}  // namespace kadre

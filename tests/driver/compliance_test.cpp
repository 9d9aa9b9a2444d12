// The compliance file and the summary of whole runs, checked against an independent
// computation from the result files of the same run: the hourly table of every point (with
// the background file of the case) gives the mean, the largest and the n-th highest hour with
// its date, the hours above the limit, the daily means of the days with at least 18 hours
// and the flags; the summary is recomputed from the files it summarises.
//
// Tolerance: the hourly table holds every hour to six significant digits (relative error at
// most 5e-6), and so does the compliance file; sums and means of such values stay within
// 1e-5 relative. Counts and flags are exact because the case has no value within that
// distance of a limit (checked below).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kadre {
namespace {

struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;

  std::size_t column(const std::string& name) const {
    const auto it = std::find(header.begin(), header.end(), name);
    EXPECT_NE(it, header.end()) << name;
    return static_cast<std::size_t>(it - header.begin());
  }
};

Table read_table(const std::string& text, const std::string& d) {
  Table t;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    for (std::size_t from = 0, at = 0; at != std::string::npos; from = at + d.size())
      fields.push_back(line.substr(from, (at = line.find(d, from)) - from));
    if (t.header.empty())
      t.header = fields;
    else
      t.rows.push_back(fields);
  }
  return t;
}

// The configuration of a variant: the "limits" group as the test reads it.
struct Variant {
  std::string group;  // the text after "&limits"
  double background = 0;
  bool background_file = false;
  std::optional<double> hour_limit{}, day_limit{}, year_limit{};
  std::optional<int> hour_allowed{}, day_allowed{};
};

// What a point's compliance line must hold, computed from its hours.
struct Expected {
  double mean = 0, max = 0;
  std::optional<double> hour_nth, day_max, day_nth;
  std::string hour_nth_date;
  long hours_above = 0, days_above = 0;
  int exceeds_hour = 0, exceeds_day = 0, exceeds_year = 0;
};

constexpr double kTolerance = 1e-5;

bool near(double a, double b) { return std::abs(a - b) <= kTolerance * std::abs(b) + 1e-12; }

Expected expected_of(const Variant& v, const std::vector<std::string>& dates,
                     const std::vector<double>& hours, const std::vector<double>& background) {
  Expected e;
  const std::size_t n = hours.size();
  std::vector<double> with(n);
  for (std::size_t t = 0; t < n; ++t)
    with[t] = hours[t] + (v.background_file ? background[t] : v.background);
  double sum = 0;
  for (const double x : with) sum += x;
  e.mean = sum / static_cast<double>(n);
  e.max = *std::max_element(with.begin(), with.end());
  // Descending, the earlier hour first among equal values.
  std::vector<std::size_t> order(n);
  for (std::size_t t = 0; t < n; ++t) order[t] = t;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return with[a] > with[b]; });
  if (v.hour_allowed && static_cast<std::size_t>(*v.hour_allowed) < n) {
    e.hour_nth = with[order[static_cast<std::size_t>(*v.hour_allowed)]];
    e.hour_nth_date = dates[order[static_cast<std::size_t>(*v.hour_allowed)]];
  }
  if (v.hour_limit) {
    for (const double x : with) {
      EXPECT_FALSE(near(x, *v.hour_limit)) << "a value at the hourly limit makes the case unsure";
      e.hours_above += x > *v.hour_limit;
    }
    e.exceeds_hour = e.hours_above > v.hour_allowed.value_or(0);
  }
  if (v.day_limit) {
    std::map<std::string, std::pair<double, int>> days;  // sum and hours of each calendar day
    for (std::size_t t = 0; t < n; ++t) {
      auto& day = days[dates[t].substr(0, 10)];
      day.first += with[t];
      ++day.second;
    }
    std::vector<double> means;
    for (const auto& [day, sum_hours] : days)
      if (sum_hours.second >= 18) means.push_back(sum_hours.first / sum_hours.second);
    std::sort(means.rbegin(), means.rend());
    if (!means.empty()) e.day_max = means.front();
    if (v.day_allowed && static_cast<std::size_t>(*v.day_allowed) < means.size())
      e.day_nth = means[static_cast<std::size_t>(*v.day_allowed)];
    for (const double m : means) {
      EXPECT_FALSE(near(m, *v.day_limit)) << "a daily mean at the limit makes the case unsure";
      e.days_above += m > *v.day_limit;
    }
    e.exceeds_day = e.days_above > v.day_allowed.value_or(0);
  }
  if (v.year_limit) {
    EXPECT_FALSE(near(e.mean, *v.year_limit)) << "a mean at the limit makes the case unsure";
    e.exceeds_year = e.mean > *v.year_limit;
  }
  return e;
}

// The columns the variant asks for.
std::vector<std::string> expected_header(const Variant& v) {
  std::vector<std::string> h{"ID", "x[m]", "y[m]", "z[m]", "mean", "max"};
  if (v.hour_allowed) h.insert(h.end(), {"hour_nth", "hour_nth_date"});
  if (v.hour_limit) h.push_back("hours_above");
  if (v.day_limit) h.push_back("day_max");
  if (v.day_allowed) h.push_back("day_nth");
  if (v.day_limit) h.push_back("days_above");
  if (v.hour_limit) h.push_back("exceeds_hour");
  if (v.day_limit) h.push_back("exceeds_day");
  if (v.year_limit) h.push_back("exceeds_year");
  return h;
}

// The hourly background of the case, from its input file.
std::vector<double> read_background(const std::string& path) {
  std::vector<double> values;
  std::istringstream in(test::read_file(path));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '!') continue;
    std::istringstream fields(line);
    double item = 0;
    for (int k = 0; k < 5; ++k) fields >> item;
    values.push_back(item);
  }
  return values;
}

// Compares a compliance file with the independent computation from the hourly table.
void check_compliance(const Variant& v, const std::string& hourly_text,
                      const std::string& limits_text, const std::vector<double>& background) {
  const Table hourly = read_table(hourly_text, ";");
  const Table limits = read_table(limits_text, ";");
  ASSERT_EQ(limits.header, expected_header(v));
  ASSERT_EQ(limits.rows.size() + 1, hourly.header.size());  // every point has hourly output
  std::vector<std::string> dates;
  for (const auto& row : hourly.rows) dates.push_back(row[0]);
  ASSERT_EQ(background.size(), dates.size());
  const auto number = [](const std::string& s) { return std::stod(s); };
  const auto optional_field = [&](const std::vector<std::string>& row, const char* name,
                                  const std::optional<double>& want) {
    const std::string& field = row[limits.column(name)];
    if (!want) {
      EXPECT_EQ(field, "") << name;
      return;
    }
    EXPECT_TRUE(near(number(field), *want)) << name << " " << field << " " << *want;
  };
  for (std::size_t p = 0; p < limits.rows.size(); ++p) {
    const std::vector<std::string>& row = limits.rows[p];
    SCOPED_TRACE(row[0]);
    EXPECT_EQ(row[0].substr(0, row[0].find_last_not_of(' ') + 1), hourly.header[p + 1]);
    std::vector<double> hours;
    for (const auto& r : hourly.rows) hours.push_back(number(r[p + 1]));
    const Expected e = expected_of(v, dates, hours, background);
    EXPECT_TRUE(near(number(row[limits.column("mean")]), e.mean));
    EXPECT_TRUE(near(number(row[limits.column("max")]), e.max));
    if (v.hour_allowed) {
      optional_field(row, "hour_nth", e.hour_nth);
      EXPECT_EQ(row[limits.column("hour_nth_date")], e.hour_nth_date);
    }
    if (v.hour_limit) {
      EXPECT_EQ(row[limits.column("hours_above")], std::to_string(e.hours_above));
      EXPECT_EQ(row[limits.column("exceeds_hour")], std::to_string(e.exceeds_hour));
    }
    if (v.day_limit) {
      optional_field(row, "day_max", e.day_max);
      EXPECT_EQ(row[limits.column("days_above")], std::to_string(e.days_above));
      EXPECT_EQ(row[limits.column("exceeds_day")], std::to_string(e.exceeds_day));
    }
    if (v.day_allowed) optional_field(row, "day_nth", e.day_nth);
    if (v.year_limit) {
      EXPECT_EQ(row[limits.column("exceeds_year")], std::to_string(e.exceeds_year));
    }
  }
}

// The case's configuration with another "limits" group.
void use_limits(const test::RunDir& c, const std::string& group) {
  const std::string config = test::read_file(c.file("run.nml"));
  c.write("run.nml", config.substr(0, config.find("&limits")) + "&limits" + group + "\n/\n");
}

// Every limit on and off, with the background file and with a constant, ranks within and
// beyond the series, for all sources and for a group.
TEST(Compliance, EveryColumnAsAnIndependentComputationFromTheHourlyTableGivesIt) {
  test::RunDir c("limits_hourly");
  const std::vector<double> background = read_background(c.file("input/background.txt"));
  const Variant all{.group =
                        " background_file = 'background.txt' hour_limit = 30, hour_allowed = 1"
                        " day_limit = 12, day_allowed = 1 year_limit = 12",
                    .background_file = true,
                    .hour_limit = 30,
                    .day_limit = 12,
                    .year_limit = 12,
                    .hour_allowed = 1,
                    .day_allowed = 1};
  const Variant none{.group = ""};
  const Variant hour_only{
      .group = " background = 3.5, hour_limit = 30", .background = 3.5, .hour_limit = 30};
  // The third of three counted days.
  const Variant day_only{
      .group = " day_limit = 4, day_allowed = 2", .day_limit = 4, .day_allowed = 2};
  const Variant year_only{
      .group = " background = 1, year_limit = 5", .background = 1, .year_limit = 5};
  // Ranks beyond the 83 hours and the three counted days: empty columns.
  const Variant beyond{
      .group = " hour_limit = 30, hour_allowed = 83, day_limit = 12, day_allowed = 3",
      .hour_limit = 30,
      .day_limit = 12,
      .hour_allowed = 83,
      .day_allowed = 3};
  // The lowest hour.
  const Variant last{
      .group = " hour_limit = 30, hour_allowed = 82", .hour_limit = 30, .hour_allowed = 82};
  for (const Variant& v : {all, none, hour_only, day_only, year_only, beyond, last}) {
    SCOPED_TRACE(v.group);
    use_limits(c, v.group);
    const test::RunOutput r = c.run();
    ASSERT_EQ(r.status, 0) << r.out;
    const test::ResultFiles files = c.outputs();
    check_compliance(v, files.at("hourly.csv"), files.at("limits_hourly.csv"), background);
    // The group's values carry the background too.
    check_compliance(v, files.at("hourly_LOW.csv"), files.at("limits_hourly_LOW.csv"), background);
  }
}

// Ties: the three equal hours at the top of MAST give both the largest and the second
// highest hour, dated by the second of them.
TEST(Compliance, EqualHoursCountOneByOneTheEarlierFirst) {
  test::RunDir c("limits_hourly");
  ASSERT_EQ(c.run().status, 0);
  const Table limits = read_table(c.outputs().at("limits_hourly.csv"), ";");
  const auto& mast = limits.rows.back();
  ASSERT_EQ(mast[0].substr(0, 4), "MAST");
  EXPECT_EQ(mast[limits.column("max")], mast[limits.column("hour_nth")]);
  EXPECT_EQ(mast[limits.column("hour_nth_date")], "2026/01/03/11");
}

// The summary of a run with groups: every numeric column of every per-point file (not the
// hourly table, not the date), its largest value and a point that has it, and for the flags
// the points above.
TEST(Summary, EveryColumnsLargestValueWhereItLiesAndThePointsAbove) {
  test::RunDir c("limits_hourly");
  ASSERT_EQ(c.run({"3"}).status, 0);
  const test::ResultFiles files = c.outputs();
  const Table summary = read_table(files.at("summary_run.csv"), ";");
  EXPECT_EQ(summary.header, (std::vector<std::string>{"file", "column", "max", "ID", "x[m]", "y[m]",
                                                      "points_above"}));
  std::vector<std::pair<std::string, std::string>> expected_rows;
  for (const std::string group : {"", "_LOW"}) {
    expected_rows.push_back({"avg_hourly" + group + ".csv", "ave"});
    expected_rows.push_back({"max_hourly" + group + ".csv", "max"});
    const Table limits = read_table(files.at("limits_hourly" + group + ".csv"), ";");
    for (std::size_t k = 4; k < limits.header.size(); ++k)
      if (limits.header[k] != "hour_nth_date")
        expected_rows.push_back({"limits_hourly" + group + ".csv", limits.header[k]});
  }
  std::vector<std::pair<std::string, std::string>> rows;
  for (const auto& row : summary.rows) rows.push_back({row[0], row[1]});
  EXPECT_EQ(rows, expected_rows);

  for (const auto& row : summary.rows) {
    SCOPED_TRACE(row[0] + " " + row[1]);
    const Table file = read_table(files.at(row[0]), ";");
    const std::size_t k = file.column(row[1]);
    double largest = -HUGE_VAL;
    long nonzero = 0;
    const std::vector<std::string>* at = nullptr;
    for (const auto& line : file.rows) {
      const double v = std::stod(line[k]);
      nonzero += v != 0;
      if (line[0] == row[3]) at = &line;
      largest = std::max(largest, v);
    }
    ASSERT_NE(at, nullptr) << "the point " << row[3] << " is in the file";
    EXPECT_EQ(std::stod(row[2]), largest);
    EXPECT_EQ((*at)[k], row[2]);  // the point named has the largest value
    EXPECT_EQ((std::vector<std::string>{(*at)[1], (*at)[2]}),
              (std::vector<std::string>{row[4], row[5]}));
    const bool flag = row[1].starts_with("exceeds_");
    EXPECT_EQ(row[6], flag ? std::to_string(nonzero) : "");
  }
  // The same lines follow the list of written files on the console.
  std::string shown;
  std::istringstream in(files.at("summary_run.csv"));
  for (std::string line; std::getline(in, line);) shown += " " + line + "\n";
  const test::RunOutput r = c.run();
  EXPECT_TRUE(r.out.ends_with("   zapsan soubor output/summary_run.csv\n" + shown)) << r.out;
}

// The same bytes on one thread and on three.
TEST(Compliance, SameBytesWhateverTheThreads) {
  test::RunDir c("limits_hourly");
  ASSERT_EQ(c.run({"1"}).status, 0);
  const test::ResultFiles one = c.outputs();
  ASSERT_EQ(c.run({"3"}).status, 0);
  EXPECT_EQ(c.outputs(), one);
}

}  // namespace
}  // namespace kadre

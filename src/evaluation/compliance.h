#pragma once
// The compliance values of a reference point's hourly series. The background is added hour by
// hour first; then come the mean and the largest hour, the n-th highest hour (the n-th of the
// values sorted in descending order, equal values counted one by one, the earlier hour first
// among equal values), the hours above the hourly limit, and the same over the means of the
// calendar days that have enough hours. Memory per point is bounded by the ranks asked for.
#include <utility>
#include <vector>

#include "core/records.h"
#include "core/result_tables.h"

namespace kadre {

// A calendar day counts toward the daily values when the series holds at least this many of
// its hours (three quarters of a day).
inline constexpr int kMinHoursOfDay = 18;

// What the evaluation of every point shares, built once from the settings and the hours.
struct CompliancePlan {
  int ntime = 0;
  double background = 0;       // the constant, where no hourly background is given
  std::vector<double> hourly;  // the background of every hour, or empty
  std::size_t hour_rank = 0;   // rank of the n-th highest hour; 0: not asked or no such hour
  bool count_hours = false;    // an hourly limit is given
  double hour_limit = 0;
  bool daily = false;        // a daily limit is given: daily means are evaluated
  std::size_t day_rank = 0;  // as hour_rank, over the counted days
  double day_limit = 0;
  std::vector<int> day_of_hour;   // calendar day (from 0, in order of appearance) of each hour
  std::vector<int> hours_of_day;  // hours of the series in each calendar day
  std::vector<int> counted_days;  // the days with at least kMinHoursOfDay hours, in order
};

// The plan of a run with the compliance evaluation on. A calendar day is the year, month and
// day of the hours' dates.
CompliancePlan make_compliance_plan(const Settings& cfg, const MetSeries& met,
                                    const std::vector<double>& background);

// Scratch of one worker thread, sized once by the plan.
struct ComplianceWork {
  std::vector<std::pair<double, int>> hours;  // the highest hours so far (value, hour)
  std::vector<double> days;                   // the highest daily means so far
  std::vector<double> day_sum;                // per calendar day

  ComplianceWork() = default;
  explicit ComplianceWork(const CompliancePlan& plan);
};

// The kComplianceCount values of a point (see CompliancePosition) from its hourly series c_t.
// Without hours the mean and the maximum are the constant background.
void evaluate_compliance(const CompliancePlan& plan, const std::vector<double>& c_t,
                         ComplianceWork& w, double* values);

}  // namespace kadre

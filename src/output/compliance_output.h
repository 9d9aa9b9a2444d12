#pragma once
// The compliance file of the hourly evaluation: one line per reference point with its values
// against the limits of the "limits" group.
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "output/result_file.h"

namespace kadre {

// A column of the compliance file after ID, x[m], y[m] and z[m].
struct ComplianceColumn {
  enum class Kind { value, date, count, flag };
  std::string name;
  Kind kind;
  int position;  // of the value, count or hour in the point's compliance values
  // The series has fewer hours (or counted days) than the rank asks for: every field is empty.
  bool empty = false;
};

// The columns these limits ask for, in file order: mean and max always; hour_nth and
// hour_nth_date with hour_allowed; hours_above with hour_limit; day_max and days_above with
// day_limit; day_nth with day_allowed; then exceeds_hour, exceeds_day, exceeds_year with
// their limits. ntime and counted_days tell which ranked columns stay empty.
std::vector<ComplianceColumn> compliance_columns(const Limits& limits, int ntime, int counted_days);

// The number of a value, count or flag column at a point (a flag: 1 when the limit is
// exceeded more often than allowed, or the mean is above the yearly limit, else 0).
double compliance_number(const ComplianceColumn& column, const Limits& limits,
                         const double* point_values);

// oputdir + output_limits. values: kComplianceCount per reference point, point after point;
// date: the hours' dates; counted_days: the calendar days with enough hours.
void write_limits(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                  const std::vector<std::string>& date, const std::vector<double>& values,
                  int ntime, int counted_days, ResultSet* set = nullptr);

}  // namespace kadre

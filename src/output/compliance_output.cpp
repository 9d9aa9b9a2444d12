#include "output/compliance_output.h"

#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "core/result_tables.h"
#include "core/text.h"
#include "output/number_format.h"
#include "output/point_fields.h"
#include "output/result_paths.h"

namespace kadre {

namespace {

constexpr std::size_t kDateLength = 13;

// Whether the series has fewer values than the rank (allowed count + 1) asks for.
bool beyond(const std::optional<int>& allowed, int values) {
  return static_cast<std::int64_t>(*allowed) + 1 > static_cast<std::int64_t>(values);
}

}  // namespace

std::vector<ComplianceColumn> compliance_columns(const Limits& limits, int ntime,
                                                 int counted_days) {
  using K = ComplianceColumn::Kind;
  std::vector<ComplianceColumn> columns{{"mean", K::value, kComplianceMean},
                                        {"max", K::value, kComplianceMax}};
  if (limits.hour_allowed) {
    const bool empty = beyond(limits.hour_allowed, ntime);
    columns.push_back({"hour_nth", K::value, kComplianceHourNth, empty});
    columns.push_back({"hour_nth_date", K::date, kComplianceHourNthHour, empty});
  }
  if (limits.hour_limit) columns.push_back({"hours_above", K::count, kComplianceHoursAbove});
  if (limits.day_limit)
    columns.push_back({"day_max", K::value, kComplianceDayMax, counted_days == 0});
  if (limits.day_allowed)
    columns.push_back(
        {"day_nth", K::value, kComplianceDayNth, beyond(limits.day_allowed, counted_days)});
  if (limits.day_limit) columns.push_back({"days_above", K::count, kComplianceDaysAbove});
  if (limits.hour_limit) columns.push_back({"exceeds_hour", K::flag, kComplianceHoursAbove});
  if (limits.day_limit) columns.push_back({"exceeds_day", K::flag, kComplianceDaysAbove});
  if (limits.year_limit) columns.push_back({"exceeds_year", K::flag, kComplianceMean});
  return columns;
}

double compliance_number(const ComplianceColumn& column, const Limits& limits,
                         const double* point_values) {
  const double v = point_values[column.position];
  if (column.kind != ComplianceColumn::Kind::flag) return v;
  switch (column.position) {
    case kComplianceHoursAbove:
      return v > limits.hour_allowed.value_or(0) ? 1.0 : 0.0;
    case kComplianceDaysAbove:
      return v > limits.day_allowed.value_or(0) ? 1.0 : 0.0;
    default:
      return v > limits.year_limit.value_or(0.0) ? 1.0 : 0.0;
  }
}

void write_limits(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                  const std::vector<std::string>& date, const std::vector<double>& values,
                  int ntime, int counted_days, ResultSet* set) {
  if (values.size() < ref_points.size() * kComplianceCount)
    stop_with_lines({"write_limits: " + std::to_string(values.size()) + " hodnot pro " +
                     std::to_string(ref_points.size()) + " bodu"});
  const std::vector<ComplianceColumn> columns = compliance_columns(cfg.limits, ntime, counted_days);
  const std::string d = result_delimiter(cfg.delim_out);
  ResultFile file(limits_path(cfg), set);
  std::string line = "ID" + d + "x[m]" + d + "y[m]" + d + "z[m]";
  for (const ComplianceColumn& c : columns) line += d + c.name;
  line += '\n';
  file.append(line);
  for (std::size_t ip = 0; ip < ref_points.size(); ++ip) {
    const RefPoint& point = ref_points[ip];
    const double* point_values = values.data() + ip * kComplianceCount;
    line.clear();
    line += fixed_text(point.id, 20);
    for (const double v : {point.x, point.y, point.z}) {
      line += d;
      append_fixed(line, v, 2);
    }
    for (const ComplianceColumn& c : columns) {
      line += d;
      if (c.empty) continue;
      const double v = compliance_number(c, cfg.limits, point_values);
      switch (c.kind) {
        case ComplianceColumn::Kind::value:
          append_es11_5(line, v);
          break;
        case ComplianceColumn::Kind::date:
          line += fixed_text(date[static_cast<std::size_t>(v)], kDateLength);
          break;
        case ComplianceColumn::Kind::count:
        case ComplianceColumn::Kind::flag:
          line += std::to_string(static_cast<long>(v));
          break;
      }
    }
    line += '\n';
    file.append(line);
  }
  file.close();
}

}  // namespace kadre

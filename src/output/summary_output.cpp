#include "output/summary_output.h"

#include "core/result_tables.h"
#include "core/text.h"
#include "output/number_format.h"
#include "output/point_fields.h"
#include "output/result_paths.h"
#include "output/statistical_output.h"

namespace kadre {

namespace {

// The name of a result file within the output directory, as the configuration gives it.
std::string in_output_dir(const Settings& cfg, const std::string& path) {
  return path.substr(rtrim(cfg.oputdir).size());
}

}  // namespace

void Summary::add_empty(const std::string& file, const std::string& column, bool count_points) {
  Row row{file, column};
  row.count_points = count_points;
  rows_.push_back(row);
}

std::vector<std::string> Summary::lines(const std::vector<RefPoint>& points,
                                        const std::string& d) const {
  std::vector<std::string> lines{"file" + d + "column" + d + "max" + d + "ID" + d + "x[m]" + d +
                                 "y[m]" + d + "points_above"};
  for (const Row& row : rows_) {
    std::string line = row.file + d + row.column + d;
    if (row.has_max) {
      const RefPoint& p = points[row.point];
      line += row.integer ? std::to_string(static_cast<long>(row.max)) : format_es11_5(row.max);
      line += d + fixed_text(p.id, 20) + d + format_f0(p.x, 2) + d + format_f0(p.y, 2) + d;
    } else {
      line += d + d + d + d;
    }
    if (row.count_points) line += std::to_string(row.points_above);
    lines.push_back(line);
  }
  return lines;
}

void summarize_statistics(Summary& summary, const Settings& cfg,
                          const std::vector<RefPoint>& ref_points,
                          const std::vector<double>& results) {
  const std::array<bool, kStatCount> selected = stat_selection(cfg);
  const std::vector<std::string> names = stat_column_names(cfg);
  const StatRows& rows = stat_rows();
  const std::string file = in_output_dir(cfg, stats_path(cfg));
  for (int r = 0; r < kStatCount; ++r) {
    if (!selected[static_cast<std::size_t>(r)]) continue;
    // Class, wind speed and direction describe the situation of a maximum, not a quantity
    // whose largest value means anything.
    const bool situation =
        (r > rows.ch_max && r <= rows.ch_max + 3) || (r > rows.cd_max && r <= rows.cd_max + 3);
    if (situation) continue;
    const bool hours =
        (r >= rows.th && r < rows.th + kLimitCount) || (r >= rows.td && r < rows.td + kLimitCount);
    summary.add(
        file, names[static_cast<std::size_t>(r)], ref_points,
        [&](std::size_t ip) { return results[ip * kStatCount + static_cast<std::size_t>(r)]; },
        false, hours);
  }
}

void summarize_hourly(Summary& summary, const Settings& cfg,
                      const std::vector<RefPoint>& ref_points,
                      const std::vector<double>& hourly_mean,
                      const std::vector<double>& hourly_max) {
  summary.add(
      in_output_dir(cfg, hourly_path(cfg, "avg_")), "ave", ref_points,
      [&](std::size_t ip) { return hourly_mean[ip]; }, false, false);
  summary.add(
      in_output_dir(cfg, hourly_path(cfg, "max_")), "max", ref_points,
      [&](std::size_t ip) { return hourly_max[ip]; }, false, false);
}

void summarize_compliance(Summary& summary, const Settings& cfg,
                          const std::vector<RefPoint>& ref_points,
                          const std::vector<double>& values, int ntime, int counted_days) {
  const std::string file = in_output_dir(cfg, limits_path(cfg));
  for (const ComplianceColumn& c : compliance_columns(cfg.limits, ntime, counted_days)) {
    using K = ComplianceColumn::Kind;
    if (c.kind == K::date) continue;
    const bool flag = c.kind == K::flag;
    if (c.empty) {
      summary.add_empty(file, c.name, flag);
      continue;
    }
    summary.add(
        file, c.name, ref_points,
        [&](std::size_t ip) {
          return compliance_number(c, cfg.limits, values.data() + ip * kComplianceCount);
        },
        c.kind != K::value, flag);
  }
}

void write_summary(const Settings& cfg, const std::vector<std::string>& lines, ResultSet* set) {
  ResultFile file(summary_path(cfg), set);
  for (const std::string& line : lines) {
    file.append(line);
    file.append("\n");
  }
  file.close();
}

}  // namespace kadre

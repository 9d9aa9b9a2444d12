#include "output/statistical_output.h"

#include <cstddef>

#include "core/errors.h"
#include "core/result_tables.h"
#include "core/text.h"
#include "output/number_format.h"
#include "output/point_fields.h"
#include "output/result_file.h"
#include "output/result_paths.h"

namespace kadre {

namespace {

constexpr std::size_t kNameLength = 12;

void select_rows(std::array<bool, kStatCount>& mask, int first, int count) {
  for (int r = first; r < first + count; ++r) mask[static_cast<std::size_t>(r)] = true;
}

// Replaces prefix + l by prefix + "_" + limit; the limit is formatted in full before the
// name is cut, so that a large limit still gives its leading digits.
void rename_limits(std::vector<std::string>& names, const std::string& prefix,
                   const std::array<double, 3>& limits) {
  for (int l = 1; l <= kLimitCount; ++l) {
    const int pos = locate_string(names, prefix + std::to_string(l));
    if (pos < 1) stop_with_lines({"stat_column_names: " + prefix + std::to_string(l) + " chybi"});
    const std::string name = prefix + "_" + format_f0(limits[static_cast<std::size_t>(l - 1)], 3);
    names[static_cast<std::size_t>(pos - 1)] = name.substr(0, kNameLength);
  }
}

}  // namespace

std::array<bool, kStatCount> stat_selection(const Settings& cfg) {
  const StatRows& rows = stat_rows();
  std::array<bool, kStatCount> mask{};
  if (cfg.is_max_abs) {
    select_rows(mask, rows.ch_max, 4);
    if (cfg.is_daily) select_rows(mask, rows.cd_max, 4);
  }
  if (cfg.is_max_11) {
    select_rows(mask, rows.ch_classes, kSituationClassCount);
    if (cfg.is_daily) select_rows(mask, rows.cd_classes, kSituationClassCount);
  }
  if (cfg.is_exceed) {
    select_rows(mask, rows.th, kLimitCount);
    if (cfg.is_daily) select_rows(mask, rows.td, kLimitCount);
  }
  if (cfg.is_average) select_rows(mask, rows.ave, 1);
  return mask;
}

std::vector<std::string> stat_column_names(const Settings& cfg) {
  std::vector<std::string> names = stats();
  rename_limits(names, "Th", cfg.ch_exceed);
  rename_limits(names, "Td", cfg.cd_exceed);
  for (auto& name : names) name = rtrim(name);
  return names;
}

void write_output_stat(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                       const std::vector<double>& results, ResultSet* set) {
  if (results.size() < ref_points.size() * kStatCount)
    stop_with_lines({"write_output_stat: results ma " + std::to_string(results.size()) +
                     " hodnot pro " + std::to_string(ref_points.size()) + " bodu"});
  const std::array<bool, kStatCount> mask = stat_selection(cfg);
  const std::vector<std::string> names = stat_column_names(cfg);
  const std::string d = result_delimiter(cfg.delim_out);

  ResultFile file(stats_path(cfg), set);
  std::string line = point_header(d);
  for (int r = 0; r < kStatCount; ++r)
    if (mask[static_cast<std::size_t>(r)]) line += d + names[static_cast<std::size_t>(r)];
  line += '\n';
  file.append(line);

  for (std::size_t ip = 0; ip < ref_points.size(); ++ip) {
    line.clear();
    append_point_fields(line, ref_points[ip], d);
    const double* column = results.data() + ip * kStatCount;
    bool first = true;
    for (int r = 0; r < kStatCount; ++r) {
      if (!mask[static_cast<std::size_t>(r)]) continue;
      if (!first) line += d;
      append_es11_5(line, column[r]);
      first = false;
    }
    line += '\n';
    file.append(line);
  }
  file.close();
}

}  // namespace kadre

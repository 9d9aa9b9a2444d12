#include "output/time_series_output.h"

#include <cstddef>

#include "core/errors.h"
#include "core/text.h"
#include "output/number_format.h"
#include "output/point_fields.h"
#include "output/result_file.h"
#include "output/result_paths.h"

namespace kadre {

namespace {

constexpr std::size_t kDateLength = 13;

void write_point_values(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& values, const char* prefix,
                        const char* value_name, ResultSet* set) {
  if (values.size() < ref_points.size())
    stop_with_lines({std::string("write_time_") + value_name + ": " +
                     std::to_string(values.size()) + " hodnot pro " +
                     std::to_string(ref_points.size()) + " bodu"});
  const std::string d = result_delimiter(cfg.delim_out);
  ResultFile file(hourly_path(cfg, prefix), set);
  file.append(point_header(d) + d + value_name + "\n");
  std::string line;
  for (std::size_t ip = 0; ip < ref_points.size(); ++ip) {
    line.clear();
    append_point_fields(line, ref_points[ip], d);
    line += format_es11_5(values[ip]);
    line += '\n';
    file.append(line);
  }
  file.close();
}

}  // namespace

void write_output_time(const Settings& cfg, const std::vector<std::string>& ref_ids,
                       const std::vector<std::string>& date,
                       const std::vector<double>& hourly_results, int ntime, ResultSet* set) {
  const std::size_t hours = ntime > 0 ? static_cast<std::size_t>(ntime) : 0;
  if (date.size() < hours || hourly_results.size() < hours * ref_ids.size())
    stop_with_lines({"write_output_time: " + std::to_string(date.size()) + " datumu a " +
                     std::to_string(hourly_results.size()) + " hodnot pro " +
                     std::to_string(hours) + " hodin a " + std::to_string(ref_ids.size()) +
                     " bodu"});
  const std::string d = result_delimiter(cfg.delim_out);
  ResultFile file(hourly_path(cfg), set);

  std::string line = "cas";
  for (const auto& id : ref_ids) line += d + rtrim(id);
  line += '\n';
  file.append(line);

  for (std::size_t t = 0; t < hours; ++t) {
    line.clear();
    line += fixed_text(date[t], kDateLength);
    for (std::size_t s = 0; s < ref_ids.size(); ++s) {
      line += d;
      line += format_es11_5(hourly_results[s * hours + t]);
    }
    line += '\n';
    file.append(line);
  }
  file.close();
}

void write_time_average(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& hourly_sum, ResultSet* set) {
  write_point_values(cfg, ref_points, hourly_sum, "avg_", "ave", set);
}

void write_time_maximum(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& hourly_max, ResultSet* set) {
  write_point_values(cfg, ref_points, hourly_max, "max_", "max", set);
}

}  // namespace kadre

#include "output/time_series_output.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "core/errors.h"
#include "core/text.h"
#include "output/number_format.h"
#include "output/point_fields.h"
#include "output/result_file.h"
#include "output/result_paths.h"

namespace kadre {

namespace {

constexpr std::size_t kDateLength = 13;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// The lines of the hourly table after its header: the date as A13, then d and the value of
// every output point.
struct HourRows {
  const std::vector<std::string>& date;
  const double* values;  // hour fastest, `hours` values per point
  std::size_t hours, points;
  std::string_view d;

  std::size_t longest_row() const {
    return kDateLength + points * (d.size() + kEs11_5MaxLength) + 1;
  }

  // Writes the lines of hours [begin, end) at out, which has room for longest_row() each.
  char* write(char* out, std::size_t begin, std::size_t end) const noexcept {
    for (std::size_t t = begin; t < end; ++t) {
      const std::string& day = date[t];
      const std::size_t n = std::min(day.size(), kDateLength);
      std::memcpy(out, day.data(), n);
      std::memset(out + n, ' ', kDateLength - n);
      out += kDateLength;
      if (d.size() == 1) {  // the usual delimiter, without a copy of variable length
        for (std::size_t s = 0; s < points; ++s) {
          *out = d[0];
          out = write_es11_5(out + 1, values[s * hours + t]);
        }
      } else {
        for (std::size_t s = 0; s < points; ++s) {
          std::memcpy(out, d.data(), d.size());
          out = write_es11_5(out + d.size(), values[s * hours + t]);
        }
      }
      *out++ = '\n';
    }
    return out;
  }
};

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
    append_es11_5(line, values[ip]);
    line += '\n';
    file.append(line);
  }
  file.close();
}

}  // namespace

void write_output_time(const Settings& cfg, const std::vector<std::string>& ref_ids,
                       const std::vector<std::string>& date,
                       const std::vector<double>& hourly_results, int ntime, ResultSet* set,
                       int threads) {
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

  const HourRows rows{date, hourly_results.data(), hours, ref_ids.size(), d};
  const std::size_t workers = static_cast<std::size_t>(std::max(threads, 1));
  // About a megabyte of text per worker and round: large writes, little memory.
  const std::size_t block_hours = std::max<std::size_t>(1, kBlockBytes / rows.longest_row());
  std::vector<std::vector<char>> blocks(workers);
  for (auto& block : blocks) block.resize(block_hours * rows.longest_row());
  std::vector<std::size_t> used(workers, 0);

  for (std::size_t first = 0; first < hours; first += block_hours * workers) {
    // Each worker formats its own hours into its own block; nothing in the loop throws or
    // allocates, and the blocks are written in the order of the hours.
#pragma omp parallel for num_threads(static_cast <int>(workers)) \
    schedule(static, 1) if (workers > 1)
    for (std::size_t w = 0; w < workers; ++w) {
      const std::size_t begin = std::min(hours, first + w * block_hours);
      const std::size_t end = std::min(hours, begin + block_hours);
      used[w] =
          static_cast<std::size_t>(rows.write(blocks[w].data(), begin, end) - blocks[w].data());
    }
    for (std::size_t w = 0; w < workers; ++w) file.append({blocks[w].data(), used[w]});
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

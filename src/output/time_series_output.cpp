#include "output/time_series_output.h"

#include <omp.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <string_view>

#include "core/errors.h"
#include "core/text.h"
#include "output/netcdf_output.h"
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

  // Writes the lines of hours [begin, end) at out, which has room for longest_row() each;
  // tile holds (end - begin) * points values.
  char* write(char* out, double* tile, std::size_t begin, std::size_t end) const noexcept {
    // The block's values hour by hour, gathered point by point where each point's hours lie
    // side by side: a wide table read across its points would take a page per value.
    const std::size_t n = end - begin;
    for (std::size_t s = 0; s < points; ++s) {
      const double* from = values + s * hours + begin;
      for (std::size_t h = 0; h < n; ++h) tile[h * points + s] = from[h];
    }
    for (std::size_t t = begin; t < end; ++t) {
      const double* row = tile + (t - begin) * points;
      const std::string& day = date[t];
      const std::size_t n = std::min(day.size(), kDateLength);
      std::memcpy(out, day.data(), n);
      std::memset(out + n, ' ', kDateLength - n);
      out += kDateLength;
      if (d.size() == 1) {  // the usual delimiter, without a copy of variable length
        for (std::size_t s = 0; s < points; ++s) {
          *out = d[0];
          out = write_es11_5(out + 1, row[s]);
        }
      } else {
        for (std::size_t s = 0; s < points; ++s) {
          std::memcpy(out, d.data(), d.size());
          out = write_es11_5(out + d.size(), row[s]);
        }
      }
      *out++ = '\n';
    }
    return out;
  }
};

void write_point_values(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& values, const char* prefix,
                        const char* value_name, const char* long_name, ResultSet* set) {
  if (values.size() < ref_points.size())
    stop_with_lines({std::string("write_time_") + value_name + ": " +
                     std::to_string(values.size()) + " hodnot pro " +
                     std::to_string(ref_points.size()) + " bodu"});
  if (is_netcdf_path(hourly_path(cfg, prefix))) {
    write_point_values_netcdf(hourly_path(cfg, prefix), ref_points, values, value_name, long_name,
                              set);
    return;
  }
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

void write_output_time(const Settings& cfg, const std::vector<RefPoint>& outputs,
                       const std::vector<std::string>& date,
                       const std::vector<double>& hourly_results, int ntime, ResultSet* set,
                       int threads) {
  const std::size_t hours = ntime > 0 ? static_cast<std::size_t>(ntime) : 0;
  if (date.size() < hours || hourly_results.size() < hours * outputs.size())
    stop_with_lines({"write_output_time: " + std::to_string(date.size()) + " datumu a " +
                     std::to_string(hourly_results.size()) + " hodnot pro " +
                     std::to_string(hours) + " hodin a " + std::to_string(outputs.size()) +
                     " bodu"});
  if (is_netcdf_path(hourly_path(cfg))) {
    write_hourly_netcdf(hourly_path(cfg), outputs, date, hourly_results, ntime, set);
    return;
  }
  const std::string d = result_delimiter(cfg.delim_out);
  ResultFile file(hourly_path(cfg), set);

  std::string line = "cas";
  for (const auto& point : outputs) line += d + rtrim(point.id);
  line += '\n';
  file.append(line);

  const HourRows rows{date, hourly_results.data(), hours, outputs.size(), d};
  const int team = std::max(threads, 1);
  // About a megabyte of text per block: large writes, little memory.
  const std::size_t block_hours = std::max<std::size_t>(1, kBlockBytes / rows.longest_row());
  const std::size_t block_count = (hours + block_hours - 1) / block_hours;
  struct Block {
    std::vector<char> text;
    std::vector<double> tile;
  };
  std::vector<Block> blocks(static_cast<std::size_t>(team));
  for (Block& b : blocks) {
    b.text.resize(block_hours * rows.longest_row());
    b.tile.resize(block_hours * rows.points);
  }

  // Each thread formats every team-th block of hours into its own buffer while the others
  // format or write theirs; the blocks go out in the order of the hours. A failed write is
  // kept and raised after the region, and no block after it is written.
  std::exception_ptr failure;
#pragma omp parallel num_threads(team) if (team > 1)
  {
    Block& b = blocks[static_cast<std::size_t>(omp_get_thread_num())];
#pragma omp for ordered schedule(static, 1)
    for (std::size_t k = 0; k < block_count; ++k) {
      const std::size_t begin = k * block_hours, end = std::min(hours, begin + block_hours);
      const char* text_end = rows.write(b.text.data(), b.tile.data(), begin, end);
#pragma omp ordered
      if (!failure) {
        try {
          file.append({b.text.data(), static_cast<std::size_t>(text_end - b.text.data())});
        } catch (...) {
          failure = std::current_exception();
        }
      }
    }
  }
  if (failure) std::rethrow_exception(failure);
  file.close();
}

void write_time_average(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& hourly_sum, ResultSet* set) {
  write_point_values(cfg, ref_points, hourly_sum, "avg_", "ave", "prumerna koncentrace", set);
}

void write_time_maximum(const Settings& cfg, const std::vector<RefPoint>& ref_points,
                        const std::vector<double>& hourly_max, ResultSet* set) {
  write_point_values(cfg, ref_points, hourly_max, "max_", "max", "nejvyssi hodinova koncentrace",
                     set);
}

}  // namespace kadre

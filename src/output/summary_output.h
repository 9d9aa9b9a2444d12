#pragma once
// The summary of a run: for every numeric column of the per-point result files, its largest
// value, the reference point where it lies and, for counts of exceedances, how many points
// have any. Written as a result file and shown on the console.
#include <cmath>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "output/compliance_output.h"
#include "output/result_file.h"

namespace kadre {

class Summary {
 public:
  // The result file (its name within the output directory) and column of a row.
  struct Row {
    std::string file, column;
    bool has_max = false;
    double max = 0;
    bool integer = false;  // written as a whole number
    std::size_t point = 0;
    bool count_points = false;  // points_above is given
    long points_above = 0;
  };

  // The column of a file whose value at point ip (from 0) is value(ip). The largest value
  // counts, the first point in file order among equal ones; a value that is no number wins,
  // so that it is not hidden.
  template <class Value>
  void add(const std::string& file, const std::string& column, const std::vector<RefPoint>& points,
           Value&& value, bool integer, bool count_points) {
    Row row{file, column};
    row.integer = integer;
    row.count_points = count_points;
    for (std::size_t ip = 0; ip < points.size(); ++ip) {
      const double v = value(ip);
      if (count_points && v != 0) ++row.points_above;
      const bool takes = !row.has_max || (!std::isnan(row.max) && (std::isnan(v) || v > row.max));
      if (!takes) continue;
      row.has_max = true;
      row.max = v;
      row.point = ip;
    }
    rows_.push_back(row);
  }
  // A column without values (too few hours or days for its rank).
  void add_empty(const std::string& file, const std::string& column, bool count_points);

  // The header and a line per row, fields separated by d.
  std::vector<std::string> lines(const std::vector<RefPoint>& points, const std::string& d) const;

 private:
  std::vector<Row> rows_;
};

// The rows of the statistical file: every selected indicator except the situation of a
// maximum (its class, wind speed and direction); Th_ and Td_ columns count their points.
void summarize_statistics(Summary& summary, const Settings& cfg,
                          const std::vector<RefPoint>& ref_points,
                          const std::vector<double>& results);
// The rows of the hourly mean and maximum files.
void summarize_hourly(Summary& summary, const Settings& cfg,
                      const std::vector<RefPoint>& ref_points,
                      const std::vector<double>& hourly_mean,
                      const std::vector<double>& hourly_max);
// The rows of the compliance file: every column but the date; flags count their points.
void summarize_compliance(Summary& summary, const Settings& cfg,
                          const std::vector<RefPoint>& ref_points,
                          const std::vector<double>& values, int ntime, int counted_days);

// Writes the summary file (summary_path) with these lines.
void write_summary(const Settings& cfg, const std::vector<std::string>& lines,
                   ResultSet* set = nullptr);

}  // namespace kadre

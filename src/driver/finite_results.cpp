#include "driver/finite_results.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/errors.h"
#include "core/text.h"
#include "output/compliance_output.h"
#include "output/result_paths.h"
#include "output/statistical_output.h"

namespace kadre {

namespace {

enum class File { hourly, mean, maximum, limits, stats };

// A value of the result files: its set (0 all sources, 1 + g group g), its file and where it
// stands there.
struct Place {
  std::size_t set = 0;
  File file = File::hourly;
  int ip = 0;   // reference point, from 1
  int t = 0;    // hour, from 1 (hourly table)
  int row = 0;  // indicator row, from 0 (statistical file); column (compliance file)
};

// The columns of the compliance file, where the run writes one.
struct ComplianceFile {
  const Limits* limits = nullptr;
  std::vector<ComplianceColumn> columns;
};

// Where a point's values stand in tables: its slot among the tables' points and its column
// among their points with hourly output.
struct Slot {
  std::size_t at = 0;
  std::size_t column = 0;
};

// The value written at the place: the mean is formed from the sum as the writer forms it.
double value_at(const ResultTables& tables, const Place& p, const Slot& slot, int ntime,
                const ComplianceFile& compliance) {
  switch (p.file) {
    case File::hourly:
      return tables.hourly_results[slot.column * static_cast<std::size_t>(ntime) +
                                   static_cast<std::size_t>(p.t - 1)];
    case File::mean:
      return ntime > 0 ? tables.hourly_sum[slot.at] / static_cast<double>(ntime)
                       : tables.hourly_sum[slot.at];
    case File::maximum:
      return tables.hourly_max[slot.at];
    case File::limits:
      return compliance_number(compliance.columns[static_cast<std::size_t>(p.row)],
                               *compliance.limits,
                               tables.compliance.data() + slot.at * kComplianceCount);
    case File::stats:
      return tables.results[slot.at * kStatCount + static_cast<std::size_t>(p.row)];
  }
  return 0;
}

// The first value of the set's files that is not finite, in file order; false when all are.
bool first_bad_value(const LoopInputs& li, std::size_t set, const ResultTables& tables,
                     const std::vector<int>& out_column, const ComplianceFile& compliance,
                     Place& found) {
  const InputData& in = li.in;
  const std::size_t points = in.ref_points.size();
  const std::size_t hours = in.cfg.is_time ? static_cast<std::size_t>(in.met.ntime) : 0;
  found = Place{set, File::hourly, 0, 0, 0};
  if (in.cfg.is_time) {
    // The table is written hour by hour: the earliest hour, then the first point of it.
    const double* table = tables.hourly_results.data();
    if (!all_finite(table, tables.hourly_results.size())) {
      for (std::size_t ip = 1; ip <= points; ++ip) {
        if (!in.ref_points[ip - 1].has_hourly_output) continue;
        const double* column = table + static_cast<std::size_t>(out_column[ip - 1] - 1) * hours;
        for (std::size_t t = 1; t <= hours; ++t) {
          if (found.ip != 0 && static_cast<int>(t) >= found.t) break;
          if (all_finite(column + t - 1, 1)) continue;
          found.ip = static_cast<int>(ip);
          found.t = static_cast<int>(t);
          break;
        }
      }
      if (found.ip != 0) return true;
    }
    for (const File file : {File::mean, File::maximum}) {
      found.file = file;
      for (std::size_t ip = 1; ip <= points; ++ip) {
        found.ip = static_cast<int>(ip);
        const double v = value_at(tables, found, Slot{ip - 1, 0}, in.met.ntime, compliance);
        if (!all_finite(&v, 1)) return true;
      }
    }
    // The values of the compliance file (dates, counts and flags are finite by their kind).
    if (compliance.limits != nullptr &&
        !all_finite(tables.compliance.data(), tables.compliance.size())) {
      found.file = File::limits;
      for (std::size_t ip = 1; ip <= points; ++ip) {
        found.ip = static_cast<int>(ip);
        for (std::size_t c = 0; c < compliance.columns.size(); ++c) {
          const ComplianceColumn& column = compliance.columns[c];
          if (column.empty || column.kind != ComplianceColumn::Kind::value) continue;
          found.row = static_cast<int>(c);
          const double v = value_at(tables, found, Slot{ip - 1, 0}, in.met.ntime, compliance);
          if (!all_finite(&v, 1)) return true;
        }
      }
    }
  }
  if (!li.methodology || tables.results.size() < points * kStatCount) return false;
  if (all_finite(tables.results.data(), points * kStatCount)) return false;
  const std::array<bool, kStatCount> selected = stat_selection(in.cfg);
  found.file = File::stats;
  for (std::size_t ip = 1; ip <= points; ++ip) {
    found.ip = static_cast<int>(ip);
    for (int r = 0; r < kStatCount; ++r) {
      found.row = r;
      if (!selected[static_cast<std::size_t>(r)]) continue;
      const double v = value_at(tables, found, Slot{ip - 1, 0}, in.met.ntime, compliance);
      if (!all_finite(&v, 1)) return true;
    }
  }
  return false;
}

// The source whose contribution makes the value at p not finite: the point is evaluated
// again over the first n sources, n found by halving between none (finite) and all of them.
// Empty when there is no such source.
std::string culprit(const LoopInputs& li, const std::vector<int>& out_column,
                    const ComplianceFile& compliance, const Place& p) {
  const InputData& in = li.in;
  const RefPoint& point = in.ref_points[static_cast<std::size_t>(p.ip - 1)];
  const std::size_t sets = in.groups.size() + 1;
  // Only the batch of sets that holds the value's set is evaluated.
  std::vector<SetBatch> batch;
  for (SetBatch& b : set_batches(in, sets_per_batch(li)))
    if (p.set >= b.first_set && p.set < b.first_set + b.set_count) batch.push_back(std::move(b));
  if (batch.empty()) return "";
  WorkTables work(li, batch[0].set_count);
  PointBlock block{p.ip - 1, p.ip, 0};
  if (point.has_hourly_output) block.outputs_before = out_column[p.ip - 1] - 1;
  const auto finite_over = [&](std::size_t n) {
    std::vector<ResultTables> tables(sets);
    for (std::size_t s = batch[0].first_set; s < batch[0].first_set + batch[0].set_count; ++s) {
      ResultTables& t = tables[s];
      if (in.cfg.is_time) {
        t.hourly_results.assign(
            point.has_hourly_output ? static_cast<std::size_t>(in.met.ntime) : 0, 0.0);
        t.hourly_sum.assign(1, 0.0);
        t.hourly_max.assign(1, 0.0);
        if (li.compliance != nullptr) t.compliance.assign(kComplianceCount, 0.0);
      }
      if (li.methodology) t.results.assign(kStatCount, 0.0);
    }
    evaluate_point(li, p.ip, block, batch, work, out_column, tables, n);
    const double v = value_at(tables[p.set], p, Slot{0, 0}, in.met.ntime, compliance);
    return all_finite(&v, 1);
  };
  std::size_t finite = 0, not_finite = in.sources.size();
  // Not finite without any source (a background alone) or finite with all of them: no source
  // to name.
  if (not_finite == 0 || finite_over(not_finite) || !finite_over(0)) return "";
  while (not_finite - finite > 1) {
    const std::size_t mid = finite + (not_finite - finite) / 2;
    (finite_over(mid) ? finite : not_finite) = mid;
  }
  return in.sources[not_finite - 1].id;
}

}  // namespace

bool all_finite(const double* values, std::size_t n) {
  // The exponent bits all set mark NaN and the infinities; integer operations let the loop
  // run in vectors.
  constexpr std::uint64_t kExponent = 0x7ff0000000000000ULL;
  std::uint64_t bad = 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint64_t bits;
    std::memcpy(&bits, values + i, sizeof bits);
    bad |= static_cast<std::uint64_t>((bits & kExponent) == kExponent);
  }
  return bad == 0;
}

void check_finite_results(const LoopInputs& li, const std::vector<ResultTables>& tables) {
  const InputData& in = li.in;
  const std::vector<int> out_column = output_columns(in.ref_points);
  ComplianceFile compliance;
  if (li.compliance != nullptr) {
    compliance.limits = &in.cfg.limits;
    compliance.columns = compliance_columns(in.cfg.limits, in.met.ntime,
                                            static_cast<int>(li.compliance->counted_days.size()));
  }
  for (std::size_t set = 0; set < tables.size(); ++set) {
    Place p;
    if (!first_bad_value(li, set, tables[set], out_column, compliance, p)) continue;
    const Settings cfg = set == 0 ? in.cfg : group_settings(in.cfg, in.groups[set - 1].name);
    const RefPoint& point = in.ref_points[static_cast<std::size_t>(p.ip - 1)];
    std::string path, column = point.id, hour;
    switch (p.file) {
      case File::hourly:
        path = hourly_path(cfg);
        hour = ", hodina " + in.met.date[static_cast<std::size_t>(p.t - 1)];
        break;
      case File::mean:
        path = hourly_path(cfg, "avg_");
        column = "ave";
        break;
      case File::maximum:
        path = hourly_path(cfg, "max_");
        column = "max";
        break;
      case File::limits:
        path = limits_path(cfg);
        column = compliance.columns[static_cast<std::size_t>(p.row)].name;
        break;
      case File::stats:
        path = stats_path(cfg);
        column = stat_column_names(cfg)[static_cast<std::size_t>(p.row)];
        break;
    }
    const Slot slot{
        static_cast<std::size_t>(p.ip - 1),
        point.has_hourly_output ? static_cast<std::size_t>(out_column[p.ip - 1] - 1) : 0};
    const double value = value_at(tables[set], p, slot, in.met.ntime, compliance);
    const std::string word = std::isnan(value) ? "NaN" : value > 0 ? "Infinity" : "-Infinity";
    std::vector<std::string> lines{"Hodnota " + word + " ve sloupci " + column + " souboru " +
                                   path + " (referencni bod " + point.id + hour +
                                   ") neni konecne cislo; vysledky se nezapisuji."};
    const std::string source = culprit(li, out_column, compliance, p);
    if (!source.empty())
      lines.push_back("Konecnym cislem prestava byt po pricteni prispevku zdroje " + source + ".");
    lines.push_back("Zkontrolujte emise (m, m_no), emisni faktory a time_use zdroju" +
                    std::string(p.file == File::limits ? " a pozadi (background)." : "."));
    stop_with_lines(lines);
  }
}

}  // namespace kadre

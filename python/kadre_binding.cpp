// The compiled part of the Python module kadre: one run of the program in this process (the
// same run function as the program, so the same result files), its console kept instead of
// printed, its progress handed to a callback, and the tables of the run as arrays.
#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "core/character_sink.h"
#include "driver/run.h"
#include "output/compliance_output.h"
#include "output/statistical_output.h"

namespace py = pybind11;

namespace {

using Progress = std::function<void(int, int)>;

// The console of a run, kept as text; each progress line ("spocten ref. bod c. n/total") is
// handed to the callback, which takes the interpreter's lock for the time of the call. The
// callback's failure is kept and raised after the run: no exception crosses the computation.
class Console : public kadre::CharacterSink {
 public:
  explicit Console(Progress progress) : progress_(std::move(progress)) {}
  const std::string& text() const { return text_; }
  std::exception_ptr callback_failure() const { return failure_; }

 private:
  void put(char c) override {
    if (c == '\r' || c == '\n') report(text_.substr(line_start_));
    text_ += c;
    if (c == '\r' || c == '\n') line_start_ = text_.size();
  }
  void report(const std::string& line) {
    int done = 0, total = 0;
    const std::size_t at = line.find("spocten ref. bod c.");
    if (!progress_ || failure_ || at == std::string::npos) return;
    if (std::sscanf(line.c_str() + at, "spocten ref. bod c. %d/%d", &done, &total) != 2) return;
    py::gil_scoped_acquire gil;
    try {
      progress_(done, total);
    } catch (...) {
      failure_ = std::current_exception();
    }
  }

  Progress progress_;
  std::string text_;
  std::size_t line_start_ = 0;
  std::exception_ptr failure_;
};

py::array_t<double> array(const std::vector<double>& values, std::size_t rows, std::size_t cols) {
  py::array_t<double> a({rows, cols});
  double* to = a.mutable_data();
  for (std::size_t i = 0; i < rows * cols && i < values.size(); ++i) to[i] = values[i];
  return a;
}

py::array_t<double> vector_array(const std::vector<double>& values) {
  return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
}

// The tables of one set of sources, in the forms of its files.
py::dict set_tables(const kadre::RunResults& r, const kadre::Settings& cfg,
                    const kadre::ResultTables& t) {
  py::dict d;
  const std::size_t points = r.ref_points.size();
  if (cfg.is_time) {
    const std::size_t hours = r.date.size();
    const std::size_t outputs = hours > 0 ? t.hourly_results.size() / hours : 0;
    d["hourly"] = array(t.hourly_results, outputs, hours);  // point after point
    d["mean"] = vector_array(t.hourly_sum);
    d["max"] = vector_array(t.hourly_max);
    if (cfg.compliance()) {
      py::list columns;
      const double empty = std::numeric_limits<double>::quiet_NaN();
      for (const auto& column :
           kadre::compliance_columns(cfg.limits, static_cast<int>(hours), r.counted_days)) {
        py::list values;
        for (std::size_t p = 0; p < points; ++p) {
          const double* v = t.compliance.data() + p * kadre::kComplianceCount;
          if (column.empty) {
            values.append(column.kind == kadre::ComplianceColumn::Kind::date ? py::none()
                                                                             : py::cast(empty));
          } else if (column.kind == kadre::ComplianceColumn::Kind::date) {
            values.append(r.date[static_cast<std::size_t>(v[column.position])]);
          } else {
            values.append(kadre::compliance_number(column, cfg.limits, v));
          }
        }
        columns.append(py::make_tuple(column.name, values));
      }
      d["compliance"] = columns;
    }
  }
  if (cfg.methodology()) {
    const auto mask = kadre::stat_selection(cfg);
    const auto names = kadre::stat_column_names(cfg);
    py::list columns;
    for (int row = 0; row < kadre::kStatCount; ++row) {
      if (!mask[static_cast<std::size_t>(row)]) continue;
      std::vector<double> values(points);
      for (std::size_t p = 0; p < points; ++p)
        values[p] = t.results[p * kadre::kStatCount + static_cast<std::size_t>(row)];
      columns.append(py::make_tuple(names[static_cast<std::size_t>(row)], vector_array(values)));
    }
    d["stats"] = columns;
  }
  return d;
}

py::dict run_study(const std::vector<std::string>& args, const std::string& base_dir,
                   const Progress& progress) {
  kadre::RunResults results;
  std::string error_text;
  Console console(progress), errors(nullptr);
  std::ostream out(&console), err(&errors);
  int status = 1;
  {
    py::gil_scoped_release released;
    kadre::Embedding embedding{base_dir, &results, &error_text, {}};
    // KADRE_SIMD=scalar selects the scalar formulas here too, as for the program.
    embedding.kernels = kadre::program_kernel_path(std::getenv("KADRE_SIMD"));
    status = kadre::run(args, out, err, "kadre", kadre::single_process(), embedding);
  }
  if (console.callback_failure()) std::rethrow_exception(console.callback_failure());
  py::dict d;
  d["status"] = status;
  d["console"] = console.text() + errors.text();
  d["error"] = error_text;
  if (status != 0 || results.tables.empty()) return d;
  py::list ids, hourly_ids;
  std::vector<double> x, y, z, l;
  for (const kadre::RefPoint& p : results.ref_points) {
    ids.append(p.id);
    if (p.has_hourly_output) hourly_ids.append(p.id);
    x.push_back(p.x);
    y.push_back(p.y);
    z.push_back(p.z);
    l.push_back(p.height_above_ground_m);
  }
  d["ids"] = ids;
  d["hourly_ids"] = hourly_ids;
  d["x"] = vector_array(x);
  d["y"] = vector_array(y);
  d["z"] = vector_array(z);
  d["l"] = vector_array(l);
  d["dates"] = results.date;
  d["groups"] = results.groups;
  d["tables"] = set_tables(results, results.cfg, results.tables[0]);
  py::dict groups;
  for (std::size_t g = 0; g < results.groups.size(); ++g)
    groups[py::str(results.groups[g])] = set_tables(results, results.cfg, results.tables[g + 1]);
  d["group_tables"] = groups;
  py::dict files;
  files["oputdir"] = results.cfg.oputdir;
  files["output_time"] = results.cfg.output_time;
  files["output_stats"] = results.cfg.output_stats;
  files["delim_out"] = results.cfg.delim_out;
  d["settings"] = files;
  return d;
}

}  // namespace

PYBIND11_MODULE(_kadre, m) {
  m.doc() = "The kadre run in this process (see the package kadre).";
  m.def("run_study", &run_study, py::arg("args"), py::arg("base_dir"), py::arg("progress"));
}

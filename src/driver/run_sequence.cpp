#include "driver/run_sequence.h"

#include <omp.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>
#include <optional>
#include <unordered_set>

#include "core/errors.h"
#include "core/termination.h"
#include "core/text.h"
#include "driver/command_line.h"
#include "driver/finite_results.h"
#include "driver/nodata_paths.h"
#include "driver/point_blocks.h"
#include "driver/reference_point_loop.h"
#include "driver/table_gathering.h"
#include "evaluation/compliance.h"
#include "evaluation/daily_maxima.h"
#include "evaluation/situation_classes.h"
#include "evaluation/time_series_evaluation.h"
#include "init/read_input_data.h"
#include "init/read_param.h"
#include "model/heat_output.h"
#include "model/stability_classes.h"
#include "output/compliance_output.h"
#include "output/netcdf_output.h"
#include "output/number_format.h"
#include "output/point_fields.h"
#include "output/result_dir.h"
#include "output/result_paths.h"
#include "output/statistical_output.h"
#include "output/summary_output.h"
#include "output/time_series_output.h"

namespace kadre {

namespace {

constexpr const char* kVersion = KADRE_VERSION;  // from the project's version in CMake

void print_banner(std::ostream& out) {
  out << "\n"
      << free_form_line(std::string("KADRE v") + kVersion +
                        " - (c) vyvojari programu kadre, vsechna prava vyhrazena")
      << free_form_line("") << "\n";
}

// Stability classes of every series from its temperature gradients.
void derive_stability_classes(const ModelParams& par, MetSeries& met, bool upper_layer) {
  const auto& gradients = upper_layer ? met.gradient_i : met.gradient;
  auto& classes = upper_layer ? met.stability_class_i : met.stability_class;
  std::vector<double> row(static_cast<std::size_t>(met.ntime));
  for (int k = 1; k <= met.met_num(); ++k) {
    for (int t = 1; t <= met.ntime; ++t) row[t - 1] = gradients[met.index(k, t)];
    const std::vector<int> derived = classes_from_gradients(row, par);
    for (int t = 1; t <= met.ntime; ++t) classes[met.index(k, t)] = derived[t - 1];
  }
}

// The result tables of the block's points.
ResultTables create_result_tables(const InputData& in, bool methodology, const PointBlock& block) {
  ResultTables tables;
  const auto first = in.ref_points.begin() + block.first, end = in.ref_points.begin() + block.end;
  const std::size_t points = static_cast<std::size_t>(block.end - block.first);
  if (in.cfg.is_time) {
    const std::size_t outputs = static_cast<std::size_t>(
        std::count_if(first, end, [](const RefPoint& p) { return p.has_hourly_output; }));
    tables.hourly_results = create_hourly_results(static_cast<std::size_t>(in.met.ntime), outputs);
    tables.hourly_sum.assign(points, 0.0);
    tables.hourly_max.assign(points, 0.0);
    if (in.cfg.compliance()) tables.compliance.assign(points * kComplianceCount, 0.0);
  }
  if (methodology) tables.results.assign(static_cast<std::size_t>(kStatCount) * points, 0.0);
  return tables;
}

// The files of all sources, then those of each group, then the summary, in the order they
// are written.
std::vector<std::string> every_result_path(const InputData& in) {
  std::vector<std::string> paths = result_paths(in.cfg);
  for (const SourceGroup& group : in.groups)
    for (const std::string& path : result_paths(group_settings(in.cfg, group.name)))
      paths.push_back(path);
  paths.push_back(summary_path(in.cfg));
  return paths;
}

// Stops when a result file would take the name of another result file of the run: two of
// them renamed to one path would leave a set that is no run's. Paths are compared by the file
// they name, however they are spelt.
void check_result_names(const InputData& in) {
  std::unordered_set<std::string> files;
  const auto take = [&](const std::string& file, const std::string& owner) {
    if (!files.insert(result_identity(file)).second)
      raise_error("Vysledny soubor " + file + owner + " by prepsal jiny vysledny soubor.");
  };
  for (const std::string& file : result_paths(in.cfg)) take(file, "");
  for (const SourceGroup& group : in.groups)
    for (const std::string& file : result_paths(group_settings(in.cfg, group.name)))
      take(file, " skupiny zdroju " + group.name);
  take(summary_path(in.cfg), "");
}

// Writes the files of one set of sources and adds their columns to the summary.
void write_results(const InputData& in, const Settings& cfg, const ResultTables& tables,
                   bool methodology, int counted_days, int threads, ResultSet& set,
                   Summary& summary) {
  if (cfg.is_time) {
    std::vector<RefPoint> outputs;
    for (const RefPoint& p : in.ref_points)
      if (p.has_hourly_output) outputs.push_back(p);
    write_output_time(cfg, outputs, in.met.date, tables.hourly_results, in.met.ntime, &set,
                      threads);
    // Without hours (no source, so no series) the means stay 0 instead of 0 / 0.
    std::vector<double> hourly_mean = tables.hourly_sum;
    if (in.met.ntime > 0)
      for (double& v : hourly_mean) v /= static_cast<double>(in.met.ntime);
    write_time_average(cfg, in.ref_points, hourly_mean, &set);
    write_time_maximum(cfg, in.ref_points, tables.hourly_max, &set);
    summarize_hourly(summary, cfg, in.ref_points, hourly_mean, tables.hourly_max);
    if (cfg.compliance()) {
      write_limits(cfg, in.ref_points, in.met.date, tables.compliance, in.met.ntime, counted_days,
                   &set);
      summarize_compliance(summary, cfg, in.ref_points, tables.compliance, in.met.ntime,
                           counted_days);
    }
  }
  if (methodology) {
    write_output_stat(cfg, in.ref_points, tables.results, &set);
    summarize_statistics(summary, cfg, in.ref_points, tables.results);
  }
}

}  // namespace

bool hourly_results_fit(std::size_t hours, std::size_t outputs) {
  return outputs == 0 || hours <= std::vector<double>().max_size() / outputs;
}

std::vector<double> create_hourly_results(std::size_t hours, std::size_t outputs) {
  const char* const message = "STOP *** Not enough memory to allocate results_t ***\n";
  if (!hourly_results_fit(hours, outputs)) throw RunError(message, true);
  try {
    return std::vector<double>(hours * outputs, 0.0);
  } catch (const std::bad_alloc&) {
    throw RunError(message, true);
  }
}

namespace {

// One step of the run on every process: a failure in any of them stops all of them with the
// message of the first failing one.
template <class Step>
void on_every_process(Processes& processes, Step&& step) {
  std::exception_ptr failure;
  try {
    step();
  } catch (...) {
    failure = std::current_exception();
  }
  processes.agree(failure);
}

}  // namespace

void run_sequence(const std::vector<std::string>& args, std::ostream& out, std::ostream& /*err*/,
                  const std::string& program, Processes& processes, ProgressLine& progress,
                  const Embedding& embedding) {
  const std::string usage =
      "Pouziti programu:\n" + program + " <soubor se vstupnimi parametry> [<pocet vlaken>]";
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << free_form_line(usage)
        << "  <soubor se vstupnimi parametry>  konfigurace vypoctu, skupina &init ... /\n"
        << "  <pocet vlaken>                   pocet vypocetnich vlaken (vychozi: pocet logickych "
           "procesoru)\n";
    return;
  }
  if (args.size() == 1 && args[0] == "--version") {
    out << "kadre " << kVersion << "\n";
    return;
  }
  print_banner(out);
  if (args.empty() || args.size() > 2) stop_with_lines({usage});
  // A relative configuration path starts from the base directory, as the others do.
  const std::string path_file = embedding.base_dir.empty() || args[0].empty() || args[0][0] == '/'
                                    ? args[0]
                                    : embedding.base_dir + args[0];
  const int threads = thread_count(args, omp_get_max_threads());

  InputData in;
  ModelParams par;
  std::vector<PointBlock> blocks;
  // The tables of all sources, then those of each group, for this process's points.
  std::vector<ResultTables> tables;
  WindClasses wind;
  CompliancePlan compliance;
  on_every_process(processes, [&] {
    in = read_input_data(path_file, out, embedding.base_dir);
    derive_heat_output(in.sources, in.cfg.tep_vyd_type);
    par = read_param(in.cfg);
    if (in.cfg.is_time && in.cfg.is_tep_gr && in.met.met_num() >= 1) {
      derive_stability_classes(par, in.met, false);
      if (in.cfg.inverze) derive_stability_classes(par, in.met, true);
    }
    check_nodata_paths(in, threads);
    check_result_names(in);
    blocks = processes.size() == 1 ? std::vector<PointBlock>{whole_run(in.ref_points)}
                                   : point_blocks(in, processes.size());
    // The first process's block comes first: its tables are those of the whole run, which
    // the others' parts fill after the computation.
    const PointBlock tables_block = processes.first()
                                        ? whole_run(in.ref_points)
                                        : blocks[static_cast<std::size_t>(processes.rank())];
    for (std::size_t set = 0; set <= in.groups.size(); ++set)
      tables.push_back(create_result_tables(in, in.cfg.methodology(), tables_block));
    if (in.cfg.methodology()) wind = u_range_gen(in.cfg.is_max_abs, par);
    if (in.cfg.compliance()) compliance = make_compliance_plan(in.cfg, in.met, in.background);
  });
  const Settings& cfg = in.cfg;
  const bool methodology = cfg.methodology();

  if (!methodology && !cfg.is_time) {
    out << "\n"
        << free_form_line(
               "Nebyl zapnut zadny vypocet. Zkontrolujte prislusne promenne v konfiguracnim "
               "souboru.")
        << free_form_line(
               "Vypoct casove rady se zapina pomoci is_time, vypocet dle metodiky pak promennymi "
               "is_average, is_max_abs, is_max_11, is_daily nebo is_exceed = .TRUE.")
        << free_form_line("Konec programu.");
    return;
  }

  // The result directories belong to this run until its files are in place, and a result
  // file that cannot be written stops the run before minutes of computing.
  ResultDirLocks locks;
  on_every_process(processes, [&] {
    stop_if_terminated();
    if (!processes.first()) return;
    for (const std::string& path : every_result_path(in)) {
      locks.take_for(path, out);
      check_result_path(path);
    }
    // A NetCDF hourly file needs libnetcdf and calendar hours.
    if (cfg.is_time)
      for (std::size_t set = 0; set <= in.groups.size(); ++set)
        for (const char* prefix : {"", "avg_", "max_"})
          check_netcdf_result(
              hourly_path(set == 0 ? cfg : group_settings(cfg, in.groups[set - 1].name), prefix),
              in.met.date, in.met.ntime);
  });

  const auto start = std::chrono::steady_clock::now();
  out << free_form_line("Vypocet koncentraci") << std::flush;
  std::exception_ptr failure;
  int finished_here = 0;
  // What the computation reads; kept for the check of the results before they are written.
  std::optional<ModelContext> ctx;
  ClassSpeedIndex class_index;
  HourlySituations hourly;
  FullRiseHeights full_rise, rose_full_rise;
  LineSpreads rose_line_spreads;
  std::optional<LoopInputs> inputs;
  try {
    ModelOptions options = model_options(cfg);
    options.kernels = embedding.kernels;
    ctx.emplace(options, par, in.terrain, in.climate, in.sources);
    if (methodology) {
      class_index = make_class_speed_index(wind, par);
      if (embedding.kernels == KernelPath::vector) {
        rose_full_rise = rose_full_rise_heights(*ctx, in.sources, wind);
        rose_line_spreads = line_spreads(par, in.sources, cfg.nphi, cfg.phi_step);
      }
    }
    if (cfg.is_time) {
      hourly = find_hourly_situations(cfg, in.met);
      if (embedding.kernels == KernelPath::vector)
        full_rise = full_rise_heights(*ctx, in.sources, in.met, hourly, cfg.u_height);
    }
    inputs.emplace(LoopInputs{in, *ctx, wind, methodology ? &class_index : nullptr,
                              parse_daily_type(cfg.daily_type), methodology, &hourly,
                              cfg.compliance() ? &compliance : nullptr, &full_rise, &rose_full_rise,
                              &rose_line_spreads});
    compute_reference_points(*inputs, blocks[static_cast<std::size_t>(processes.rank())], tables,
                             threads, processes, finished_here, progress);
  } catch (...) {
    failure = std::current_exception();
  }
  const int total = static_cast<int>(in.ref_points.size());
  const int finished = processes.finish_progress(finished_here, total, progress);
  progress.finish(finished, total);
  // The message of a stop starts on a line of its own, not behind the progress.
  if (!processes.any(failure != nullptr) || finished > 0) out << "\n";
  processes.agree(failure);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  out << format_f15_2(static_cast<float>(elapsed.count())) << " s\n";
  out << free_form_line("Vypis vysledku") << std::flush;

  gather_tables(in, methodology, blocks, tables, processes);
  std::vector<std::string> summary_lines;
  on_every_process(processes, [&] {
    if (!processes.first()) return;
    check_finite_results(*inputs, tables);
    ResultSet set;
    Summary summary;
    const int counted_days = static_cast<int>(compliance.counted_days.size());
    write_results(in, cfg, tables[0], methodology, counted_days, threads, set, summary);
    for (std::size_t g = 0; g < in.groups.size(); ++g)
      write_results(in, group_settings(cfg, in.groups[g].name), tables[g + 1], methodology,
                    counted_days, threads, set, summary);
    summary_lines = summary.lines(in.ref_points, result_delimiter(cfg.delim_out));
    write_summary(cfg, summary_lines, &set);
    set.commit();
  });
  for (const std::string& path : every_result_path(in))
    out << free_form_line("  zapsan soubor " + path);
  for (const std::string& line : summary_lines) out << free_form_line(line);
  if (embedding.results != nullptr && processes.first()) {
    RunResults& r = *embedding.results;
    r.cfg = in.cfg;
    r.ref_points = in.ref_points;
    r.date = in.met.date;
    r.groups.clear();
    for (const SourceGroup& group : in.groups) r.groups.push_back(group.name);
    r.counted_days = static_cast<int>(compliance.counted_days.size());
    r.tables = std::move(tables);
    if (in.met.ntime > 0)
      for (ResultTables& t : r.tables)
        for (double& v : t.hourly_sum) v /= static_cast<double>(in.met.ntime);
  }
}

}  // namespace kadre

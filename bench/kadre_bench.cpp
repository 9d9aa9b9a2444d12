// Benchmark of the whole program on synthetic cases: generates the case, runs it through
// kadre::run in the case directory, and reports the wall time and the work done per second;
// the two large cases report the reading of the inputs and the peak resident memory.
//
//   kadre_bench [stat|hourly|peer|scale|terrain|groups|mpi|limits|all] [--quick] [--threads N]
//   [--dir PATH] [--points N]
//
// The statistical and hourly cases also run on one thread with the vector kernels and with
// the scalar formulas (KADRE_SIMD=scalar), and the statistical case on two threads; the hourly
// table of every point of the hourly case is written on its own. The bench starts with the
// line simd_target= and ends with the lines stat_evals_per_cpu_s=, stat_simd_over_scalar=,
// hourly_spph_per_cpu_s=, hourly_simd_over_scalar=, threads2_over_threads1=, write_mb_per_s=
// and peer_srh_per_cpu_s=; where NetCDF is built, the hourly case also writes its hourly files
// as NetCDF: netcdf_write_over_csv= compares the writing times.
//
// A run shorter than kShortRun is repeated and the best of kRepeats taken: what else runs on
// the machine only ever slows a run down, so the best is the figure that repeats.
#include <malloc.h>
#include <omp.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "bench_case.h"
#include "core/character_sink.h"
#include "driver/run.h"
#include "init/ref_points_reader.h"
#include "init/terrain_reader.h"
#include "model/kernel_path.h"
#include "output/netcdf_output.h"
#include "work_count.h"
#include "write_table.h"

namespace fs = std::filesystem;
using kadre::bench::CaseSize;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  bool statistical = true, hourly = true, peer = true, scale = true, terrain = true, groups = true,
       mpi = true, limits = true;
  bool quick = false;  // small statistical and hourly cases only, about a minute in all
  int threads = 0;     // 0: the program's default
  fs::path dir = KADRE_BENCH_OUT_DIR;
  int points = 0;  // 0: the case's own size
};

// The figures of the kernels, printed at the end; negative where not measured.
struct KernelFigures {
  double stat_evals_per_cpu_s = -1, stat_simd_over_scalar = -1;
  double hourly_spph_per_cpu_s = -1, hourly_simd_over_scalar = -1;
  double netcdf_write_over_csv = -1;
  double threads2_over_threads1 = -1;
  double write_mb_per_s = -1, peer_srh_per_cpu_s = -1;
};

constexpr int kRepeats = 5;
constexpr double kShortRun = 20.0;  // [s] of wall time; a longer run evens out on its own
// Writing the table takes a hundredth of a second: its best of few runs still varies by a tenth.
constexpr int kWriteRepeats = 15;

CaseSize statistical_size() {
  CaseSize s;
  s.receptors_x = s.receptors_y = 50;
  s.cluster_stacks = 4;
  s.cooling_towers = 1;
  s.stacks = 21;
  s.areas = 12;
  s.lines = 12;
  return s;
}

CaseSize hourly_size() {
  CaseSize s;
  s.receptors_x = 20;
  s.receptors_y = 10;
  s.cluster_stacks = 3;
  s.stacks = 7;
  s.areas = 5;
  s.lines = 5;
  s.hours = 8760;
  return s;
}

// A square grid of about `points` reference points instead of the case's own.
void resize(CaseSize& size, int points) {
  if (points <= 0) return;
  size.receptors_x = size.receptors_y =
      std::max(1, static_cast<int>(std::lround(std::sqrt(points))));
}

void usage() {
  std::cerr
      << "usage: kadre_bench [stat|hourly|peer|scale|terrain|groups|mpi|limits|all] [--quick] "
         "[--threads N] [--dir PATH] [--points N]\n"
         "  stat     statistical case (wind roses, every indicator on)\n"
         "  hourly   hourly case (8760 hours, inversions) and the writing of its table\n"
         "  peer     10 stacks, a 41x41 lattice at 100 m, 8760 hours, flat terrain\n"
         "  scale    200000 reference points, 50000 with hourly output, 4000x4000 terrain\n"
         "  terrain  8000x8000 terrain grid, one point and one source\n"
         "  groups   the statistical case (600 points) without and with 5 source groups\n"
         "  mpi      the statistical case (300 points) under mpirun with 1 and 2 processes\n"
         "  limits   the hourly case without and with every limit, then 100489 points over\n"
         "           8760 hours with every limit (minutes; left out by --quick)\n"
         "  --quick  the statistical and hourly cases only, small (a minute or two)\n"
         "  --threads N  worker threads (default: the program's default)\n"
         "  --dir PATH   where the cases are written (default " KADRE_BENCH_OUT_DIR
         ")\n"
         "  --points N   about N reference points instead of the case's own number\n";
}

bool positive(const std::string& s, int& value) {
  try {
    std::size_t used = 0;
    value = std::stoi(s, &used);
    return used == s.size() && value > 0;
  } catch (const std::exception&) {
    return false;
  }
}

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "stat" || a == "hourly" || a == "peer" || a == "scale" || a == "terrain" ||
        a == "groups" || a == "mpi" || a == "limits" || a == "all") {
      o.statistical = a == "stat" || a == "all";
      o.hourly = a == "hourly" || a == "all";
      o.peer = a == "peer" || a == "all";
      o.scale = a == "scale" || a == "all";
      o.terrain = a == "terrain" || a == "all";
      o.groups = a == "groups" || a == "all";
      o.mpi = a == "mpi" || a == "all";
      o.limits = a == "limits" || a == "all";
    } else if (a == "--quick") {
      o.quick = true;
    } else if (a == "--threads" && has_value) {
      if (!positive(argv[++i], o.threads)) return false;
    } else if (a == "--points" && has_value) {
      if (!positive(argv[++i], o.points)) return false;
    } else if (a == "--dir" && has_value) {
      o.dir = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

// Returns to the previous working directory at the end of the scope.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const fs::path& dir) : previous_(fs::current_path()) {
    fs::current_path(dir);
  }
  ~WorkingDirectory() { fs::current_path(previous_); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  fs::path previous_;
};

// The computing time the program prints itself (the line "<seconds> s"), -1 if absent.
double reported_seconds(const std::string& console) {
  std::istringstream lines(console);
  std::string line;
  double seconds = -1;
  while (std::getline(lines, line)) {
    double value = 0;
    char unit[4] = {};
    if (std::sscanf(line.c_str(), " %lf %3s", &value, unit) == 2 && std::string(unit) == "s")
      seconds = value;
  }
  return seconds;
}

// The console of a run as a terminal shows it (a carriage return goes back to the start of
// the line, so the progress line does not pile up), and the moment the line announcing the
// computation was written: everything before it is the reading of the inputs.
class Console : public kadre::CharacterSink {
 public:
  const std::string& text() const { return text_; }
  bool computing() const { return computing_; }
  bool writing() const { return writing_; }
  Clock::time_point writing_start() const { return writing_start_; }
  Clock::time_point computation_start() const { return computation_start_; }

 private:
  void put(char c) override {
    if (c == '\r') {
      text_.resize(line_start_);
      return;
    }
    text_ += c;
    if (c != '\n') return;
    if (!computing_ && text_.find(" Vypocet koncentraci", line_start_) != std::string::npos) {
      computing_ = true;
      computation_start_ = Clock::now();
    }
    if (!writing_ && text_.find(" Vypis vysledku", line_start_) != std::string::npos) {
      writing_ = true;
      writing_start_ = Clock::now();
    }
    line_start_ = text_.size();
  }

  std::string text_;
  std::size_t line_start_ = 0;
  bool computing_ = false;
  Clock::time_point computation_start_;
  bool writing_ = false;
  Clock::time_point writing_start_;
};

struct Timing {
  double wall = 0, computation = 0;
  double cpu = 0;       // CPU time of the process during the run
  double reading = -1;  // from the start to the computation, -1 if it never started
  double writing = -1;  // from the line announcing the result files to the end
};

// CPU time of the whole process [s].
double process_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Says every 15 s that a run still goes on, so that a long bench does not look hung.
class Ticker {
 public:
  explicit Ticker(std::string what) : what_(std::move(what)), start_(Clock::now()) {
    std::printf("  %s ...\n", what_.c_str());
    std::fflush(stdout);
    thread_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      while (!cv_.wait_for(lock, std::chrono::seconds(15), [this] { return done_; })) {
        std::printf("  ... %s: %.0f s so far\n", what_.c_str(),
                    std::chrono::duration<double>(Clock::now() - start_).count());
        std::fflush(stdout);
      }
    });
  }
  ~Ticker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    cv_.notify_one();
    thread_.join();
  }
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;

 private:
  std::string what_;
  Clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

double seconds_since(Clock::time_point start, Clock::time_point end = Clock::now()) {
  return std::chrono::duration<double>(end - start).count();
}

// The kernel path the runs take unless told otherwise: KADRE_SIMD, read as kadre's main reads
// it.
kadre::KernelPath path_from_environment() {
  return kadre::program_kernel_path(std::getenv("KADRE_SIMD"));
}

// Runs the case in its directory on the kernel path; false (after showing the console) when the
// run failed.
bool run_case(const fs::path& dir, int threads, Timing& timing,
              kadre::KernelPath path = path_from_environment()) {
  std::vector<std::string> args{kadre::bench::kRunConfig};
  if (threads > 0) args.push_back(std::to_string(threads));
  Console buffer;
  std::ostream console(&buffer);
  const Clock::time_point start = Clock::now();
  const double cpu_start = process_cpu_seconds();
  kadre::Embedding embedding;
  embedding.kernels = path;
  const int status =
      kadre::run(args, console, console, "kadre", kadre::single_process(), embedding);
  timing.cpu = process_cpu_seconds() - cpu_start;
  const Clock::time_point end = Clock::now();
  timing.wall = seconds_since(start, end);
  if (status != 0) {
    std::cout << buffer.text() << "\nkadre stopped with status " << status << " in " << dir << "\n";
    return false;
  }
  timing.computation = reported_seconds(buffer.text());
  if (buffer.computing()) timing.reading = seconds_since(start, buffer.computation_start());
  if (buffer.writing()) timing.writing = seconds_since(buffer.writing_start(), end);
  return true;
}

// Starts a new peak of the resident memory at its present size, after handing the memory
// the case generator freed back to the system; false where the kernel does not allow it.
bool reset_peak_rss() {
  malloc_trim(0);
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  const bool written = std::fputs("5", f) >= 0;
  return std::fclose(f) == 0 && written;
}

// Peak resident memory of the process [MB of 10^6 bytes] (VmHWM, in kB).
double peak_rss_mb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
  std::fclose(f);
  return kb < 0 ? -1 : kb * 1024.0 / 1e6;
}

// A run of a case with a fresh peak of resident memory.
struct MeasuredRun {
  Timing timing;
  double peak_mb = -1;
  bool peak_reset = false;
};

bool run_measured(const fs::path& dir, int threads, MeasuredRun& m) {
  m.peak_reset = reset_peak_rss();
  if (!run_case(dir, threads, m.timing)) return false;
  m.peak_mb = peak_rss_mb();
  return true;
}

void print_line(const char* label, const std::string& value) {
  std::printf("  %-36s %s\n", label, value.c_str());
}

std::string number(const char* format, double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}

void print_timing(const Timing& t) {
  print_line("wall time of the run:", number("%.2f s", t.wall));
  print_line("computation (the program's clock):", number("%.2f s", t.computation));
}

void print_peak(double mb, bool reset) {
  if (!reset) print_line("peak not reset, it includes:", "the bench's own earlier peak");
  std::printf("peak_rss_mb=%.1f\n", mb);
}

// The time of flagging the listed output points among all reference points: the points are
// read again after the run and only the lookup is timed.
double lookup_seconds() {
  kadre::TerrainGrid grid;
  kadre::read_terrain_definition("input/terrain.asc", grid);
  std::ostringstream discard;
  std::vector<kadre::RefPoint> points =
      kadre::read_ref_points("input/receptors.txt", grid, discard);
  const Clock::time_point start = Clock::now();
  kadre::read_output_ref_p("input/output_points.txt", points);
  return seconds_since(start);
}

// The statistical case written into o.dir / name, with o.points or default_points points (0:
// its own number).
CaseSize write_statistical(const Options& o, const char* name, int default_points) {
  CaseSize size = statistical_size();
  resize(size, o.points > 0 ? o.points : default_points);
  kadre::bench::write_statistical_case(o.dir / name, size, KADRE_PARAM_NML);
  return size;
}

// Runs of the case in the working directory with a progress ticker, each with its timing:
// kRepeats of them while they are short, and the best wall and CPU time of them in `best`;
// false when one failed.
bool timed_run(const fs::path& dir, int threads, bool scalar, const char* what, Timing& best) {
  const std::string label =
      std::string(what) + (scalar ? ", scalar formulas (KADRE_SIMD=scalar)" : ", vector kernels") +
      ", " + std::to_string(threads) + (threads == 1 ? " thread" : " threads");
  const kadre::KernelPath path = scalar ? kadre::KernelPath::scalar : path_from_environment();
  for (int r = 1; r <= kRepeats; ++r) {
    Timing t;
    {
      Ticker ticker(label + ", run " + std::to_string(r));
      if (!run_case(dir, threads, t, path)) return false;
    }
    print_timing(t);
    if (r == 1) best = t;
    best.wall = std::min(best.wall, t.wall);
    best.cpu = std::min(best.cpu, t.cpu);
    best.computation = std::min(best.computation, t.computation);
    if (t.wall >= kShortRun) break;
  }
  return true;
}

bool statistical_case(const Options& o, KernelFigures& k) {
  const CaseSize size = write_statistical(o, "stat", o.quick ? 300 : 0);
  const fs::path dir = o.dir / "stat";
  std::printf("== statistical case: %d reference points, %d sources, phi_step 1 ==\n",
              size.receptors(), size.sources());
  std::fflush(stdout);
  WorkingDirectory in_case(dir);
  const kadre::bench::WorkCount work = kadre::bench::count_work(kadre::bench::kRunConfig, 2);
  const double evaluations = static_cast<double>(work.sector_evaluations);
  print_line("pairs within the influence distance:",
             number("%.0f", static_cast<double>(work.pairs)));
  print_line("in-sector situation evaluations:", number("%.0f", evaluations));
  Timing one, two, scalar;
  if (!timed_run(dir, 1, false, "statistical case", one)) return false;
  print_line("evaluations per CPU second:", number("%.4g", evaluations / one.cpu));
  if (!timed_run(dir, 2, false, "statistical case", two)) return false;
  print_line("evaluations per second (wall):", number("%.4g", evaluations / two.wall));
  if (!timed_run(dir, 1, true, "statistical case", scalar)) return false;
  k.stat_evals_per_cpu_s = evaluations / one.cpu;
  k.stat_simd_over_scalar = scalar.cpu / one.cpu;
  k.threads2_over_threads1 = one.wall / two.wall;
  return true;
}

bool hourly_case(const Options& o, KernelFigures& k) {
  CaseSize size = hourly_size();
  resize(size, o.points > 0 ? o.points : (o.quick ? 100 : 0));
  const fs::path dir = o.dir / "hourly";
  kadre::bench::write_hourly_case(dir, size, KADRE_PARAM_NML);
  std::printf("== hourly case: %d reference points, %d sources, %d hours ==\n", size.receptors(),
              size.sources(), size.hours);
  std::fflush(stdout);
  WorkingDirectory in_case(dir);
  const kadre::bench::WorkCount work = kadre::bench::count_work(kadre::bench::kRunConfig, 2);
  const double hours = static_cast<double>(work.source_point_hours());
  print_line("pairs within the influence distance:",
             number("%.0f", static_cast<double>(work.pairs)));
  print_line("source-point-hours:", number("%.0f", hours));
  Timing vector, scalar;
  if (!timed_run(dir, 1, false, "hourly case", vector)) return false;
  print_line("source-point-hours per CPU second:", number("%.4g", hours / vector.cpu));
  if (!timed_run(dir, 1, true, "hourly case", scalar)) return false;
  k.hourly_spph_per_cpu_s = hours / vector.cpu;
  k.hourly_simd_over_scalar = scalar.cpu / vector.cpu;
  if (kadre::netcdf_available()) {
    // The same run with its hourly files as NetCDF; the configuration is restored after it.
    const std::string config = [] {
      std::ifstream in(kadre::bench::kRunConfig);
      return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const std::size_t at = config.find("'hourly.csv'");
    if (at == std::string::npos) throw std::runtime_error("hourly.csv missing in the bench case");
    std::ofstream(kadre::bench::kRunConfig)
        << config.substr(0, at) << "'hourly.nc'" << config.substr(at + 12);
    Timing netcdf;
    const bool ok = timed_run(dir, 1, false, "hourly case as NetCDF", netcdf);
    std::ofstream(kadre::bench::kRunConfig) << config;
    if (!ok) return false;
    print_line("writing the result files, CSV:", number("%.2f s", vector.writing));
    print_line("writing the result files, NetCDF:", number("%.2f s", netcdf.writing));
    k.netcdf_write_over_csv = netcdf.writing / vector.writing;
  }

  // The table of every point of the case, formatted and written on one thread; several
  // repetitions, since one takes a fraction of a second. The figure is per CPU second, as the
  // others: on an idle machine the wall time is the same (the file goes to the page cache),
  // on a busy one it is not the writer's.
  std::printf("== writing the hourly table of all %d points, %d hours, 1 thread ==\n",
              size.receptors(), size.hours);
  const kadre::bench::WriteTiming w =
      kadre::bench::time_hourly_table(o.dir / "write", size.receptors(), size.hours, kWriteRepeats);
  print_line("table size:", number("%.1f MB", w.megabytes));
  const std::string best = "best of " + std::to_string(kWriteRepeats);
  print_line((best + ", wall:").c_str(), number("%.3f s", w.wall));
  print_line((best + ", CPU:").c_str(), number("%.3f s", w.cpu));
  k.write_mb_per_s = w.megabytes / w.cpu;
  return true;
}

// The geometry of a common public comparison: every stack reaches every point of a small
// lattice, hour by hour for a year.
bool peer_case(const Options& o, KernelFigures& k) {
  const fs::path dir = o.dir / "peer";
  kadre::bench::write_peer_case(dir, KADRE_PARAM_NML);
  std::printf(
      "== peer case: 41x41 lattice at 100 m, 10 stacks of 20-100 m, 8760 hours, flat terrain "
      "==\n");
  std::fflush(stdout);
  WorkingDirectory in_case(dir);
  const kadre::bench::WorkCount work = kadre::bench::count_work(kadre::bench::kRunConfig, 2);
  const double srh = static_cast<double>(work.source_point_hours());
  print_line("pairs within the influence distance:",
             number("%.0f", static_cast<double>(work.pairs)));
  print_line("source-receptor-hours:", number("%.0f", srh));
  Timing vector;
  if (!timed_run(dir, 1, false, "peer case", vector)) return false;
  k.peer_srh_per_cpu_s = srh / vector.cpu;
  return true;
}

bool scale_case(const Options& o, int threads) {
  CaseSize size;
  size.stacks = 60;
  size.areas = 20;
  size.lines = 20;
  size.hours = 48;
  const int points = o.points > 0 ? o.points : 200000, listed = std::max(1, points / 4),
            cells = 4000;
  const fs::path dir = o.dir / "scale";
  kadre::bench::write_scale_case(dir, size, points, listed, cells, KADRE_PARAM_NML);
  std::printf(
      "== scale case: %d reference points (%d listed for the hourly table), %d sources, %d hours, "
      "%dx%d terrain, %d threads ==\n",
      points, listed, size.sources(), size.hours, cells, cells, threads);
  std::fflush(stdout);
  WorkingDirectory in_case(dir);
  MeasuredRun m;
  if (!run_measured(dir, o.threads, m)) return false;
  const double lookup = lookup_seconds();
  print_timing(m.timing);
  print_line("reading the inputs (with lookup):", number("%.2f s", m.timing.reading));
  print_line("output-point lookup:", number("%.2f s", lookup));
  print_peak(m.peak_mb, m.peak_reset);
  return true;
}

// The statistical case run without groups and with five overlapping groups (every source in
// one or two of them): what the groups' tables and statistics cost.
bool groups_case(const Options& o, int threads) {
  const CaseSize size = write_statistical(o, "groups", 600);
  const fs::path dir = o.dir / "groups";
  std::printf(
      "== groups case: the statistical case with %d reference points, %d sources, %d threads ==\n",
      size.receptors(), size.sources(), threads);
  std::fflush(stdout);
  WorkingDirectory in_case(dir);
  Timing none, five;
  if (!run_case(dir, o.threads, none)) return false;
  std::ifstream sources("input/sources.txt");
  std::vector<std::string> members(5);
  int k = 0;
  for (std::string line; std::getline(sources, line);) {
    if (line.empty() || line[0] == '!') continue;
    const std::string id = line.substr(0, line.find(' '));
    members[static_cast<std::size_t>(k % 5)] += " " + id;
    if (k % 2 == 0) members[static_cast<std::size_t>((k + 1) % 5)] += " " + id;
    ++k;
  }
  std::ofstream groups("input/groups.txt");
  for (int g = 0; g < 5; ++g)
    groups << "G" << g + 1 << members[static_cast<std::size_t>(g)] << "\n";
  groups.close();
  std::ifstream config_in(kadre::bench::kRunConfig);
  std::string config((std::istreambuf_iterator<char>(config_in)), std::istreambuf_iterator<char>());
  config.insert(config.rfind('/'), "  groups_file = 'groups.txt'\n");
  std::ofstream(kadre::bench::kRunConfig) << config;
  if (!run_case(dir, o.threads, five)) return false;
  print_line("wall time without groups:", number("%.2f s", none.wall));
  print_line("wall time with 5 groups:", number("%.2f s", five.wall));
  std::printf("groups5_over_none=%.3f\n", five.wall / none.wall);
  return true;
}

// The statistical case run by the program under mpirun with one process and with two, one
// thread each: how the run scales across processes.
bool mpi_case(const Options& o) {
  const CaseSize size = write_statistical(o, "mpi", 300);
  const fs::path dir = o.dir / "mpi";
  std::printf(
      "== mpi case: the statistical case with %d reference points, %d sources, 1 thread per "
      "process ==\n",
      size.receptors(), size.sources());
  std::fflush(stdout);
  double wall[2] = {0, 0};
  for (int np = 1; np <= 2; ++np) {
    const std::string command = "cd '" + dir.string() +
                                "' && mpirun --allow-run-as-root --oversubscribe -np " +
                                std::to_string(np) + " '" KADRE_PROGRAM "' " +
                                kadre::bench::kRunConfig + " 1 > console.txt 2>&1";
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) {
      std::printf("  mpirun did not run the case (is kadre built with MPI?): see %s/console.txt\n",
                  dir.c_str());
      return true;
    }
    wall[np - 1] = seconds_since(start);
  }
  print_line("wall time with 1 process:", number("%.2f s", wall[0]));
  print_line("wall time with 2 processes:", number("%.2f s", wall[1]));
  std::printf("mpi2_over_mpi1=%.3f\n", wall[0] / wall[1]);
  return true;
}

// Appends a limits group with every limit (and a constant background) to the case's
// configuration.
void add_every_limit() {
  std::ofstream(kadre::bench::kRunConfig, std::ios::app)
      << "&limits background = 20, hour_limit = 200, hour_allowed = 18, day_limit = 50,\n"
         "  day_allowed = 35, year_limit = 40 /\n";
}

// The hourly case without and with every limit (each run three times, alternately; the
// least CPU time counts, as the machine's load varies from run to run), then, unless quick,
// 100489 points over 8760 hours from one stack with every limit and hourly output at two
// points: its peak memory shows that no table of hours x points is made.
bool limits_case(const Options& o, int threads) {
  CaseSize size = hourly_size();
  resize(size, o.points);
  const fs::path dir = o.dir / "limits";
  kadre::bench::write_hourly_case(dir, size, KADRE_PARAM_NML);
  std::printf(
      "== limits case: the hourly case with %d reference points, %d sources, %d hours, "
      "%d threads ==\n",
      size.receptors(), size.sources(), size.hours, threads);
  std::fflush(stdout);
  {
    WorkingDirectory in_case(dir);
    const std::string plain = [] {
      std::ifstream in(kadre::bench::kRunConfig);
      return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    double none = 1e300, every = 1e300;
    for (int round = 0; round < 3; ++round) {
      Timing t;
      std::ofstream(kadre::bench::kRunConfig) << plain;
      if (!timed_run(dir, threads, false, "hourly case without limits", t)) return false;
      none = std::min(none, t.cpu);
      add_every_limit();
      if (!timed_run(dir, threads, false, "hourly case with every limit", t)) return false;
      every = std::min(every, t.cpu);
    }
    print_line("CPU time without limits:", number("%.2f s", none));
    print_line("CPU time with every limit:", number("%.2f s", every));
    std::printf("limits_over_none=%.3f\n", every / none);
  }
  if (o.quick) return true;

  CaseSize large;
  large.receptors_x = large.receptors_y = 317;
  large.stacks = 1;
  large.hours = 8760;
  const fs::path large_dir = o.dir / "limits_large";
  kadre::bench::write_hourly_case(large_dir, large, KADRE_PARAM_NML);
  std::printf(
      "== limits case: %d reference points, %d source, %d hours, every limit, %d threads "
      "==\n",
      large.receptors(), large.sources(), large.hours, threads);
  std::fflush(stdout);
  WorkingDirectory in_case(large_dir);
  add_every_limit();
  MeasuredRun m;
  {
    Ticker ticker("large limits case");
    if (!run_measured(large_dir, o.threads, m)) return false;
  }
  print_timing(m.timing);
  print_peak(m.peak_mb, m.peak_reset);
  return true;
}

bool terrain_case(const Options& o, int threads) {
  const int cells = 8000;
  const fs::path dir = o.dir / "terrain";
  const fs::path grid = kadre::bench::write_terrain_case(dir, cells, KADRE_PARAM_NML);
  const double megabytes = static_cast<double>(fs::file_size(grid)) / 1e6;
  std::printf(
      "== terrain case: %dx%d grid (%.0f MB), 1 reference point, 1 source, average only, "
      "%d threads ==\n",
      cells, cells, megabytes, threads);
  std::fflush(stdout);
  WorkingDirectory in_case(dir);
  MeasuredRun m;
  if (!run_measured(dir, o.threads, m)) return false;
  print_timing(m.timing);
  print_line("reading the inputs:", number("%.2f s", m.timing.reading));
  std::printf("read_mb_per_s=%.1f\n", megabytes / m.timing.reading);
  print_peak(m.peak_mb, m.peak_reset);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    usage();
    return 2;
  }
  const int threads = o.threads > 0 ? o.threads : omp_get_max_threads();
  try {
    o.dir = fs::absolute(o.dir);
    std::printf("simd_target=%s\n", kadre::kernel_target(path_from_environment()));
    KernelFigures k;
    if (o.statistical && !statistical_case(o, k)) return 1;
    if (o.hourly && !hourly_case(o, k)) return 1;
    if (!o.quick) {
      if (o.peer && !peer_case(o, k)) return 1;
      if (o.scale && !scale_case(o, threads)) return 1;
      if (o.terrain && !terrain_case(o, threads)) return 1;
      if (o.groups && !groups_case(o, threads)) return 1;
      if (o.mpi && !mpi_case(o)) return 1;
      if (o.limits && !limits_case(o, threads)) return 1;
    } else if (o.limits && !o.statistical && !o.hourly) {
      // Asked for on its own: the ratio without the large case.
      if (!limits_case(o, threads)) return 1;
    }
    if (o.statistical) {
      std::printf("stat_evals_per_cpu_s=%.4g\n", k.stat_evals_per_cpu_s);
      std::printf("stat_simd_over_scalar=%.3f\n", k.stat_simd_over_scalar);
    }
    if (o.hourly) {
      std::printf("hourly_spph_per_cpu_s=%.4g\n", k.hourly_spph_per_cpu_s);
      std::printf("hourly_simd_over_scalar=%.3f\n", k.hourly_simd_over_scalar);
      if (k.netcdf_write_over_csv >= 0)
        std::printf("netcdf_write_over_csv=%.3f\n", k.netcdf_write_over_csv);
    }
    if (o.statistical) std::printf("threads2_over_threads1=%.3f\n", k.threads2_over_threads1);
    if (o.hourly) std::printf("write_mb_per_s=%.1f\n", k.write_mb_per_s);
    if (o.peer && !o.quick) std::printf("peer_srh_per_cpu_s=%.4g\n", k.peer_srh_per_cpu_s);
  } catch (const std::exception& e) {
    std::cerr << "kadre_bench: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

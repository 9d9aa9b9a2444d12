// Benchmark of the whole program on two synthetic cases: generates the case, runs it through
// kadre::run in the case directory, and reports the wall time and the work done per second.
//
//   kadre_bench [stat|hourly|all] [--threads N] [--dir PATH] [--points N]
#include <omp.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_case.h"
#include "run.h"
#include "work_count.h"

namespace fs = std::filesystem;
using kadre::bench::CaseSize;

namespace {

struct Options {
  bool statistical = true, hourly = true;
  int threads = 0;  // 0: the program's default
  fs::path dir = KADRE_BENCH_OUT_DIR;
  int points = 0;  // 0: the case's own size
};

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
  size.receptors_x = size.receptors_y = std::max(1, static_cast<int>(std::lround(std::sqrt(points))));
}

void usage() {
  std::cerr << "usage: kadre_bench [stat|hourly|all] [--threads N] [--dir PATH] [--points N]\n"
               "  stat    statistical case (wind roses, every indicator on)\n"
               "  hourly  hourly case (8760 hours, inversions)\n"
               "  --threads N  worker threads (default: the program's default)\n"
               "  --dir PATH   where the cases are written (default " KADRE_BENCH_OUT_DIR ")\n"
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
    if (a == "stat" || a == "hourly" || a == "all") {
      o.statistical = a != "hourly";
      o.hourly = a != "stat";
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
  explicit WorkingDirectory(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
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
    if (std::sscanf(line.c_str(), " %lf %3s", &value, unit) == 2 && std::string(unit) == "s") seconds = value;
  }
  return seconds;
}

struct Timing {
  double wall = 0, computation = 0;
};

// Runs the case in its directory; false (after showing the console) when the run failed.
bool run_case(const fs::path& dir, int threads, Timing& timing) {
  std::vector<std::string> args{kadre::bench::kRunConfig};
  if (threads > 0) args.push_back(std::to_string(threads));
  std::ostringstream console;
  const auto start = std::chrono::steady_clock::now();
  const int status = kadre::run(args, console, console);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (status != 0) {
    std::cout << console.str() << "\nkadre stopped with status " << status << " in " << dir << "\n";
    return false;
  }
  timing.wall = elapsed.count();
  timing.computation = reported_seconds(console.str());
  return true;
}

void print_line(const char* label, const std::string& value) { std::printf("  %-36s %s\n", label, value.c_str()); }

std::string number(const char* format, double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, v);
  return buffer;
}

void print_timing(const Timing& t) {
  print_line("wall time of the run:", number("%.2f s", t.wall));
  print_line("computation (the program's clock):", number("%.2f s", t.computation));
}

bool statistical_case(const Options& o, int threads) {
  CaseSize size = statistical_size();
  resize(size, o.points);
  const fs::path dir = o.dir / "stat";
  kadre::bench::write_statistical_case(dir, size, KADRE_PARAM_NML);
  std::printf("== statistical case: %d reference points, %d sources, phi_step 1, %d threads ==\n",
              size.receptors(), size.sources(), threads);
  std::fflush(stdout);
  WorkingDirectory in_case(dir);
  Timing t;
  if (!run_case(dir, o.threads, t)) return false;
  const kadre::bench::WorkCount work = kadre::bench::count_work(kadre::bench::kRunConfig, threads);
  const double evaluations = static_cast<double>(work.sector_evaluations);
  print_timing(t);
  print_line("pairs within the influence distance:", number("%.0f", static_cast<double>(work.pairs)));
  print_line("in-sector situation evaluations:", number("%.0f", evaluations));
  print_line("evaluations per second (wall):", number("%.4g", evaluations / t.wall));
  print_line("evaluations per second (computation):", number("%.4g", evaluations / t.computation));
  return true;
}

bool hourly_case(const Options& o, int threads) {
  CaseSize size = hourly_size();
  resize(size, o.points);
  const fs::path dir = o.dir / "hourly";
  kadre::bench::write_hourly_case(dir, size, KADRE_PARAM_NML);
  std::printf("== hourly case: %d reference points, %d sources, %d hours, %d threads ==\n", size.receptors(),
              size.sources(), size.hours, threads);
  std::fflush(stdout);
  WorkingDirectory in_case(dir);
  Timing t;
  if (!run_case(dir, o.threads, t)) return false;
  const kadre::bench::WorkCount work = kadre::bench::count_work(kadre::bench::kRunConfig, threads);
  const double hours = static_cast<double>(work.source_point_hours());
  print_timing(t);
  print_line("pairs within the influence distance:", number("%.0f", static_cast<double>(work.pairs)));
  print_line("source-point-hours:", number("%.0f", hours));
  print_line("source-point-hours per second (wall):", number("%.4g", hours / t.wall));
  print_line("source-point-hours per second (comp.):", number("%.4g", hours / t.computation));
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
    if (o.statistical && !statistical_case(o, threads)) return 1;
    if (o.hourly && !hourly_case(o, threads)) return 1;
  } catch (const std::exception& e) {
    std::cerr << "kadre_bench: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

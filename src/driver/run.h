#pragma once
// The whole program as a function: command-line arguments (without the program name),
// console streams, the name the program was called by and the processes of the run; returns
// the exit status.
#include <exception>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/records.h"
#include "core/result_tables.h"
#include "core/settings.h"
#include "driver/processes.h"
#include "model/kernel_path.h"

namespace kadre {

// What the program knows of its console. The defaults are a terminal and the steady clock.
struct ConsoleOptions {
  // Standard output is a terminal: the progress line is rewritten after every point. When
  // it is not (a log file), the line comes at most once per second and at the end.
  bool terminal = true;
  // The clock that paces the progress line when it is no terminal; empty: the steady clock.
  ProgressLine::Clock clock;
};

// The tables of a finished run as its files were written from them, for a caller that embeds
// the program: the settings, the points, the hours' dates, the names of the source groups and
// the tables of all sources, then of each group (hourly_sum holding the means).
struct RunResults {
  Settings cfg;
  std::vector<RefPoint> ref_points;
  std::vector<std::string> date;
  std::vector<std::string> groups;
  std::vector<ResultTables> tables;
  int counted_days = 0;  // calendar days of the compliance values
};

// What a caller adds to a run: the directory its relative paths start from (ending with a
// separator; blank: the working directory, as for the program), so that studies in several
// threads of one process need no change of the working directory; where the tables go after
// the files are written; and what it knows of its console (the program: whether standard
// output is a terminal).
struct Embedding {
  std::string base_dir;
  RunResults* results = nullptr;
  std::string* error_text = nullptr;  // the console text of a stop, as it was printed
  ConsoleOptions console;
  // The path of the direction and hour loops, chosen once by the caller (the program: from
  // KADRE_SIMD); left as it is, the vector kernels where the build has them.
  KernelPath kernels = kernel_path_from(nullptr);
};

// The kernel path the program takes from the environment: simd_setting is KADRE_SIMD
// (nullptr: not set), "scalar" selecting the scalar formulas (kernel_path_from), "avx2" the
// vector kernels on AVX2 at most (limit_vector_kernels_to_avx2).
KernelPath program_kernel_path(const char* simd_setting);

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const std::string& program = "kadre", Processes& processes = single_process(),
        const Embedding& embedding = Embedding{});

// run() as the program kadre makes it (from its main): SIGTERM, SIGINT and SIGHUP are caught
// and a run that saw one ends the process by it. Tests calling run() keep the default actions.
int run_as_program(const std::function<int()>& run);

// The stop a failure makes: a RunError as it is, running out of memory and any other
// exception with their messages.
RunError as_run_error(std::exception_ptr failure);

}  // namespace kadre

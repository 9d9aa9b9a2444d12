#pragma once
// The run sequence: banner, command line, loading, preparation, computation, writing.
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "driver/processes.h"
#include "driver/run.h"

namespace kadre {

// Whether a hourly_results of hours x outputs values can exist at all. There is no other limit:
// the table is created whenever memory allows.
bool hourly_results_fit(std::size_t hours, std::size_t outputs);

// The zeroed hourly table; stops with the hourly_results message on standard error when it cannot
// exist or memory cannot be obtained.
std::vector<double> create_hourly_results(std::size_t hours, std::size_t outputs);

// The whole run of the program called as `program` on these processes, its progress on the
// progress line; stops by throwing RunError.
void run_sequence(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const std::string& program, Processes& processes, ProgressLine& progress,
                  const Embedding& embedding = Embedding{});

}  // namespace kadre

#pragma once
// The run sequence: banner, command line, loading, preparation, computation, writing.
#include <ostream>
#include <string>
#include <vector>

namespace kadre {

// Number of worker threads from the optional second argument (first 3 characters; blank
// counts as absent, then default_threads). Stops with "Neplatna hodnota poctu vlaken."
// when it is not a positive integer.
int thread_count(const std::vector<std::string>& args, int default_threads);

// The whole run; stops by throwing RunError.
void run_sequence(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kadre

#pragma once
// The command line of kadre.
#include <string>
#include <vector>

namespace kadre {

// Number of worker threads from the optional second argument (first 3 characters; blank
// counts as absent, then default_threads). Stops with "Neplatna hodnota poctu vlaken."
// when it is not a positive integer.
int thread_count(const std::vector<std::string>& args, int default_threads);

}  // namespace kadre

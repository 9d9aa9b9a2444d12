#pragma once
// The writing of an hourly table on its own: a table of the hourly case's size, with values
// spread as concentrations are, written through the program's writer on one thread.
#include <filesystem>

namespace kadre::bench {

struct WriteTiming {
  double megabytes = 0;      // size of the table [10^6 bytes]
  double wall = 0, cpu = 0;  // the best of the repetitions, each [s]
};

// Writes the table of `points` points and `hours` hours into dir `repeats` times.
WriteTiming time_hourly_table(const std::filesystem::path& dir, int points, int hours, int repeats);

}  // namespace kadre::bench

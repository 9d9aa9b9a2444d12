#pragma once
// Wind roses: one file per meteorological series, frequencies in percent of the year per
// file direction and situation class, resampled to the model's sectors.
#include <ostream>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"

namespace kadre {

// Reads the rose of every series (the path with "_" + series name, see path_with_name),
// spreads the calm and resamples it to cfg.nphi sectors of cfg.phi_step degrees as
// fractions of the year. Stops on a missing or unreadable file and on a negative frequency;
// warns on out when a file's frequencies with calms are more than 1 % away from 100 %.
WindRoses read_wind_roses(const std::string& path, const Settings& cfg,
                          const std::vector<std::string>& met_name, std::ostream& out);

// Spreads the calm of each class over its directions in equal parts.
// rose_in: (n_dir + 1) x nclass, direction fastest, the calm last in each class;
// rose_without_calm: resized to n_dir x nclass.
void spread_calm(int nclass, int n_dir, const std::vector<double>& rose_in,
                 std::vector<double>& rose_without_calm);

}  // namespace kadre

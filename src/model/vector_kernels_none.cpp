// A build without Highway: the scalar formulas do all the work. kernel_path_from never
// chooses the vector path here; a kernel called all the same stops the run with an internal
// error rather than leave its lanes unset or report them decided.
#include <stdexcept>
#include <string>

#include "model/hourly_kernel.h"
#include "model/kernel_path.h"
#include "model/rose_kernel.h"
#include "model/wind_kernel.h"

namespace kadre {

namespace {

[[noreturn]] void not_built(const char* kernel) {
  throw std::logic_error(std::string(kernel) +
                         ": vektorova jadra nejsou v tomto sestaveni programu");
}

}  // namespace

bool vector_kernels_available() noexcept { return false; }
const char* vector_kernels_target() { return "none"; }
void limit_vector_kernels_to_avx2() {}
void restore_vector_kernels() {}

void sector_geometry(const SectorRun&, SectorGeometry&) { not_built("sector_geometry"); }
int sector_concentrations(const SectorRun&, SectorGeometry&, double*, int*) {
  not_built("sector_concentrations");
}
int hour_concentrations(HourBatch&, double*, int*) { not_built("hour_concentrations"); }
HourLists classify_hours(const double*, const int*, const double*, const double*, double, int,
                         double*, int*, int*, double*) {
  not_built("classify_hours");
}
void winds_at_height(const double*, const double*, const double*, double*, int) {
  not_built("winds_at_height");
}

}  // namespace kadre

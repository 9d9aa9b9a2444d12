// A build without the vector kernels: the scalar formulas do all the work.
#include "model/sector_kernel.h"

namespace kadre {

int evaluate_sector_run(const SectorRun&, double*, int*) { return 0; }

bool vector_kernel_built() { return false; }
const char* vector_kernel_target() { return "none"; }

}  // namespace kadre

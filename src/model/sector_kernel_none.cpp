// A build without the vector kernels: the scalar formulas do all the work.
#include "model/sector_kernel.h"

namespace kadre {

SectorGeometry::SectorGeometry(int) {}
void sector_geometry(const SectorRun&, SectorGeometry&) {}
int sector_concentrations(const SectorRun&, SectorGeometry&, double*, int*) { return 0; }

HourBatch::HourBatch(int) {}
int hour_concentrations(HourBatch&, double*, int*) { return 0; }

void winds_at_height(const double*, const double*, const double*, double*, int) {}

void classify_hours(const double*, const int*, const double*, const double*, double, int, double*,
                    double*, double*) {}

bool vector_kernel_built() { return false; }
const char* vector_kernel_target() { return "none"; }

}  // namespace kadre

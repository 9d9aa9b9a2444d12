#pragma once
// The concentration of one situation of the wind rose (a source, a stability class and a wind
// speed) for a run of neighbouring wind directions at once, in the vector units of the
// processor. Lanes the vector formulas cannot answer exactly as the scalar ones (numbers at
// the edges of their range, non-finite values) are handed back to the caller.
#include <cstddef>

#include "model/concentration_kernels.h"

namespace kadre {

// Whether this build has the vector kernel, and the instruction set it chose here.
bool vector_kernel_built();
const char* vector_kernel_target();

struct SectorRun {
  // Directions first .. first + count - 1 (from 0), phi = index x phi_step, and the sector:
  // those whose angle to the axis lies within the half-angle limit.
  int first = 0, count = 0;
  double phi_step = 1, axis = 0, limit = 0;
  // The pair, the class and the situation. Every value is finite and u_ef positive.
  double x = 0, theta = 0, k_u = 0, v = 0, m = 0, m_no = 0, k_p = 0;
  bool is_no = false;
  double ay = 0, by = 0, az = 0, bz = 0;
  // Initial spreads by direction (index as above), or the same for every direction when null.
  const double* sy0 = nullptr;
  const double* sz0 = nullptr;
  double sy0_all = 0, sz0_all = 0;
  PlumeParams p;
};

// Writes the concentration of every in-sector direction of the run that the vector formulas
// decide into out[index], leaves the other elements as they are, and lists the in-sector
// directions left to the scalar formulas in undecided; returns their number (at most count).
int evaluate_sector_run(const SectorRun& run, double* out, int* undecided);

}  // namespace kadre

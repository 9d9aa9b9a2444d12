#pragma once
// The rose kernel: the concentrations of one situation of the wind rose (a source, a stability
// class and a wind speed) for windows of neighbouring wind directions at once, in the vector
// units of the processor. Lanes the vector formulas cannot answer as the scalar ones do
// (numbers at the edges of their range, non-finite values) are handed back to the caller;
// what never comes here is said in vector_path.h.
//
// Each step and the scalar formula (src/model/) it reproduces for one direction:
//   sector_geometry, once per class and axis:
//     lambda = |phi - axis|, below two turns         get_lambda (wind_profile.h)
//     in the sector or not                            in_sector (plume_sector.h)
//     cos lambda = cos(phi - axis), from the turn of the axis from the reference direction
//     xs = x cos lambda, ys^2 = x^2 (1 - cos^2)       evaluate_gauss (concentration_kernels.cpp)
//     sy = ay xs^by + sy0, sz = az xs^bz + sz0        get_sgm (dispersion_coefficients.cpp); sy0
//                                                     and sz0 from InitialSpreads (pair.cpp)
//     -ys^2 / (2 sy^2), 1 / (2 sz^2), 2 pi sy sz      gauss_plume_factor
//     (concentration_kernels.cpp)
//   sector_concentrations, per wind speed:
//     e^(-ys^2 / (2 sy^2)) e^(-k_u xs / u_ef) x the vertical sum, taken as one exponential per
//     term                                            gauss_plume_factor
//     1e6 kh / (2 pi sy sz u_ef + v)                  gauss_plume_factor
//     x (m + m_no 0.9f (1 - e^(-k_p xs / u_ef)))      evaluate_gauss, converted_emission, fac_no
// The formulas are rearranged for fewer divisions: every decided direction differs from the
// scalar result only by roundings.
#include <cstddef>
#include <vector>

#include "model/concentration_kernels.h"
#include "model/vector_path.h"

namespace kadre {

// What the directions of a window share: the sector, the pair, the class and the situation.
struct SectorRun {
  // Directions first .. first + count - 1 (from 0), phi = index x phi_step, and the sector:
  // those whose angle to the axis lies within the half-angle limit.
  int first = 0, count = 0;
  double phi_step = 1, axis = 0, limit = 0;
  // Every value is finite and u_ef positive (vector_path.h).
  double x = 0, theta = 0, k_u = 0, v = 0, m = 0, m_no = 0, k_p = 0;
  bool convert_no = false;
  double ay = 0, by = 0, az = 0, bz = 0;
  // Initial spreads by direction (index as above), or the same for every direction when null.
  const double* sy0 = nullptr;
  const double* sz0 = nullptr;
  double sy0_all = 0, sz0_all = 0;
  PlumeParams p;
};

// The states of a direction in SectorGeometry::direction_state.
inline constexpr double kOutsideSector = 0, kDecided = 1, kUndecided = 2;

// The quantities of every direction that only the class and the axis decide (the downwind
// distance, the spreads and what follows from them), and the vertical sums of the last
// plume height, kept while they hold: arrays indexed by direction from 0, each sized for
// every direction plus a vector of padding. Work space of one thread.
struct SectorGeometry {
  // kOutsideSector, kDecided, or kUndecided: in the sector but left to the scalar formulas.
  std::vector<double> direction_state;
  std::vector<double> downwind;            // xs
  std::vector<double> crosswind_squared;   // ys^2
  std::vector<double> log_downwind;        // log xs
  std::vector<double> sigma_y, sigma_z;    // the spreads
  std::vector<double> crosswind_exponent;  // -ys^2 / (2 sy^2)
  std::vector<double> inv_two_sz2;         // 1 / (2 sz^2)
  std::vector<double> two_pi_sy_sz;        // 2 pi sy sz
  std::vector<double> vertical_sum;        // of kept_heights' window and heights
  std::vector<double> plume_exponentials;  // of a situation: the plume factor after its prefactor
  // The window and heights (d1 = z1 - h_ef, d2 = z2 + h_ef, d3 = z3 - h_ef) and theta of a
  // vertical sum.
  struct Heights {
    int first = -1, count = 0;
    double d1 = 0, d2 = 0, d3 = 0, theta = 0;
    bool operator==(const Heights&) const = default;
  };
  Heights kept_heights;  // those of vertical_sum
  Heights last_heights;  // of the previous situation: the vertical sums are kept from the second
  // cos and sin of each direction's angle to the reference direction (the pair's), made for
  // every direction at the pair's first geometry: an axis turned from the reference by rho
  // has cos(phi - axis) = cos(phi - reference) cos rho - sin(phi - reference) sin rho, two
  // products in place of a cosine per direction and situation.
  double reference = 0;
  bool reference_made = false;
  std::vector<double> cos_from_reference, sin_from_reference;

  explicit SectorGeometry(int nphi = 0) {
    const std::size_t n = static_cast<std::size_t>(nphi > 0 ? nphi : 0) + kKernelPadding;
    for (auto* a : {&direction_state, &downwind, &crosswind_squared, &log_downwind, &sigma_y,
                    &sigma_z, &crosswind_exponent, &inv_two_sz2, &two_pi_sy_sz, &vertical_sum,
                    &plume_exponentials, &cos_from_reference, &sin_from_reference})
      a->assign(n, 0.0);
  }

  // A new pair: the directions' angles are taken from `direction` (degrees) from now on.
  void set_reference(double direction) {
    reference = direction;
    reference_made = false;
  }
};

// Fills the geometry of the run's window (of the run only the window, the sector, x, the
// class's coefficients and the initial spreads are read); forgets the kept vertical sums.
void sector_geometry(const SectorRun& run, SectorGeometry& g);

// Writes the concentration of every in-sector direction of the window that the vector
// formulas decide into out[index] from the window's geometry, leaves the other elements as
// they are, and lists the in-sector directions left to the scalar formulas in undecided;
// returns their number (at most count). out is padded like the geometry's arrays (whole
// vectors are read and written back).
int sector_concentrations(const SectorRun& run, SectorGeometry& g, double* out, int* undecided);

}  // namespace kadre

#pragma once
// The hourly kernel: the concentrations of the in-sector hours of a pair (a source at a
// point) without an inversion, every parameter per hour, in the vector units of the processor;
// and the sorting of a series' hours into outside the sector, in it, and inversion hours.
// Hours the vector formulas cannot answer as the scalar ones do are handed back to the caller;
// what never comes here is said in vector_path.h.
//
// Each step and the scalar formula (src/model/) it reproduces for one hour:
//   classify_hours:
//     lambda = |phi - axis| mod 360                   get_lambda (wind_profile.h)
//     in the sector or not                            in_sector (plume_sector.h)
//   hour_concentrations, pass 1:
//     a line source's sy0, sz0 for the hour's wind    get_sgm0 (dispersion_coefficients.cpp)
//     xs = x cos lambda, ys^2 = x^2 (1 - cos^2)       evaluate_gauss (concentration_kernels.cpp)
//     sy = ay xs^by + sy0, sz = az xs^bz + sz0        get_sgm (dispersion_coefficients.cpp)
//     -ys^2 / (2 sy^2) - k_u xs / u_ef, 1 / (2 sz^2), 2 pi sy sz u_ef + v
//                                                     gauss_plume_factor
//                                                     (concentration_kernels.cpp)
//   pass 2:
//     the exponentials times the vertical sum, taken as one exponential per term, times
//     1e6 kh / (2 pi sy sz u_ef + v)                  gauss_plume_factor
//     x the hour's emission factor x (m + m_no 0.9f (1 - e^(-k_p xs / u_ef)))
//                                                     evaluate_gauss, converted_emission, fac_no
// The formulas are rearranged for fewer divisions: every decided hour differs from the scalar
// result only by roundings.
#include <cstddef>
#include <vector>

#include "model/concentration_kernels.h"
#include "model/vector_path.h"

namespace kadre {

// The in-sector hours of a pair without an inversion, gathered for the vector kernel: per
// hour the angle to the axis, the class's dispersion coefficients, the initial spreads and
// the situation's plume; arrays of `count` values each (padded by a vector), and what the
// pair and the source share. Every value is finite and u_ef positive (vector_path.h).
struct HourBatch {
  std::vector<double> lambda, ay, by, az, bz, sy0, sz0;
  std::vector<double> h_ef, z1, z2, z3, kh, u_ef, removal, decay, emis, phi;
  int count = 0;
  double x = 0, theta = 0, v = 0, m = 0, m_no = 0;
  bool convert_no = false;
  // A line source: its initial spreads come from the hour's wind direction phi (sy0 and sz0
  // are not read), its azimuth, width, length and vertical extent.
  bool line = false;
  double azimuth = 0, width = 0, length = 0, vert_ext = 0;
  // Work space handed from the kernel's first pass to its second, per hour:
  std::vector<double> downwind;           // xs
  std::vector<double> shared_exponent;    // -ys^2 / (2 sy^2) - k_u xs / u_ef, of every term
  std::vector<double> inv_two_sz2;        // 1 / (2 sz^2)
  std::vector<double> plume_denominator;  // 2 pi sy sz u_ef + v
  std::vector<double> geometry_exact;     // 1 where the above are exact but for roundings, else 0

  explicit HourBatch(int capacity = 0) {
    const std::size_t n = static_cast<std::size_t>(capacity > 0 ? capacity : 0) + kKernelPadding;
    for (auto* a : {&lambda, &ay, &by, &az, &bz, &sy0, &sz0, &phi}) a->assign(n, 0.0);
    for (auto* a : {&h_ef, &z1, &z2, &z3, &kh, &u_ef, &removal, &decay, &emis}) a->assign(n, 0.0);
    for (auto* a : {&downwind, &shared_exponent, &inv_two_sz2, &plume_denominator, &geometry_exact})
      a->assign(n, 0.0);
  }

  // Appends an hour: lambda, the class's coefficients, the initial spreads, the plume, the
  // removal -k_u / u_ef and decay -k_p / u_ef, and the emission factor.
  void add(double lambda_, double ay_, double by_, double az_, double bz_, double sy0_, double sz0_,
           const PlumeParams& p, double removal_, double decay_, double emis_, double phi_) {
    const std::size_t n = static_cast<std::size_t>(count++);
    phi[n] = phi_;
    lambda[n] = lambda_;
    ay[n] = ay_;
    by[n] = by_;
    az[n] = az_;
    bz[n] = bz_;
    sy0[n] = sy0_;
    sz0[n] = sz0_;
    h_ef[n] = p.h_ef;
    z1[n] = p.z1;
    z2[n] = p.z2;
    z3[n] = p.z3;
    kh[n] = p.kh;
    u_ef[n] = p.u_ef;
    removal[n] = removal_;
    decay[n] = decay_;
    emis[n] = emis_;
  }
};

// The hours t < count of a pair's series: lambda[t] = |phi[t] - axis[situation[t]]| mod 360
// (as get_lambda); the inversion hours (inversion[t] = 1) listed in `inverted`, the other
// hours within the sector of half-angle limit in `in_sector`, each in ascending order (room
// for count hours each); c_t[t] + 0.0 for the hours outside (the scalar formulas add their
// +0). Returns the lists' lengths. lambda is padded by a vector; phi, situation and inversion
// are read a vector at a time and padded too.
struct HourLists {
  int in_sector = 0, inverted = 0;
};
HourLists classify_hours(const double* phi, const int* situation, const double* inversion,
                         const double* axis, double limit, int count, double* lambda,
                         int* in_sector, int* inverted, double* c_t);

// The concentration of every hour of the batch into out[0 .. count), and the positions of
// the hours left to the scalar formulas in undecided; returns their number.
int hour_concentrations(HourBatch& batch, double* out, int* undecided);

}  // namespace kadre

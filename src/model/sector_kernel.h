#pragma once
// The concentrations of one situation of the wind rose (a source, a stability class and a
// wind speed) for windows of neighbouring wind directions at once, in the vector units of
// the processor. Lanes the vector formulas cannot answer as the scalar ones do (numbers at
// the edges of their range, non-finite values) are handed back to the caller.
#include <cmath>
#include <cstddef>
#include <vector>

#include "model/concentration_kernels.h"

namespace kadre {

// The elements past the last that the arrays the kernels read or write a whole vector at a
// time carry: the lanes of the widest vector of doubles any instruction set may have (2048
// bits, on processors of scalable vectors), so that every target builds.
inline constexpr std::size_t kKernelPadding = 32;

// Whether this build has the vector kernel, and the instruction set it chose here.
bool vector_kernel_built();
const char* vector_kernel_target();

// What the directions of a window share: the sector, the pair, the class and the situation.
struct SectorRun {
  // Directions first .. first + count - 1 (from 0), phi = index x phi_step, and the sector:
  // those whose angle to the axis lies within the half-angle limit.
  int first = 0, count = 0;
  double phi_step = 1, axis = 0, limit = 0;
  // Every value is finite and u_ef positive.
  double x = 0, theta = 0, k_u = 0, v = 0, m = 0, m_no = 0, k_p = 0;
  bool convert_no = false;
  double ay = 0, by = 0, az = 0, bz = 0;
  // Initial spreads by direction (index as above), or the same for every direction when null.
  const double* sy0 = nullptr;
  const double* sz0 = nullptr;
  double sy0_all = 0, sz0_all = 0;
  PlumeParams p;
};

// The quantities of every direction that only the class and the axis decide (the downwind
// distance, the spreads and what follows from them), and the vertical sums of the last
// plume height, kept while they hold: arrays indexed by direction from 0, each sized for
// every direction plus a vector of padding. Work space of one thread.
struct SectorGeometry {
  std::vector<double>
      state;               // 0 outside the sector, 1 in it, 2 in it but left to the scalar formulas
  std::vector<double> xs;  // downwind distance
  std::vector<double> cross;        // -ys^2 / (2 sy^2)
  std::vector<double> inv_two_sz2;  // 1 / (2 sz^2)
  std::vector<double> sy_sz;        // 2 pi sy sz
  std::vector<double> vert;         // the vertical sum of vert_key's window and heights
  std::vector<double> plume;        // work space: the plume factor's exponentials of a situation
  struct VertKey {
    int first = -1, count = 0;
    double d1 = 0, d2 = 0, d3 = 0, theta = 0;
    bool operator==(const VertKey&) const = default;
  } vert_key;
  VertKey last_key;  // of the previous situation: the vertical sums are kept from the second use

  explicit SectorGeometry(int nphi = 0);
};

// Fills the geometry of the run's window (of the run only the window, the sector, x, the
// class's coefficients and the initial spreads are read); forgets the kept vertical sums.
void sector_geometry(const SectorRun& run, SectorGeometry& g);

// Writes the concentration of every in-sector direction of the window that the vector
// formulas decide into out[index] from the window's geometry, leaves the other elements as
// they are, and lists the in-sector directions left to the scalar formulas in undecided;
// returns their number (at most count).
int sector_concentrations(const SectorRun& run, SectorGeometry& g, double* out, int* undecided);

// The in-sector hours of a pair without an inversion, gathered for the vector kernel: per
// hour the angle to the axis, the class's dispersion coefficients, the initial spreads and
// the situation's plume; arrays of `count` values each (padded by a vector), and what the
// pair and the source share. Every value is finite and u_ef positive.
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
  // Work space of the kernel's passes.
  std::vector<double> work_xs, work_exponent, work_w, work_spread, work_exact;

  explicit HourBatch(int capacity = 0);
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

// u_ef[i] = u[i] x base[i]^exponent[i] for i < count (base positive, every value finite), the
// wind at the effective height; arrays padded by a vector.
void winds_at_height(const double* u, const double* base, const double* exponent, double* u_ef,
                     int count);
// Whether the vector kernels know the initial spreads of the source type (an unknown type
// stops where the scalar formulas first meet it).
inline bool vector_kernels_know(SourceType type) {
  return type == SourceType::point || type == SourceType::area || type == SourceType::line;
}

// Whether winds_at_height takes these values; others go through the scalar power law.
inline bool winds_at_height_take(double u, double base, double exponent) {
  return std::isfinite(u) && std::isfinite(exponent) && base > 0 && std::isfinite(base);
}

// The hours t < count of a pair's series: lambda[t] = |phi[t] - axis[situation[t]]| mod 360
// (as get_lambda), kind[t] = 2 for an inversion hour (inversion[t] = 1), 1 in the sector of
// half-angle limit, 0 outside it; c_t[t] + 0.0 for the hours outside (the scalar formulas add
// their +0). lambda and kind are padded by a vector; phi, situation and inversion are read a
// vector at a time and padded too.
void classify_hours(const double* phi, const int* situation, const double* inversion,
                    const double* axis, double limit, int count, double* lambda, double* kind,
                    double* c_t);

// The concentration of every hour of the batch into out[0 .. count), and the positions of
// the hours left to the scalar formulas in undecided; returns their number.
int hour_concentrations(HourBatch& batch, double* out, int* undecided);

}  // namespace kadre

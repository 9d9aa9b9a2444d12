#pragma once
// The concentration a source causes at a reference point in every situation of the wind
// rose: each stability class, each of its wind-speed classes and each wind direction.
#include <array>
#include <cstddef>
#include <utility>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "model/dispersion_model.h"
#include "model/rose_kernel.h"

namespace kadre {

// Disjoint index windows [first, last] of directions (from 0).
using DirectionWindows = std::array<std::pair<int, int>, 8>;

// The directions of one column (a stability class and a wind speed) a source was computed
// in: everything outside these windows is +0.
struct WrittenWindows {
  DirectionWindows windows{};
  int count = 0;
};

// Takes each column of a source's situations as it is computed.
class RoseColumnSink {
 public:
  // column = (stability class - 1) x nu_max + (wind-speed class - 1); values indexed by
  // direction from 0, nphi of them, +0 outside the windows.
  virtual void take(std::size_t column, const double* values, const WrittenWindows& written) = 0;

 protected:
  ~RoseColumnSink() = default;
};

// Work space of one thread for the situations of a source.
struct RoseWork {
  std::vector<double> column;  // nphi (then padding), +0 between uses
  std::vector<int> undecided;  // directions the vector kernel leaves to the scalar formulas
  SectorGeometry geometry;
  std::vector<PlumeParams> plumes;  // of a class's wind speeds
  // The winds at the effective heights of a class's speeds, in one vector step.
  std::vector<double> wind_u, wind_base, wind_exponent, wind_out;
  std::vector<int> wind_speed;

  RoseWork() = default;
  RoseWork(int nphi, int nu_max);
};

// What the run computed once for a source and the vector path takes instead of computing it
// for each pair: null where there is none.
struct RoseSourceTables {
  // The plume heights of rose_full_rise_heights (full_rise_heights.h).
  const double* full_rise_heights = nullptr;
  // The initial spreads of a line source (LineSpreads::sy0 and sz0, line_spreads.h).
  const double* line_sy0 = nullptr;
  const double* line_sz0 = nullptr;
};

// Computes the situations of the source at the point with its nominal emission, column by
// column (every stability class, each of its wind-speed classes), and hands each column to
// the sink; f is work space of the calling thread.
void evaluate_conc(const ModelContext& ctx, const Settings& cfg, const WindClasses& wind,
                   const RefPoint& point, const Source& source, const PairGeometry& g,
                   RoseWork& work, PairFactors& f, RoseColumnSink& sink,
                   RoseSourceTables tables = {});

// The windows (at most 8) that hold every direction k = 0..nphi-1 whose angle to the axis d
// lies within the half-angle limit; returns their number.
inline int sector_windows(int nphi, double phi_step, double d, double limit,
                          DirectionWindows& windows);

// Calls visit(k, phi, lambda) for exactly the directions k = 1..nphi whose angle to the
// axis d, lambda = |phi - d| mod 360, lies within the half-angle limit. Directions far
// from the axis are passed over without any angle arithmetic.
template <class Visit>
void for_each_direction_in_sector(int nphi, double phi_step, double d, double limit, Visit&& visit);

}  // namespace kadre

#include "evaluation/sector_directions.inl"

#pragma once
// The concentration a source causes at a reference point in every situation of the wind
// rose: each stability class, each of its wind-speed classes and each wind direction.
#include <cstdint>
#include <vector>

#include "model/dispersion_model.h"

namespace kadre {

// Per-thread memory of the initial spreads of a line source for the current source and
// class, one entry per direction, so that the speeds of a class share them. An entry is
// valid when its stamp equals the current one; a new stamp invalidates all at once.
struct InitialSpreadCache {
  struct Entry {
    double sy0 = 0, sz0 = 0;
    std::uint64_t stamp = 0;
  };
  std::vector<Entry> by_direction;  // nphi
  std::uint64_t stamp = 0;
};

// Fills c_out (nphi x nu_max x 5, direction fastest) for the source at point ip; the
// source copy gets the nominal emission factor 1. cache is work space of the calling thread.
void evaluate_conc(const ModelContext& ctx, const WindClasses& wind, int ip, Source& source,
                   const PairGeometry& g, double* c_out, InitialSpreadCache& cache);

// Calls visit(k, phi, lambda) for exactly the directions k = 1..nphi whose angle to the
// source, lambda = |phi - d| mod 360, lies within limit of the plume axis. Directions far
// from the axis are passed over without any angle arithmetic.
template <class Visit>
void for_each_direction_in_sector(int nphi, double phi_step, double d, double limit, Visit&& visit);

}  // namespace kadre

#include "evaluation/sector_directions.inl"

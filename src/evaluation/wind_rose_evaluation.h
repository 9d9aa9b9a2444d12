#pragma once
// The concentration a source causes at a reference point in every situation of the wind
// rose: each stability class, each of its wind-speed classes and each wind direction.
#include "model/dispersion_model.h"

namespace kadre {

// Fills c_out (nphi x nu_max x 5, direction fastest) for the source at point ip; the
// source copy gets the nominal emission factor 1.
void evaluate_conc(const ModelContext& ctx, const WindClasses& wind, int ip, Source& source,
                   const PairGeometry& g, double* c_out);

// Calls visit(k, phi, lambda) for exactly the directions k = 1..nphi whose angle to the
// source, lambda = |phi - d| mod 360, lies within limit of the plume axis. Directions far
// from the axis are passed over without any angle arithmetic.
template <class Visit>
void for_each_direction_in_sector(int nphi, double phi_step, double d, double limit, Visit&& visit);

}  // namespace kadre

#include "evaluation/sector_directions.inl"

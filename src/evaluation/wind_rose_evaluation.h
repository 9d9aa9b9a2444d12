#pragma once
// The concentration a source causes at a reference point in every situation of the wind
// rose: each stability class, each of its wind-speed classes and each wind direction.
#include "core/records.h"
#include "core/settings.h"
#include "model/dispersion_model.h"

namespace kadre {

// Fills c_out (nphi x nu_max x 5, direction fastest) for the source at the point with its
// nominal emission; f is work space of the calling thread.
void evaluate_conc(const ModelContext& ctx, const Settings& cfg, const WindClasses& wind,
                   const RefPoint& point, const Source& source, const PairGeometry& g, double* c_out,
                   PairFactors& f);

// Calls visit(k, phi, lambda) for exactly the directions k = 1..nphi whose angle to the
// axis d, lambda = |phi - d| mod 360, lies within the half-angle limit. Directions far
// from the axis are passed over without any angle arithmetic.
template <class Visit>
void for_each_direction_in_sector(int nphi, double phi_step, double d, double limit, Visit&& visit);

}  // namespace kadre

#include "evaluation/sector_directions.inl"

#pragma once
// The concentration a source causes at a reference point in one hour of its
// meteorological series, with the hour's emission factor.
#include "model/dispersion_model.h"

namespace kadre {

// Hour t counts from 1. The source copy receives the hour's emission factor. factors must
// have been filled by fill_pair_factors for this source, g.x and z_ref = cfg.u_height.
double time_eval_conc(const ModelContext& ctx, const EmissionProfiles& profiles, int t, int ip,
                      Source& source, const PairGeometry& g, PathScratch& scratch, PairFactors& factors);

}  // namespace kadre

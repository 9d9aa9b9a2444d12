#pragma once
// The concentration a source causes at a reference point in one hour of its
// meteorological series, with the hour's emission factor.
#include "model/dispersion_model.h"

namespace kadre {

// Hour t counts from 1. The source copy receives the hour's emission factor.
double time_eval_conc(const ModelContext& ctx, const EmissionProfiles& profiles, int t, int ip,
                      Source& source, const PairGeometry& g, PathScratch& scratch);

}  // namespace kadre

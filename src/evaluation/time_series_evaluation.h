#pragma once
// The concentration a source causes at a reference point in every hour of its
// meteorological series.
#include "core/records.h"
#include "core/settings.h"
#include "model/dispersion_model.h"

namespace kadre {

// Adds the concentration the source causes at the point in every hour of its series, with
// the hour's emission factor, to c_t (ntime values). f must have been filled by
// fill_pair_factors for this source, g.x and z_ref = cfg.u_height.
void time_eval_conc(const ModelContext& ctx, const Settings& cfg, const MetSeries& met,
                    const EmissionProfiles& profiles, const RefPoint& point, const Source& source,
                    const PairGeometry& g, PairFactors& f, double* c_t);

}  // namespace kadre

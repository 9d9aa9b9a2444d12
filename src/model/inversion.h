#pragma once
// An hour with an inversion: the plume is held below the lid, or it breaks through and
// spreads in the layer above from a virtual source standing on the lid.
#include "core/records.h"
#include "model/concentration_kernels.h"
#include "model/model_context.h"
#include "model/pair.h"

namespace kadre {

// The hour's meteorology of a source's series: below the inversion and in the layer above.
struct HourMet {
  int s = 0;       // stability class
  double u = 0;    // wind speed at u_height [m/s]
  double phi = 0;  // wind direction [degrees]
  double zi = 0;   // elevation of the inversion [m]
  int s_i = 0;     // the layer above: class, speed and direction
  double u_i = 0;
  double phi_i = 0;
};

// Concentration of the source at the point in an inversion hour; f filled for this pair with
// z_ref = u_height. lower, when given, is evaluate_par's plume of the hour's class and wind
// without a lid, kept by the caller for the pair.
double eval_inv(const ModelContext& ctx, const HourMet& hour, const RefPoint& point,
                const Source& source, const PairGeometry& g, PairFactors& f, double emis_fact,
                const PlumeParams* lower = nullptr);

// Whether eval_inv gives +0 for the hour without any formula beyond the plume's axis height
// h_plume (of the hour's class and wind, without a lid): the point lies outside the sector of
// the plume held below the lid or of the one above it. Stops for classes as eval_inv does.
// The hourly vector path passes such hours over, before their plume is completed.
bool inversion_hour_outside_sector(const ModelContext& ctx, const HourMet& hour,
                                   const Source& source, const PairGeometry& g,
                                   const PairFactors& f, double h_plume);

}  // namespace kadre

#pragma once
// An hour with an inversion: the plume is held below the lid, or it breaks through and
// spreads in the layer above from a virtual source standing on the lid.
#include "core/records.h"
#include "model/concentration_kernels.h"
#include "model/model_context.h"
#include "model/pair.h"
#include "model/plume_sector.h"
#include "model/wind_profile.h"

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

// The height above the source's base h2 = stack height + 0.5 qa q^b at and above which a lid
// over a plume that passes it holds the plume below.
inline double lid_holding_height(const Source& source, const PairFactors& f) {
  return source.stack_height_m + 0.5 * source.qa * f.rise[0].q_pow_b;
}

// Whether the plume of axis height h stays below the lid at zrel above the source's base (held
// there) or breaks through it.
inline bool held_below_lid(double zrel, double h, double holding_height) {
  return zrel > h || (h > zrel && zrel >= holding_height);
}

// The axis of the plume held below a lid at zrel: its height at most the lid's.
inline double held_plume_axis(double delta, double zrel, double h_plume, double z_ref,
                              bool wind_rotation) {
  return wind_axis(delta, h_plume > zrel ? zrel : h_plume, z_ref, wind_rotation);
}

// Whether eval_inv gives +0 for an hour without any formula beyond the plume's axis height
// h_plume (of the hour's class and wind, without a lid): the point lies outside the sector of
// the plume held below the lid or of the one above it. What the test takes from the pair is
// made once. The hourly vector path passes such hours over, before their plume is completed
// (its series' classes are all valid: eval_inv would stop for no class).
class InversionSectorTest {
 public:
  InversionSectorTest(const ModelContext& ctx, const Source& source, const PairGeometry& g,
                      const PairFactors& f)
      : source_z_(source.z),
        holding_height_(lid_holding_height(source, f)),
        limit_(sector_half_angle(ctx.par, source.type)),
        delta_(g.delta),
        z_ref_(ctx.options.u_height),
        wind_rotation_(ctx.options.wind_rotation) {}

  // The hour of the inversion at elevation zi, the wind from phi below it and phi_i above.
  bool outside(double zi, double phi, double phi_i, double h_plume) const {
    const double zrel = zi - source_z_;
    if (held_below_lid(zrel, h_plume, holding_height_))
      return !in_sector(
          get_lambda(phi, held_plume_axis(delta_, zrel, h_plume, z_ref_, wind_rotation_)), limit_);
    return !in_sector(get_lambda(phi_i, delta_), limit_);
  }

 private:
  double source_z_, holding_height_, limit_, delta_, z_ref_;
  bool wind_rotation_;
};

}  // namespace kadre

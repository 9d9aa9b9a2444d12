#pragma once
// The Gaussian plume of one source at one reference point: the parameters of a situation
// that do not depend on the wind direction, then the concentration for one direction.
#include <new>
#include <type_traits>

#include "core/records.h"
#include "model/model_context.h"
#include "model/pair.h"

namespace kadre {

struct PlumeParams {
  double h_plume = 0, h_ef = 0, z1 = 0, z2 = 0, z3 = 0, z4 = 0, kh = 1, u_ef = 0;
};

// Puts the plume make() returns into p, made there by the function itself. Assigned from the
// call, the record would be made in a temporary and copied at once, read back in wider loads
// than the scalar stores that wrote it, which the processor cannot serve from its store
// buffer: a stall at every plume of the loops over situations.
template <class Make>
void make_plume_in_place(PlumeParams& p, Make&& make) {
  static_assert(std::is_trivially_destructible_v<PlumeParams>);
  ::new (static_cast<void*>(&p)) PlumeParams(make());
}

// The plume of the source at the point in class s for wind u measured at f.z_ref, with a lid
// at z_lid above the source base (0: none); f filled for this pair.
PlumeParams evaluate_par(const ModelContext& ctx, const Source& source, const RefPoint& point,
                         int s, double u, double z_lid, const PairGeometry& g,
                         const PairFactors& f);

// evaluate_par without the wind at the effective height: u_ef is left 0 for the caller,
// u x wind_profile_factor(h_ef, f.z_ref, u_p of class s).
PlumeParams evaluate_par_without_wind(const ModelContext& ctx, const Source& source,
                                      const RefPoint& point, int s, double u, double z_lid,
                                      const PairGeometry& g, const PairFactors& f);

// evaluate_par_without_wind from the plume's axis height h_plume (plume_axis_height) of class s
// and wind u, for callers that needed the axis first.
PlumeParams evaluate_par_from_axis_height(const ModelContext& ctx, const Source& source,
                                          const RefPoint& point, int s, double u, double z_lid,
                                          const PairGeometry& g, const PairFactors& f,
                                          double h_plume);

// Sets the vertical coordinates z1..z4 of p (whose h_ef is set) for a lid at z_lid above the
// source base (0: none), as evaluate_par does.
void set_vertical_coordinates(const ModelContext& ctx, const Source& source, const RefPoint& point,
                              double z_lid, PlumeParams& p);

// Conversion factor of the second emission for travel xs / u at rate k.
double fac_no(bool on, double xs, double k, double u);

// The plume factor A x V (plus the image above the lid when lid) for the given spreads,
// before the emission and its factor. A spread of 0 (a source without initial spread at
// zero distance) gives 0 instead of the 0/0 of the formula.
double gauss_plume_factor(double sigma_y, double sigma_z, double xs, double ys, double k_u,
                          double v, double theta, const PlumeParams& p, bool lid);

// Concentration [ug/m3] for wind direction phi at angle lambda to the axis, 0 outside the
// sector; emis_fact scales the emissions. sector (from 1) is phi's wind-rose sector, 0 for
// any other direction; spreads were reset for this pair.
double evaluate_gauss(const ModelContext& ctx, int s, const Source& source, double x, double theta,
                      double lambda, const PlumeParams& p, double phi, bool lid, double emis_fact,
                      InitialSpreads& spreads, int sector);

}  // namespace kadre

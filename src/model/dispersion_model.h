#pragma once
// The physics of one source, one reference point and one meteorological situation, as the
// evaluations call it. Everything here is a pure function of its arguments and of the
// read-only model context, safe to call from many threads at once. Stability classes run
// 1..5; reference points (ip) and hours (it) count from 1.
#include <array>
#include <vector>

#include "core/records.h"
#include "model/cluster_factor.h"
#include "model/cooling_tower_rise.h"
#include "model/dispersion_coefficients.h"
#include "core/model_params.h"
#include "model/moist_air.h"
#include "model/plume_rise.h"
#include "model/stability_classes.h"
#include "model/terrain_path.h"
#include "model/vertical_geometry.h"
#include "model/wind_profile.h"

namespace kadre {

// Everything the kernels read: settings, parameters, tables, and what depends only on the
// sources (the clusters). Built once after loading, read-only afterwards.
struct ModelContext {
  ModelContext(const Settings& cfg, const ModelParams& par, const TerrainGrid& terrain,
               const std::vector<RefPoint>& ref_points, const std::vector<Source>& sources,
               const ClimateTables& climate, const MetSeries& met);
  const Settings& cfg;
  const ModelParams& par;
  const TerrainGrid& terrain;
  const std::vector<RefPoint>& ref_points;
  const std::vector<Source>& sources;
  const ClimateTables& climate;
  const MetSeries& met;
  ClusterTable clusters;  // from sources
};

// The context of the loaded input (which must outlive it) and the chosen parameters.
ModelContext make_model_context(const InputData& in, const ModelParams& par);

// The geometry of one (reference point, source) pair; per thread, never global.
struct PairGeometry {
  double x = 0;      // horizontal distance [m]
  double delta = 0;  // azimuth of the source seen from the point [degrees]
  double theta = 0;  // terrain weight of the reflection at the point's level
  double zmax = 0;   // highest terrain along the path above the source's base [m]
};

// The outputs of evaluate_par: what does not depend on the wind direction.
struct PlumeParams {
  double h_plume = 0, h_ef = 0, z1 = 0, z2 = 0, z3 = 0, z4 = 0, kh = 1, u_ef = 0;
};

// Per-thread work space, reused from call to call so that nothing is allocated per
// situation: the inversion case builds its virtual source here.
struct PathScratch {
  Source virtual_source;
};

// Plume height above the source base without (h_plume) and with (h_ef) the terrain step.
struct PlumeHeight {
  double h_plume = 0, h_ef = 0;
};

// The factors of the plume height of a source in one class that do not depend on the wind
// speed, for winds measured at z_ref and the distance x: the profile factors of the wind at
// the stack top (source.h) and at 10 m, q^b of the heat output and the growth factor of the rise.
struct RiseFactors {
  double stack_top = 1, ten_metre = 1, q_pow_b = 0, growth = 1;
};

RiseFactors rise_factors(const ModelContext& ctx, const Source& source, int s, double z_ref, double x);

// What the hourly evaluation of one (point, source) pair computes again and again without it
// depending on the hour: the rise factors of every class for winds measured at z_ref, the
// line azimuth, and the initial spreads of a point or area source per class (filled at their
// first use). Per thread, refilled for every pair by fill_pair_factors.
struct PairFactors {
  double z_ref = 0;
  std::array<RiseFactors, 5> rise{};
  double azimuth = 0;
  std::array<bool, 5> spreads_known{};
  std::array<double, 5> sy0{}, sz0{};
};

void fill_pair_factors(const ModelContext& ctx, const Source& source, double z_ref, double x,
                       PairFactors& f);

// Sets delta, theta and zmax of g (g.x must already hold eval_x of the pair).
void eval_theta_delta(const ModelContext& ctx, double x_r, double y_r, double z_r, double x_s,
                      double y_s, double z_s, PairGeometry& g, PathScratch& scratch);

// Plume height of the source in class s for wind u measured at z_ref, at distance x with
// the highest terrain zmax along the path.
PlumeHeight hef(const ModelContext& ctx, const Source& source, int s, double u, double z_ref,
                double x, double zmax);

// hef with the class's rise factors (for the same source, z_ref and x) given.
PlumeHeight hef(const ModelContext& ctx, const Source& source, int s, double u, double x, double zmax,
                const RiseFactors& f);

// Climate-weighted rise of a cooling tower in class s: u measured at z_ref, u_s at the top.
double cooling_tower_rise(const ModelContext& ctx, const Source& source, int s, double u,
                          double z_ref, double u_s, double x);

// Conversion factor of the second emission for travel xs / u at rate k.
double fac_no(bool on, double xs, double k, double u);

// The plume factor A x V (plus the image above the lid when lid) for the given spreads,
// before the emission and its factor. A spread of 0 (a source without initial spread at
// zero distance) gives 0 instead of the 0/0 of the formula.
double gauss_plume_factor(double sigma_y, double sigma_z, double xs, double ys, double k_u,
                          double v, double theta, const PlumeParams& p, bool lid);

PlumeParams evaluate_par(const ModelContext& ctx, const Source& source, int s, int ip, double u,
                         double z_ref, double z_lid, const PairGeometry& g);
// evaluate_par for wind u measured at f.z_ref, with the pair's factors (same source, g.x).
PlumeParams evaluate_par(const ModelContext& ctx, const Source& source, int s, int ip, double u,
                         double z_lid, const PairGeometry& g, const PairFactors& f);
// Concentration [ug/m3] for wind direction phi at angle lambda; 0 outside the sector.
double evaluate_gauss(const ModelContext& ctx, int s, const Source& source, double x, double theta,
                      double lambda, const PlumeParams& p, double phi, bool lid);
// evaluate_gauss with the pair's factors (filled for this source).
double evaluate_gauss(const ModelContext& ctx, int s, const Source& source, double x, double theta,
                      double lambda, const PlumeParams& p, double phi, bool lid, PairFactors& f);
// The concentration formula of evaluate_gauss for a direction known to lie in the sector,
// with the initial spreads sy0, sz0 of get_sgm0 for this source, class and direction given.
double gauss_with_initial_spreads(const ModelContext& ctx, int s, const Source& source, double x,
                                  double theta, double lambda, const PlumeParams& p, double sy0,
                                  double sz0, bool lid);
// Concentration of an inversion hour it (from 1) of the source's series.
double eval_inv(const ModelContext& ctx, int it, int ip, const Source& source,
                const PairGeometry& g, PathScratch& scratch);
// eval_inv with the pair's factors, filled for this source with z_ref = cfg.u_height.
double eval_inv(const ModelContext& ctx, int it, int ip, const Source& source,
                const PairGeometry& g, PathScratch& scratch, const PairFactors& f);

}  // namespace kadre

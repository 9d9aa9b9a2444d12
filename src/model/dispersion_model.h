#pragma once
// The physics of one source, one reference point and one meteorological situation, as the
// evaluations call it. Everything here is a pure function of its arguments and of the
// read-only model context, safe to call from many threads at once.
#include <vector>

#include "init/input_data.h"
#include "model/model_params.h"

namespace kadre {

// Wind-speed classes of the wind-rose evaluation.
struct WindClasses {
  std::vector<double> u_range;  // class wind speeds at 10 m
  std::array<int, 5> nu{};      // number of classes used by stability class 1..5
  int nu_max() const;
};

// Per-source data that no situation changes, worked out once after loading (cluster
// membership, heat-weighted mean height and largest spacing of each cluster, ...).
struct SourcePrecomputed;

// Everything the kernels read: settings, parameters, tables. Built once, read-only.
struct ModelContext {
  const Settings& cfg;
  const ModelParams& par;
  const TerrainGrid& terrain;
  const std::vector<RefPoint>& ref_body;
  const std::vector<Source>& zdroje;
  const ClimateTables& climate;
  const MetSeries& met;
  std::vector<SourcePrecomputed> const* precomputed = nullptr;  // set by make_model_context
};

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

// Reusable per-thread work space of the terrain path integration.
struct PathScratch {
  std::vector<double> zc;
};

double eval_x(double x_r, double y_r, double x_s, double y_s);
// Sets delta, theta and zmax of g (g.x must already hold eval_x of the pair).
void eval_theta_delta(const ModelContext& ctx, double x_r, double y_r, double z_r, double x_s,
                      double y_s, double z_s, PairGeometry& g, PathScratch& scratch);

double get_lambda(double phi, double h_plume, double z_ref, double delta, bool wind_rotation);
void get_sgm0(const Source& zdroj, double phi, double az_s, double bz_s, double& sy0, double& sz0);
double fac_no(bool on, double xs, double k, double u);

PlumeParams evaluate_par(const ModelContext& ctx, const Source& zdroj, int s, int ip, double u,
                         double z_ref, double z_lid, const PairGeometry& g);
double evaluate_gauss(const ModelContext& ctx, int s, const Source& zdroj, double x, double theta,
                      double lambda, const PlumeParams& p, double phi, bool lid);
// Concentration of an inversion hour it (from 1) of the source's series.
double eval_inv(const ModelContext& ctx, int it, int ip, const Source& zdroj,
                const PairGeometry& g, PathScratch& scratch);

}  // namespace kadre

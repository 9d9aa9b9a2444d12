#pragma once
// A small, fully controlled world for the model tests: parameters with distinct values per
// stability class, a flat terrain grid, sources and points added by the tests.
#include <cmath>
#include <vector>

#include "model/dispersion_model.h"

namespace kadre::test {

inline constexpr double kPi = 3.141592653589793;

struct ModelWorld {
  Settings cfg;
  ModelParams par;
  TerrainGrid terrain;
  std::vector<RefPoint> ref_body;
  std::vector<Source> zdroje;
  ClimateTables climate;
  MetSeries met;

  ModelWorld() {
    par.ay = {0.80, 0.60, 0.50, 0.40, 0.30};
    par.by = {0.90, 0.88, 0.86, 0.84, 0.82};
    par.az = {0.40, 0.30, 0.25, 0.20, 0.15};
    par.bz = {0.90, 0.85, 0.80, 0.75, 0.70};
    par.u_p = {0.10, 0.15, 0.20, 0.30, 0.40};
    par.ks = {1.0, 1.1, 1.2, 1.3, 1.4};
    par.km = {10, 11, 12, 13, 14};
    par.eps = {0.5, 0.5, 0.5, 0.5, 0.5};
    par.k_p = {0.001, 0.002, 0.003, 0.004, 0.005};
    par.stab_cl_ue = {-1, 0, 1, 2, 0};
    par.class_w_sp = {1, 4, 10};
    par.class_w_sp_ue = {3, 6};
    par.uhel_limit_b = 30;
    par.uhel_limit_pl = 40;
    par.gamma = {0.001, 0.002, 0.003};
    for (int node = 1; node <= 26; ++node) {
      par.fz[2 * (node - 1)] = 100.0 * (node - 1);
      par.fz[2 * (node - 1) + 1] = 1.0 - (node - 1) / 25.0;
    }
    flat_terrain(0);
    cfg.wind_rotation = false;
  }

  // 100 x 100 cells of 100 m from (0, 0), all at elevation z.
  void flat_terrain(int z) {
    terrain.xllcorner = 0;
    terrain.yllcorner = 0;
    terrain.cellsize = 100;
    terrain.nx = 100;
    terrain.ny = 100;
    terrain.z.assign(100 * 100, static_cast<std::int16_t>(z));
  }

  ModelContext ctx() const { return ModelContext(cfg, par, terrain, ref_body, zdroje, climate, met); }
};

// A stack without rise (no buoyancy, no exit velocity).
inline Source cold_stack(double x, double y, double h) {
  Source s;
  s.id = "S";
  s.typ_zdroje = 1;
  s.x = x;
  s.y = y;
  s.h = h;
  s.m = 1.0;
  s.beta = 0;
  s.qa = 0;
  s.qb = 0.5;
  return s;
}

inline RefPoint point_at(double x, double y, double h, double z = 0) {
  RefPoint p;
  p.id = "P";
  p.x = x;
  p.y = y;
  p.z = z;
  p.h = h;
  return p;
}

// The textbook ground-reflected Gaussian plume on the axis, 1e6 m / (2 pi sy sz u) x
// [exp(-(zr - H)^2 / 2 sz^2) + exp(-(zr + H)^2 / 2 sz^2)], with sigma = a x^b.
inline double textbook_axis_plume(double m, double x, double ay, double by, double az, double bz,
                                  double u, double H, double zr) {
  const double sy = ay * std::pow(x, by);
  const double sz = az * std::pow(x, bz);
  const double g = std::exp(-(zr - H) * (zr - H) / (2 * sz * sz)) +
                   std::exp(-(zr + H) * (zr + H) / (2 * sz * sz));
  return 1e6 * m / (2 * kPi * sy * sz * u) * g;
}

}  // namespace kadre::test

#pragma once
// A small, fully controlled world for the model tests: parameters with distinct values per
// stability class, a flat terrain grid, sources and points added by the tests.
#include <initializer_list>
#include <vector>

#include "model/dispersion_model.h"
#include "support/textbook_plume.h"

namespace kadre::test {

struct ModelWorld {
  Settings cfg;
  ModelParams par;
  TerrainGrid terrain;
  std::vector<RefPoint> ref_points;
  std::vector<Source> sources;
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
    for (int node = 1; node <= 26; ++node) {  // heights 0, 100, ..., 2500; values 1 - h / 2500
      par.fz[2 * (node - 1)] = 100.0 * (node - 1);
      par.fz[2 * (node - 1) + 1] = 1.0 - (node - 1) / 25.0;
    }
    flat_terrain(0);
    cfg.wind_rotation = false;
  }

  // A climate grid of one class (3 degrees, 83 %) in the given stability classes, the towers'
  // air stream 8000 m3/s at 25 degrees.
  void tower_climate(std::initializer_list<int> classes) {
    climate.frt.fill(1);
    climate.vch1.fill(8000);
    climate.tch1.fill(25);
    for (int s : classes) climate.grt[ClimateTables::index(4, 4, s)] = 1;
  }

  // 100 x 100 cells of 100 m from (0, 0), all at elevation z.
  void flat_terrain(int z) {
    terrain.cellsize = 100;
    terrain.nx = terrain.ny = 100;
    terrain.z.assign(100 * 100, static_cast<std::int16_t>(z));
  }

  ModelContext ctx() const { return ModelContext(cfg, par, terrain, ref_points, sources, climate, met); }
};

// A stack of 1 g/s without rise (no buoyancy, no exit velocity).
inline Source cold_stack(double x, double y, double h) {
  return {.id = "S", .x = x, .y = y, .type = 1, .m = 1.0, .h = h, .qb = 0.5};
}

// A cooling tower h high, 60 m wide, with v m3/s of flue gas at 50 degrees.
inline Source cooling_tower(double x, double y, double h, double v) {
  return {.id = "T", .x = x, .y = y, .type = 1, .m = 1.0, .h = h, .v = v, .t = 50, .d = 60, .qb = 0.5,
          .cooling_tower = true};
}

inline RefPoint point_at(double x, double y, double h, double z = 0) { return {"P", x, y, z, h, true}; }

}  // namespace kadre::test

#pragma once
// Plume height above the source base in one situation: the rise of an ordinary source or a
// cooling tower, the cluster enhancement, and the lift over the highest terrain.
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/records.h"
#include "model/cooling_tower_rise.h"
#include "model/model_context.h"

namespace kadre {

// The stack data the rise reads: a source's own, or those of the virtual source that the
// inversion case stands on the lid.
struct StackExit {
  double h = 0, t = 0, w = 0, beta = 0;
  bool cooling_tower = false;
};

inline StackExit stack_exit(const Source& source) {
  return {source.stack_height_m, source.flue_gas_temp_c, source.exit_velocity_m_s, source.beta,
          source.cooling_tower};
}

// The factors of the plume height of a source in one class that do not depend on the wind
// speed, for winds measured at z_ref and the distance x: the profile factors of the wind at
// the stack top and at 10 m, q^b of the heat output and the growth factor of the rise.
struct RiseFactors {
  double stack_top = 1, ten_metre = 1, q_pow_b = 0, growth = 1;
};

RiseFactors rise_factors(const ModelParams& par, const Source& source, const StackExit& exit, int s,
                         double z_ref, double x);

// Plume height without (h_plume) and with (h_ef) the terrain step.
struct PlumeHeight {
  double h_plume = 0, h_ef = 0;
};

// The buoyancy fluxes of a cooling tower by wind-speed class and climate cell, computed at
// their first use for a source and kept while the stamp holds: no wind speed or distance
// changes them.
struct TowerFluxes {
  static constexpr std::size_t kCells = 3 * 10 * 7;
  std::array<TowerPowers, kCells> powers{};  // of the flux only
  std::array<std::uint64_t, kCells> stamp{};
  TowerPowers height_distance;  // the powers of the height and the distance
  std::uint64_t height_distance_stamp = 0;
  std::uint64_t current = 1;
  void forget() { ++current; }
};

// The height of the plume's axis without the terrain step (hef's h_plume): the stack's height
// and the rise.
double plume_axis_height(const ModelContext& ctx, const Source& source, const StackExit& exit,
                         int s, double u, double x, const RiseFactors& f,
                         TowerFluxes* fluxes = nullptr);

// Plume height of the source in class s for wind u, at distance x with the highest terrain
// zmax along the path; f holds the class's rise factors for this source, exit and x. fluxes,
// when given, keeps the cooling tower's fluxes of this source and exit.
PlumeHeight hef(const ModelContext& ctx, const Source& source, const StackExit& exit, int s,
                double u, double x, double zmax, const RiseFactors& f,
                TowerFluxes* fluxes = nullptr);

}  // namespace kadre

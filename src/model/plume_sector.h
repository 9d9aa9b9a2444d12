#pragma once
// The sector around the plume axis outside which a source contributes nothing.
#include "core/model_params.h"
#include "core/records.h"

namespace kadre {

// Half-angle [degrees] of the sector: one limit for point sources, one for area and line
// sources.
inline double sector_half_angle(const ModelParams& par, SourceType type) {
  return type == SourceType::point ? par.uhel_limit_b : par.uhel_limit_pl;
}

// Whether the angle lambda in [0, 360) between wind and axis lies within the half-angle.
inline bool in_sector(double lambda, double half_angle) {
  return lambda <= half_angle || lambda >= 360.0 - half_angle;
}

}  // namespace kadre

#pragma once
// What every kernel reads besides its arguments: the model's options, the parameters, the
// terrain, the climate tables and the clusters of the sources. Built once after loading,
// read-only afterwards and shared by all threads.
#include <vector>

#include "core/model_params.h"
#include "core/records.h"
#include "core/settings.h"
#include "model/cluster_factor.h"
#include "model/kernel_path.h"

namespace kadre {

// The switches and lengths of the run configuration that change the physics.
struct ModelOptions {
  bool free_atmo = false;     // a point above the plume axis keeps its own height
  bool convert_no = false;    // the second emission counts after conversion
  bool is_shluky = false;     // cluster enhancement of the plume rise
  bool wind_rotation = true;  // the wind turns 1 degree per 25 m of plume height
  double u_height = 10.0;     // height of the hourly wind speed [m]
  double int_err = 25.0;      // step of the terrain integration along a path [m]
  // The path of the direction and hour loops, as the run was given it (kernel_path.h).
  KernelPath kernels = KernelPath::scalar;
};

ModelOptions model_options(const Settings& cfg);

struct ModelContext {
  // par, terrain and climate must outlive the context; the clusters are taken from sources.
  ModelContext(const ModelOptions& options, const ModelParams& par, const TerrainGrid& terrain,
               const ClimateTables& climate, const std::vector<Source>& sources);
  ModelOptions options;
  const ModelParams& par;
  const TerrainGrid& terrain;
  const ClimateTables& climate;
  ClusterTable clusters;
};

}  // namespace kadre

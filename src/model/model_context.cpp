#include "model/model_context.h"

namespace kadre {

ModelOptions model_options(const Settings& cfg) {
  ModelOptions o;
  o.free_atmo = cfg.free_atmo;
  o.convert_no = cfg.convert_no;
  o.is_shluky = cfg.is_shluky;
  o.wind_rotation = cfg.wind_rotation;
  o.u_height = cfg.u_height;
  o.int_err = cfg.int_err;
  return o;
}

ModelContext::ModelContext(const ModelOptions& options_, const ModelParams& par_,
                           const TerrainGrid& terrain_, const ClimateTables& climate_,
                           const std::vector<Source>& sources)
    : options(options_), par(par_), terrain(terrain_), climate(climate_), clusters(sources) {}

}  // namespace kadre

#include "model/dispersion_model.h"

namespace kadre {

ModelContext::ModelContext(const Settings& cfg_, const ModelParams& par_,
                           const TerrainGrid& terrain_, const std::vector<RefPoint>& ref_body_,
                           const std::vector<Source>& zdroje_, const ClimateTables& climate_,
                           const MetSeries& met_)
    : cfg(cfg_),
      par(par_),
      terrain(terrain_),
      ref_points(ref_body_),
      sources(zdroje_),
      climate(climate_),
      met(met_),
      clusters(zdroje_) {}

ModelContext make_model_context(const InputData& in, const ModelParams& par) {
  return ModelContext(in.cfg, par, in.terrain, in.ref_points, in.sources, in.climate, in.met);
}

}  // namespace kadre

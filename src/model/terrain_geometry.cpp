#include "model/dispersion_model.h"

namespace kadre {

void eval_theta_delta(const ModelContext& ctx, double x_r, double y_r, double z_r, double x_s,
                      double y_s, double z_s, PairGeometry& g, PathScratch& /*scratch*/) {
  g.delta = get_delta_val(x_r, y_r, x_s, y_s);
  // The path runs from the source to the point; the sea level is the lowest ground.
  const TerrainWeight w = get_theta_val(ctx.terrain, ctx.cfg.int_err, z_s, z_r, x_s, y_s, x_r, y_r, 0.0);
  g.theta = w.theta;
  g.zmax = w.zmax;
}

}  // namespace kadre

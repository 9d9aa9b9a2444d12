#pragma once
// Plume rise of a cooling tower for one class of the climate grid.
#include "core/model_params.h"

namespace kadre {

// The rise in two steps: the buoyancy flux of the plume (outside air t_a [deg C] at relative
// humidity rh [%], flue gas at t [deg C] with actual flow v_act, mouth diameter d, climate class
// value f, tower air stream vol2 at t2 [deg C]), which no wind or distance changes, and the
// rise [m] it gives for stability class s, wind u at the top and distance x. A class with
// negative buoyancy has no rise.
double cooling_tower_flux(double t_a, double rh, double t, double d, double v_act, double f,
                          double vol2, double t2);
// The powers of the flux, the tower height h and the distance x the rise takes.
struct TowerPowers {
  double flux = 0, flux_third = 0, flux_04 = 0, flux_06 = 0;
  double h_04 = 0, h_06 = 0, x_two_thirds = 0, three_x_two_thirds = 0;
};
void set_flux_powers(double flux, TowerPowers& p);
void set_height_distance_powers(double h, double x, TowerPowers& p);
double cooling_tower_rise_of_flux(const ModelParams& par, const TowerPowers& powers, double t_a,
                                  int s, double u, double x);

}  // namespace kadre

#include "model/cooling_tower_rise.h"

#include <cmath>

#include "model/moist_air.h"

namespace kadre {

namespace {
constexpr double kG = 9.81;
constexpr double kThird = 1.0 / 3.0;
constexpr double kTwoThirds = 2.0 / 3.0;
}  // namespace

double cooling_tower_flux(double t_a, double rh, double t, double d, double v_act, double f,
                          double vol2, double t2) {
  return buoyancy_flux(t_a + 273.15, rh, t + 273.15, d, v_act, f, vol2, t2 + 273.15);
}

void set_flux_powers(double flux, TowerPowers& p) {
  p.flux = flux;
  p.flux_third = std::pow(flux, kThird);
  p.flux_04 = std::pow(flux, 0.4);
  p.flux_06 = std::pow(flux, 0.6);
}

void set_height_distance_powers(double h, double x, TowerPowers& p) {
  p.h_04 = std::pow(h, 0.4);
  p.h_06 = std::pow(h, 0.6);
  p.x_two_thirds = std::pow(x, kTwoThirds);
  p.three_x_two_thirds = std::pow(3.0 * x, kTwoThirds);
}

double cooling_tower_rise_of_flux(const ModelParams& par, const TowerPowers& powers, double t_a,
                                  int s, double u, double x) {
  const double ta_k = t_a + 273.15;
  const double flux = powers.flux;
  // A plume heavier than the air does not rise; its root would not be a number.
  if (flux < 0) return 0.0;
  if (s <= 3) {
    const double stab = kG * (0.01 - par.gamma[s - 1]) / ta_k;
    const double x_s = static_cast<double>(2.4f) * u / std::sqrt(stab);
    if (x_s <= x) return static_cast<double>(2.9f) * std::pow(flux / (u * stab), kThird);
    return static_cast<double>(1.6f) * powers.flux_third * powers.x_two_thirds / u;
  }
  const double x_f = static_cast<double>(2.16f) * powers.flux_04 * powers.h_06;
  if (x < x_f) return static_cast<double>(1.6f) * powers.flux_third * powers.three_x_two_thirds / u;
  return static_cast<double>(5.56f) * powers.flux_06 * powers.h_04 / u;
}

}  // namespace kadre

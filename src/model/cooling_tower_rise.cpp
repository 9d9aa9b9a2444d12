#include "model/cooling_tower_rise.h"

#include <cmath>

#include "core/errors.h"
#include "model/moist_air.h"
#include "core/text.h"

namespace kadre {

namespace {
constexpr double kG = 9.81;
constexpr double kThird = 1.0 / 3.0;
constexpr double kTwoThirds = 2.0 / 3.0;
}  // namespace

double cooling_tower_flux(double t_a, double rh, double t, double d, double v_act, double f, double vol2,
                          double t2) {
  return buoyancy_flux(t_a + 273.15, rh, t + 273.15, d, v_act, f, vol2, t2 + 273.15);
}

double cooling_tower_rise_of_flux(const ModelParams& par, double flux, double t_a, double h, int s, double u,
                                  double x) {
  const double ta_k = t_a + 273.15;
  // A plume heavier than the air does not rise; its root would not be a number.
  if (flux < 0) return 0.0;
  if (s <= 3) {
    const double stab = kG * (0.01 - par.gamma[s - 1]) / ta_k;
    const double x_s = static_cast<double>(2.4f) * u / std::sqrt(stab);
    if (x_s <= x) return static_cast<double>(2.9f) * std::pow(flux / (u * stab), kThird);
    return static_cast<double>(1.6f) * std::pow(flux, kThird) * std::pow(x, kTwoThirds) / u;
  }
  const double x_f = static_cast<double>(2.16f) * std::pow(flux, 0.4) * std::pow(h, 0.6);
  if (x < x_f)
    return static_cast<double>(1.6f) * std::pow(flux, kThird) * std::pow(3.0 * x, kTwoThirds) / u;
  return static_cast<double>(5.56f) * std::pow(flux, 0.6) * std::pow(h, 0.4) / u;
}

double prevyseni_chlad_vez(const ModelParams& par, double t_a, double rh, double t, double h,
                           double d, double v_act, double f, double vol2, double t2, int s,
                           double u, double x) {
  if (s < 1 || s > 5)
    stop_with_lines({"Chyba ve funkci prevyseni_chlad_vez. Trida stability " + free_form_int(s) +
                     " " + " neodpovida ocekavanym hodnotam."});
  return cooling_tower_rise_of_flux(par, cooling_tower_flux(t_a, rh, t, d, v_act, f, vol2, t2), t_a, h, s, u, x);
}

}  // namespace kadre

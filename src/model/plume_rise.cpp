#include "model/plume_rise.h"

#include <cmath>

namespace kadre {

double rise_growth(double q, double c, double x) {
  const double x_m = std::sqrt(q) * c;
  if (0 < x && x < x_m) return std::pow(x / x_m, static_cast<double>(2.0f / 3.0f));
  return 1.0;
}

double plume_rise(double w, double d, double beta, double q_pow_b, double a, double e, double u,
                  double growth) {
  // Without buoyancy (beta = 0) the heat output must not matter, even where q^b is not a
  // number (negative heat output) or infinite.
  const double buoyant = beta == 0 ? 0.0 : beta * e * a * q_pow_b / u;
  const double momentum = (1 - beta) * 1.5 * w * d / u;
  // A growth factor of 1 leaves every value as it is, so it needs no test.
  return (buoyant + momentum) * growth;
}

}  // namespace kadre

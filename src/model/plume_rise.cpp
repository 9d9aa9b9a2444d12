#include "model/plume_rise.h"

#include <cmath>

namespace kadre {

double prevyseni(double w, double d, double beta, double q, double a, double b, double c, double e,
                 double u, double x) {
  // Without buoyancy (beta = 0) the heat output must not matter, even where q^b is not a
  // number (negative heat output) or infinite.
  const double buoyant = beta == 0 ? 0.0 : beta * e * a * std::pow(q, b) / u;
  const double momentum = (1 - beta) * 1.5 * w * d / u;
  double dh = buoyant + momentum;
  const double x_m = std::sqrt(q) * c;
  if (0 < x && x < x_m) dh = dh * std::pow(x / x_m, static_cast<double>(2.0f / 3.0f));
  return dh;
}

}  // namespace kadre

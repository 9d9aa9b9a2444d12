#include "model/dispersion_coefficients.h"

#include <algorithm>
#include <cmath>

#include "core/errors.h"
#include "core/math_constants.h"
#include "core/text.h"

namespace kadre {

namespace {
// Angle between wind and line folded into 0..90 degrees; any angle first comes into [0, 360).
double fold_to_quadrant(double a) {
  if (a >= 360) a = std::fmod(a, 360.0);
  if (a >= 0 && a < 90) return a;
  if (a >= 90 && a < 180) return 180 - a;
  if (a >= 180 && a < 270) return a - 180;
  return 360 - a;
}
}  // namespace

void get_sgm(double x, double ay, double by, double az, double bz, double sy0, double sz0,
             double& sy, double& sz) {
  sy = ay * std::pow(x, by) + sy0;
  sz = az * std::pow(x, bz) + sz0;
}

double line_azimuth(const Source& source) {
  return get_delta_val(source.x1, source.y1, source.x2, source.y2);
}

void get_sgm0(const Source& source, double azimuth, double phi, double az_s, double bz_s,
              double& sy0, double& sz0) {
  switch (source.type) {
    case SourceType::point:
      sy0 = 0;
      sz0 = 0;
      return;
    case SourceType::area:
      sy0 = source.length / kSqrtTwoPi;
      sz0 = az_s * std::pow(source.length * 0.5, bz_s);
      return;
    case SourceType::line: {
      const double a = fold_to_quadrant(std::fabs(phi - azimuth));
      const double a_r = a * kPi / 180;
      const double w = source.width, l = source.length;
      sy0 = (w * std::cos(a_r) + l * std::sin(a_r)) / kSqrtTwoPi;
      // With the wind along a line of no width, W / sin is 0/0: the line's length counts.
      const double across = w / std::sin(a_r);
      const double along = l / std::cos(a_r);
      const double d = std::isnan(across) ? along : std::min(across, along);
      sz0 = (az_s * kSqrtHalfPi * std::pow(d * 0.5, bz_s) + source.vert_ext) / kSqrtHalfPi;
      return;
    }
    default:
      stop_with_lines(unknown_source_type_lines(static_cast<int>(source.type)));
  }
}

double get_delta_val(double xa, double ya, double xb, double yb) {
  const double dx = xb - xa, dy = yb - ya;
  if (dx == 0 && dy == 0) return 90;
  if (dx == 0) return dy > 0 ? 0 : 180;
  if (dy == 0) return dx > 0 ? 90 : 270;
  const double sx = std::signbit(dx) ? -1.0 : 1.0;
  const double sy = std::signbit(dy) ? -1.0 : 1.0;
  return std::atan(dx / dy) * 180 / kPi + (2 - (sy + 1) * sx) * 90;
}

}  // namespace kadre

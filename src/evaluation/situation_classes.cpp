#include "evaluation/situation_classes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

namespace {

// The tolerance of the class speed lookup is the single-precision literal 1e-5.
constexpr double kSpeedTolerance = static_cast<double>(1e-5f);

const char* roman_class(int stability) {
  static constexpr std::array<const char*, kStabilityClasses> names{"I", "II", "III", "IV", "V"};
  return names[static_cast<std::size_t>(stability - 1)];
}

}  // namespace

int find_speed_class(const std::vector<double>& u_range, int n, double u) {
  const int limit = std::min(n, static_cast<int>(u_range.size()));
  for (int j = 1; j <= limit; ++j)
    if (std::fabs(u_range[static_cast<std::size_t>(j - 1)] - u) < kSpeedTolerance) return j;
  return -1;
}

ClassSpeedIndex make_class_speed_index(const WindClasses& wind, const ModelParams& par) {
  ClassSpeedIndex index;
  for (int m = 0; m < kSituationClassCount; ++m) {
    const SituationClass& sc = kSituationClasses[static_cast<std::size_t>(m)];
    const double speed = par.class_w_sp[static_cast<std::size_t>(sc.speed - 1)];
    const int j =
        find_speed_class(wind.u_range, wind.nu[static_cast<std::size_t>(sc.stability - 1)], speed);
    if (j < 0)
      raise_error("Rychlost vetru " + format_f0(speed, 2) + " m/s tridy stability " +
                  roman_class(sc.stability) + " neni mezi rychlostmi vetru vypoctu.");
    index.speed_class[static_cast<std::size_t>(m)] = j;
  }
  return index;
}

}  // namespace kadre

#include "model/stability_classes.h"

#include <algorithm>
#include <cmath>

#include "core/errors.h"

namespace kadre {

std::vector<int> classes_from_gradients(const std::vector<double>& gradient,
                                        const ModelParams& par) {
  std::vector<int> classes(gradient.size(), 4);
  for (std::size_t i = 0; i < gradient.size(); ++i) {
    const double g = gradient[i];
    for (int j = 1; j <= 4; ++j) {
      if (g < par.stab_cl_ue[j - 1]) {
        classes[i] = j;
        break;
      }
    }
    if (g > par.stab_cl_ue[3]) classes[i] = 5;
  }
  return classes;
}

namespace {

// The fine grid is held in single precision: 1.5..3.0 by 0.1, 3.0 + 0.2 k, 7.5..15 by 0.5.
std::vector<double> fine_wind_grid() {
  static constexpr std::array<float, 16> kLow{1.5f, 1.6f, 1.7f, 1.8f, 1.9f, 2.0f, 2.1f, 2.2f,
                                              2.3f, 2.4f, 2.5f, 2.6f, 2.7f, 2.8f, 2.9f, 3.0f};
  std::vector<double> u;
  u.reserve(52);
  for (float v : kLow) u.push_back(static_cast<double>(v));
  for (int k = 1; k <= 20; ++k) {
    const float step = 0.2f * static_cast<float>(k);
    const float v = 3.0f + step;
    u.push_back(static_cast<double>(v));
  }
  for (int k = 0; k < 16; ++k) u.push_back(7.5 + 0.5 * k);
  return u;
}

// Position (from 1) of the largest entry not above limit, the first of equals; 0 if none.
int last_class_within(const std::vector<double>& u, double limit) {
  int pos = 0;
  double best = 0;
  for (std::size_t k = 0; k < u.size(); ++k) {
    if (!(u[k] <= limit)) continue;
    if (pos == 0 || u[k] > best) {
      pos = static_cast<int>(k) + 1;
      best = u[k];
    }
  }
  return pos;
}

}  // namespace

WindClasses u_range_gen(bool is_max_abs, const ModelParams& par) {
  static constexpr std::array<double, 5> kClassLimit{2.0, 5.0, 15.0, 15.0, 5.0};
  WindClasses w;
  if (is_max_abs)
    w.u_range = fine_wind_grid();
  else
    w.u_range.assign(par.class_w_sp.begin(), par.class_w_sp.end());
  for (int s = 0; s < kStabilityClasses; ++s)
    w.nu[s] = last_class_within(w.u_range, kClassLimit[s]);
  return w;
}

int u2class_ui(double u, const ModelParams& par) {
  if (u < 0) stop_with_lines({"Chyba ve funkci u2class_ui."});
  if (u <= par.class_w_sp_ue[0]) return 1;
  if (u <= par.class_w_sp_ue[1]) return 2;
  return 3;
}

}  // namespace kadre

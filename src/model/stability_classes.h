#pragma once
// Stability classes from temperature gradients and the wind-speed classes of the
// wind-rose evaluation.
#include <algorithm>
#include <array>
#include <vector>

#include "core/model_params.h"

namespace kadre {

// The height the wind speeds of the wind rose are measured at [m].
inline constexpr double kWindRoseHeight = 10.0;

// Wind-speed classes of the wind-rose evaluation.
struct WindClasses {
  std::vector<double> u_range;  // class wind speeds at kWindRoseHeight
  std::array<int, 5> nu{};      // number of classes used by stability class 1..5
  // Inline: asked for with every column of a pair.
  int nu_max() const { return *std::max_element(nu.begin(), nu.end()); }
};

// Stability classes (1..5) of one series of hourly temperature gradients, same length.
std::vector<int> classes_from_gradients(const std::vector<double>& gradient,
                                        const ModelParams& par);

// u_range and nu; with is_max_abs the fine 52-class grid, else the three class_w_sp.
WindClasses u_range_gen(bool is_max_abs, const ModelParams& par);

// Coarse wind class 1..3 of the cooling-tower rise; a negative wind stops the run.
int u2class_ui(double u, const ModelParams& par);

}  // namespace kadre

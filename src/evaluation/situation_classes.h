#pragma once
// The eleven standard situations of the methodology (pairs of a stability class and a
// class wind speed) and their extraction from a situation array.
#include <array>
#include <vector>

#include "core/model_params.h"
#include "core/result_tables.h"
#include "model/dispersion_model.h"

namespace kadre {

struct SituationClass {
  int stability;  // 1..5
  int speed;      // 1..3: position in class_w_sp
};

// Column order of the class tables and of the wind rose.
inline constexpr std::array<SituationClass, kSituationClassCount> kSituationClasses{
    {{1, 1}, {2, 1}, {2, 2}, {3, 1}, {3, 2}, {3, 3}, {4, 1}, {4, 2}, {4, 3}, {5, 1}, {5, 2}}};

// Position (from 1) of the first of the first n entries of u_range within the
// single-precision tolerance 1e-5 of u; -1 when there is none.
int find_speed_class(const std::vector<double>& u_range, int n, double u);

// Wind-speed class (from 1) of every situation class, looked up once per run.
struct ClassSpeedIndex {
  std::array<int, kSituationClassCount> speed_class{};
};

// Stops with a message naming the stability class and the speed when a class speed is not
// among the wind-speed classes of its stability class.
ClassSpeedIndex make_class_speed_index(const WindClasses& wind, const ModelParams& par);

}  // namespace kadre

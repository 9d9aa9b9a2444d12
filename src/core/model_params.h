#pragma once
// The empirical constants of the dispersion model, read from param.nml, and the values
// chosen from them by the run configuration. Per-class tables hold stability classes
// 1..5 at positions 0..4.
#include <array>

namespace kadre {

// Stability classes I (1) to V (5).
inline constexpr int kStabilityClasses = 5;

struct ModelParams {
  using PerClass = std::array<double, kStabilityClasses>;
  PerClass ay_1h{}, by_1h{}, az_1h{}, bz_1h{};
  PerClass ay_8h{}, by_8h{}, az_8h{}, bz_8h{};
  PerClass ay_30m{}, by_30m{}, az_30m{}, bz_30m{};
  PerClass ks{}, km{}, eps{}, u_p{};
  std::array<double, 5> stab_cl_ue{};
  std::array<double, 3> class_w_sp{};
  std::array<double, 2> class_w_sp_ue{};
  double uhel_limit_b = 0;
  double uhel_limit_pl = 0;
  std::array<double, 3> k_u_all{};
  PerClass k_p{};
  std::array<double, 2 * 26> fz{};  // (row, node): row fastest; row 1 heights, row 2 values
  std::array<double, 3> gamma{};

  // Chosen by the run configuration.
  double k_u = 0;                   // k_u_all(trida_lat)
  PerClass ay{}, by{}, az{}, bz{};  // the set of shortterm_avg

  double fz_height(int node) const { return fz[2 * (node - 1)]; }  // node from 1
  double fz_value(int node) const { return fz[2 * (node - 1) + 1]; }
};

// Depletion coefficient of pollutant class trida_lat (1..3); any other class stops the run.
double get_coef_dep(int trida_lat, const ModelParams& par);

}  // namespace kadre

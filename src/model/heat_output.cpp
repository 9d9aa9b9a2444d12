#include "model/heat_output.h"

#include "core/text.h"

namespace kadre {

namespace {
// The constants are single-precision values; they enter the heat output widened, not as the
// decimal literals.
const double kKilo = static_cast<double>(0.001f);
const double kFactorLowTemperature = static_cast<double>(1.004f);
const double kFactorHighTemperature = static_cast<double>(1.371f);
const double kExponentStrongSource = static_cast<double>(0.7f);
}  // namespace

double compute_heat_output(double v, double t, double t_ref, const std::string& tep_vyd_type) {
  if (t <= 80 && rtrim(tep_vyd_type) == "vyzk-zpr")
    return kKilo * v * kFactorLowTemperature * (t - t_ref);
  return kKilo * v * kFactorHighTemperature * (t - t_ref);
}

double get_beta(double t) {
  if (t <= 30) return 0.0;
  if (t >= 80) return 1.0;
  return (t - 30) / 50;
}

void qab(double q, double& qa, double& qb) {
  if (q >= 20) {
    qa = 30;
    qb = kExponentStrongSource;
  } else {
    qa = 90;
    qb = 1.0 / 3.0;
  }
}

void derive_heat_output(std::vector<Source>& sources, const std::string& tep_vyd_type) {
  for (Source& s : sources) {
    s.beta = get_beta(s.flue_gas_temp_c);
    s.heat_output = compute_heat_output(s.flue_gas_flow_m3_s, s.flue_gas_temp_c, 0.0, tep_vyd_type);
    qab(s.heat_output, s.qa, s.qb);
    if (s.type == SourceType::area || s.type == SourceType::line) s.flue_gas_flow_m3_s = 0;
  }
}

}  // namespace kadre

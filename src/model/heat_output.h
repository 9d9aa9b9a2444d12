#pragma once
// The heat output of a source's flue gas and what the plume rise takes from it and from the
// gas temperature: the buoyancy weight and the coefficient and exponent of the buoyant rise.
// Worked out once per source after loading, before any situation is evaluated.
#include <string>
#include <vector>

#include "core/records.h"

namespace kadre {

// Heat output [MW] of a flue-gas flow v [m3/s] at temperature t [deg C] over t_ref: factor
// 1.004 when t <= 80 with the formula "vyzk-zpr", else 1.371 (trailing blanks of the name do
// not count).
double compute_heat_output(double v, double t, double t_ref, const std::string& tep_vyd_type);

// Buoyancy weight: 0 up to 30 deg C, 1 from 80 deg C, linear between.
double get_beta(double t);

// Plume-rise coefficient and exponent for heat output q [MW].
void qab(double q, double& qa, double& qb);

// Sets beta, heat_output, qa and qb of every source from its flue-gas flow and temperature as
// read, then the flow of area and line sources to 0: they have no mouth whose flow bounds the
// concentration near the source, though an area source's flow counts in its heat output.
void derive_heat_output(std::vector<Source>& sources, const std::string& tep_vyd_type);

}  // namespace kadre

#pragma once
// The model parameter file param.nml (group "param") of the working directory.
#include "core/model_params.h"
#include "core/settings.h"

namespace kadre {

// Reads param.nml (absent keys hold 0), picks k_u of the run's pollutant class and the
// dispersion-coefficient set of its averaging time, and checks the values the model
// cannot work with. Stops the run on any error.
ModelParams read_param(const Settings& cfg);

// Copies the coefficient set of an averaging time of 30, 60 or 480 minutes into ay, by,
// az, bz; stops the run for any other time.
void get_sgm_par(int time, ModelParams& params);

}  // namespace kadre

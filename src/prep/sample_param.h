#pragma once
// The sample model parameter file (examples/demo/param.nml), built into kadre-prep.

namespace kadre {

const char* sample_param_nml();

}  // namespace kadre

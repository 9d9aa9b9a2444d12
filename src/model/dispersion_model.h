#pragma once
// The physics of one source, one reference point and one meteorological situation, as the
// evaluations call it. Every kernel is a pure function of its arguments and of the read-only
// model context, safe to call from many threads at once. Stability classes run 1..5.
#include "model/concentration_kernels.h"
#include "model/inversion.h"
#include "model/model_context.h"
#include "model/pair.h"
#include "model/plume_height.h"
#include "model/plume_sector.h"
#include "model/stability_classes.h"
#include "model/terrain_path.h"
#include "model/wind_profile.h"

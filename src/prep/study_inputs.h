#pragma once
// The features of the GIS layers turned into kadre's sources and reference points.
#include "prep/gis_input.h"
#include "prep/prep_options.h"
#include "prep/study.h"

namespace kadre {

// The series and profile of sources whose features name none.
inline constexpr const char* kDefaultSeries = "S01";
inline constexpr const char* kDefaultProfile = "P01";

// Every feature of the source layers, in their order: points become point sources (cooling
// towers with tower = 1), lines one line source per vertex pair with the emission shared by
// length, polygons area sources on the squares of side area_cell whose centres lie inside,
// the emission shared equally. Fills study.sources, totals and counts; adds every vertex
// and square to bounds. A missing or bad attribute stops naming the feature.
void read_study_sources(const PrepOptions& o, const StudyCrs& crs, Study& study, Bounds& bounds);

// The named points of the receptor layers (attribute name) and the grid of step grid_step
// over the extent (given, or the sources' bounds plus the margin); adds them to bounds.
void read_study_receptors(const PrepOptions& o, const StudyCrs& crs, const Bounds& sources,
                          Study& study, Bounds& bounds);

// Flue-gas flow at 0 °C [m3/s] of a stack of diameter d [m], exit velocity w [m/s] and
// temperature t [°C]: the exit volume pi d^2 / 4 w brought to 273.15 K.
double flow_at_zero_celsius(double d, double w, double t);

}  // namespace kadre

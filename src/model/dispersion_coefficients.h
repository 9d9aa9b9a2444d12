#pragma once
// Crosswind and vertical spreads of the plume, the initial spreads of area and line
// sources, the azimuth of a direction and of a line source.
#include "core/model_params.h"
#include "core/records.h"

namespace kadre {

// Spreads at downwind distance x: ay x^by + sy0, az x^bz + sz0.
void get_sgm(double x, double ay, double by, double az, double bz, double sy0, double sz0,
             double& sy, double& sz);

// Initial spreads of the source for wind direction phi; az_s, bz_s of the situation's class,
// azimuth the line's (line_azimuth), not read for other source types. An unknown source type
// stops the run.
void get_sgm0(const Source& source, double azimuth, double phi, double az_s, double bz_s,
              double& sy0, double& sz0);
// Azimuth of a line source's axis from its first end (x1, y1) to its second (x2, y2).
double line_azimuth(const Source& source);

// Azimuth [degrees, clockwise from +y] of the direction from a to b; 90 for a = b.
double get_delta_val(double xa, double ya, double xb, double yb);

}  // namespace kadre

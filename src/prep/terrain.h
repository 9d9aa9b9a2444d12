#pragma once
// kadre's terrain grid from a digital elevation model: reprojected into the study's system,
// cut to the study area plus a margin, resampled to the cell, rounded to whole metres.
#include <string>

#include "prep/gis_input.h"
#include "prep/study.h"

namespace kadre {

// Cells of margin around the study's bounds: the terrain paths run between sources and
// reference points, so they stay within the bounds; the margin keeps every position strictly
// inside the grid and a path's last step, which may overshoot by rounding, on it.
inline constexpr int kTerrainMarginCells = 2;

struct TerrainSummary {
  std::string crs_from;  // the DEM's system when it was reprojected, else empty
  int filled_cells = 0;  // cells without a value filled by --fill-nodata
};

// The grid of the DEM over bounds: cells of `cell` (0: the DEM's own, or in another system
// its suggested resolution rounded to whole metres) aligned to the DEM's own cells when it
// is in the study's system and to whole multiples of the cell otherwise, warped with GDAL
// (resampling method as gdalwarp names it). A cell without a value stops with the count and
// the first cell's centre unless fill_nodata, which fills them from the cells around.
TerrainRaster terrain_from_dem(const std::string& dem, const StudyCrs& crs, const Bounds& bounds,
                               double cell, const std::string& resampling, bool fill_nodata,
                               TerrainSummary& summary);

// A flat grid at elevation 0 over bounds, with cells of `cell` on whole multiples of it.
TerrainRaster flat_terrain(const Bounds& bounds, double cell);

}  // namespace kadre

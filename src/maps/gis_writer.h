#pragma once
// The GIS files of a map, written through GDAL: a GeoTIFF per indicator over the lattice and
// a GeoPackage with the reference points, the sources and the contour lines.
#include <string>
#include <utility>
#include <vector>

#include "maps/map_data.h"

namespace kadre {

// One contour line of one level, as a polyline in the run's coordinates.
struct ContourLine {
  double level = 0;
  std::vector<std::pair<double, double>> points;
};

// The contour lines of the indicator over the lattice at the given levels (GDAL's contour
// generator over the lattice raster; cells without a value are left out).
std::vector<ContourLine> contour_lines(const Lattice& lattice, const Indicator& indicator,
                                       const std::vector<double>& levels);

// The WKT of a coordinate reference system given as EPSG:NNNN, WKT or a PROJ string; an
// unknown one stops with a message (RunError).
std::string crs_wkt(const std::string& text);

// The GeoTIFF of path, written at temporary (the name it has until it is renamed into place):
// the indicator over map.lattice (which must be set) in Float64, no-data
// for cells without a point, north up, georeferenced so that each cell's centre is its
// point, with map.crs when set, the indicator's name and unit in the metadata, DEFLATE and
// tiled. A failure stops with a message naming path (RunError).
void write_geotiff(const MapData& map, const Indicator& indicator, const std::string& path,
                   const std::string& temporary);

// The GeoPackage of path, written at temporary, with the layers
//   receptors: a point per reference point; fields id, l (height above terrain), z (terrain
//     elevation) and every indicator of map.indicators by its name;
//   sources: point sources and cooling towers as points, line sources as lines from their
//     first to their second end, area sources as squares of their side length around their
//     position; fields id, type (1 point, 2 area, 3 line, 4 cooling tower), h, m;
//   contours_<indicator>: its contour lines, field level; for every indicator when
//     map.lattice is set (empty where it has none), else only for those given lines.
// Layers carry map.crs when set. A failure stops with a message naming path (RunError).
void write_geopackage(const MapData& map, const std::vector<std::vector<ContourLine>>& contours,
                      const std::string& path, const std::string& temporary);

}  // namespace kadre

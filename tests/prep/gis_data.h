#pragma once
// GIS files made with GDAL for the tests of kadre-prep: a DEM raster and vector layers from
// WKT geometries with attributes.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <ogr_core.h>

namespace kadre::test {

// A north-up single-band Float32 raster: ncols x nrows cells of `cell`, lower-left corner
// (xll, yll), z(col, row) with row 0 the northernmost; nodata cells hold -9999.
void write_dem(const std::string& path, const char* driver, int epsg, double xll, double yll,
               double cell, int ncols, int nrows, const std::function<double(int, int)>& z);

struct TestFeature {
  std::string wkt;
  std::vector<std::string> values;  // per field; empty leaves it null
};

// A layer of the driver (GPKG, GeoJSON, ...) in EPSG:epsg (0: none) with the fields.
void write_layer(const std::string& path, const char* driver, const std::string& layer, int epsg,
                 const std::vector<std::pair<std::string, OGRFieldType>>& fields,
                 const std::vector<TestFeature>& features);

}  // namespace kadre::test

#include "prep/gis_data.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <stdexcept>

namespace kadre::test {

namespace {

OGRSpatialReference srs_of(int epsg) {
  OGRSpatialReference srs;
  srs.importFromEPSG(epsg);
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return srs;
}

GDALDriver* driver_of(const char* name) {
  GDALAllRegister();
  GDALDriver* d = GetGDALDriverManager()->GetDriverByName(name);
  if (d == nullptr) throw std::runtime_error(std::string("no GDAL driver ") + name);
  return d;
}

}  // namespace

void write_dem(const std::string& path, const char* driver, int epsg, double xll, double yll,
               double cell, int ncols, int nrows, const std::function<double(int, int)>& z) {
  GDALDatasetUniquePtr ds(
      driver_of(driver)->Create(path.c_str(), ncols, nrows, 1, GDT_Float32, nullptr));
  double gt[6] = {xll, cell, 0, yll + nrows * cell, 0, -cell};
  ds->SetGeoTransform(gt);
  if (epsg != 0) {
    const OGRSpatialReference srs = srs_of(epsg);
    ds->SetSpatialRef(&srs);
  }
  std::vector<float> values;
  for (int r = 0; r < nrows; ++r)
    for (int c = 0; c < ncols; ++c) values.push_back(static_cast<float>(z(c, r)));
  GDALRasterBand* band = ds->GetRasterBand(1);
  band->SetNoDataValue(-9999);
  if (band->RasterIO(GF_Write, 0, 0, ncols, nrows, values.data(), ncols, nrows, GDT_Float32, 0, 0,
                     nullptr) != CE_None)
    throw std::runtime_error("DEM not written: " + path);
}

void write_layer(const std::string& path, const char* driver, const std::string& layer, int epsg,
                 const std::vector<std::pair<std::string, OGRFieldType>>& fields,
                 const std::vector<TestFeature>& features) {
  GDALDatasetUniquePtr ds(driver_of(driver)->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!ds) throw std::runtime_error("layer not created: " + path);
  OGRSpatialReference srs = srs_of(epsg == 0 ? 4326 : epsg);
  OGRLayer* l = ds->CreateLayer(layer.c_str(), epsg == 0 ? nullptr : &srs, wkbUnknown, nullptr);
  for (const auto& [name, type] : fields) {
    OGRFieldDefn f(name.c_str(), type);
    l->CreateField(&f);
  }
  for (const TestFeature& tf : features) {
    OGRFeatureUniquePtr f(OGRFeature::CreateFeature(l->GetLayerDefn()));
    OGRGeometry* g = nullptr;
    OGRGeometryFactory::createFromWkt(tf.wkt.c_str(), nullptr, &g);
    f->SetGeometryDirectly(g);
    for (std::size_t i = 0; i < tf.values.size(); ++i)
      if (!tf.values[i].empty()) f->SetField(static_cast<int>(i), tf.values[i].c_str());
    if (l->CreateFeature(f.get()) != OGRERR_NONE)
      throw std::runtime_error("feature not written: " + path);
  }
}

}  // namespace kadre::test

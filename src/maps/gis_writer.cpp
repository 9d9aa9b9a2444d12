#include "maps/gis_writer.h"
#include "maps/lattice.h"

#include <array>
#include <cmath>
#include <cstdio>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal_alg.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "core/errors.h"
#include "output/result_file.h"

namespace kadre {
namespace {

constexpr double kNoData = -9999;

// Registers the drivers once and keeps GDAL's own messages off the console while alive, so
// that the program's message is the only one. The handler stack is per thread.
class GdalSession {
 public:
  GdalSession() {
    static const bool registered = (GDALAllRegister(), true);
    (void)registered;
    CPLPushErrorHandler(CPLQuietErrorHandler);
  }
  ~GdalSession() { CPLPopErrorHandler(); }
  GdalSession(const GdalSession&) = delete;
  GdalSession& operator=(const GdalSession&) = delete;
};

// The write error of the path; what GDAL said of it, when it said anything, on a line of its
// own, so that a refusal (a field name taken twice) does not read as a disk problem.
[[noreturn]] void write_failed(const std::string& path) {
  const std::string gdal = CPLGetLastErrorMsg();
  if (gdal.empty()) stop_with_lines({write_error_message(path)});
  stop_with_lines({write_error_message(path), "GDAL: " + gdal});
}

[[noreturn]] void contours_failed() { raise_error("Chyba pri vypoctu izolinii."); }

GDALDriver* driver(const char* name) { return GetGDALDriverManager()->GetDriverByName(name); }

// Closes the dataset; anything GDAL reports on the way (the last flush of the file) fails.
void close_checked(GDALDatasetUniquePtr& ds, const std::string& path) {
  CPLErrorReset();
  ds.reset();
  if (CPLGetLastErrorType() == CE_Failure || CPLGetLastErrorType() == CE_Fatal) write_failed(path);
}

// Creates a new file at temporary, the name the file of path is written under (a file there
// before goes first, with the side files of its kind), lets fill write the dataset and closes
// it. On a failure the partial file is removed. Messages name path.
template <class Fill>
void write_dataset(const char* driver_name, const std::string& path, const std::string& temporary,
                   int nx, int ny, int bands, GDALDataType type, CSLConstList options, Fill fill) {
  CPLErrorReset();  // what GDAL says from here on is about this file
  GDALDriver* drv = driver(driver_name);
  if (drv == nullptr) write_failed(path);
  VSIStatBufL stat;
  if (VSIStatL(temporary.c_str(), &stat) == 0) {
    if (!VSI_ISREG(stat.st_mode)) write_failed(path);
    const char* const same_kind[] = {driver_name, nullptr};
    GDALDriver::QuietDelete(temporary.c_str(), same_kind);
    if (VSIStatL(temporary.c_str(), &stat) == 0 && VSIUnlink(temporary.c_str()) != 0)
      write_failed(path);
  }
  GDALDatasetUniquePtr ds(drv->Create(temporary.c_str(), nx, ny, bands, type, options));
  if (!ds) write_failed(path);
  try {
    fill(*ds);
    close_checked(ds, path);
  } catch (...) {
    ds.reset();
    VSIUnlink(temporary.c_str());
    throw;
  }
}

// The lattice's geotransform: north up, each cell centred on its point.
std::array<double, 6> geotransform(const Lattice& lat) {
  return {lat.x0 - lat.dx / 2, lat.dx, 0, lat.y0 + (lat.ny - 0.5) * lat.dy, 0, -lat.dy};
}

// The lattice raster with cells without a value set to kNoData.
std::vector<double> raster_with_nodata(const Lattice& lat, const Indicator& indicator) {
  std::vector<double> r = lattice_raster(lat, indicator);
  for (double& v : r)
    if (std::isnan(v)) v = kNoData;
  return r;
}

// Fills the single band of ds with the raster and its georeferencing.
bool fill_band(GDALDataset& ds, const Lattice& lat, std::vector<double>& raster) {
  std::array<double, 6> gt = geotransform(lat);
  GDALRasterBand* band = ds.GetRasterBand(1);
  return band != nullptr && ds.SetGeoTransform(gt.data()) == CE_None &&
         band->SetNoDataValue(kNoData) == CE_None &&
         band->RasterIO(GF_Write, 0, 0, lat.nx, lat.ny, raster.data(), lat.nx, lat.ny, GDT_Float64,
                        0, 0, nullptr) == CE_None;
}

// The spatial reference of map.crs in x/y order, or nullptr when there is none.
const OGRSpatialReference* map_srs(const std::string& crs, OGRSpatialReference& srs) {
  if (crs.empty()) return nullptr;
  if (srs.SetFromUserInput(
          crs.c_str(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) != OGRERR_NONE)
    raise_error("Neznamy souradnicovy system: " + crs + ".");
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return &srs;
}

// Appends the line strings of a (possibly multi-part) geometry as contour lines.
void append_lines(const OGRGeometry* geom, double level, std::vector<ContourLine>& out) {
  if (geom == nullptr) return;
  OGRwkbGeometryType type = wkbFlatten(geom->getGeometryType());
  if (type == wkbLineString || type == wkbLinearRing) {
    const auto* ls = geom->toLineString();
    ContourLine line{level, {}};
    line.points.reserve(ls->getNumPoints());
    for (int i = 0; i < ls->getNumPoints(); ++i) {
      std::pair<double, double> pt{ls->getX(i), ls->getY(i)};
      if (line.points.empty() || line.points.back() != pt) line.points.push_back(pt);  // no repeats
    }
    if (line.points.size() >= 2) out.push_back(std::move(line));
  } else if (OGR_GT_IsSubClassOf(type, wkbGeometryCollection)) {
    const auto* gc = geom->toGeometryCollection();
    for (int i = 0; i < gc->getNumGeometries(); ++i)
      append_lines(gc->getGeometryRef(i), level, out);
  }
}

// Creates a layer with the given fields; GDAL must keep every field name as given.
OGRLayer* create_layer(GDALDataset& ds, const std::string& name, const OGRSpatialReference* srs,
                       OGRwkbGeometryType type,
                       const std::vector<std::pair<std::string, OGRFieldType>>& fields,
                       const std::string& path) {
  OGRLayer* layer = ds.CreateLayer(name.c_str(), const_cast<OGRSpatialReference*>(srs), type);
  if (layer == nullptr) write_failed(path);
  for (const auto& [field_name, field_type] : fields) {
    OGRFieldDefn defn(field_name.c_str(), field_type);
    if (layer->CreateField(&defn, FALSE) != OGRERR_NONE) write_failed(path);
  }
  OGRFeatureDefn* defn = layer->GetLayerDefn();
  if (defn->GetFieldCount() != static_cast<int>(fields.size())) write_failed(path);
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].first != defn->GetFieldDefn(static_cast<int>(i))->GetNameRef())
      write_failed(path);
  return layer;
}

// Writes the features fill makes (it calls add(geometry, set_fields) per feature) in one
// transaction.
template <class Fill>
void write_features(GDALDataset& ds, OGRLayer& layer, const std::string& path, Fill fill) {
  if (ds.StartTransaction() != OGRERR_NONE) write_failed(path);
  auto add = [&](const OGRGeometry& geom, auto set_fields) {
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
    if (!feature || feature->SetGeometry(&geom) != OGRERR_NONE) write_failed(path);
    set_fields(*feature);
    if (layer.CreateFeature(feature.get()) != OGRERR_NONE) write_failed(path);
  };
  fill(add);
  if (ds.CommitTransaction() != OGRERR_NONE) write_failed(path);
}

void set_real(OGRFeature& f, int i, double v) {
  if (std::isnan(v))
    f.SetFieldNull(i);
  else
    f.SetField(i, v);
}

// The layers of the GeoPackage, each written in one transaction.
void fill_geopackage(GDALDataset& ds, const MapData& map,
                     const std::vector<std::vector<ContourLine>>& contours,
                     const OGRSpatialReference* srs, const std::string& path) {
  // Reference points.
  std::vector<std::pair<std::string, OGRFieldType>> fields{
      {"id", OFTString}, {"l", OFTReal}, {"z", OFTReal}};
  for (const Indicator& ind : map.indicators) fields.emplace_back(ind.name, OFTReal);
  OGRLayer* receptors = create_layer(ds, "receptors", srs, wkbPoint, fields, path);
  write_features(ds, *receptors, path, [&](auto add) {
    for (std::size_t p = 0; p < map.points.size(); ++p) {
      const RefPoint& rp = map.points[p];
      add(OGRPoint(rp.x, rp.y), [&](OGRFeature& f) {
        f.SetField(0, rp.id.c_str());
        f.SetField(1, rp.height_above_ground_m);
        f.SetField(2, rp.z);
        for (std::size_t i = 0; i < map.indicators.size(); ++i) {
          const std::vector<double>& v = map.indicators[i].values;
          set_real(f, static_cast<int>(3 + i), p < v.size() ? v[p] : NAN);
        }
      });
    }
  });

  // Sources, each as its kind of geometry in one mixed layer.
  OGRLayer* sources =
      create_layer(ds, "sources", srs, wkbUnknown,
                   {{"id", OFTString}, {"type", OFTInteger}, {"h", OFTReal}, {"m", OFTReal}}, path);
  write_features(ds, *sources, path, [&](auto add) {
    for (const Source& s : map.sources) {
      auto set = [&](OGRFeature& f) {
        f.SetField(0, s.id.c_str());
        f.SetField(1, s.cooling_tower ? 4 : static_cast<int>(s.type));
        f.SetField(2, s.stack_height_m);
        f.SetField(3, s.m);
      };
      if (s.type == SourceType::line) {
        OGRLineString line;
        line.addPoint(s.x1, s.y1);
        line.addPoint(s.x2, s.y2);
        add(line, set);
      } else if (s.type == SourceType::area) {
        double a = s.length / 2;
        OGRLinearRing ring;
        ring.addPoint(s.x - a, s.y - a);
        ring.addPoint(s.x + a, s.y - a);
        ring.addPoint(s.x + a, s.y + a);
        ring.addPoint(s.x - a, s.y + a);
        ring.closeRings();
        OGRPolygon square;
        square.addRing(&ring);
        add(square, set);
      } else {
        add(OGRPoint(s.x, s.y), set);
      }
    }
  });

  // Contour lines per indicator.
  for (std::size_t i = 0; i < map.indicators.size(); ++i) {
    static const std::vector<ContourLine> none;
    const std::vector<ContourLine>& lines = i < contours.size() ? contours[i] : none;
    if (lines.empty() && !map.lattice) continue;
    OGRLayer* layer = create_layer(ds, "contours_" + map.indicators[i].name, srs, wkbLineString,
                                   {{"level", OFTReal}}, path);
    write_features(ds, *layer, path, [&](auto add) {
      for (const ContourLine& c : lines) {
        OGRLineString ls;
        for (const auto& [x, y] : c.points) ls.addPoint(x, y);
        add(ls, [&](OGRFeature& f) { f.SetField(0, c.level); });
      }
    });
  }
}

}  // namespace

std::string crs_wkt(const std::string& text) {
  GdalSession session;
  OGRSpatialReference srs;
  char* wkt = nullptr;
  bool ok = !text.empty() &&
            srs.SetFromUserInput(text.c_str(),
                                 OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) ==
                OGRERR_NONE &&
            srs.exportToWkt(&wkt) == OGRERR_NONE && wkt != nullptr;
  std::string result = ok ? wkt : "";
  CPLFree(wkt);
  if (!ok || result.empty()) raise_error("Neznamy souradnicovy system: " + text + ".");
  return result;
}

std::vector<ContourLine> contour_lines(const Lattice& lattice, const Indicator& indicator,
                                       const std::vector<double>& levels) {
  std::vector<ContourLine> lines;
  if (levels.empty()) return lines;
  GdalSession session;
  std::vector<double> raster = raster_with_nodata(lattice, indicator);
  GDALDriver* mem = driver("MEM");
  GDALDriver* memory = driver("Memory");
  if (mem == nullptr || memory == nullptr) contours_failed();
  GDALDatasetUniquePtr grid(mem->Create("", lattice.nx, lattice.ny, 1, GDT_Float64, nullptr));
  if (!grid || !fill_band(*grid, lattice, raster)) contours_failed();
  GDALDatasetUniquePtr vec(memory->Create("", 0, 0, 0, GDT_Unknown, nullptr));
  OGRLayer* layer = vec ? vec->CreateLayer("contours", nullptr, wkbLineString) : nullptr;
  OGRFieldDefn level_field("level", OFTReal);
  if (layer == nullptr || layer->CreateField(&level_field) != OGRERR_NONE) contours_failed();

  // The generator takes the elevation field by its index and the levels as text; %.17g keeps
  // every level exact.
  std::string fixed = "FIXED_LEVELS=";
  char buf[40];
  for (std::size_t i = 0; i < levels.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%s%.17g", i ? "," : "", levels[i]);
    fixed += buf;
  }
  CPLStringList options;
  options.AddString(fixed.c_str());
  options.AddString("ELEV_FIELD=0");
  options.AddString(CPLSPrintf("NODATA=%.17g", kNoData));
  if (GDALContourGenerateEx(GDALRasterBand::ToHandle(grid->GetRasterBand(1)),
                            OGRLayer::ToHandle(layer), options.List(), nullptr, nullptr) != CE_None)
    contours_failed();

  layer->ResetReading();
  for (const auto& feature : *layer)
    append_lines(feature->GetGeometryRef(), feature->GetFieldAsDouble(0), lines);
  return lines;
}

void write_geotiff(const MapData& map, const Indicator& indicator, const std::string& path,
                   const std::string& temporary) {
  GdalSession session;
  const Lattice& lat = map.lattice.value();
  std::vector<double> raster = raster_with_nodata(lat, indicator);
  OGRSpatialReference srs_store;
  const OGRSpatialReference* srs = map_srs(map.crs, srs_store);

  CPLStringList options;
  options.AddString("COMPRESS=DEFLATE");
  options.AddString("TILED=YES");
  auto fill = [&](GDALDataset& ds) {
    if (!fill_band(ds, lat, raster)) write_failed(path);
    GDALRasterBand* band = ds.GetRasterBand(1);
    band->SetDescription(indicator.name.c_str());
    for (GDALMajorObject* obj :
         {static_cast<GDALMajorObject*>(&ds), static_cast<GDALMajorObject*>(band)})
      if (obj->SetMetadataItem("INDICATOR", indicator.name.c_str()) != CE_None ||
          obj->SetMetadataItem("UNIT", indicator.unit.c_str()) != CE_None)
        write_failed(path);
    if (srs != nullptr && ds.SetSpatialRef(srs) != CE_None) write_failed(path);
  };
  write_dataset("GTiff", path, temporary, lat.nx, lat.ny, 1, GDT_Float64, options.List(), fill);
}

void write_geopackage(const MapData& map, const std::vector<std::vector<ContourLine>>& contours,
                      const std::string& path, const std::string& temporary) {
  GdalSession session;
  OGRSpatialReference srs_store;
  const OGRSpatialReference* srs = map_srs(map.crs, srs_store);

  write_dataset("GPKG", path, temporary, 0, 0, 0, GDT_Unknown, nullptr,
                [&](GDALDataset& ds) { fill_geopackage(ds, map, contours, srs, path); });
}

}  // namespace kadre

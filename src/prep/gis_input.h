#pragma once
// GIS input through GDAL: the study's coordinate reference system, vector layers with their
// geometries in the study's coordinates, and attributes read by name with messages that name
// the layer, the feature and the attribute.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "prep/source_split.h"

namespace kadre {

// Registers GDAL's drivers once and keeps GDAL's own messages off the console while alive
// (the program's message is the only one; GDAL's text joins it where it helps).
class PrepGdalSession {
 public:
  PrepGdalSession();
  ~PrepGdalSession();
  PrepGdalSession(const PrepGdalSession&) = delete;
  PrepGdalSession& operator=(const PrepGdalSession&) = delete;
};

// GDAL's last error text as a line of its own, empty when there is none.
std::string gdal_detail();

// A coordinate reference system given as EPSG:NNNN, WKT or a PROJ string, in x/y order;
// an unknown one stops with a message naming what it was given for.
std::unique_ptr<OGRSpatialReference> crs_from_text(const std::string& text);

// The study's coordinates: a projected system in metres, or none (every input is then taken
// as it is and must carry no system either).
struct StudyCrs {
  std::unique_ptr<OGRSpatialReference> srs;        // null: none
  std::unique_ptr<OGRSpatialReference> input_srs;  // of inputs without one; null: the study's
  // The text kadre-map reads back (EPSG:NNNN, else WKT); empty without a system.
  std::string text() const;
  std::string name() const;
};

// --crs when given, else the system of the first source layer; stops unless it is projected
// in metres.
StudyCrs study_crs(const std::string& given, const std::string& input_crs,
                   const std::string& first_sources);

// A transformation from an input's system into the study's, or none when they are the same.
class ToStudy {
 public:
  ToStudy(const OGRSpatialReference* input, const StudyCrs& study, const std::string& what);
  // Transforms in place; false when the transformation fails.
  bool apply(OGRGeometry& g) const;
  bool apply(double& x, double& y) const;

 private:
  std::unique_ptr<OGRCoordinateTransformation> ct_;
};

enum class GeometryKind { point, line, polygon };

// A feature's geometry as points: one part of one point, the parts of a (multi)line, or the
// rings of a (multi)polygon; curves are turned into straight segments.
struct FlatGeometry {
  GeometryKind kind = GeometryKind::point;
  std::vector<std::vector<XY>> parts;
};

// An open vector layer (FILE[:LAYER]; CSV with x, y or WKT columns) whose features come with
// their geometries in the study's coordinates.
class VectorLayer {
 public:
  VectorLayer(const std::string& file_layer, const StudyCrs& study);
  const std::string& path() const { return path_; }
  const std::string& name() const { return name_; }
  // The next feature, nullptr after the last.
  OGRFeatureUniquePtr next();
  OGRFeatureDefn* definition() const { return layer_->GetLayerDefn(); }

 private:
  std::string path_, name_;
  GDALDatasetUniquePtr ds_;
  OGRLayer* layer_ = nullptr;
  std::unique_ptr<ToStudy> to_study_;
};

// The attributes of one feature by their documented names, each read from the column of
// that name or the one --field maps it to.
class FeatureFields {
 public:
  FeatureFields(const VectorLayer& layer, const OGRFeature& feature,
                const std::map<std::string, std::string>& columns);

  // "Prvek <fid> (id <id>) vrstvy <layer> souboru <path>".
  const std::string& where() const { return where_; }
  // The feature's id: its id attribute, else its number in the layer.
  const std::string& id() const { return id_; }
  // The value (a number column or a text that reads as a number); none when the column is
  // absent or the value null or blank; a text that is no number stops.
  std::optional<double> number(const std::string& name) const;
  // The value, which must be there.
  double required(const std::string& name) const;
  double number_or(const std::string& name, double fallback) const;
  // The text, empty when absent.
  std::string text(const std::string& name) const;
  // Stops: the attribute's value is not what it must be.
  [[noreturn]] void invalid(const std::string& name, const std::string& value,
                            const std::string& expected) const;
  // Stops: the geometry cannot be used.
  [[noreturn]] void bad_geometry(const std::string& why) const;
  std::string attribute(const std::string& name) const;  // "height" or "height (sloupec X)"

 private:
  int index(const std::string& name) const;
  const OGRFeature& feature_;
  const std::map<std::string, std::string>& columns_;
  std::string where_, id_;
};

// The geometry of the feature, or a stop naming the feature when it has none or is of a
// kind no source or point can be (several points in one feature, a collection).
FlatGeometry flat_geometry(const OGRFeature& feature, const FeatureFields& fields);

}  // namespace kadre

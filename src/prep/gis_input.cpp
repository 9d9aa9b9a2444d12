#include "prep/gis_input.h"

#include <cmath>
#include <filesystem>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>

#include "core/text.h"
#include "init/free_format_reader.h"
#include "prep/prep_errors.h"
#include "prep/prep_options.h"

namespace kadre {

namespace {

struct OpenedLayer {
  std::string path, name;
  GDALDatasetUniquePtr ds;
  OGRLayer* layer = nullptr;
};

std::string layer_names(GDALDataset& ds) {
  std::string names;
  for (int i = 0; i < ds.GetLayerCount(); ++i)
    names += (names.empty() ? "" : ", ") + std::string(ds.GetLayer(i)->GetName());
  return names;
}

// FILE[:LAYER]; a CSV file takes its points from x and y columns or its geometries from a
// WKT column.
OpenedLayer open_layer(const std::string& file_layer) {
  OpenedLayer o;
  std::string layer;
  std::tie(o.path, layer) = split_layer(file_layer);
  std::error_code ec;
  if (!std::filesystem::exists(o.path, ec))
    prep_error("Soubor " + o.path + " s vektorovymi daty neexistuje.");
  const bool csv = to_lower(std::filesystem::path(o.path).extension().string()) == ".csv";
  const char* const csv_options[] = {"X_POSSIBLE_NAMES=x", "Y_POSSIBLE_NAMES=y",
                                     "GEOM_POSSIBLE_NAMES=wkt", "KEEP_GEOM_COLUMNS=NO", nullptr};
  CPLErrorReset();
  o.ds.reset(GDALDataset::Open(o.path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr,
                               csv ? csv_options : nullptr));
  if (!o.ds) prep_error("Soubor " + o.path + " nelze otevrit jako vektorova data.", gdal_detail());
  if (!layer.empty()) {
    o.layer = o.ds->GetLayerByName(layer.c_str());
    if (o.layer == nullptr)
      prep_error("Soubor " + o.path + " nema vrstvu " + layer + " (vrstvy: " + layer_names(*o.ds) +
                 ").");
  } else if (o.ds->GetLayerCount() == 1) {
    o.layer = o.ds->GetLayer(0);
  } else {
    prep_error("Soubor " + o.path + " ma " + std::to_string(o.ds->GetLayerCount()) + " vrstev (" +
               layer_names(*o.ds) + "): zvolte jednu zapisem SOUBOR:VRSTVA.");
  }
  o.name = o.layer->GetName();
  return o;
}

std::unique_ptr<OGRSpatialReference> clone_srs(const OGRSpatialReference* srs) {
  if (srs == nullptr) return nullptr;
  std::unique_ptr<OGRSpatialReference> copy(srs->Clone());
  copy->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return copy;
}

std::string number_text(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

}  // namespace

PrepGdalSession::PrepGdalSession() {
  static const bool registered = (GDALAllRegister(), true);
  (void)registered;
  CPLPushErrorHandler(CPLQuietErrorHandler);
}

PrepGdalSession::~PrepGdalSession() { CPLPopErrorHandler(); }

std::string gdal_detail() {
  const std::string msg = CPLGetLastErrorMsg();
  return msg.empty() ? "" : "GDAL: " + msg;
}

std::unique_ptr<OGRSpatialReference> crs_from_text(const std::string& text) {
  auto srs = std::make_unique<OGRSpatialReference>();
  if (srs->SetFromUserInput(
          text.c_str(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) != OGRERR_NONE)
    prep_error("Neznamy souradnicovy system: " + text + ".");
  srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return srs;
}

std::string StudyCrs::text() const {
  if (!srs) return "";
  const char* auth = srs->GetAuthorityName(nullptr);
  const char* code = srs->GetAuthorityCode(nullptr);
  if (auth != nullptr && code != nullptr) return std::string(auth) + ":" + code;
  char* wkt = nullptr;
  const char* const options[] = {"FORMAT=WKT2_2018", "MULTILINE=NO", nullptr};
  srs->exportToWkt(&wkt, options);
  std::string text = wkt != nullptr ? wkt : "";
  CPLFree(wkt);
  return text;
}

std::string StudyCrs::name() const {
  if (!srs) return "";
  const char* n = srs->GetName();
  const std::string t = text();
  return (n != nullptr ? std::string(n) : "") + (t.size() < 20 ? " (" + t + ")" : "");
}

StudyCrs study_crs(const std::string& given, const std::string& input_crs,
                   const std::string& first_sources) {
  StudyCrs s;
  if (!input_crs.empty()) s.input_srs = crs_from_text(input_crs);
  std::string origin;
  if (!given.empty()) {
    s.srs = crs_from_text(given);
    origin = "Souradnicovy system studie " + given;
  } else {
    OpenedLayer first = open_layer(first_sources);
    s.srs = clone_srs(first.layer->GetSpatialRef());
    if (!s.srs && s.input_srs) s.srs = clone_srs(s.input_srs.get());
    origin = "Souradnicovy system zdroju " + first.path;
  }
  if (s.srs && !(s.srs->IsProjected() && std::abs(s.srs->GetLinearUnits() - 1.0) < 1e-9))
    prep_error(origin + " (" + (s.srs->GetName() ? s.srs->GetName() : "") +
               ") neni projektovany v metrech: zadejte system studie volbou --crs (napr. "
               "EPSG:32633).");
  return s;
}

ToStudy::ToStudy(const OGRSpatialReference* input, const StudyCrs& study, const std::string& what) {
  const OGRSpatialReference* from = input != nullptr ? input : study.input_srs.get();
  if (!study.srs) {
    if (from != nullptr)
      prep_error(what + " ma souradnicovy system, ktery studie nema: zadejte jej volbou --crs.");
    return;
  }
  if (from == nullptr || from->IsSame(study.srs.get())) return;
  const std::unique_ptr<OGRSpatialReference> source = clone_srs(from);
  CPLErrorReset();
  ct_.reset(OGRCreateCoordinateTransformation(source.get(), study.srs.get()));
  if (!ct_)
    prep_error(what + ": souradnicovy system nelze prevest do systemu studie.", gdal_detail());
}

bool ToStudy::apply(OGRGeometry& g) const { return !ct_ || g.transform(ct_.get()) == OGRERR_NONE; }

bool ToStudy::apply(double& x, double& y) const {
  return !ct_ || ct_->Transform(1, &x, &y) != FALSE;
}

VectorLayer::VectorLayer(const std::string& file_layer, const StudyCrs& study) {
  OpenedLayer o = open_layer(file_layer);
  path_ = o.path;
  name_ = o.name;
  ds_ = std::move(o.ds);
  layer_ = o.layer;
  to_study_ = std::make_unique<ToStudy>(layer_->GetSpatialRef(), study,
                                        "Vrstva " + name_ + " souboru " + path_);
  layer_->ResetReading();
}

OGRFeatureUniquePtr VectorLayer::next() {
  OGRFeatureUniquePtr f(layer_->GetNextFeature());
  if (!f) return f;
  OGRGeometry* g = f->GetGeometryRef();
  if (g != nullptr && !g->IsEmpty() && !to_study_->apply(*g))
    prep_error("Prvek " + std::to_string(f->GetFID()) + " vrstvy " + name_ + " souboru " + path_ +
                   ": souradnice nelze prevest do systemu studie.",
               gdal_detail());
  return f;
}

FeatureFields::FeatureFields(const VectorLayer& layer, const OGRFeature& feature,
                             const std::map<std::string, std::string>& columns)
    : feature_(feature), columns_(columns) {
  const std::string fid = std::to_string(feature.GetFID());
  where_ = "Prvek " + fid;
  const int id_index = index("id");
  if (id_index >= 0 && feature.IsFieldSetAndNotNull(id_index)) {
    const std::string text = feature.GetFieldAsString(id_index);
    const std::size_t a = text.find_first_not_of(' ');
    id_ = a == std::string::npos ? "" : rtrim(text.substr(a));
    where_ += " (id " + id_ + ")";
  }
  where_ += " vrstvy " + layer.name() + " souboru " + layer.path();
  if (id_index >= 0 && id_.empty()) prep_error(where_ + ": chybi atribut " + attribute("id") + ".");
  if (id_index < 0) id_ = fid;
}

std::string FeatureFields::attribute(const std::string& name) const {
  const auto it = columns_.find(name);
  return it == columns_.end() ? name : name + " (sloupec " + it->second + ")";
}

int FeatureFields::index(const std::string& name) const {
  const auto it = columns_.find(name);
  return feature_.GetFieldIndex((it == columns_.end() ? name : it->second).c_str());
}

std::optional<double> FeatureFields::number(const std::string& name) const {
  const int i = index(name);
  if (i < 0 || !feature_.IsFieldSetAndNotNull(i)) return std::nullopt;
  const OGRFieldType type = feature_.GetFieldDefnRef(i)->GetType();
  if (type == OFTInteger || type == OFTInteger64 || type == OFTReal) {
    const double v = feature_.GetFieldAsDouble(i);
    if (!std::isfinite(v)) invalid(name, number_text(v), "konecne cislo");
    return v;
  }
  const std::string text = feature_.GetFieldAsString(i);
  const std::size_t a = text.find_first_not_of(" \t");
  if (a == std::string::npos) return std::nullopt;
  double v = 0;
  if (!parse_real(rtrim(text.substr(a)), v)) invalid(name, text, "cislo");
  return v;
}

double FeatureFields::required(const std::string& name) const {
  const std::optional<double> v = number(name);
  if (!v) prep_error(where_ + ": chybi atribut " + attribute(name) + ".");
  return *v;
}

double FeatureFields::number_or(const std::string& name, double fallback) const {
  return number(name).value_or(fallback);
}

std::string FeatureFields::text(const std::string& name) const {
  const int i = index(name);
  if (i < 0 || !feature_.IsFieldSetAndNotNull(i)) return "";
  const std::string text = feature_.GetFieldAsString(i);
  const std::size_t a = text.find_first_not_of(" \t");
  return a == std::string::npos ? "" : rtrim(text.substr(a));
}

void FeatureFields::invalid(const std::string& name, const std::string& value,
                            const std::string& expected) const {
  prep_error(where_ + ": atribut " + attribute(name) + " = '" + value + "' neni " + expected + ".");
}

void FeatureFields::bad_geometry(const std::string& why) const {
  prep_error(where_ + ": " + why + ".");
}

FlatGeometry flat_geometry(const OGRFeature& feature, const FeatureFields& fields) {
  const OGRGeometry* g = feature.GetGeometryRef();
  if (g == nullptr || g->IsEmpty()) fields.bad_geometry("nema geometrii");
  std::unique_ptr<OGRGeometry> linear;
  if (g->hasCurveGeometry()) {
    linear.reset(g->getLinearGeometry());
    g = linear.get();
  }
  FlatGeometry flat;
  const auto add_curve = [&](const OGRSimpleCurve& c) {
    std::vector<XY> part;
    for (int i = 0; i < c.getNumPoints(); ++i) {
      const XY p{c.getX(i), c.getY(i)};
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) fields.bad_geometry("ma neplatne souradnice");
      part.push_back(p);
    }
    flat.parts.push_back(std::move(part));
  };
  const auto add_polygon = [&](const OGRPolygon& p) {
    for (const OGRLinearRing* ring : p) add_curve(*ring);
  };
  switch (wkbFlatten(g->getGeometryType())) {
    case wkbPoint: {
      const auto* p = g->toPoint();
      flat.parts.push_back({XY{p->getX(), p->getY()}});
      if (!std::isfinite(p->getX()) || !std::isfinite(p->getY()))
        fields.bad_geometry("ma neplatne souradnice");
      return flat;
    }
    case wkbMultiPoint: {
      const auto* mp = g->toMultiPoint();
      if (mp->getNumGeometries() != 1)
        fields.bad_geometry("ma " + std::to_string(mp->getNumGeometries()) +
                            " bodu v jednom prvku: kazdy bod musi byt prvkem sam o sobe");
      const OGRPoint* p = mp->getGeometryRef(0);
      flat.parts.push_back({XY{p->getX(), p->getY()}});
      return flat;
    }
    case wkbLineString:
      flat.kind = GeometryKind::line;
      add_curve(*g->toLineString());
      return flat;
    case wkbMultiLineString:
      flat.kind = GeometryKind::line;
      for (const OGRLineString* l : *g->toMultiLineString()) add_curve(*l);
      return flat;
    case wkbPolygon:
      flat.kind = GeometryKind::polygon;
      add_polygon(*g->toPolygon());
      return flat;
    case wkbMultiPolygon:
      flat.kind = GeometryKind::polygon;
      for (const OGRPolygon* p : *g->toMultiPolygon()) add_polygon(*p);
      return flat;
    default:
      fields.bad_geometry(std::string("ma geometrii typu ") +
                          OGRGeometryTypeToName(g->getGeometryType()) +
                          ", ktera neni bod, linie ani polygon");
  }
}

}  // namespace kadre

#include "prep/study_inputs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/math_constants.h"
#include "prep/prep_errors.h"
#include "prep/source_split.h"

namespace kadre {

namespace {

constexpr std::size_t kIdLength = 20;
constexpr long long kMaxSquares = 10'000'000;
constexpr long long kMaxGridPoints = 10'000'000;

std::string number_text(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

// The value, stopped unless ok says it is what it must be.
double checked(const FeatureFields& f, const std::string& name, double v, bool ok,
               const std::string& expected) {
  if (!ok) f.invalid(name, number_text(v), expected);
  return v;
}

// Identifiers and names as kadre's files keep them: at most 20 characters on one line, and
// not starting with "!", which would make the first line of a file a comment.
bool valid_identifier(const std::string& id) {
  return id.size() <= kIdLength && !id.starts_with('!') &&
         id.find_first_of("\n\r") == std::string::npos;
}

std::string checked_id(const FeatureFields& f) {
  const std::string& id = f.id();
  if (!valid_identifier(id))
    f.invalid("id", id, "identifikator o nejvyse 20 znacich bez ! na zacatku");
  return id;
}

// A series or profile name: kadre keeps three characters of it in the source file.
std::string checked_name(const FeatureFields& f, const std::string& attribute,
                         const char* fallback) {
  const std::string name = f.text(attribute);
  if (name.empty()) return fallback;
  if (name.size() > 3 || name.find_first_of(" \t,/'\"!") != std::string::npos)
    f.invalid(attribute, name, "nazev o 1 az 3 znacich bez mezer, carek, lomitek a uvozovek");
  return name;
}

std::string checked_group(const FeatureFields& f) {
  const std::string g = f.text("group");
  const bool ok = g.size() <= 20 && std::all_of(g.begin(), g.end(), [](char c) {
                    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-';
                  });
  if (!ok) f.invalid("group", g, "nazev skupiny: nejvice 20 znaku, jen pismena, cislice, _ a -");
  return g;
}

// The id of part k (from 1) of n: the feature's id when it is one part, else the id with
// "_k", cut so that the whole keeps within 20 characters.
std::string part_id(const std::string& id, std::size_t k, std::size_t n) {
  if (n == 1) return id;
  const std::string suffix = "_" + std::to_string(k);
  return id.substr(0, kIdLength - suffix.size()) + suffix;
}

// What every kind of source reads alike.
struct Common {
  std::string id, series, profile, group;
  double height = 0, m = 0, m_no = 0, time_use = 1, daily_hours = 24;
  int cluster = 0;
  bool tower = false;
};

Common common_attributes(const FeatureFields& f) {
  Common c;
  c.id = checked_id(f);
  c.series = checked_name(f, "series", kDefaultSeries);
  c.profile = checked_name(f, "profile", kDefaultProfile);
  c.group = checked_group(f);
  const double h = f.required("height");
  c.height = checked(f, "height", h, h >= 0, "nezaporne cislo (vyska zdroje v m)");
  c.m = f.required("emission");
  c.m_no = f.number_or("emission_no", 0);
  const double tu = f.number_or("time_use", 1);
  c.time_use = checked(f, "time_use", tu, tu >= 0, "nezaporne cislo");
  const double dh = f.number_or("daily_hours", 24);
  c.daily_hours = checked(f, "daily_hours", dh, dh >= 0 && dh <= 24, "cislo od 0 do 24");
  const double cl = f.number_or("cluster", 0);
  c.cluster = static_cast<int>(checked(
      f, "cluster", cl, cl >= 0 && cl <= 1e9 && cl == std::floor(cl), "cele nezaporne cislo"));
  const double tw = f.number_or("tower", 0);
  c.tower = checked(f, "tower", tw, tw == 0 || tw == 1, "0 nebo 1") == 1;
  return c;
}

Source base_source(const Common& c, const std::string& id, SourceType type, double share) {
  Source s;
  s.id = id;
  s.type = type;
  s.cluster = c.cluster;
  s.m = c.m * share;
  s.m_no = c.m_no * share;
  s.stack_height_m = c.height;
  s.time_use = c.time_use;
  s.daily_hours = c.daily_hours;
  s.cooling_tower = c.tower;
  return s;
}

// The stack's flue gas: the flow as given, or derived from diameter, velocity and
// temperature. With all_required, diameter, velocity and temperature must be given (a
// stack); else each missing one is 0 and the flow is derived only when all three are given.
void stack_gas(const FeatureFields& f, bool all_required, Source& s) {
  const auto t =
      all_required ? std::optional<double>(f.required("temperature")) : f.number("temperature");
  const auto d =
      all_required ? std::optional<double>(f.required("diameter")) : f.number("diameter");
  const auto w =
      all_required ? std::optional<double>(f.required("velocity")) : f.number("velocity");
  if (t) checked(f, "temperature", *t, *t > -273.15, "teplota nad -273.15 C");
  if (d)
    checked(f, "diameter", *d, all_required ? *d > 0 : *d >= 0,
            all_required ? "kladne cislo (prumer v m)" : "nezaporne cislo (prumer v m)");
  if (w) checked(f, "velocity", *w, *w >= 0, "nezaporne cislo (rychlost v m/s)");
  std::optional<double> v = f.number("flow");
  if (v)
    checked(f, "flow", *v, *v >= 0, "nezaporne cislo (m3/s)");
  else if (t && d && w)
    v = flow_at_zero_celsius(*d, *w, *t);
  s.flue_gas_temp_c = t.value_or(0);
  s.diameter_m = d.value_or(0);
  s.exit_velocity_m_s = w.value_or(0);
  s.flue_gas_flow_m3_s = v.value_or(0);
}

void add_source(Study& study, Source s, const Common& c) {
  study.totals.m_written += s.m;
  study.totals.m_no_written += s.m_no;
  study.sources.push_back(StudySource{std::move(s), c.series, c.profile, c.group});
}

void read_feature(const OGRFeature& feature, const FeatureFields& f, const PrepOptions& o,
                  Study& study, Bounds& bounds) {
  const FlatGeometry g = flat_geometry(feature, f);
  const Common c = common_attributes(f);
  study.totals.m_given += c.m;
  study.totals.m_no_given += c.m_no;
  if (g.kind != GeometryKind::point && c.tower)
    f.invalid("tower", "1", "0 (chladici vez musi byt bod)");
  for (const auto& part : g.parts)
    for (const XY& p : part) bounds.add(p.x, p.y);

  if (g.kind == GeometryKind::point) {
    Source s = base_source(c, c.id, SourceType::point, 1.0);
    s.x = g.parts[0][0].x;
    s.y = g.parts[0][0].y;
    stack_gas(f, true, s);
    (c.tower ? study.counts.towers : study.counts.points) += 1;
    add_source(study, std::move(s), c);
    return;
  }
  if (g.kind == GeometryKind::line) {
    const double width = f.number_or("width", 0), vertical = f.number_or("vertical", 0);
    checked(f, "width", width, width >= 0, "nezaporne cislo (sirka v m)");
    checked(f, "vertical", vertical, vertical >= 0, "nezaporne cislo (svisly rozmer v m)");
    const std::vector<LinePiece> pieces = split_by_length(g.parts);
    if (pieces.empty()) f.bad_geometry("je linie nulove delky");
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      Source s =
          base_source(c, part_id(c.id, k + 1, pieces.size()), SourceType::line, pieces[k].share);
      s.x1 = pieces[k].a.x;
      s.y1 = pieces[k].a.y;
      s.x2 = pieces[k].b.x;
      s.y2 = pieces[k].b.y;
      s.x = (s.x1 + s.x2) * 0.5;
      s.y = (s.y1 + s.y2) * 0.5;
      s.width = width;
      s.vert_ext = vertical;
      add_source(study, std::move(s), c);
    }
    study.counts.lines += static_cast<int>(pieces.size());
    study.counts.line_features += 1;
    return;
  }
  const std::string too_many = f.where() + ": polygon by mel vice nez " +
                               std::to_string(kMaxSquares) + " ctvercu: zvetste --area-cell.";
  const std::vector<XY> centres = tile_polygon(g.parts, o.area_cell, kMaxSquares, too_many.c_str());
  if (centres.empty())
    f.bad_geometry("je polygon, v nemz nelezi stred zadneho ctverce o strane " +
                   number_text(o.area_cell) + " m: zmensete --area-cell");
  Source gas;
  stack_gas(f, false, gas);
  const double n = static_cast<double>(centres.size());
  for (std::size_t k = 0; k < centres.size(); ++k) {
    Source s = base_source(c, part_id(c.id, k + 1, centres.size()), SourceType::area, 1.0);
    s.m = c.m / n;
    s.m_no = c.m_no / n;
    s.x = centres[k].x;
    s.y = centres[k].y;
    s.length = o.area_cell;
    s.flue_gas_flow_m3_s = gas.flue_gas_flow_m3_s;
    s.flue_gas_temp_c = gas.flue_gas_temp_c;
    s.diameter_m = gas.diameter_m;
    s.exit_velocity_m_s = gas.exit_velocity_m_s;
    bounds.add(s.x - o.area_cell / 2, s.y - o.area_cell / 2);
    bounds.add(s.x + o.area_cell / 2, s.y + o.area_cell / 2);
    add_source(study, std::move(s), c);
  }
  study.counts.areas += static_cast<int>(centres.size());
  study.counts.area_features += 1;
}

}  // namespace

double flow_at_zero_celsius(double d, double w, double t) {
  return kPi * d * d / 4 * w * 273.15 / (273.15 + t);
}

void read_study_sources(const PrepOptions& o, const StudyCrs& crs, Study& study, Bounds& bounds) {
  for (const std::string& file_layer : o.sources) {
    VectorLayer layer(file_layer, crs);
    while (OGRFeatureUniquePtr feature = layer.next()) {
      const FeatureFields f(layer, *feature, o.fields);
      read_feature(*feature, f, o, study, bounds);
    }
  }
  if (study.sources.empty()) prep_error("Vrstvy zdroju neobsahuji zadny prvek.");
}

void read_study_receptors(const PrepOptions& o, const StudyCrs& crs, const Bounds& sources,
                          Study& study, Bounds& bounds) {
  for (const std::string& file_layer : o.receptor_files) {
    VectorLayer layer(file_layer, crs);
    while (OGRFeatureUniquePtr feature = layer.next()) {
      const FeatureFields f(layer, *feature, o.fields);
      const FlatGeometry g = flat_geometry(*feature, f);
      if (g.kind != GeometryKind::point) f.bad_geometry("neni bod (referencni body jsou body)");
      const std::string name = f.text("name");
      if (name.empty()) prep_error(f.where() + ": chybi atribut " + f.attribute("name") + ".");
      if (!valid_identifier(name))
        f.invalid("name", name, "nazev o nejvyse 20 znacich bez ! na zacatku");
      RefPoint p;
      p.id = name;
      p.x = g.parts[0][0].x;
      p.y = g.parts[0][0].y;
      p.height_above_ground_m = o.receptor_height;
      p.has_hourly_output = true;
      bounds.add(p.x, p.y);
      study.receptors.push_back(p);
    }
  }
  if (o.grid_step <= 0) return;
  const double step = o.grid_step;
  double xmin = sources.xmin - o.margin, ymin = sources.ymin - o.margin;
  double xmax = sources.xmax + o.margin, ymax = sources.ymax + o.margin;
  if (o.extent) {
    xmin = (*o.extent)[0];
    ymin = (*o.extent)[1];
    xmax = (*o.extent)[2];
    ymax = (*o.extent)[3];
  }
  // The lattice keeps to whole multiples of the step, so that grids of studies nearby meet.
  const double i0 = std::ceil(xmin / step), i1 = std::floor(xmax / step);
  const double j0 = std::ceil(ymin / step), j1 = std::floor(ymax / step);
  const double count = (i1 - i0 + 1) * (j1 - j0 + 1);
  if (!(i1 >= i0 && j1 >= j0))
    prep_error("Sit referencnich bodu s krokem " + number_text(step) +
               " m nema v oblasti zadny bod.");
  if (count > static_cast<double>(kMaxGridPoints))
    prep_error("Sit referencnich bodu by mela " + number_text(count) + " bodu (nejvice " +
               std::to_string(kMaxGridPoints) + "): zvetste krok site.");
  study.grid_step = step;
  int k = 0;
  for (double j = j0; j <= j1; ++j)
    for (double i = i0; i <= i1; ++i) {
      RefPoint p;
      p.id = "G" + std::to_string(++k);
      p.x = i * step;
      p.y = j * step;
      p.height_above_ground_m = o.receptor_height;
      p.has_hourly_output = false;
      bounds.add(p.x, p.y);
      study.receptors.push_back(p);
    }
  study.grid_receptors = k;
}

}  // namespace kadre

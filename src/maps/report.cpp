#include "maps/report.h"

#include <cairo.h>
#include <gdal_priv.h>
#include <gdalwarper.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "core/errors.h"
#include "core/text.h"
#include "init/free_format_reader.h"
#include "init/read_input_data.h"
#include "maps/gis_writer.h"
#include "maps/lattice.h"
#include "maps/map_data.h"
#include "maps/map_picture.h"
#include "maps/report_assets.h"
#include "model/heat_output.h"
#include "output/point_fields.h"
#include "output/result_file.h"
#include "output/result_paths.h"

namespace kadre {

namespace {

namespace fs = std::filesystem;

// ---- JSON ----------------------------------------------------------------------------------

void json_string(std::string& out, std::string_view s) {
  out += '"';
  for (const char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '<':
        out += "\\u003c";
        break;  // no "</script>" inside the script
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned char>(c));
          out += esc;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void json_number(std::string& out, double v, int digits = 10) {
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, v);
  out += text;
}

std::string colour_text(unsigned c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", c & 0xffffff);
  return text;
}

// ---- the result files as written ------------------------------------------------------------

std::vector<std::string> split(const std::string& line, const std::string& d) {
  std::vector<std::string> fields;
  for (std::size_t from = 0, at = 0; at != std::string::npos; from = at + d.size())
    fields.push_back(line.substr(from, (at = line.find(d, from)) - from));
  return fields;
}

std::string trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' ');
  return a == std::string::npos ? "" : rtrim(std::string_view(s).substr(a));
}

// A per-point result file: its columns after the point's identification and every field as
// written, trimmed, row by row in the order of the points.
struct ResultTable {
  std::string path, name;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};

bool is_point_column(const std::string& c) {
  return c == "ID" || c == "x[m]" || c == "y[m]" || c == "z[m]" || c == "l[m]";
}

ResultTable read_table(const std::string& path, const std::string& d,
                       const std::vector<RefPoint>& points) {
  std::ifstream in(path);
  if (!in)
    raise_error("Vysledny soubor " + path +
                " chybi. Spustte nejprve kadre se stejnym konfiguracnim souborem.");
  ResultTable t;
  t.path = path;
  t.name = fs::path(path).filename().string();
  std::string line;
  std::getline(in, line);
  const std::vector<std::string> header = split(line, d);
  std::size_t skip = 0;
  while (skip < header.size() && is_point_column(trim(header[skip]))) ++skip;
  if (skip == 0)
    raise_error("Vysledny soubor " + path + " nepatri k teto konfiguraci: chybi hlavicka.");
  for (std::size_t k = skip; k < header.size(); ++k) t.columns.push_back(trim(header[k]));
  while (std::getline(in, line) && t.rows.size() <= points.size()) {
    const std::vector<std::string> fields = split(line, d);
    const std::size_t row = t.rows.size();
    if (row >= points.size() || fields.size() != header.size() || trim(fields[0]) != points[row].id)
      raise_error("Vysledny soubor " + path + " nepatri k teto konfiguraci: na radku " +
                  std::to_string(row + 2) + " ocekavan bod " +
                  (row < points.size() ? points[row].id : std::string("(zadny)")) + ".");
    std::vector<std::string> values;
    for (std::size_t k = skip; k < fields.size(); ++k) values.push_back(trim(fields[k]));
    t.rows.push_back(std::move(values));
  }
  if (t.rows.size() != points.size())
    raise_error("Vysledny soubor " + path +
                " nepatri k teto konfiguraci: mene radku nez referencnich bodu.");
  return t;
}

double number_of(const std::string& text) {
  double v = 0;
  return !text.empty() && parse_real(text, v) ? v : std::numeric_limits<double>::quiet_NaN();
}

// An indicator of a set and where its values are written.
struct ReportIndicator {
  Indicator values;
  std::size_t table = 0, column = 0;
};

// The result files of all sources or of one source group.
struct ResultSetData {
  std::string group;  // empty: all sources
  std::vector<ResultTable> tables;
  std::vector<ReportIndicator> indicators;
  int compliance = -1;  // the table of the compliance file, when written
};

std::string unit_for(const std::string& column) {
  if (column.starts_with("Th_") || column.starts_with("Td_")) return "h/yr";
  if (column.ends_with("_class_max")) return "";
  if (column.ends_with("_w_sp_max")) return "m/s";
  if (column.ends_with("_w_dir_max")) return "°";
  return "µg/m³";
}

ResultSetData read_set(const Settings& cfg, const std::string& group,
                       const std::vector<RefPoint>& points) {
  ResultSetData set;
  set.group = group;
  const std::string d = result_delimiter(cfg.delim_out);
  // Equal columns are told apart by their position among the columns of that name as read
  // (_2, _3, ...), as the maps name them.
  std::vector<std::string> as_read;
  const auto add_indicators = [&](const std::string& rename) {
    const ResultTable& t = set.tables.back();
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
      ReportIndicator ri;
      ri.values.name = rename.empty() ? t.columns[c] : rename;
      const std::string name = to_lower(ri.values.name);
      const auto same = std::count(as_read.begin(), as_read.end(), name) + 1;
      as_read.push_back(name);
      if (same > 1) ri.values.name.append("_").append(std::to_string(same));
      ri.values.unit = unit_for(ri.values.name);
      ri.table = set.tables.size() - 1;
      ri.column = c;
      for (const auto& row : t.rows) ri.values.values.push_back(number_of(row[c]));
      set.indicators.push_back(std::move(ri));
    }
  };
  if (cfg.methodology()) {
    set.tables.push_back(read_table(stats_path(cfg), d, points));
    add_indicators("");
  }
  if (cfg.is_time) {
    set.tables.push_back(read_table(hourly_path(cfg, "avg_"), d, points));
    add_indicators("avg");
    set.tables.push_back(read_table(hourly_path(cfg, "max_"), d, points));
    add_indicators("max");
    std::error_code ec;
    if (cfg.limits.given && fs::exists(limits_path(cfg), ec)) {
      set.tables.push_back(read_table(limits_path(cfg), d, points));
      set.compliance = static_cast<int>(set.tables.size()) - 1;
    }
  }
  return set;
}

// ---- coordinates ----------------------------------------------------------------------------

// From the run's coordinates to the map's: latitude and longitude with a CRS, else (y, x).
class Geo {
 public:
  explicit Geo(const std::string& crs) : crs_(crs) {
    if (crs.empty()) return;
    OGRSpatialReference src, dst;
    if (src.importFromWkt(crs.c_str()) != OGRERR_NONE || dst.importFromEPSG(4326) != OGRERR_NONE)
      raise_error("Souradnicovy system nelze prevest na zemepisne souradnice.");
    src.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    dst.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    to_lonlat_.reset(OGRCreateCoordinateTransformation(&src, &dst));
    if (!to_lonlat_) raise_error("Souradnicovy system nelze prevest na zemepisne souradnice.");
  }
  bool geographic() const { return !crs_.empty(); }
  const std::string& crs() const { return crs_; }
  // [lat, lng] of the map.
  std::pair<double, double> at(double x, double y) const {
    if (!to_lonlat_) return {y, x};
    double lon = x, lat = y;
    if (!to_lonlat_->Transform(1, &lon, &lat)) return {NAN, NAN};
    return {lat, lon};
  }
  // digits: 8 keep a tenth of a metre, 7 a metre.
  void write(std::string& out, double x, double y, int digits = 8) const {
    const auto [a, b] = at(x, y);
    out += '[';
    json_number(out, a, geographic() ? digits : digits + 1);
    out += ',';
    json_number(out, b, geographic() ? digits : digits + 1);
    out += ']';
  }

 private:
  std::string crs_;
  std::unique_ptr<OGRCoordinateTransformation> to_lonlat_;
};

// ---- raster overlays ------------------------------------------------------------------------

std::string base64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t n =
        static_cast<unsigned char>(bytes[i]) << 16 |
        (i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0) |
        (i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0);
    out += kDigits[n >> 18 & 63];
    out += kDigits[n >> 12 & 63];
    out += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

// A PNG of width x height ARGB pixels (0 for none), as bytes.
std::string png_bytes(const std::vector<std::uint32_t>& argb, int width, int height) {
  using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
  Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return "";
  cairo_surface_flush(s.get());
  unsigned char* data = cairo_image_surface_get_data(s.get());
  const int stride = cairo_image_surface_get_stride(s.get());
  for (int row = 0; row < height; ++row)
    std::copy_n(argb.begin() + static_cast<std::ptrdiff_t>(row) * width, width,
                reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(row) * stride));
  cairo_surface_mark_dirty(s.get());
  std::string out;
  const auto append = [](void* closure, const unsigned char* bytes, unsigned int n) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(bytes), n);
    return CAIRO_STATUS_SUCCESS;
  };
  if (cairo_surface_write_to_png_stream(s.get(), append, &out) != CAIRO_STATUS_SUCCESS) return "";
  return out;
}

struct Overlay {
  std::string png;                                  // base64
  double south = 0, west = 0, north = 0, east = 0;  // in the map's coordinates
};

// The indicator's cells in its map's colours. In geographic maps the cells are warped (nearest
// cell) into the web map's projection, whose image Leaflet places by its corners exactly.
Overlay lattice_overlay(const Lattice& lat, const Indicator& indicator, const Geo& geo) {
  const std::vector<double> raster = lattice_raster(lat, indicator);
  const std::vector<unsigned> colours = indicator_colours(indicator, raster);
  std::vector<std::uint32_t> argb(colours.size());
  for (std::size_t i = 0; i < colours.size(); ++i)
    argb[i] = colours[i] == kNoColour ? 0u : 0xff000000u | colours[i];
  const double west = lat.x0 - 0.5 * lat.dx, north = lat.y0 + (lat.ny - 0.5) * lat.dy;
  Overlay o;
  if (!geo.geographic()) {
    o.png = base64(png_bytes(argb, lat.nx, lat.ny));
    o.west = west, o.east = west + lat.nx * lat.dx;
    o.north = north, o.south = north - lat.ny * lat.dy;
    return o;
  }
  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  GDALDatasetUniquePtr src(mem ? mem->Create("", lat.nx, lat.ny, 4, GDT_Byte, nullptr) : nullptr);
  if (!src) raise_error("Chyba pri prevodu rastru do zemepisnych souradnic.");
  std::array<double, 6> transform{west, lat.dx, 0, north, 0, -lat.dy};
  src->SetGeoTransform(transform.data());
  src->SetProjection(geo.crs().c_str());
  std::vector<unsigned char> band(argb.size());
  for (int b = 0; b < 4; ++b) {
    const int shift = b < 3 ? 16 - 8 * b : 24;  // red, green, blue, alpha
    for (std::size_t i = 0; i < argb.size(); ++i) band[i] = argb[i] >> shift & 0xff;
    if (src->GetRasterBand(b + 1)->RasterIO(GF_Write, 0, 0, lat.nx, lat.ny, band.data(), lat.nx,
                                            lat.ny, GDT_Byte, 0, 0) != CE_None)
      raise_error("Chyba pri prevodu rastru do zemepisnych souradnic.");
  }
  OGRSpatialReference merc;
  merc.importFromEPSG(3857);
  char* merc_wkt = nullptr;
  merc.exportToWkt(&merc_wkt);
  GDALDatasetH warped = GDALAutoCreateWarpedVRT(src.get(), geo.crs().c_str(), merc_wkt,
                                                GRA_NearestNeighbour, 0.0, nullptr);
  CPLFree(merc_wkt);
  if (warped == nullptr) raise_error("Chyba pri prevodu rastru do zemepisnych souradnic.");
  GDALDatasetUniquePtr out(GDALDataset::FromHandle(warped));
  const int w = out->GetRasterXSize(), h = out->GetRasterYSize();
  std::array<double, 6> gt{};
  out->GetGeoTransform(gt.data());
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h, 0);
  band.assign(pixels.size(), 0);
  for (int b = 0; b < 4 && b < out->GetRasterCount(); ++b) {
    const int shift = b < 3 ? 16 - 8 * b : 24;
    if (out->GetRasterBand(b + 1)->RasterIO(GF_Read, 0, 0, w, h, band.data(), w, h, GDT_Byte, 0,
                                            0) != CE_None)
      raise_error("Chyba pri prevodu rastru do zemepisnych souradnic.");
    for (std::size_t i = 0; i < pixels.size(); ++i)
      pixels[i] |= static_cast<std::uint32_t>(band[i]) << shift;
  }
  for (std::uint32_t& p : pixels)
    if ((p >> 24) == 0) p = 0;  // cairo's pixels carry premultiplied colours
  o.png = base64(png_bytes(pixels, w, h));
  // The corners from the web map's projection to latitude and longitude.
  OGRSpatialReference ll;
  ll.importFromEPSG(4326);
  merc.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  ll.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  std::unique_ptr<OGRCoordinateTransformation> t(OGRCreateCoordinateTransformation(&merc, &ll));
  std::array<double, 2> xs{gt[0], gt[0] + w * gt[1]}, ys{gt[3] + h * gt[5], gt[3]};
  if (!t || !t->Transform(2, xs.data(), ys.data()))
    raise_error("Chyba pri prevodu rastru do zemepisnych souradnic.");
  o.west = xs[0], o.east = xs[1], o.south = ys[0], o.north = ys[1];
  return o;
}

// ---- wind roses -----------------------------------------------------------------------------

// The polar chart of series k: per sector, the year's fraction stacked by wind speed class.
std::string wind_rose_svg(const WindRoses& roses, int k, const std::string& name, Lang lang) {
  constexpr std::array<int, 11> kSpeedClass{0, 0, 1, 0, 1, 2, 0, 1, 2, 0, 1};  // 1.7, 5, 11
  constexpr std::array<const char*, 3> kSpeedColour{"#9ecae1", "#3182bd", "#08306b"};
  // The model's sectors gathered into sixteen, as a reader knows a rose.
  constexpr int n = 16;
  std::vector<std::array<double, 3>> sector(n, {0, 0, 0});
  for (int p = 1; p <= roses.nphi; ++p) {
    const double centre = 360.0 * (p - 1) / roses.nphi;
    const int bin = static_cast<int>(std::lround(centre / (360.0 / n))) % n;
    for (int j = 1; j <= 11; ++j) sector[bin][kSpeedClass[j - 1]] += roses.at(p, j, k);
  }
  double most = 0;
  for (const auto& s : sector) most = std::max(most, s[0] + s[1] + s[2]);
  const double r = 120, c = 150;
  std::ostringstream svg;
  svg << "<svg class=\"rose\" xmlns=\"http://www.w3.org/2000/svg\" width=\"300\" height=\"330\" "
         "viewBox=\"0 0 300 330\"><title>"
      << name << "</title>";
  for (double f : {0.25, 0.5, 0.75, 1.0})
    svg << "<circle cx=\"" << c << "\" cy=\"" << c << "\" r=\"" << r * f
        << "\" fill=\"none\" stroke=\"#ccc\"/>";
  const double half = std::numbers::pi / n;
  for (int p = 0; p < n && most > 0; ++p) {
    const double centre = 2 * std::numbers::pi * p / n;  // clockwise from north
    double inner = 0;
    for (int s = 0; s < 3; ++s) {
      const double outer = inner + sector[p][s] / most * r;
      if (outer > inner) {
        const auto pt = [&](double rad, double a) {
          char text[48];
          std::snprintf(text, sizeof text, "%.2f,%.2f", c + rad * std::sin(a),
                        c - rad * std::cos(a));
          return std::string(text);
        };
        svg << "<path fill=\"" << kSpeedColour[s] << "\" stroke=\"#fff\" stroke-width=\"0.5\" d=\"M"
            << pt(inner, centre - half) << " L" << pt(outer, centre - half) << " A" << outer << ","
            << outer << " 0 0 1 " << pt(outer, centre + half) << " L" << pt(inner, centre + half)
            << " A" << inner << "," << inner << " 0 0 0 " << pt(inner, centre - half)
            << " Z\"><title>" << format_number(std::round(centre * 180 / std::numbers::pi), lang)
            << "°: " << format_number(std::round(sector[p][s] * 1e4) / 1e2, lang)
            << " %</title></path>";
      }
      inner = outer;
    }
  }
  const MapWords& w = map_words(lang);
  svg << "<g font-size=\"14\" text-anchor=\"middle\"><text x=\"150\" y=\"24\">" << w.compass[0]
      << "</text><text x=\"282\" y=\"155\">" << w.compass[1] << "</text><text x=\"150\" y=\"288\">"
      << w.compass[2] << "</text><text x=\"18\" y=\"155\">" << w.compass[3] << "</text></g>";
  const std::array<const char*, 3> speeds{"1,7", "5", "11"};
  for (int s = 0; s < 3; ++s)
    svg << "<rect x=\"" << 40 + 80 * s << "\" y=\"306\" width=\"14\" height=\"14\" fill=\""
        << kSpeedColour[s] << "\"/><text x=\"" << 58 + 80 * s << "\" y=\"318\" font-size=\"13\">"
        << (lang == Lang::cs ? speeds[s]
            : s == 0         ? "1.7"
                             : speeds[s])
        << " m/s</text>";
  svg << "</svg>";
  return svg.str();
}

std::string html_escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

const char* source_type_name(const Source& s) {
  if (s.cooling_tower) return "tower";
  if (s.type == SourceType::line) return "line";
  if (s.type == SourceType::area) return "area";
  return "point";
}

void write_source(std::string& out, const Source& s, const Geo& geo) {
  out += "{\"type\":\"";
  out += source_type_name(s);
  out += "\",\"at\":";
  if (s.type == SourceType::line) {
    out += '[';
    geo.write(out, s.x1, s.y1);
    out += ',';
    geo.write(out, s.x2, s.y2);
    out += ']';
  } else if (s.type == SourceType::area) {
    const double a = 0.5 * std::abs(s.length);
    out += '[';
    geo.write(out, s.x - a, s.y - a);
    out += ',';
    geo.write(out, s.x + a, s.y - a);
    out += ',';
    geo.write(out, s.x + a, s.y + a);
    out += ',';
    geo.write(out, s.x - a, s.y + a);
    out += ']';
  } else {
    geo.write(out, s.x, s.y);
  }
  // Every attribute the run read, by the names of the GIS layer.
  const std::vector<std::pair<const char*, double>> numbers{
      {"x", s.x},
      {"y", s.y},
      {"x1", s.x1},
      {"y1", s.y1},
      {"x2", s.x2},
      {"y2", s.y2},
      {"z", s.z},
      {"cluster", s.cluster},
      {"m", s.m},
      {"m_no", s.m_no},
      {"stack_height_m", s.stack_height_m},
      {"flue_gas_flow_m3_s", s.flue_gas_flow_m3_s},
      {"flue_gas_temp_c", s.flue_gas_temp_c},
      {"diameter_m", s.diameter_m},
      {"exit_velocity_m_s", s.exit_velocity_m_s},
      {"time_use", s.time_use},
      {"daily_hours", s.daily_hours},
      {"beta", s.beta},
      {"qa", s.qa},
      {"qb", s.qb},
      {"heat_output", s.heat_output},
      {"length", s.length},
      {"width", s.width},
      {"vert_ext", s.vert_ext},
      {"met_idx", s.met_idx},
      {"prof_idx", s.prof_idx},
      {"cooling_tower", s.cooling_tower ? 1 : 0}};
  out += ",\"attrs\":[[\"id\",";
  json_string(out, s.id);
  out += "]";
  for (const auto& [key, value] : numbers) {
    const std::string_view k(key);
    if (s.type != SourceType::line && k.size() == 2 && (k[0] == 'x' || k[0] == 'y'))
      continue;  // the ends belong to lines only
    out += ",[\"";
    out += key;
    out += "\",";
    json_string(out, format_number(value, Lang::en));
    out += ']';
  }
  out += "]}";
}

std::string read_text_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string utc_now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &tm);
  return text;
}

}  // namespace

bool report_available() { return !leaflet_script().empty(); }

void write_report(const std::string& config, const std::string& crs, Lang lang,
                  const std::string& path, const std::string& temporary) {
  if (!report_available())
    raise_error(
        "Zprava HTML neni k dispozici: kadre-map byl sestaven bez knihovny Leaflet (balicek "
        "libjs-leaflet).");
  std::ostringstream discard;
  InputData in = read_input_data(config, discard);
  derive_heat_output(in.sources, in.cfg.tep_vyd_type);  // the sources as the run has them
  const Settings& cfg = in.cfg;
  std::vector<ResultSetData> sets;
  sets.push_back(read_set(cfg, "", in.ref_points));
  for (const SourceGroup& g : in.groups)
    sets.push_back(read_set(group_settings(cfg, g.name), g.name, in.ref_points));
  if (sets.front().tables.empty())
    raise_error("Konfigurace " + config + " nezapina zadny vypocet, neni co zobrazit.");
  const std::optional<Lattice> lattice = find_lattice(in.ref_points);
  const Geo geo(crs);
  const std::vector<RefPoint>& points = in.ref_points;

  std::string data = "{\"lang\":";
  json_string(data, lang == Lang::cs ? "cs" : "en");
  data += ",\"title\":";
  json_string(data, fs::path(config).stem().string());
  data += ",\"geographic\":";
  data += geo.geographic() ? "true" : "false";
  // The points: names, map coordinates, run coordinates; which are named places.
  data += ",\"points\":{\"ids\":[";
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i) data += ',';
    json_string(data, points[i].id);
  }
  data += "],\"at\":[";
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i) data += ',';
    geo.write(data, points[i].x, points[i].y);
  }
  data += "],\"xy\":[";
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i) data += ',';
    data += '[';
    json_number(data, points[i].x);
    data += ',';
    json_number(data, points[i].y);
    data += ']';
  }
  data += "],\"named\":[";
  {
    bool first = true;
    std::size_t off = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
      off += !lattice || lattice->cell_of_point[i] < 0 ? 1 : 0;
    for (std::size_t i = 0; i < points.size() && off <= 60; ++i)
      if (!lattice || lattice->cell_of_point[i] < 0) {
        if (!first) data += ',';
        first = false;
        data += std::to_string(i);
      }
  }
  data += "]}";

  data += ",\"sources\":[";
  for (std::size_t i = 0; i < in.sources.size(); ++i) {
    if (i) data += ',';
    write_source(data, in.sources[i], geo);
  }
  data += "]";

  // The sets: their files as written, their indicators with overlay, legend, contours, maximum.
  std::size_t amount_indicators = 1;
  for (const ResultSetData& set : sets)
    for (const ReportIndicator& ri : set.indicators)
      amount_indicators += scale_kind(ri.values.name) == ScaleKind::amount ? 1 : 0;
  data += ",\"sets\":[";
  for (std::size_t si = 0; si < sets.size(); ++si) {
    const ResultSetData& set = sets[si];
    if (si) data += ',';
    data += "{\"group\":";
    json_string(data, set.group);
    data += ",\"compliance\":" + std::to_string(set.compliance);
    data += ",\"files\":[";
    for (std::size_t t = 0; t < set.tables.size(); ++t) {
      const ResultTable& table = set.tables[t];
      if (t) data += ',';
      data += "{\"name\":";
      json_string(data, table.name);
      data += ",\"columns\":[";
      for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c) data += ',';
        json_string(data, table.columns[c]);
      }
      // A row as one string, fields apart by a tab: a third of the size of arrays.
      data += "],\"rows\":[";
      for (std::size_t r = 0; r < table.rows.size(); ++r) {
        if (r) data += ',';
        std::string row;
        for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
          if (c) row += '\t';
          row += table.rows[r][c];
        }
        json_string(data, row);
      }
      data += "]}";
    }
    data += "],\"indicators\":[";
    for (std::size_t k = 0; k < set.indicators.size(); ++k) {
      const ReportIndicator& ri = set.indicators[k];
      const Indicator& ind = ri.values;
      if (k) data += ',';
      data += "{\"name\":";
      json_string(data, ind.name);
      data += ",\"file\":" + std::to_string(ri.table) + ",\"column\":" + std::to_string(ri.column);
      data += ",\"about\":";
      json_string(data, describe_indicator(ind.name, lang));
      const Legend legend = indicator_legend(ind, lang);
      data += ",\"legend\":{\"kind\":";
      json_string(data, legend.kind == ScaleKind::amount      ? "amount"
                        : legend.kind == ScaleKind::direction ? "direction"
                                                              : "category");
      data += ",\"unit\":";
      json_string(data, legend.unit);
      data += ",\"ramp\":[";
      for (std::size_t i = 0; i < legend.ramp.size(); ++i) {
        if (i) data += ',';
        json_string(data, colour_text(legend.ramp[i]));
      }
      data += "],\"ticks\":[";
      for (std::size_t i = 0; i < legend.ticks.size(); ++i) {
        if (i) data += ',';
        data += '[';
        json_number(data, legend.ticks[i].first, 6);
        data += ',';
        json_string(data, legend.ticks[i].second);
        data += ']';
      }
      data += "],\"swatches\":[";
      for (std::size_t i = 0; i < legend.swatches.size(); ++i) {
        if (i) data += ',';
        data += '[';
        json_string(data, colour_text(legend.swatches[i].first));
        data += ',';
        json_string(data, legend.swatches[i].second);
        data += ']';
      }
      data += "]}";
      // The maximum: the first point with the largest value.
      std::size_t top = ind.values.size();
      for (std::size_t i = 0; i < ind.values.size(); ++i)
        if (std::isfinite(ind.values[i]) &&
            (top == ind.values.size() || ind.values[i] > ind.values[top]))
          top = i;
      data += ",\"max\":";
      data += top < ind.values.size() ? std::to_string(top) : "null";
      // Points drawn as circles: those off the lattice (all without one) in their colours.
      const std::vector<unsigned> colours = indicator_colours(ind, ind.values);
      data += ",\"colours\":[";
      for (std::size_t i = 0; i < colours.size(); ++i) {
        if (i) data += ',';
        if (colours[i] == kNoColour || (lattice && lattice->cell_of_point[i] >= 0))
          data += "0";
        else
          json_string(data, colour_text(colours[i]));
      }
      data += "]";
      if (lattice) {
        const Overlay o = lattice_overlay(*lattice, ind, geo);
        data += ",\"overlay\":{\"png\":";
        json_string(data, o.png);
        data += ",\"bounds\":[[";
        json_number(data, o.south, 12);
        data += ',';
        json_number(data, o.west, 12);
        data += "],[";
        json_number(data, o.north, 12);
        data += ',';
        json_number(data, o.east, 12);
        data += "]]}";
      }
      data += ",\"contours\":";
      if (lattice && legend.kind == ScaleKind::amount) {
        double lo = INFINITY, hi = -INFINITY;
        for (double v : ind.values)
          if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
        const std::vector<ContourLine> lines =
            contour_lines(*lattice, ind, lo < hi ? contour_levels(lo, hi) : std::vector<double>{});
        // Noisy fields make many lines: past the budget, every stride-th vertex is kept (the
        // ends always), then the shortest lines are left out (their cells still show them), so
        // that a report of many points stays small.
        const std::size_t budget = std::max<std::size_t>(60000, 5000000 / amount_indicators);
        std::vector<std::string> parts(lines.size());
        std::size_t total = 0;
        for (std::size_t stride = 1; stride <= 8; stride *= 2) {
          total = 0;
          for (std::size_t l = 0; l < lines.size(); ++l) {
            const auto& pts = lines[l].points;
            std::string& json = parts[l];
            json = "{\"level\":";
            json_string(json, format_number(lines[l].level, lang));
            json += ",\"line\":[";
            for (std::size_t p = 0; p < pts.size(); ++p) {
              if (p % stride != 0 && p + 1 != pts.size()) continue;
              if (p) json += ',';
              geo.write(json, pts[p].first, pts[p].second, 7);
            }
            json += "]}";
            total += json.size() + 1;
          }
          if (total <= budget) break;
        }
        std::vector<std::size_t> order(lines.size());
        for (std::size_t l = 0; l < order.size(); ++l) order[l] = l;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t p, std::size_t q) {
          return lines[p].points.size() > lines[q].points.size();
        });
        data += '[';
        std::size_t used = 0;
        bool first = true;
        for (std::size_t l : order) {
          if (used + parts[l].size() > budget) continue;
          used += parts[l].size() + 1;
          if (!first) data += ',';
          first = false;
          data += parts[l];
        }
        data += ']';
      } else {
        data += "null";
      }
      data += '}';
    }
    data += "]}";
  }
  data += "]";

  // The run: configuration, files, counts, version, date.
  data += ",\"run\":{\"config\":";
  json_string(data, config);
  data += ",\"configText\":";
  json_string(data, read_text_file(config));
  data += ",\"files\":[";
  {
    bool first = true;
    for (const ResultSetData& set : sets)
      for (const ResultTable& t : set.tables) {
        if (!first) data += ',';
        first = false;
        json_string(data, t.path);
      }
  }
  std::size_t kinds[4] = {0, 0, 0, 0};
  for (const Source& s : in.sources)
    ++kinds[s.cooling_tower              ? 1
            : s.type == SourceType::line ? 2
            : s.type == SourceType::area ? 3
                                         : 0];
  data += "],\"counts\":{\"points\":" + std::to_string(points.size()) +
          ",\"sources\":" + std::to_string(in.sources.size()) +
          ",\"point\":" + std::to_string(kinds[0]) + ",\"tower\":" + std::to_string(kinds[1]) +
          ",\"line\":" + std::to_string(kinds[2]) + ",\"area\":" + std::to_string(kinds[3]) +
          ",\"groups\":" + std::to_string(in.groups.size()) +
          ",\"series\":" + std::to_string(in.met_name.size()) +
          ",\"hours\":" + std::to_string(cfg.is_time ? in.met.ntime : 0) + "}";
  data += ",\"version\":";
  json_string(data, KADRE_VERSION);
  data += ",\"date\":";
  json_string(data, utc_now());
  data += ",\"crs\":";
  // The CRS by its name: the first quoted text of the WKT.
  const std::size_t name_at = crs.find('"');
  json_string(data, name_at == std::string::npos
                        ? ""
                        : crs.substr(name_at + 1, crs.find('"', name_at + 1) - name_at - 1));
  data += "}";

  // Wind roses, drawn here as SVG.
  data += ",\"roses\":[";
  for (int k = 1; k <= in.wind_roses.met_num() && in.wind_roses.nphi > 0; ++k) {
    if (k > 1) data += ',';
    const std::string name =
        k - 1 < static_cast<int>(in.met_name.size()) ? in.met_name[k - 1] : std::to_string(k);
    data += "{\"name\":";
    json_string(data, name);
    data += ",\"svg\":";
    json_string(data, wind_rose_svg(in.wind_roses, k, html_escape(name), lang));
    data += '}';
  }
  data += "]}";

  std::ofstream out(temporary, std::ios::binary);
  out << "<!DOCTYPE html>\n<html lang=\"" << (lang == Lang::cs ? "cs" : "en")
      << "\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>"
      << html_escape(fs::path(config).stem().string()) << " \u2014 kadre</title>\n<style>\n"
      << leaflet_style() << "\n</style>\n<style>\n"
      << report_style() << "\n</style>\n</head>\n<body>\n<script>\n"
      << leaflet_script() << "\n</script>\n<script>\nwindow.KADRE_DATA = " << data
      << ";\n</script>\n<script>\n"
      << report_script() << "\n</script>\n</body>\n</html>\n";
  out.close();
  if (!out) stop_with_lines({write_error_message(path)});
}

}  // namespace kadre

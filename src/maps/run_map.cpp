#include "maps/run_map.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/termination.h"
#include "maps/gis_writer.h"
#include "maps/lattice.h"
#include "maps/map_data.h"
#include "maps/map_labels.h"
#include "maps/map_picture.h"
#include "maps/report.h"
#include "output/result_file.h"

namespace kadre {

namespace {

namespace fs = std::filesystem;

const char* const kUsage =
    "Pouziti programu:\nkadre-map <soubor se vstupnimi parametry> [--out ADRESAR] [--crs "
    "EPSG:NNNN|WKT|PROJ] "
    "[--indicator UKAZATEL]... [--lang cs|en] [--html]";

struct Options {
  std::string config, out_dir, crs;
  std::vector<std::string> indicators;
  Lang lang = Lang::cs;
  bool html = false;
};

Options parse_options(const std::vector<std::string>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_value = i + 1 < args.size();
    if (a == "--out" && has_value) {
      o.out_dir = args[++i];
    } else if (a == "--crs" && has_value) {
      o.crs = args[++i];
    } else if (a == "--indicator" && has_value) {
      o.indicators.push_back(args[++i]);
    } else if (a == "--lang" && has_value) {
      if (!parse_lang(args[++i], o.lang))
        stop_with_lines({"Jazyk map " + args[i] + " neni znam (cs nebo en).", kUsage});
    } else if (a == "--html") {
      o.html = true;
    } else if (o.config.empty() && !a.starts_with("--")) {
      o.config = a;
    } else {
      stop_with_lines({kUsage});
    }
  }
  if (o.config.empty()) stop_with_lines({kUsage});
  return o;
}

void check_writable(const fs::path& dir) {
  std::error_code ec;
  const fs::path probe = dir / (".kadre-map-probe-" + std::to_string(::getpid()));
  std::FILE* f = fs::is_directory(dir, ec) ? std::fopen(probe.c_str(), "w") : nullptr;
  if (f != nullptr) {
    std::fclose(f);
    fs::remove(probe, ec);
    return;
  }
  raise_error("Do adresare " + dir.string() + " nelze zapisovat.");
}

// The system kadre-prep recorded in crs.txt beside the configuration; empty when there is none.
std::string recorded_crs(const std::string& config, fs::path& file) {
  file = fs::path(config).parent_path() / "crs.txt";
  std::ifstream in(file);
  if (!in) return "";
  std::ostringstream text;
  text << in.rdbuf();
  const std::string s = text.str();
  const std::size_t a = s.find_first_not_of(" \t\r\n");
  return a == std::string::npos ? "" : s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// Contour levels of amounts only: a line between two directions or two classes means nothing.
std::vector<double> indicator_levels(const MapData& map, const Indicator& indicator) {
  if (scale_kind(indicator.name) != ScaleKind::amount) return {};
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (double v : indicator.values)
    if (std::isfinite(v)) {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  return map.lattice ? contour_levels(lo, hi) : std::vector<double>{};
}

void make_maps(const Options& o, std::ostream& out) {
  if (o.html && !report_available())
    raise_error(
        "Volba --html neni k dispozici: kadre-map byl sestaven bez knihovny Leaflet (nainstalujte "
        "balicek libjs-leaflet a sestavte jej znovu).");
  MapData map = load_map_data(o.config, o.indicators);
  fs::path crs_file;
  const std::string recorded = o.crs.empty() ? recorded_crs(o.config, crs_file) : "";
  if (!o.crs.empty()) {
    map.crs = crs_wkt(o.crs);
  } else if (!recorded.empty()) {
    map.crs = crs_wkt(recorded);
    out << free_form_line("Souradnicovy system ze souboru " + crs_file.string() + ": " +
                          (recorded.size() <= 40 ? recorded : recorded.substr(0, 40) + "...") +
                          ".");
  } else {
    out << free_form_line(
        "Vrstvy nemaji souradnicovy system, souradnice jsou souradnicemi vypoctu "
        "(zadejte jej volbou --crs).");
  }
  const fs::path dir = o.out_dir.empty() ? fs::path(map.output_dir.empty() ? "." : map.output_dir)
                                         : fs::path(o.out_dir);
  check_writable(dir);
  if (!map.lattice)
    out << free_form_line(
        "Referencni body nelezi v pravidelne siti: rastry GeoTIFF se nevytvori, mapy ukazi body.");

  // Written under temporary names and renamed into place at the end, so that a failure leaves
  // none of them (and the files of an earlier map as they were).
  ResultSet files;
  std::vector<std::vector<ContourLine>> contours;
  for (const Indicator& indicator : map.indicators) {
    const std::vector<double> levels = indicator_levels(map, indicator);
    contours.push_back(map.lattice ? contour_lines(*map.lattice, indicator, levels)
                                   : std::vector<ContourLine>{});
    const std::string stem = (dir / (map.title + "_" + indicator.name)).string();
    if (map.lattice)
      write_geotiff(map, indicator, stem + ".tif", files.temporary_for(stem + ".tif"));
    write_map_picture(map, indicator, contours.back(), stem + ".png",
                      files.temporary_for(stem + ".png"), o.lang);
  }
  const std::string gpkg = (dir / (map.title + ".gpkg")).string();
  write_geopackage(map, contours, gpkg, files.temporary_for(gpkg));
  if (o.html) {
    const std::string html = (dir / (map.title + ".html")).string();
    write_report(o.config, map.crs, o.lang, html, files.temporary_for(html));
  }
  const std::vector<std::string> paths = files.paths();
  files.commit();
  out << free_form_line("Mapy a vrstvy GIS:");
  for (const std::string& path : paths) out << free_form_line("  " + path);
}

}  // namespace

int run_map(const std::vector<std::string>& args, std::ostream& out) {
  try {
    make_maps(parse_options(args), out);
    return 0;
  } catch (const RunError& e) {
    out << e.console_text();
  } catch (const std::exception& e) {
    out << free_form_line(std::string("Vnitrni chyba programu: ") + e.what());
  }
  return 1;
}

int run_map_as_program(const std::vector<std::string>& args, std::ostream& out) {
  return with_termination_signals([&] { return run_map(args, out); });
}

}  // namespace kadre

#include "prep/prep_options.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "init/free_format_reader.h"
#include "prep/prep_errors.h"

namespace kadre {

namespace {

const char* const kUsage =
    "Pouziti programu:\n"
    "kadre-prep --out ADRESAR --sources SOUBOR[:VRSTVA]... --pollutant-class 1|2|3\n"
    "           [--dem SOUBOR] [--receptors grid:KROK|SOUBOR[:VRSTVA]]... [--crs CRS]\n"
    "           [--rose [RADA=]SOUBOR.csv]... [--met [RADA=]SOUBOR.csv]...\n"
    "           [--profile [PROFIL=]SOUBOR.csv]... (vsechny volby: kadre-prep --help)";

// The usage as console lines: each with its leading blank.
[[noreturn]] void usage() {
  std::string text;
  for (std::size_t from = 0, at = 0; at != std::string::npos; from = at + 1) {
    at = std::string_view(kUsage).find('\n', from);
    text += free_form_line(std::string(kUsage).substr(from, at - from));
  }
  throw RunError(text);
}

[[noreturn]] void bad_value(const std::string& option, const std::string& value,
                            const std::string& expected) {
  prep_error("Neplatna hodnota volby " + option + ": " + value + " (ocekavano " + expected + ").");
}

double number(const std::string& option, const std::string& value, bool positive) {
  double v = 0;
  if (!parse_real(value, v) || (positive ? v <= 0 : v < 0))
    bad_value(option, value, positive ? "kladne cislo" : "nezaporne cislo");
  return v;
}

NamedTable named_table(const std::string& option, const std::string& value,
                       const std::vector<NamedTable>& given) {
  NamedTable t;
  const std::size_t eq = value.find('=');
  if (eq != std::string::npos) {
    t.name = value.substr(0, eq);
    t.path = value.substr(eq + 1);
    // Names are three characters in kadre's source file; a longer one would be cut there.
    if (t.name.empty() || t.name.size() > 3 ||
        t.name.find_first_of(" \t,/'\"!") != std::string::npos)
      bad_value(option, value, "NAZEV=SOUBOR s nazvem o 1 az 3 znacich bez mezer");
  } else {
    t.path = value;
  }
  if (t.path.empty()) bad_value(option, value, "soubor");
  for (const NamedTable& g : given)
    if (g.name == t.name)
      prep_error("Volba " + option + " je pro " +
                 (t.name.empty() ? std::string("zdroje bez nazvu") : "nazev " + t.name) +
                 " zadana dvakrat.");
  return t;
}

std::array<double, 4> extent_of(const std::string& value) {
  std::array<double, 4> e{};
  std::size_t from = 0;
  for (int k = 0; k < 4; ++k) {
    const std::size_t comma = value.find(',', from);
    if ((k < 3) != (comma != std::string::npos))
      bad_value("--extent", value, "XMIN,YMIN,XMAX,YMAX");
    if (!parse_real(value.substr(from, comma - from), e[k]))
      bad_value("--extent", value, "XMIN,YMIN,XMAX,YMAX");
    from = comma + 1;
  }
  if (!(e[0] < e[2] && e[1] < e[3])) bad_value("--extent", value, "XMIN < XMAX a YMIN < YMAX");
  return e;
}

std::string resampling_of(const std::string& value) {
  static const std::vector<std::string> known{"near",        "bilinear", "cubic",
                                              "cubicspline", "lanczos",  "average"};
  if (value == "nearest") return "near";
  if (std::find(known.begin(), known.end(), value) == known.end())
    bad_value("--resampling", value, "nearest, bilinear, cubic, cubicspline, lanczos nebo average");
  return value;
}

}  // namespace

const std::vector<std::string>& source_attribute_names() {
  static const std::vector<std::string> names{
      "id",       "height",      "diameter", "velocity",    "temperature", "flow",
      "emission", "emission_no", "time_use", "daily_hours", "cluster",     "width",
      "vertical", "series",      "profile",  "group",       "tower",       "name"};
  return names;
}

std::pair<std::string, std::string> split_layer(const std::string& file_layer) {
  struct stat st {};
  const std::size_t colon = file_layer.rfind(':');
  if (colon == std::string::npos || colon == 0 || ::stat(file_layer.c_str(), &st) == 0)
    return {file_layer, ""};
  return {file_layer.substr(0, colon), file_layer.substr(colon + 1)};
}

std::string prep_usage() { return kUsage; }

std::string prep_help() {
  return std::string(kUsage) +
         "\n\n"
         "Pripravi kompletni studii pro kadre z dat GIS: run.nml, param.nml, crs.txt a vstupni\n"
         "soubory v adresari input/.\n"
         "  --out ADRESAR            adresar studie (vytvori se)\n"
         "  --sources SOUBOR[:VRSTVA] zdroje: body, linie, polygony (GeoPackage, Shapefile,\n"
         "                           GeoJSON, CSV se sloupci x, y nebo WKT)\n"
         "  --field NAZEV=SLOUPEC    atribut NAZEV se cte ze sloupce SLOUPEC\n"
         "  --area-cell M            strana ctvercu plosnych zdroju (vychozi 10 m)\n"
         "  --pollutant-class N      trida znecistujici latky 1 az 3 (trida_lat)\n"
         "  --receptors grid:KROK    pravidelna sit referencnich bodu v oblasti\n"
         "  --receptors SOUBOR[:VRSTVA] pojmenovane body (atribut name)\n"
         "  --receptor-height M      vyska bodu nad terenem (vychozi 1.5 m)\n"
         "  --margin M               okraj oblasti kolem zdroju (vychozi 2000 m)\n"
         "  --extent XMIN,YMIN,XMAX,YMAX  oblast site misto zdroju s okrajem\n"
         "  --crs CRS                souradnicovy system studie (EPSG:NNNN, WKT, PROJ)\n"
         "  --input-crs CRS          system vstupu, ktere zadny nenesou (vychozi: studie)\n"
         "  --dem SOUBOR             model terenu (libovolny rastr GDAL)\n"
         "  --cell M                 velikost bunky terenu (vychozi: bunka modelu terenu)\n"
         "  --resampling METODA      nearest, bilinear (vychozi), cubic, cubicspline,\n"
         "                           lanczos, average\n"
         "  --fill-nodata            doplni bunky bez hodnoty (NODATA) z okoli\n"
         "  --rose [RADA=]SOUBOR.csv ruzice: direction,stability_class,speed_class,frequency\n"
         "  --rose-unit percent|fraction  jednotka cetnosti ruzice (vychozi percent)\n"
         "  --met [RADA=]SOUBOR.csv  meteorologicka rada: time,direction,speed,gradient|class\n"
         "  --profile [PROFIL=]SOUBOR.csv  emisni profil: time,factor\n"
         "  --climate SOUBOR         klimaticke udaje chladicich vezi (format kadre)";
}

PrepOptions parse_prep_options(const std::vector<std::string>& args) {
  PrepOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
      return o;
    }
    if (a == "--fill-nodata") {
      o.fill_nodata = true;
      continue;
    }
    if (!a.starts_with("--") || i + 1 >= args.size()) usage();
    const std::string& v = args[++i];
    if (a == "--out") {
      o.out_dir = v;
    } else if (a == "--crs") {
      o.crs = v;
    } else if (a == "--input-crs") {
      o.input_crs = v;
    } else if (a == "--pollutant-class") {
      if (v != "1" && v != "2" && v != "3") bad_value(a, v, "1, 2 nebo 3");
      o.pollutant_class = v[0] - '0';
    } else if (a == "--sources") {
      o.sources.push_back(v);
    } else if (a == "--field") {
      const std::size_t eq = v.find('=');
      if (eq == std::string::npos || eq == 0 || eq + 1 == v.size())
        bad_value(a, v, "NAZEV=SLOUPEC");
      const std::string name = v.substr(0, eq);
      const auto& names = source_attribute_names();
      if (std::find(names.begin(), names.end(), name) == names.end()) {
        std::string list;
        for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
        bad_value(a, v, "jeden z atributu " + list);
      }
      o.fields[name] = v.substr(eq + 1);
    } else if (a == "--area-cell") {
      o.area_cell = number(a, v, true);
    } else if (a == "--receptors") {
      if (v.starts_with("grid:")) {
        if (o.grid_step > 0) prep_error("Volba --receptors grid: je zadana dvakrat.");
        o.grid_step = number(a, v.substr(5), true);
      } else {
        o.receptor_files.push_back(v);
      }
    } else if (a == "--receptor-height") {
      o.receptor_height = number(a, v, false);
    } else if (a == "--margin") {
      o.margin = number(a, v, false);
    } else if (a == "--extent") {
      o.extent = extent_of(v);
    } else if (a == "--dem") {
      o.dem = v;
    } else if (a == "--cell") {
      o.cell = number(a, v, true);
    } else if (a == "--resampling") {
      o.resampling = resampling_of(v);
    } else if (a == "--rose") {
      o.roses.push_back(named_table(a, v, o.roses));
    } else if (a == "--rose-unit") {
      if (v != "percent" && v != "fraction") bad_value(a, v, "percent nebo fraction");
      o.rose_fraction = v == "fraction";
    } else if (a == "--met") {
      o.mets.push_back(named_table(a, v, o.mets));
    } else if (a == "--profile") {
      o.profiles.push_back(named_table(a, v, o.profiles));
    } else if (a == "--climate") {
      o.climate = v;
    } else {
      usage();
    }
  }
  if (o.out_dir.empty()) prep_error("Chybi volba --out (adresar studie).");
  if (o.sources.empty()) prep_error("Chybi volba --sources (soubor se zdroji).");
  if (o.pollutant_class == 0)
    prep_error("Chybi volba --pollutant-class (trida znecistujici latky 1 az 3, trida_lat).");
  if (o.grid_step == 0 && o.receptor_files.empty())
    prep_error("Chybi volba --receptors (sit grid:KROK nebo soubor s body).");
  if (o.roses.empty() && o.mets.empty())
    prep_error(
        "Chybi ruzice (--rose) i meteorologicka rada (--met): studie by nezapinala zadny vypocet.");
  if (!o.profiles.empty() && o.mets.empty())
    prep_error("Emisni profily (--profile) plati jen pro hodinovy vypocet: zadejte i --met.");
  return o;
}

}  // namespace kadre

#include "maps/map_data.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "core/errors.h"
#include "core/text.h"
#include "init/free_format_reader.h"
#include "init/read_input_data.h"
#include "maps/lattice.h"
#include "output/point_fields.h"
#include "output/result_paths.h"

namespace kadre {

namespace {

std::vector<std::string> split(const std::string& line, const std::string& d) {
  std::vector<std::string> fields;
  for (std::size_t from = 0, at = 0; at != std::string::npos; from = at + d.size())
    fields.push_back(line.substr(from, (at = line.find(d, from)) - from));
  return fields;
}

// A number of a result file, in the forms the data files use (a three-digit exponent may
// lack its letter); asterisks (a value too wide for its field) are no number.
double result_number(const std::string& text) {
  const std::size_t start = text.find_first_not_of(' ');
  double v = 0;
  return start != std::string::npos && parse_real(rtrim(std::string_view(text).substr(start)), v)
             ? v
             : std::numeric_limits<double>::quiet_NaN();
}

std::string unit_of(const std::string& column) {
  if (column.starts_with("Th_") || column.starts_with("Td_")) return "h/yr";
  if (column.ends_with("_class_max")) return "";
  if (column.ends_with("_w_sp_max")) return "m/s";
  if (column.ends_with("_w_dir_max")) return "°";
  return "µg/m³";
}

[[noreturn]] void not_of_this_run(const std::string& path, const std::string& why) {
  raise_error("Vysledny soubor " + path + " nepatri k teto konfiguraci: " + why + ".");
}

// The indicator columns of a result file of every reference point; `rename` names a file's
// only column (the hourly mean and maximum files).
void read_result_file(const std::string& path, const std::string& d,
                      const std::vector<RefPoint>& points, const std::string& rename,
                      std::vector<Indicator>& indicators) {
  std::ifstream in(path);
  if (!in)
    raise_error("Vysledny soubor " + path +
                " chybi. Spustte nejprve kadre se stejnym konfiguracnim souborem.");
  std::string line;
  std::getline(in, line);
  // The identification columns every per-point result file starts with, then the indicators.
  const std::string point_columns = point_header(d) + d;
  if (!line.starts_with(point_columns)) not_of_this_run(path, "chybi hlavicka");
  const std::size_t skip = split(point_header(d), d).size();
  const std::vector<std::string> names = split(line.substr(point_columns.size()), d);
  const std::size_t first = indicators.size();
  for (const std::string& column : names) {
    const std::string name = rename.empty() ? column : rename;
    indicators.push_back(Indicator{name, unit_of(name), {}});
  }
  std::size_t row = 0;
  while (std::getline(in, line)) {
    const std::vector<std::string> fields = split(line, d);
    if (row >= points.size()) not_of_this_run(path, "vice radku nez referencnich bodu");
    if (fields.size() != skip + names.size() || rtrim(fields[0]) != points[row].id)
      not_of_this_run(path,
                      "na radku " + std::to_string(row + 2) + " ocekavan bod " + points[row].id);
    for (std::size_t k = skip; k < fields.size(); ++k)
      indicators[first + k - skip].values.push_back(result_number(fields[k]));
    ++row;
  }
  if (row != points.size()) not_of_this_run(path, "mene radku nez referencnich bodu");
}

}  // namespace

MapData load_map_data(const std::string& config, const std::vector<std::string>& chosen) {
  std::ostringstream discard;
  InputData in = read_input_data(config, discard);
  const Settings& cfg = in.cfg;
  MapData map;
  map.title = std::filesystem::path(config).stem().string();
  map.output_dir = rtrim(cfg.oputdir);
  const std::string d = result_delimiter(cfg.delim_out);
  std::vector<Indicator> all;
  if (cfg.methodology()) read_result_file(stats_path(cfg), d, in.ref_points, "", all);
  if (cfg.is_time) {
    read_result_file(hourly_path(cfg, "avg_"), d, in.ref_points, "avg", all);
    read_result_file(hourly_path(cfg, "max_"), d, in.ref_points, "max", all);
  }
  if (all.empty())
    raise_error("Konfigurace " + config + " nezapina zadny vypocet, neni co zobrazit.");
  // Equal limits give equal columns: the later ones are told apart by their position.
  for (std::size_t i = 0; i < all.size(); ++i) {
    int same = 1;
    for (std::size_t k = 0; k < i; ++k)
      same += to_lower(all[k].name) == to_lower(all[i].name) ? 1 : 0;
    if (same > 1) all[i].name.append("_").append(std::to_string(same));
  }
  for (const std::string& name : chosen) {
    bool known = false;
    for (const Indicator& i : all) known = known || i.name == name;
    if (known) continue;
    std::string names;
    for (const Indicator& i : all) {
      if (!names.empty()) names += ", ";
      names += i.name;
    }
    raise_error("Ukazatel " + name + " neni sloupcem vysledku (k dispozici: " + names + ").");
  }
  for (Indicator& i : all)
    if (chosen.empty() || std::find(chosen.begin(), chosen.end(), i.name) != chosen.end())
      map.indicators.push_back(std::move(i));
  map.points = std::move(in.ref_points);
  map.sources = std::move(in.sources);
  map.lattice = find_lattice(map.points);
  return map;
}

}  // namespace kadre

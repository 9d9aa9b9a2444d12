#include "maps/map_data.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "core/errors.h"
#include "core/text.h"
#include "init/read_input_data.h"
#include "maps/lattice.h"
#include "maps/result_reader.h"
#include "output/point_fields.h"
#include "output/result_paths.h"

namespace kadre {

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
  // Equal limits give equal columns: the later ones are told apart by their position among
  // the columns of that name as the file has them (_2, _3, ...).
  std::vector<std::string> as_read;
  for (const Indicator& i : all) as_read.push_back(to_lower(i.name));
  for (std::size_t i = 0; i < all.size(); ++i) {
    const auto same =
        std::count(as_read.begin(), as_read.begin() + static_cast<std::ptrdiff_t>(i), as_read[i]) +
        1;
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

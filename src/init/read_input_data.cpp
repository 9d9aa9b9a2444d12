#include "init/read_input_data.h"

#include <algorithm>

#include "core/errors.h"
#include "core/text.h"
#include "init/background_reader.h"
#include "init/climate_reader.h"
#include "init/emission_profiles_reader.h"
#include "init/groups_reader.h"
#include "init/met_series_reader.h"
#include "init/read_config.h"
#include "init/ref_points_reader.h"
#include "init/sources_reader.h"
#include "init/terrain_reader.h"
#include "init/wind_rose_reader.h"

namespace kadre {

InputData read_input_data(const std::string& path_file, std::ostream& out,
                          const std::string& base_dir) {
  InputData in;
  in.cfg = read_config(path_file, out, base_dir);
  const Settings& cfg = in.cfg;
  const auto input_path = [&](const std::string& file) { return cfg.iputdir + file; };

  read_terrain_definition(input_path(cfg.vyskopis_file), in.terrain);
  check_path_steps(in.terrain, cfg.int_err);
  in.ref_points = read_ref_points(input_path(cfg.ref_body_file), in.terrain, out);
  read_sources(input_path(cfg.zdroje_file), input_path(cfg.zdroje_popis_file), cfg, in.terrain,
               in.sources, in.met_name, in.time_prof_name, out);

  out << "   nacitam vyskopis ... " << std::flush;
  read_terrain(input_path(cfg.vyskopis_file), in.terrain, in.ref_points, in.sources);
  out << free_form_line("OK");
  dopln_z(in.terrain, in.ref_points, in.sources);
  check_nodata_under(input_path(cfg.vyskopis_file), in.terrain, in.ref_points, in.sources);

  if (cfg.is_average || cfg.is_exceed)
    in.wind_roses = read_wind_roses(input_path(cfg.ruzice_file), cfg, in.met_name, out);
  if (cfg.is_time) {
    in.met = read_time(input_path(cfg.time_file), cfg, in.met_name, out);
    in.profiles =
        read_time_emis(input_path(cfg.emis_time_file), cfg, in.time_prof_name, in.met.ntime, out);
    // Without sources there are no hours, and so no background to read.
    if (cfg.compliance() && !rtrim(cfg.limits.background_file).empty() && in.met.ntime > 0)
      in.background = read_background(input_path(cfg.limits.background_file), in.met);
  }
  const bool any_cooling_tower = std::any_of(in.sources.begin(), in.sources.end(),
                                             [](const Source& s) { return s.cooling_tower; });
  if (any_cooling_tower) in.climate = read_climate_tables(input_path(cfg.chl_v_file), out);
  if (cfg.is_time && !cfg.time_output_all)
    read_output_ref_p(input_path(cfg.output_ref_p), in.ref_points);

  if (!rtrim(cfg.groups_file).empty())
    in.groups = read_groups(input_path(cfg.groups_file), in.sources);

  check_outputs(cfg);
  return in;
}

}  // namespace kadre

#include "init/read_config.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <utility>

#include "core/errors.h"
#include "core/text.h"
#include "init/diagnostics.h"
#include "init/namelist.h"

namespace kadre {

namespace {

// Fixed lengths of the texts that are not paths; paths and file names keep any length.
constexpr std::size_t kDailyTypeLength = 4;
constexpr std::size_t kDelimOutLength = 10;
constexpr std::size_t kTepVydTypeLength = 8;

void register_keys(Namelist& group, Settings& s) {
  group.add_text("iputdir", s.iputdir);
  group.add_text("ref_body_file", s.ref_body_file);
  group.add_text("zdroje_file", s.zdroje_file);
  group.add_text("zdroje_popis_file", s.zdroje_popis_file);
  group.add_text("time_file", s.time_file);
  group.add_text("emis_time_file", s.emis_time_file);
  group.add_text("output_time", s.output_time);
  group.add_text("vyskopis_file", s.vyskopis_file);
  group.add_int("trida_lat", s.trida_lat);
  group.add_bool("is_tep_gr", s.is_tep_gr);
  group.add_bool("is_average", s.is_average);
  group.add_text("ruzice_file", s.ruzice_file);
  group.add_bool("is_time", s.is_time);
  group.add_text("output_stats", s.output_stats);
  group.add_text("oputdir", s.oputdir);
  group.add_bool("is_exceed", s.is_exceed);
  group.add_doubles("ch_exceed", s.ch_exceed);
  group.add_doubles("cd_exceed", s.cd_exceed);
  group.add_bool("is_no", s.convert_no);
  group.add_double("u_height", s.u_height);
  group.add_text("daily_type", s.daily_type, kDailyTypeLength);
  group.add_double("phi_step", s.phi_step);
  group.add_text("chl_v_file", s.chl_v_file);
  group.add_bool("inverze", s.inverze);
  group.add_bool("free_atmo", s.free_atmo);
  group.add_bool("is_shluky", s.is_shluky);
  group.add_bool("is_max_abs", s.is_max_abs);
  group.add_bool("is_max_11", s.is_max_11);
  group.add_bool("is_daily", s.is_daily);
  group.add_bool("time_output_all", s.time_output_all);
  group.add_text("output_ref_p", s.output_ref_p);
  group.add_bool("wind_rotation", s.wind_rotation);
  group.add_int("shortterm_avg", s.shortterm_avg);
  group.add_text("delim_out", s.delim_out, kDelimOutLength);
  group.add_double("int_err", s.int_err);
  group.add_text("tep_vyd_type", s.tep_vyd_type, kTepVydTypeLength);
  group.add_double("infl_dist_min", s.infl_dist_min);
  group.add_double("infl_dist_max", s.infl_dist_max);
  group.add_text("groups_file", s.groups_file);
}

// The value as the user would have written it (shortest form that reads back the same).
std::string as_written(double value) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

// The keys of the "limits" group as read: a number not given stays NaN, which no value of the
// file can be.
struct LimitKeys {
  double background = 0.0;
  std::string background_file, output_limits;
  double hour_limit = std::numeric_limits<double>::quiet_NaN(), hour_allowed = hour_limit,
         day_limit = hour_limit, day_allowed = hour_limit, year_limit = hour_limit;
};

// A limit is a concentration: not negative.
std::optional<double> limit_value(const char* key, double value) {
  if (std::isnan(value)) return std::nullopt;
  if (value < 0.0)
    raise_error(std::string("Hodnota parametru ") + key + " = " + as_written(value) +
                " je neplatna, musi byt nezaporna.");
  return value;
}

// A count of allowed exceedances: a whole number from 0, and only with its limit.
std::optional<int> allowed_count(const char* key, double value, const char* limit_key,
                                 const std::optional<double>& limit) {
  if (std::isnan(value)) return std::nullopt;
  const std::string prefix =
      std::string("Hodnota parametru ") + key + " = " + as_written(value) + " je neplatna, ";
  if (!(value >= 0.0) || value != std::trunc(value))
    raise_error(prefix + "musi byt cele nezaporne cislo.");
  if (value > static_cast<double>(std::numeric_limits<int>::max()))
    raise_error(prefix + "je prilis velka.");
  if (!limit)
    raise_error(std::string("Parametr ") + key + " je zadan bez parametru " + limit_key +
                " (skupina &limits).");
  return static_cast<int>(value);
}

// The optional group "limits" of the configuration file; absent, nothing is given.
Limits read_limits(const std::string& path_file, const std::string& output_time) {
  Limits limits;
  std::ifstream in(rtrim(path_file), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  Namelist group("limits");
  if (!group.has_group(text.str())) return limits;
  LimitKeys k;
  group.add_double("background", k.background);
  group.add_text("background_file", k.background_file);
  group.add_double("hour_limit", k.hour_limit);
  group.add_double("hour_allowed", k.hour_allowed);
  group.add_double("day_limit", k.day_limit);
  group.add_double("day_allowed", k.day_allowed);
  group.add_double("year_limit", k.year_limit);
  group.add_text("output_limits", k.output_limits);
  NamelistFailure failure;
  const NamelistStatus status = group.parse(text.str(), &failure);
  if (status != NamelistStatus::ok)
    raise_error(
        error_nml_read(path_file, status == NamelistStatus::end_of_file, &failure, "limits"));

  limits.given = true;
  limits.background = k.background;
  limits.background_file = k.background_file;
  limits.hour_limit = limit_value("hour_limit", k.hour_limit);
  limits.day_limit = limit_value("day_limit", k.day_limit);
  limits.year_limit = limit_value("year_limit", k.year_limit);
  limits.hour_allowed =
      allowed_count("hour_allowed", k.hour_allowed, "hour_limit", limits.hour_limit);
  limits.day_allowed = allowed_count("day_allowed", k.day_allowed, "day_limit", limits.day_limit);
  // The compliance file is a table of text: beside a NetCDF hourly file it is named .csv.
  std::string time_name = rtrim(output_time);
  if (time_name.size() > 3 && time_name.compare(time_name.size() - 3, 3, ".nc") == 0)
    time_name.replace(time_name.size() - 3, 3, ".csv");
  limits.output_limits = rtrim(k.output_limits).empty() ? "limits_" + time_name : k.output_limits;
  return limits;
}

}  // namespace

int sector_count(double phi_step) {
  const std::string prefix =
      "Hodnota parametru phi_step = " + as_written(phi_step) + " je neplatna, ";
  if (!(phi_step > 0.0)) raise_error(prefix + "musi byt kladna.");
  const double sectors = std::trunc(360.0 / phi_step);
  if (sectors < 1.0) raise_error(prefix + "musi byt nejvyse 360.");
  if (sectors > static_cast<double>(std::numeric_limits<int>::max()))
    raise_error(prefix + "je prilis mala.");
  return static_cast<int>(sectors);
}

Settings read_config(const std::string& path_file, std::ostream& out, const std::string& base_dir) {
  out << free_form_line("Nacitam vstupni data");
  check_file_exist(path_file, "inicializaci vypoctu");

  Settings settings;
  Namelist group("init");
  register_keys(group, settings);
  NamelistFailure failure;
  const NamelistStatus status = group.parse_file(rtrim(path_file), &failure);
  if (status != NamelistStatus::ok)
    raise_error(error_nml_read(path_file, status == NamelistStatus::end_of_file, &failure));

  settings.limits = read_limits(path_file, settings.output_time);
  settings.summary_file =
      "summary_" + std::filesystem::path(rtrim(path_file)).stem().string() + ".csv";

  settings.iputdir = add_sep2dir(settings.iputdir);
  settings.oputdir = add_sep2dir(settings.oputdir);
  if (!base_dir.empty()) {
    settings.base_dir = base_dir;
    for (std::string* dir : {&settings.iputdir, &settings.oputdir})
      if (dir->empty() || (*dir)[0] != '/') *dir = base_dir + *dir;
  }
  settings.nphi = sector_count(settings.phi_step);
  for (const auto& [key, value] :
       {std::pair{"u_height", settings.u_height}, {"int_err", settings.int_err}})
    if (!(value > 0.0))
      raise_error(std::string("Hodnota parametru ") + key + " = " + as_written(value) +
                  " je neplatna, musi byt kladna.");
  // Blanks are trimmed from the delimiter: one of blanks only would fuse every column.
  if (rtrim(settings.delim_out).empty())
    raise_error(
        "Hodnota parametru delim_out je neplatna, oddelovac nesmi byt prazdny ani tvoreny jen "
        "mezerami.");
  return settings;
}

void check_outputs(const Settings& settings) {
  check_directory_exist(settings.oputdir, "adresare pro vystupni data");
  if (settings.is_time && rtrim(settings.output_time).empty())
    stop_with_lines({"Název souboru s hodinovými výstupy (output_time) nebyl zadán."});
  if (!settings.methodology()) return;
  if (rtrim(settings.output_stats).empty())
    stop_with_lines({"Název souboru pro výstup výpočtu dle metodiky (output_stats) nebyl zadán."});
}

}  // namespace kadre

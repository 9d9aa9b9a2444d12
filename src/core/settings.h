#pragma once
// The settings of a run: the keys of the run configuration group "init" with their
// defaults, and the values derived from them. Built once by loading, read-only afterwards.
#include <array>
#include <optional>
#include <string>

namespace kadre {

// The optional group "limits" that follows "init": the limit values a study is judged by and
// the background added to the compliance results. A limit or count not given stays empty.
struct Limits {
  bool given = false;  // the group is in the configuration
  double background = 0.0;
  std::string background_file;  // hourly background replacing the constant (blank: none)
  std::optional<double> hour_limit, day_limit, year_limit;
  std::optional<int> hour_allowed, day_allowed;  // each only with its limit
  std::string output_limits;                     // blank in the file: "limits_" + output_time
};

struct Settings {
  // The directory relative paths start from (ends with a separator); blank: the working
  // directory. A caller running several studies in one process sets it instead of changing
  // the process's working directory.
  std::string base_dir;
  std::string iputdir = "./";  // ends with a separator after loading (blank: current directory)
  std::string ref_body_file;
  std::string zdroje_file;
  std::string zdroje_popis_file;
  std::string time_file;
  std::string emis_time_file;
  std::string output_time;
  std::string vyskopis_file;
  int trida_lat = 0;
  bool is_tep_gr = true;
  bool is_average = false;
  std::string ruzice_file;
  bool is_time = false;
  std::string output_stats;
  std::string oputdir = "./";
  bool is_exceed = false;
  std::array<double, 3> ch_exceed{0.0, 0.0, 0.0};
  std::array<double, 3> cd_exceed{0.0, 0.0, 0.0};
  bool convert_no = false;
  double u_height = 10.0;
  std::string daily_type;  // at most 4 characters
  double phi_step = 1.0;
  std::string chl_v_file;
  bool inverze = false;
  bool free_atmo = false;
  bool is_shluky = false;
  bool is_max_abs = false;
  bool is_max_11 = false;
  bool is_daily = false;
  bool time_output_all = true;
  std::string output_ref_p;
  bool wind_rotation = true;
  int shortterm_avg = 60;
  std::string delim_out = ";";  // at most 10 characters
  double int_err = 25.0;
  std::string tep_vyd_type = "vyzk-zpr";  // at most 8 characters
  double infl_dist_min = 0.0;
  double infl_dist_max = 100000.0;
  std::string groups_file;  // blank: no source groups
  Limits limits;

  // Derived: the summary file, "summary_" + the stem of the configuration file + ".csv".
  std::string summary_file;

  // Derived: number of wind-direction sectors, 360 / phi_step cut toward zero.
  int nphi = 360;

  // The methodology (statistical) evaluation is on.
  bool methodology() const { return is_max_abs || is_average || is_max_11 || is_exceed; }
  // The compliance file of the hourly evaluation is written.
  bool compliance() const { return is_time && limits.given; }
};

}  // namespace kadre

#include "prep/study_writer.h"

#include <charconv>
#include <filesystem>
#include <map>
#include <set>

#include "core/text.h"
#include "output/result_file.h"
#include "prep/prep_errors.h"
#include "prep/sample_param.h"

namespace kadre {

namespace {

namespace fs = std::filesystem;

const char* const kInputDir = "input/";
const char* const kOutputDir = "output/";
const char* const kTerrain = "terrain.asc";
const char* const kReceptors = "receptors.txt";
const char* const kOutputPoints = "output_points.txt";
const char* const kSources = "sources.txt";
const char* const kSourcesDesc = "sources_desc.txt";
const char* const kRose = "rose.txt";
const char* const kMet = "met.txt";
const char* const kProfile = "profile.txt";
const char* const kClimate = "climate.txt";
const char* const kGroups = "groups.txt";

// A text item of kadre's free-format files: quoted, a quote inside doubled.
std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("''") : std::string(1, c);
  return q + "'";
}

std::string count_text(std::size_t n, const char* one, const char* few, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : n >= 2 && n <= 4 ? few : many);
}

class StudyFiles {
 public:
  explicit StudyFiles(std::string dir) : dir_(std::move(dir)) {}

  void write(const std::string& relative, const std::string& text, const std::string& what) {
    ResultFile f((fs::path(dir_) / relative).string(), &set_);
    f.append(text);
    f.close();
    written_.push_back(WrittenFile{relative, what});
  }
  void keep(const std::string& relative, const std::string& what) {
    written_.push_back(WrittenFile{relative, what});
  }
  std::vector<WrittenFile> commit() {
    set_.commit();
    return written_;
  }

 private:
  std::string dir_;
  ResultSet set_;
  std::vector<WrittenFile> written_;
};

std::string terrain_text(const TerrainRaster& t) {
  std::string s = "ncols " + std::to_string(t.ncols) + "\nnrows " + std::to_string(t.nrows) +
                  "\nxllcorner " + exact_number(t.xll) + "\nyllcorner " + exact_number(t.yll) +
                  "\ncellsize " + exact_number(t.cell) + "\nNODATA_value -9999\n";
  s.reserve(s.size() + t.z.size() * 5);
  for (int r = 0; r < t.nrows; ++r) {
    for (int c = 0; c < t.ncols; ++c) {
      if (c > 0) s += ' ';
      s += std::to_string(t.z[static_cast<std::size_t>(r) * t.ncols + c]);
    }
    s += '\n';
  }
  return s;
}

std::string receptors_text(const Study& study) {
  std::string s = "! id  x  y  z (replaced by the terrain)  height above terrain [m]\n";
  for (const RefPoint& p : study.receptors)
    s += quoted(p.id) + " " + exact_number(p.x) + " " + exact_number(p.y) + " 0 " +
         exact_number(p.height_above_ground_m) + "\n";
  return s;
}

std::string output_points_text(const Study& study) {
  std::string s;  // no comment lines: every line names a point
  for (const RefPoint& p : study.receptors)
    if (p.has_hourly_output) s += quoted(p.id) + "\n";
  return s;
}

bool hourly(const Study& study) { return !study.mets.empty(); }

std::string definitions_text(const Study& study) {
  std::string s = "! id  x  y  z  type  cluster  aux  series";
  s += hourly(study) ? "  profile\n" : "\n";
  for (const StudySource& ss : study.sources) {
    const Source& src = ss.source;
    const bool line = src.type == SourceType::line;
    s += quoted(src.id) + " " + exact_number(line ? src.x1 : src.x) + " " +
         exact_number(line ? src.y1 : src.y) + " 0 " + std::to_string(static_cast<int>(src.type)) +
         " " + std::to_string(src.cluster) + " 0 " + ss.series;
    s += hourly(study) ? " " + ss.profile + "\n" : "\n";
  }
  return s;
}

std::string descriptions_text(const Study& study) {
  std::string s =
      "! id  m  m_no  h  v|x2  t|y2  d|width  w|vert_ext  time_use  daily_hours  length  "
      "cooling_tower\n";
  for (const StudySource& ss : study.sources) {
    const Source& src = ss.source;
    const bool line = src.type == SourceType::line;
    const double items[] = {src.m,
                            src.m_no,
                            src.stack_height_m,
                            line ? src.x2 : src.flue_gas_flow_m3_s,
                            line ? src.y2 : src.flue_gas_temp_c,
                            line ? src.width : src.diameter_m,
                            line ? src.vert_ext : src.exit_velocity_m_s,
                            src.time_use,
                            src.daily_hours,
                            line ? 0.0 : src.length};
    s += quoted(src.id);
    for (double v : items) s += " " + exact_number(v);
    s += src.cooling_tower ? " 1\n" : " 0\n";
  }
  return s;
}

std::string groups_text(const Study& study) {
  std::map<std::string, std::vector<std::string>> members;
  std::vector<std::string> order;
  for (const StudySource& ss : study.sources) {
    if (ss.group.empty()) continue;
    if (members.find(ss.group) == members.end()) order.push_back(ss.group);
    members[ss.group].push_back(ss.source.id);
  }
  std::string s;
  if (order.empty()) return s;
  s = "! group  sources\n";
  for (const std::string& g : order) {
    s += g;
    for (const std::string& id : members[g]) s += " " + quoted(id);
    s += "\n";
  }
  return s;
}

std::string rose_text(const RoseTable& rose) {
  std::string s = "! " + std::to_string(rose.n_dir) +
                  " directions from north clockwise and the calm, percent of the year, situations\n"
                  "! I/1.7 II/1.7 II/5 III/1.7 III/5 III/11 IV/1.7 IV/5 IV/11 V/1.7 V/5\n" +
                  std::to_string(rose.n_dir) + "\n";
  for (const std::vector<double>& situation : rose.situations) {
    for (std::size_t i = 0; i < situation.size(); ++i)
      s += (i > 0 ? " " : "") + exact_number(situation[i]);
    s += "\n";
  }
  return s;
}

std::string hour_text(const HourStamp& h) {
  return std::to_string(h.year) + " " + std::to_string(h.month) + " " + std::to_string(h.day) +
         " " + std::to_string(h.hour);
}

std::string met_text(const MetTable& met) {
  std::string s = "! year month day hour direction speed ";
  s += met.gradients ? "gradient" : "class";
  s += met.inversion ? " inversion_height direction speed " +
                           std::string(met.gradients ? "gradient" : "class") + "\n"
                     : "\n";
  for (const MetRecord& r : met.records) {
    s += hour_text(r.time) + " " + exact_number(r.direction) + " " + exact_number(r.speed) + " " +
         exact_number(r.gradient);
    if (met.inversion)
      s += " " + exact_number(r.zi) + " " + exact_number(r.direction_i) + " " +
           exact_number(r.speed_i) + " " + exact_number(r.gradient_i);
    s += "\n";
  }
  return s;
}

std::string profile_text(const std::vector<HourStamp>& times, const std::vector<double>* factors) {
  std::string s = "! year month day hour factor\n";
  for (std::size_t t = 0; t < times.size(); ++t)
    s +=
        hour_text(times[t]) + " " + (factors != nullptr ? exact_number((*factors)[t]) : "1") + "\n";
  return s;
}

std::string input(const std::string& name) { return std::string(kInputDir) + name; }

}  // namespace

std::string exact_number(double v) {
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, result.ptr);
}

std::string run_config_text(const Study& study) {
  const auto key = [](const char* k, const std::string& value) {
    return std::string("  ") + k + " = " + value + "\n";
  };
  const auto text = [](const std::string& s) { return "'" + s + "'"; };
  bool clusters = false, second = false, groups = false;
  for (const StudySource& ss : study.sources) {
    clusters = clusters || ss.source.cluster > 0;
    second = second || ss.source.m_no != 0;
    groups = groups || !ss.group.empty();
  }
  std::string s =
      "! Written by kadre-prep: " + std::to_string(study.sources.size()) + " sources, " +
      std::to_string(study.receptors.size()) +
      " reference points.\n! Run it in this directory: kadre run.nml, then kadre-map run.nml.\n"
      "&init\n";
  s += key("iputdir", text(kInputDir)) + key("oputdir", text(kOutputDir));
  s += key("vyskopis_file", text(kTerrain)) + key("ref_body_file", text(kReceptors));
  s += key("zdroje_file", text(kSources)) + key("zdroje_popis_file", text(kSourcesDesc));
  s += key("trida_lat", std::to_string(study.pollutant_class));
  if (clusters) s += key("is_shluky", ".true.");
  if (second) s += key("is_no", ".true.");
  if (!study.climate_text.empty()) s += key("chl_v_file", text(kClimate));
  if (groups) s += key("groups_file", text(kGroups));
  if (!study.roses.empty()) {
    s += "  ! statistical evaluation over the wind roses\n";
    s += key("ruzice_file", text(kRose)) + key("is_average", ".true.") +
         key("is_max_abs", ".true.") + key("is_max_11", ".true.") +
         key("output_stats", text("stats.csv"));
  }
  if (hourly(study)) {
    const MetTable& met = study.mets.begin()->second;
    s += "  ! hourly evaluation over the meteorological series\n";
    s += key("is_time", ".true.") + key("time_file", text(kMet)) +
         key("is_tep_gr", met.gradients ? ".true." : ".false.") +
         key("inverze", met.inversion ? ".true." : ".false.");
    if (!study.profiles.empty() || !study.constant_profiles.empty())
      s += key("emis_time_file", text(kProfile));
    s += key("time_output_all", ".false.") + key("output_ref_p", text(kOutputPoints)) +
         key("output_time", text("hourly.csv"));
  }
  return s + "/\n";
}

std::vector<WrittenFile> write_study(const Study& study, const std::string& dir) {
  std::error_code ec;
  for (const char* sub : {kInputDir, kOutputDir}) {
    fs::create_directories(fs::path(dir) / sub, ec);
    if (ec) prep_error("Adresar " + (fs::path(dir) / sub).string() + " nelze vytvorit.");
  }
  StudyFiles files(dir);
  files.write(kRunConfig, run_config_text(study), "konfigurace vypoctu");
  // Parameters of an earlier preparation may have been reviewed and edited: they stay.
  if (fs::exists(fs::path(dir) / "param.nml", ec))
    files.keep("param.nml", "ponechan beze zmeny (existoval)");
  else
    files.write("param.nml",
                "! Written by kadre-prep: the SAMPLE model parameters. Review them before the "
                "study\n! is used: a regulatory study must use the parameter set its methodology "
                "prescribes.\n" +
                    std::string(sample_param_nml()),
                "vzorove parametry modelu: pred pouzitim je zkontrolujte");
  if (!study.crs.empty())
    files.write(kCrsFile, study.crs + "\n", "souradnicovy system " + study.crs);

  const TerrainRaster& t = study.terrain;
  files.write(input(kTerrain), terrain_text(t),
              std::string(study.terrain_from_dem ? "teren " : "rovinny teren (bez --dem) ") +
                  std::to_string(t.ncols) + " x " + std::to_string(t.nrows) + " bunek po " +
                  exact_number(t.cell) + " m");
  const std::size_t named = study.receptors.size() - static_cast<std::size_t>(study.grid_receptors);
  std::string points =
      count_text(study.receptors.size(), "referencni bod", "referencni body", "referencnich bodu");
  if (study.grid_receptors > 0)
    points += ": sit " + std::to_string(study.grid_receptors) + " po " +
              exact_number(study.grid_step) + " m, pojmenovanych " + std::to_string(named);
  files.write(input(kReceptors), receptors_text(study), points);
  if (hourly(study))
    files.write(input(kOutputPoints), output_points_text(study),
                "body s hodinovym vystupem: " + std::to_string(named));

  const SourceCounts& c = study.counts;
  files.write(input(kSources), definitions_text(study),
              count_text(study.sources.size(), "zdroj", "zdroje", "zdroju") + ": bodovych " +
                  std::to_string(c.points) + ", chladicich vezi " + std::to_string(c.towers) +
                  ", plosnych " + std::to_string(c.areas) + " (z " +
                  std::to_string(c.area_features) + " polygonu), liniovych " +
                  std::to_string(c.lines) + " (z " + std::to_string(c.line_features) + " linii)");
  files.write(input(kSourcesDesc), descriptions_text(study), "popis zdroju");
  const std::string groups = groups_text(study);
  if (!groups.empty()) files.write(input(kGroups), groups, "skupiny zdroju");
  if (!study.climate_text.empty())
    files.write(input(kClimate), study.climate_text, "klimaticke udaje chladicich vezi");

  for (const auto& [name, rose] : study.roses)
    files.write(path_with_name(input(kRose), name), rose_text(rose),
                "ruzice rady " + name + ": " + std::to_string(rose.n_dir) + " smeru");
  for (const auto& [name, met] : study.mets)
    files.write(path_with_name(input(kMet), name), met_text(met),
                "meteorologicka rada " + name + ": " + std::to_string(met.records.size()) +
                    " hodin" + (met.inversion ? " s inverzi" : ""));
  for (const auto& [name, profile] : study.profiles)
    files.write(path_with_name(input(kProfile), name),
                profile_text(profile.times, &profile.factors),
                "emisni profil " + name + ": " + std::to_string(profile.times.size()) + " hodin");
  for (const std::string& name : study.constant_profiles) {
    std::vector<HourStamp> times;
    for (const MetRecord& r : study.mets.begin()->second.records) times.push_back(r.time);
    files.write(path_with_name(input(kProfile), name), profile_text(times, nullptr),
                "emisni profil " + name + ": stala emise (faktor 1)");
  }
  return files.commit();
}

}  // namespace kadre

#include "init/sources_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/errors.h"
#include "core/text.h"
#include "init/data_file.h"
#include "init/diagnostics.h"
#include "init/free_format_reader.h"
#include "init/terrain_reader.h"

namespace kadre {

namespace {

using R = FreeFormatReader;

constexpr std::size_t kIdLength = 20;
constexpr std::size_t kNameLength = 3;

// Index (from 1) of the name among the names registered so far; a new name is appended.
int register_name(std::vector<std::string>& names, NameIndex& index, const std::string& name,
                  const char* too_many_message) {
  const std::string key = rtrim(name);
  const int found = index.find(key);
  if (found > 0) return found;
  if (names.size() >= kMaxNames) raise_error(too_many_message);
  names.push_back(key);
  index.add(key, static_cast<int>(names.size()));
  return static_cast<int>(names.size());
}

void read_definitions(const std::string& path, const Settings& cfg, std::vector<Source>& sources,
                      std::vector<std::string>& met_name, std::vector<std::string>& time_prof_name,
                      std::ostream& out) {
  R reader = open_data_file(path, "definici zdroju");
  reader.skip_comment_header();
  const int count = reader.count_records();
  reader.rewind();
  reader.skip_comment_header();

  sources.assign(static_cast<std::size_t>(count), Source{});
  met_name.clear();
  time_prof_name.clear();
  NameIndex met_index, prof_index;

  // Declared once: an item left out by "/" or a null keeps the previous line's value.
  std::string id, met, prof;
  double x = 0, y = 0, z = 0;
  int typ = 0, cluster = 0, aux = 0;  // aux: an integer of the user's, checked and not kept
  std::vector<R::Item> items{
      R::text(id, kIdLength), R::real(x),          R::real(y),      R::real(z),
      R::integer(typ),        R::integer(cluster), R::integer(aux), R::text(met, kNameLength)};
  if (cfg.is_time) items.push_back(R::text(prof, kNameLength));

  UnreadItems unread(path, out);
  for (int i = 1; i <= count; ++i) {
    const ReadStatus status = reader.read_one_record(items);
    if (status != ReadStatus::ok)
      raise_error(record_error(path, i, status, reader.items_read(), items.size()));
    // Without is_time the profile name of an hourly run's file may stand there, not read.
    unread.check(reader, i, cfg.is_time ? 0 : 1);
    // A type the model does not know would stop the run only when a point first needs the
    // source: it is told here, before anything is computed.
    if (!known_source_type(typ)) {
      std::vector<std::string> lines = unknown_source_type_lines(typ);
      lines.push_back("V souboru " + rtrim(path) + " na radku " + std::to_string(i) + " ma zdroj " +
                      rtrim(id) + " typ " + std::to_string(typ) +
                      " (1 bodovy, 2 plosny, 3 liniovy).");
      stop_with_lines(lines);
    }
    Source& s = sources[static_cast<std::size_t>(i - 1)];
    s.id = rtrim(id);
    if (typ == 3) {
      s.x1 = x;
      s.y1 = y;
    } else {
      s.x = x;
      s.y = y;
    }
    s.type = static_cast<SourceType>(typ);
    s.z = z;
    s.cluster = cluster;
    s.met_idx = register_name(met_name, met_index, met,
                              "Prilis mnoho ruznych nazvu meteorologickych rad (nejvice 1000).");
    if (cfg.is_time)
      s.prof_idx = register_name(time_prof_name, prof_index, prof,
                                 "Prilis mnoho ruznych nazvu emisnich profilu (nejvice 1000).");
  }
  unread.finish();
}

void read_descriptions(const std::string& path, const Settings& cfg, const TerrainGrid& grid,
                       std::vector<Source>& sources, std::ostream& out) {
  R reader = open_data_file(path, "popisem zdroju");
  reader.skip_comment_header();

  const std::string heat_type = rtrim(cfg.tep_vyd_type);
  std::string id;
  double m = 0, m_no = 0, h = 0, item5 = 0, item6 = 0, item7 = 0, item8 = 0;
  double time_use = 0, daily_hours = 0, length = 0;
  int cooling_tower = 0;
  const std::vector<R::Item> items{
      R::text(id, kIdLength), R::real(m),           R::real(m_no),   R::real(h),
      R::real(item5),         R::real(item6),       R::real(item7),  R::real(item8),
      R::real(time_use),      R::real(daily_hours), R::real(length), R::integer(cooling_tower)};

  UnreadItems unread(path, out);
  for (std::size_t k = 0; k < sources.size(); ++k) {
    const int i = static_cast<int>(k) + 1;
    const ReadStatus status = reader.read_one_record(items);
    if (status != ReadStatus::ok)
      raise_error(record_error(path, i, status, reader.items_read(), items.size()));
    unread.check(reader, i);
    Source& s = sources[k];
    if (rtrim(id) != s.id) {
      std::string line = std::to_string(i);
      if (line.size() < 10) line.insert(0, 10 - line.size(), ' ');
      raise_error("V radku " + line + " v souboru " + rtrim(path) + " ocekavan zdroj id " + s.id +
                  " nalezen popis zdroje " + rtrim(id) + ".");
    }
    s.m = m;
    s.m_no = m_no;
    s.stack_height_m = h;
    s.flue_gas_flow_m3_s = item5;
    s.flue_gas_temp_c = item6;
    s.diameter_m = item7;
    s.exit_velocity_m_s = item8;
    // A flow out of the stack's top makes no plume: its heat output and rise would be no number.
    if (s.type != SourceType::line && item5 < 0) negative_value(path, i, "objemoveho toku spalin");
    if (time_use < 0) negative_value(path, i, "time_use");
    if (s.type == SourceType::area && length < 0)
      negative_value(path, i, "delky strany plosneho zdroje");
    s.time_use = time_use;
    s.daily_hours = daily_hours;
    s.length = length;
    if (s.type == SourceType::line) {
      // Items 5 to 8 of a line are its geometry. The flow keeps item 5 until the heat output
      // (0 x item 5 with t = 0, signed as the item) is derived and the flow set to 0.
      s.flue_gas_temp_c = 0;
      s.diameter_m = 0;
      s.exit_velocity_m_s = 0;
      s.x2 = item5;
      s.y2 = item6;
      s.width = item7;
      s.vert_ext = item8;
      s.x = (s.x1 + s.x2) * 0.5;
      s.y = (s.y1 + s.y2) * 0.5;
      s.length = std::sqrt((s.x2 - s.x1) * (s.x2 - s.x1) + (s.y2 - s.y1) * (s.y2 - s.y1));
    }
    // The formula of the heat output is checked at the first line (none without sources);
    // the model works the heat output out after loading.
    if (heat_type != "metodika" && heat_type != "vyzk-zpr")
      raise_error("Hodnota parametru tep_vyd_type = " + heat_type + " je neplatna.");
    s.cooling_tower = cooling_tower == 1;
    if (!inside_terrain(grid, s.x, s.y))
      raise_error("Zdroj " + s.id + " lezi mimo oblast vyskopisu.");
  }
  unread.finish();
}

}  // namespace

void read_sources(const std::string& path_definition, const std::string& path_description,
                  const Settings& cfg, const TerrainGrid& grid, std::vector<Source>& sources,
                  std::vector<std::string>& met_name, std::vector<std::string>& time_prof_name,
                  std::ostream& out) {
  read_definitions(path_definition, cfg, sources, met_name, time_prof_name, out);
  read_descriptions(path_description, cfg, grid, sources, out);
  if (cfg.is_exceed) sort_sources(sources);
}

void sort_sources(std::vector<Source>& sources) {
  // A key that is not a number goes last, so that the ordering stays a strict weak one.
  auto key = [](const Source& s) {
    return std::isnan(s.time_use) ? -std::numeric_limits<double>::infinity() : s.time_use;
  };
  std::stable_sort(sources.begin(), sources.end(),
                   [&key](const Source& a, const Source& b) { return key(a) > key(b); });
}

}  // namespace kadre

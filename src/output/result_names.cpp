#include "output/result_names.h"

#include "core/text.h"

namespace kadre {

Settings group_settings(const Settings& cfg, const std::string& group) {
  Settings s = cfg;
  s.output_stats = path_with_name(cfg.output_stats, group);
  s.output_time = path_with_name(cfg.output_time, group);
  return s;
}

std::vector<std::string> result_files(const Settings& cfg) {
  std::vector<std::string> files;
  const std::string dir = rtrim(cfg.oputdir);
  if (cfg.is_time)
    for (const char* prefix : {"", "avg_", "max_"}) files.push_back(dir + prefix + rtrim(cfg.output_time));
  if (cfg.methodology()) files.push_back(dir + rtrim(cfg.output_stats));
  return files;
}

}  // namespace kadre

#include "output/result_paths.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/errors.h"
#include "core/text.h"
#include "output/result_file.h"

namespace kadre {

std::string stats_path(const Settings& cfg) { return rtrim(cfg.oputdir) + rtrim(cfg.output_stats); }

std::string hourly_path(const Settings& cfg, const std::string& prefix) {
  return rtrim(cfg.oputdir) + prefix + rtrim(cfg.output_time);
}

std::string limits_path(const Settings& cfg) {
  return rtrim(cfg.oputdir) + rtrim(cfg.limits.output_limits);
}

std::string summary_path(const Settings& cfg) { return rtrim(cfg.oputdir) + cfg.summary_file; }

Settings group_settings(const Settings& cfg, const std::string& group) {
  Settings s = cfg;
  s.output_stats = path_with_name(cfg.output_stats, group);
  s.output_time = path_with_name(cfg.output_time, group);
  s.limits.output_limits = path_with_name(cfg.limits.output_limits, group);
  return s;
}

std::vector<std::string> result_paths(const Settings& cfg) {
  std::vector<std::string> paths;
  if (cfg.is_time)
    for (const char* prefix : {"", "avg_", "max_"}) paths.push_back(hourly_path(cfg, prefix));
  if (cfg.compliance()) paths.push_back(limits_path(cfg));
  if (cfg.methodology()) paths.push_back(stats_path(cfg));
  return paths;
}

std::string result_identity(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path file(path);
  fs::path dir = file.parent_path();
  if (dir.empty()) dir = ".";
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(dir, ec);
  if (ec) resolved = fs::absolute(dir, ec).lexically_normal();
  return (resolved / file.filename()).string();
}

void check_result_path(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path file(path);
  fs::path dir = file.parent_path();
  if (dir.empty()) dir = ".";
  bool ok = !fs::is_directory(file, ec) && fs::is_directory(dir, ec);
  if (ok) {
    // The file is written under its temporary name and renamed: that is what must succeed.
    const std::string probe = temporary_path(path);
    std::FILE* f = std::fopen(probe.c_str(), "w");
    ok = f != nullptr;
    if (f != nullptr) std::fclose(f);
    fs::remove(probe, ec);
  }
  if (!ok) stop_with_lines({write_error_message(path)});
}

}  // namespace kadre

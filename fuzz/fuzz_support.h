#pragma once
// Shared by the fuzz targets: the scratch directory of the process, the fuzz input written
// as a file there, a console that swallows everything and the fixed tables a reader needs.
// A reader stopping with RunError gives an answer; any other exception, a crash or a
// sanitizer report is a finding.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "core/records.h"
#include "core/settings.h"

namespace kadre::fuzz {

namespace fs = std::filesystem;

// Created on first use and removed at a normal exit; after a crash it stays for a look.
inline const fs::path& scratch() {
  static const fs::path* dir = [] {
    std::string name = (fs::temp_directory_path() / "kadre-fuzz-XXXXXX").string();
    if (!mkdtemp(name.data())) std::abort();
    auto* d = new fs::path(name);  // never destroyed: the exit handler still needs it
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(scratch(), ec);
    });
    return d;
  }();
  return *dir;
}

// The scratch directory as the working directory while it lives (param.nml is read from
// there), the previous one again afterwards, so that libFuzzer's relative paths still hold.
class InScratch {
 public:
  InScratch() : previous_(open(".", O_RDONLY | O_DIRECTORY)) {
    if (previous_ < 0 || chdir(scratch().c_str()) != 0) std::abort();
  }
  ~InScratch() {
    if (fchdir(previous_) != 0) std::abort();
    close(previous_);
  }
  InScratch(const InScratch&) = delete;
  InScratch& operator=(const InScratch&) = delete;

 private:
  int previous_;
};

inline std::string write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

// The fuzz input as the file `name` of the scratch directory; returns its path.
inline std::string input_file(const std::string& name, const std::uint8_t* data, std::size_t size) {
  return write_file(scratch() / name, {reinterpret_cast<const char*>(data), size});
}

inline std::ostream& discard() {
  struct Sink : std::streambuf {
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  };
  static Sink sink;
  static std::ostream out(&sink);
  return out;
}

// Runs the reader; its orderly stop is not a finding.
template <class F>
int guarded(F&& read) {
  try {
    read();
  } catch (const RunError&) {
  }
  return 0;
}

// The full extent of the case's terrain (20 x 20 cells of 200 m from (0, 0)), as
// read_terrain_definition leaves it.
inline TerrainGrid grid_4km() {
  TerrainGrid g;
  g.ncols = g.nrows = 20;
  g.cellsize = 200;
  g.nodata_value = -9999;
  g.xllcorner_upper = g.yllcorner_upper = 4000;
  return g;
}

// A file of the case in run_case/.
inline std::string case_file(const std::string& name) {
  return std::string(KADRE_FUZZ_CASE) + "/" + name;
}

// The settings the source readers see in the two passes every source target makes: the
// statistical evaluation with the ordering by time use, and the hourly one with profiles.
inline std::vector<Settings> source_settings() {
  Settings statistical, hourly;
  statistical.is_exceed = true;
  hourly.is_time = true;
  hourly.tep_vyd_type = "metodika";
  return {statistical, hourly};
}

// Every file of the case in run_case/ by its path below it.
inline std::map<std::string, std::string> load_case() {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(case_file(""))) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[fs::relative(entry.path(), case_file("")).generic_string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// Every path of the configuration relative and without "..": the run neither reads (say
// /dev/zero) nor writes outside the scratch directory.
inline bool stays_inside(const Settings& c) {
  for (const std::string* path :
       {&c.iputdir, &c.oputdir, &c.vyskopis_file, &c.ref_body_file, &c.zdroje_file,
        &c.zdroje_popis_file, &c.ruzice_file, &c.time_file, &c.emis_time_file, &c.chl_v_file,
        &c.output_ref_p, &c.output_stats, &c.output_time, &c.groups_file}) {
    const std::size_t first = path->find_first_not_of(' ');
    if (path->find("..") != std::string::npos ||
        (first != std::string::npos && ((*path)[first] == '/' || (*path)[first] == '\\')))
      return false;
  }
  return true;
}

}  // namespace kadre::fuzz

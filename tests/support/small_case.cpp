#include "support/small_case.h"

#include <filesystem>

namespace kadre::test {

SmallCase::SmallCase() {
  std::filesystem::create_directories(dir_.path() / "in");
  std::filesystem::create_directories(dir_.path() / "out");
  dir_.write("param.nml", sample_param_nml());
}

void SmallCase::flat_terrain(int n, int elevation) {
  std::ostringstream s;
  s << "ncols " << n << "\nnrows " << n << "\nxllcorner 0\nyllcorner 0\ncellsize 100\nnodata -9999\n";
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) s << (c ? " " : "") << elevation;
    s << "\n";
  }
  dir_.write("in/terrain.asc", s.str());
}

void SmallCase::uniform_rose(const std::string& name, double percent) {
  std::ostringstream s;
  s << "! uniform rose\n36\n";
  for (int j = 0; j < 11; ++j) {
    for (int k = 0; k < 36; ++k) s << percent << " ";
    s << "0\n";
  }
  dir_.write("in/" + name, s.str());
}

void SmallCase::config(const std::string& extra) {
  dir_.write("run.nml",
             "&init\n iputdir = 'in/', oputdir = 'out/'\n vyskopis_file = 'terrain.asc'\n"
             " ref_body_file = 'points.txt'\n zdroje_file = 'src.txt', zdroje_popis_file = 'src_popis.txt'\n"
             " trida_lat = 1\n" + extra + "\n/\n");
}

RunOutput run_program(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  RunOutput result;
  result.status = kadre::run(args, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

RunOutput SmallCase::run(const std::vector<std::string>& extra_args) const {
  ScopedCwd cwd(dir_.path());
  std::vector<std::string> args{"run.nml"};
  args.insert(args.end(), extra_args.begin(), extra_args.end());
  return run_program(args);
}

}  // namespace kadre::test

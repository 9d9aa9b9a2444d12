#pragma once
// Small complete cases written by the tests: a flat terrain, points, sources, wind roses and
// series, a run configuration and param.nml, run through the real program.
#include <sstream>
#include <string>
#include <vector>

#include "run.h"
#include "support/test_support.h"

namespace kadre::test {

struct RunOutput {
  int status = -1;
  std::string out, err;
};

class SmallCase {
 public:
  SmallCase();
  // A flat terrain of n x n cells of 100 m at the given elevation, origin (0, 0).
  void flat_terrain(int n = 40, int elevation = 300);
  void points(const std::string& lines) { dir_.write("in/points.txt", lines); }
  void sources(const std::string& definition, const std::string& description) {
    dir_.write("in/src.txt", definition);
    dir_.write("in/src_popis.txt", description);
  }
  void file(const std::string& name, const std::string& content) { dir_.write("in/" + name, content); }
  // A wind rose file of 36 directions with the given percent in every direction and class.
  void uniform_rose(const std::string& name, double percent);
  // The run configuration: the standard file keys plus the given extra assignments.
  void config(const std::string& extra);
  RunOutput run(const std::vector<std::string>& extra_args = {}) const;
  std::string output(const std::string& name) const { return read_file(dir_.file("out/" + name)); }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
};

}  // namespace kadre::test

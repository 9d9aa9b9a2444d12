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

// The whole program with these arguments (without the program name), in the current directory.
RunOutput run_program(const std::vector<std::string>& args);

// The usual source: 2 g/s from a 50 m stack without rise at (2000, 1000), 1000 m south of the
// usual point P1 at (2000, 2000), 1.5 m high; met series and wind rose AAA.
inline const std::string kStackDefinition = "S1 2000 1000 0 1 0 0 AAA\n";
inline const std::string kStackDescription = "S1 2.0 0.5 50 0 20 1 0 0.8 24 0 0\n";

class SmallCase {
 public:
  SmallCase();
  // A flat terrain of n x n cells of 100 m at the given elevation, origin (0, 0).
  void flat_terrain(int n = 40, int elevation = 300);
  // The flat terrain, the usual point and the usual source.
  void one_stack() {
    flat_terrain();
    points("P1 2000 2000 0 1.5\n");
    sources(kStackDefinition, kStackDescription);
  }
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

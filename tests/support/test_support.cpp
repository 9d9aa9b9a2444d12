#include "support/test_support.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kadre::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kadre_test_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("no temporary directory " + pattern);
  path_ = pattern;
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
  const auto p = path_ / name;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
  return p.string();
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string source_path(const std::string& relative) {
  return std::string(KADRE_SOURCE_DIR "/") + relative;
}

std::string sample_param_nml() { return read_file(source_path("tests/cases/param.nml")); }

}  // namespace kadre::test

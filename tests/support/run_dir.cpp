// Whole runs in a scratch directory.
#include <sstream>

#include "driver/run.h"
#include "support/test_support.h"

namespace kadre::test {

namespace fs = std::filesystem;

RunOutput run_program(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = kadre::run(args, out, err);
  return {status, out.str(), err.str()};
}

RunDir::RunDir(const std::string& data_case) {
  if (!data_case.empty())
    for (const auto& entry : fs::directory_iterator(source_path("tests/cases/" + data_case)))
      if (entry.path().filename() != "expected")
        fs::copy(entry.path(), path() / entry.path().filename(), fs::copy_options::recursive);
  if (!fs::exists(path() / "param.nml")) write("param.nml", sample_param_nml());
  base_config_ = read_file(file("run.nml"));
}

void RunDir::config(const std::string& extra) const {
  const std::size_t end = base_config_.rfind("\n/");
  write("run.nml", base_config_.substr(0, end + 1) + extra + base_config_.substr(end));
}

RunOutput RunDir::run(const std::vector<std::string>& extra_args) const {
  fs::remove_all(path() / "output");
  fs::create_directory(path() / "output");
  ScopedCwd cwd(path());
  std::vector<std::string> args{"run.nml"};
  args.insert(args.end(), extra_args.begin(), extra_args.end());
  return run_program(args);
}

ResultFiles RunDir::outputs() const {
  ResultFiles files;
  for (const auto& entry : fs::directory_iterator(path() / "output"))
    files[entry.path().filename()] = read_file(entry.path());
  return files;
}

}  // namespace kadre::test

#pragma once
// Shared helpers of the test suite.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/model_params.h"
#include "core/records.h"

namespace kadre::test {

// The sources of the agreement tests of the vector kernels: a stack of 50 m with a second
// emission, and a road of 224 m, both at (5000, 5000).
inline Source agreement_stack() {
  return Source{.id = "S",
                .x = 5000,
                .y = 5000,
                .type = SourceType::point,
                .m = 1.0,
                .m_no = 0.5,
                .stack_height_m = 50,
                .qb = 0.5};
}

// The stack with a plume rise that grows up to 80-120 m downwind under the km of
// rising_stack_km.
inline Source rising_stack() {
  Source stack = agreement_stack();
  stack.flue_gas_flow_m3_s = 20;
  stack.flue_gas_temp_c = 120;
  stack.diameter_m = 2;
  stack.exit_velocity_m_s = 9;
  stack.heat_output = 4;
  return stack;
}
inline constexpr std::array<double, 5> rising_stack_km{40, 45, 50, 55, 60};

inline Source agreement_line() {
  return Source{.id = "L",
                .x = 5000,
                .y = 5000,
                .x1 = 4900,
                .y1 = 4950,
                .x2 = 5100,
                .y2 = 5050,
                .type = SourceType::line,
                .m = 0.3,
                .length = 223.6,
                .width = 12};
}

// Model parameters with distinct dispersion coefficients, wind-profile exponents and
// coefficients per stability class (the rest as default).
inline ModelParams distinct_class_params() {
  ModelParams par;
  par.ay = {0.80, 0.60, 0.50, 0.40, 0.30};
  par.by = {0.90, 0.88, 0.86, 0.84, 0.82};
  par.az = {0.40, 0.30, 0.25, 0.20, 0.15};
  par.bz = {0.70, 0.75, 0.80, 0.85, 0.90};
  par.u_p = {0.10, 0.15, 0.20, 0.30, 0.40};
  par.ks = {1.0, 1.1, 1.2, 1.3, 1.4};
  return par;
}

// A fresh directory under the system's temporary directory, removed at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir() { std::filesystem::remove_all(path_, error_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Writes a file (creating subdirectories) and returns its path.
  std::string write(const std::string& name, const std::string& content) const;

 private:
  std::filesystem::path path_;
  std::error_code error_;
};

// Runs in a directory for the duration of a scope (param.nml is read from the working
// directory), then returns to the previous one.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::filesystem::path& dir) { std::filesystem::current_path(dir); }
  ~ScopedCwd() { std::filesystem::current_path(previous_, error_); }

 private:
  std::filesystem::path previous_ = std::filesystem::current_path();
  std::error_code error_;
};

std::string read_file(const std::string& path);

// A path below the source tree of the project.
std::string source_path(const std::string& relative);

// The model parameter file the data cases share (tests/cases/param.nml).
std::string sample_param_nml();

struct RunOutput {
  int status = -1;
  std::string out, err;
};

// The whole program with these arguments (without the program name), in the current directory.
RunOutput run_program(const std::vector<std::string>& args);

using ResultFiles = std::map<std::string, std::string>;  // name -> content

// A scratch directory for whole runs: a copy of tests/cases/<data_case> without its expected
// results, or (blank) nothing; with the shared param.nml unless the case has its own.
class RunDir : public TempDir {
 public:
  explicit RunDir(const std::string& data_case = "");
  // The run configuration of the data case with these assignments added (a later key wins).
  void config(const std::string& extra) const;
  // Runs "run.nml" with the arguments into an emptied output/.
  RunOutput run(const std::vector<std::string>& extra_args = {}) const;
  ResultFiles outputs() const;

 private:
  std::string base_config_;
};

}  // namespace kadre::test

// Expects the statement to stop the run with exactly this console text.
#define EXPECT_RUN_ERROR(statement, expected_text)             \
  do {                                                         \
    try {                                                      \
      statement;                                               \
      ADD_FAILURE() << "expected a RunError, none was thrown"; \
    } catch (const ::kadre::RunError& e__) {                   \
      EXPECT_EQ(e__.console_text(), (expected_text));          \
    }                                                          \
  } while (0)

// Expects the statement to stop the run with this input message (a free-form line).
#define EXPECT_INPUT_ERROR(statement, message) \
  EXPECT_RUN_ERROR(statement, std::string(" ") + (message) + "\n")

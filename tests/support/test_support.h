#pragma once
// Shared helpers of the test suite.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/errors.h"

namespace kadre::test {

// A fresh directory under the system's temporary directory, removed at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Path of a file in the directory, as text.
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Writes a file (creating subdirectories) and returns its path.
  std::string write(const std::string& name, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// Runs in a directory for the duration of a scope (param.nml is read from the working
// directory), then returns to the previous one.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::filesystem::path& dir);
  ~ScopedCwd();

 private:
  std::filesystem::path previous_;
};

std::string read_file(const std::string& path);

// The sample model parameter file.
std::string sample_param_nml();

}  // namespace kadre::test

// Expects the statement to stop the run with exactly this console text.
#define EXPECT_RUN_ERROR(statement, expected_text)                                  \
  do {                                                                              \
    try {                                                                           \
      statement;                                                                    \
      ADD_FAILURE() << "expected a RunError, none was thrown";                      \
    } catch (const ::kadre::RunError& e__) {                                        \
      EXPECT_EQ(e__.console_text(), (expected_text));                               \
    }                                                                               \
  } while (0)

// Expects the statement to stop the run with this input message (a free-form line).
#define EXPECT_INPUT_ERROR(statement, message) \
  EXPECT_RUN_ERROR(statement, std::string(" ") + (message) + "\n")

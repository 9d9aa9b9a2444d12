#pragma once
// A result file written through a large buffer. Any failure to open, write, flush or close
// stops the run with "Chyba pri zapisu do souboru <path>." so that a lost or truncated
// result file is never reported as success.
#include <cstdio>
#include <string>
#include <string_view>

namespace kadre {

class ResultFile {
 public:
  // Creates or overwrites the file.
  explicit ResultFile(std::string path);
  ~ResultFile();
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;

  void append(std::string_view text);
  // Writes the rest and closes; must be called for the file to count as written.
  void close();

  const std::string& path() const { return path_; }

 private:
  void flush_buffer();
  [[noreturn]] void fail();

  std::string path_;
  std::FILE* file_ = nullptr;
  std::string buffer_;
};

// The message of a result file that could not be written.
std::string write_error_message(const std::string& path);

}  // namespace kadre

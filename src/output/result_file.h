#pragma once
// A result file written through a large buffer. Any failure to open, write, flush or close
// stops the run with "Chyba pri zapisu do souboru <path>." so that a lost or truncated
// result file is never reported as success.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kadre {

// The name a result file is written under before it is renamed into place: hidden, in the
// file's own directory (a rename never crosses file systems), marked with the process and
// keeping the extension for writers that choose their format by it.
std::string temporary_path(const std::string& path);

// The name an earlier file at path is kept under while a commit puts the new one in place:
// the temporary name's, marked "-old" after the process.
std::string backup_path(const std::string& path);

// Renames from to to, replacing a file at to; false on failure. A commit renames through such
// a function, so that a test can make any of its renames fail.
using RenameFile = std::function<bool(const std::string& from, const std::string& to)>;

// The file system's rename.
bool rename_file(const std::string& from, const std::string& to);

// The result files of a run, written as one set: each to its temporary name, and put in place
// by commit() once all are written and closed. Without commit (a failure or a signal on the
// way) the temporaries are removed: no result file of the run exists and the files of an
// earlier run stay as they were.
class ResultSet {
 public:
  explicit ResultSet(RenameFile rename = rename_file) : rename_(std::move(rename)) {}
  ~ResultSet();
  ResultSet(const ResultSet&) = delete;
  ResultSet& operator=(const ResultSet&) = delete;

  // The temporary name the file `path` is written under.
  std::string temporary_for(const std::string& path);
  // Puts every file in place, all or none: an earlier file at a path is kept under its backup
  // name until every new file is in place, then removed. A failed rename puts back what was
  // moved (the earlier files, or no file where there was none) and stops with the write-error
  // message of its path. A signal noted before stops the same way, with nothing moved.
  void commit();
  // The final paths, in the order they were added (none after commit).
  std::vector<std::string> paths() const {
    std::vector<std::string> finals;
    for (const auto& file : files_) finals.push_back(file.second);
    return finals;
  }

 private:
  RenameFile rename_;
  std::vector<std::pair<std::string, std::string>> files_;  // temporary, final
};

class ResultFile {
 public:
  // Creates or overwrites the file; with a set, under the set's temporary name for it.
  explicit ResultFile(std::string path, ResultSet* set = nullptr);
  ~ResultFile();
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;

  void append(std::string_view text);
  // Writes the rest and closes; must be called for the file to count as written.
  void close();

  const std::string& path() const { return path_; }

 private:
  void flush_buffer();
  void write_out(std::string_view text);
  [[noreturn]] void fail();

  std::string path_;  // the file's name in messages
  std::FILE* file_ = nullptr;
  std::string buffer_;
};

// The message of a result file that could not be written.
std::string write_error_message(const std::string& path);

}  // namespace kadre

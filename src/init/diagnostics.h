#pragma once
// Checks and messages shared by every reader of input files, so that all of them report
// in the same words. Checks that fail stop the run (RunError) with the finished message.
#include <ostream>
#include <string>
#include <vector>

#include "init/free_format_reader.h"
#include "init/namelist.h"

namespace kadre {

// Stops with "Soubor s <description> nebyl zadan." when the path names no file (empty or
// ending with "/"), or "Soubor <path> s <description> neexistuje." when it does not exist.
// A note, when given, follows the missing-file message on a line of its own.
void check_file_exist(const std::string& path, const std::string& description,
                      const std::string& note_if_missing = "");

// Stops unless a file can be created in the directory (a leftover "test_file" there counts
// as proof). dir ends with a separator or is empty (the current directory).
void check_directory_exist(const std::string& dir, const std::string& description);

// Message of a failed read of a data file; line counts data lines (or records) from 1.
std::string error_reading(const std::string& path, long line, ReadStatus status);
// Stops because a value that no input can mean negative is: "V souboru <path> na radku
// <line> je zaporna hodnota <what>." (line counts data lines from 1).
[[noreturn]] void negative_value(const std::string& path, long line, const std::string& what);

// Warns on out that the file holds more records than the run uses (the first `used`).
void warn_if_longer(const std::string& path, int records, int used, std::ostream& out);

// The message of a failed read of one record: error_reading, and after a record that ended
// before its `expected` items a line that says so.
std::string record_error(const std::string& path, long line, ReadStatus status,
                         std::size_t items_read, std::size_t expected);

// Items a record leaves unread on its line, most often a decimal comma ("304,7" is read as
// 304 and 7): warned of on out, the run goes on. The first three records of a file are
// named, then how many more there were.
class UnreadItems {
 public:
  UnreadItems(const std::string& path, std::ostream& out) : path_(path), out_(out) {}
  // After a read of record `line`: warns of the first item the reader left on the record's
  // line, unless none are left or exactly `optional` (the columns of a file's other use, such
  // as the profile names of an hourly run in a statistical one).
  void check(const FreeFormatReader& reader, long line, int optional = 0);
  // After the last record: the count of the records not named.
  void finish();

 private:
  std::string path_;
  std::ostream& out_;
  long count_ = 0;
};

// Message of a failed read of a parameter-group file; with failure, one more line names the
// key (or the value) that failed and its line. An unfinished group is named as "&" + group.
std::string error_nml_read(const std::string& path, bool end_of_file,
                           const NamelistFailure* failure = nullptr,
                           const std::string& group = "init");

}  // namespace kadre

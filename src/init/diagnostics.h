#pragma once
// Checks and messages shared by every reader of input files, so that all of them report
// in the same words. Checks that fail stop the run (RunError) with the finished message.
#include <string>
#include <vector>

#include "init/free_format_reader.h"

namespace kadre {

// Stops with "Soubor s <description> nebyl zadan." when the path names no file (empty or
// ending with "/"), or "Soubor <path> s <description> neexistuje." when it does not exist.
void check_file_exist(const std::string& path, const std::string& description);

// Stops unless a file can be created in the directory (a leftover "test_file" there counts
// as proof). dir ends with a separator or is empty (the current directory).
void check_directory_exist(const std::string& dir, const std::string& description);

// Message of a failed read of a data file; line counts data lines (or records) from 1.
std::string error_reading(const std::string& path, long line, ReadStatus status);
// Message of a failed read of a parameter-group file.
std::string error_nml_read(const std::string& path, bool end_of_file);

}  // namespace kadre

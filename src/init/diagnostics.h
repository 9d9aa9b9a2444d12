#pragma once
// Checks and messages shared by every reader of input files, so that all of them report
// in the same words. Checks that fail stop the run (RunError) with the finished message.
#include <string>
#include <vector>

#include "init/free_format_reader.h"

namespace kadre {

// The file's own name: the part of the path after its last "/".
std::string file_own_name(const std::string& path);

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

// Appends "/" unless the directory ends with "/" or "\"; a blank directory stays blank
// (the current directory).
std::string add_sep2dir(const std::string& dir);

// Position (from 1) of the first text equal to s, trailing blanks ignored; -1 if none.
int locate_string(const std::vector<std::string>& list, const std::string& s);

// Series, rose and profile file of one name: "_" and the name before the last "." of the
// file name itself; a file name without "." gets "_" and the name at its end; a blank
// name, or a path without a file name (ending with a separator), leaves the path unchanged.
std::string path_with_name(const std::string& path, const std::string& name);

}  // namespace kadre

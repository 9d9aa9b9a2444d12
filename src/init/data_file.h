#pragma once
// Opening of the per-series input data files, so that their readers report a missing or
// unreadable file in the same words.
#include <string>

#include "init/free_format_reader.h"

namespace kadre {

// Checks that the file is named and exists (check_file_exist) and loads it for reading;
// a file that exists but cannot be opened stops with
// "Soubor <path> s <description> nelze otevrit.".
FreeFormatReader open_data_file(const std::string& path, const std::string& description);

}  // namespace kadre

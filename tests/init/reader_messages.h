#pragma once
// Message texts that every reader test expects, built in one place.
#include <string>

namespace kadre::test {

inline const std::string kReadErrorHead = "Chyba cten\xC3\xAD dat ze souboru ";

// A value that could not be read, on the given data line of the file.
inline std::string read_error(const std::string& file_name, long line) {
  return kReadErrorHead + file_name + ".\nChyba na radku " + std::to_string(line) + ".";
}

// The file ended before every value was read.
inline std::string missing_data(const std::string& file_name) {
  return kReadErrorHead + file_name + ".\nZkontrolujte zda v nekterych radcich nechybi data.";
}

inline std::string missing_file(const std::string& path, const std::string& description) {
  return "Soubor " + path + " s " + description + " neexistuje.";
}

}  // namespace kadre::test

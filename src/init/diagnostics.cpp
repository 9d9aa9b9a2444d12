#include "init/diagnostics.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "errors.h"
#include "output/number_format.h"

namespace kadre {

std::string file_own_name(const std::string& path) {
  const auto slash = path.rfind('/');
  return rtrim(slash == std::string::npos ? path : path.substr(slash + 1));
}

void check_file_exist(const std::string& path, const std::string& description) {
  const std::string trimmed = rtrim(path);
  if (file_own_name(trimmed).empty()) raise_error("Soubor s " + rtrim(description) + " nebyl zadan.");
  // A directory of that name is no file: reporting it as missing beats a read error.
  std::error_code ec;
  if (std::filesystem::exists(trimmed, ec) && !std::filesystem::is_directory(trimmed, ec)) return;
  raise_error("Soubor " + trimmed + " s " + rtrim(description) + " neexistuje.");
}

void check_directory_exist(const std::string& dir, const std::string& description) {
  const std::string test_path = rtrim(dir) + "test_file";
  std::error_code ec;
  if (std::filesystem::exists(test_path, ec)) return;
  {
    std::ofstream probe(test_path);
    if (probe) {
      probe.close();
      std::filesystem::remove(test_path, ec);
      return;
    }
  }
  raise_error("Problem se zapisem do " + rtrim(description) + ": " + rtrim(dir) +
              ". Zkontrolujte ze adresar existuje.");
}

std::string error_reading(const std::string& path, long line, ReadStatus status) {
  std::string msg = "Chyba cten\xC3\xAD dat ze souboru " + file_own_name(path) + ".";
  if (status == ReadStatus::end_of_file)
    msg += "\nZkontrolujte zda v nekterych radcich nechybi data.";
  else
    msg += "\nChyba na radku " + std::to_string(line) + ".";
  return msg;
}

std::string error_nml_read(const std::string& path, bool end_of_file) {
  std::string msg = "Chyba cten\xC3\xAD dat ze souboru " + file_own_name(path) + ".";
  if (end_of_file)
    msg += "\nNeocekavany konec souboru.\nZkontrolujte zda mate na zacatku souboru retezec &init a na konci znak /.";
  else
    msg += "\nZkontrolujte zda jsou nazvy parametru uvedeny spravne.";
  return msg;
}

std::string add_sep2dir(const std::string& dir) {
  const std::string trimmed = rtrim(dir);
  if (trimmed.empty()) return trimmed;
  const char last = trimmed.back();
  if (last == '/' || last == '\\') return trimmed;
  return trimmed + "/";
}

int locate_string(const std::vector<std::string>& list, const std::string& s) {
  const std::string key = rtrim(s);
  for (std::size_t i = 0; i < list.size(); ++i)
    if (rtrim(list[i]) == key) return static_cast<int>(i) + 1;
  return -1;
}

std::string path_with_name(const std::string& path, const std::string& name) {
  const std::string trimmed_name = rtrim(name);
  const std::string trimmed_path = rtrim(path);
  if (trimmed_name.empty()) return trimmed_path;
  const auto slash = trimmed_path.find_last_of("/\\");
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  // No file name to extend (file key left blank): the existence check then reports it.
  if (name_start == trimmed_path.size()) return trimmed_path;
  const auto dot = trimmed_path.rfind('.');
  if (dot == std::string::npos || dot < name_start)
    return trimmed_path + "_" + trimmed_name;
  return trimmed_path.substr(0, dot) + "_" + trimmed_name + trimmed_path.substr(dot);
}

}  // namespace kadre

#include "init/diagnostics.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

void check_file_exist(const std::string& path, const std::string& description,
                      const std::string& note_if_missing) {
  const std::string trimmed = rtrim(path);
  if (file_own_name(trimmed).empty())
    raise_error("Soubor s " + rtrim(description) + " nebyl zadan.");
  // A directory of that name is no file: reporting it as missing beats a read error.
  std::error_code ec;
  if (std::filesystem::exists(trimmed, ec) && !std::filesystem::is_directory(trimmed, ec)) return;
  raise_error("Soubor " + trimmed + " s " + rtrim(description) + " neexistuje." +
              (note_if_missing.empty() ? "" : "\n" + note_if_missing));
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

void negative_value(const std::string& path, long line, const std::string& what) {
  raise_error("V souboru " + rtrim(path) + " na radku " + std::to_string(line) +
              " je zaporna hodnota " + what + ".");
}

void warn_if_longer(const std::string& path, int records, int used, std::ostream& out) {
  if (records <= used) return;
  out << free_form_line("Varovani: soubor " + rtrim(path) + " obsahuje " + std::to_string(records) +
                        " zaznamu, pouzije se prvnich " + std::to_string(used) + ".");
}

std::string record_error(const std::string& path, long line, ReadStatus status,
                         std::size_t items_read, std::size_t expected) {
  std::string msg = error_reading(path, line, status);
  if (status == ReadStatus::short_record)
    msg += "\nRadek obsahuje jen " + std::to_string(items_read) + " z " + std::to_string(expected) +
           " hodnot.";
  return msg;
}

namespace {
constexpr long kNamedUnread = 3;
constexpr std::size_t kShownUnread = 40;
}  // namespace

void UnreadItems::check(const FreeFormatReader& reader, long line, int optional) {
  std::string item;
  if (!reader.unread_item(item)) return;
  if (optional > 0 && reader.unread_count() == optional) return;
  if (++count_ > kNamedUnread) return;
  if (item.size() > kShownUnread) item = item.substr(0, kShownUnread) + "...";
  out_ << free_form_line("Varovani: na radku " + std::to_string(line) + " souboru " + rtrim(path_) +
                         " zustava neprectena polozka '" + item +
                         "' (desetinna cisla se pisi s teckou).");
}

void UnreadItems::finish() {
  if (count_ <= kNamedUnread) return;
  out_ << free_form_line("Varovani: v souboru " + rtrim(path_) +
                         " zustavaji neprectene polozky jeste na dalsich radcich (pocet: " +
                         std::to_string(count_ - kNamedUnread) + ").");
}

std::string error_nml_read(const std::string& path, bool end_of_file,
                           const NamelistFailure* failure, const std::string& group) {
  std::string msg = "Chyba cten\xC3\xAD dat ze souboru " + file_own_name(path) + ".";
  if (end_of_file)
    msg += "\nNeocekavany konec souboru.\nZkontrolujte zda mate na zacatku souboru retezec &" +
           group + " a na konci znak /.";
  else
    msg += "\nZkontrolujte zda jsou nazvy parametru uvedeny spravne.";
  if (failure == nullptr || end_of_file) return msg;
  const std::string on_line = " na radku " + std::to_string(failure->line);
  switch (failure->kind) {
    case NamelistFailure::Kind::unknown_key:
      return msg + "\n   neznamy parametr '" + failure->key + "'" + on_line;
    case NamelistFailure::Kind::bad_value:
      return msg + "\n   neplatna hodnota parametru '" + failure->key + "'" + on_line;
    case NamelistFailure::Kind::syntax:
      return msg + "\n   neplatny zapis" + on_line;
    case NamelistFailure::Kind::none:
      break;
  }
  return msg;
}

}  // namespace kadre

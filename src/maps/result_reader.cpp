#include "maps/result_reader.h"

#include <fstream>
#include <limits>

#include "core/errors.h"
#include "core/text.h"
#include "init/free_format_reader.h"
#include "output/point_fields.h"

namespace kadre {

namespace {

std::vector<std::string> split(const std::string& line, const std::string& d) {
  std::vector<std::string> fields;
  for (std::size_t from = 0, at = 0; at != std::string::npos; from = at + d.size())
    fields.push_back(line.substr(from, (at = line.find(d, from)) - from));
  return fields;
}

// A number of a result file, in the forms the data files use (a three-digit exponent may
// lack its letter): false for anything else, also for NaN, Infinity and values beyond the
// largest double, which no map can show. Asterisks (a value too wide for its field) are no
// number, as the writer meant.
bool result_number(const std::string& text, double& value) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return false;
  const std::string field = rtrim(std::string_view(text).substr(start));
  if (field.find_first_not_of('*') == std::string::npos) {
    value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  return parse_real(field, value);
}

std::string unit_of(const std::string& column) {
  if (column.starts_with("Th_") || column.starts_with("Td_")) return "h/yr";
  if (column.ends_with("_class_max")) return "";
  if (column.ends_with("_w_sp_max")) return "m/s";
  if (column.ends_with("_w_dir_max")) return "°";
  return "µg/m³";
}

[[noreturn]] void not_of_this_run(const std::string& path, const std::string& why) {
  raise_error("Vysledny soubor " + path + " nepatri k teto konfiguraci: " + why + ".");
}

}  // namespace

void read_result_file(const std::string& path, const std::string& d,
                      const std::vector<RefPoint>& points, const std::string& rename,
                      std::vector<Indicator>& indicators) {
  std::ifstream in(path);
  if (!in)
    raise_error("Vysledny soubor " + path +
                " chybi. Spustte nejprve kadre se stejnym konfiguracnim souborem.");
  std::string line;
  std::getline(in, line);
  if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);  // saved again by an editor
  // The identification columns every per-point result file starts with, then the indicators.
  const std::string point_columns = point_header(d) + d;
  if (!line.starts_with(point_columns)) not_of_this_run(path, "chybi hlavicka");
  const std::size_t skip = split(point_header(d), d).size();
  const std::vector<std::string> names = split(line.substr(point_columns.size()), d);
  const std::size_t first = indicators.size();
  for (const std::string& column : names) {
    const std::string name = rename.empty() ? column : rename;
    indicators.push_back(Indicator{name, unit_of(name), {}});
  }
  std::size_t row = 0;
  while (std::getline(in, line)) {
    const std::vector<std::string> fields = split(line, d);
    const std::string line_number = std::to_string(row + 2);
    if (row >= points.size()) not_of_this_run(path, "vice radku nez referencnich bodu");
    if (fields.size() != skip + names.size() || rtrim(fields[0]) != points[row].id)
      not_of_this_run(path, "na radku " + line_number + " ocekavan bod " + points[row].id);
    for (std::size_t k = skip; k < fields.size(); ++k) {
      double value = 0;
      if (!result_number(fields[k], value))
        raise_error("Ve vyslednem souboru " + path + " na radku " + line_number + " ve sloupci " +
                    std::to_string(k + 1) + " (" + names[k - skip] + ") je '" + fields[k] +
                    "' misto konecneho cisla.");
      indicators[first + k - skip].values.push_back(value);
    }
    ++row;
  }
  if (row != points.size()) not_of_this_run(path, "mene radku nez referencnich bodu");
}

}  // namespace kadre

#include "prep/tables.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <vector>

#include "core/text.h"
#include "init/diagnostics.h"
#include "init/free_format_reader.h"
#include "prep/prep_errors.h"

namespace kadre {

namespace {

struct CsvRow {
  int line = 0;
  std::vector<std::string> fields;
};

struct CsvTable {
  std::string path;
  std::vector<std::string> header;  // lower case
  std::vector<CsvRow> rows;

  // Column of the name, -1 when absent.
  int column(const std::string& name) const {
    const auto it = std::find(header.begin(), header.end(), name);
    return it == header.end() ? -1 : static_cast<int>(it - header.begin());
  }
};

std::string trim(std::string_view s) {
  const std::size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string_view::npos) return "";
  const std::size_t b = s.find_last_not_of(" \t\r");
  return std::string(s.substr(a, b - a + 1));
}

// Fields of a line separated by the delimiter; a field in double quotes may hold it, and a
// doubled quote inside stands for one.
std::vector<std::string> split_csv(const std::string& line, char delimiter) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == delimiter) {
      fields.push_back(trim(field));
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(trim(field));
  return fields;
}

[[noreturn]] void line_error(const std::string& path, int line, const std::string& text) {
  prep_error("V souboru " + path + " na radku " + std::to_string(line) + " " + text + ".");
}

// The table of a CSV file with a header line; blank lines are skipped. A header of ";" and
// no "," (a spreadsheet's export in many locales) takes ";" as the delimiter.
CsvTable read_csv(const std::string& path, const std::string& description,
                  const std::vector<std::string>& required) {
  check_file_exist(path, description);
  std::ifstream in(path);
  if (!in) prep_error("Soubor " + path + " s " + description + " nelze otevrit.");
  CsvTable t;
  t.path = path;
  std::string line;
  int n = 0;
  char delimiter = ',';
  while (std::getline(in, line)) {
    ++n;
    if (n == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    if (trim(line).empty()) continue;
    if (t.header.empty()) {
      if (line.find(',') == std::string::npos && line.find(';') != std::string::npos)
        delimiter = ';';
      for (const std::string& f : split_csv(line, delimiter)) t.header.push_back(to_lower(f));
      continue;
    }
    CsvRow row{n, split_csv(line, delimiter)};
    if (row.fields.size() != t.header.size())
      line_error(path, n,
                 "je " + std::to_string(row.fields.size()) + " poli misto " +
                     std::to_string(t.header.size()) + " podle hlavicky");
    t.rows.push_back(std::move(row));
  }
  if (in.bad()) prep_error("Soubor " + path + " nelze cist.");
  for (const std::string& name : required)
    if (t.column(name) < 0) prep_error("Soubor " + path + " nema v hlavicce sloupec " + name + ".");
  return t;
}

double real_field(const CsvTable& t, const CsvRow& row, int column) {
  double v = 0;
  const std::string& text = row.fields[static_cast<std::size_t>(column)];
  if (!parse_real(text, v))
    line_error(t.path, row.line,
               "je ve sloupci " + t.header[static_cast<std::size_t>(column)] + " hodnota '" + text +
                   "', ktera neni cislo");
  return v;
}

// Stability class I..V or 1..5; 0 when it is neither.
int stability_class(const std::string& text) {
  static const char* const roman[] = {"i", "ii", "iii", "iv", "v"};
  const std::string s = to_lower(text);
  for (int k = 0; k < 5; ++k)
    if (s == roman[k] || s == std::to_string(k + 1)) return k + 1;
  return 0;
}

int days_in_month(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

// Reads `digits` decimal digits at pos.
bool take_digits(const std::string& s, std::size_t& pos, std::size_t digits, int& out) {
  if (pos + digits > s.size()) return false;
  out = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const char c = s[pos + i];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  pos += digits;
  return true;
}

bool take(const std::string& s, std::size_t& pos, char c) {
  if (pos < s.size() && s[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// The records' times, each later than the one before.
HourStamp time_field(const CsvTable& t, const CsvRow& row, int column,
                     const std::optional<HourStamp>& previous) {
  HourStamp h;
  const std::string& text = row.fields[static_cast<std::size_t>(column)];
  if (!parse_hour_stamp(text, h))
    line_error(t.path, row.line,
               "je cas '" + text + "' v neplatnem tvaru (ocekavano YYYY-MM-DD HH:MM nebo " +
                   "ISO 8601, cela hodina)");
  if (previous && !(*previous < h))
    line_error(t.path, row.line, "neni cas '" + text + "' pozdejsi nez cas predchoziho radku");
  return h;
}

}  // namespace

bool parse_hour_stamp(const std::string& text, HourStamp& h) {
  const std::string s = trim(text);
  std::size_t p = 0;
  int minute = 0, second = 0;
  if (!take_digits(s, p, 4, h.year) || !take(s, p, '-') || !take_digits(s, p, 2, h.month) ||
      !take(s, p, '-') || !take_digits(s, p, 2, h.day))
    return false;
  if (!take(s, p, ' ') && !take(s, p, 'T')) return false;
  if (!take_digits(s, p, 2, h.hour)) return false;
  if (take(s, p, ':')) {
    if (!take_digits(s, p, 2, minute)) return false;
    if (take(s, p, ':') && !take_digits(s, p, 2, second)) return false;
  }
  take(s, p, 'Z');
  if (p != s.size()) return false;  // a time zone offset included: the clock is not converted
  return h.year >= 1 && h.month >= 1 && h.month <= 12 && h.day >= 1 &&
         h.day <= days_in_month(h.year, h.month) && h.hour <= 23 && minute == 0 && second == 0;
}

RoseTable read_rose_csv(const std::string& path, bool fraction) {
  const CsvTable t =
      read_csv(path, "ruzici", {"direction", "stability_class", "speed_class", "frequency"});
  const int c_dir = t.column("direction"), c_class = t.column("stability_class");
  const int c_speed = t.column("speed_class"), c_freq = t.column("frequency");

  // Situation (1..11) of a stability class and a class wind speed, 0 for a pair the rose
  // does not have.
  const auto situation = [](int cls, double speed) {
    static const int first[] = {1, 2, 4, 7, 10};  // the first situation of each class
    static const int speeds[] = {1, 2, 3, 3, 2};  // how many speeds each class has
    const int k = speed == 1.7 ? 1 : speed == 5 ? 2 : speed == 11 ? 3 : 0;
    return k == 0 || k > speeds[cls - 1] ? 0 : first[cls - 1] + k - 1;
  };

  struct Entry {
    int line;
    int sit;
    std::optional<double> dir;  // none: calm
    double value;
  };
  std::vector<Entry> entries;
  std::vector<double> directions;
  for (const CsvRow& row : t.rows) {
    const std::string& cls_text = row.fields[static_cast<std::size_t>(c_class)];
    const int cls = stability_class(cls_text);
    if (cls == 0)
      line_error(path, row.line,
                 "je neplatna trida stability '" + cls_text + "' (ocekavano I az V)");
    const double speed = real_field(t, row, c_speed);
    const int sit = situation(cls, speed);
    if (sit == 0)
      line_error(path, row.line,
                 "neni trida " + cls_text + " s rychlosti " + row.fields[c_speed] +
                     " m/s mezi 11 situacemi ruzice (I/1.7, II/1.7, II/5, III/1.7, III/5, "
                     "III/11, IV/1.7, IV/5, IV/11, V/1.7, V/5)");
    double value = real_field(t, row, c_freq);
    if (value < 0) line_error(path, row.line, "je zaporna cetnost");
    if (fraction) value *= 100;
    Entry e{row.line, sit, std::nullopt, value};
    const std::string& dir_text = row.fields[static_cast<std::size_t>(c_dir)];
    if (to_lower(dir_text) != "calm") {
      double d = real_field(t, row, c_dir);
      if (d < 0 || d > 360)
        line_error(path, row.line, "je smer " + dir_text + " mimo 0 az 360 stupnu");
      if (d == 360) d = 0;
      e.dir = d;
      directions.push_back(d);
    }
    entries.push_back(e);
  }
  std::sort(directions.begin(), directions.end());
  directions.erase(std::unique(directions.begin(), directions.end()), directions.end());
  if (directions.empty()) prep_error("Ruzice v souboru " + path + " nema zadny smer.");
  // The sectors are as wide as the closest two directions lie apart: a direction without any
  // wind may be left out of the table.
  double gap = 360 - directions.back() + directions.front();
  for (std::size_t k = 1; k < directions.size(); ++k)
    gap = std::min(gap, directions[k] - directions[k - 1]);
  const int n = static_cast<int>(std::lround(360 / gap));
  for (double d : directions)
    if (std::abs(d * n / 360 - std::round(d * n / 360)) > 1e-6)
      prep_error("Smery ruzice v souboru " + path +
                 " nejsou rovnomerne rozlozene od 0 stupnu: " + "smer " + format_f0(d, 4) +
                 " neni nasobkem " + format_f0(360.0 / n, 4) + " stupnu.");

  RoseTable rose;
  rose.n_dir = n;
  std::array<std::vector<int>, 11> line_of;
  for (int j = 0; j < 11; ++j) {
    rose.situations[static_cast<std::size_t>(j)].assign(static_cast<std::size_t>(n) + 1, 0.0);
    line_of[static_cast<std::size_t>(j)].assign(static_cast<std::size_t>(n) + 1, 0);
  }
  double total = 0;
  for (const Entry& e : entries) {
    const int slot = e.dir ? static_cast<int>(std::lround(*e.dir * n / 360.0)) % n : n;
    int& seen = line_of[static_cast<std::size_t>(e.sit - 1)][static_cast<std::size_t>(slot)];
    if (seen != 0)
      line_error(path, e.line,
                 "je situace a smer zadany podruhe (poprve na radku " + std::to_string(seen) + ")");
    seen = e.line;
    rose.situations[static_cast<std::size_t>(e.sit - 1)][static_cast<std::size_t>(slot)] = e.value;
    total += e.value;
  }
  if (!(std::abs(total - 100) <= 1))
    prep_error("Cetnosti ruzice v souboru " + path + " davaji dohromady " + format_f0(total, 3) +
               " % misto 100 % " +
               (fraction ? "(s volbou --rose-unit fraction jsou cetnosti zlomky roku)."
                         : "(cetnosti jsou v procentech, zlomky roku zadejte s volbou "
                           "--rose-unit fraction)."));
  return rose;
}

MetTable read_met_csv(const std::string& path) {
  const CsvTable t =
      read_csv(path, "meteorologickou casovou radou", {"time", "direction", "speed"});
  MetTable met;
  const int c_grad = t.column("gradient"), c_class = t.column("class");
  if ((c_grad < 0) == (c_class < 0))
    prep_error("Soubor " + path +
               " musi mit v hlavicce prave jeden ze sloupcu gradient (teplotni gradient) a "
               "class (trida stability).");
  met.gradients = c_grad >= 0;
  const int c_time = t.column("time"), c_dir = t.column("direction"), c_speed = t.column("speed");
  const int c_zi = t.column("inversion_height"), c_dir_i = t.column("inversion_direction");
  const int c_speed_i = t.column("inversion_speed");
  const int c_third_i = t.column(met.gradients ? "inversion_gradient" : "inversion_class");
  const int inversion_columns = (c_zi >= 0) + (c_dir_i >= 0) + (c_speed_i >= 0) + (c_third_i >= 0);
  if (inversion_columns != 0 && inversion_columns != 4)
    prep_error("Soubor " + path +
               " ma jen cast sloupcu inverze: potrebne jsou inversion_height, "
               "inversion_direction, inversion_speed a " +
               (met.gradients ? "inversion_gradient." : "inversion_class."));
  met.inversion = inversion_columns == 4;

  const auto direction = [&](const CsvRow& row, int column) {
    const double d = real_field(t, row, column);
    if (d < 0 || d > 360)
      line_error(path, row.line, "je smer vetru " + row.fields[column] + " mimo 0 az 360 stupnu");
    return d;
  };
  const auto speed = [&](const CsvRow& row, int column) {
    const double s = real_field(t, row, column);
    if (s < 0) line_error(path, row.line, "je zaporna rychlost vetru " + row.fields[column]);
    return s;
  };
  const auto third = [&](const CsvRow& row, int column) {
    if (met.gradients) return real_field(t, row, column);
    const int cls = stability_class(row.fields[static_cast<std::size_t>(column)]);
    if (cls == 0)
      line_error(path, row.line,
                 "je neplatna trida stability '" + row.fields[column] + "' (ocekavano I az V)");
    return static_cast<double>(cls);
  };

  std::optional<HourStamp> previous;
  for (const CsvRow& row : t.rows) {
    MetRecord r;
    r.time = time_field(t, row, c_time, previous);
    previous = r.time;
    r.direction = direction(row, c_dir);
    r.speed = speed(row, c_speed);
    r.gradient = third(row, met.gradients ? c_grad : c_class);
    if (met.inversion) {
      const std::string& zi = row.fields[static_cast<std::size_t>(c_zi)];
      r.zi = zi.empty() ? -9999 : real_field(t, row, c_zi);
      const bool none = static_cast<long>(r.zi) == -9999;
      // An hour without inversion may leave the layer above empty: the main values stand in.
      const auto blank = [&](int c) {
        return none && row.fields[static_cast<std::size_t>(c)].empty();
      };
      r.direction_i = blank(c_dir_i) ? r.direction : direction(row, c_dir_i);
      r.speed_i = blank(c_speed_i) ? r.speed : speed(row, c_speed_i);
      r.gradient_i = blank(c_third_i) ? r.gradient : third(row, c_third_i);
      if (!none && r.zi <= 0)
        line_error(path, row.line,
                   "je vyska inverze " + zi + " (ocekavano kladne cislo nebo -9999)");
    }
    met.records.push_back(r);
  }
  if (met.records.empty()) prep_error("Soubor " + path + " neobsahuje zadnou hodinu.");
  return met;
}

ProfileTable read_profile_csv(const std::string& path) {
  const CsvTable t = read_csv(path, "emisni casovou radou", {"time", "factor"});
  const int c_time = t.column("time"), c_factor = t.column("factor");
  ProfileTable p;
  std::optional<HourStamp> previous;
  for (const CsvRow& row : t.rows) {
    previous = time_field(t, row, c_time, previous);
    const double f = real_field(t, row, c_factor);
    if (f < 0) line_error(path, row.line, "je zaporny emisni faktor");
    p.times.push_back(*previous);
    p.factors.push_back(f);
  }
  if (p.times.empty()) prep_error("Soubor " + path + " neobsahuje zadnou hodinu.");
  return p;
}

}  // namespace kadre

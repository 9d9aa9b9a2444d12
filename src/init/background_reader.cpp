#include "init/background_reader.h"

#include <charconv>
#include <cstdio>

#include "core/errors.h"
#include "core/text.h"
#include "init/data_file.h"
#include "init/diagnostics.h"

namespace kadre {

namespace {

const char* const kDescription = "casovou radou pozadi";

// The integer of a field of an hour's date text ("2026/01/02/05"), blanks before it allowed.
int date_field(const std::string& date, std::size_t first, std::size_t length) {
  std::size_t p = first;
  while (p < first + length && date[p] == ' ') ++p;
  int v = 0;
  std::from_chars(date.data() + p, date.data() + first + length, v);
  return v;
}

bool same_hour(const std::string& date, int year, int month, int day, int hour) {
  return date.size() == 13 && date_field(date, 0, 4) == year && date_field(date, 5, 2) == month &&
         date_field(date, 8, 2) == day && date_field(date, 11, 2) == hour;
}

}  // namespace

std::vector<double> read_background(const std::string& path, const MetSeries& met) {
  using R = FreeFormatReader;
  R reader = open_data_file(path, kDescription);
  reader.skip_comment_header();
  // The background belongs to the hours of the run: a file of another period or with a gap
  // would shift every hour after it.
  const int records = reader.count_records();
  if (records != met.ntime)
    raise_error("Soubor " + rtrim(path) + " s casovou radou pozadi obsahuje " +
                std::to_string(records) + " zaznamu, meteorologicka casova rada " +
                std::to_string(met.ntime) + ".");
  reader.rewind();
  reader.skip_comment_header();
  std::vector<double> background(static_cast<std::size_t>(met.ntime), 0.0);
  int year = 0, month = 0, day = 0, hour = 0;
  for (int t = 1; t <= met.ntime; ++t) {
    const ReadStatus st = reader.read({R::integer(year), R::integer(month), R::integer(day),
                                       R::integer(hour), R::real(background[t - 1])});
    if (st != ReadStatus::ok) raise_error(error_reading(path, t, st));
    const std::string& date = met.date[static_cast<std::size_t>(t - 1)];
    if (!same_hour(date, year, month, day, hour)) {
      char read[64];
      std::snprintf(read, sizeof read, "%d/%02d/%02d/%02d", year, month, day, hour);
      raise_error("Datum " + std::string(read) + " v radku " + std::to_string(t) + " souboru " +
                  rtrim(path) + " neodpovida hodine " + date.substr(date.find_first_not_of(' ')) +
                  " meteorologicke casove rady.");
    }
  }
  return background;
}

}  // namespace kadre

#include "init/met_series_reader.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/errors.h"
#include "core/model_params.h"
#include "core/text.h"
#include "init/data_file.h"
#include "init/diagnostics.h"

namespace kadre {

namespace {

const char* const kDescription = "meteorologickou casovou radou";

// The items of one record, in file order.
struct Record {
  int year = 0, month = 0, day = 0, hour = 0;
  double w_dir = 0, w_sp = 0, third = 0;
  double zi = 0, w_dir_i = 0, w_sp_i = 0, third_i = 0;
};

std::vector<FreeFormatReader::Item> record_items(Record& r, bool inverze) {
  using R = FreeFormatReader;
  std::vector<R::Item> items{R::integer(r.year), R::integer(r.month), R::integer(r.day),
                             R::integer(r.hour), R::real(r.w_dir),    R::real(r.w_sp),
                             R::real(r.third)};
  if (inverze) {
    for (double* v : {&r.zi, &r.w_dir_i, &r.w_sp_i, &r.third_i}) items.push_back(R::real(*v));
  }
  return items;
}

// Year right-aligned in 4 characters, then month, day and hour with at least 2 digits;
// false when the text would not be exactly 13 characters.
bool format_date(const Record& r, std::string& date) {
  const auto two_digits = [](int v) { return v >= 0 && v <= 99; };
  if (r.year < -999 || r.year > 9999 || !two_digits(r.month) || !two_digits(r.day) ||
      !two_digits(r.hour))
    return false;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%4d/%02d/%02d/%02d", r.year, r.month, r.day, r.hour);
  date.assign(buf, 13);
  return true;
}

// A stability class is the integer part of the value; a value without one (not finite or
// beyond the integer range) cannot be a class.
bool class_of(double value, int& out) {
  const double cut = std::trunc(value);
  if (!(cut >= std::numeric_limits<int>::min() && cut <= std::numeric_limits<int>::max()))
    return false;
  out = static_cast<int>(cut);
  return true;
}

double at_least_calm_limit(double w_sp) { return w_sp < 1.5 ? 1.5 : w_sp; }

constexpr double kNoInversion = -9999.0;

int count_hours(const std::string& path) {
  FreeFormatReader reader = open_data_file(path, kDescription);
  reader.skip_comment_header();
  return reader.count_records();
}

// A read error of record t with a line that says what is wrong.
[[noreturn]] void bad_record(const std::string& path, int t, const std::string& what) {
  raise_error(error_reading(path, t, ReadStatus::bad_value) + "\n" + what);
}

// The stop a class outside 1..5 would make where the model first takes it, told here with
// the file, the record and the value.
[[noreturn]] void bad_class(const std::string& path, int t, int s) {
  stop_with_lines({index_error_line("evaluate_par", "u_p", 1, s, 1, kStabilityClasses),
                   "V souboru " + rtrim(path) + " na radku " + std::to_string(t) +
                       " je trida stability " + std::to_string(s) + " (tridy jsou 1 az " +
                       std::to_string(kStabilityClasses) + ")."});
}

// Reads the first met.ntime records as series k; returns how many records the file holds.
int read_series(const std::string& path, int k, const Settings& cfg, MetSeries& met,
                std::ostream& out) {
  FreeFormatReader reader = open_data_file(path, kDescription);
  reader.skip_comment_header();
  Record r;
  const auto items = record_items(r, cfg.inverze);
  UnreadItems unread(path, out);
  std::array<int, 4> previous{};
  for (int t = 1; t <= met.ntime; ++t) {
    const ReadStatus st = reader.read_one_record(items);
    if (st != ReadStatus::ok)
      raise_error(record_error(path, t, st, reader.items_read(), items.size()));
    // Without inverze the four values of the upper layer may stand there (all four), not read.
    unread.check(reader, t, cfg.inverze ? 0 : 4);
    const std::size_t i = met.index(k, t);
    if (!format_date(r, met.date[t - 1]))
      raise_error("Datum v radku " + std::to_string(t) + " souboru " + rtrim(path) +
                  " nelze zapsat do 13 znaku.");
    // Hours follow each other: a repeated or misplaced hour would shift every later one (and
    // make the series longer than its profiles).
    const std::array<int, 4> date{r.year, r.month, r.day, r.hour};
    if (t > 1 && !(date > previous))
      bad_record(path, t,
                 "Datum " + met.date[t - 1] + " neni pozdejsi nez datum predchoziho zaznamu " +
                     met.date[t - 2] + ".");
    previous = date;
    // A negative speed is no calm but a missing-value code or a sign error.
    const bool inversion_hour = cfg.inverze && std::trunc(r.zi) != kNoInversion;
    for (const double speed : {r.w_sp, inversion_hour ? r.w_sp_i : 0.0})
      if (speed < 0)
        bad_record(path, t, "Rychlost vetru " + format_f0(speed, 2) + " m/s je zaporna.");
    // The third value of a layer: a temperature gradient, or the stability class.
    const auto store_third = [&](double value, std::vector<double>& gradients,
                                 std::vector<int>& classes, bool used) {
      if (cfg.is_tep_gr) {
        gradients[i] = value;
        return;
      }
      if (!class_of(value, classes[i])) raise_error(error_reading(path, t, ReadStatus::bad_value));
      if (used && (classes[i] < 1 || classes[i] > kStabilityClasses))
        bad_class(path, t, classes[i]);
    };
    met.w_dir[i] = r.w_dir;
    met.w_sp[i] = at_least_calm_limit(r.w_sp);
    store_third(r.third, met.gradient, met.stability_class, true);
    if (!cfg.inverze) continue;
    met.zi[i] = r.zi;
    met.w_dir_i[i] = r.w_dir_i;
    met.w_sp_i[i] = at_least_calm_limit(r.w_sp_i);
    // The upper layer counts only in inversion hours: elsewhere it may hold any placeholder.
    store_third(r.third_i, met.gradient_i, met.stability_class_i, inversion_hour);
  }
  unread.finish();
  return met.ntime + reader.count_records();
}

}  // namespace

MetSeries read_time(const std::string& path, const Settings& cfg,
                    const std::vector<std::string>& met_name, std::ostream& out) {
  MetSeries met;
  if (met_name.empty()) return met;

  const std::string first_path = path_with_name(path, met_name.front());
  met.ntime = count_hours(first_path);
  // A series without hours would leave every mean as 0 / 0.
  if (met.ntime < 1)
    raise_error("Soubor " + rtrim(first_path) +
                " s meteorologickou casovou radou neobsahuje zadny zaznam.");
  const std::size_t cells = met_name.size() * static_cast<std::size_t>(met.ntime);
  met.w_dir.assign(cells, 0.0);
  met.w_sp.assign(cells, 0.0);
  met.gradient.assign(cells, 0.0);
  met.stability_class.assign(cells, 0);
  met.date.assign(met.ntime, std::string(13, ' '));
  if (cfg.inverze) {
    met.zi.assign(cells, 0.0);
    met.w_dir_i.assign(cells, 0.0);
    met.w_sp_i.assign(cells, 0.0);
    met.gradient_i.assign(cells, 0.0);
    met.stability_class_i.assign(cells, 0);
  }
  for (int k = 1; k <= static_cast<int>(met_name.size()); ++k) {
    const std::string series_path = path_with_name(path, met_name[k - 1]);
    warn_if_longer(series_path, read_series(series_path, k, cfg, met, out), met.ntime, out);
  }
  return met;
}

}  // namespace kadre

#include "output/netcdf_output.h"

#include <cstddef>
#include <cstdio>
#include <optional>

#include "core/errors.h"
#include "core/text.h"

#ifdef KADRE_NETCDF
#include <netcdf.h>
#endif

namespace kadre {

namespace {

constexpr const char* kUnits = "ug m-3";
constexpr std::size_t kDateLength = 13;

// Hours since 0001-01-01 00 of a "yyyy/mm/dd/hh" date; none unless it is a calendar hour
// (hour 24 is the next day's 00, as some series write midnight).
std::optional<long long> calendar_hour(const std::string& date) {
  int y = 0, m = 0, d = 0, h = 0;
  char tail = 0;
  if (std::sscanf(date.c_str(), "%d/%d/%d/%d%c", &y, &m, &d, &h, &tail) != 4) return std::nullopt;
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (y < 1 || m < 1 || m > 12 || d < 1 || h < 0 || h > 24) return std::nullopt;
  if (d > kDays[m - 1] + (m == 2 && leap ? 1 : 0)) return std::nullopt;
  // Days from 0001-01-01 in the proleptic Gregorian calendar.
  const long long yy = m <= 2 ? y - 1 : y;
  const long long era_day = 365 * yy + yy / 4 - yy / 100 + yy / 400;
  static constexpr int kBefore[12] = {306, 337, 0, 31, 61, 92, 122, 153, 184, 214, 245, 275};
  const long long days = era_day + kBefore[m - 1] + d - 1;
  return days * 24 + h;
}

}  // namespace

bool is_netcdf_path(const std::string& path) {
  return path.size() > 3 && path.compare(path.size() - 3, 3, ".nc") == 0;
}

void check_netcdf_result(const std::string& path, const std::vector<std::string>& date, int ntime) {
  if (!is_netcdf_path(path)) return;
  if (!netcdf_available())
    raise_error("Vysledny soubor " + path +
                " nelze zapsat ve formatu NetCDF: program je sestaven bez knihovny NetCDF. "
                "Zvolte jmeno s jinou priponou nez .nc.");
  for (int t = 0; t < ntime && static_cast<std::size_t>(t) < date.size(); ++t)
    if (!calendar_hour(rtrim(date[static_cast<std::size_t>(t)])))
      raise_error("Vysledny soubor " + path + " ve formatu NetCDF potrebuje kalendarni cas: " +
                  "datum " + rtrim(date[static_cast<std::size_t>(t)]) + " hodiny " +
                  std::to_string(t + 1) + " meteorologicke rady neni platne datum a hodina.");
}

#ifndef KADRE_NETCDF

bool netcdf_available() { return false; }

void write_hourly_netcdf(const std::string& path, const std::vector<RefPoint>&,
                         const std::vector<std::string>&, const std::vector<double>&, int,
                         ResultSet*) {
  check_netcdf_result(path, {}, 0);
}

void write_point_values_netcdf(const std::string& path, const std::vector<RefPoint>&,
                               const std::vector<double>&, const std::string&, const std::string&,
                               ResultSet*) {
  check_netcdf_result(path, {}, 0);
}

#else

namespace {

// An open file that is closed on every way out; any failing call stops with the write error
// of the result file's final name.
class NcFile {
 public:
  NcFile(const std::string& path, ResultSet* set) : path_(path) {
    const std::string written = set ? set->temporary_for(path) : path;
    check(nc_create(written.c_str(), NC_NETCDF4 | NC_CLOBBER, &id_));
    open_ = true;
  }
  ~NcFile() {
    if (open_) nc_close(id_);
  }
  NcFile(const NcFile&) = delete;
  NcFile& operator=(const NcFile&) = delete;

  void check(int status) const {
    if (status != NC_NOERR) raise_error(write_error_message(path_));
  }
  int dim(const char* name, std::size_t length) {
    int d = 0;
    check(nc_def_dim(id_, name, length, &d));
    return d;
  }
  int var(const char* name, nc_type type, std::vector<int> dims) {
    int v = 0;
    check(nc_def_var(id_, name, type, static_cast<int>(dims.size()), dims.data(), &v));
    return v;
  }
  void text(int var, const char* name, const std::string& value) {
    check(nc_put_att_text(id_, var, name, value.size(), value.c_str()));
  }
  // Shuffled and deflated in chunks of `chunks`.
  void compress(int var, std::vector<std::size_t> chunks) {
    check(nc_def_var_chunking(id_, var, NC_CHUNKED, chunks.data()));
    check(nc_def_var_deflate(id_, var, 1, 1, 1));
  }
  void put(int var, const std::vector<double>& values) {
    if (!values.empty()) check(nc_put_var_double(id_, var, values.data()));
  }
  void put_strings(int var, const std::vector<std::string>& values) {
    std::vector<const char*> pointers;
    for (const std::string& v : values) pointers.push_back(v.c_str());
    if (!pointers.empty()) check(nc_put_var_string(id_, var, pointers.data()));
  }
  void end_definitions() { check(nc_enddef(id_)); }
  void close() {
    open_ = false;
    check(nc_close(id_));
  }
  int id() const { return id_; }

 private:
  std::string path_;
  int id_ = 0;
  bool open_ = false;
};

struct StationVars {
  int id, x, y, z, l;
};

// The station dimension and its coordinate variables (l only where asked).
StationVars define_stations(NcFile& nc, int station, bool with_height) {
  StationVars v{};
  v.id = nc.var("id", NC_STRING, {station});
  nc.text(v.id, "long_name", "identifikator bodu");
  nc.text(v.id, "cf_role", "timeseries_id");
  const std::pair<int*, const char*> coords[] = {
      {&v.x, "x"}, {&v.y, "y"}, {&v.z, "z"}, {&v.l, "l"}};
  const char* names[] = {"souradnice x bodu", "souradnice y bodu", "nadmorska vyska terenu bodu",
                         "vyska bodu nad terenem"};
  for (std::size_t i = 0; i < 4; ++i) {
    if (i == 3 && !with_height) break;
    *coords[i].first = nc.var(coords[i].second, NC_DOUBLE, {station});
    nc.text(*coords[i].first, "units", "m");
    nc.text(*coords[i].first, "long_name", names[i]);
  }
  nc.text(v.x, "axis", "X");
  nc.text(v.y, "axis", "Y");
  nc.text(v.z, "positive", "up");
  return v;
}

void put_stations(NcFile& nc, const StationVars& v, const std::vector<RefPoint>& points,
                  bool with_height) {
  std::vector<std::string> ids;
  std::vector<double> x, y, z, l;
  for (const RefPoint& p : points) {
    ids.push_back(rtrim(p.id));
    x.push_back(p.x);
    y.push_back(p.y);
    z.push_back(p.z);
    l.push_back(p.height_above_ground_m);
  }
  nc.put_strings(v.id, ids);
  nc.put(v.x, x);
  nc.put(v.y, y);
  nc.put(v.z, z);
  if (with_height) nc.put(v.l, l);
}

void global_attributes(NcFile& nc, const std::string& title) {
  nc.text(NC_GLOBAL, "Conventions", "CF-1.8");
  nc.text(NC_GLOBAL, "title", title);
  nc.text(NC_GLOBAL, "source", "kadre");
}

}  // namespace

bool netcdf_available() { return true; }

void write_hourly_netcdf(const std::string& path, const std::vector<RefPoint>& points,
                         const std::vector<std::string>& date, const std::vector<double>& values,
                         int ntime, ResultSet* set) {
  const std::size_t hours = ntime > 0 ? static_cast<std::size_t>(ntime) : 0;
  check_netcdf_result(path, date, ntime);
  NcFile nc(path, set);
  global_attributes(nc, "hodinove koncentrace");
  nc.text(NC_GLOBAL, "featureType", "timeSeries");
  const int station = nc.dim("station", points.size());
  const int time = nc.dim("time", hours);
  const StationVars sv = define_stations(nc, station, false);
  const int tv = nc.var("time", NC_DOUBLE, {time});
  std::vector<double> offsets(hours);
  std::string units = "hours since 0001-01-01 00:00:00";
  if (hours > 0) {
    // From the first hour's midnight, so that hour 24 of a series needs no special case.
    const std::string first = rtrim(date[0]);
    const long long midnight = *calendar_hour(first.substr(0, first.size() - 2) + "00");
    for (std::size_t t = 0; t < hours; ++t)
      offsets[t] = static_cast<double>(*calendar_hour(rtrim(date[t])) - midnight);
    int y = 0, m = 0, d = 0;
    std::sscanf(first.c_str(), "%d/%d/%d", &y, &m, &d);
    char origin[48];
    std::snprintf(origin, sizeof origin, "hours since %04d-%02d-%02d 00:00:00", y, m, d);
    units = origin;
  }
  nc.text(tv, "units", units);
  nc.text(tv, "calendar", "proleptic_gregorian");
  nc.text(tv, "standard_name", "time");
  nc.text(tv, "axis", "T");
  // The dates as the CSV table prints them, as fixed-width characters: one string object per
  // hour would cost more than the hours' values.
  const int cas = nc.var("cas", NC_CHAR, {time, nc.dim("date_length", kDateLength)});
  nc.text(cas, "long_name", "datum a hodina meteorologicke rady");
  if (hours > 0) nc.compress(cas, {hours, kDateLength});
  const int cv = nc.var("concentration", NC_DOUBLE, {station, time});
  nc.text(cv, "long_name", "hodinova koncentrace");
  nc.text(cv, "units", kUnits);
  nc.text(cv, "coordinates", "time x y z id");
  if (!points.empty() && hours > 0) nc.compress(cv, {1, hours});
  nc.end_definitions();
  put_stations(nc, sv, points, false);
  nc.put(tv, offsets);
  std::string texts;
  for (std::size_t t = 0; t < hours; ++t) texts += fixed_text(date[t], kDateLength);
  if (hours > 0) nc.check(nc_put_var_text(nc.id(), cas, texts.data()));
  if (!points.empty() && hours > 0) nc.check(nc_put_var_double(nc.id(), cv, values.data()));
  nc.close();
}

void write_point_values_netcdf(const std::string& path, const std::vector<RefPoint>& points,
                               const std::vector<double>& values, const std::string& name,
                               const std::string& long_name, ResultSet* set) {
  NcFile nc(path, set);
  global_attributes(nc, long_name);
  const int station = nc.dim("station", points.size());
  const StationVars sv = define_stations(nc, station, true);
  const int v = nc.var(name.c_str(), NC_DOUBLE, {station});
  nc.text(v, "long_name", long_name);
  nc.text(v, "units", kUnits);
  nc.text(v, "coordinates", "x y z id");
  if (!points.empty()) nc.compress(v, {points.size()});
  nc.end_definitions();
  put_stations(nc, sv, points, true);
  if (!points.empty()) nc.check(nc_put_var_double(nc.id(), v, values.data()));
  nc.close();
}

#endif

}  // namespace kadre

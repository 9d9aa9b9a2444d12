// The NetCDF result files read back through the netCDF library: the same doubles as the CSV
// tables print, the hours as CF time, the points as a station dimension, written as one set.
#include <gtest/gtest.h>
#include <netcdf.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>

#include "core/text.h"
#include "output/netcdf_output.h"
#include "output/number_format.h"
#include "support/test_support.h"

namespace kadre {
namespace {

class NcReader {
 public:
  explicit NcReader(const std::string& path) {
    EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &id_), NC_NOERR) << path;
  }
  ~NcReader() { nc_close(id_); }
  int var(const char* name) const {
    int v = -1;
    EXPECT_EQ(nc_inq_varid(id_, name, &v), NC_NOERR) << name;
    return v;
  }
  std::size_t dim(const char* name) const {
    int d = -1;
    std::size_t length = 0;
    EXPECT_EQ(nc_inq_dimid(id_, name, &d), NC_NOERR) << name;
    nc_inq_dimlen(id_, d, &length);
    return length;
  }
  std::vector<double> doubles(const char* name, std::size_t count) const {
    std::vector<double> values(count);
    EXPECT_EQ(nc_get_var_double(id_, var(name), values.data()), NC_NOERR) << name;
    return values;
  }
  std::vector<std::string> strings(const char* name, std::size_t count) const {
    std::vector<char*> texts(count);
    EXPECT_EQ(nc_get_var_string(id_, var(name), texts.data()), NC_NOERR) << name;
    std::vector<std::string> values(texts.begin(), texts.end());
    nc_free_string(count, texts.data());
    return values;
  }
  std::string text(const char* var_name, const char* att) const {
    const int v = var_name ? var(var_name) : NC_GLOBAL;
    std::size_t length = 0;
    if (nc_inq_attlen(id_, v, att, &length) != NC_NOERR) return "";
    std::string value(length, ' ');
    nc_get_att_text(id_, v, att, value.data());
    return value;
  }
  int id() const { return id_; }

 private:
  int id_ = -1;
};

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string f; std::getline(cells, f, ';');) fields.push_back(f);
    rows.push_back(fields);
  }
  return rows;
}

std::string trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// The whole run with the hourly files as NetCDF: every value prints as the CSV run's field,
// the hours count from the first day's midnight, the points carry ids and coordinates, the
// compliance file stays a .csv table, and no temporary is left behind.
TEST(NetcdfFiles, AWholeRunGivesTheCsvRunsValuesPointsAndHours) {
  test::RunDir c("limits_hourly");
  ASSERT_EQ(c.run().status, 0);
  const test::ResultFiles csv = c.outputs();
  const std::string config = test::read_file(c.file("run.nml"));
  const std::size_t at = config.find("'hourly.csv'");
  ASSERT_NE(at, std::string::npos);
  c.write("run.nml", config.substr(0, at) + "'hourly.nc'" + config.substr(at + 12));
  const test::RunOutput r = c.run();
  ASSERT_EQ(r.status, 0) << r.out;
  const test::ResultFiles nc = c.outputs();
  EXPECT_EQ(nc.count("hourly.nc") + nc.count("avg_hourly_LOW.nc") + nc.count("limits_hourly.csv"),
            3u);
  EXPECT_EQ(nc.at("limits_hourly.csv"), csv.at("limits_hourly.csv"));
  EXPECT_EQ(nc.size(), csv.size());

  for (const std::string group : {"", "_LOW"}) {
    SCOPED_TRACE(group);
    const auto rows = csv_rows(csv.at("hourly" + group + ".csv"));
    const NcReader f(c.file("output/hourly" + group + ".nc"));
    const std::size_t stations = f.dim("station"), hours = f.dim("time");
    ASSERT_EQ(stations + 1, rows[0].size());
    ASSERT_EQ(hours + 1, rows.size());
    const std::vector<double> values = f.doubles("concentration", stations * hours);
    const std::vector<std::string> ids = f.strings("id", stations);
    for (std::size_t s = 0; s < stations; ++s) {
      EXPECT_EQ(ids[s], rows[0][s + 1]);
      for (std::size_t t = 0; t < hours; ++t)
        ASSERT_EQ(format_es11_5(values[s * hours + t]), rows[t + 1][s + 1]);
    }
    EXPECT_EQ(f.text("time", "units"), "hours since 2026-01-01 00:00:00");
    const std::vector<double> time = f.doubles("time", hours);
    std::string date_text(hours * 13, ' ');
    ASSERT_EQ(nc_get_var_text(f.id(), f.var("cas"), date_text.data()), NC_NOERR);
    std::vector<std::string> dates;
    for (std::size_t t = 0; t < hours; ++t) dates.push_back(date_text.substr(t * 13, 13));
    for (std::size_t t = 0; t < hours; ++t) {
      EXPECT_EQ(dates[t], rows[t + 1][0]);
      const int day = std::stoi(dates[t].substr(8, 2)), hour = std::stoi(dates[t].substr(11, 2));
      EXPECT_EQ(time[t], (day - 1) * 24 + hour);
    }
    // Chunked by station, compressed.
    int storage = 0, shuffle = 0, deflate = 0, level = 0;
    std::size_t chunks[2] = {0, 0};
    nc_inq_var_chunking(f.id(), f.var("concentration"), &storage, chunks);
    nc_inq_var_deflate(f.id(), f.var("concentration"), &shuffle, &deflate, &level);
    EXPECT_EQ(chunks[0], 1u);
    EXPECT_EQ(chunks[1], hours);
    EXPECT_EQ(deflate, 1);

    for (const std::string prefix : {"avg_", "max_"}) {
      const auto point_rows = csv_rows(csv.at(prefix + "hourly" + group + ".csv"));
      const NcReader p(c.file("output/" + prefix + "hourly" + group + ".nc"));
      const std::size_t n = p.dim("station");
      ASSERT_EQ(n + 1, point_rows.size());
      const char* name = prefix == "avg_" ? "ave" : "max";
      const std::vector<double> v = p.doubles(name, n), x = p.doubles("x", n),
                                y = p.doubles("y", n);
      const std::vector<std::string> point_ids = p.strings("id", n);
      EXPECT_EQ(p.text(name, "units"), "ug m-3");
      for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(point_ids[i], trimmed(point_rows[i + 1][0]));
        EXPECT_EQ(format_f0(x[i], 2), point_rows[i + 1][1]);
        EXPECT_EQ(format_f0(y[i], 2), point_rows[i + 1][2]);
        EXPECT_EQ(format_es11_5(v[i]), point_rows[i + 1][5]);
      }
    }
  }
  for (const auto& entry : std::filesystem::directory_iterator(c.file("output")))
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// Doubles arrive bit for bit, extremes included; an empty table is still a valid file.
TEST(NetcdfFiles, EveryBitOfEveryDoubleAndEmptyTables) {
  test::TempDir dir;
  const std::vector<double> values{
      0.0,   -0.0, 1e-300,    std::numeric_limits<double>::denorm_min(),
      1e300, 0.1,  1.0 / 3.0, std::nextafter(1.0, 2.0)};
  const std::vector<RefPoint> points{{"A", 1, 2, 3, 4, true}, {"B", 5, 6, 7, 8, true}};
  const std::vector<std::string> dates{"2024/02/28/23", "2024/02/29/00", "2024/02/29/24",
                                       "2024/03/01/01"};
  const std::string path = dir.path().string() + "/h.nc";
  write_hourly_netcdf(path, points, dates, values, 4, nullptr);
  const NcReader f(path);
  const std::vector<double> back = f.doubles("concentration", values.size());
  EXPECT_EQ(std::memcmp(back.data(), values.data(), values.size() * sizeof(double)), 0);
  EXPECT_EQ(f.doubles("time", 4), (std::vector<double>{23, 24, 48, 49}));
  EXPECT_EQ(f.text("time", "units"), "hours since 2024-02-28 00:00:00");

  const std::string empty = dir.path().string() + "/e.nc";
  write_hourly_netcdf(empty, {}, {}, {}, 0, nullptr);
  EXPECT_EQ(NcReader(empty).dim("station"), 0u);
}

// Hours that are no calendar hours cannot be CF time: the run stops before computing and
// writes nothing.
TEST(NetcdfFiles, HoursOutsideTheCalendarStopBeforeComputing) {
  EXPECT_INPUT_ERROR(check_netcdf_result("out/h.nc", {"2026/01/01/00", "2026/02/30/00"}, 2),
                     "Vysledny soubor out/h.nc ve formatu NetCDF potrebuje kalendarni cas: datum "
                     "2026/02/30/00 hodiny 2 meteorologicke rady neni platne datum a hodina.");
  EXPECT_NO_THROW(check_netcdf_result("out/h.csv", {"2026/13/01/00"}, 1));
}

}  // namespace
}  // namespace kadre

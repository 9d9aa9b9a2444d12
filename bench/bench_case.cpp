#include "bench_case.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace kadre::bench {

namespace {

namespace fs = std::filesystem;

constexpr double kXll = 480000.0, kYll = 5540000.0, kCell = 50.0;
constexpr int kCells = 240;  // 12 km square
constexpr double kPi = 3.141592653589793;

// A fixed-seed generator; the uniform mapping is written out because the standard
// distributions may differ between library implementations.
class FixedRandom {
 public:
  explicit FixedRandom(std::uint64_t seed) : engine_(seed) {}
  double uniform(double lo, double hi) {
    return lo + (hi - lo) * static_cast<double>(engine_() >> 11) * 0x1.0p-53;
  }

 private:
  std::mt19937_64 engine_;
};

__attribute__((format(printf, 1, 2))) std::string text(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

void write_file(const fs::path& path, const std::vector<std::string>& lines) {
  std::ofstream f(path, std::ios::binary);
  for (const std::string& line : lines) f << line << '\n';
  if (!f) throw std::runtime_error("cannot write " + path.string());
}

struct Hill {
  double x, y, height, radius;
};

// Nine hills over a square of the given side; their widths grow with the square.
std::vector<Hill> make_hills(FixedRandom& rng, double side = kCells * kCell) {
  const double widen = side / (kCells * kCell);
  std::vector<Hill> hills;
  for (int n = 0; n < 9; ++n)
    hills.push_back({rng.uniform(0, side), rng.uniform(0, side), rng.uniform(60, 260),
                     widen * rng.uniform(500, 1800)});
  return hills;
}

double elevation(const std::vector<Hill>& hills, double x, double y) {
  double z = 240.0 + 0.004 * x + 0.002 * y + 15.0 * std::sin(x / 700.0) * std::cos(y / 900.0);
  for (const Hill& h : hills)
    z += h.height *
         std::exp(-((x - h.x) * (x - h.x) + (y - h.y) * (y - h.y)) / (2 * h.radius * h.radius));
  return z;
}

void write_terrain(const fs::path& path, FixedRandom& rng) {
  const std::vector<Hill> hills = make_hills(rng);
  std::vector<std::string> lines{text("ncols %d", kCells),     text("nrows %d", kCells),
                                 text("xllcorner %.1f", kXll), text("yllcorner %.1f", kYll),
                                 text("cellsize %.1f", kCell), "NODATA_value -9999"};
  for (int row = 0; row < kCells; ++row) {  // northernmost first
    const double y = (kCells - row - 0.5) * kCell;
    std::string line;
    for (int col = 0; col < kCells; ++col) {
      if (col) line += ' ';
      line += std::to_string(std::lround(elevation(hills, (col + 0.5) * kCell, y)));
    }
    lines.push_back(line);
  }
  write_file(path, lines);
}

// A large grid: the surface of elevation() with hills spread over the whole grid, each term
// split into a column and a row factor so that a cell costs a few multiplications, and
// kept to three digits so that the file size follows from the grid size. An existing file of
// that size is kept, since the grid is fixed; it is written under another name and renamed
// when complete, so an interrupted run leaves no file of the right size behind.
void write_large_terrain(const fs::path& path, int cells, double cellsize, std::uint64_t seed) {
  const std::string header = text(
      "ncols %d\nnrows %d\nxllcorner %.1f\nyllcorner %.1f\ncellsize %.1f\n"
      "NODATA_value -9999\n",
      cells, cells, kXll, kYll, cellsize);
  const std::size_t n = static_cast<std::size_t>(cells), row_bytes = 4 * n;
  std::error_code missing;
  if (fs::file_size(path, missing) == header.size() + n * row_bytes && !missing) return;

  FixedRandom rng(seed);
  const std::vector<Hill> hills = make_hills(rng, cells * cellsize);
  const std::size_t nh = hills.size();
  std::vector<double> col_base(n), col_wave(n), col_hill(nh * n), row_hill(nh * n);
  const auto row_y = [&](std::size_t row) {
    return (n - row - 0.5) * cellsize;
  };  // northernmost first
  for (std::size_t k = 0; k < nh; ++k) {
    const Hill& h = hills[k];
    const auto bell = [&h](double d) { return std::exp(-d * d / (2 * h.radius * h.radius)); };
    for (std::size_t i = 0; i < n; ++i) {
      col_hill[k * n + i] = h.height * bell((i + 0.5) * cellsize - h.x);
      row_hill[k * n + i] = bell(row_y(i) - h.y);
    }
  }
  for (std::size_t c = 0; c < n; ++c) {
    const double x = (c + 0.5) * cellsize;
    col_base[c] = 240.0 + 0.004 * x;
    col_wave[c] = 15.0 * std::sin(x / 700.0);
  }

  const fs::path part = path.string() + ".part";
  std::FILE* f = std::fopen(part.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + part.string());
  bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
  const std::size_t rows_per_chunk = std::max<std::size_t>(1, (8u << 20) / row_bytes);
  std::vector<char> chunk(rows_per_chunk * row_bytes);
  std::vector<double> z(n);
  for (std::size_t r = 0; r < n && ok; r += rows_per_chunk) {
    const std::size_t rows = std::min(rows_per_chunk, n - r);
    char* p = chunk.data();
    for (std::size_t row = r; row < r + rows; ++row) {
      const double y = row_y(row), row_base = 0.002 * y, row_wave = std::cos(y / 900.0);
      for (std::size_t c = 0; c < n; ++c) z[c] = col_base[c] + row_base + col_wave[c] * row_wave;
      for (std::size_t k = 0; k < nh; ++k) {
        const double w = row_hill[k * n + row];
        if (w < 1e-9) continue;
        for (std::size_t c = 0; c < n; ++c) z[c] += w * col_hill[k * n + c];
      }
      for (std::size_t c = 0; c < n; ++c, p += 4) {
        const int v = std::clamp(static_cast<int>(std::lround(z[c])), 100, 999);
        p[0] = static_cast<char>('0' + v / 100);
        p[1] = static_cast<char>('0' + v / 10 % 10);
        p[2] = static_cast<char>('0' + v % 10);
        p[3] = ' ';
      }
      p[-1] = '\n';
    }
    ok = std::fwrite(chunk.data(), 1, rows * row_bytes, f) == rows * row_bytes;
  }
  if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + part.string());
  fs::rename(part, path);
}

// A regular grid over the middle 10 km of the terrain.
void write_receptors(const fs::path& path, int nx, int ny) {
  std::vector<std::string> lines{"! id  x  y  z  height above terrain [m]"};
  const double first = 1000.0, span = 10000.0;
  const double step_x = nx > 1 ? span / (nx - 1) : 0.0, step_y = ny > 1 ? span / (ny - 1) : 0.0;
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i)
      lines.push_back(text("R%03d_%03d %.1f %.1f 0 1.5", j, i, kXll + first + i * step_x,
                           kYll + first + j * step_y));
  write_file(path, lines);
}

// Points "R000000", "R000001", ... at random positions over a square of the given side.
void write_scattered_receptors(const fs::path& path, int count, double side, FixedRandom& rng) {
  std::vector<std::string> lines{"! id  x  y  z  height above terrain [m]"};
  for (int i = 0; i < count; ++i) {
    const double x = rng.uniform(0.02, 0.98) * side, y = rng.uniform(0.02, 0.98) * side;
    lines.push_back(text("R%06d %.1f %.1f 0 1.5", i, kXll + x, kYll + y));
  }
  write_file(path, lines);
}

// `listed` of the scattered points, drawn at random and listed in the order drawn.
void write_output_points(const fs::path& path, int count, int listed, FixedRandom& rng) {
  std::vector<int> order(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = i;
  std::vector<std::string> lines;
  for (int i = 0; i < std::min(listed, count); ++i) {  // the first steps of a shuffle
    const int j = std::min(count - 1, i + static_cast<int>(rng.uniform(0, count - i)));
    std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
    lines.push_back(text("R%06d", order[static_cast<std::size_t>(i)]));
  }
  write_file(path, lines);
}

// Sources: a cluster of stacks, cooling towers, single stacks, area sources and roads;
// the plant (cluster and towers) uses S01, the other sources alternate between S01 and S02.
// `spread` stretches the positions from the 12 km square to a larger one.
void write_sources(const fs::path& dir, const CaseSize& size, FixedRandom& rng,
                   double spread = 1.0) {
  std::vector<std::string> definition{"! id  x  y  z  type  cluster  aux  series  profile"};
  std::vector<std::string> description{
      "! id  m  m_no  h  v|x2  t|y2  d|width  w|vert_ext  time_use  daily_hours  length  "
      "cooling_tower"};
  int count = 0;
  auto add = [&](const std::string& id, double x, double y, int type, int cluster,
                 const char* profile, const std::string& data, bool plant = false) {
    const char* series = (plant || count++ % 2 == 0) ? "S01" : "S02";
    definition.push_back(text("%s %.1f %.1f 0 %d %d 0 %s %s", id.c_str(), kXll + spread * x,
                              kYll + spread * y, type, cluster, series, profile));
    description.push_back(id + " " + data);
  };
  for (int n = 1; n <= size.cluster_stacks; ++n)
    add(text("EL_K%d", n), 4300 + rng.uniform(-60, 60), 4800 + rng.uniform(-60, 60), 1, 1, "CON",
        text("%.2f %.2f %.0f %.1f %.0f %.2f %.1f 1.0 24 0 0", rng.uniform(6, 14), rng.uniform(1, 3),
             rng.uniform(110, 130), rng.uniform(70, 95), rng.uniform(125, 140),
             rng.uniform(4.5, 5.0), rng.uniform(12, 14)),
        true);
  for (int n = 1; n <= size.cooling_towers; ++n)
    add(text("CHV_%d", n), 4600 + 300 * (n - 1), 4600, 1, 0, "CON",
        text("4.0 1.0 150 380.0 55 60.0 3.0 0.9 24 0 1"), true);
  for (int n = 1; n <= size.stacks; ++n)
    add(text("KOT_%d", n), rng.uniform(1500, 10500), rng.uniform(1500, 10500), 1, 0, "CON",
        text("%.2f 0.1 %.0f %.1f %.0f %.2f %.1f %.2f %d 0 0", rng.uniform(0.3, 3),
             rng.uniform(20, 90), rng.uniform(1, 15), rng.uniform(60, 180), rng.uniform(0.5, 2.5),
             rng.uniform(5, 15), rng.uniform(0.6, 1.0), n % 2 ? 16 : 24));
  for (int n = 1; n <= size.areas; ++n) {
    // Every other area has no exit data and carries its rise in the temperature field.
    const bool own_rise = n % 2 == 0;
    add(text("PL_%d", n), rng.uniform(1500, 10500), rng.uniform(1500, 10500), 2, 0, "DAY",
        text("%.2f 0.0 %.0f 0.0 %.1f %.1f %.1f 0.8 12 %.0f 0", rng.uniform(0.2, 0.8),
             rng.uniform(1, 5), rng.uniform(0, 35), own_rise ? rng.uniform(0.5, 1) : 0.0,
             own_rise ? rng.uniform(1, 2) : 0.0, rng.uniform(50, 200)));
  }
  for (int n = 1; n <= size.lines; ++n) {
    const double x1 = rng.uniform(1500, 10500), y1 = rng.uniform(1500, 10500);
    const double heading = rng.uniform(0, 2 * kPi), length = rng.uniform(800, 3000);
    const double x2 = std::clamp(x1 + length * std::sin(heading), 1200.0, 10800.0);
    const double y2 = std::clamp(y1 + length * std::cos(heading), 1200.0, 10800.0);
    add(text("SILNICE_%d", n), x1, y1, 3, 0, "DAY",
        text("%.3f 0.02 0.5 %.1f %.1f 12.0 2.0 1.0 18 0 0", rng.uniform(0.05, 0.2),
             kXll + spread * x2, kYll + spread * y2));
  }
  write_file(dir / "sources.txt", definition);
  write_file(dir / "sources_desc.txt", description);
}

double prevailing_weight(double angle, double prevailing) {
  const auto off = [](double a) { return std::fmod(a + 540.0, 360.0) - 180.0; };
  return 1.0 + 1.6 * std::exp(-std::pow(off(angle - prevailing), 2) / (2 * 40.0 * 40.0)) +
         0.6 * std::exp(-std::pow(off(angle - prevailing + 180), 2) / (2 * 50.0 * 50.0));
}

void write_rose(const fs::path& path, double prevailing, FixedRandom& rng, int directions = 36) {
  constexpr std::array<double, 11> kClassShare{0.03, 0.05, 0.06, 0.08, 0.12, 0.05,
                                               0.14, 0.22, 0.09, 0.10, 0.06};
  std::vector<double> weight(static_cast<std::size_t>(directions));
  double total = 0;
  for (int k = 0; k < directions; ++k) {
    weight[k] = prevailing_weight(k * 360.0 / directions, prevailing) * rng.uniform(0.85, 1.15);
    total += weight[k];
  }
  std::vector<std::string> lines{"! wind rose, percent per direction, then the calm",
                                 std::to_string(directions)};
  for (double share : kClassShare) {
    std::string line;
    for (double w : weight) line += text("%.4f ", share * 100.0 * 0.92 * w / total);
    lines.push_back(line + text("%.4f", 0.08 * share * 100.0));
  }
  write_file(path, lines);
}

// Calendar of the year 2026, hour by hour.
struct Hour {
  int month, day, hour;
};

std::vector<Hour> calendar(int hours) {
  constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::vector<Hour> out;
  for (int t = 0; t < hours; ++t) {
    int day_of_year = (t / 24) % 365, month = 0;
    while (day_of_year >= kDays[month]) day_of_year -= kDays[month++];
    out.push_back({month + 1, day_of_year + 1, t % 24});
  }
  return out;
}

void write_met_series(const fs::path& path, const std::vector<Hour>& hours, double prevailing,
                      FixedRandom& rng) {
  std::vector<std::string> lines{
      "! year month day hour wind_dir wind_speed temp_gradient zi dir_i speed_i gradient_i"};
  for (std::size_t t = 0; t < hours.size(); ++t) {
    const Hour& h = hours[t];
    const bool night = h.hour < 6 || h.hour > 19;
    const double dir =
        std::fmod(prevailing + 60 * std::sin(t / 17.0) + rng.uniform(-25, 25) + 720.0, 360.0);
    const double speed = std::max(0.5, 3.5 + 2.5 * std::sin(t / 29.0) + rng.uniform(-1.5, 1.5));
    const double gradient = (night ? 0.8 : -1.2) + rng.uniform(-1.0, 1.0);
    const long zi = (night && rng.uniform(0, 1) < 0.3) ? std::lround(rng.uniform(420, 670)) : -9999;
    lines.push_back(text("2026 %d %d %d %.1f %.2f %.2f %ld %.1f %.2f %.2f", h.month, h.day, h.hour,
                         dir, speed, gradient, zi, std::fmod(dir + 20, 360.0), speed * 1.4,
                         gradient + 0.5));
  }
  write_file(path, lines);
}

void write_profiles(const fs::path& dir, const std::vector<Hour>& hours) {
  std::vector<std::string> day{"! year month day hour factor"},
      steady{"! year month day hour factor"};
  for (std::size_t t = 0; t < hours.size(); ++t) {
    const Hour& h = hours[t];
    day.push_back(text("2026 %d %d %d %.2f", h.month, h.day, h.hour,
                       h.hour >= 6 && h.hour <= 21 ? 1.0 : 0.2));
    steady.push_back(
        text("2026 %d %d %d %.3f", h.month, h.day, h.hour, 0.9 + 0.1 * std::sin(t / 12.0)));
  }
  write_file(dir / "emis_DAY.txt", day);
  write_file(dir / "emis_CON.txt", steady);
}

void write_climate(const fs::path& path) {
  std::vector<std::string> lines{"Klimaticka data chladicich vezi"};
  auto matrix = [&lines](const std::string& label, auto value) {
    lines.push_back(label);
    for (int j = 0; j < 10; ++j) {
      std::string line;
      for (int i = 0; i < 7; ++i) line += text("%s%.5g", i ? " " : "", value(i, j));
      lines.push_back(line);
    }
  };
  constexpr std::array<double, 7> kHumid{0.08, 0.12, 0.18, 0.2, 0.17, 0.15, 0.1};
  constexpr std::array<double, 10> kTemp{0.02, 0.05, 0.1, 0.13, 0.15, 0.16, 0.16, 0.13, 0.07, 0.03};
  for (int s = 1; s <= 5; ++s)
    matrix(text("grt_%d", s), [&](int i, int j) { return kHumid[i] * kTemp[j]; });
  matrix("frt", [](int i, int j) { return 0.6 + 0.03 * i - 0.01 * j; });
  for (int c = 0; c < 3; ++c)
    matrix(text("vch1_%d", c + 1), [c](int, int j) { return 9000.0 + 800 * c - 120 * j; });
  for (int c = 0; c < 3; ++c)
    matrix(text("tch1_%d", c + 1), [](int i, int j) { return 18 + 1.6 * j + 0.3 * i; });
  write_file(path, lines);
}

fs::path prepare(const fs::path& dir, const fs::path& param_nml) {
  fs::create_directories(dir / "input");
  fs::create_directories(dir / "output");
  fs::copy_file(param_nml, dir / "param.nml", fs::copy_options::overwrite_existing);
  return dir / "input";
}

const std::vector<std::string> kConfigHead{
    "&init", "  iputdir = 'input/', oputdir = 'output/'",
    "  vyskopis_file = 'terrain.asc', ref_body_file = 'receptors.txt'",
    "  zdroje_file = 'sources.txt', zdroje_popis_file = 'sources_desc.txt'",
    "  trida_lat = 2, is_shluky = .true., is_no = .true."};

}  // namespace

void write_statistical_case(const fs::path& dir, const CaseSize& size, const fs::path& param_nml) {
  const fs::path input = prepare(dir, param_nml);
  FixedRandom rng(20260101);
  write_terrain(input / "terrain.asc", rng);
  write_receptors(input / "receptors.txt", size.receptors_x, size.receptors_y);
  write_sources(input, size, rng);
  write_rose(input / "rose_S01.txt", 250.0, rng);
  write_rose(input / "rose_S02.txt", 220.0, rng);
  write_climate(input / "climate.txt");
  std::vector<std::string> config = kConfigHead;
  config.insert(config.end(),
                {"  ruzice_file = 'rose.txt', chl_v_file = 'climate.txt'",
                 "  shortterm_avg = 60, phi_step = 1.0",
                 "  is_average = .true., is_max_abs = .true., is_max_11 = .true.",
                 "  is_exceed = .true., ch_exceed = 5.0, 10.0, 25.0",
                 "  is_daily = .true., daily_type = 'PM10', cd_exceed = 2.0, 5.0, 10.0",
                 "  output_stats = 'stats.csv'", "/"});
  write_file(dir / kRunConfig, config);
}

void write_hourly_case(const fs::path& dir, const CaseSize& size, const fs::path& param_nml) {
  const fs::path input = prepare(dir, param_nml);
  FixedRandom rng(20260202);
  write_terrain(input / "terrain.asc", rng);
  write_receptors(input / "receptors.txt", size.receptors_x, size.receptors_y);
  write_sources(input, size, rng);
  const std::vector<Hour> hours = calendar(size.hours);
  write_met_series(input / "met_S01.txt", hours, 250.0, rng);
  write_met_series(input / "met_S02.txt", hours, 220.0, rng);
  write_profiles(input, hours);
  if (size.cooling_towers > 0) write_climate(input / "climate.txt");
  // A few points with hourly output keep the result files small.
  write_file(input / "output_points.txt",
             {"R000_000", text("R%03d_%03d", size.receptors_y / 2, size.receptors_x / 2)});
  std::vector<std::string> config = kConfigHead;
  if (size.cooling_towers > 0) config.push_back("  chl_v_file = 'climate.txt'");
  config.insert(config.end(),
                {"  time_file = 'met.txt', emis_time_file = 'emis.txt'",
                 "  is_time = .true., is_tep_gr = .true., inverze = .true., u_height = 10.0",
                 "  time_output_all = .false., output_ref_p = 'output_points.txt'",
                 "  output_time = 'hourly.csv'", "/"});
  write_file(dir / kRunConfig, config);
}

void write_scale_case(const fs::path& dir, const CaseSize& size, int points, int listed, int cells,
                      const fs::path& param_nml) {
  constexpr double kCellSize = 5.0;
  const fs::path input = prepare(dir, param_nml);
  write_large_terrain(input / "terrain.asc", cells, kCellSize, 20260303);
  FixedRandom rng(20260404);
  write_scattered_receptors(input / "receptors.txt", points, cells * kCellSize, rng);
  write_output_points(input / "output_points.txt", points, listed, rng);
  write_sources(input, size, rng, cells * kCellSize / (kCells * kCell));
  const std::vector<Hour> hours = calendar(size.hours);
  write_met_series(input / "met_S01.txt", hours, 250.0, rng);
  write_met_series(input / "met_S02.txt", hours, 220.0, rng);
  write_profiles(input, hours);
  std::vector<std::string> config = kConfigHead;
  config.insert(config.end(),
                {"  time_file = 'met.txt', emis_time_file = 'emis.txt'",
                 "  is_time = .true., is_tep_gr = .true., u_height = 10.0, infl_dist_max = 3000",
                 "  time_output_all = .false., output_ref_p = 'output_points.txt'",
                 "  output_time = 'hourly.csv'", "/"});
  write_file(dir / kRunConfig, config);
}

void write_peer_case(const fs::path& dir, const fs::path& param_nml) {
  constexpr int kLattice = 41, kTerrainCells = 120;  // points; 50 m cells, 6 km square
  constexpr double kStep = 100.0, kMargin = 1000.0;
  const double middle = kMargin + kStep * (kLattice - 1) / 2;
  const fs::path input = prepare(dir, param_nml);
  FixedRandom rng(20260808);

  std::vector<std::string> terrain{text("ncols %d", kTerrainCells), text("nrows %d", kTerrainCells),
                                   text("xllcorner %.1f", kXll),    text("yllcorner %.1f", kYll),
                                   text("cellsize %.1f", kCell),    "NODATA_value -9999"};
  const std::string flat_row = [&] {
    std::string row = "300";
    for (int col = 1; col < kTerrainCells; ++col) row += " 300";
    return row;
  }();
  terrain.insert(terrain.end(), kTerrainCells, flat_row);
  write_file(input / "terrain.asc", terrain);

  std::vector<std::string> points{"! id  x  y  z  height above terrain [m]"};
  for (int j = 0; j < kLattice; ++j)
    for (int i = 0; i < kLattice; ++i)
      points.push_back(text("R%03d_%03d %.1f %.1f 0 1.5", j, i, kXll + kMargin + i * kStep,
                            kYll + kMargin + j * kStep));
  write_file(input / "receptors.txt", points);
  write_file(input / "output_points.txt",
             {"R020_020", "R000_000", "R040_040", "R010_030", "R030_010"});

  std::vector<std::string> definition{"! id  x  y  z  type  cluster  aux  series  profile"};
  std::vector<std::string> description{
      "! id  m  m_no  h  v  t  d  w  time_use  daily_hours  length  cooling_tower"};
  for (int n = 0; n < 10; ++n) {
    const double radius = 1000.0 * std::sqrt(rng.uniform(0, 1)), angle = rng.uniform(0, 2 * kPi);
    definition.push_back(text("KOMIN_%d %.1f %.1f 0 1 0 0 S01 CON", n + 1,
                              kXll + middle + radius * std::sin(angle),
                              kYll + middle + radius * std::cos(angle)));
    description.push_back(text("KOMIN_%d %.2f 0.1 %.0f %.1f %.0f %.2f %.1f 1.0 24 0 0", n + 1,
                               rng.uniform(0.5, 5), 20.0 + 80.0 * n / 9, rng.uniform(2, 20),
                               rng.uniform(60, 180), rng.uniform(0.5, 2.5), rng.uniform(5, 15)));
  }
  write_file(input / "sources.txt", definition);
  write_file(input / "sources_desc.txt", description);

  const std::vector<Hour> hours = calendar(8760);
  write_met_series(input / "met_S01.txt", hours, 250.0, rng);
  write_profiles(input, hours);
  std::vector<std::string> config = kConfigHead;
  config.insert(config.end(), {"  time_file = 'met.txt', emis_time_file = 'emis.txt'",
                               "  is_time = .true., is_tep_gr = .true., u_height = 10.0",
                               "  time_output_all = .false., output_ref_p = 'output_points.txt'",
                               "  output_time = 'hourly.csv'", "/"});
  write_file(dir / kRunConfig, config);
}

fs::path write_terrain_case(const fs::path& dir, int cells, const fs::path& param_nml) {
  constexpr double kCellSize = 5.0;
  const fs::path input = prepare(dir, param_nml);
  const fs::path grid = input / "terrain.asc";
  write_large_terrain(grid, cells, kCellSize, 20260505);
  // The point in the top row and the source in the bottom row: every row of the grid is
  // read and converted, so the time measures the reading of the whole file.
  const double middle = cells * kCellSize / 2, top = cells * kCellSize - kCellSize / 2;
  write_file(input / "receptors.txt", {"! id  x  y  z  height above terrain [m]",
                                       text("SEVER %.1f %.1f 0 1.5", kXll + middle, kYll + top)});
  write_file(input / "sources.txt",
             {text("KOMIN %.1f %.1f 0 1 0 0 S01 CON", kXll + middle, kYll + kCellSize / 2)});
  write_file(input / "sources_desc.txt", {"KOMIN 5.0 1.0 80 20.0 150 2.0 10.0 1.0 24 0 0"});
  FixedRandom rng(20260606);
  write_rose(input / "rose_S01.txt", 250.0, rng, 4);
  std::vector<std::string> config = kConfigHead;
  config.insert(config.end(), {"  ruzice_file = 'rose.txt', is_average = .true.",
                               "  output_stats = 'stats.csv'", "/"});
  write_file(dir / kRunConfig, config);
  return grid;
}

}  // namespace kadre::bench

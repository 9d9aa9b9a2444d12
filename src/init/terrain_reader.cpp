#include "init/terrain_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/errors.h"
#include "core/text.h"
#include "init/data_file.h"
#include "init/diagnostics.h"
#include "init/free_format_reader.h"

namespace kadre {

namespace {

using R = FreeFormatReader;

constexpr std::size_t kKeywordLength = 50;
constexpr double kMaxPathSteps = 1e8;

// Header errors carry line number 0: the header is not counted among the data rows.
void read_header(R& reader, const std::string& path, TerrainGrid& grid) {
  if (!reader.is_open()) raise_error(error_reading(path, 0, ReadStatus::bad_value));
  std::string keyword;
  const R::Item value_items[] = {R::integer(grid.ncols),  R::integer(grid.nrows),
                                 R::real(grid.xllcorner), R::real(grid.yllcorner),
                                 R::real(grid.cellsize),  R::real(grid.nodata_value)};
  for (const R::Item& value : value_items) {
    const ReadStatus status = reader.read({R::text(keyword, kKeywordLength), value});
    if (status != ReadStatus::ok) raise_error(error_reading(path, 0, status));
  }
}

struct Window {
  int c1, c2;  // columns, from the west edge of the file's grid
  int r1, r2;  // rows, from the top (northernmost) row of the file
};

// Window of cells holding every position; false when there are no positions at all.
bool covering_window(const TerrainGrid& grid, const std::vector<RefPoint>& ref_points,
                     const std::vector<Source>& sources, Window& window) {
  if (ref_points.empty() && sources.empty()) return false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  bool first = true;
  auto include = [&](double x, double y) {
    if (first) {
      xmin = xmax = x;
      ymin = ymax = y;
      first = false;
      return;
    }
    xmin = std::min(xmin, x);
    xmax = std::max(xmax, x);
    ymin = std::min(ymin, y);
    ymax = std::max(ymax, y);
  };
  for (const RefPoint& p : ref_points) include(p.x, p.y);
  for (const Source& s : sources) include(s.x, s.y);

  window.c1 = terrain_ind(xmin, grid.xllcorner, grid.cellsize);
  window.c2 = terrain_ind(xmax, grid.xllcorner, grid.cellsize);
  window.r1 = grid.nrows - terrain_ind(ymax, grid.yllcorner, grid.cellsize) + 1;
  window.r2 = grid.nrows - terrain_ind(ymin, grid.yllcorner, grid.cellsize) + 1;
  // Positions were checked against the full extent; rounding at the upper edge must still
  // not take the window outside the grid.
  checked_index("read_terrain", "z", 1, window.c1, 1, grid.ncols);
  checked_index("read_terrain", "z", 1, window.c2, 1, grid.ncols);
  checked_index("read_terrain", "z", 2, window.r1, 1, grid.nrows);
  checked_index("read_terrain", "z", 2, window.r2, 1, grid.nrows);
  return true;
}

}  // namespace

bool inside_terrain(const TerrainGrid& grid, double x, double y) {
  // Written as "strictly inside" rather than "on or beyond an edge" so that NaN fails.
  return x > grid.xllcorner && y > grid.yllcorner && x < grid.xllcorner_upper &&
         y < grid.yllcorner_upper;
}

void read_terrain_definition(const std::string& path, TerrainGrid& grid) {
  R reader = open_data_file(path, "terenem");
  read_header(reader, path, grid);
  grid.xllcorner_upper = grid.xllcorner + grid.ncols * grid.cellsize;
  grid.yllcorner_upper = grid.yllcorner + grid.nrows * grid.cellsize;
  // The numbers are finite (the reader takes no other); what they describe must exist.
  const std::string bad = "Hlavicka souboru " + rtrim(path) + " s terenem je neplatna: ";
  if (grid.ncols < 1 || grid.nrows < 1) raise_error(bad + "ncols a nrows musi byt kladne.");
  if (!(grid.cellsize > 0)) raise_error(bad + "cellsize musi byt kladna.");
  if (static_cast<double>(grid.ncols) * grid.nrows > 1e15 || !std::isfinite(grid.xllcorner_upper) ||
      !std::isfinite(grid.yllcorner_upper))
    raise_error(bad + "mrizka je prilis velka.");
}

void check_path_steps(const TerrainGrid& grid, double int_err) {
  // The longest path of the grid runs along its diagonal.
  const double diagonal = std::hypot(grid.ncols * grid.cellsize, grid.nrows * grid.cellsize);
  if (diagonal / int_err > kMaxPathSteps)
    raise_error("Hodnota parametru int_err je pro vyskopis prilis mala: cesta by mela vice nez " +
                std::to_string(static_cast<long>(kMaxPathSteps)) + " kroku.");
}

namespace {

// At most this many characters of a bad item go into a message.
constexpr std::size_t kShownItem = 40;

std::string shown(const std::string& item) {
  return item.size() <= kShownItem ? item : item.substr(0, kShownItem) + "...";
}

long long saturating_add(long long a, long long b) {
  return a > std::numeric_limits<long long>::max() - b ? std::numeric_limits<long long>::max()
                                                       : a + b;
}

// The data rows of the file, read to their end: every value must be a 16-bit whole number,
// the file must hold exactly nrows x ncols of them and, when its first row stands on one line
// (as every GIS export writes it), so must every row. The values of the window go into grid.z.
class GridValues {
 public:
  GridValues(const std::string& path, TerrainGrid& grid, const Window* window)
      : path_(path),
        grid_(grid),
        window_(window),
        ncols_(grid.ncols),
        total_(static_cast<long long>(grid.ncols) * grid.nrows) {}

  void read(FreeFormatReader& reader) {
    long line = reader.line_number();  // the file line the next search begins on
    std::vector<FreeFormatReader::Int16Run> runs;
    std::string bad;
    long data_line = 0;
    bool row_per_line = false;
    for (;;) {
      long passed = 0;
      const ReadStatus status = reader.read_int16_record(runs, passed, bad);
      if (status == ReadStatus::end_of_file) break;
      const long file_line = line + passed - 1;
      line += passed;
      ++data_line;
      long long count = 0;
      for (const FreeFormatReader::Int16Run& run : runs) {
        store(run.value, run.count);
        count = saturating_add(count, run.count);
      }
      if (status != ReadStatus::ok) bad_value(bad, file_line);
      if (data_line == 1) row_per_line = count == ncols_;
      if (row_per_line && count != ncols_)
        raise_error(error_reading(path_, data_line, ReadStatus::bad_value) + "\nRadek " +
                    std::to_string(data_line) + " mrizky (radek " + std::to_string(file_line) +
                    " souboru) obsahuje " + std::to_string(count) +
                    " hodnot, hlavicka udava ncols " + std::to_string(ncols_) + ".");
      if (values_ > total_)
        raise_error(error_reading(path_, data_line, ReadStatus::bad_value) +
                    "\nSoubor obsahuje vice hodnot nez " + size_text() + " (radek " +
                    std::to_string(file_line) + " souboru).");
    }
    if (values_ < total_)
      raise_error(error_reading(path_, 0, ReadStatus::end_of_file) + "\nSoubor obsahuje " +
                  std::to_string(values_) + " hodnot misto " + size_text() + ".");
  }

 private:
  std::string size_text() const {
    return "nrows x ncols = " + std::to_string(grid_.nrows) + " x " + std::to_string(ncols_) +
           " = " + std::to_string(total_);
  }

  [[noreturn]] void bad_value(const std::string& item, long file_line) const {
    // The row the value would fill, counted from the first data line.
    const long long row = values_ / ncols_ + 1;
    const std::string what =
        item.empty() ? "Na radku " + std::to_string(file_line) +
                           " souboru chybi hodnota (dve carky za sebou)."
                     : "Hodnota " + shown(item) + " na radku " + std::to_string(file_line) +
                           " souboru neni cele cislo od -32768 do 32767: vysky terenu jsou v "
                           "celych metrech (napr. gdal_translate -ot Int16).";
    raise_error(error_reading(path_, static_cast<long>(row), ReadStatus::bad_value) + "\n" + what);
  }

  // The next `count` values of the file are `value`.
  void store(std::int16_t value, long long count) {
    if (count == 1 && values_ < total_) {  // the usual case, without a division
      if (window_ != nullptr && row_ >= window_->r1 - 1 && row_ <= window_->r2 - 1 &&
          col_ >= window_->c1 - 1 && col_ <= window_->c2 - 1)
        cell(row_, col_) = value;
      ++values_;
      if (++col_ == ncols_) {
        col_ = 0;
        ++row_;
      }
      return;
    }
    const long long first = values_;
    values_ = saturating_add(values_, count);
    const long long end = std::min(values_, total_);
    if (window_ != nullptr && first < end) {
      const long long row_end = (end - 1) / ncols_;
      for (long long r = std::max(first / ncols_, static_cast<long long>(window_->r1 - 1));
           r <= std::min(row_end, static_cast<long long>(window_->r2 - 1)); ++r) {
        const long long row_start = r * ncols_;
        const long long a = std::max(first, row_start + window_->c1 - 1);
        const long long b = std::min(end, row_start + window_->c2);
        for (long long v = a; v < b; ++v) cell(r, v - row_start) = value;
      }
    }
    row_ = values_ / ncols_;
    col_ = values_ % ncols_;
  }

  // The window cell of file row r and column c (both from 0).
  std::int16_t& cell(long long r, long long c) {
    const std::size_t j = static_cast<std::size_t>(window_->r2 - 1 - r);  // from the south
    return grid_.z[j * static_cast<std::size_t>(grid_.nx) +
                   static_cast<std::size_t>(c - (window_->c1 - 1))];
  }

  const std::string& path_;
  TerrainGrid& grid_;
  const Window* window_;
  long long ncols_, total_;
  long long values_ = 0;         // values of the file read so far
  long long row_ = 0, col_ = 0;  // where the next value goes, both from 0
};

}  // namespace

void read_terrain(const std::string& path, TerrainGrid& grid,
                  const std::vector<RefPoint>& ref_points, const std::vector<Source>& sources) {
  R reader(path);
  read_header(reader, path, grid);
  grid.nx = 0;
  grid.ny = 0;
  grid.z.clear();

  Window w{};
  const bool covered = covering_window(grid, ref_points, sources, w);
  if (covered) {
    grid.nx = w.c2 - w.c1 + 1;
    grid.ny = w.r2 - w.r1 + 1;
    grid.z.assign(static_cast<std::size_t>(grid.nx) * grid.ny, 0);
  }
  // Every value is read, those outside the window too: a short row anywhere would shift the
  // rows after it, and a grid that is not one must not pass for one.
  GridValues(path, grid, covered ? &w : nullptr).read(reader);

  if (!covered) {
    // Nothing to cover: the grid keeps its full extent.
    grid.xllcorner_upper = grid.xllcorner + grid.ncols * grid.cellsize;
    grid.yllcorner_upper = grid.yllcorner + grid.nrows * grid.cellsize;
    return;
  }
  const double xll = grid.xllcorner;
  const double yll = grid.yllcorner;
  grid.xllcorner_upper = xll + w.c2 * grid.cellsize;
  grid.yllcorner_upper = yll + (grid.nrows - w.r1 + 1) * grid.cellsize;
  grid.xllcorner = xll + (w.c1 - 1) * grid.cellsize;
  grid.yllcorner = yll + (grid.nrows - w.r2) * grid.cellsize;
  grid.first_file_column = w.c1;
  grid.south_file_row = w.r2;
}

bool is_nodata(const TerrainGrid& grid, int ix, int iy) {
  return static_cast<double>(grid.at(ix, iy, "nodata")) == grid.nodata_value;
}

bool window_has_nodata(const TerrainGrid& grid) {
  for (const std::int16_t v : grid.z)
    if (static_cast<double>(v) == grid.nodata_value) return true;
  return false;
}

void nodata_used(const std::string& path, const TerrainGrid& grid, int ix, int iy,
                 const std::string& user) {
  const long column = grid.first_file_column - 1 + ix;
  const long row = grid.south_file_row - iy + 1;
  raise_error("Bunka vyskopisu (sloupec " + std::to_string(column) + ", radek " +
              std::to_string(row) + " souboru " + rtrim(path) +
              "; stred x = " + format_f0(grid.xllcorner + (ix - 0.5) * grid.cellsize, 2) +
              ", y = " + format_f0(grid.yllcorner + (iy - 0.5) * grid.cellsize, 2) +
              ") ma hodnotu chybejicich dat " + format_f0(grid.nodata_value, 0) + " a lezi " +
              user +
              ".\nDoplnte jeji vysku, nebo pouzijte vyskopis, ktery pokryva vsechny body, "
              "zdroje a cesty mezi nimi.");
}

void check_nodata_under(const std::string& path, const TerrainGrid& grid,
                        const std::vector<RefPoint>& ref_points,
                        const std::vector<Source>& sources) {
  if (!window_has_nodata(grid)) return;
  const auto check = [&](double x, double y, const std::string& user) {
    const int ix = terrain_ind(x, grid.xllcorner, grid.cellsize);
    const int iy = terrain_ind(y, grid.yllcorner, grid.cellsize);
    if (is_nodata(grid, ix, iy)) nodata_used(path, grid, ix, iy, user);
  };
  for (const RefPoint& p : ref_points) check(p.x, p.y, "pod referencnim bodem " + p.id);
  for (const Source& s : sources) check(s.x, s.y, "pod zdrojem " + s.id);
}

void dopln_z(const TerrainGrid& grid, std::vector<RefPoint>& ref_points,
             std::vector<Source>& sources) {
  auto elevation = [&grid](double x, double y) {
    const int ix = terrain_ind(x, grid.xllcorner, grid.cellsize);
    const int iy = terrain_ind(y, grid.yllcorner, grid.cellsize);
    return static_cast<double>(grid.at(ix, iy, "dopln_z"));
  };
  for (RefPoint& p : ref_points) p.z = elevation(p.x, p.y);
  for (Source& s : sources) s.z = elevation(s.x, s.y);
}

}  // namespace kadre

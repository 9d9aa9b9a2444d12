#include "init/terrain_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

void read_terrain(const std::string& path, TerrainGrid& grid,
                  const std::vector<RefPoint>& ref_points, const std::vector<Source>& sources) {
  R reader(path);
  read_header(reader, path, grid);
  grid.nx = 0;
  grid.ny = 0;
  grid.z.clear();

  Window w{};
  if (!covering_window(grid, ref_points, sources, w)) {
    // Nothing to cover: the grid keeps its full extent.
    grid.xllcorner_upper = grid.xllcorner + grid.ncols * grid.cellsize;
    grid.yllcorner_upper = grid.yllcorner + grid.nrows * grid.cellsize;
    return;
  }

  grid.nx = w.c2 - w.c1 + 1;
  grid.ny = w.r2 - w.r1 + 1;
  grid.z.assign(static_cast<std::size_t>(grid.nx) * grid.ny, 0);

  for (int k = 1; k < w.r1; ++k)
    if (!reader.skip_record()) raise_error(error_reading(path, k, ReadStatus::end_of_file));

  // The row keeps the window's columns and grows with the values the file holds, not with
  // what the header claims; the columns east of the window are checked, not kept.
  std::vector<std::int16_t> row;
  for (int r = w.r1; r <= w.r2; ++r) {
    const ReadStatus status = reader.read_int16_row(row, static_cast<std::size_t>(grid.ncols),
                                                    static_cast<std::size_t>(w.c2));
    if (status != ReadStatus::ok) raise_error(error_reading(path, r, status));
    if (row.size() < static_cast<std::size_t>(w.c2))
      row.resize(static_cast<std::size_t>(w.c2), 0);  // "/" ended it early
    // The first row read is the northernmost of the window, so it goes to the top.
    const std::size_t j = static_cast<std::size_t>(w.r2 - r);
    std::copy(row.begin() + (w.c1 - 1), row.begin() + w.c2,
              grid.z.begin() + static_cast<std::ptrdiff_t>(j * grid.nx));
  }

  const double xll = grid.xllcorner;
  const double yll = grid.yllcorner;
  grid.xllcorner_upper = xll + w.c2 * grid.cellsize;
  grid.yllcorner_upper = yll + (grid.nrows - w.r1 + 1) * grid.cellsize;
  grid.xllcorner = xll + (w.c1 - 1) * grid.cellsize;
  grid.yllcorner = yll + (grid.nrows - w.r2) * grid.cellsize;
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

#pragma once
// The terrain grid file: a six-line header (keyword and value per line: ncols, nrows,
// xllcorner, yllcorner, cellsize, nodata_value) followed by nrows rows of 16-bit
// elevations, northernmost row first, west to east.
#include <string>
#include <vector>

#include "core/records.h"

namespace kadre {

// True when (x, y) lies strictly inside the current extent of the grid; a point on an
// edge is outside, and so is a position that is not a number.
bool inside_terrain(const TerrainGrid& grid, double x, double y);

// Reads the header only and sets the full extent (the upper edges included). Runs before
// the reference points and sources are read, so that their positions can be checked.
// Stops with the missing-file message ("terenem"), a read error at line 0, or when the
// header describes no grid (no columns or rows, a cell size not positive, too large).
void read_terrain_definition(const std::string& path, TerrainGrid& grid);

// Stops when int_err is so small that a path across the grid needs more than 10^8 steps.
void check_path_steps(const TerrainGrid& grid, double int_err);

// Reads the header again and loads the window of the grid that covers every reference
// point and every source (a line source by its midpoint), then moves the origin and the
// upper edges to the window. Every value of the file is read and must be a 16-bit whole
// number; the file must hold exactly nrows x ncols of them, and when its first data line
// holds one row, every line must. Only the window is kept. With no reference points and no
// sources at all there is nothing to cover: no window is loaded (nx = ny = 0) and the grid
// keeps the full extent. A fault stops the run with a read error naming the data row
// (counted from the first data line) and a line that says what is wrong.
void read_terrain(const std::string& path, TerrainGrid& grid,
                  const std::vector<RefPoint>& ref_points, const std::vector<Source>& sources);

// Whether window cell (ix, iy) holds the header's no-data value.
bool is_nodata(const TerrainGrid& grid, int ix, int iy);
// Whether any cell of the window does.
bool window_has_nodata(const TerrainGrid& grid);
// Stops because the run uses window cell (ix, iy), which holds no data; user says where
// ("pod referencnim bodem P1"). The message names the file, the cell's file column and row
// and its centre.
[[noreturn]] void nodata_used(const std::string& path, const TerrainGrid& grid, int ix, int iy,
                              const std::string& user);
// Stops when a reference point or a source stands on a cell without data.
void check_nodata_under(const std::string& path, const TerrainGrid& grid,
                        const std::vector<RefPoint>& ref_points,
                        const std::vector<Source>& sources);

// Replaces the elevation of every reference point and every source by the elevation of
// the window cell that holds it.
void dopln_z(const TerrainGrid& grid, std::vector<RefPoint>& ref_points,
             std::vector<Source>& sources);

}  // namespace kadre

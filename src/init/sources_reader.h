#pragma once
// The two source files read together: the definition file (id, x, y, elevation, type,
// cluster, aux, series name and, with is_time, profile name) and the description file
// (one line per source in the same order: id, m, m_no, h, v|x2, t|y2, d|width,
// w|vert_ext, time_use, daily_hours, length, cooling-tower flag). Both may start with a
// "!" comment header.
#include <ostream>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/settings.h"

namespace kadre {

// Largest number of distinct series names and of distinct profile names.
inline constexpr std::size_t kMaxNames = 1000;

// Reads the sources, registers the series names (and, with is_time, the profile names) in
// order of first use and, with is_exceed, orders the sources by sort_sources. The flue-gas flow
// of area and line sources is kept as read (a line's item 5): the model derives the heat output
// from it, then sets it to 0 (model/heat_output.h). A source stands on one line of each file,
// its type is 1, 2 or 3, and it must lie strictly inside the full extent of the terrain grid (a
// line source by its midpoint). Stops with the message of the first fault found; warns of items
// left on a line.
void read_sources(const std::string& path_definition, const std::string& path_description,
                  const Settings& cfg, const TerrainGrid& grid, std::vector<Source>& sources,
                  std::vector<std::string>& met_name, std::vector<std::string>& time_prof_name,
                  std::ostream& out);

// Orders the sources by descending time_use; equal keys keep their order.
void sort_sources(std::vector<Source>& sources);

}  // namespace kadre

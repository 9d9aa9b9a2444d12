#pragma once
// The reference point file (optional "!" comment header, then per line: id, x, y,
// elevation, height above the terrain) and the output reference point file (one
// identifier per line, no comment header).
#include <ostream>
#include <string>
#include <vector>

#include "core/records.h"

namespace kadre {

// Reads every reference point, each with hourly output wanted, a point per line. A point must
// lie strictly inside the full extent of the terrain grid; the elevation read is kept until
// dopln_z replaces it. Stops with the missing-file message ("referencnimi body"), a read error
// naming the data line, or "Referencni bod <id> lezi mimo oblast vyskopisu.". Warns on out of
// items left on a line and of identifiers that several points share.
std::vector<RefPoint> read_ref_points(const std::string& path, const TerrainGrid& grid,
                                      std::ostream& out);

// Restricts the hourly output to the points whose identifiers the file lists (the first
// item of every line; blank lines are passed over). Of two points with one identifier
// only the first can be flagged. Stops on an identifier that names no point.
void read_output_ref_p(const std::string& path, std::vector<RefPoint>& ref_points);

}  // namespace kadre

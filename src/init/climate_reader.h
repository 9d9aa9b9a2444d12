#pragma once
// Climate tables of the cooling-tower plume rise.
#include <ostream>
#include <string>

#include "core/records.h"

namespace kadre {

// Reads a title line, then twelve label lines each followed by a 7 x 10 matrix (humidity
// class fastest): grt for stability classes 1..5, frt, vch1 and tch1 for wind classes
// 1..3. Anything after the twelfth matrix is ignored. A failed matrix is reported with its
// number 1..12 as the line of the read error; a missing title or label line with the end
// of file message. Values left on the last line of a matrix are warned of on out.
ClimateTables read_climate_tables(const std::string& path, std::ostream& out);

}  // namespace kadre

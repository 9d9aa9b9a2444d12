#pragma once
// Source groups: one group per record, its name followed by the identifiers of its sources.
#include <string>
#include <vector>

#include "core/records.h"

namespace kadre {

// Reads the groups of the sources table. A name is at most 20 letters, digits, "_" and "-"
// and is given once; every identifier must name a source (all sources of that identifier
// belong to the group) and a group must hold a source. Records starting with "!" are
// comments; a slash outside quotes is no end of a record but an error. Stops with a message
// naming the group and the line otherwise.
std::vector<SourceGroup> read_groups(const std::string& path, const std::vector<Source>& sources);

}  // namespace kadre

#include "core/result_tables.h"

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

namespace {

// Row (from 0) of a name of the stats table; a missing name is a fault of this file.
int stat_row(const char* name) {
  const int pos = locate_string(stats(), name);
  if (pos < 1)
    stop_with_lines({std::string("stat_row: ukazatel ") + name + " neni v tabulce stats"});
  return pos - 1;
}

}  // namespace

const std::vector<std::string>& stats() {
  static const std::vector<std::string> names{
      "ave",       "Ch_max",   "Ch_class_max", "Ch_w_sp_max", "Ch_w_dir_max", "Ch_I_1.7",
      "Ch_II_1.7", "Ch_II_5",  "Ch_III_1.7",   "Ch_III_5",    "Ch_III_11",    "Ch_IV_1.7",
      "Ch_IV_5",   "Ch_IV_11", "Ch_V_1.7",     "Ch_V_5",      "Th1",          "Th2",
      "Th3",       "Cd_max",   "Cd_class_max", "Cd_w_sp_max", "Cd_w_dir_max", "Cd_I_1.7",
      "Cd_II_1.7", "Cd_II_5",  "Cd_III_1.7",   "Cd_III_5",    "Cd_III_11",    "Cd_IV_1.7",
      "Cd_IV_5",   "Cd_IV_11", "Cd_V_1.7",     "Cd_V_5",      "Td1",          "Td2",
      "Td3"};
  return names;
}

const StatRows& stat_rows() {
  static const StatRows rows{stat_row("ave"), stat_row("Ch_max"), stat_row("Ch_I_1.7"),
                             stat_row("Th1"), stat_row("Cd_max"), stat_row("Cd_I_1.7"),
                             stat_row("Td1")};
  return rows;
}

}  // namespace kadre

#include "core/records.h"

#include <cmath>

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

std::int16_t TerrainGrid::at(int ix, int iy, const char* operation) const {
  checked_index(operation, "z", 1, ix, 1, nx);
  checked_index(operation, "z", 2, iy, 1, ny);
  return z[static_cast<std::size_t>(iy - 1) * nx + (ix - 1)];
}

std::vector<std::string> unknown_source_type_lines(int type) {
  return {"_get_sgm0: nedovolena hodnota typu zdroje",
          "              parametr \"typ_zdroje\" muze nabyvat hodnot 1, 2, 3",
          "              zadana hodnota \"class\": " + free_form_int(type)};
}

int terrain_ind(double c, double c0, double cellsize) {
  return static_cast<int>(std::fabs(c - c0) / cellsize) + 1;
}

const double* WindRoses::slice(int k, const char* operation) const {
  checked_index(operation, "ruzice", 3, k, 1, met_num());
  return values.data() + static_cast<std::size_t>(k - 1) * 11 * nphi;
}

}  // namespace kadre

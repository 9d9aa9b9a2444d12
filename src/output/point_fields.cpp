#include "output/point_fields.h"

#include "core/text.h"
#include "output/number_format.h"

namespace kadre {

std::string result_delimiter(const std::string& delim_out) { return rtrim(delim_out); }

std::string point_header(const std::string& d) {
  return "ID" + d + "x[m]" + d + "y[m]" + d + "z[m]" + d + "l[m]";
}

void append_point_fields(std::string& line, const RefPoint& point, const std::string& d) {
  line += fixed_text(point.id, 20);
  line += d;
  for (const double v : {point.x, point.y, point.z, point.height_above_ground_m}) {
    append_fixed(line, v, 2);
    line += d;
  }
}

}  // namespace kadre

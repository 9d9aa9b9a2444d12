#include "output/number_format.h"

#include <cmath>
#include <cstdio>

namespace kadre {

std::string format_es11_5(double value) {
  constexpr int kWidth = 11;
  char buf[64];
  if (std::isnan(value)) {
    std::snprintf(buf, sizeof buf, "%*s", kWidth, "NaN");
    return buf;
  }
  if (std::isinf(value)) {
    std::snprintf(buf, sizeof buf, "%*s", kWidth, value > 0 ? "Infinity" : "-Infinity");
    return buf;
  }
  // d.ddddd, "E", the exponent's sign and its two or three digits: 11 characters, one more
  // for a minus sign and one more for a third exponent digit, so that no number is lost.
  std::snprintf(buf, sizeof buf, "%.5E", value);
  return buf;
}

std::string format_f15_2(float value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%15.2f", static_cast<double>(value));
  std::string s = buf;
  if (s.size() > 15) return std::string(15, '*');
  return s;
}

}  // namespace kadre

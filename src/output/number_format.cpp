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
  std::snprintf(buf, sizeof buf, "%.5E", value);
  std::string s = buf;  // e.g. 1.23456E+02, -1.00000E-120
  const auto e = s.find('E');
  std::string mantissa = s.substr(0, e);
  const char sign = s[e + 1];
  std::string digits = s.substr(e + 2);
  while (digits.size() > 2 && digits[0] == '0') digits.erase(0, 1);
  const std::string out = mantissa + "E" + sign + digits;
  // A three-digit exponent keeps its letter, so that every reader of numbers takes it, and a
  // minus sign is kept too: each widens the field by one character, so that no number is lost.
  const int width = kWidth + (digits.size() > 2 ? 1 : 0) + (mantissa[0] == '-' ? 1 : 0);
  if (static_cast<int>(out.size()) > width) return std::string(width, '*');
  return std::string(width - out.size(), ' ') + out;
}

std::string format_f15_2(float value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%15.2f", static_cast<double>(value));
  std::string s = buf;
  if (s.size() > 15) return std::string(15, '*');
  return s;
}

}  // namespace kadre

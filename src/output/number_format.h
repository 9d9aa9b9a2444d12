#pragma once
// The number and text forms of console lines and result files.
#include <string>
#include <string_view>

namespace kadre {

// Scientific form ES11.5: d.ddddd, "E", exponent sign and two digits in 11 characters; a minus
// sign and an exponent of three digits each make the field one character wider. NaN and the
// infinities are written as words right-aligned in 11 characters.
std::string format_es11_5(double value);
// Fixed point F15.2 of a single-precision value (elapsed time line).
std::string format_f15_2(float value);

}  // namespace kadre

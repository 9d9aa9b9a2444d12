#pragma once
// The number and text forms of console lines and result files.
#include <string>
#include <string_view>

namespace kadre {

// Scientific form ES11.5: d.ddddd, exponent sign and two digits (three digits replace the
// letter E), right-aligned in 11 characters; values needing more room become 11 asterisks.
std::string format_es11_5(double value);
// Fixed point F15.2 of a single-precision value (elapsed time line).
std::string format_f15_2(float value);

}  // namespace kadre

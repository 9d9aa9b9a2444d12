#pragma once
// The number and text forms of console lines and result files.
#include <string>
#include <string_view>

namespace kadre {

// Text without its trailing blanks.
std::string rtrim(std::string_view s);
// Text blank-padded on the right or cut to exactly width characters (A20, A13).
std::string fixed_text(std::string_view s, std::size_t width);

// Scientific form ES11.5: d.ddddd, exponent sign and two digits (three digits replace the
// letter E), right-aligned in 11 characters; values needing more room become 11 asterisks.
std::string format_es11_5(double value);
// Fixed point with the given decimals at minimal width (F0.2, F0.3).
std::string format_f0(double value, int decimals);
// Fixed point F15.2 of a single-precision value (elapsed time line).
std::string format_f15_2(float value);
// An integer after a text in a free-form console line: one blank, right-aligned in 11.
std::string free_form_int(long value);

}  // namespace kadre

#pragma once
// The number and text forms of console lines and result files.
#include <cstddef>
#include <string>
#include <string_view>

namespace kadre {

// Scientific form ES11.5: d.ddddd, "E", exponent sign and two digits in 11 characters; a minus
// sign and an exponent of three digits each make the field one character wider. NaN and the
// infinities are written as words right-aligned in 11 characters. The digits are those of
// printf's %.5E: the value's exact decimal expansion rounded to nearest, ties to even.
std::string format_es11_5(double value);

// The longest ES11.5 field: a minus sign and a three-digit exponent.
inline constexpr std::size_t kEs11_5MaxLength = 13;
// Writes the ES11.5 field of value at out, which has room for kEs11_5MaxLength characters, and
// returns the end of the field. Allocates nothing and throws nothing, so that rows of a table
// can be formatted by several threads into buffers sized beforehand.
char* write_es11_5(char* out, double value) noexcept;
void append_es11_5(std::string& text, double value);

// Fixed point with the given decimals at minimal width (F0.2), appended: the text of
// format_f0, without its formatting through printf.
void append_fixed(std::string& text, double value, int decimals);

// Fixed point F15.2 of a single-precision value (elapsed time line).
std::string format_f15_2(float value);

}  // namespace kadre

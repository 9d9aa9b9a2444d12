#include "output/number_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kadre {

namespace {

// The powers of ten that are exact doubles.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kExactPow10 = 22;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* put_pair(char* out, unsigned n) {
  std::memcpy(out, kDigitPairs + 2 * n, 2);
  return out + 2;
}

// x * 10^k through the exact powers: each step rounds once and moves towards the result,
// so nothing overflows or underflows on the way; at most 15 steps for any double.
double scaled(double x, int k) {
  for (; k > kExactPow10; k -= kExactPow10) x *= kPow10[kExactPow10];
  for (; k < -kExactPow10; k += kExactPow10) x /= kPow10[kExactPow10];
  return k >= 0 ? x * kPow10[k] : x / kPow10[-k];
}

// floor(log2 x) of a positive finite double, subnormals included.
int binary_exponent(double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const int biased = static_cast<int>(bits >> 52);
  if (biased != 0) return biased - 1023;
  return -1075 + static_cast<int>(std::bit_width(bits));
}

// The six significant digits of a positive finite x rounded to nearest, as an integer of
// [100000, 999999], and the decimal exponent; false when x lies too near the middle of two
// candidates for double arithmetic to decide.
//
// y = x * 10^(5-e) is computed with at most 15 roundings of relative size 2^-53 each, so
// below 1e6 it is off by less than 2e-9; a fraction of y farther than 1e-7 from one half
// rounds as the exact product does. Nearer (about one value in five million, and every exact
// tie) the caller takes std::to_chars, which works on the exact binary value.
bool six_digits(double x, unsigned& digits, int& exponent) {
  // About floor(e2 * log10 2): the decimal exponent or one off; y tells which.
  int e = (binary_exponent(x) * 78913) >> 18;
  double y = scaled(x, 5 - e);
  if (y >= 1e6) y = scaled(x, 5 - ++e);
  if (y < 1e5) y = scaled(x, 5 - --e);
  const auto whole = static_cast<unsigned>(y);  // 1e5 <= y < 1e6, up to the error above
  const double fraction = y - whole;
  if (std::fabs(fraction - 0.5) < 1e-7) return false;
  digits = whole + (fraction > 0.5 ? 1u : 0u);
  if (digits == 1000000u) {  // 9.999995... rounds up to the next power of ten
    digits = 100000u;
    ++e;
  }
  exponent = e;
  return true;
}

char* put_word(char* out, const char* word) {
  constexpr std::size_t kWidth = 11;
  const std::size_t n = std::strlen(word);
  std::memset(out, ' ', kWidth - n);
  std::memcpy(out + kWidth - n, word, n);
  return out + kWidth;
}

}  // namespace

char* write_es11_5(char* out, double value) noexcept {
  if (value == 0 && !std::signbit(value)) {  // most of an hourly table
    std::memcpy(out, "0.00000E+00", 11);
    return out + 11;
  }
  if (!std::isfinite(value)) {
    if (std::isnan(value)) return put_word(out, "NaN");
    return put_word(out, value > 0 ? "Infinity" : "-Infinity");
  }
  if (std::signbit(value)) *out++ = '-';
  const double x = std::fabs(value);
  if (x == 0) {
    std::memcpy(out, "0.00000E+00", 11);
    return out + 11;
  }
  unsigned digits = 0;
  int e = 0;
  if (!six_digits(x, digits, e)) {
    const auto r =
        std::to_chars(out, out + kEs11_5MaxLength - 1, x, std::chars_format::scientific, 5);
    out[7] = 'E';  // d.ddddde+XX
    return r.ptr;
  }
  const unsigned rest = digits % 100000u;
  out[0] = static_cast<char>('0' + digits / 100000u);
  out[1] = '.';
  put_pair(out + 2, rest / 1000u);
  put_pair(out + 4, rest / 10u % 100u);
  out[6] = static_cast<char>('0' + rest % 10u);
  out[7] = 'E';
  out[8] = e < 0 ? '-' : '+';
  const unsigned magnitude = static_cast<unsigned>(e < 0 ? -e : e);
  if (magnitude < 100) return put_pair(out + 9, magnitude);
  out[9] = static_cast<char>('0' + magnitude / 100u);
  return put_pair(out + 10, magnitude % 100u);
}

void append_es11_5(std::string& text, double value) {
  char buf[kEs11_5MaxLength];
  text.append(buf, write_es11_5(buf, value));
}

std::string format_es11_5(double value) {
  std::string text;
  append_es11_5(text, value);
  return text;
}

void append_fixed(std::string& text, double value, int decimals) {
  // The longest finite double has 309 digits before the point.
  char buf[512];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  text.append(buf, r.ptr);
}

std::string format_f15_2(float value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%15.2f", static_cast<double>(value));
  std::string s = buf;
  if (s.size() > 15) return std::string(15, '*');
  return s;
}

}  // namespace kadre

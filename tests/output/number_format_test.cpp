// The number forms of the result files against the printf formatting they replaced: the same
// text for every double.
#include "output/number_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kadre {
namespace {

// The ES11.5 field as it was formatted before, through printf: the reference.
std::string printf_es11_5(double value) {
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
  return buf;
}

std::string printf_fixed(double value, int decimals) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

double parse(const std::string& text, double fallback) {
  double v = fallback;
  std::from_chars(text.data(), text.data() + text.size(), v);  // out of range keeps fallback
  return v;
}

// The double nearest to mantissa * 10^exponent; fallback when out of range.
double nearest(long mantissa, int exponent, double fallback) {
  char buf[48];
  char* end = std::to_chars(buf, buf + 24, mantissa).ptr;
  *end++ = 'e';
  end = std::to_chars(end, buf + sizeof buf, exponent).ptr;
  double v = fallback;
  std::from_chars(buf, end, v);
  return v;
}

// Whether text is the ES11.5 field of a finite nonzero x, decided without printf: the field
// must be well formed and x must lie strictly between the decimal midpoints to its
// neighbours. A midpoint is known only as its nearest double m (from_chars rounds correctly),
// but x < m implies x < midpoint and x > m the converse; x == m leaves it undecided and
// printf decides. Returns nullptr when right, else what is wrong.
const char* check_field(double x, const std::string_view field) {
  std::string_view text = field;
  const bool negative = std::signbit(x);
  if (negative && text[0] != '-') return "sign";
  if (negative) text.remove_prefix(1);
  if (text.size() != 11 && text.size() != 12) return "length";
  const char* s = text.data();
  if (s[0] < '1' || s[0] > '9' || s[1] != '.' || s[7] != 'E' || (s[8] != '+' && s[8] != '-'))
    return "layout";
  long digits = s[0] - '0';
  for (int i = 2; i < 7; ++i) {
    if (s[i] < '0' || s[i] > '9') return "digits";
    digits = 10 * digits + (s[i] - '0');
  }
  int e = 0;
  for (std::size_t i = 9; i < text.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return "exponent";
    e = 10 * e + (s[i] - '0');
  }
  if (s[8] == '-') e = -e;
  if ((std::abs(e) >= 100) != (text.size() == 12)) return "exponent width";

  const double a = std::fabs(x), inf = std::numeric_limits<double>::infinity();
  // Below 1.00000 the neighbour is 9.99999 of the next lower decade.
  const double lo =
      digits == 100000 ? nearest(9999995, e - 7, 0.0) : nearest(10 * digits - 5, e - 6, 0.0);
  const double hi = nearest(10 * digits + 5, e - 6, inf);
  if (a == lo || a == hi) return printf_es11_5(x) == field ? nullptr : "differs from printf";
  return lo < a && a < hi ? nullptr : "not the nearest";
}

TEST(Es11_5, AwkwardValuesAsPrintfWroteThem) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> values{
      0.0, -0.0, nan, -nan, inf, -inf, 1.0, -1.0, 123.456,
      // Rounding up to the next power of ten, also where the exponent gains a digit or loses
      // one, and the values just short of it.
      9.999995e-5, 9.999996e-5, 9.9999949e-5, 9.999995, 9.999995e99, 9.999996e99, 9.99999e99,
      9.999995e-100, 9.999996e-100, 9.999995e-101, 9.999995e307, 9.999996e307,
      // The edges of two and three exponent digits.
      1e99, 1e100, 1e-99, 1e-100, 1e-101, 9.99999e-100, 9.99999e100,
      // The ends of the doubles: largest, smallest normal, subnormals, smallest subnormal.
      std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
      std::numeric_limits<double>::denorm_min(), 1e-310, 1e-320, 2.2250738585072009e-308,
      4.9406564584124654e-324 * 3,
      // A sixth digit that rounds up, carrying through the others.
      1.2345651, 1.234565e-7, 1.999995e12, 2.9999951, 4.0000049999e-3, 3.14159265358979,
      // Exact halves of the last digit: ties go to the even digit.
      100000.5, 100001.5, 1234565.0, 1234575.0, 9999995.0, 0.5, 2.5, 0.1,
      // Integers beyond the exact range of the double's mantissa.
      9007199254740993.0, 18446744073709551616.0, 1e22, 1e23};
  // Every power of ten, the middle between 9.99999 and 10.0000 below it, and their neighbours.
  for (int e = -324; e <= 308; ++e) {
    for (const char* mantissa : {"1e", "9.999995e", "5e", "1.000005e"}) {
      const double v = parse(mantissa + std::to_string(e), 0.0);
      values.insert(values.end(), {v, std::nextafter(v, 0.0), std::nextafter(v, inf)});
    }
  }
  for (const double v : values) {
    EXPECT_EQ(format_es11_5(v), printf_es11_5(v)) << std::hexfloat << v;
    EXPECT_EQ(format_es11_5(-v), printf_es11_5(-v)) << std::hexfloat << -v;
  }
}

// Millions of doubles: random bit patterns (every exponent), concentrations of the usual
// range, and values within a few units of the last place of a rounding midpoint, where the
// fast path must hand over to the exact one.
TEST(Es11_5, MillionsOfRandomDoublesAreCorrectlyRounded) {
  std::mt19937_64 rng(20260611);
  const auto unit = [&rng] { return static_cast<double>(rng() >> 11) * 0x1.0p-53; };
  int wrong = 0;
  char buf[kEs11_5MaxLength];
  for (int i = 0; i < (2 << 20); ++i) {
    double x = 0;
    switch (i % 4) {
      case 0:
        x = std::bit_cast<double>(rng());
        if (!std::isfinite(x) || x == 0) continue;
        break;
      case 1:
        x = std::ldexp(1.0 + unit(), static_cast<int>(rng() % 84) - 67);  // 1e-20 to 2e5
        break;
      default: {
        // About the midpoint between two six-digit values (the double nearest to it is in the
        // table above), then a few units of the last place or a small part of it away.
        const long digits = 100000 + static_cast<long>(rng() % 900000);
        const int e = static_cast<int>(rng() % 626) - 330;  // subnormals included
        x = static_cast<double>(10 * digits + 5) * std::pow(10.0, e / 2) *
            std::pow(10.0, e - e / 2);
        if (i % 4 == 2) {
          const double toward = (rng() & 1) ? 1e300 : 0.0;
          for (int step = 1 + static_cast<int>(rng() % 4); step > 0; --step)
            x = std::nextafter(x, toward);
        } else {
          x *= 1.0 + (unit() - 0.5) * std::pow(10.0, -6.0 - 8.0 * unit());
        }
        if (x == 0) continue;
        if (rng() & 1) x = -x;
      }
    }
    const std::string_view text(buf, static_cast<std::size_t>(write_es11_5(buf, x) - buf));
    const char* fault = check_field(x, text);
    if (fault != nullptr && ++wrong <= 10)
      ADD_FAILURE() << std::hexfloat << x << ": " << text << " " << fault << ", printf "
                    << printf_es11_5(x);
  }
  EXPECT_EQ(wrong, 0);
}

TEST(FixedPoint, AsPrintfWroteIt) {
  std::vector<double> values{0.0,   -0.0,   1234.5,    -3.1,   0.125,
                             0.375, 2.675,  1.005,     -0.005, 0.004999,
                             1e300, -1e300, 5540000.0, 1e-320, 123456789.125};
  std::mt19937_64 rng(7);
  for (int i = 0; i < 20000; ++i) {
    values.push_back(std::ldexp(static_cast<double>(rng() >> 11), -static_cast<int>(rng() % 70)));
    values.push_back(-1e7 + 2e7 * static_cast<double>(rng() >> 11) * 0x1.0p-53);
  }
  for (const double v : values) {
    for (const int decimals : {2, 3}) {
      std::string text;
      append_fixed(text, v, decimals);
      EXPECT_EQ(text, printf_fixed(v, decimals)) << std::hexfloat << v;
    }
  }
}

}  // namespace
}  // namespace kadre

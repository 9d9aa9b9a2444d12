#include <gtest/gtest.h>

#include "core/text.h"
#include "output/number_format.h"

namespace kadre {
namespace {

TEST(NumberFormat, Es11_5) {
  EXPECT_EQ(format_es11_5(123.456), "1.23456E+02");
  EXPECT_EQ(format_es11_5(0.0), "0.00000E+00");
  EXPECT_EQ(format_es11_5(4.5), "4.50000E+00");
  EXPECT_EQ(format_es11_5(1.0e-120), "1.00000-120");
  EXPECT_EQ(format_es11_5(9.999996), "1.00000E+01");
  EXPECT_EQ(format_es11_5(-1.0), "***********");
  // Rounding that changes the exponent's digit count, either way.
  EXPECT_EQ(format_es11_5(9.999996e99), "1.00000+100");
  EXPECT_EQ(format_es11_5(9.999996e-100), "1.00000E-99");
  EXPECT_EQ(format_es11_5(1e-320), "9.99989-321");
  EXPECT_EQ(format_es11_5(1.7976931348623157e308), "1.79769+308");
}

TEST(NumberFormat, FixedPointAndIntegers) {
  EXPECT_EQ(format_f0(1234.5, 2), "1234.50");
  EXPECT_EQ(format_f0(-3.1, 2), "-3.10");
  EXPECT_EQ(format_f0(350.0, 3), "350.000");
  EXPECT_EQ(format_f15_2(1.5f), "           1.50");
  EXPECT_EQ(free_form_int(3), "           3");
  EXPECT_EQ(fixed_text("P1", 5), "P1   ");
  EXPECT_EQ(fixed_text("ABCDEFG", 3), "ABC");
}

}  // namespace
}  // namespace kadre

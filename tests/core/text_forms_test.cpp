// The number forms of the console and the result files, and the name and path helpers.
#include <gtest/gtest.h>

#include "core/text.h"
#include "output/number_format.h"

namespace kadre {
namespace {

TEST(NumberForms, Es11_5) {
  const std::pair<double, const char*> cases[] = {
      {123.456, "1.23456E+02"},
      {0.0, "0.00000E+00"},
      {-1.0, "-1.00000E+00"},
      {1e-120, "1.00000E-120"},
      {1e-320, "9.99989E-321"},
      {1.7976931348623157e308, "1.79769E+308"},
      {-1e-120, "-1.00000E-120"},
      // Rounding up to the next power of ten, also where that changes the exponent's width.
      {9.999996, "1.00000E+01"},
      {9.999996e99, "1.00000E+100"},
      {9.999996e-100, "1.00000E-99"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(format_es11_5(value), text) << value;
}

// F0.2 and F0.3 are shown by the result files (tests/output).
TEST(NumberForms, F15_2) {
  EXPECT_EQ(format_f15_2(1.5f), "           1.50");
  EXPECT_EQ(format_f15_2(1e20f), std::string(15, '*'));
}

TEST(NamesAndPaths, SeriesFilesDirectoriesAndLookUp) {
  const struct {
    const char *path, *name, *expected;
  } with_name[] = {
      {"in/rose.txt", "ABC", "in/rose_ABC.txt"},
      {"in/rose.v2.txt", "ABC  ", "in/rose.v2_ABC.txt"},
      {"in/rose.txt", "   ", "in/rose.txt"},
      {"./data.2024/rose", "ABC", "./data.2024/rose_ABC"},
      {"data.2024\\rose", "ABC", "data.2024\\rose_ABC"},
      {"in/", "ABC", "in/"},  // no file name to extend
  };
  for (const auto& c : with_name) EXPECT_EQ(path_with_name(c.path, c.name), c.expected) << c.path;
  for (const auto& [dir, expected] : {std::pair{"data", "data/"},
                                      {"data/", "data/"},
                                      {"data\\", "data\\"},
                                      {"data  ", "data/"},
                                      {"  ", ""}})
    EXPECT_EQ(add_sep2dir(dir), expected) << dir;
  // Trailing blanks do not count on either side; the first of equal texts is found.
  const std::vector<std::string> list{"A", "B  ", "A", ""};
  const NameIndex index(list);
  for (const auto& [text, at] : {std::pair{"A", 1}, {"B", 2}, {"A  ", 1}, {"b", -1}, {" ", 4}}) {
    EXPECT_EQ(locate_string(list, text), at) << text;
    EXPECT_EQ(index.find(text), at) << text;
  }
}

}  // namespace
}  // namespace kadre

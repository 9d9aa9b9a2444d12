#include <gtest/gtest.h>

#include <string>

#include "init/climate_reader.h"
#include "init/reader_messages.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

double cell(int matrix, int i, int j) { return matrix * 1000 + j * 10 + i; }

// Under a title, each matrix is a label line and ten lines (temperature classes) of seven
// values (humidity classes).
std::string climate_text(int matrices, const std::string& between = "") {
  std::string text = "Klimaticke udaje pro chladici veze\n";
  for (int m = 1; m <= matrices; ++m) {
    text += "matice " + std::to_string(m) + " (label)\n" + between;
    for (int j = 1; j <= 10; ++j) {
      for (int i = 1; i <= 7; ++i) text += std::to_string(static_cast<int>(cell(m, i, j))) + " ";
      text += "\n";
    }
  }
  return text;
}

TEST(ClimateReader, TwelveMatricesUnderTheirLabels) {
  TempDir dir;
  // A blank line between label and matrix is passed over; what follows the twelfth
  // matrix is never read.
  const ClimateTables c =
      read_chlad_vez(dir.write("klima.txt", climate_text(12, "\n") + "matice 13\nnot numbers\n"));
  EXPECT_TRUE(c.loaded);
  for (int j = 1; j <= 10; ++j) {
    for (int i = 1; i <= 7; ++i) {
      for (int s = 1; s <= 5; ++s) EXPECT_EQ(c.grt[ClimateTables::index(i, j, s)], cell(s, i, j));
      EXPECT_EQ(c.frt[ClimateTables::index(i, j)], cell(6, i, j));
      for (int w = 1; w <= 3; ++w) {
        EXPECT_EQ(c.vch1[ClimateTables::index(i, j, w)], cell(6 + w, i, j));
        EXPECT_EQ(c.tch1[ClimateTables::index(i, j, w)], cell(9 + w, i, j));
      }
    }
  }
}

TEST(ClimateReader, IncompleteMatricesMissingLinesAndMissingFile) {
  TempDir dir;
  // Matrix 7 one value short: its read runs into the label of matrix 8.
  std::string text = climate_text(12);
  const std::string label7 = "matice 7 (label)\n";
  const auto first_value = text.find(label7) + label7.size();
  text.erase(first_value, text.find(' ', first_value) + 1 - first_value);
  EXPECT_INPUT_ERROR(read_chlad_vez(dir.write("klima.txt", text)), test::read_error("klima.txt", 7));

  const std::string full = climate_text(12);
  for (const std::string& cut : {full.substr(0, full.rfind("12107")), climate_text(11), std::string("\n\n")})
    EXPECT_INPUT_ERROR(read_chlad_vez(dir.write("klima.txt", cut)), test::missing_data("klima.txt"));
  EXPECT_INPUT_ERROR(read_chlad_vez(dir.file("none.txt")),
                     test::missing_file(dir.file("none.txt"), "klimatickymi udaji pro chladici veze"));
}

}  // namespace
}  // namespace kadre

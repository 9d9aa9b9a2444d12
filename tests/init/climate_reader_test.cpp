#include <gtest/gtest.h>

#include <string>

#include "init/climate_reader.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

double cell(int matrix, int i, int j) { return matrix * 1000 + j * 10 + i; }

// A matrix as ten lines (temperature classes) of seven values (humidity classes).
std::string matrix_text(int matrix) {
  std::string text;
  for (int j = 1; j <= 10; ++j) {
    for (int i = 1; i <= 7; ++i) text += std::to_string(static_cast<int>(cell(matrix, i, j))) + " ";
    text += "\n";
  }
  return text;
}

std::string climate_text(int matrices, const std::string& between = "") {
  std::string text = "Klimaticke udaje pro chladici veze\n";
  for (int m = 1; m <= matrices; ++m)
    text += "matice " + std::to_string(m) + " (label)\n" + between + matrix_text(m);
  return text;
}

const std::string kHead = "Chyba cten\xC3\xAD dat ze souboru klima.txt.\n";

TEST(ClimateReader, TwelveMatricesUnderTheirLabels) {
  TempDir dir;
  // A blank line between label and matrix is passed over; what follows the twelfth
  // matrix is never read.
  const std::string path =
      dir.write("klima.txt", climate_text(12, "\n") + "matice 13\nnot numbers at all\n");
  const ClimateTables c = read_chlad_vez(path);
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

TEST(ClimateReader, IncompleteMatricesAndMissingLinesStop) {
  TempDir dir;
  // Matrix 7 one value short: its read runs into the label of matrix 8.
  std::string text = climate_text(12);
  const std::string label7 = "matice 7 (label)\n";
  const auto first_value = text.find(label7) + label7.size();
  text.erase(first_value, text.find(' ', first_value) + 1 - first_value);
  EXPECT_INPUT_ERROR(read_chlad_vez(dir.write("klima.txt", text)), kHead + "Chyba na radku 7.");

  const std::string eof = kHead + "Zkontrolujte zda v nekterych radcich nechybi data.";
  const std::string full = climate_text(12);
  EXPECT_INPUT_ERROR(read_chlad_vez(dir.write("klima.txt", full.substr(0, full.rfind("12107")))), eof);
  EXPECT_INPUT_ERROR(read_chlad_vez(dir.write("klima.txt", climate_text(11))), eof);
  EXPECT_INPUT_ERROR(read_chlad_vez(dir.write("klima.txt", "\n\n")), eof);
}

TEST(ClimateReader, MissingFile) {
  TempDir dir;
  EXPECT_INPUT_ERROR(read_chlad_vez(dir.file("klima.txt")),
                     "Soubor " + dir.file("klima.txt") +
                         " s klimatickymi udaji pro chladici veze neexistuje.");
}

}  // namespace
}  // namespace kadre

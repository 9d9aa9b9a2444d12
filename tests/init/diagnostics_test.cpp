#include "init/diagnostics.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

TEST(CheckFileExist, NamedMissingAndPresentFiles) {
  TempDir dir;
  const std::string present = dir.write("ref.txt", "1\n");
  EXPECT_NO_THROW(check_file_exist(present, "referencnimi body"));
  EXPECT_NO_THROW(check_file_exist(present + "   ", "referencnimi body"));
  EXPECT_INPUT_ERROR(check_file_exist(dir.path().string() + "/", "referencnimi body"),
                     "Soubor s referencnimi body nebyl zadan.");
  EXPECT_INPUT_ERROR(check_file_exist("  ", "referencnimi body  "),
                     "Soubor s referencnimi body nebyl zadan.");
  EXPECT_INPUT_ERROR(check_file_exist(dir.file("no.txt") + "  ", "definici zdroju"),
                     "Soubor " + dir.file("no.txt") + " s definici zdroju neexistuje.");
  // A directory is no data file.
  std::filesystem::create_directory(dir.file("sub"));
  EXPECT_INPUT_ERROR(check_file_exist(dir.file("sub"), "terenem"),
                     "Soubor " + dir.file("sub") + " s terenem neexistuje.");
}

TEST(CheckDirectoryExist, WritableMissingAndLeftoverTestFile) {
  TempDir dir;
  const std::string d = dir.path().string() + "/";
  EXPECT_NO_THROW(check_directory_exist(d, "adresare pro vystupni data"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("test_file")));
  EXPECT_INPUT_ERROR(check_directory_exist(d + "none/", "adresare pro vystupni data"),
                     "Problem se zapisem do adresare pro vystupni data: " + d +
                         "none/. Zkontrolujte ze adresar existuje.");
  // A leftover test_file counts as proof and stays in place.
  dir.write("none/test_file", "");
  EXPECT_NO_THROW(check_directory_exist(d + "none/", "adresare pro vystupni data"));
  EXPECT_TRUE(std::filesystem::exists(dir.file("none/test_file")));
}

TEST(ErrorReading, EndOfFileAndLineNumber) {
  EXPECT_EQ(error_reading("in/data/zdroje.txt  ", 17, ReadStatus::bad_value),
            "Chyba cten\xC3\xAD dat ze souboru zdroje.txt.\nChyba na radku 17.");
  EXPECT_EQ(error_reading("zdroje.txt", 17, ReadStatus::end_of_file),
            "Chyba cten\xC3\xAD dat ze souboru zdroje.txt.\n"
            "Zkontrolujte zda v nekterych radcich nechybi data.");
  EXPECT_EQ(error_nml_read("cfg/param.nml", false),
            "Chyba cten\xC3\xAD dat ze souboru param.nml.\n"
            "Zkontrolujte zda jsou nazvy parametru uvedeny spravne.");
  EXPECT_EQ(error_nml_read("param.nml", true),
            "Chyba cten\xC3\xAD dat ze souboru param.nml.\nNeocekavany konec souboru.\n"
            "Zkontrolujte zda mate na zacatku souboru retezec &init a na konci znak /.");
}

TEST(RaiseError, PrintsTrimmedAndCutAt400Bytes) {
  EXPECT_RUN_ERROR(raise_error("Zprava   "), " Zprava\n");
  EXPECT_RUN_ERROR(raise_error("a\nb"), " a\nb\n");
  // A long path makes a long message: it is cut at 400 bytes.
  const std::string msg = error_reading(std::string(450, 'x'), 1, ReadStatus::bad_value);
  EXPECT_RUN_ERROR(raise_error(msg), " " + msg.substr(0, 400) + "\n");
  EXPECT_RUN_ERROR(raise_error(std::string(399, 'y') + "  z"), " " + std::string(399, 'y') + "\n");
}

TEST(AddSep2dir, AppendsASlashUnlessOneEndsTheDirectory) {
  EXPECT_EQ(add_sep2dir("data"), "data/");
  EXPECT_EQ(add_sep2dir("data   "), "data/");
  EXPECT_EQ(add_sep2dir("data/"), "data/");
  EXPECT_EQ(add_sep2dir("data\\"), "data\\");
  EXPECT_EQ(add_sep2dir(""), "");
  EXPECT_EQ(add_sep2dir("    "), "");
  const std::string full(250, 'd');  // a full-length directory keeps its separator
  EXPECT_EQ(add_sep2dir(full), full + "/");
}

TEST(LocateString, IgnoresTrailingBlanksAndCountsFromOne) {
  const std::vector<std::string> ids{"B7", "A1                  ", "A1"};
  EXPECT_EQ(locate_string(ids, "A1"), 2);
  EXPECT_EQ(locate_string(ids, "B7   "), 1);
  EXPECT_EQ(locate_string(ids, "a1"), -1);
  EXPECT_EQ(locate_string(ids, " A1"), -1);
  EXPECT_EQ(locate_string({}, "A1"), -1);
}

TEST(PathWithName, InsertsTheNameBeforeTheLastDotOfTheFileName) {
  EXPECT_EQ(path_with_name("in/rose.txt", "ABC"), "in/rose_ABC.txt");
  EXPECT_EQ(path_with_name("in/rose.v2.txt", "ABC  "), "in/rose.v2_ABC.txt");
  EXPECT_EQ(path_with_name("in/rose.txt", "   "), "in/rose.txt");
  // A dot of a directory is no extension.
  EXPECT_EQ(path_with_name("./data.2024/rose", "ABC"), "./data.2024/rose_ABC");
  EXPECT_EQ(path_with_name("data.2024\\rose", "ABC"), "data.2024\\rose_ABC");
  EXPECT_EQ(path_with_name("rose", "ABC"), "rose_ABC");
}

}  // namespace
}  // namespace kadre

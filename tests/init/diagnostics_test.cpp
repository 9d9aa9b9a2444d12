#include "core/text.h"
#include "init/diagnostics.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "init/data_file.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

TEST(CheckFileExist, NamedMissingAndPresentFiles) {
  TempDir dir;
  const std::string present = dir.write("ref.txt", "1\n");
  EXPECT_NO_THROW(check_file_exist(present + "   ", "referencnimi body"));
  for (const std::string& blank : {dir.path().string() + "/", std::string("  ")})
    EXPECT_INPUT_ERROR(check_file_exist(blank, "referencnimi body  "),
                       "Soubor s referencnimi body nebyl zadan.");
  EXPECT_INPUT_ERROR(check_file_exist(dir.file("no.txt") + "  ", "definici zdroju"),
                     "Soubor " + dir.file("no.txt") + " s definici zdroju neexistuje.");
  // A directory is no data file.
  std::filesystem::create_directory(dir.file("sub"));
  EXPECT_INPUT_ERROR(check_file_exist(dir.file("sub"), "terenem"),
                     "Soubor " + dir.file("sub") + " s terenem neexistuje.");
}

TEST(OpenDataFile, AFileThatExistsButCannotBeOpened) {
  // A socket exists and is no directory, yet it cannot be opened for reading, even by root.
  TempDir dir;
  const std::string path = dir.file("sock");
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_INPUT_ERROR(open_data_file(path + " ", "terenem "),
                     "Soubor " + path + " s terenem nelze otevrit.");
  close(fd);
}

TEST(RaiseError, PrintsTrimmedAndCutAt400Bytes) {
  EXPECT_RUN_ERROR(raise_error("a\nb   "), " a\nb\n");
  // A long path makes a long message: it is cut at 400 bytes, then trimmed.
  const std::string msg = error_reading(std::string(450, 'x'), 1, ReadStatus::bad_value);
  EXPECT_RUN_ERROR(raise_error(msg), " " + msg.substr(0, 400) + "\n");
  EXPECT_RUN_ERROR(raise_error(std::string(399, 'y') + "  z"), " " + std::string(399, 'y') + "\n");
}

TEST(PathWithName, InsertsTheNameBeforeTheLastDotOfTheFileName) {
  const struct { const char* path; const char* name; const char* expected; } cases[] = {
      {"in/rose.txt", "ABC", "in/rose_ABC.txt"},
      {"in/rose.v2.txt", "ABC  ", "in/rose.v2_ABC.txt"},
      {"in/rose.txt", "   ", "in/rose.txt"},
      {"./data.2024/rose", "ABC", "./data.2024/rose_ABC"},  // a dot of a directory is no extension
      {"data.2024\\rose", "ABC", "data.2024\\rose_ABC"},
      {"rose", "ABC", "rose_ABC"},
      {"in/", "ABC", "in/"},  // no file name: the existence check reports it
  };
  for (const auto& c : cases) EXPECT_EQ(path_with_name(c.path, c.name), c.expected) << c.path;
}

}  // namespace
}  // namespace kadre

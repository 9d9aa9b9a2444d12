#include <gtest/gtest.h>

#include <sstream>

#include "run.h"
#include "run_sequence.h"
#include "support/small_case.h"

namespace kadre {
namespace {

const std::string kBanner = "\n KADRE v1.1.2 - (c) vyvojari programu kadre, vsechna prava vyhrazena\n \n\n";
const std::string kUsage =
    " Pouziti programu:\nkadre.exe <soubor se vstupnimi parametry> [<pocet vlaken>]\n";

test::RunOutput run_args(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  test::RunOutput r;
  r.status = run(args, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(CommandLine, WrongNumberOfArgumentsPrintsUsageAndFails) {
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"a", "2", "x"}}) {
    const auto r = run_args(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kBanner + kUsage);
    EXPECT_EQ(r.err, "");
  }
}

TEST(CommandLine, ThreadCount) {
  EXPECT_EQ(thread_count({"a"}, 7), 7);
  EXPECT_EQ(thread_count({"a", "   "}, 7), 7);
  EXPECT_EQ(thread_count({"a", "4"}, 7), 4);
  EXPECT_EQ(thread_count({"a", " +3"}, 7), 3);
  EXPECT_EQ(thread_count({"a", "1000"}, 7), 100);  // only three characters count
  EXPECT_EQ(thread_count({"a", "2,9"}, 7), 2);
  for (const char* bad : {"0", "-2", "x", "1x"})
    EXPECT_RUN_ERROR(thread_count({"a", bad}, 7), " Neplatna hodnota poctu vlaken.\n");
}

TEST(CommandLine, InvalidThreadCountStopsBeforeReading) {
  const auto r = run_args({"does_not_exist.nml", "0"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kBanner + " Neplatna hodnota poctu vlaken.\n");
}

TEST(CommandLine, MissingConfigurationFile) {
  test::TempDir dir;
  const std::string path = dir.file("none.nml");
  const auto r = run_args({path});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kBanner + " Nacitam vstupni data\n Soubor " + path +
                       " s inicializaci vypoctu neexistuje.\n");
}

TEST(CommandLine, ConfigurationPathIsNeverCut) {
  test::TempDir dir;
  const std::string path = dir.file(std::string(300, 'c') + ".nml");
  const auto r = run_args({path});
  EXPECT_NE(r.out.find(path + " s inicializaci"), std::string::npos);
}

}  // namespace
}  // namespace kadre

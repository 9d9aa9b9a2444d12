#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "init/emission_profiles_reader.h"
#include "init/reader_messages.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

TEST(EmissionProfilesReader, BlankFileNameGivesConstantEmissions) {
  TempDir dir;
  Settings cfg;
  cfg.emis_time_file = "  ";
  const EmissionProfiles p = read_time_emis(dir.path().string() + "/", cfg, {"NOC", "DEN", "XYZ"}, 4);
  EXPECT_EQ(p.nprof, 3);
  EXPECT_EQ(p.ntime, 4);
  EXPECT_EQ(p.time_emis_fact, std::vector<double>(12, 1.0));
}

TEST(EmissionProfilesReader, EachProfileReadsItsOwnFile) {
  TempDir dir;
  Settings cfg;
  cfg.emis_time_file = "emis.txt";
  const auto read = [&](const std::vector<std::string>& names, int ntime) {
    return read_time_emis(dir.file("emis.txt"), cfg, names, ntime);
  };
  dir.write("emis_NOC.txt",
            "! profile for the night\n"
            "2015 1 1 0 1.5\n"
            "1999 7 7 7 0.0\n"  // dates are not compared with the series
            "2015 1 1 2 2.5\n"
            "2015 1 1 3 9.0\n");  // beyond the hours: ignored
  dir.write("emis_DEN.txt", "2015 1 1 0 0.25\n2015 1 1 1 0.5\n2015 1 1 2 0.75\n");
  const EmissionProfiles p = read({"NOC", "DEN"}, 3);
  EXPECT_EQ(p.time_emis_fact, (std::vector<double>{1.5, 0.25, 0.0, 0.5, 2.5, 0.75}));
  EXPECT_EQ(p.at(1, 3), 2.5);

  // A profile shorter than the series is covered by the whole-run tests.
  dir.write("emis_DEN.txt", "2015 1 1 0 1\n2015 1 1 1.5 1\n");
  EXPECT_INPUT_ERROR(read({"NOC", "DEN"}, 2), test::read_error("emis_DEN.txt", 2));
  EXPECT_INPUT_ERROR(read({"NOC", "XYZ"}, 2),
                     test::missing_file(dir.file("emis_XYZ.txt"), "emisni casovou radou"));
}

}  // namespace
}  // namespace kadre

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "init/emission_profiles_reader.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

Settings with_profile_file(const std::string& name) {
  Settings cfg;
  cfg.emis_time_file = name;
  return cfg;
}

TEST(EmissionProfilesReader, BlankFileNameGivesConstantEmissions) {
  TempDir dir;
  const EmissionProfiles p = read_time_emis(dir.path().string() + "/", with_profile_file("  "),
                                            {"NOC", "DEN", "XYZ"}, 4);
  EXPECT_EQ(p.nprof, 3);
  EXPECT_EQ(p.ntime, 4);
  EXPECT_EQ(p.time_emis_fact, std::vector<double>(12, 1.0));
}

TEST(EmissionProfilesReader, EachProfileReadsItsOwnFile) {
  TempDir dir;
  dir.write("emis_NOC.txt",
            "! profile for the night\n"
            "2015 1 1 0 1.5\n"
            "1999 7 7 7 0.0\n"  // dates are not compared with the series
            "2015 1 1 2 2.5\n"
            "2015 1 1 3 9.0\n");  // beyond the hours: ignored
  dir.write("emis_DEN.txt", "2015 1 1 0 0.25\n2015 1 1 1 0.5\n2015 1 1 2 0.75\n");
  const EmissionProfiles p =
      read_time_emis(dir.file("emis.txt"), with_profile_file("emis.txt"), {"NOC", "DEN"}, 3);
  ASSERT_EQ(p.time_emis_fact.size(), 6u);
  EXPECT_EQ(p.at(1, 1), 1.5);
  EXPECT_EQ(p.at(1, 2), 0.0);
  EXPECT_EQ(p.at(1, 3), 2.5);
  EXPECT_EQ(p.at(2, 1), 0.25);
  EXPECT_EQ(p.at(2, 3), 0.75);
}

TEST(EmissionProfilesReader, ShortOrBadProfileFilesStop) {
  TempDir dir;
  const std::string head = "Chyba cten\xC3\xAD dat ze souboru emis_DEN.txt.\n";
  dir.write("emis_NOC.txt", "2015 1 1 0 1\n2015 1 1 1 1\n");
  dir.write("emis_DEN.txt", "2015 1 1 0 1\n");
  const Settings cfg = with_profile_file("emis.txt");
  EXPECT_INPUT_ERROR(read_time_emis(dir.file("emis.txt"), cfg, {"NOC", "DEN"}, 2),
                     head + "Zkontrolujte zda v nekterych radcich nechybi data.");
  dir.write("emis_DEN.txt", "2015 1 1 0 1\n2015 1 1 1.5 1\n");
  EXPECT_INPUT_ERROR(read_time_emis(dir.file("emis.txt"), cfg, {"NOC", "DEN"}, 2),
                     head + "Chyba na radku 2.");
  EXPECT_INPUT_ERROR(read_time_emis(dir.file("emis.txt"), cfg, {"NOC", "XYZ"}, 2),
                     "Soubor " + dir.file("emis_XYZ.txt") + " s emisni casovou radou neexistuje.");
}

}  // namespace
}  // namespace kadre

// The CSV tables of a study: a rose as a long table in percent or fractions, the hours of a
// meteorological series and a profile; each bad line stops naming the file and the line.
#include <gtest/gtest.h>

#include "prep/tables.h"
#include "support/test_support.h"

namespace kadre {
namespace {

const std::string kRoseHeader = "direction,stability_class,speed_class,frequency\n";

TEST(KadrePrepTables, RoseLongTableBecomesKadresRose) {
  test::TempDir dir;
  // 4 directions (180 has no wind and is left out); the fractions of a year add up to 1; rows
  // may come in any order and combinations left out count 0.
  const std::string path = dir.write(
      "rose.csv", kRoseHeader + "90,iii,11,0.25\n0,I,1.7,0.125\ncalm,V,5,0.125\n270,2,5,0.5\n");
  const RoseTable r = read_rose_csv(path, true);
  ASSERT_EQ(r.n_dir, 4);
  EXPECT_EQ(r.situations[0], (std::vector<double>{12.5, 0, 0, 0, 0}));   // I/1.7
  EXPECT_EQ(r.situations[2], (std::vector<double>{0, 0, 0, 50, 0}));     // II/5
  EXPECT_EQ(r.situations[5], (std::vector<double>{0, 25, 0, 0, 0}));     // III/11
  EXPECT_EQ(r.situations[10], (std::vector<double>{0, 0, 0, 0, 12.5}));  // V/5, its calm
  EXPECT_EQ(r.situations[1], (std::vector<double>(5, 0.0)));

  // The same table read as percent adds up to 1 %.
  EXPECT_RUN_ERROR(read_rose_csv(path, false),
                   " Cetnosti ruzice v souboru " + path +
                       " davaji dohromady 1.000 % misto 100 % (cetnosti jsou v procentech, "
                       "zlomky roku zadejte s volbou --rose-unit fraction).\n");
}

TEST(KadrePrepTables, BadRoseLinesStopNamingTheLine) {
  test::TempDir dir;
  const std::vector<std::pair<std::string, std::string>> cases{
      {"0,I,5,100\n",
       "na radku 2 neni trida I s rychlosti 5 m/s mezi 11 situacemi ruzice "
       "(I/1.7, II/1.7, II/5, III/1.7, III/5, III/11, IV/1.7, IV/5, IV/11, V/1.7, "
       "V/5)."},
      {"0,VI,5,100\n", "na radku 2 je neplatna trida stability 'VI' (ocekavano I az V)."},
      {"0,I,1.7,60\n\n0,I,1.7,40\n",
       "na radku 4 je situace a smer zadany podruhe (poprve na "
       "radku 2)."},
      {"0,I,1.7,50\n90,I,1.7,-1\n", "na radku 3 je zaporna cetnost."},
      {"0,I,1.7,x\n", "na radku 2 je ve sloupci frequency hodnota 'x', ktera neni cislo."},
      {"0,I,1.7\n", "na radku 2 je 3 poli misto 4 podle hlavicky."},
  };
  for (const auto& [rows, message] : cases) {
    const std::string path = dir.write("rose.csv", kRoseHeader + rows);
    EXPECT_RUN_ERROR(read_rose_csv(path, false), " V souboru " + path + " " + message + "\n");
  }
  const std::string uneven =
      dir.write("u.csv", kRoseHeader + "0,I,1.7,40\n90,I,1.7,30\n225,I,1.7,30\n");
  EXPECT_RUN_ERROR(read_rose_csv(uneven, false),
                   " Smery ruzice v souboru " + uneven +
                       " nejsou rovnomerne rozlozene od 0 stupnu: smer 225.0000 neni nasobkem "
                       "90.0000 stupnu.\n");
}

TEST(KadrePrepTables, MeteorologyAndProfilesHourByHour) {
  test::TempDir dir;
  const std::string path =
      dir.write("met.csv",
                "time;direction;speed;class;inversion_height;inversion_direction;inversion_speed;"
                "inversion_class\n"
                "2024-02-28 23:00;10;1.0;II;-9999;;;\n2024-02-29T00:00;20;2.0;5;300;25;4.5;IV\n"
                "2024-02-29T01:00:00Z;30;3.5;3;;;;\n");
  const MetTable met = read_met_csv(path);
  EXPECT_FALSE(met.gradients);
  EXPECT_TRUE(met.inversion);
  ASSERT_EQ(met.records.size(), 3u);
  EXPECT_EQ(met.records[1].time, (HourStamp{2024, 2, 29, 0}));
  EXPECT_EQ(met.records[1].gradient, 5);
  EXPECT_EQ(met.records[1].gradient_i, 4);
  EXPECT_EQ(met.records[1].zi, 300);
  // An hour without inversion takes the main values for the layer above.
  EXPECT_EQ(met.records[2].zi, -9999);
  EXPECT_EQ(met.records[2].speed_i, 3.5);
  EXPECT_EQ(met.records[2].gradient_i, 3);

  HourStamp h;
  for (const char* bad : {"2023-02-29 00:00", "2024-01-01 10:30", "2024-01-01T24:00",
                          "2024-01-01 05:00+01:00", "01.01.2024 05:00"})
    EXPECT_FALSE(parse_hour_stamp(bad, h)) << bad;

  const std::string header = "time,direction,speed,gradient\n";
  const std::string back =
      dir.write("b.csv", header + "2024-01-01 05:00,1,2,3\n2024-01-01 05:00,1,2,3\n");
  EXPECT_RUN_ERROR(read_met_csv(back), " V souboru " + back +
                                           " na radku 3 neni cas '2024-01-01 05:00' pozdejsi "
                                           "nez cas predchoziho radku.\n");
  const std::string negative = dir.write("n.csv", header + "2024-01-01 05:00,1,-2,3\n");
  EXPECT_RUN_ERROR(read_met_csv(negative),
                   " V souboru " + negative + " na radku 2 je zaporna rychlost vetru -2.\n");
  const std::string both = dir.write("2.csv", "time,direction,speed,gradient,class\n");
  EXPECT_RUN_ERROR(read_met_csv(both),
                   " Soubor " + both +
                       " musi mit v hlavicce prave jeden ze sloupcu gradient (teplotni gradient) "
                       "a class (trida stability).\n");

  const std::string profile =
      dir.write("p.csv", "time,factor\n2024-01-01 05:00,0.5\n2024-01-01 07:00,2\n");
  const ProfileTable p = read_profile_csv(profile);
  EXPECT_EQ(p.factors, (std::vector<double>{0.5, 2}));
  EXPECT_EQ(p.times[1], (HourStamp{2024, 1, 1, 7}));
}

}  // namespace
}  // namespace kadre

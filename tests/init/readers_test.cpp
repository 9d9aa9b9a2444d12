// The readers of the input files: every message they stop with, each once (the checks of a
// data file that all of them share, the form of a read error and the data line it names in
// each file, each reader's own messages), and what they make of good input where a whole run
// cannot show it.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "init/background_reader.h"
#include "init/climate_reader.h"
#include "init/emission_profiles_reader.h"
#include "init/groups_reader.h"
#include "init/met_series_reader.h"
#include "init/read_config.h"
#include "init/ref_points_reader.h"
#include "init/sources_reader.h"
#include "init/terrain_reader.h"
#include "init/wind_rose_reader.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

enum class Reader {
  terrain,
  window,
  points,
  output_points,
  definitions,
  hourly_definitions,
  descriptions,
  heat_formula,
  rose,
  met,
  emission,
  climate,
  config,
  background
};

// Written instead of the text: no file at all, a directory, a socket (exists, cannot be
// opened), a path that names no file.
const std::string kNoFile = "<none>", kDirectory = "<dir>", kSocket = "<socket>",
                  kUnnamed = "<unnamed>";

const std::string kGrid =
    "ncols 4\nnrows 4\nx 0\ny 0\nsize 25\nnodata -9999\n";        // 0..100 both ways
const std::string kDescription = " 1 0 50 10 80 2 5 1 24 0 0\n";  // after the id
const std::string kReadError = "Chyba cten\xC3\xAD dat ze souboru data.txt.\n";
const std::string kMissingData = kReadError + "Zkontrolujte zda v nekterych radcich nechybi data.";
const std::string kBadHeader = "Hlavicka souboru @ s terenem je neplatna: ",
                  kNegative = "V souboru @ na radku ";
std::string on_line(int n) { return kReadError + "Chyba na radku " + std::to_string(n) + "."; }
const std::string kWholeMetres =
    "neni cele cislo od -32768 do 32767: vysky terenu jsou v celych metrech (napr. "
    "gdal_translate -ot Int16).";

std::string repeated(const std::string& text, int times) {
  std::string all;
  for (int k = 0; k < times; ++k) all += text;
  return all;
}

// Reads the file as the reader's input; the other inputs are good: the grid above, the point
// P1 at (50, 50), the sources S1 and S2 there, the series and profile named blank, two hours.
void read_as(Reader reader, const std::string& path, const TempDir& dir) {
  Settings cfg;
  cfg.is_time = reader == Reader::hourly_definitions;
  cfg.is_tep_gr = false;
  cfg.emis_time_file = "given";
  if (reader == Reader::heat_formula) cfg.tep_vyd_type = "Metodika";
  TerrainGrid grid;
  read_terrain_definition(dir.write("grid.asc", kGrid), grid);
  std::vector<RefPoint> points{{"P1", 50, 50, 0, 0, true}};
  std::vector<Source> sources;
  std::vector<std::string> met, profiles;
  const std::string definitions = dir.write("def.txt", "S1 50 50 0 1 0 0 m\nS2 50 50 0 1 0 0 m\n");
  const std::string descriptions = dir.write("desc.txt", "S1" + kDescription + "S2" + kDescription);
  std::ostringstream out;
  switch (reader) {
    case Reader::terrain:
      return read_terrain_definition(path, grid);
    case Reader::window:
      return read_terrain(path, grid, points, sources);
    case Reader::points:
      read_ref_points(path, grid, out);
      return;
    case Reader::output_points:
      return read_output_ref_p(path, points);
    case Reader::definitions:
    case Reader::hourly_definitions:
      return read_sources(path, descriptions, cfg, grid, sources, met, profiles, out);
    case Reader::descriptions:
    case Reader::heat_formula:
      return read_sources(definitions, path, cfg, grid, sources, met, profiles, out);
    case Reader::rose:
      read_wind_roses(path, cfg, {""}, out);
      return;
    case Reader::met:
      read_time(path, cfg, {""}, out);
      return;
    case Reader::emission:
      read_time_emis(path, cfg, {""}, 2, out);
      return;
    case Reader::climate:
      read_climate_tables(path, out);
      return;
    case Reader::config:
      return check_outputs(read_config(path, out));
    case Reader::background: {
      const MetSeries m =
          read_time(dir.write("met.txt", "2015 1 1 0 0 2 1\n2015 1 1 1 0 2 1\n"), cfg, {""}, out);
      read_background(path, m);
      return;
    }
  }
}

// A descriptor bound to a socket at the path.
int bind_socket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  return fd;
}

// 1001 point sources of as many series names (or profile names).
std::string many_names(bool profiles) {
  std::string text;
  for (int k = 0; k <= 1000; ++k)
    text += "S 50 50 0 1 0 0 " + std::string(profiles ? "m " : "") +
            (k < 1000 ? std::to_string(k) : "x") + "\n";
  return text;
}

TEST(ReaderMessages, EveryMessageOnce) {
  const std::string outside = "Referencni bod P1 lezi mimo oblast vyskopisu.",
                    phi = "Hodnota parametru phi_step = ";
  const struct {
    Reader reader;
    std::string text, message;
  } cases[] = {
      // "@": the path of the file
      {Reader::points, kNoFile, "Soubor @ s referencnimi body neexistuje."},
      {Reader::terrain, kDirectory, "Soubor @ s terenem neexistuje."},
      {Reader::climate, kSocket, "Soubor @ s klimatickymi udaji pro chladici veze nelze otevrit."},
      {Reader::rose, kUnnamed, "Soubor s ruzici nebyl zadan."},
      // Header errors name line 0, rows count from the first data line.
      {Reader::terrain, "ncols 4.5\nnrows 3\nx 0\ny 0\nc 10\nn 0\n", on_line(0)},
      {Reader::terrain, "ncols 4\nnrows 3\n", kMissingData},
      // A header that parses but describes no grid.
      {Reader::terrain, "ncols 0\nnrows 3\nx 0\ny 0\nc 10\nn 0\n",
       kBadHeader + "ncols a nrows musi byt kladne."},
      {Reader::terrain, "ncols 4\nnrows 3\nx 0\ny 0\nc 0\nn 0\n",
       kBadHeader + "cellsize musi byt kladna."},
      {Reader::terrain, "ncols 2000000000\nnrows 2000000000\nx 0\ny 0\nc 1\nn 0\n",
       kBadHeader + "mrizka je prilis velka."},
      // Every value of the grid is read: it must be a 16-bit whole number, the file must hold
      // nrows x ncols of them and, with its first row on one line, every row on one line.
      {Reader::window, kGrid + "1 2 3 4\n5 6 40000 8\n",
       on_line(2) + "\nHodnota 40000 na radku 8 souboru " + kWholeMetres},
      {Reader::window, kGrid + "1 2 3 4\n5 6 7 8\n1 2 3 4\n1 2 3.5 4\n",
       on_line(4) + "\nHodnota 3.5 na radku 10 souboru " + kWholeMetres},
      {Reader::window, kGrid + "1 2 3 4\n5,,7 8\n",
       on_line(2) + "\nNa radku 8 souboru chybi hodnota (dve carky za sebou)."},
      {Reader::window, kGrid,
       kMissingData + "\nSoubor obsahuje 0 hodnot misto nrows x ncols = 4 x 4 = 16."},
      {Reader::window, kGrid + "1 2 3 4\n\n5 6 7\n8 9 10 11 12\n",
       on_line(2) +
           "\nRadek 2 mrizky (radek 9 souboru) obsahuje 3 hodnot, hlavicka udava ncols 4."},
      {Reader::window, kGrid + "4*1\n4*2\n4*3\n4*4\n4*5\n",
       on_line(5) + "\nSoubor obsahuje vice hodnot nez nrows x ncols = 4 x 4 = 16 (radek 11 "
                    "souboru)."},
      {Reader::window, kGrid + "1 2 3 4 5 6\n7 8 9 10 11 12\n13 14 15\n",
       kMissingData + "\nSoubor obsahuje 15 hodnot misto nrows x ncols = 4 x 4 = 16."},
      {Reader::points, "! c\n! c\nP1 5 5 0 0\nP2 5 x 0 0\n", on_line(2)},
      {Reader::points, "P0 50 50 0 0\n'Point of a longer name' 0 50 0 0\n",
       "Referencni bod Point of a longer na lezi mimo oblast vyskopisu."},  // the identifier cut to
                                                                            // 20
      {Reader::points, "P1 50 100 0 0\n", outside},
      {Reader::points, "P1 nan 50 0 0\n", on_line(1)},  // no number is finite
      {Reader::output_points, "P1\nP9\n",
       "Referencni bod P9 nachazejici se v souboru @ nebyl definovan."},
      {Reader::definitions, "! c\nS1 50 50 0 1 0 0 m\nS2 50 50 0 1.5 0 0 m\n", on_line(2)},
      {Reader::definitions, "S1 50 50 0 1 0 0 m\nS2 100 50 0 1 0 0 m\n",
       "Zdroj S2 lezi mimo oblast vyskopisu."},
      {Reader::definitions, "S1 50 50 0 1 0 0 m\nS2 50 50 0 1 0 0\n",
       on_line(2) + "\nRadek obsahuje jen 7 z 8 hodnot."},
      {Reader::definitions, "S1 50 50 0 1 0 0 m\nS2 50 50 0 0 0 0 m\n",
       "_get_sgm0: nedovolena hodnota typu zdroje\n               parametr \"typ_zdroje\" muze "
       "nabyvat hodnot 1, 2, 3\n               zadana hodnota \"class\":            0\n V souboru "
       "@ na "
       "radku 2 ma zdroj S2 typ 0 (1 bodovy, 2 plosny, 3 liniovy)."},
      {Reader::definitions, many_names(false),
       "Prilis mnoho ruznych nazvu meteorologickych rad (nejvice 1000)."},
      {Reader::hourly_definitions, many_names(true),
       "Prilis mnoho ruznych nazvu emisnich profilu (nejvice 1000)."},
      {Reader::descriptions, "! c\nS1" + kDescription + "s2" + kDescription,
       "V radku          2 v souboru @ ocekavan zdroj id S2 nalezen popis zdroje s2."},
      {Reader::descriptions, "S1" + kDescription + "S2 1 0 5 10 x 2 5 1 24 0 0\n", on_line(2)},
      {Reader::descriptions, "S1" + kDescription + "S2 1 0 5 10 80 2 5 -1 24 0 0\n",
       kNegative + "2 je zaporna hodnota time_use."},
      {Reader::descriptions, "S1" + kDescription + "S2 1 0 5 -40 80 2 5 1 24 0 0\n",
       kNegative + "2 je zaporna hodnota objemoveho toku spalin."},
      {Reader::heat_formula, "S1" + kDescription + "S2" + kDescription,
       "Hodnota parametru tep_vyd_type = Metodika je neplatna."},
      {Reader::rose, "! c\n1\n1 0\n1 0\n1 x\n", on_line(3)},  // the class record
      {Reader::rose, "4.5\n", on_line(0)},
      {Reader::rose, "! c\n0\n", "Pocet smeru v souboru @ musi byt kladny."},
      {Reader::rose, "444441002\n1\n", "Pocet smeru v souboru @ musi byt nejvyse 36000."},
      // A rose in fractions (or in per mille) is no rose in percent.
      {Reader::rose, "1\n" + repeated("0.05 0.04\n", 11),
       "Cetnosti v souboru @ davaji dohromady 0.99 % (vcetne bezvetri), povoleno je 50 az 150 %."
       "\nCetnosti se zadavaji v procentech roku a davaji dohromady 100 %."},
      {Reader::rose, "1\n" + repeated("9 5\n", 11),
       "Cetnosti v souboru @ davaji dohromady 154.00 % (vcetne bezvetri), povoleno je 50 az 150 %."
       "\nCetnosti se zadavaji v procentech roku a davaji dohromady 100 %."},
      {Reader::met, "2015 1 2 0 10 3 1\n2015 1 2 1 10 3 nan\n", on_line(2)},  // no stability class
      {Reader::met, "2015 1 1 0 0 2 1\n10000 1 1 1 0 2 1\n",
       "Datum v radku 2 souboru @ nelze zapsat do 13 znaku."},
      {Reader::met, "! comments only\n",
       "Soubor @ s meteorologickou casovou radou neobsahuje zadny zaznam."},
      // A record on its own line, speeds not negative, hours in order, classes 1 to 5.
      {Reader::met, "2015 1 2 0 10 3 1\n2015 1 2 1 10 3\n2015 1 2 2 10 3 1\n",
       on_line(2) + "\nRadek obsahuje jen 6 z 7 hodnot."},
      {Reader::met, "2015 1 2 0 10 3 1\n2015 1 2 1 10 -9999 1\n",
       on_line(2) + "\nRychlost vetru -9999.00 m/s je zaporna."},
      {Reader::met, "2015 1 2 0 10 3 1\n2015 1 1 23 10 3 1\n",
       on_line(2) +
           "\nDatum 2015/01/01/23 neni pozdejsi nez datum predchoziho zaznamu 2015/01/02/00."},
      {Reader::met, "2015 1 2 0 10 3 1\n2015 1 2 1 10 3 0.5\n",
       "evaluate_par: Index '0' of dimension 1 of array 'u_p' below lower bound of 1\n V souboru @ "
       "na radku 2 je trida stability 0 (tridy jsou 1 az 5)."},
      {Reader::emission, "2015 1 1 0 1\n2015 1 1 1.5 1\n", on_line(2)},
      {Reader::emission, "2015 1 1 0 1\n2015 1 1 1 -1\n",
       kNegative + "2 je zaporna hodnota emisniho faktoru."},
      {Reader::emission, "2015 1 1 0\n2015 1 1 1 1\n",
       on_line(1) + "\nRadek obsahuje jen 4 z 5 hodnot."},
      {Reader::climate, "title\nlabel\n70*1\nlabel\n69*1\nlabel\n", on_line(2)},  // the matrix
      {Reader::climate, "title\n", kMissingData},
      {Reader::config, "is_time = T\n/\n",
       "Chyba cten\xC3\xAD dat ze souboru data.txt.\nNeocekavany konec souboru.\n"
       "Zkontrolujte zda mate na zacatku souboru retezec &init a na konci znak /."},
      {Reader::config, "&init phi_step = -2.5 /", phi + "-2.5 je neplatna, musi byt kladna."},
      {Reader::config, "&init phi_step = nan /",
       kReadError + "Zkontrolujte zda jsou nazvy parametru uvedeny spravne.\n   neplatna hodnota "
                    "parametru 'phi_step' na radku 1"},
      {Reader::config, "&init phi_step = 400 /", phi + "400 je neplatna, musi byt nejvyse 360."},
      {Reader::config, "&init phi_step = 1e-9 /", phi + "1e-09 je neplatna, je prilis mala."},
      {Reader::config, "&init oputdir = 'no/such/dir' /",
       "Problem se zapisem do adresare pro vystupni data: no/such/dir/. Zkontrolujte ze adresar "
       "existuje."},
      {Reader::config, "&init is_time = T /",
       "N\xC3\xA1zev souboru s hodinov\xC3\xBDmi v\xC3\xBDstupy (output_time) nebyl zad\xC3\xA1n."},
      {Reader::config, "&init is_average = T /",
       "N\xC3\xA1zev souboru pro v\xC3\xBDstup v\xC3\xBDpo\xC4\x8Dtu dle metodiky (output_stats) "
       "nebyl zad\xC3\xA1n."},
      // The limits group after init: the same reader and messages, then its own checks.
      {Reader::config, "&init /\n&limits\n hour_limit = 200\n hour_alowed = 18 /",
       kReadError + "Zkontrolujte zda jsou nazvy parametru uvedeny spravne.\n   neznamy parametr "
                    "'hour_alowed' na radku 4"},
      {Reader::config, "&init / &limits hour_limit = 200",
       kReadError + "Neocekavany konec souboru.\nZkontrolujte zda mate na zacatku souboru retezec "
                    "&limits a na konci znak /."},
      {Reader::config, "&init / &limits day_allowed = 35 /",
       "Parametr day_allowed je zadan bez parametru day_limit (skupina &limits)."},
      {Reader::config, "&init / &limits day_limit = -50 /",
       "Hodnota parametru day_limit = -50 je neplatna, musi byt nezaporna."},
      {Reader::config, "&init / &limits hour_limit = 200 hour_allowed = 17.5 /",
       "Hodnota parametru hour_allowed = 17.5 je neplatna, musi byt cele nezaporne cislo."},
      {Reader::background, kNoFile, "Soubor @ s casovou radou pozadi neexistuje."},
      {Reader::background, "! c\n2015 1 1 0 10\n2015 1 1 1 10\n2015 1 1 2 10\n",
       "Soubor @ s casovou radou pozadi obsahuje 3 zaznamu, meteorologicka casova rada 2."},
      {Reader::background, "2015 1 1 0 10\n",
       "Soubor @ s casovou radou pozadi obsahuje 1 zaznamu, meteorologicka casova rada 2."},
      {Reader::background, "2015 1 1 0 10\n2015 1 1 2 10\n",
       "Datum 2015/01/01/02 v radku 2 souboru @ neodpovida hodine 2015/01/01/01 meteorologicke "
       "casove rady."},
      {Reader::background, "2015 1 1 0 10\n2015 1 1 1 x\n", on_line(2)},
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::string path = dir.file("data.txt");
    int socket_fd = -1;
    if (c.text == kDirectory) std::filesystem::create_directory(path);
    if (c.text == kSocket) socket_fd = bind_socket(path);
    if (c.text == kUnnamed) path = dir.path().string() + "/";
    if (!c.text.starts_with('<')) dir.write("data.txt", c.text);
    std::string message = c.message;
    if (const auto at = message.find('@'); at != std::string::npos) message.replace(at, 1, path);
    SCOPED_TRACE(c.text.substr(0, 80));
    EXPECT_INPUT_ERROR(read_as(c.reader, path, dir), message);
    if (socket_fd >= 0) close(socket_fd);
  }
  // A message is cut at 400 bytes, then loses its trailing blanks.
  EXPECT_RUN_ERROR(raise_error(std::string(399, 'y') + "  z"), " " + std::string(399, 'y') + "\n");
}

TEST(TerrainReader, KeepsTheWindowRowsAndCellEdgesBelongEastAndNorth) {
  TempDir dir;
  const std::string path = dir.write("grid.asc",
                                     "ncols 4\nnrows 3\nx 1000\ny 2000\nc 10\nn -9999\n"
                                     "11 12 13 14\n21 22 23 24\n31 -9999 33 34\n");
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  std::vector<Source> sources(1);
  sources[0].x = 1015;  // column 2 of file row 3
  sources[0].y = 2005;
  read_terrain(path, grid, {{"P", 1020, 2010, 0, 0, true}}, sources);  // column 3 of file row 2
  EXPECT_EQ(grid.z, (std::vector<std::int16_t>{-9999, 33, 22, 23}));   // the southern row first
  EXPECT_EQ(std::tuple(grid.first_file_column, grid.south_file_row), std::tuple(2, 3));
  read_terrain(path, grid, {}, {});  // nothing to cover: no window, the full extent stays
  EXPECT_EQ(std::tuple(grid.nx, grid.ny, grid.xllcorner, grid.yllcorner_upper),
            std::tuple(0, 0, 1000.0, 2030.0));
}

// A row is kept only as far as the window reaches: two billion columns written as one
// repeated item take neither memory nor time, and a bad value beyond the window still stops;
// values spread over lines otherwise than one row per line are read in order.
TEST(TerrainReader, ColumnsOutsideTheWindowAreCheckedNotKept) {
  TempDir dir;
  const std::string header = "ncols 2000000000\nnrows 1\nx 0\ny 0\nc 1\nn -9999\n";
  TerrainGrid grid;
  const std::vector<RefPoint> corner{{"P", 0.5, 0.5, 0, 0, true}};
  std::vector<Source> sources;
  const std::string path = dir.write("data.txt", header + "2000000000*7\n");
  read_terrain_definition(path, grid);
  read_terrain(path, grid, corner, sources);
  EXPECT_EQ(grid.z, std::vector<std::int16_t>{7});
  dir.write("data.txt", header + "5 1999999998*7 x\n");
  read_terrain_definition(path, grid);
  EXPECT_INPUT_ERROR(read_terrain(path, grid, corner, sources),
                     on_line(1) + "\nHodnota x na radku 7 souboru " + kWholeMetres);
  dir.write("data.txt", "ncols 3\nnrows 3\nx 0\ny 0\nc 1\nn -9999\n1 2\n3 4 5 6 7\n8\n9\n");
  read_terrain_definition(path, grid);
  read_terrain(path, grid, {{"P", 1.5, 1.5, 0, 0, true}, {"Q", 2.5, 0.5, 0, 0, true}}, sources);
  EXPECT_EQ(grid.z, (std::vector<std::int16_t>{8, 9, 5, 6}));
}

// Warnings go to the console and the run goes on: items left on a line (the first three of a
// file named, then how many more; the columns of a file's other use pass), identifiers that
// points share, a rose total off 100 percent within 50 to 150.
TEST(ReaderWarnings, ItemsLeftOnALineSharedIdentifiersRoseTotal) {
  TempDir dir;
  TerrainGrid grid;
  read_terrain_definition(dir.write("grid.asc", kGrid), grid);
  std::ostringstream out;
  const std::string points = dir.write(
      "points.txt", "P1 5 5 0 0 x1\nP2 5 5 0 0\nP1 5,5 5 0 0\nP3 5 5 0 0 x4\nP2 5 5 0 0 x5\n");
  read_ref_points(points, grid, out);
  EXPECT_EQ(out.str(),
            " Varovani: na radku 1 souboru " + points +
                " zustava neprectena polozka 'x1' (desetinna cisla se pisi s teckou).\n"
                " Varovani: na radku 3 souboru " +
                points +
                " zustava neprectena polozka '0' (desetinna cisla se pisi s teckou).\n"
                " Varovani: na radku 4 souboru " +
                points +
                " zustava neprectena polozka 'x4' (desetinna cisla se pisi s teckou).\n"
                " Varovani: v souboru " +
                points +
                " zustavaji neprectene polozky jeste na dalsich radcich (pocet: 1).\n"
                " Varovani: v souboru " +
                points +
                " se opakuji identifikatory referencnich bodu (napr. P1, P2; opakovani: 2); "
                "output_ref_p oznaci jen prvni bod kazdeho identifikatoru a ve vysledcich je podle "
                "nej nelze rozlisit.\n");
  out.str("");
  Settings cfg;  // statistical: the profile name may stand after the series, nothing more
  std::vector<Source> sources;
  std::vector<std::string> met, profiles;
  const std::string definitions =
      dir.write("def.txt", "S1 50 50 0 1 0 0 m CON\nS2 50 50 0 1 0 0 m CON x\n");
  read_sources(definitions, dir.write("desc.txt", "S1" + kDescription + "S2" + kDescription), cfg,
               grid, sources, met, profiles, out);
  EXPECT_EQ(out.str(),
            " Varovani: na radku 2 souboru " + definitions +
                " zustava neprectena polozka 'CON' (desetinna cisla se pisi s teckou).\n");
  out.str("");  // without inverze the four columns of the upper layer may stand there, all four
  const std::string series =
      dir.write("met.txt", "2015 1 2 0 10 3 1 -9999 0 0 0\n2015 1 2 1 10,5 3 1\n");
  read_time(series, cfg, {""}, out);
  EXPECT_EQ(out.str(), " Varovani: na radku 2 souboru " + series +
                           " zustava neprectena polozka '1' (desetinna cisla se pisi s teckou).\n");
  out.str("");
  const std::string rose = dir.write("rose.txt", "1\n" + repeated("9 4\n", 11));
  read_wind_roses(rose, cfg, {""}, out);
  EXPECT_EQ(out.str(),
            " Varovani: cetnosti v souboru " + rose + " davaji dohromady 143.00 % misto 100 %.\n");
}

// A cell holding the header's no-data value under a point or a source stops, named by its
// column and row in the file and its centre; cells nothing stands on may hold it.
TEST(TerrainReader, NoDataUnderAPointOrASourceStops) {
  TempDir dir;
  const std::string path = dir.write("grid.asc",
                                     "ncols 3\nnrows 2\nx 1000\ny 2000\nc 10\nn -9999\n"
                                     "-9999 -9999 12\n21 22 -9999\n");
  TerrainGrid grid;
  read_terrain_definition(path, grid);
  std::vector<RefPoint> points{{"P", 1005, 2005, 0, 0, true}};
  std::vector<Source> sources(1);
  sources[0].id = "S";
  sources[0].x = 1015;
  sources[0].y = 2015;
  read_terrain(path, grid, points, sources);
  check_nodata_under(path, grid, points, {});
  EXPECT_INPUT_ERROR(check_nodata_under(path, grid, points, sources),
                     "Bunka vyskopisu (sloupec 2, radek 1 souboru " + path +
                         "; stred x = 1015.00, y = 2015.00) ma hodnotu chybejicich dat -9999 a "
                         "lezi pod zdrojem S.\nDoplnte jeji vysku, nebo pouzijte vyskopis, ktery "
                         "pokryva vsechny body, zdroje a cesty mezi nimi.");
}

TEST(OutputRefPointsReader, FlagsTheFirstPointOfEveryListedIdentifier) {
  TempDir dir;
  std::vector<RefPoint> points(5);
  for (std::size_t k = 0; k < points.size(); ++k) points[k].id = std::string(1, "ABAC!"[k]);
  // Blank lines are passed over, the rest of a line and trailing blanks ignored, a repeated
  // identifier changes nothing, and "!" starts no comment here.
  read_output_ref_p(dir.write("out.txt", "\nA rest of line\n\n  'C  '\nA\n!\n"), points);
  std::string flags;
  for (const auto& p : points) flags += p.has_hourly_output ? 'x' : '-';
  EXPECT_EQ(flags, "x--xx");
}

TEST(SourcesReader, SeriesNamesAreCutToThreeAndRegisteredInOrderOfFirstUseAThousandAtMost) {
  TempDir dir;
  std::vector<std::string> names{"brno", "ost", "BRN", "brnx", "''", "' '"};
  for (int k = 0; k < 996; ++k)
    names.push_back(std::to_string(k));  // a thousand distinct names in all
  std::string definition, description;
  for (const std::string& name : names) {
    definition += "S 50 50 0 1 0 0 " + name + "\n";
    description += "S 1 0 50 10 80 2 5 1 24 0 0\n";
  }
  TerrainGrid grid;
  grid.xllcorner_upper = grid.yllcorner_upper = 100;
  std::vector<Source> sources;
  std::vector<std::string> met, profiles;
  std::ostringstream out;
  read_sources(dir.write("def.txt", definition), dir.write("desc.txt", description), Settings{},
               grid, sources, met, profiles, out);
  ASSERT_EQ(met.size(), 1000u);
  EXPECT_EQ(std::vector(met.begin(), met.begin() + 4),
            (std::vector<std::string>{"brn", "ost", "BRN", ""}));
  std::vector<int> met_idx;
  for (std::size_t k = 0; k < 6; ++k) met_idx.push_back(sources[k].met_idx);
  EXPECT_EQ(met_idx, (std::vector<int>{1, 2, 3, 1, 4, 4}));
}

TEST(SourcesReader, SortedByDescendingTimeUseEqualKeysKeepingTheirOrder) {
  std::vector<Source> sources(60);  // enough equal keys for an unstable sort to show
  for (int k = 0; k < 60; ++k) {
    sources[k].time_use = k % 3;
    sources[k].id = std::to_string(100 + k);  // the position before the sort
  }
  sort_sources(sources);
  for (int k = 1; k < 60; ++k) {
    const Source &a = sources[k - 1], &b = sources[k];
    EXPECT_TRUE(a.time_use > b.time_use || (a.time_use == b.time_use && a.id < b.id)) << k;
  }
}

// Every model sector interpolates between the two file sectors around it, past the last one
// toward north, also where 360 / n_dir is not exact in binary; the calm is spread in equal parts.
TEST(WindRoseReader, ModelSectorsInterpolateBetweenTheFileSectorsAroundThem) {
  for (int n_dir : {7, 8, 14}) {
    TempDir dir;
    // Sector i holds 10 i k percent and each class's calm 5 n_dir k, with k a power of two that
    // makes the total near 100 percent (exact in binary and in decimals).
    const double k = n_dir < 10 ? 1.0 / 32 : 1.0 / 128;
    const auto decimal = [](double v) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.10g", v);
      return std::string(buf);
    };
    std::string text = "! rose\n" + std::to_string(n_dir) + "\n", record;
    for (int i = 1; i <= n_dir; ++i)
      record += decimal(10 * i * k) + (i % 5 ? " " : "\n");  // over lines
    for (int j = 1; j <= 11; ++j) text += record + " " + decimal(5 * n_dir * k) + "\n";
    std::ostringstream out;
    const WindRoses r = read_wind_roses(dir.write("rose.txt", text), Settings{}, {""}, out);
    const double delta = 360.0 / n_dir;
    for (int p = 1; p <= 360; ++p) {
      const int lo = (p - 1) * n_dir / 360 + 1, hi = lo == n_dir ? 1 : lo + 1;  // exact in integers
      const double offset = (p - 1) - (lo - 1) * delta;
      EXPECT_NEAR((r.at(p, 11, 1) * delta * 100 - 5 * k) / k,
                  10 * lo + offset / delta * 10 * (hi - lo), 1e-9)
          << n_dir << " " << p;
    }
  }
}

TEST(MetSeriesReader, DatesClassesAndTheCalmLimit) {
  TempDir dir;
  Settings cfg;
  cfg.inverze = true;
  cfg.is_tep_gr = false;
  std::ostringstream out;
  const MetSeries m = read_time(dir.write("met.txt",
                                          "-999 1 1 1 200 0.4 3.9 -9999 210 0.2 -0.5\n"
                                          "  15 12 31 99 200 5 5.9 350.5 220 6 1.1\n"),
                                cfg, {""}, out);
  EXPECT_EQ(m.date, (std::vector<std::string>{"-999/01/01/01", "  15/12/31/99"}));
  // Speeds below 1.5 m/s count as 1.5, classes are cut toward zero; the upper layer's class
  // outside an inversion hour is not used, so it need not be one.
  EXPECT_EQ(std::tuple(m.w_sp, m.w_sp_i), std::tuple(std::vector{1.5, 5.0}, std::vector{1.5, 6.0}));
  EXPECT_EQ(std::tuple(m.stability_class, m.stability_class_i),
            std::tuple(std::vector{3, 5}, std::vector{0, 1}));
}

TEST(ReadConfig, DirectoriesEndWithASeparatorFixedLengthTextsAreCutPathsNever) {
  TempDir dir;
  std::ostringstream out;
  const std::string long_dir(300, 'd'), long_name = std::string(180, 'n') + ".txt";
  const Settings s = read_config(
      // Saved by an editor that puts a byte-order mark first.
      dir.write("run.nml", "\xEF\xBB\xBF&init iputdir = '" + long_dir + "' zdroje_file = '" +
                               long_name +
                               "' oputdir = 'out\\' daily_type = 'PM10x' delim_out = "
                               "'12345678901' tep_vyd_type = 'metodikaX' int_err = 1D1 "
                               "phi_step = 11 /"),
      out);
  EXPECT_EQ((std::vector<std::string>{s.iputdir, s.oputdir, s.zdroje_file, s.daily_type,
                                      s.delim_out, s.tep_vyd_type}),
            (std::vector<std::string>{long_dir + "/", "out\\", long_name, "PM10", "1234567890",
                                      "metodika"}));
  EXPECT_EQ(std::pair(s.int_err, s.nphi), std::pair(10.0, 32));  // 360 / 11 cut toward zero
}

// The limits group is optional: absent, nothing is given; present, its keys with their
// defaults (the compliance file named after the hourly table). The summary is named after the
// configuration file.
TEST(ReadConfig, LimitsGroupAfterInitAndTheSummaryName) {
  TempDir dir;
  std::ostringstream out;
  const Settings absent =
      read_config(dir.write("study.v2.nml", "&init output_time = 'h.csv' / ! &limits\n"), out);
  EXPECT_FALSE(absent.limits.given);
  EXPECT_EQ(absent.summary_file, "summary_study.v2.csv");
  const Limits l = read_config(dir.write("run.nml",
                                         "&init output_time = 'h.csv' /\n"
                                         "&LIMITS background = 12.5, hour_limit = 200,\n"
                                         "  hour_allowed = 18 year_limit = 0 /\n"),
                               out)
                       .limits;
  EXPECT_TRUE(l.given);
  EXPECT_EQ(std::tuple(l.background, l.hour_limit, l.hour_allowed, l.day_limit, l.day_allowed,
                       l.year_limit, l.output_limits, l.background_file),
            std::tuple(12.5, std::optional(200.0), std::optional(18), std::optional<double>(),
                       std::optional<int>(), std::optional(0.0), "limits_h.csv", ""));
}

// Members in the order of the source table, every source of a shared identifier, comments
// anywhere, a byte-order mark before the first; each fault stops with the group and its line.
TEST(GroupsReader, MembersAndEveryFault) {
  TempDir dir;
  std::vector<Source> sources(4);
  for (std::size_t k = 0; k < sources.size(); ++k) sources[k].id = std::string(1, "ABAC"[k]);
  sources[1].id = "B/";  // an identifier quoted in the sources file may hold a slash
  const std::vector<SourceGroup> groups = read_groups(
      dir.write("g.txt", "\xEF\xBB\xBF! c\nG1 C, 'A  ' C\n\n! c/d\nx-2_Y 'B/'\n"), sources);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(std::tuple(groups[0].name, groups[0].members, groups[1].name, groups[1].members),
            std::tuple("G1", std::vector<int>{0, 2, 3}, "x-2_Y", std::vector<int>{1}));
  const std::string at = " na radku 2 souboru " + dir.file("g.txt");
  const std::pair<std::string, std::string> faults[] = {
      {"G1 A\nG1 B\n", "Skupina zdroju G1" + at + " uz byla definovana."},
      {"G1 A\nG2\n", "Skupina zdroju G2" + at + " neobsahuje zadny zdroj."},
      {"G1 A\nG2 A D\n", "Zdroj D skupiny G2" + at + " nebyl definovan."},
      {"G1 A\nG.2 A\n", "Nazev skupiny zdroju 'G.2'" + at +
                            " je neplatny: nejvice 20 znaku, jen pismena, cislice, _ a -."},
      {"G1 A\n" + std::string(21, 'G') + " A\n",
       "Nazev skupiny zdroju '" + std::string(21, 'G') + "'" + at +
           " je neplatny: nejvice 20 znaku, jen pismena, cislice, _ a -."},
      // The whole name, not its part before the slash.
      {"G1 A\n../x A\n", "Nazev skupiny zdroju '../x'" + at +
                             " je neplatny: nejvice 20 znaku, jen pismena, cislice, _ a -."},
      // A slash would end the record elsewhere and drop what follows it.
      {"G1 A\nPLANT A / C\n", "Znak /" + at + " neni v definici skupin zdroju dovolen."},
      {"G1 A\n/ A\n", "Znak /" + at + " neni v definici skupin zdroju dovolen."},
      {"G1 A\nG2 A/C\n", "Znak /" + at + " neni v definici skupin zdroju dovolen."}};
  for (const auto& [text, message] : faults)
    EXPECT_INPUT_ERROR(read_groups(dir.write("g.txt", text), sources), message);
}

}  // namespace
}  // namespace kadre

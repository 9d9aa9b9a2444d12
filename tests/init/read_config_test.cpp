#include "init/read_config.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

const std::string kReadError = "Chyba cten\xC3\xAD dat ze souboru ";
const std::string kBadKeyHint = "\nZkontrolujte zda jsou nazvy parametru uvedeny spravne.";
const std::string kEofHint =
    "\nNeocekavany konec souboru.\nZkontrolujte zda mate na zacatku souboru retezec &init a na "
    "konci znak /.";

Settings read_text(const TempDir& dir, const std::string& text) {
  std::ostringstream out;
  Settings s = read_config(dir.write("run.nml", text), out);
  EXPECT_EQ(out.str(), " Nacitam vstupni data\n");
  return s;
}

TEST(ReadConfig, AbsentKeysKeepTheirDefaults) {
  TempDir dir;
  const Settings s = read_text(dir, "&init\n/\n");
  EXPECT_EQ(s.iputdir, "./");
  EXPECT_EQ(s.oputdir, "./");
  EXPECT_EQ(s.trida_lat, 0);
  EXPECT_TRUE(s.is_tep_gr);
  EXPECT_TRUE(s.time_output_all);
  EXPECT_TRUE(s.wind_rotation);
  EXPECT_FALSE(s.is_time || s.methodology() || s.is_daily || s.inverze || s.is_no);
  EXPECT_EQ(s.u_height, 10.0);
  EXPECT_EQ(s.phi_step, 1.0);
  EXPECT_EQ(s.nphi, 360);
  EXPECT_EQ(s.shortterm_avg, 60);
  EXPECT_EQ(s.delim_out, ";");
  EXPECT_EQ(s.int_err, 25.0);
  EXPECT_EQ(s.tep_vyd_type, "vyzk-zpr");
  EXPECT_EQ(s.infl_dist_min, 0.0);
  EXPECT_EQ(s.infl_dist_max, 100000.0);
  EXPECT_EQ(s.daily_type, "");
  EXPECT_EQ(s.ch_exceed, (std::array<double, 3>{0, 0, 0}));
}

TEST(ReadConfig, FullExample) {
  TempDir dir;
  const Settings s = read_text(dir, R"(Run of the sample study
&INIT
 iputdir = 'input', oputdir = "out/"
 ref_body_file = 'ref.txt'  zdroje_file = 'zdroje.txt'  zdroje_popis_file = 'popis.txt'
 time_file = 'met.txt', emis_time_file = 'emis.txt', output_time = 'hodiny.csv'
 vyskopis_file = 'teren.asc', trida_lat = 2, is_tep_gr = .false.
 is_average = .true., ruzice_file = 'ruzice.txt', is_time = T, output_stats = 'stat.csv'
 is_exceed = t, ch_exceed = 200, 350, 500, cd_exceed(2) = 125
 is_no = .TRUE., u_height = 12.5, daily_type = 'SO2', phi_step = 0.7
 chl_v_file = 'chv.txt', inverze = T, free_atmo = T, is_shluky = T
 is_max_abs = T, is_max_11 = T, is_daily = T, time_output_all = F
 output_ref_p = 'vyber.txt', wind_rotation = F, shortterm_avg = 480
 delim_out = ',', int_err = 1.0D1, tep_vyd_type = 'metodika'
 infl_dist_min = 100, infl_dist_max = 5.0e4   ! the rest keeps its defaults
/
)");
  EXPECT_EQ(s.iputdir, "input/");
  EXPECT_EQ(s.oputdir, "out/");
  EXPECT_EQ(s.ref_body_file, "ref.txt");
  EXPECT_EQ(s.zdroje_file, "zdroje.txt");
  EXPECT_EQ(s.zdroje_popis_file, "popis.txt");
  EXPECT_EQ(s.time_file, "met.txt");
  EXPECT_EQ(s.emis_time_file, "emis.txt");
  EXPECT_EQ(s.output_time, "hodiny.csv");
  EXPECT_EQ(s.vyskopis_file, "teren.asc");
  EXPECT_EQ(s.trida_lat, 2);
  EXPECT_FALSE(s.is_tep_gr);
  EXPECT_TRUE(s.is_average && s.is_time && s.is_exceed && s.is_no && s.inverze);
  EXPECT_TRUE(s.free_atmo && s.is_shluky && s.is_max_abs && s.is_max_11 && s.is_daily);
  EXPECT_FALSE(s.time_output_all || s.wind_rotation);
  EXPECT_EQ(s.ruzice_file, "ruzice.txt");
  EXPECT_EQ(s.output_stats, "stat.csv");
  EXPECT_EQ(s.ch_exceed, (std::array<double, 3>{200, 350, 500}));
  EXPECT_EQ(s.cd_exceed, (std::array<double, 3>{0, 125, 0}));
  EXPECT_EQ(s.u_height, 12.5);
  EXPECT_EQ(s.daily_type, "SO2");
  EXPECT_EQ(s.phi_step, 0.7);
  EXPECT_EQ(s.nphi, 514);
  EXPECT_EQ(s.chl_v_file, "chv.txt");
  EXPECT_EQ(s.output_ref_p, "vyber.txt");
  EXPECT_EQ(s.shortterm_avg, 480);
  EXPECT_EQ(s.delim_out, ",");
  EXPECT_EQ(s.int_err, 10.0);
  EXPECT_EQ(s.tep_vyd_type, "metodika");
  EXPECT_EQ(s.infl_dist_min, 100.0);
  EXPECT_EQ(s.infl_dist_max, 50000.0);
}

TEST(ReadConfig, FixedLengthTextsAreCutPathsNever) {
  TempDir dir;
  const std::string long_dir(300, 'd');
  const std::string long_name = std::string(180, 'n') + ".txt";
  const Settings s = read_text(dir, "&init iputdir = '" + long_dir + "' zdroje_file = '" +
                                        long_name + "' oputdir = '" + long_dir +
                                        "\\' daily_type = 'PM10x' delim_out = '12345678901'"
                                        " tep_vyd_type = 'metodikaX' /");
  EXPECT_EQ(s.iputdir, long_dir + "/");
  EXPECT_EQ(s.oputdir, long_dir + "\\");
  EXPECT_EQ(s.zdroje_file, long_name);
  EXPECT_EQ(s.daily_type, "PM10");
  EXPECT_EQ(s.delim_out, "1234567890");
  EXPECT_EQ(s.tep_vyd_type, "metodika");
}

TEST(ReadConfig, DirectoriesEndWithASeparator) {
  TempDir dir;
  EXPECT_EQ(read_text(dir, "&init iputdir = 'data' /").iputdir, "data/");
  EXPECT_EQ(read_text(dir, "&init iputdir = 'data/' /").iputdir, "data/");
  EXPECT_EQ(read_text(dir, "&init iputdir = 'data\\' /").iputdir, "data\\");
  EXPECT_EQ(read_text(dir, "&init iputdir = 'data   ' /").iputdir, "data/");
  // Blank means the current directory: file names are then used as they are.
  const Settings blank = read_text(dir, "&init iputdir = '', oputdir = '   ' /");
  EXPECT_EQ(blank.iputdir, "");
  EXPECT_EQ(blank.oputdir, "");
}

TEST(ReadConfig, SectorsFromPhiStep) {
  TempDir dir;
  EXPECT_EQ(read_text(dir, "&init phi_step = 0.7 /").nphi, 514);
  EXPECT_EQ(read_text(dir, "&init phi_step = 10 /").nphi, 36);
  EXPECT_EQ(read_text(dir, "&init phi_step = 7 /").nphi, 51);
  EXPECT_EQ(read_text(dir, "&init phi_step = 360 /").nphi, 1);
}

TEST(ReadConfig, UnusablePhiStepStops) {
  TempDir dir;
  std::ostringstream out;
  const std::string path = dir.write("run.nml", "&init phi_step = 0 /");
  EXPECT_INPUT_ERROR(read_config(path, out),
                     "Hodnota parametru phi_step = 0 je neplatna, musi byt kladna.");
  dir.write("run.nml", "&init phi_step = -2.5 /");
  EXPECT_INPUT_ERROR(read_config(path, out),
                     "Hodnota parametru phi_step = -2.5 je neplatna, musi byt kladna.");
  dir.write("run.nml", "&init phi_step = nan /");
  EXPECT_INPUT_ERROR(read_config(path, out),
                     "Hodnota parametru phi_step = nan je neplatna, musi byt kladna.");
  // No sector at all would leave every concentration zero.
  dir.write("run.nml", "&init phi_step = 400 /");
  EXPECT_INPUT_ERROR(read_config(path, out),
                     "Hodnota parametru phi_step = 400 je neplatna, musi byt nejvyse 360.");
  dir.write("run.nml", "&init phi_step = 1e-09 /");
  EXPECT_INPUT_ERROR(read_config(path, out),
                     "Hodnota parametru phi_step = 1e-09 je neplatna, je prilis mala.");
}

TEST(ReadConfig, UnreadableGroupMessages) {
  TempDir dir;
  std::ostringstream out;
  const std::string path = dir.write("cfg/run.nml", "&init\n is_tme = T\n/\n");
  const std::string bad = kReadError + "run.nml." + kBadKeyHint;
  const std::string eof = kReadError + "run.nml." + kEofHint;
  EXPECT_INPUT_ERROR(read_config(path, out), bad);
  dir.write("cfg/run.nml", "&init\n is_time = 'yes'\n/\n");
  EXPECT_INPUT_ERROR(read_config(path, out), bad);
  dir.write("cfg/run.nml", "&init\n trida_lat = 2.5\n/\n");
  EXPECT_INPUT_ERROR(read_config(path, out), bad);
  dir.write("cfg/run.nml", "&init\n is_time = T\n");
  EXPECT_INPUT_ERROR(read_config(path, out), eof);
  dir.write("cfg/run.nml", "");
  EXPECT_INPUT_ERROR(read_config(path, out), eof);
  dir.write("cfg/run.nml", "is_time = T\n/\n");
  EXPECT_INPUT_ERROR(read_config(path, out), eof);
  // The whole console text, as the user sees it.
  EXPECT_RUN_ERROR(read_config(path, out),
                   " Chyba cten\xC3\xAD dat ze souboru run.nml.\nNeocekavany konec souboru.\n"
                   "Zkontrolujte zda mate na zacatku souboru retezec &init a na konci znak /.\n");
}

TEST(ReadConfig, MissingFile) {
  TempDir dir;
  std::ostringstream out;
  EXPECT_INPUT_ERROR(read_config(dir.file("none.nml"), out),
                     "Soubor " + dir.file("none.nml") + " s inicializaci vypoctu neexistuje.");
  EXPECT_EQ(out.str(), " Nacitam vstupni data\n");
  EXPECT_INPUT_ERROR(read_config("", out), "Soubor s inicializaci vypoctu nebyl zadan.");
  EXPECT_INPUT_ERROR(read_config(dir.path().string() + "/", out),
                     "Soubor s inicializaci vypoctu nebyl zadan.");
}

TEST(CheckOutputs, WritableDirectoryAndNamedOutputsPass) {
  TempDir dir;
  Settings s;
  s.oputdir = dir.path().string() + "/";
  s.is_time = true;
  s.output_time = "hodiny.csv";
  s.is_max_abs = true;
  s.output_stats = "stat.csv";
  EXPECT_NO_THROW(check_outputs(s));
  EXPECT_FALSE(std::filesystem::exists(dir.file("test_file")));
  // is_daily alone switches no evaluation on: no statistical output is needed.
  Settings daily;
  daily.oputdir = s.oputdir;
  daily.is_daily = true;
  EXPECT_NO_THROW(check_outputs(daily));
}

TEST(CheckOutputs, BlankOutputDirectoryIsTheCurrentOne) {
  TempDir dir;
  test::ScopedCwd cwd(dir.path());
  Settings s;
  s.oputdir = "";
  EXPECT_NO_THROW(check_outputs(s));
  EXPECT_FALSE(std::filesystem::exists(dir.file("test_file")));
}

TEST(CheckOutputs, Messages) {
  TempDir dir;
  Settings s;
  s.oputdir = dir.file("missing") + "/";
  s.is_time = true;
  EXPECT_INPUT_ERROR(check_outputs(s), "Problem se zapisem do adresare pro vystupni data: " +
                                           dir.file("missing") +
                                           "/. Zkontrolujte ze adresar existuje.");
  s.oputdir = dir.path().string() + "/";
  EXPECT_RUN_ERROR(check_outputs(s),
                   " N\xC3\xA1zev souboru s hodinov\xC3\xBDmi v\xC3\xBDstupy (output_time) "
                   "nebyl zad\xC3\xA1n.\n");
  s.output_time = "hodiny.csv";
  s.is_exceed = true;
  s.output_stats = "  ";
  EXPECT_RUN_ERROR(check_outputs(s),
                   " N\xC3\xA1zev souboru pro v\xC3\xBDstup v\xC3\xBDpo\xC4\x8Dtu dle metodiky "
                   "(output_stats) nebyl zad\xC3\xA1n.\n");
}

}  // namespace
}  // namespace kadre

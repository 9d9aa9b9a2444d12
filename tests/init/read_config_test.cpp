#include "init/read_config.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

Settings read_text(const TempDir& dir, const std::string& text) {
  std::ostringstream out;
  Settings s = read_config(dir.write("run.nml", text), out);
  EXPECT_EQ(out.str(), " Nacitam vstupni data\n");
  return s;
}

// Every key reaches its own setting.
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
  using Texts = std::vector<std::string>;
  EXPECT_EQ((Texts{s.iputdir, s.oputdir, s.ref_body_file, s.zdroje_file, s.zdroje_popis_file,
                   s.time_file, s.emis_time_file, s.output_time, s.vyskopis_file, s.ruzice_file,
                   s.output_stats, s.daily_type, s.chl_v_file, s.output_ref_p, s.delim_out, s.tep_vyd_type}),
            (Texts{"input/", "out/", "ref.txt", "zdroje.txt", "popis.txt", "met.txt", "emis.txt",
                   "hodiny.csv", "teren.asc", "ruzice.txt", "stat.csv", "SO2", "chv.txt", "vyber.txt",
                   ",", "metodika"}));
  // Only is_tep_gr, time_output_all and wind_rotation are false.
  EXPECT_EQ((std::vector<bool>{s.is_tep_gr, s.is_average, s.is_time, s.is_exceed, s.is_no, s.inverze,
                               s.free_atmo, s.is_shluky, s.is_max_abs, s.is_max_11, s.is_daily,
                               s.time_output_all, s.wind_rotation}),
            (std::vector<bool>{0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}));
  EXPECT_EQ((std::vector<double>{s.u_height, s.phi_step, s.int_err, s.infl_dist_min, s.infl_dist_max,
                                 s.ch_exceed[0], s.ch_exceed[1], s.ch_exceed[2], s.cd_exceed[0],
                                 s.cd_exceed[1], s.cd_exceed[2]}),
            (std::vector<double>{12.5, 0.7, 10, 100, 50000, 200, 350, 500, 0, 125, 0}));
  EXPECT_EQ((std::vector<int>{s.trida_lat, s.shortterm_avg, s.nphi}), (std::vector<int>{2, 480, 514}));
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

TEST(ReadConfig, DirectoriesEndWithOneSeparatorAndBlankMeansCurrent) {
  TempDir dir;
  for (auto [written, expected] : {std::pair{"data", "data/"}, {"data/", "data/"}, {"data\\", "data\\"},
                                   {"data   ", "data/"}, {"", ""}, {"   ", ""}}) {
    const Settings s = read_text(dir, std::string("&init iputdir = '") + written + "', oputdir = '" +
                                          written + "' /");
    EXPECT_EQ(s.iputdir, expected) << written;
    EXPECT_EQ(s.oputdir, expected) << written;
  }
}

TEST(ReadConfig, SectorCountFromPhiStep) {
  for (auto [step, sectors] : {std::pair{0.7, 514}, {10.0, 36}, {7.0, 51}, {360.0, 1}})
    EXPECT_EQ(sector_count(step), sectors) << step;
  const std::string head = "Hodnota parametru phi_step = ";
  EXPECT_INPUT_ERROR(sector_count(0), head + "0 je neplatna, musi byt kladna.");
  EXPECT_INPUT_ERROR(sector_count(-2.5), head + "-2.5 je neplatna, musi byt kladna.");
  // No sector at all would leave every concentration zero.
  EXPECT_INPUT_ERROR(sector_count(400), head + "400 je neplatna, musi byt nejvyse 360.");
  EXPECT_INPUT_ERROR(sector_count(1e-9), head + "1e-09 je neplatna, je prilis mala.");
  TempDir dir;
  std::ostringstream out;
  // A not-a-number step is read like any real and must not pass.
  EXPECT_INPUT_ERROR(read_config(dir.write("run.nml", "&init phi_step = nan /"), out),
                     head + "nan je neplatna, musi byt kladna.");
}

TEST(ReadConfig, UnreadableOrMissingFile) {
  TempDir dir;
  std::ostringstream out;
  EXPECT_INPUT_ERROR(read_config(dir.write("cfg/run.nml", "&init\n is_tme = T\n/\n"), out),
                     "Chyba cten\xC3\xAD dat ze souboru run.nml.\n"
                     "Zkontrolujte zda jsou nazvy parametru uvedeny spravne.");
  // The whole console text, as the user sees it.
  EXPECT_RUN_ERROR(read_config(dir.write("cfg/run.nml", "is_time = T\n/\n"), out),
                   " Chyba cten\xC3\xAD dat ze souboru run.nml.\nNeocekavany konec souboru.\n"
                   "Zkontrolujte zda mate na zacatku souboru retezec &init a na konci znak /.\n");
  EXPECT_INPUT_ERROR(read_config(dir.path().string() + "/", out),
                     "Soubor s inicializaci vypoctu nebyl zadan.");
}

TEST(CheckOutputs, DirectoryAndNamedOutputs) {
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
  EXPECT_NO_THROW(check_outputs(s));
  EXPECT_FALSE(std::filesystem::exists(dir.file("test_file")));  // the probe is removed
  s.is_exceed = true;
  s.output_stats = "  ";
  EXPECT_RUN_ERROR(check_outputs(s),
                   " N\xC3\xA1zev souboru pro v\xC3\xBDstup v\xC3\xBDpo\xC4\x8Dtu dle metodiky "
                   "(output_stats) nebyl zad\xC3\xA1n.\n");
  // is_daily alone switches no evaluation on: no statistical output is needed.
  Settings daily;
  daily.oputdir = s.oputdir;
  daily.is_daily = true;
  EXPECT_NO_THROW(check_outputs(daily));
  // A blank output directory is the current one; a leftover test_file counts as proof
  // there and stays in place.
  test::ScopedCwd cwd(dir.path());
  daily.oputdir = "";
  EXPECT_NO_THROW(check_outputs(daily));
  EXPECT_FALSE(std::filesystem::exists(dir.file("test_file")));
  dir.write("missing/test_file", "");
  daily.oputdir = "missing/";
  EXPECT_NO_THROW(check_outputs(daily));
  EXPECT_TRUE(std::filesystem::exists(dir.file("missing/test_file")));
}

}  // namespace
}  // namespace kadre

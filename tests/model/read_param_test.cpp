#include "model/read_param.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kadre {
namespace {

using test::ScopedCwd;
using test::TempDir;

// The sample file with one line replaced (the line that begins with the given key).
std::string sample_with(const std::string& key, const std::string& line) {
  std::string text = test::sample_param_nml();
  const auto at = text.find("\n " + key + " =");
  if (at == std::string::npos) {
    ADD_FAILURE() << "no line for " << key << " in the sample";
    return text;
  }
  const auto end = text.find('\n', at + 1);
  return text.substr(0, at + 1) + line + text.substr(end);
}

Settings config(int trida_lat, int shortterm_avg) {
  Settings s;
  s.trida_lat = trida_lat;
  s.shortterm_avg = shortterm_avg;
  return s;
}

class ReadParam : public ::testing::Test {
 protected:
  void write(const std::string& text) { dir_.write("param.nml", text); }
  TempDir dir_;
  ScopedCwd cwd_{dir_.path()};
};

TEST_F(ReadParam, SampleFileValues) {
  write(test::sample_param_nml());
  const ModelParams p = read_param(config(2, 60));
  EXPECT_EQ(p.ks, (ModelParams::PerClass{0.55, 0.75, 1.0, 1.15, 1.3}));
  EXPECT_EQ(p.km[4], 130.0);
  EXPECT_EQ(p.stab_cl_ue, (std::array<double, 5>{-1.6, -0.7, 0.6, 0.9, 0.0}));
  EXPECT_EQ(p.class_w_sp, (std::array<double, 3>{1.7, 5.0, 11.0}));
  EXPECT_EQ(p.class_w_sp_ue, (std::array<double, 2>{2.5, 7.5}));
  EXPECT_EQ(p.uhel_limit_b, 40.0);
  EXPECT_EQ(p.uhel_limit_pl, 60.0);
  EXPECT_EQ(p.k_p[2], 2.0e-4);
  EXPECT_EQ(p.gamma, (std::array<double, 3>{-0.02, -0.006, 0.004}));
  EXPECT_EQ(p.k_u, 8.0e-5);
  // fz: heights and values alternate, the first index running fastest.
  EXPECT_EQ(p.fz_height(1), 0.0);
  EXPECT_EQ(p.fz_value(1), 0.445);
  EXPECT_EQ(p.fz_height(2), 50.0);
  EXPECT_EQ(p.fz_value(2), 0.4186);
  EXPECT_EQ(p.fz_height(26), 1250.0);
  EXPECT_EQ(p.fz_value(26), 0.0);
}

TEST_F(ReadParam, AveragingTimeSelectsTheCoefficientSet) {
  write(test::sample_param_nml());
  const ModelParams m30 = read_param(config(1, 30));
  const ModelParams h1 = read_param(config(1, 60));
  const ModelParams h8 = read_param(config(1, 480));
  EXPECT_EQ(m30.ay, m30.ay_30m);
  EXPECT_EQ(m30.ay[0], 0.0617);
  EXPECT_EQ(h1.ay[0], 0.0709);
  EXPECT_EQ(h8.ay[0], 0.1075);
  EXPECT_EQ(h8.by, h8.by_8h);
  EXPECT_EQ(h8.az, h8.az_8h);
  EXPECT_EQ(h8.bz, h8.bz_8h);
  EXPECT_EQ(h1.bz, h1.bz_1h);
  EXPECT_EQ(m30.k_u, 0.0);
  EXPECT_EQ(read_param(config(3, 60)).k_u, 3.0e-4);
}

TEST_F(ReadParam, OtherAveragingTimeStops) {
  write(test::sample_param_nml());
  EXPECT_RUN_ERROR(read_param(config(1, 120)),
                   " _get_sgm_par: Nedovolena hodnota prumerovaciho intervalu\n"
                   "               Parametr \"time\" muze nabyvat hodnot 30, 60, 480\n"
                   "               Zadana hodnota \"time\":          120\n");
  ModelParams p;
  EXPECT_RUN_ERROR(get_sgm_par(-5, p),
                   " _get_sgm_par: Nedovolena hodnota prumerovaciho intervalu\n"
                   "               Parametr \"time\" muze nabyvat hodnot 30, 60, 480\n"
                   "               Zadana hodnota \"time\":           -5\n");
}

TEST_F(ReadParam, PollutantClassOutsideOneToThreeStops) {
  write(test::sample_param_nml());
  const std::string head =
      " _get_coef_dep: Nedovolena hodnota tridy znecistujici latky (parametr trida_lat)\n"
      "               Hodnota tridy muze nabyvat hodnot 1 az max.            3\n";
  EXPECT_RUN_ERROR(read_param(config(0, 60)),
                   head + "               Zadana hodnota tridy:            0\n");
  EXPECT_RUN_ERROR(read_param(config(4, 120)),
                   head + "               Zadana hodnota tridy:            4\n");
}

TEST_F(ReadParam, MissingOrUnreadableFile) {
  EXPECT_INPUT_ERROR(read_param(config(1, 60)), "Soubor param.nml s parametry vypoctu neexistuje.");
  // Beside the run configuration does not count: only the working directory does.
  dir_.write("cfg/param.nml", test::sample_param_nml());
  EXPECT_INPUT_ERROR(read_param(config(1, 60)), "Soubor param.nml s parametry vypoctu neexistuje.");
  write(sample_with("ks", " kss = 1, 2, 3, 4, 5,"));
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Chyba cten\xC3\xAD dat ze souboru param.nml.\n"
                     "Zkontrolujte zda jsou nazvy parametru uvedeny spravne.");
  write(sample_with("ks", " ks = 1, 2, 3, 4, 5, 6,"));
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Chyba cten\xC3\xAD dat ze souboru param.nml.\n"
                     "Zkontrolujte zda jsou nazvy parametru uvedeny spravne.");
  write("&param ks = 1\n");
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Chyba cten\xC3\xAD dat ze souboru param.nml.\nNeocekavany konec souboru.\n"
                     "Zkontrolujte zda mate na zacatku souboru retezec &init a na konci znak /.");
}

TEST_F(ReadParam, OmittedKeyHoldsZero) {
  write(sample_with("k_p", ""));
  const ModelParams p = read_param(config(1, 60));
  EXPECT_EQ(p.k_p, (ModelParams::PerClass{0, 0, 0, 0, 0}));
  EXPECT_EQ(p.ks[0], 0.55);
}

TEST_F(ReadParam, AngleLimitsMustLieBelowNinetyDegrees) {
  write(sample_with("uhel_limit_b", " uhel_limit_b = 95.0,"));
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Hodnota parametru uhel_limit_b = 95.000 je neplatna, musi lezet v intervalu "
                     "0 az 90 (bez 90).");
  write(sample_with("uhel_limit_pl", " uhel_limit_pl = 90,"));
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Hodnota parametru uhel_limit_pl = 90.000 je neplatna, musi lezet v "
                     "intervalu 0 az 90 (bez 90).");
  write(sample_with("uhel_limit_pl", " uhel_limit_pl = -0.5,"));
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Hodnota parametru uhel_limit_pl = -0.500 je neplatna, musi lezet v "
                     "intervalu 0 az 90 (bez 90).");
  write(sample_with("uhel_limit_b", " uhel_limit_b = 89.99,"));
  EXPECT_EQ(read_param(config(1, 60)).uhel_limit_b, 89.99);
}

TEST_F(ReadParam, StableGammaMustStayBelowTheAdiabaticGradient) {
  write(sample_with("gamma", " gamma(2) = 0.01,"));
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Hodnota parametru gamma(2) = 0.010 je neplatna, musi byt mensi nez 0.01.");
  write(sample_with("gamma", " gamma = -0.02, -0.006, 0.0099,"));
  EXPECT_EQ(read_param(config(1, 60)).gamma[2], 0.0099);
  // The class and averaging-time checks come first.
  write(sample_with("gamma", " gamma(3) = 0.5, uhel_limit_b = 120,"));
  EXPECT_RUN_ERROR(read_param(config(1, 120)),
                   " _get_sgm_par: Nedovolena hodnota prumerovaciho intervalu\n"
                   "               Parametr \"time\" muze nabyvat hodnot 30, 60, 480\n"
                   "               Zadana hodnota \"time\":          120\n");
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Hodnota parametru uhel_limit_b = 120.000 je neplatna, musi lezet v "
                     "intervalu 0 az 90 (bez 90).");
}

}  // namespace
}  // namespace kadre

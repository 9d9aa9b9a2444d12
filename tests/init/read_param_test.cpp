#include "init/read_param.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace kadre {
namespace {

// The sample file with the line of the given key replaced.
std::string sample_with(const std::string& key, const std::string& line) {
  std::string text = test::sample_param_nml();
  const auto at = text.find("\n " + key + " =");
  if (at == std::string::npos) {
    ADD_FAILURE() << "no line for " << key << " in the sample";
    return text;
  }
  return text.substr(0, at + 1) + line + text.substr(text.find('\n', at + 1));
}

Settings config(int trida_lat, int shortterm_avg) {
  Settings s;
  s.trida_lat = trida_lat;
  s.shortterm_avg = shortterm_avg;
  return s;
}

const std::string kBadTime =
    " _get_sgm_par: Nedovolena hodnota prumerovaciho intervalu\n"
    "               Parametr \"time\" muze nabyvat hodnot 30, 60, 480\n"
    "               Zadana hodnota \"time\":";

class ReadParam : public ::testing::Test {
 protected:
  void write(const std::string& text) { dir_.write("param.nml", text); }
  test::TempDir dir_;
  test::ScopedCwd cwd_{dir_.path()};
};

// What the data cases cannot tell apart: the storage order of fz, the set of each averaging
// time, the pollutant class's k_u, and an omitted key holding zero.
TEST_F(ReadParam, SampleValuesAndTheSetOfTheAveragingTime) {
  write(test::sample_param_nml());
  for (const auto& [node, height, value] :
       {std::tuple{1, 0.0, 0.445}, {2, 50.0, 0.4186}, {26, 1250.0, 0.0}}) {
    EXPECT_EQ(read_param(config(2, 60)).fz_height(node), height) << node;
    EXPECT_EQ(read_param(config(2, 60)).fz_value(node), value) << node;
  }
  const ModelParams m30 = read_param(config(1, 30)), h1 = read_param(config(2, 60)),
                    h8 = read_param(config(3, 480));
  EXPECT_EQ((std::vector<double>{m30.ay[0], h1.ay[0], h8.ay[0], m30.k_u, h1.k_u, h8.k_u}),
            (std::vector<double>{0.0617, 0.0709, 0.1075, 0.0, 8.0e-5, 3.0e-4}));
  EXPECT_TRUE(m30.bz == m30.bz_30m && h1.by == h1.by_1h && h8.az == h8.az_8h);
  write(sample_with("k_p", ""));
  EXPECT_EQ(read_param(config(1, 60)).k_p, (ModelParams::PerClass{0, 0, 0, 0, 0}));
}

TEST_F(ReadParam, ClassAndAveragingTimeAreCheckedFirst) {
  write(sample_with("gamma", " gamma(3) = 0.5, uhel_limit_b = 120,"));
  EXPECT_RUN_ERROR(read_param(config(1, 120)), kBadTime + std::string("          120\n"));
  ModelParams p;
  EXPECT_RUN_ERROR(get_sgm_par(-5, p), kBadTime + std::string("           -5\n"));
  const std::string head =
      " _get_coef_dep: Nedovolena hodnota tridy znecistujici latky (parametr trida_lat)\n"
      "               Hodnota tridy muze nabyvat hodnot 1 az max.            3\n"
      "               Zadana hodnota tridy:            ";
  EXPECT_RUN_ERROR(read_param(config(0, 60)), head + "0\n");
  EXPECT_RUN_ERROR(read_param(config(4, 120)), head + "4\n");
  // Then the angle limits before gamma.
  EXPECT_INPUT_ERROR(read_param(config(1, 60)),
                     "Hodnota parametru uhel_limit_b = 120.000 je neplatna, musi lezet v intervalu "
                     "0 az 90 (bez 90).");
}

TEST_F(ReadParam, MissingUnreadableOrInvalidFileStops) {
  const std::string missing =
      "Soubor param.nml s parametry vypoctu neexistuje.\n   hledan v pracovnim adresari " +
      std::filesystem::current_path().string();
  EXPECT_INPUT_ERROR(read_param(config(1, 60)), missing);
  dir_.write("cfg/param.nml", test::sample_param_nml());  // only the working directory counts
  EXPECT_INPUT_ERROR(read_param(config(1, 60)), missing);
  const std::string names =
      "Chyba cten\xC3\xAD dat ze souboru param.nml.\n"
      "Zkontrolujte zda jsou nazvy parametru uvedeny spravne.";
  const std::string limit = "je neplatna, musi lezet v intervalu 0 az 90 (bez 90).";
  const std::pair<std::string, std::string> cases[] = {
      {sample_with("ks", " kss = 1, 2, 3, 4, 5,"),
       names + "\n   neznamy parametr 'kss' na radku 18"},
      {sample_with("ks", " ks = 1, 2, 3, 4, 5, 6,"),
       names + "\n   neplatna hodnota parametru 'ks' na radku 18"},
      {"&param ks = 1\n",
       "Chyba cten\xC3\xAD dat ze souboru param.nml.\nNeocekavany konec souboru.\n"
       "Zkontrolujte zda mate na zacatku souboru retezec &init a na konci znak /."},
      {sample_with("uhel_limit_b", " uhel_limit_b = 95.0,"),
       "Hodnota parametru uhel_limit_b = 95.000 " + limit},
      {sample_with("uhel_limit_pl", " uhel_limit_pl = 90,"),
       "Hodnota parametru uhel_limit_pl = 90.000 " + limit},
      {sample_with("uhel_limit_pl", " uhel_limit_pl = -0.5,"),
       "Hodnota parametru uhel_limit_pl = -0.500 " + limit},
      {sample_with("gamma", " gamma(2) = 0.01,"),
       "Hodnota parametru gamma(2) = 0.010 je neplatna, musi byt mensi nez 0.01."}};
  for (const auto& [text, message] : cases) {
    write(text);
    EXPECT_INPUT_ERROR(read_param(config(1, 60)), message);
  }
  write(sample_with("uhel_limit_b", " uhel_limit_b = 89.99,"));
  EXPECT_EQ(read_param(config(1, 60)).uhel_limit_b, 89.99);
  write(sample_with("gamma", " gamma = -0.02, -0.006, 0.0099,"));
  EXPECT_EQ(read_param(config(1, 60)).gamma[2], 0.0099);
}

}  // namespace
}  // namespace kadre

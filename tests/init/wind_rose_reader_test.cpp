#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "init/wind_rose_reader.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

// Text of a rose file: a comment header, n_dir, then for each class the n_dir
// frequencies given by value(i, j) (i, j from 1) and the calm of the class.
std::string rose_text(int n_dir, const std::function<double(int, int)>& value,
                      const std::function<double(int)>& calm) {
  std::string text = "! wind rose\n  ! of a test\n" + std::to_string(n_dir) + "\n";
  char buf[40];
  for (int j = 1; j <= 11; ++j) {
    for (int i = 1; i <= n_dir; ++i) {
      std::snprintf(buf, sizeof buf, "%.17g ", value(i, j));
      text += buf;
      if (i % 10 == 0) text += "\n";  // a record may continue over several lines
    }
    std::snprintf(buf, sizeof buf, "%.17g\n", calm(j));
    text += buf;
  }
  return text;
}

Settings settings_with_step(double phi_step) {
  Settings cfg;
  cfg.phi_step = phi_step;
  cfg.nphi = static_cast<int>(360.0 / phi_step);
  return cfg;
}

double file_value(int i, int j) { return 1.0 + i * 0.75 + j * 0.1 + (i % 3) * 0.3; }
double calm_of(int j) { return 0.4 * j; }

WindRoses read_one(const TempDir& dir, int n_dir, double phi_step) {
  const std::string path = dir.write("rose.dat", rose_text(n_dir, file_value, calm_of));
  return read_ruzice(path, settings_with_step(phi_step), {"   "});
}

TEST(WindRoseReader, EightSectorsInterpolateBetweenFileDirections) {
  TempDir dir;
  const WindRoses r = read_one(dir, 8, 1.0);
  ASSERT_EQ(r.nphi, 360);
  ASSERT_EQ(r.met_num, 1);
  for (int j = 1; j <= 11; ++j) {
    const double f1 = file_value(1, j) + calm_of(j) / 8;
    const double f2 = file_value(2, j) + calm_of(j) / 8;
    EXPECT_DOUBLE_EQ(r.at(1, j, 1), f1 / (45.0 * 100.0));
    EXPECT_DOUBLE_EQ(r.at(23, j, 1), (f1 + 22.0 / 45.0 * (f2 - f1)) / (45.0 * 100.0));
  }
}

TEST(WindRoseReader, PastTheLastFileDirectionRunsTowardsNorth) {
  TempDir dir;
  const WindRoses r = read_one(dir, 36, 1.0);
  for (int j = 1; j <= 11; ++j) {
    const double f36 = file_value(36, j) + calm_of(j) / 36;
    const double f1 = file_value(1, j) + calm_of(j) / 36;
    EXPECT_DOUBLE_EQ(r.at(351, j, 1), f36 / 1000.0);
    EXPECT_DOUBLE_EQ(r.at(356, j, 1), (f36 + f1) / 2 / 1000.0);
  }
}

TEST(WindRoseReader, OneDegreeFileIsTakenAsItIsWithTheCalmSpread) {
  TempDir dir;
  const WindRoses r = read_one(dir, 360, 1.0);
  for (int j = 1; j <= 11; ++j)
    for (int p = 1; p <= 360; ++p)
      EXPECT_DOUBLE_EQ(r.at(p, j, 1), (file_value(p, j) + calm_of(j) / 360) / 100) << p << " " << j;
}

// With 360 / n_dir not exact in binary, every model sector must stay between the two file
// sectors around it, and a complete rose must still add up to its total.
TEST(WindRoseReader, InexactSectorWidthsStayBetweenNeighbours) {
  for (int n_dir : {7, 14}) {
    TempDir dir;
    const WindRoses r = read_one(dir, n_dir, 1.0);
    const double scale = 360.0 / n_dir * 100.0;
    for (int j = 1; j <= 11; ++j) {
      for (int p = 1; p <= 360; ++p) {
        const int m = (p - 1) * n_dir / 360;  // exact in integers
        const int lo = m + 1;
        const int hi = m + 2 > n_dir ? 1 : m + 2;
        const double f_lo = file_value(lo, j) + calm_of(j) / n_dir;
        const double f_hi = file_value(hi, j) + calm_of(j) / n_dir;
        const double v = r.at(p, j, 1) * scale;
        EXPECT_GE(v, std::min(f_lo, f_hi) - 1e-12) << "n_dir " << n_dir << " p " << p;
        EXPECT_LE(v, std::max(f_lo, f_hi) + 1e-12) << "n_dir " << n_dir << " p " << p;
      }
    }

    // Equal sectors: 100 % spread over 11 classes, with some calm in class 4.
    const double share = 100.0 / 11;
    const std::string path = dir.write(
        "even.dat", rose_text(
                        n_dir, [&](int, int j) { return j == 4 ? (share - 2.0) / n_dir : share / n_dir; },
                        [](int j) { return j == 4 ? 2.0 : 0.0; }));
    const WindRoses even = read_ruzice(path, settings_with_step(1.0), {""});
    double sum = 0;
    for (double v : even.values) sum += v;
    EXPECT_NEAR(sum, 1.0, 1e-12) << "n_dir " << n_dir;
  }
}

TEST(WindRoseReader, CalmIsSpreadInEqualParts) {
  std::vector<double> in(37 * 11, 2.0), out;
  for (int j = 0; j < 11; ++j) in[j * 37 + 36] = j == 2 ? 3.6 : 0.0;
  rozpocet_calm(11, 36, in, out);
  ASSERT_EQ(out.size(), 36u * 11);
  for (int i = 0; i < 36; ++i) {
    EXPECT_DOUBLE_EQ(out[2 * 36 + i], 2.1);
    EXPECT_DOUBLE_EQ(out[0 * 36 + i], 2.0);
  }
}

TEST(WindRoseReader, EachSeriesReadsItsOwnFile) {
  TempDir dir;
  dir.write("rose_AAA.dat", rose_text(8, [](int, int) { return 10.0; }, [](int) { return 0.0; }));
  dir.write("rose_BBB.dat", rose_text(8, [](int, int) { return 20.0; }, [](int) { return 8.0; }));
  const WindRoses r = read_ruzice(dir.file("rose.dat"), settings_with_step(10.0), {"AAA", "BBB"});
  ASSERT_EQ(r.nphi, 36);
  ASSERT_EQ(r.values.size(), 36u * 11 * 2);
  EXPECT_DOUBLE_EQ(r.at(5, 7, 1), 10.0 / (4.5 * 100));
  EXPECT_DOUBLE_EQ(r.at(5, 7, 2), 21.0 / (4.5 * 100));
}

TEST(WindRoseReader, MissingOrUnnamedFiles) {
  TempDir dir;
  dir.write("rose_AAA.dat", rose_text(8, file_value, calm_of));
  const Settings cfg = settings_with_step(1.0);
  EXPECT_INPUT_ERROR(read_ruzice(dir.file("rose.dat"), cfg, {"AAA", "BBB"}),
                     "Soubor " + dir.file("rose_BBB.dat") + " s ruzici neexistuje.");
  EXPECT_INPUT_ERROR(read_ruzice(dir.path().string() + "/", cfg, {"AAA"}),
                     "Soubor s ruzici nebyl zadan.");
}

TEST(WindRoseReader, UnreadableRecordsNameTheClassRecord) {
  TempDir dir;
  const std::string good = rose_text(8, file_value, calm_of);
  const std::string head = "Chyba cten\xC3\xAD dat ze souboru rose.dat.\n";

  std::string bad_class_3 = good;
  // Records: comment, comment, n_dir, then the classes; spoil the first value of class 3.
  std::size_t pos = 0;
  for (int line = 0; line < 5; ++line) pos = bad_class_3.find('\n', pos) + 1;
  bad_class_3.replace(pos, bad_class_3.find(' ', pos) - pos, "x");
  EXPECT_INPUT_ERROR(read_ruzice(dir.write("rose.dat", bad_class_3), settings_with_step(1.0), {""}),
                     head + "Chyba na radku 3.");

  const std::string too_short = good.substr(0, good.rfind(' '));  // last class lacks its calm
  EXPECT_INPUT_ERROR(read_ruzice(dir.write("rose.dat", too_short), settings_with_step(1.0), {""}),
                     head + "Zkontrolujte zda v nekterych radcich nechybi data.");
}

TEST(WindRoseReader, SectorCountMustBeAPositiveInteger) {
  TempDir dir;
  const Settings cfg = settings_with_step(1.0);
  const std::string head = "Chyba cten\xC3\xAD dat ze souboru rose.dat.\n";
  for (const char* n : {"0", "-8"}) {
    const std::string path = dir.write("rose.dat", std::string("! c\n") + n + "\n1 2 3\n");
    EXPECT_INPUT_ERROR(read_ruzice(path, cfg, {""}),
                       "Pocet smeru v souboru " + path + " musi byt kladny.");
  }
  EXPECT_INPUT_ERROR(read_ruzice(dir.write("rose.dat", "8.5\n"), cfg, {""}),
                     head + "Chyba na radku 0.");
  EXPECT_INPUT_ERROR(read_ruzice(dir.write("rose.dat", "! only a header\n"), cfg, {""}),
                     head + "Zkontrolujte zda v nekterych radcich nechybi data.");
}

}  // namespace
}  // namespace kadre

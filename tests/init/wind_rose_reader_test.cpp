#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "init/reader_messages.h"
#include "init/wind_rose_reader.h"
#include "support/test_support.h"

namespace kadre {
namespace {

using test::TempDir;

// Text of a rose file: a comment header, n_dir, then for each class j the n_dir
// frequencies value(i, j) (i, j from 1) and the calm of the class.
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

// Sector i of class j holds 10 i + j; the calm of class j, spread in equal parts, adds j
// to each sector.
WindRoses read_example(const TempDir& dir, int n_dir) {
  const std::string path = dir.write(
      "rose.dat", rose_text(n_dir, [](int i, int j) { return 10.0 * i + j; },
                            [n_dir](int j) { return 1.0 * n_dir * j; }));
  return read_ruzice(path, settings_with_step(1.0), {"   "});
}

TEST(WindRoseReader, ResamplingBetweenFileDirectionsAndPastTheLastOne) {
  TempDir dir;
  const WindRoses eight = read_example(dir, 8);  // 45 degree sectors
  ASSERT_EQ(eight.nphi, 360);
  ASSERT_EQ(eight.met_num, 1);
  for (int j : {1, 11}) {
    EXPECT_DOUBLE_EQ(eight.at(1, j, 1), (10.0 + 2 * j) / 4500);                     // 0 degrees
    EXPECT_DOUBLE_EQ(eight.at(23, j, 1), (10.0 + 22.0 / 45 * 10 + 2 * j) / 4500);   // 22 degrees
  }
  const WindRoses tens = read_example(dir, 36);  // 10 degree sectors
  for (int j : {1, 11}) {
    EXPECT_DOUBLE_EQ(tens.at(351, j, 1), (360.0 + 2 * j) / 1000);  // 350 degrees
    EXPECT_DOUBLE_EQ(tens.at(356, j, 1), (185.0 + 2 * j) / 1000);  // 355: half way to north
  }
}

// With 360 / n_dir not exact in binary, every model sector must still stay between the two
// file sectors around it, scaled to its share of the file sector.
TEST(WindRoseReader, InexactSectorWidthsStayBetweenNeighbours) {
  for (int n_dir : {7, 14}) {
    TempDir dir;
    const WindRoses r = read_example(dir, n_dir);
    const double scale = 360.0 / n_dir * 100.0;
    for (int p = 1; p <= 360; ++p) {
      const int lo = (p - 1) * n_dir / 360 + 1;  // exact in integers
      const int hi = lo == n_dir ? 1 : lo + 1;
      const double v = r.at(p, 5, 1) * scale - 10;  // class 5: 10 i + 5 + calm share 5
      EXPECT_GE(v, 10.0 * std::min(lo, hi) - 1e-12) << "n_dir " << n_dir << " p " << p;
      EXPECT_LE(v, 10.0 * std::max(lo, hi) + 1e-12) << "n_dir " << n_dir << " p " << p;
    }
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

TEST(WindRoseReader, ReadErrorsNameTheClassRecordAndSectorCountsMustBePositive) {
  TempDir dir;
  const Settings cfg = settings_with_step(1.0);
  const auto read_text = [&](const std::string& text) {
    return read_ruzice(dir.write("rose.dat", text), cfg, {""});
  };
  const std::string good = rose_text(8, [](int, int) { return 1.0; }, [](int) { return 0.0; });
  std::string bad_class_3 = good;
  // Records: comment, comment, n_dir, then the classes; spoil the first value of class 3.
  std::size_t pos = 0;
  for (int line = 0; line < 5; ++line) pos = bad_class_3.find('\n', pos) + 1;
  bad_class_3[pos] = 'x';
  EXPECT_INPUT_ERROR(read_text(bad_class_3), test::read_error("rose.dat", 3));
  EXPECT_INPUT_ERROR(read_text(good.substr(0, good.rfind(' '))),  // last class lacks its calm
                     test::missing_data("rose.dat"));
  for (const char* n : {"0", "-8"})
    EXPECT_INPUT_ERROR(read_text(std::string("! c\n") + n + "\n1 2 3\n"),
                       "Pocet smeru v souboru " + dir.file("rose.dat") + " musi byt kladny.");
  EXPECT_INPUT_ERROR(read_text("8.5\n"), test::read_error("rose.dat", 0));
  EXPECT_INPUT_ERROR(read_text("! only a header\n"), test::missing_data("rose.dat"));
}

}  // namespace
}  // namespace kadre

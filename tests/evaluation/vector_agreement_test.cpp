// The vector kernel of the wind-rose directions against the scalar formulas: every situation
// of a point, an area and a line source within 1e-12 relative (1e-30 absolute), the same
// directions written, and the same zeros and NaNs at the edges of the formulas' range.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "evaluation/full_rise_heights.h"
#include "evaluation/line_spreads.h"
#include "evaluation/wind_rose_evaluation.h"
#include "model/kernel_path.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// Every column of a source's situations, gathered into one table with its windows.
struct GatheredTable final : RoseColumnSink {
  std::vector<double> c;
  std::vector<WrittenWindows> written;
  int nphi;
  GatheredTable(int nphi_, int nu_max)
      : c(static_cast<std::size_t>(nphi_) * nu_max * 5, 0.0),
        written(static_cast<std::size_t>(nu_max) * 5),
        nphi(nphi_) {}
  void take(std::size_t column, const double* values, const WrittenWindows& w) override {
    std::copy(values, values + nphi, c.begin() + static_cast<std::ptrdiff_t>(column * nphi));
    written[column] = w;
  }
};

struct Rose {
  ModelOptions options{.convert_no = true};
  ModelParams par = test::distinct_class_params();
  TerrainGrid terrain{
      .cellsize = 100, .nx = 100, .ny = 100, .z = std::vector<std::int16_t>(100 * 100, 0)};
  ClimateTables climate;
  Settings cfg;
  WindClasses wind{{0.5, 1.7, 3.3, 5.0, 11.0}, {2, 3, 5, 5, 4}};
  RefPoint point{"P", 6000, 5000, 0, 1.5, true};

  Rose() {
    par.k_p = {5e-5, 1e-4, 2e-4, 3.5e-4, 5e-4};
    par.k_u = 8e-5;
    par.uhel_limit_b = 40, par.uhel_limit_pl = 60;
    cfg.phi_step = 0.7;
    cfg.nphi = static_cast<int>(std::trunc(360.0 / cfg.phi_step));
  }

  // with_run_tables: the source's plume heights and line spreads from the tables a run makes
  // once, as the run gives them to the vector path.
  GatheredTable table(KernelPath path, const Source& source, const PairGeometry& g,
                      bool with_run_tables = false) const {
    ModelOptions o = options;
    o.kernels = path;
    const ModelContext ctx(o, par, terrain, climate, {source});
    GatheredTable t(cfg.nphi, wind.nu_max());
    RoseWork work(cfg.nphi, wind.nu_max());
    PairFactors f;
    const FullRiseHeights heights = rose_full_rise_heights(ctx, {source}, wind);
    const LineSpreads spreads = line_spreads(par, {source}, cfg.nphi, cfg.phi_step);
    evaluate_conc(ctx, cfg, wind, point, source, g, work, f, t,
                  with_run_tables ? RoseSourceTables{heights.of(0), spreads.sy0(0), spreads.sz0(0)}
                                  : RoseSourceTables{});
    return t;
  }

  void expect_agreement(const Source& source, const PairGeometry& g, const std::string& what,
                        bool has_values = true) const {
    const GatheredTable scalar = table(KernelPath::scalar, source, g),
                        vector = table(KernelPath::vector, source, g);
    int compared = 0;
    for (std::size_t n = 0; n < scalar.c.size() && !::testing::Test::HasFailure(); ++n) {
      const double a = scalar.c[n], b = vector.c[n];
      compared += a != 0 && std::isfinite(a);
      if (a == b) continue;  // infinities too
      if (std::isnan(a) || std::isnan(b)) {
        EXPECT_TRUE(std::isnan(a) && std::isnan(b))
            << what << " element " << n << ": " << a << " vs " << b;
        continue;
      }
      if (a == 0 || b == 0) {
        EXPECT_LE(std::fabs(a - b), 1e-30) << what << " element " << n;
        continue;
      }
      EXPECT_LE(std::fabs(a - b), std::max(1e-30, 1e-12 * std::fabs(a)))
          << what << " element " << n << ": " << a << " vs " << b;
    }
    if (has_values) {
      EXPECT_GT(compared, 0) << what;
    }
    for (std::size_t col = 0; col < scalar.written.size(); ++col) {
      ASSERT_EQ(scalar.written[col].count, vector.written[col].count) << what;
      for (int w = 0; w < scalar.written[col].count; ++w)
        EXPECT_EQ(scalar.written[col].windows[w], vector.written[col].windows[w]) << what;
    }
  }
};

TEST(VectorKernel, AgreesWithTheScalarFormulas) {
  if (!vector_kernels_available()) GTEST_SKIP() << "built without the vector kernel";
  Rose rose;
  Source area{.id = "A",
              .x = 5000,
              .y = 5000,
              .type = SourceType::area,
              .m = 2.0,
              .stack_height_m = 5,
              .length = 80};
  Source line = test::agreement_line();
  for (const double theta : {0.0, 0.4})
    for (const double x : {1000.0, 35.0, 12000.0}) {
      const PairGeometry g{x, 271.3, theta, 0};
      const std::string at = " x " + std::to_string(x) + " theta " + std::to_string(theta);
      rose.expect_agreement(test::agreement_stack(), g, "stack" + at);
      rose.expect_agreement(area, g, "area" + at);
      rose.expect_agreement(line, g, "line" + at);
    }
  // Axes on a direction (ties between the directions either side stay ties), and without
  // the second emission.
  rose.options.convert_no = false;
  rose.expect_agreement(area, PairGeometry{800, 0.7 * 100, 0, 0}, "area on a direction");
  rose.expect_agreement(line, PairGeometry{800, 180, 0.2, 0}, "line on a direction");
}

// The plume heights at full rise and a line's spreads, made once per run, give every
// situation the same bits as the pair's own, beyond the rise's growth distance (where the
// heights are taken) and within it.
TEST(VectorKernel, RunTablesKeepEverySituation) {
  if (!vector_kernels_available()) GTEST_SKIP() << "built without the vector kernel";
  Rose rose;
  rose.par.km = test::rising_stack_km;
  Source stack = test::rising_stack();
  const StackExit exit = stack_exit(stack);
  ASSERT_LT(rise_factors(rose.par, stack, exit, 3, 10.0, 40.0).growth, 1.0);
  ASSERT_EQ(rise_factors(rose.par, stack, exit, 3, 10.0, 1000.0).growth, 1.0);
  const Source line = test::agreement_line();
  const struct {
    Source source;
    double x;
  } pairs[] = {{stack, 1000}, {stack, 40}, {line, 1000}};
  for (const auto& [source, x] : pairs) {
    const PairGeometry g{x, 271.3, 0.3, 0};
    const GatheredTable own = rose.table(KernelPath::vector, source, g),
                        tables = rose.table(KernelPath::vector, source, g, true);
    int nonzero = 0;
    for (std::size_t n = 0; n < own.c.size(); ++n) {
      nonzero += own.c[n] != 0;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(own.c[n]), std::bit_cast<std::uint64_t>(tables.c[n]))
          << source.id << " x " << x << " element " << n;
    }
    EXPECT_GT(nonzero, 1000) << source.id << " x " << x;
  }
  // A cooling tower's rise depends on the distance throughout: no table.
  stack.cooling_tower = true;
  const ModelContext ctx({}, rose.par, rose.terrain, rose.climate, {stack});
  EXPECT_EQ(rose_full_rise_heights(ctx, {stack}, rose.wind).of(0), nullptr);
}

TEST(VectorKernel, EdgesOfTheFormulasAreDecidedAsByTheScalarOnes) {
  if (!vector_kernels_available()) GTEST_SKIP() << "built without the vector kernel";
  Rose rose;
  // Sectors wider than a right angle: negative downwind distances give NaN spreads.
  rose.par.uhel_limit_b = 120;
  rose.expect_agreement(test::agreement_stack(), PairGeometry{1000, 90, 0, 0},
                        "sector of 120 degrees");
  rose.par.uhel_limit_b = 40;
  // Zero distance: spreads of 0 give 0, not 0/0.
  Source at_point = test::agreement_stack();
  at_point.m_no = 0;
  rose.expect_agreement(at_point, PairGeometry{0, 90, 0, 0}, "zero distance", false);
  // Powers and exponentials beyond the range of the vector exp: spreads that overflow to
  // infinity (a concentration of 0), a removal that grows with distance (an infinite one).
  Rose extreme;
  extreme.par.by[1] = 900;
  extreme.par.bz[3] = 1000;
  extreme.expect_agreement(test::agreement_stack(), PairGeometry{1000, 90, 0.3, 0},
                           "overflowing spreads");
  extreme.par.k_u = -3.0;
  extreme.expect_agreement(test::agreement_stack(), PairGeometry{1000, 90, 0.3, 0},
                           "growing removal");
  // The same removal beyond the range alone, in sums a narrow plume's crosswind term brings
  // back into it (inf x 0 for the scalar formulas); a growing decay without the second
  // emission (0 x inf).
  Rose growing;
  growing.par.k_u = -3.0;
  growing.par.ay = {0.07, 0.07, 0.07, 0.07, 0.07};
  growing.expect_agreement(test::agreement_stack(), PairGeometry{1000, 90, 0.3, 0},
                           "growing removal, narrow plume");
  growing.par.k_u = 8e-5;
  growing.par.k_p = {-3, -3, -3, -3, -3};
  growing.expect_agreement(at_point, PairGeometry{1000, 90, 0.3, 0}, "growing decay", false);
  // A crosswind spread far below the distance, where the crosswind distance from the cosine
  // would not be exact enough.
  // The axis on a direction, where the crosswind distance is 0.
  Rose narrow;
  narrow.options.wind_rotation = false;
  narrow.par.ay[3] = 1e-6;
  narrow.expect_agreement(test::agreement_stack(),
                          PairGeometry{800, 100 * narrow.cfg.phi_step, 0.4, 0}, "narrow plume");
  // A non-finite emission reaches every situation as the scalar formulas give it.
  Source nan_emission = test::agreement_stack();
  nan_emission.m = std::nan("");
  const GatheredTable vector =
      rose.table(KernelPath::vector, nan_emission, PairGeometry{1000, 90, 0, 0});
  int nans = 0;
  for (const double v : vector.c) nans += std::isnan(v);
  EXPECT_GT(nans, 0);
}

}  // namespace
}  // namespace kadre

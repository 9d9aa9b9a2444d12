// The hourly evaluation with the vector kernels against the scalar formulas: a year of varied
// hours (every class, calms of the sector, inversions, a line source whose spreads turn with
// the wind, an emission factor that is no number) within 1e-12 relative, the same zeros and
// NaNs; and the distinct situations of a series.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "evaluation/full_rise_heights.h"
#include "evaluation/time_series_evaluation.h"
#include "model/kernel_path.h"
#include "support/test_support.h"

namespace kadre {
namespace {

struct Year {
  ModelParams par = test::distinct_class_params();
  TerrainGrid terrain{
      .cellsize = 100, .nx = 100, .ny = 100, .z = std::vector<std::int16_t>(100 * 100, 0)};
  ClimateTables climate;
  Settings cfg;
  MetSeries met;
  EmissionProfiles profiles;
  RefPoint point{"P", 6000, 5000, 0, 1.5, true};
  bool rotation = true;

  explicit Year(int hours) {
    par.k_p = {5e-5, 1e-4, 2e-4, 3.5e-4, 5e-4};
    par.eps = {0.6, 0.55, 0.5, 0.45, 0.4};
    par.k_u = 8e-5;
    par.uhel_limit_b = 40, par.uhel_limit_pl = 60;
    cfg.inverze = true;
    met.ntime = hours;
    profiles.nprof = 1;
    profiles.ntime = hours;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int t = 0; t < hours; ++t) {
      // Wind speeds on a coarse grid, so that situations repeat; directions around the point.
      met.w_sp.push_back(0.5 + std::round(unit(rng) * 20) * 0.5);
      met.w_dir.push_back(std::round(200 + unit(rng) * 140));
      met.stability_class.push_back(1 + static_cast<int>(unit(rng) * 5));
      met.zi.push_back(unit(rng) < 0.2 ? std::round(80 + unit(rng) * 400) : -9999);
      met.w_dir_i.push_back(met.w_dir.back() + 20);
      met.w_sp_i.push_back(met.w_sp.back() * 1.4);
      met.stability_class_i.push_back(1 + static_cast<int>(unit(rng) * 5));
      profiles.time_emis_fact.push_back(t == 3 ? std::nan("") : 0.5 + unit(rng));
    }
  }

  std::vector<double> series(KernelPath path, Source source, const PairGeometry& g,
                             bool full_rise_table = false) const {
    source.met_idx = source.prof_idx = 1;
    ModelOptions o{.convert_no = true, .wind_rotation = rotation};
    o.kernels = path;
    const ModelContext ctx(o, par, terrain, climate, {source});
    const HourlySituations situations = find_hourly_situations(cfg, met);
    HourlyWork work(situations.count, met.ntime);
    PairFactors f;
    fill_pair_factors(ctx, source, o.u_height, g.x, 0, f);
    std::vector<double> c(static_cast<std::size_t>(met.ntime), 0.0);
    const FullRiseHeights table =
        full_rise_table ? full_rise_heights(ctx, {source}, met, situations, o.u_height)
                        : FullRiseHeights{};
    time_eval_conc(ctx, met, profiles, situations, point, source, g, f, work, c.data(),
                   table.of(0));
    return c;
  }
};

TEST(HourlyVectorKernel, AgreesWithTheScalarFormulas) {
  if (!vector_kernels_available()) GTEST_SKIP() << "built without the vector kernel";
  Year year(3000);
  // The vector kernel's hours as the scalar formulas' hours; returns them.
  const auto agree = [&year](const Source& source, const PairGeometry& g, const std::string& what,
                             int least) {
    const std::vector<double> scalar = year.series(KernelPath::scalar, source, g),
                              vector = year.series(KernelPath::vector, source, g);
    int compared = 0;
    for (std::size_t t = 0; t < scalar.size(); ++t) {
      const double a = scalar[t], b = vector[t];
      compared += a != 0 && std::isfinite(a);
      if (a == b) continue;
      if (std::isnan(a) || std::isnan(b)) {
        EXPECT_TRUE(std::isnan(a) && std::isnan(b))
            << what << " hour " << t << ": " << a << " vs " << b;
        continue;
      }
      EXPECT_LE(std::fabs(a - b), std::max(1e-30, 1e-12 * std::fabs(a)))
          << what << " hour " << t << ": " << a << " vs " << b;
    }
    EXPECT_GE(compared, least) << what;
    return vector;
  };
  // Class 2 with spreads that overflow beyond the range of the vector exp, class 5 with a
  // line's initial spread that does, class 3 with a very narrow plume.
  year.par.by[1] = 900;
  year.par.bz[4] = 400;
  year.par.ay[2] = 1e-6;                   // a crosswind spread far below the distance
  Source stack = test::agreement_stack();  // with exit data: a plume that rises
  stack.flue_gas_flow_m3_s = 20;
  stack.flue_gas_temp_c = 120;
  stack.diameter_m = 2;
  stack.exit_velocity_m_s = 9;
  const Source line = test::agreement_line();
  // Without the turning wind the axis lies on the hours' whole-degree directions.
  for (const bool rotation : {true, false}) {
    year.rotation = rotation;
    for (const auto& [source, what] : {std::pair{stack, "stack"}, {line, "line"}})
      for (const double x : {1000.0, 40.0})
        EXPECT_TRUE(std::isnan(agree(source, PairGeometry{x, 270, 0.3, 0}, what, 101)[3]))
            << what;  // the hour whose emission factor is no number
  }
  // Lids below the stack's top and a point above them: the plumes of the inversion hours break
  // through and reach the point from the layer above, in the sector of that layer's wind (20
  // degrees turned from the one below).
  {
    const std::vector<double> zi = year.met.zi;
    for (double& lid : year.met.zi)
      if (lid > 0) lid = 20 + std::fmod(lid, 25);
    year.point.height_above_ground_m = 100;
    const std::vector<double> c =
        agree(stack, PairGeometry{1000, 270, 0.3, 0}, "point above the lids", 101);
    int reached = 0;  // inversion hours with a plume from above the lid
    for (std::size_t t = 0; t < c.size(); ++t) reached += year.met.zi[t] > 0 && c[t] != 0;
    EXPECT_GE(reached, 100);
    year.met.zi = zi;
    year.point.height_above_ground_m = 1.5;
  }
  // A removal beyond the range of exp alone, in sums a narrow plume's crosswind term brings
  // back into it; a growing decay without the second emission.
  year.par.k_u = -3.0;
  year.par.ay = {0.05, 0.05, 0.05, 0.05, 0.05};
  agree(stack, PairGeometry{1000, 270, 0.3, 0}, "growing removal, narrow plume", 0);
  year.par.k_u = 8e-5;
  year.par.k_p = {-3, -3, -3, -3, -3};
  stack.m_no = 0;
  agree(stack, PairGeometry{1000, 270, 0.3, 0}, "growing decay", 0);
}

// The heights at full rise computed once per source give every hour the same bits as the
// pair's own, beyond the rise's growth distance (where the table is taken) and within it.
TEST(HourlyVectorKernel, FullRiseHeightsKeepEveryHour) {
  if (!vector_kernels_available()) GTEST_SKIP() << "built without the vector kernel";
  Year year(2000);
  Source stack = test::rising_stack();
  year.par.km = test::rising_stack_km;
  const StackExit exit = stack_exit(stack);
  ASSERT_LT(rise_factors(year.par, stack, exit, 3, 10.0, 40.0).growth, 1.0);
  ASSERT_EQ(rise_factors(year.par, stack, exit, 3, 10.0, 1000.0).growth, 1.0);
  for (const double x : {1000.0, 40.0}) {
    const PairGeometry g{x, 270, 0.3, 0};
    const std::vector<double> own = year.series(KernelPath::vector, stack, g),
                              table = year.series(KernelPath::vector, stack, g, true);
    ASSERT_EQ(own.size(), table.size());
    int nonzero = 0;
    for (std::size_t t = 0; t < own.size(); ++t) {
      nonzero += own[t] != 0;
      if (std::isnan(own[t]) && std::isnan(table[t])) continue;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(own[t]), std::bit_cast<std::uint64_t>(table[t]))
          << "x " << x << " hour " << t;
    }
    EXPECT_GT(nonzero, 100) << "x " << x;
  }
  // A cooling tower's rise depends on the distance throughout: no table.
  stack.cooling_tower = true;
  EXPECT_TRUE(full_rise_heights(ModelContext({}, year.par, year.terrain, year.climate, {stack}),
                                {stack}, year.met, find_hourly_situations(year.cfg, year.met), 10)
                  .of_source[0]
                  .empty());
}

TEST(HourlySituations, EqualClassAndWindShareASituation) {
  Year year(6);
  year.met.stability_class = {2, 2, 3, 2, 3, 2};
  year.met.w_sp = {1.5, 1.5, 1.5, 2.5, 1.5, 1.5};
  year.met.zi = {-9999, -9999, -9999, -9999, 300, -9999};
  const HourlySituations s = find_hourly_situations(year.cfg, year.met);
  EXPECT_EQ(s.of_hour, (std::vector<int>{0, 0, 1, 2, 1, 0}));
  EXPECT_EQ(s.inversion, (std::vector<unsigned char>{0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(s.count, 3);
}

}  // namespace
}  // namespace kadre

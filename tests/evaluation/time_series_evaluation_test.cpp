// The hourly evaluation with the factors of a (point, source) pair computed once must give the
// plain kernels' values to the last bit.
#include "evaluation/time_series_evaluation.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/model_world.h"

namespace kadre {
namespace {

// Forty hours cycling through every class, with speeds from calm to strong, directions around
// the point's azimuth, every fourth hour under an inversion, and a varying emission factor.
struct SeriesWorld : test::ModelWorld {
  EmissionProfiles profiles;
  PairGeometry g{1000, 270, 0.3, 5};
  PathScratch scratch;
  SeriesWorld() {
    constexpr int kHours = 40;
    cfg.is_time = cfg.inverze = cfg.is_no = cfg.is_shluky = cfg.wind_rotation = true;
    cfg.u_height = 12;
    met.met_num = profiles.nprof = 1;
    met.ntime = profiles.ntime = kHours;
    for (int t = 1; t <= kHours; ++t) {
      met.stability_class.push_back(1 + (t * 3) % 5);
      met.w_sp.push_back(0.8 + 0.37 * t);
      met.w_dir.push_back(250 + (t * 7) % 41);
      met.zi.push_back(t % 4 == 0 ? 90 + 15 * (t % 3) : -9999);
      met.stability_class_i.push_back(1 + t % 5);
      met.w_sp_i.push_back(1.4 * (0.8 + 0.37 * t));
      met.w_dir_i.push_back(260 + (t * 5) % 21);
      profiles.time_emis_fact.push_back(0.5 + 0.1 * (t % 7));
    }
    tower_climate({1, 2, 3, 4, 5});
    ref_points = {test::point_at(6000, 5000, 1.5, 8)};
    // Growing rise (full only beyond the point) in a cluster of two; buoyancy and momentum at full
    // rise from a stack and an area; a road; a cooling tower.
    const Source grows{.id = "G", .x = 5000, .y = 5000, .type = 1, .cluster = 7, .m = 1, .h = 60,
                       .beta = 1, .qa = 2, .qb = 0.5, .heat_output = 40000};
    const Source risen{.id = "R", .x = 5000, .y = 5000, .type = 1, .m = 1, .h = 40, .d = 2, .w = 12,
                       .beta = 0.6, .qa = 2, .qb = 0.5, .heat_output = 30};
    const Source road{.id = "L", .x = 5000, .y = 5000, .x1 = 4900, .y1 = 4950, .x2 = 5100, .y2 = 5120,
                      .type = 3, .m = 1, .h = 2, .qb = 0.5, .length = 262, .width = 9, .vert_ext = 2};
    sources = {grows, grows, risen, risen, road, test::cooling_tower(5000, 5000, 120, 300)};
    sources[1].x = 5030;
    sources[3].type = 2;
    sources[3].length = 50;
    for (Source& s : sources) s.met_idx = s.prof_idx = 1, s.m_no = 0.4;
  }
};

// Every hour equals the plain kernels: plain hours and inversion hours, every class, every
// kind of source.
TEST(TimeEvalConc, EveryHourEqualsThePlainKernels) {
  SeriesWorld w;
  const ModelContext c = w.ctx();
  PairFactors factors;
  int positive = 0;
  for (Source source : w.sources) {
    fill_pair_factors(c, source, w.cfg.u_height, w.g.x, factors);
    for (int t = 1; t <= w.met.ntime; ++t) {
      const double value = time_eval_conc(c, w.profiles, t, 1, source, w.g, w.scratch, factors);
      Source plain = source;
      plain.emis_fact = w.profiles.at(1, t);
      const std::size_t at = w.met.index(1, t);
      double expected;
      if (w.met.zi[at] != -9999) {
        expected = eval_inv(c, t, 1, plain, w.g, w.scratch);
      } else {
        const int s = w.met.stability_class[at];
        const PlumeParams p = evaluate_par(c, plain, s, 1, w.met.w_sp[at], w.cfg.u_height, 0.0, w.g);
        const double lambda = get_lambda(w.met.w_dir[at], p.h_plume, w.cfg.u_height, w.g.delta, true);
        expected = evaluate_gauss(c, s, plain, w.g.x, w.g.theta, lambda, p, w.met.w_dir[at], false);
      }
      ASSERT_EQ(value, expected) << "source " << source.x << " type " << source.type << " hour " << t;
      positive += value > 0;
    }
  }
  EXPECT_GT(positive, 100);
}

// The pair's rise factors reproduce the plume height and parameters of the plain kernel in
// every class, before the full-rise distance and beyond it.
TEST(PairFactors, PlumeOfEveryClassEqualsThePlainKernel) {
  SeriesWorld w;
  const ModelContext c = w.ctx();
  PairFactors f;
  for (const Source& source : w.sources) {
    fill_pair_factors(c, source, w.cfg.u_height, w.g.x, f);
    for (int s = 1; s <= 5; ++s)
      for (double u : {0.7, 3.0, 11.0}) {
        const PlumeHeight plain = hef(c, source, s, u, w.cfg.u_height, w.g.x, w.g.zmax);
        const PlumeHeight cached = hef(c, source, s, u, w.g.x, w.g.zmax, f.rise[s - 1]);
        EXPECT_EQ(cached.h_plume, plain.h_plume) << s << " " << u;
        EXPECT_EQ(cached.h_ef, plain.h_ef) << s << " " << u;
        const PlumeParams a = evaluate_par(c, source, s, 1, u, w.cfg.u_height, 30, w.g);
        const PlumeParams b = evaluate_par(c, source, s, 1, u, 30, w.g, f);
        EXPECT_EQ(a.u_ef, b.u_ef);
        EXPECT_EQ(a.kh, b.kh);
        EXPECT_EQ(a.z4, b.z4);
      }
  }
  EXPECT_LT(rise_factors(c, w.sources[0], 3, w.cfg.u_height, w.g.x).growth, 1);
  EXPECT_EQ(rise_factors(c, w.sources[2], 3, w.cfg.u_height, w.g.x).growth, 1);
}

}  // namespace
}  // namespace kadre

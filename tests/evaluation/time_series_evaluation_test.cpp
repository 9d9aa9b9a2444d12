#include "evaluation/time_series_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/model_world.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// Forty hours cycling through every class, with speeds from calm to strong, directions around
// the point's azimuth, every fourth hour under an inversion, and a varying emission factor.
struct SeriesWorld : test::ModelWorld {
  EmissionProfiles profiles;
  PairGeometry g;
  PathScratch scratch;
  SeriesWorld() {
    constexpr int kHours = 40;
    cfg.is_time = true;
    cfg.inverze = true;
    cfg.is_no = true;
    cfg.is_shluky = true;
    cfg.wind_rotation = true;
    cfg.u_height = 12;
    met.met_num = 1;
    met.ntime = kHours;
    profiles.nprof = 1;
    profiles.ntime = kHours;
    for (int t = 1; t <= kHours; ++t) {
      met.tridy_st.push_back(1 + (t * 3) % 5);
      met.w_sp.push_back(0.8 + 0.37 * t);
      met.w_dir.push_back(250 + (t * 7) % 41);
      met.zi.push_back(t % 4 == 0 ? 90 + 15 * (t % 3) : -9999);
      met.tridy_st_i.push_back(1 + t % 5);
      met.w_sp_i.push_back(1.4 * (0.8 + 0.37 * t));
      met.w_dir_i.push_back(260 + (t * 5) % 21);
      profiles.time_emis_fact.push_back(0.5 + 0.1 * (t % 7));
    }
    climate.frt.fill(1);
    climate.vch1.fill(8000);
    climate.tch1.fill(25);
    for (int s = 1; s <= 5; ++s) climate.grt[ClimateTables::index(4, 4, s)] = 1;
    ref_body = {test::point_at(6000, 5000, 1.5, 8)};
    g.x = 1000;
    g.delta = 270;
    g.theta = 0.3;
    g.zmax = 5;
  }
};

Source with_series(Source s) {
  s.met_idx = 1;
  s.prof_idx = 1;
  s.m_no = 0.4;
  return s;
}

std::vector<Source> sources() {
  Source grows = test::cold_stack(5000, 5000, 60);  // full rise only beyond the point
  grows.beta = 1;
  grows.qa = 2;
  grows.tep_vyd = 40000;
  grows.shluk = 7;
  Source partner = grows;
  partner.x = 5030;
  Source risen = test::cold_stack(5000, 5000, 40);  // buoyancy and momentum, full rise
  risen.beta = 0.6;
  risen.qa = 2;
  risen.tep_vyd = 30;
  risen.w = 12;
  risen.d = 2;
  Source area = risen;
  area.typ_zdroje = 2;
  area.length = 50;
  Source road = test::cold_stack(5000, 5000, 2);
  road.typ_zdroje = 3;
  road.x1 = 4900;
  road.y1 = 4950;
  road.x2 = 5100;
  road.y2 = 5120;
  road.length = 262;
  road.width = 9;
  road.vert_ext = 2;
  Source tower = test::cold_stack(5000, 5000, 120);
  tower.chl_vez = true;
  tower.v = 300;
  tower.t = 50;
  tower.d = 60;
  std::vector<Source> all;
  for (const Source& s : {grows, partner, risen, area, road, tower}) all.push_back(with_series(s));
  return all;
}

// Every hour equals the plain kernels without the pair's factors, to the last bit: plain
// hours and inversion hours, every class, every kind of source.
TEST(TimeEvalConc, EveryHourEqualsThePlainKernels) {
  SeriesWorld w;
  w.zdroje = sources();
  const ModelContext c = w.ctx();
  PairFactors factors;
  int positive = 0;
  for (Source source : w.zdroje) {
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
        const int s = w.met.tridy_st[at];
        const PlumeParams p = evaluate_par(c, plain, s, 1, w.met.w_sp[at], w.cfg.u_height, 0.0, w.g);
        const double lambda = get_lambda(w.met.w_dir[at], p.h_plume, w.cfg.u_height, w.g.delta, true);
        expected = evaluate_gauss(c, s, plain, w.g.x, w.g.theta, lambda, p, w.met.w_dir[at], false);
      }
      ASSERT_EQ(value, expected) << "source " << source.x << " type " << source.typ_zdroje << " hour " << t;
      if (value > 0) ++positive;
    }
  }
  EXPECT_GT(positive, 100);
}

// The pair's rise factors reproduce the plume height of the plain kernel in every class.
TEST(PairFactors, PlumeHeightOfEveryClassEqualsThePlainKernel) {
  SeriesWorld w;
  w.zdroje = sources();
  const ModelContext c = w.ctx();
  PairFactors f;
  for (const Source& source : w.zdroje) {
    fill_pair_factors(c, source, w.cfg.u_height, w.g.x, f);
    for (int s = 1; s <= 5; ++s) {
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
  }
  // The growth before the full-rise distance and the full rise beyond it.
  EXPECT_LT(rise_factors(c, w.zdroje[0], 3, w.cfg.u_height, w.g.x).growth, 1);
  EXPECT_EQ(rise_factors(c, w.zdroje[2], 3, w.cfg.u_height, w.g.x).growth, 1);
}

}  // namespace
}  // namespace kadre

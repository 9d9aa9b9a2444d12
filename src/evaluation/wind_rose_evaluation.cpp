#include "evaluation/wind_rose_evaluation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/rose_kernel.h"
#include "model/vector_path.h"
#include "model/wind_kernel.h"

namespace kadre {

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void scalar_directions(const ModelContext& ctx, const Source& source, const PairGeometry& g,
                       const PlumeParams& p, int s, double phi_step, double axis, double limit,
                       int first, int last, double* column, PairFactors& f) {
  for (int i = first; i <= last; ++i) {
    const double phi = static_cast<double>(i) * phi_step;
    const double lambda = get_lambda(phi, axis);
    if (in_sector(lambda, limit))
      column[i] = evaluate_gauss(ctx, s, source, g.x, g.theta, lambda, p, phi, false, 1.0,
                                 f.spreads, i + 1);
  }
}

// Narrows each window to its first and last direction in the sector (the margins of the
// windows hold none); windows without any are dropped.
void trim_windows(double phi_step, double axis, double limit, WrittenWindows& w) {
  const auto inside = [&](int i) {
    return in_sector(get_lambda(static_cast<double>(i) * phi_step, axis), limit);
  };
  int kept = 0;
  for (int n = 0; n < w.count; ++n) {
    auto [first, last] = w.windows[n];
    while (first <= last && !inside(first)) ++first;
    while (last >= first && !inside(last)) --last;
    if (first <= last) w.windows[kept++] = {first, last};
  }
  w.count = kept;
}

// The plumes of class s for each of its wind speeds into work.plumes. In the vector path the
// winds at the effective heights come from one vector step (the scalar formulas decide
// values outside its range), and beyond the rise's growth distance the plume heights come
// from the source's table of full_rise_heights where there is one.
void class_plumes(const ModelContext& ctx, const WindClasses& wind, const RefPoint& point,
                  const Source& source, const PairGeometry& g, int s, RoseWork& work,
                  PairFactors& f, const double* full_rise_heights) {
  const int speeds = wind.nu[static_cast<std::size_t>(s - 1)];
  if (ctx.options.kernels != KernelPath::vector) {
    for (int j = 1; j <= speeds; ++j)
      work.plumes[static_cast<std::size_t>(j - 1)] = evaluate_par(
          ctx, source, point, s, wind.u_range[static_cast<std::size_t>(j - 1)], 0.0, g, f);
    return;
  }
  const double exponent = ctx.par.u_p[static_cast<std::size_t>(s - 1)];
  const double* heights =
      full_rise_heights != nullptr && f.rise[static_cast<std::size_t>(s - 1)].growth == 1.0
          ? full_rise_heights + static_cast<std::size_t>(s - 1) * wind.nu_max()
          : nullptr;
  int pending = 0;
  for (int j = 1; j <= speeds; ++j) {
    const double u = wind.u_range[static_cast<std::size_t>(j - 1)];
    PlumeParams& p = work.plumes[static_cast<std::size_t>(j - 1)];
    make_plume_in_place(p, [&] {
      return heights != nullptr ? evaluate_par_from_axis_height(ctx, source, point, s, u, 0.0, g, f,
                                                                heights[j - 1])
                                : evaluate_par_without_wind(ctx, source, point, s, u, 0.0, g, f);
    });
    const double base = wind_profile_base(p.h_ef, f.z_ref);
    if (wind_takes_vector_path(u, base, exponent)) {
      const std::size_t k = static_cast<std::size_t>(pending++);
      work.wind_u[k] = u;
      work.wind_base[k] = base;
      work.wind_exponent[k] = exponent;
      work.wind_speed[k] = j - 1;
    } else {
      p.u_ef = u * f.wind_profile.of(p.h_ef, f.z_ref, exponent);
    }
  }
  if (pending == 0) return;
  winds_at_height(work.wind_u.data(), work.wind_base.data(), work.wind_exponent.data(),
                  work.wind_out.data(), pending);
  for (int k = 0; k < pending; ++k)
    work.plumes[static_cast<std::size_t>(work.wind_speed[static_cast<std::size_t>(k)])].u_ef =
        work.wind_out[static_cast<std::size_t>(k)];
}

// The run of a window: everything but the window itself.
SectorRun sector_run(const ModelContext& ctx, const Source& source, const PairGeometry& g,
                     const PlumeParams& p, int s, double phi_step, double axis, double limit) {
  const ModelParams& par = ctx.par;
  const std::size_t c = static_cast<std::size_t>(s - 1);
  SectorRun run;
  run.phi_step = phi_step;
  run.axis = axis;
  run.limit = limit;
  run.x = g.x;
  run.theta = g.theta;
  run.k_u = par.k_u;
  run.v = source.flue_gas_flow_m3_s;
  run.m = source.m;
  run.m_no = source.m_no;
  run.k_p = par.k_p[c];
  run.convert_no = ctx.options.convert_no;
  run.ay = par.ay[c];
  run.by = par.by[c];
  run.az = par.az[c];
  run.bz = par.bz[c];
  run.p = p;
  return run;
}

// The geometry of every window of a column for class s and the run's axis; a line source's
// spreads from the run's table where there is one (nphi directions per class).
void vector_geometry(const ModelContext& ctx, const Source& source, int s, SectorRun& run,
                     const WrittenWindows& w, const RoseSourceTables& tables, int nphi,
                     RoseWork& work, PairFactors& f) {
  const std::size_t class_start = static_cast<std::size_t>(s - 1) * static_cast<std::size_t>(nphi);
  for (int n = 0; n < w.count; ++n) {
    run.first = w.windows[n].first;
    run.count = w.windows[n].second - w.windows[n].first + 1;
    if (source.type == SourceType::line && tables.line_sy0 != nullptr) {
      run.sy0 = tables.line_sy0 + class_start;
      run.sz0 = tables.line_sz0 + class_start;
    } else if (source.type == SourceType::line) {
      f.spreads.line_sectors(source, ctx.par, s, w.windows[n].first, w.windows[n].second,
                             run.phi_step, run.sy0, run.sz0);
    } else
      f.spreads.get(source, ctx.par, s, 0.0, 0, run.sy0_all, run.sz0_all);
    sector_geometry(run, work.geometry);
  }
}

void vector_directions(const ModelContext& ctx, const Source& source, const PairGeometry& g,
                       const PlumeParams& p, int s, SectorRun& run, const WrittenWindows& w,
                       double* column, RoseWork& work, PairFactors& f) {
  for (int n = 0; n < w.count; ++n) {
    run.first = w.windows[n].first;
    run.count = w.windows[n].second - w.windows[n].first + 1;
    const int left = sector_concentrations(run, work.geometry, column, work.undecided.data());
    for (int u = 0; u < left; ++u) {
      const int k = work.undecided[static_cast<std::size_t>(u)];
      scalar_directions(ctx, source, g, p, s, run.phi_step, run.axis, run.limit, k, k, column, f);
    }
  }
}

}  // namespace

RoseWork::RoseWork(int nphi, int nu_max)
    : column(static_cast<std::size_t>(std::max(nphi, 0)) + kKernelPadding, 0.0),
      undecided(static_cast<std::size_t>(std::max(nphi, 0))),
      geometry(nphi),
      plumes(static_cast<std::size_t>(std::max(nu_max, 0))),
      wind_u(static_cast<std::size_t>(std::max(nu_max, 0)) + kKernelPadding, 1.0),
      wind_base(wind_u.size(), 1.0),
      wind_exponent(wind_u.size(), 0.0),
      wind_out(wind_u.size(), 0.0),
      wind_speed(wind_u.size(), 0) {}

void evaluate_conc(const ModelContext& ctx, const Settings& cfg, const WindClasses& wind,
                   const RefPoint& point, const Source& source, const PairGeometry& g,
                   RoseWork& work, PairFactors& f, RoseColumnSink& sink, RoseSourceTables tables) {
  const int nphi = cfg.nphi;
  const int nu_max = wind.nu_max();
  double* column = work.column.data();
  fill_pair_factors(ctx, source, kWindRoseHeight, g.x, nphi, f);
  const double limit = sector_half_angle(ctx.par, source.type);
  const bool vector_pair = pair_takes_vector_path(ctx, source, g);
  if (vector_pair) work.geometry.set_reference(g.delta);
  for (int i = 1; i <= kStabilityClasses; ++i) {
    class_plumes(ctx, wind, point, source, g, i, work, f, tables.full_rise_heights);
    // The geometry of the class is kept from speed to speed while the axis stays, and so are
    // the windows.
    bool geometry_kept = false;
    double geometry_axis = 0;
    bool windows_kept = false;
    double windows_axis = 0;
    WrittenWindows w;
    for (int j = 1; j <= wind.nu[i - 1]; ++j) {
      const PlumeParams& p = work.plumes[static_cast<std::size_t>(j - 1)];
      const double axis = wind_axis(g.delta, p.h_plume, kWindRoseHeight, ctx.options.wind_rotation);
      const std::size_t index = static_cast<std::size_t>(i - 1) * nu_max + (j - 1);
      if (!windows_kept || !same_bits(axis, windows_axis)) {
        w.count = sector_windows(nphi, cfg.phi_step, axis, limit, w.windows);
        trim_windows(cfg.phi_step, axis, limit, w);
        windows_kept = true;
        windows_axis = axis;
      }
      const bool vector =
          vector_pair && situation_takes_vector_path(ctx, i, p, axis, ctx.par.k_u,
                                                     ctx.par.k_p[static_cast<std::size_t>(i - 1)]);
      if (vector) {
        SectorRun run = sector_run(ctx, source, g, p, i, cfg.phi_step, axis, limit);
        if (!geometry_kept || !same_bits(axis, geometry_axis)) {
          vector_geometry(ctx, source, i, run, w, tables, nphi, work, f);
          geometry_kept = true;
          geometry_axis = axis;
        }
        vector_directions(ctx, source, g, p, i, run, w, column, work, f);
      } else {
        for (int n = 0; n < w.count; ++n)
          scalar_directions(ctx, source, g, p, i, cfg.phi_step, axis, limit, w.windows[n].first,
                            w.windows[n].second, column, f);
      }
      sink.take(index, column, w);
      for (int n = 0; n < w.count; ++n)
        std::fill(column + w.windows[n].first, column + w.windows[n].second + 1, 0.0);
    }
  }
}

}  // namespace kadre

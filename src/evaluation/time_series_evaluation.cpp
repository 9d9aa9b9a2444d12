#include "evaluation/time_series_evaluation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "core/errors.h"
#include "model/class_index.h"
#include "model/dispersion_coefficients.h"
#include "model/plume_sector.h"
#include "model/vector_path.h"
#include "model/wind_kernel.h"

namespace kadre {

namespace {

HourMet hour_met(const MetSeries& met, std::size_t at) {
  return HourMet{met.stability_class[at],   met.w_sp[at],   met.w_dir[at],  met.zi[at],
                 met.stability_class_i[at], met.w_sp_i[at], met.w_dir_i[at]};
}

// The situations of one pair: each plume (without a lid) and axis computed at its first hour.
// In the vector path the wind at the effective height waits for one vector step over all the
// pair's situations, unless an inversion hour needs it first.
class PairSituations {
 public:
  PairSituations(const ModelContext& ctx, const MetSeries& met, const RefPoint& point,
                 const Source& source, const PairGeometry& g, PairFactors& f, HourlyWork& work,
                 bool deferred, const double* full_rise_heights)
      : ctx_(ctx),
        met_(met),
        point_(point),
        source_(source),
        g_(g),
        f_(f),
        work_(work),
        deferred_(deferred),
        full_rise_heights_(full_rise_heights) {
    ++work_.current;
    work_.computed.clear();
  }

  // Situation n of the hour at `at`, its wind at the effective height known when `wind`.
  void need(std::size_t at, std::size_t n, bool wind) {
    if (work_.stamp[n] != work_.current) compute(at, n);
    if (wind && work_.wind_pending[n] != 0) settle_wind(at, n);
  }

  // Situation n of the hour at `at`, its wind possibly still pending.
  void need_plume(std::size_t at, std::size_t n) {
    if (work_.stamp[n] != work_.current) compute(at, n);
  }

  // The axis of situation n of the hour at `at` (work.axis[n]), for which the vector path
  // needs the plume's height only: the rest of a plume waits until an hour of it is in the
  // sector or under an inversion.
  void need_axis(std::size_t at, std::size_t n) {
    if (work_.axis_stamp[n] == work_.current || work_.stamp[n] == work_.current) return;
    const int s = met_.stability_class[at];
    check_class("evaluate_par", "u_p", s);
    // At full rise the height is the source's for every point.
    const RiseFactors& rise = f_.rise[static_cast<std::size_t>(s - 1)];
    const double h_plume = full_rise_heights_ != nullptr && rise.growth == 1.0
                               ? full_rise_heights_[n]
                               : plume_axis_height(ctx_, source_, stack_exit(source_), s,
                                                   met_.w_sp[at], g_.x, rise, &f_.tower_fluxes);
    work_.plume[n].h_plume = h_plume;
    work_.axis[n] = wind_axis(g_.delta, h_plume, ctx_.options.u_height, ctx_.options.wind_rotation);
    work_.axis_stamp[n] = work_.current;
  }

  void settle_wind(std::size_t at, std::size_t n) {
    const int s = met_.stability_class[at];
    PlumeParams& p = work_.plume[n];
    p.u_ef = met_.w_sp[at] *
             f_.wind_profile.of(p.h_ef, f_.z_ref, ctx_.par.u_p[static_cast<std::size_t>(s - 1)]);
    work_.wind_pending[n] = 0;
  }

  // The winds still pending, in one vector step, then what the vector kernel needs of each.
  void finish() {
    if (pending_ > 0) {
      winds_at_height(work_.wind_u.data(), work_.wind_base.data(), work_.wind_exponent.data(),
                      work_.wind_out.data(), pending_);
      // A slot whose situation an inversion hour has settled since is passed over.
      for (int i = 0; i < pending_; ++i) {
        const std::size_t k =
            static_cast<std::size_t>(work_.wind_situation[static_cast<std::size_t>(i)]);
        if (work_.wind_pending[k] == 0) continue;
        work_.plume[k].u_ef = work_.wind_out[static_cast<std::size_t>(i)];
        work_.wind_pending[k] = 0;
      }
    }
    const ModelParams& par = ctx_.par;
    for (const int n : work_.computed) {
      const std::size_t k = static_cast<std::size_t>(n);
      const PlumeParams& p = work_.plume[k];
      const std::size_t c = static_cast<std::size_t>(situation_class_[k] - 1);
      work_.removal[k] = -par.k_u / p.u_ef;
      work_.decay[k] = -par.k_p[c] / p.u_ef;
      const bool vector = situation_takes_vector_path(ctx_, situation_class_[k], p, work_.axis[k],
                                                      work_.removal[k], work_.decay[k]);
      work_.vector_ok[k] = vector ? 1 : 0;
    }
  }

  int situation_class(std::size_t n) const { return situation_class_[n]; }

 private:
  void compute(std::size_t at, std::size_t n) {
    const int s = met_.stability_class[at];
    const double u = met_.w_sp[at];
    PlumeParams& p = work_.plume[n];
    if (!deferred_) {
      p = evaluate_par(ctx_, source_, point_, s, u, 0.0, g_, f_);
    } else {
      // The axis height of a situation need_axis has seen is kept.
      const double h_plume = p.h_plume;
      make_plume_in_place(p, [&] {
        return work_.axis_stamp[n] == work_.current
                   ? evaluate_par_from_axis_height(ctx_, source_, point_, s, u, 0.0, g_, f_,
                                                   h_plume)
                   : evaluate_par_without_wind(ctx_, source_, point_, s, u, 0.0, g_, f_);
      });
      const double base = wind_profile_base(p.h_ef, f_.z_ref),
                   exponent = ctx_.par.u_p[static_cast<std::size_t>(s - 1)];
      if (wind_takes_vector_path(u, base, exponent)) {
        const std::size_t i = static_cast<std::size_t>(pending_++);
        work_.wind_u[i] = u;
        work_.wind_base[i] = base;
        work_.wind_exponent[i] = exponent;
        work_.wind_situation[i] = static_cast<int>(n);
        work_.wind_pending[n] = 1;
      } else {
        p.u_ef = u * f_.wind_profile.of(p.h_ef, f_.z_ref, exponent);
        work_.wind_pending[n] = 0;
      }
    }
    work_.axis[n] =
        wind_axis(g_.delta, p.h_plume, ctx_.options.u_height, ctx_.options.wind_rotation);
    situation_class_[n] = s;
    work_.stamp[n] = work_.current;
    work_.computed.push_back(static_cast<int>(n));
  }

  const ModelContext& ctx_;
  const MetSeries& met_;
  const RefPoint& point_;
  const Source& source_;
  const PairGeometry& g_;
  PairFactors& f_;
  HourlyWork& work_;
  bool deferred_;
  const double* full_rise_heights_;
  int pending_ = 0;
  std::vector<int>& situation_class_ = work_.situation_class;
};

// The in-sector hours of a pair's series: their list (hours from 0), and per hour of the
// series its situation, wind direction and angle to the situation's axis.
struct SectorHours {
  const int* list = nullptr;
  int count = 0;
  const int* situation_of = nullptr;
  const double* phi = nullptr;
  const double* lambda = nullptr;
};

// The pair's in-sector hours through the vector kernel (hours it cannot take through the
// scalar formulas), each added to its hour of c_t.
void add_sector_hours(const ModelContext& ctx, const EmissionProfiles& profiles,
                      const Source& source, const PairGeometry& g, PairFactors& f,
                      const PairSituations& plumes, const SectorHours& hours, HourlyWork& work,
                      double* c_t) {
  HourBatch& batch = work.batch;
  batch.count = 0;
  batch.line = source.type == SourceType::line;
  // The initial spreads of the other source types depend on the class only.
  std::array<double, kStabilityClasses> class_sy0{}, class_sz0{};
  std::array<bool, kStabilityClasses> class_spreads{};
  const auto emission = [&](int t) { return profiles.at(source.prof_idx, t + 1); };
  for (int i = 0; i < hours.count; ++i) {
    const int t = hours.list[i];
    const std::size_t hour = static_cast<std::size_t>(t);
    const std::size_t n = static_cast<std::size_t>(hours.situation_of[hour]);
    const int s = plumes.situation_class(n);
    const double emis = emission(t);
    if (work.vector_ok[n] == 0 || !hour_takes_vector_path(emis)) {
      c_t[hour] += evaluate_gauss(ctx, s, source, g.x, g.theta, hours.lambda[hour], work.plume[n],
                                  hours.phi[hour], false, emis, f.spreads, 0);
      continue;
    }
    const std::size_t c = static_cast<std::size_t>(s - 1);
    if (!batch.line && !class_spreads[c]) {
      f.spreads.get(source, ctx.par, s, hours.phi[hour], 0, class_sy0[c], class_sz0[c]);
      class_spreads[c] = true;
    }
    batch.add(hours.lambda[hour], ctx.par.ay[c], ctx.par.by[c], ctx.par.az[c], ctx.par.bz[c],
              class_sy0[c], class_sz0[c], work.plume[n], work.removal[n], work.decay[n], emis,
              hours.phi[hour]);
    work.batch_hour[static_cast<std::size_t>(batch.count - 1)] = t;
  }
  if (batch.count == 0) return;
  batch.x = g.x;
  batch.theta = g.theta;
  batch.v = source.flue_gas_flow_m3_s;
  batch.m = source.m;
  batch.m_no = source.m_no;
  batch.convert_no = ctx.options.convert_no;
  if (batch.line) {
    batch.azimuth = line_azimuth(source);
    batch.width = source.width;
    batch.length = source.length;
    batch.vert_ext = source.vert_ext;
  }
  const int left = hour_concentrations(batch, work.batch_out.data(), work.undecided.data());
  for (int u = 0; u < left; ++u) {
    const std::size_t lane = static_cast<std::size_t>(work.undecided[static_cast<std::size_t>(u)]);
    const int t = work.batch_hour[lane];
    const std::size_t hour = static_cast<std::size_t>(t);
    const std::size_t n = static_cast<std::size_t>(hours.situation_of[hour]);
    work.batch_out[lane] =
        evaluate_gauss(ctx, plumes.situation_class(n), source, g.x, g.theta, hours.lambda[hour],
                       work.plume[n], hours.phi[hour], false, emission(t), f.spreads, 0);
  }
  for (int i = 0; i < batch.count; ++i) {
    const std::size_t lane = static_cast<std::size_t>(i);
    c_t[static_cast<std::size_t>(work.batch_hour[lane])] += work.batch_out[lane];
  }
}

// The hours of an orderly series in the vector path: the axes of all its situations first
// (their plumes' heights only), then every hour's angle and the lists of the inversion hours
// and of the in-sector hours in one vector step (the hours outside the sector +0 there), the
// inversion hours through the scalar formulas; returns the in-sector ones. The plume of a
// situation is completed at its first hour in the sector or under an inversion (its wind
// waits for the vector step), so that situations never in the sector cost their heights only.
SectorHours in_sector_hours(const ModelContext& ctx, const MetSeries& met,
                            const EmissionProfiles& profiles, const HourlySituations& situations,
                            const RefPoint& point, const Source& source, const PairGeometry& g,
                            PairFactors& f, PairSituations& plumes, HourlyWork& work, double* c_t) {
  const std::size_t series = static_cast<std::size_t>(source.met_idx - 1);
  const std::vector<std::size_t>& first_hour = situations.first_hour[series];
  for (std::size_t n = 0; n < first_hour.size(); ++n) plumes.need_axis(first_hour[n], n);
  const std::size_t first = met.index(source.met_idx, 1);
  const int* situation_of = situations.series_situation[series].data();
  const double* w_dir = situations.series_phi[series].data();
  const double* lambda = work.lambda.data();
  const HourLists lists = classify_hours(
      w_dir, situation_of, situations.series_inversion[series].data(), work.axis.data(),
      sector_half_angle(ctx.par, source.type), met.ntime, work.lambda.data(),
      work.in_sector_list.data(), work.inversion_list.data(), c_t);
  const InversionSectorTest sector(ctx, source, g, f);
  for (int i = 0; i < lists.inverted; ++i) {
    const std::size_t t =
        static_cast<std::size_t>(work.inversion_list[static_cast<std::size_t>(i)]);
    const std::size_t at = first + t;
    const std::size_t n = static_cast<std::size_t>(situation_of[t]);
    // An hour whose plume misses the point adds eval_inv's +0 without a plume of its own.
    if (sector.outside(met.zi[at], met.w_dir[at], met.w_dir_i[at], work.plume[n].h_plume)) {
      c_t[t] += 0.0;
      continue;
    }
    const HourMet hour = hour_met(met, at);
    plumes.need(at, n, true);
    c_t[t] += eval_inv(ctx, hour, point, source, g, f,
                       profiles.at(source.prof_idx, static_cast<int>(t) + 1), &work.plume[n]);
  }
  for (int i = 0; i < lists.in_sector; ++i) {
    const std::size_t t =
        static_cast<std::size_t>(work.in_sector_list[static_cast<std::size_t>(i)]);
    plumes.need_plume(first + t, static_cast<std::size_t>(situation_of[t]));
  }
  return {work.in_sector_list.data(), lists.in_sector, situation_of, w_dir, lambda};
}

}  // namespace

HourlyWork::HourlyWork(int situations, int hours) {
  const std::size_t n = static_cast<std::size_t>(std::max(situations, 0));
  const std::size_t padded = n + kKernelPadding;
  const std::size_t h = static_cast<std::size_t>(std::max(hours, 0));
  plume.resize(n);
  axis.assign(n, 0.0);
  removal.assign(n, 0.0);
  decay.assign(n, 0.0);
  vector_ok.assign(n, 0);
  wind_pending.assign(n, 0);
  situation_class.assign(n, 0);
  stamp.assign(n, 0);
  axis_stamp.assign(n, 0);
  computed.reserve(n);
  wind_u.assign(padded, 1.0);
  wind_base.assign(padded, 1.0);
  wind_exponent.assign(padded, 0.0);
  wind_out.assign(padded, 0.0);
  wind_situation.assign(padded, 0);
  lambda.assign(h + kKernelPadding, 0.0);
  in_sector_list.assign(h, 0);
  inversion_list.assign(h, 0);
  batch = HourBatch(hours);
  batch_out.assign(h + kKernelPadding, 0.0);
  batch_hour.assign(h, 0);
  undecided.assign(h, 0);
}

void time_eval_conc(const ModelContext& ctx, const MetSeries& met, const EmissionProfiles& profiles,
                    const HourlySituations& situations, const RefPoint& point, const Source& source,
                    const PairGeometry& g, PairFactors& f, HourlyWork& work, double* c_t,
                    const double* full_rise_heights) {
  if (met.ntime < 1) return;
  checked_index("time_eval_conc", "time_emis_fact", 1, source.prof_idx, 1, profiles.nprof);
  checked_index("time_eval_conc", "w_dir", 1, source.met_idx, 1, met.met_num());
  // A series with a class outside 1..5 stops at its first such hour; hour by hour, the scalar
  // formulas find it where the run would.
  const std::size_t series = static_cast<std::size_t>(source.met_idx - 1);
  const bool vector = pair_takes_vector_path(ctx, source, g) && situations.orderly[series] != 0;
  PairSituations plumes(ctx, met, point, source, g, f, work, vector, full_rise_heights);
  if (vector) {
    const SectorHours hours =
        in_sector_hours(ctx, met, profiles, situations, point, source, g, f, plumes, work, c_t);
    plumes.finish();
    add_sector_hours(ctx, profiles, source, g, f, plumes, hours, work, c_t);
    return;
  }
  const std::size_t first = met.index(source.met_idx, 1);
  const int* situation_of = situations.of_hour.data() + first;
  const unsigned char* inversion = situations.inversion.data() + first;
  const double* w_dir = met.w_dir.data() + first;
  for (int t = 0; t < met.ntime; ++t) {
    const std::size_t at = first + static_cast<std::size_t>(t);
    const std::size_t n = static_cast<std::size_t>(situation_of[t]);
    if (inversion[t] != 0) {
      const double emis_fact = profiles.at(source.prof_idx, t + 1);
      const HourMet hour = hour_met(met, at);
      // Classes out of range stop in eval_inv with its own message, before any plume.
      const bool keep = valid_class(hour.s) && valid_class(hour.s_i);
      if (keep) plumes.need(at, n, true);
      c_t[t] +=
          eval_inv(ctx, hour, point, source, g, f, emis_fact, keep ? &work.plume[n] : nullptr);
      continue;
    }
    const double phi = w_dir[t];
    plumes.need(at, n, true);
    c_t[t] += evaluate_gauss(ctx, met.stability_class[at], source, g.x, g.theta,
                             get_lambda(phi, work.axis[n]), work.plume[n], phi, false,
                             profiles.at(source.prof_idx, t + 1), f.spreads, 0);
  }
}

}  // namespace kadre

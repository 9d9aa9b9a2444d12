#include "evaluation/statistics.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

#include "core/errors.h"
#include "core/text.h"
#include "evaluation/situation_classes.h"

namespace kadre {

namespace {

// Hours of a year (single-precision literal, exact).
constexpr double kHoursPerYear = 8760.0;

// Largest element and the position of its first occurrence; NaN elements are ignored
// unless all are NaN (then NaN at position 0). An empty range gives the most negative
// finite double at position -1.
struct Extreme {
  double value;
  std::ptrdiff_t pos;
};

// In two loops: the largest value in running maxima of four elements each (vector maxima, in
// AVX2 where the processor has it), then the first element equal to it. For a largest zero
// that is the first zero of either sign, as a single pass taking only larger elements would
// keep; NaN is never larger, and equal to nothing.
__attribute__((target_clones("avx2", "default"))) Extreme max_first(const double* v,
                                                                    std::size_t n) {
  using Four = double __attribute__((vector_size(4 * sizeof(double))));
  constexpr double kLow = -std::numeric_limits<double>::infinity();
  Four a_max = {kLow, kLow, kLow, kLow}, b_max = a_max;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    Four a, b;
    std::memcpy(&a, v + i, sizeof a);
    std::memcpy(&b, v + i + 4, sizeof b);
    a_max = a > a_max ? a : a_max;
    b_max = b > b_max ? b : b_max;
  }
  double largest = kLow;
  for (; i < n; ++i) largest = v[i] > largest ? v[i] : largest;
  for (int k = 0; k < 4; ++k) {
    largest = a_max[k] > largest ? a_max[k] : largest;
    largest = b_max[k] > largest ? b_max[k] : largest;
  }
  for (i = 0; i < n; ++i)
    if (v[i] == largest) return {v[i], static_cast<std::ptrdiff_t>(i)};
  // No element equal: none, or every one NaN.
  if (n == 0) return {-std::numeric_limits<double>::max(), -1};
  return {std::numeric_limits<double>::quiet_NaN(), 0};
}

void write_max_block(const MaxSituation& m, double* row, int first) {
  row[first] = m.cmax;
  row[first + 1] = static_cast<double>(m.iclass);
  row[first + 2] = m.wsp;
  row[first + 3] = m.wdir;
}

void write_class_block(const double* cls, int nphi, double* row, int first) {
  const auto n = static_cast<std::size_t>(nphi);
  for (int m = 0; m < kSituationClassCount; ++m)
    row[first + m] = max_first(cls + static_cast<std::size_t>(m) * n, n).value;
}

void write_exceed_block(const double* record, const WindRoses& wind_roses, int nphi, double* row,
                        int first) {
  const std::size_t section = static_cast<std::size_t>(nphi) * kSituationClassCount;
  for (int l = 0; l < kLimitCount; ++l)
    row[first + l] =
        eval_t_exceed(record + static_cast<std::size_t>(l) * section, wind_roses, nphi);
}

}  // namespace

// Compiled for AVX2 too (chosen at run time where the processor has it), as the sums of the
// situations: the base instruction set's vectors hold two doubles.
__attribute__((target_clones("avx2", "default"))) void prepare_exceed_range(
    const double* cls_sum, double* record, const std::array<double, 3>& limits, double factor,
    int nphi, std::size_t begin, std::size_t end) {
  static_assert(kLimitCount == 3);
  const std::size_t section = static_cast<std::size_t>(nphi) * kSituationClassCount;
  double* r0 = record;
  double* r1 = record + section;
  double* r2 = record + 2 * section;
  const double l0 = limits[0], l1 = limits[1], l2 = limits[2];
  // The three limits in one pass, without a branch, so that the compiler vectorises it.
  for (std::size_t e = begin; e < end; ++e) {
    const double sum = cls_sum[e];
    r0[e] = r0[e] == 0 && sum > l0 ? factor : r0[e];
    r1[e] = r1[e] == 0 && sum > l1 ? factor : r1[e];
    r2[e] = r2[e] == 0 && sum > l2 ? factor : r2[e];
  }
}

void prepare_exceed(const double* cls_sum, double* record, const std::array<double, 3>& limits,
                    double factor, int nphi) {
  prepare_exceed_range(cls_sum, record, limits, factor, nphi, 0,
                       static_cast<std::size_t>(nphi) * kSituationClassCount);
}

double eval_t_exceed(const double* t_exceed, const WindRoses& wind_roses, int nphi) {
  // Without a wind rose (no source at all) nothing can be exceeded.
  if (wind_roses.met_num() < 1 || wind_roses.values.empty()) return 0;
  if (wind_roses.nphi != nphi)
    stop_with_lines({"eval_t_exceed: ruzice ma " + std::to_string(wind_roses.nphi) +
                     " smeru misto " + std::to_string(nphi)});
  const double* rose = wind_roses.slice(1, "eval_t_exceed");
  const std::size_t section = static_cast<std::size_t>(nphi) * kSituationClassCount;
  double sum = 0;
  for (std::size_t e = 0; e < section; ++e) sum += rose[e] * t_exceed[e];
  return kHoursPerYear * sum;
}

MaxSituation find_max(const double* c, int nphi, int nu_max, const std::vector<double>& u_range,
                      double phi_step) {
  const std::size_t n = static_cast<std::size_t>(nphi) * nu_max * kStabilityClasses;
  const Extreme e = max_first(c, n);
  MaxSituation result;
  result.cmax = e.value;
  if (e.pos < 0) return result;
  const auto pos = static_cast<std::size_t>(e.pos);
  const int k = static_cast<int>(pos % nphi) + 1;
  const int j = static_cast<int>((pos / nphi) % nu_max) + 1;
  const int i = static_cast<int>(pos / (static_cast<std::size_t>(nphi) * nu_max)) + 1;
  checked_index("find_max", "u_range", 1, j, 1, static_cast<long>(u_range.size()));
  result.iclass = i;
  result.wsp = u_range[static_cast<std::size_t>(j - 1)];
  result.wdir = (k - 1) * phi_step;
  return result;
}

void eval_stat(const StatContext& ctx, const PointTotals& totals, double* row) {
  const Settings& cfg = ctx.cfg;
  const StatRows& rows = stat_rows();
  const int nphi = cfg.nphi;
  if (cfg.is_max_abs)
    write_max_block(find_max(totals.c, nphi, ctx.nu_max, ctx.wind.u_range, cfg.phi_step), row,
                    rows.ch_max);
  if (cfg.is_max_11) write_class_block(totals.c_max, nphi, row, rows.ch_classes);
  if (cfg.is_max_abs && cfg.is_daily)
    write_max_block(find_max(totals.c_d, nphi, ctx.nu_max, ctx.wind.u_range, cfg.phi_step), row,
                    rows.cd_max);
  if (cfg.is_max_11 && cfg.is_daily) write_class_block(totals.cd_max, nphi, row, rows.cd_classes);
  if (cfg.is_average) row[rows.ave] = totals.ave;
  if (cfg.is_exceed) {
    write_exceed_block(totals.th_exceed, ctx.wind_roses, nphi, row, rows.th);
    if (cfg.is_daily) write_exceed_block(totals.td_exceed, ctx.wind_roses, nphi, row, rows.td);
  }
}

}  // namespace kadre

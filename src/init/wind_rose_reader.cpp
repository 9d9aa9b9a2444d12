#include "init/wind_rose_reader.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/errors.h"
#include "core/result_tables.h"
#include "core/text.h"
#include "init/data_file.h"
#include "init/diagnostics.h"

namespace kadre {

namespace {

constexpr int kClasses = kSituationClassCount;
const char* const kDescription = "ruzici";
constexpr int kMaxDirections = 36000;
// Totals of a rose (percent) outside which it cannot be a rose in percent.
constexpr double kLowestTotal = 50, kHighestTotal = 150;

// Reads n_dir and the eleven class records of one rose file into rose_in.
int read_rose_file(const std::string& path, std::vector<double>& rose_in, std::ostream& out) {
  FreeFormatReader reader = open_data_file(path, kDescription);
  reader.skip_comment_header();
  int n_dir = 0;
  // The sector count precedes class record 1, so a failure there names record 0.
  const ReadStatus st = reader.read({FreeFormatReader::integer(n_dir)});
  if (st != ReadStatus::ok) raise_error(error_reading(path, 0, st));
  UnreadItems unread(path, out);
  unread.check(reader, 0);
  if (n_dir <= 0) raise_error("Pocet smeru v souboru " + rtrim(path) + " musi byt kladny.");
  // The tables are sized by the count before the data shows it: a count no rose can mean
  // (finer than a hundredth of a degree) must not take the memory.
  if (n_dir > kMaxDirections)
    raise_error("Pocet smeru v souboru " + rtrim(path) + " musi byt nejvyse " +
                std::to_string(kMaxDirections) + ".");
  const std::size_t per_class = static_cast<std::size_t>(n_dir) + 1;
  rose_in.assign(per_class * kClasses, 0.0);
  for (int j = 1; j <= kClasses; ++j) {
    const ReadStatus rs =
        reader.read_reals(rose_in.data() + static_cast<std::size_t>(j - 1) * per_class, per_class);
    if (rs != ReadStatus::ok) raise_error(error_reading(path, j, rs));
    unread.check(reader, j);
    for (std::size_t i = 0; i < per_class; ++i)
      if (rose_in[static_cast<std::size_t>(j - 1) * per_class + i] < 0)
        negative_value(path, j, "cetnosti");
  }
  unread.finish();
  // The frequencies and calms of a year add up to 100 percent. A total far from it means
  // another unit (fractions of the year give 1, per mille 1000) and results off by that
  // factor: it stops. One near it is told.
  double total = 0;
  for (double f : rose_in) total += f;
  if (!(total >= kLowestTotal && total <= kHighestTotal))
    raise_error("Cetnosti v souboru " + rtrim(path) + " davaji dohromady " + format_f0(total, 2) +
                " % (vcetne bezvetri), povoleno je " + format_f0(kLowestTotal, 0) + " az " +
                format_f0(kHighestTotal, 0) +
                " %.\nCetnosti se zadavaji v procentech roku a davaji dohromady 100 %.");
  if (std::fabs(total - 100.0) > 1.0)
    out << free_form_line("Varovani: cetnosti v souboru " + rtrim(path) + " davaji dohromady " +
                          format_f0(total, 2) + " % misto 100 %.");
  return n_dir;
}

// Resamples the calm-free rose of one series into its nphi x 11 slice. The two file
// sectors come from the sector number m itself, so that rounding of the angles can neither
// pick the previous sector nor run past the last one when 360 / n_dir is not exact.
void resample(const std::vector<double>& nocalm, int n_dir, double phi_step, int nphi,
              double* slice) {
  const double delta = 360.0 / n_dir;
  const double per_model_sector = (delta / phi_step) * 100.0;
  const std::size_t n = static_cast<std::size_t>(n_dir);
  for (int p = 1; p <= nphi; ++p) {
    const double phi = (p - 1) * phi_step;
    const long m = std::clamp(static_cast<long>(phi / delta), 0L, static_cast<long>(n_dir) - 1);
    const double a = m * delta;
    const std::size_t lo = static_cast<std::size_t>(m);  // 0-based sector m + 1
    const std::size_t hi = lo + 1 < n ? lo + 1 : 0;      // sector m + 2, or sector 1
    const double offset = std::clamp(phi - a, 0.0, delta);
    for (int j = 0; j < kClasses; ++j) {
      const double f_lo = nocalm[static_cast<std::size_t>(j) * n + lo];
      const double f_hi = nocalm[static_cast<std::size_t>(j) * n + hi];
      slice[static_cast<std::size_t>(j) * nphi + (p - 1)] =
          (f_lo + offset * (f_hi - f_lo) / delta) / per_model_sector;
    }
  }
}

}  // namespace

void spread_calm(int nclass, int n_dir, const std::vector<double>& rose_in,
                 std::vector<double>& rose_without_calm) {
  const std::size_t n = static_cast<std::size_t>(n_dir);
  rose_without_calm.resize(n * nclass);
  for (std::size_t j = 0; j < static_cast<std::size_t>(nclass); ++j) {
    const double* in = rose_in.data() + j * (n + 1);
    const double calm_share = in[n] / n_dir;
    for (std::size_t i = 0; i < n; ++i) rose_without_calm[j * n + i] = in[i] + calm_share;
  }
}

WindRoses read_wind_roses(const std::string& path, const Settings& cfg,
                          const std::vector<std::string>& met_name, std::ostream& out) {
  WindRoses roses;
  roses.nphi = std::max(cfg.nphi, 0);
  const std::size_t slice_size = static_cast<std::size_t>(roses.nphi) * kClasses;
  roses.values.assign(slice_size * met_name.size(), 0.0);
  std::vector<double> rose_in, rose_without_calm;
  for (std::size_t k = 0; k < met_name.size(); ++k) {
    const std::string series_path = path_with_name(path, met_name[k]);
    const int n_dir = read_rose_file(series_path, rose_in, out);
    spread_calm(kClasses, n_dir, rose_in, rose_without_calm);
    resample(rose_without_calm, n_dir, cfg.phi_step, roses.nphi,
             roses.values.data() + k * slice_size);
  }
  return roses;
}

}  // namespace kadre

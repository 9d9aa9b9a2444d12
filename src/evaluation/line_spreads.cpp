#include "evaluation/line_spreads.h"

#include "model/dispersion_coefficients.h"

namespace kadre {

namespace {

// The tables of all line sources stay within this (32 million spreads): hundreds of lines at
// a tenth of a degree; lines beyond it compute their spreads per pair as before.
constexpr std::size_t kSpreadsBudget = std::size_t{256} << 20;

}  // namespace

LineSpreads line_spreads(const ModelParams& par, const std::vector<Source>& sources, int nphi,
                         double phi_step) {
  LineSpreads table;
  table.nphi = nphi > 0 ? nphi : 0;
  table.of_source.resize(sources.size());
  const std::size_t per_class = static_cast<std::size_t>(table.nphi);
  const std::size_t half = static_cast<std::size_t>(kStabilityClasses) * per_class;
  std::size_t bytes = 0;
  for (std::size_t k = 0; k < sources.size(); ++k) {
    const Source& source = sources[k];
    if (source.type != SourceType::line || half == 0) continue;
    bytes += 2 * half * sizeof(double);
    if (bytes > kSpreadsBudget) break;
    const double azimuth = line_azimuth(source);
    std::vector<double>& spreads = table.of_source[k];
    spreads.resize(2 * half);
    for (std::size_t c = 0; c < static_cast<std::size_t>(kStabilityClasses); ++c)
      for (std::size_t i = 0; i < per_class; ++i)
        get_sgm0(source, azimuth, static_cast<double>(i) * phi_step, par.az[c], par.bz[c],
                 spreads[c * per_class + i], spreads[half + c * per_class + i]);
  }
  return table;
}

}  // namespace kadre

#include "maps/lattice.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace kadre {

namespace {

// Coordinates closer than this share a value (a lattice is written with a few decimals).
constexpr double kTolerance = 1e-6;

// A lattice of more cells is no picture anyone reads; its raster alone would take gigabytes.
constexpr double kMaxCells = 1e8;

double rounded(double v) { return std::round(v / kTolerance) * kTolerance; }

// The step that most often separates neighbouring distinct coordinates; 0 when there is none.
double common_step(std::vector<double> c) {
  std::sort(c.begin(), c.end());
  c.erase(std::unique(c.begin(), c.end(), [](double a, double b) { return b - a < kTolerance; }),
          c.end());
  std::map<double, int> steps;
  for (std::size_t i = 1; i < c.size(); ++i) ++steps[rounded(c[i] - c[i - 1])];
  double step = 0;
  int most = 0;
  for (const auto& [s, n] : steps)
    if (n > most) {
      most = n;
      step = s;
    }
  return step;
}

// The offset within the step that most coordinates share.
double common_offset(const std::vector<double>& c, double step) {
  std::map<double, int> offsets;
  for (double v : c) {
    double r = rounded(v - step * std::floor(v / step));
    if (r >= step - kTolerance) r = 0;
    ++offsets[r];
  }
  return std::max_element(offsets.begin(), offsets.end(),
                          [](auto& a, auto& b) { return a.second < b.second; })
      ->first;
}

bool on_step(double v, double offset, double step) {
  const double k = (v - offset) / step;
  return std::fabs(k - std::round(k)) * step < 1e3 * kTolerance;
}

}  // namespace

std::optional<Lattice> find_lattice(const std::vector<RefPoint>& points) {
  std::vector<double> xs, ys;
  for (const RefPoint& p : points) {
    xs.push_back(p.x);
    ys.push_back(p.y);
  }
  const double dx = common_step(xs), dy = common_step(ys);
  if (!(dx > 0) || !(dy > 0)) return std::nullopt;
  const double ox = common_offset(xs, dx), oy = common_offset(ys, dy);
  double xmin = std::numeric_limits<double>::max(), xmax = -xmin, ymin = xmin, ymax = -xmin;
  std::size_t on = 0;
  for (const RefPoint& p : points) {
    if (!on_step(p.x, ox, dx) || !on_step(p.y, oy, dy)) continue;
    ++on;
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
  }
  // Most points on it, and not a sparse scatter that happens to share a step. The counts are
  // reals until they are known to be few: far points at a small step give more cells than an
  // int holds.
  const double nx = std::round((xmax - xmin) / dx) + 1, ny = std::round((ymax - ymin) / dy) + 1;
  if (2 * on <= points.size() || nx < 2 || ny < 2 || nx * ny > kMaxCells || nx * ny > 4.0 * on)
    return std::nullopt;
  Lattice l;
  l.dx = dx;
  l.dy = dy;
  l.x0 = xmin;
  l.y0 = ymin;
  l.nx = static_cast<int>(nx);
  l.ny = static_cast<int>(ny);
  l.cell_of_point.assign(points.size(), -1);
  std::vector<bool> taken(static_cast<std::size_t>(l.nx) * l.ny, false);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const RefPoint& p = points[i];
    if (!on_step(p.x, ox, dx) || !on_step(p.y, oy, dy)) continue;
    const int cell = static_cast<int>(std::lround((p.y - l.y0) / dy)) * l.nx +
                     static_cast<int>(std::lround((p.x - l.x0) / dx));
    if (taken[static_cast<std::size_t>(cell)]) continue;  // the first point of a cell counts
    taken[static_cast<std::size_t>(cell)] = true;
    l.cell_of_point[i] = cell;
  }
  return l;
}

std::vector<double> lattice_raster(const Lattice& lattice, const Indicator& indicator) {
  std::vector<double> raster(static_cast<std::size_t>(lattice.nx) * lattice.ny,
                             std::numeric_limits<double>::quiet_NaN());
  for (std::size_t i = 0; i < lattice.cell_of_point.size(); ++i) {
    const int cell = lattice.cell_of_point[i];
    if (cell < 0) continue;
    const int ix = cell % lattice.nx, iy = cell / lattice.nx;
    raster[static_cast<std::size_t>(lattice.ny - 1 - iy) * lattice.nx + ix] = indicator.values[i];
  }
  return raster;
}

double RoundStep::times(double k) const {
  // Powers of ten up to 1e22 are exact doubles: one rounding, in the product or the quotient.
  const double power = std::pow(10.0, std::abs(exponent));
  return exponent >= 0 ? k * units * power : k * units / power;
}

RoundStep nice_step(double raw) {
  const int exponent = static_cast<int>(std::floor(std::log10(raw)));
  const double decade = std::pow(10.0, exponent);
  if (raw <= decade) return {1, exponent};
  if (raw <= 2 * decade) return {2, exponent};
  if (raw <= 5 * decade) return {5, exponent};
  return {1, exponent + 1};
}

std::vector<double> contour_levels(double lo, double hi) {
  std::vector<double> levels;
  if (!(lo < hi) || !std::isfinite(lo) || !std::isfinite(hi)) return levels;
  const auto inside = [&](double v) { return v > lo && v < hi; };
  if (lo > 0 && hi / lo > 10) {
    // 1-2-5 steps of every decade, or the decades alone where those would be too many.
    const int first = static_cast<int>(std::floor(std::log10(lo))),
              last = static_cast<int>(std::ceil(std::log10(hi)));
    const bool decades_only = last - first > 5;
    for (int k = first; k <= last; ++k)
      for (double m : {1.0, 2.0, 5.0}) {
        const double v = RoundStep{m, k}.times(1);
        if (!(decades_only && m != 1.0) && inside(v)) levels.push_back(v);
      }
  } else {
    // A 1-2-5 step giving about eight levels over the range.
    // Counted from the first multiple: at most ten of them reach hi, and a first k so large
    // that k + 1 == k (a range of a few ulps) would never get there.
    const RoundStep step = nice_step((hi - lo) / 8);
    const double first = std::floor(lo / step.times(1));
    for (int i = 0; i <= 10; ++i) {
      const double v = step.times(first + i);
      if (inside(v) && (levels.empty() || v > levels.back())) levels.push_back(v);
    }
  }
  if (levels.empty()) levels.push_back((lo + hi) / 2);
  return levels;
}

}  // namespace kadre

#include "evaluation/daily_maxima.h"

#include <cmath>
#include <cstddef>

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

namespace {

// The relations' coefficients are single-precision literals widened to double.
constexpr double kPm10Linear = static_cast<double>(0.8364f);
constexpr double kPm10Coef = static_cast<double>(0.03482f);
constexpr double kPm10Power = static_cast<double>(5.1144f);
constexpr double kPm10Threshold = 360.0;
constexpr double kSo2Linear = static_cast<double>(0.7439f);
constexpr double kSo2Slope = static_cast<double>(0.0342f);
constexpr double kSo2Offset = 275.5;
constexpr double kSo2Threshold = 388.0;
constexpr double kHoursPerDay = 24.0;

// Applies a relation (operation order: coefficient, then f, then division by 24) to every
// situation: the linear part below the threshold in a first pass the compiler vectorises,
// then the rest (above the threshold, not a number) one by one.
template <class Linear, class Relation>
void convert_each(std::span<const double> c, std::span<double> out, double threshold, Linear linear,
                  Relation relation) {
  const std::size_t n = c.size();
  const double* in = c.data();
  double* to = out.data();
  bool above = false;
  for (std::size_t e = 0; e < n; ++e) {
    to[e] = linear(in[e]);
    above |= !(in[e] <= threshold);
  }
  if (!above) return;
  for (std::size_t e = 0; e < n; ++e)
    if (!(in[e] <= threshold)) to[e] = relation(in[e]);
}

// The daily values above the threshold, the same for the exact and the scaled conversion.
double pm10_above(double v, double f) {
  return kPm10Coef * std::pow(std::log(v), kPm10Power) * f / kHoursPerDay;
}
double so2_above(double v, double f) { return (v * kSo2Slope + kSo2Offset) * f / kHoursPerDay; }

}  // namespace

DailyType parse_daily_type(const std::string& daily_type) {
  const std::string name = rtrim(daily_type);
  if (name == "PM10") return DailyType::pm10;
  if (name == "SO2") return DailyType::so2;
  return DailyType::invalid;
}

void daily(std::span<const double> c, double f, DailyType type, std::span<double> out) {
  if (type == DailyType::invalid)
    stop_with_lines(
        {"Chyba ve funkci daily. Zadany typ pro vypocet dennich maximalnich "
         "koncentraci, neodpovida ocekavanym hodnotam."});
  if (out.size() != c.size())
    stop_with_lines({"daily: vysledne pole ma " + std::to_string(out.size()) + " prvku misto " +
                     std::to_string(c.size())});
  if (type == DailyType::pm10) {
    convert_each(
        c, out, kPm10Threshold, [f](double v) { return v * kPm10Linear * f / kHoursPerDay; },
        [f](double v) { return pm10_above(v, f); });
  } else {
    convert_each(
        c, out, kSo2Threshold, [f](double v) { return v * kSo2Linear * f / kHoursPerDay; },
        [f](double v) { return so2_above(v, f); });
  }
}

DailyLinear daily_linear(double f, DailyType type) {
  if (type == DailyType::pm10) return {kPm10Threshold, kPm10Linear * f / kHoursPerDay};
  return {kSo2Threshold, kSo2Linear * f / kHoursPerDay};
}

void daily_scaled(std::span<const double> c, double f, DailyType type, std::span<double> out) {
  if (type == DailyType::invalid || out.size() != c.size()) {
    daily(c, f, type, out);  // stops with its message
    return;
  }
  const double scale = daily_linear(f, type).scale;
  if (type == DailyType::pm10) {
    convert_each(
        c, out, kPm10Threshold, [scale](double v) { return v * scale; },
        [f](double v) { return pm10_above(v, f); });
  } else {
    convert_each(
        c, out, kSo2Threshold, [scale](double v) { return v * scale; },
        [f](double v) { return so2_above(v, f); });
  }
}

bool daily_keeps_zero(double f, DailyType type) {
  if (type == DailyType::invalid) return false;
  const double zero = 0.0;
  double converted = 1.0;
  daily(std::span<const double>(&zero, 1), f, type, std::span<double>(&converted, 1));
  return converted == 0 && !std::signbit(converted);
}

}  // namespace kadre

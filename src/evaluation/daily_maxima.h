#pragma once
// Daily maximum concentrations from hourly ones, by the empirical relations for PM10 and SO2.
#include <span>
#include <string>

namespace kadre {

enum class DailyType { pm10, so2, invalid };

// "PM10" or "SO2", trailing blanks ignored; anything else is invalid (rejected when daily
// values are actually computed).
DailyType parse_daily_type(const std::string& daily_type);

// The daily counterpart of every element of c, scaled by the source's daily hours f / 24.
// Stops when the type is invalid. c and out do not overlap.
void daily(std::span<const double> c, double f, DailyType type, std::span<double> out);

// daily() with the linear part below the threshold taken as one product by the scale
// coefficient x f / 24 (rounded once): a few units in the last place from daily(), without a
// division per value. For the vector path, whose results agree with the scalar ones to 1e-9.
void daily_scaled(std::span<const double> c, double f, DailyType type, std::span<double> out);

// The linear part of daily_scaled: values up to the threshold become value x scale.
struct DailyLinear {
  double threshold = 0, scale = 0;
};
DailyLinear daily_linear(double f, DailyType type);  // type is valid

// Whether the daily counterpart of +0 is +0 (f finite and not negative), so that a table of
// mostly +0 needs converting only where it holds other values.
bool daily_keeps_zero(double f, DailyType type);

}  // namespace kadre

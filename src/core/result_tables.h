#pragma once
// The result tables of a run and the layout of the statistical indicators, shared by the
// evaluations that fill them and the writers that write them.
#include <string>
#include <vector>

namespace kadre {

// Statistical indicators per reference point, limits per kind of exceedance and standard
// situations (stability class and class wind speed) of the wind rose.
inline constexpr int kStatCount = 37;
inline constexpr int kLimitCount = 3;
inline constexpr int kSituationClassCount = 11;

// The indicator names (at most 12 characters) in row order of results.
const std::vector<std::string>& stats();

// Row positions (from 0) of the first row of each block, found by name once.
struct StatRows {
  int ave, ch_max, ch_classes, th, cd_max, cd_classes, td;
};
const StatRows& stat_rows();

// The compliance values of a reference point, in this order: with the background, the mean and
// the largest hour; the n-th highest hour and its hour (from 0); the hours above the hourly
// limit; the largest and the n-th highest daily mean; the days above the daily limit. Values
// the configuration does not ask for stay 0.
enum CompliancePosition : int {
  kComplianceMean,
  kComplianceMax,
  kComplianceHourNth,
  kComplianceHourNthHour,
  kComplianceHoursAbove,
  kComplianceDayMax,
  kComplianceDayNth,
  kComplianceDaysAbove,
  kComplianceCount
};

// Each element belongs to one reference point.
struct ResultTables {
  std::vector<double> results;         // kStatCount x points, indicator fastest
  std::vector<double> hourly_results;  // hours x points with hourly output, hour fastest
  std::vector<double> hourly_sum;      // sum (later mean) of the hourly concentrations per point
  std::vector<double> hourly_max;      // largest hourly concentration per point
  std::vector<double> compliance;      // kComplianceCount x points, position fastest
};

}  // namespace kadre

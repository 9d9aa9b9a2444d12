#include "evaluation/compliance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>

namespace kadre {

namespace {

// The rank (allowed count + 1) when the series has that many values to rank, else 0.
std::size_t rank_within(const std::optional<int>& allowed, std::size_t values) {
  if (!allowed) return 0;
  const std::size_t rank = static_cast<std::size_t>(*allowed) + 1;
  return rank <= values ? rank : 0;
}

// Keeps in heap the `rank` values that come first in the order `before`, with the one that
// comes last at the front: a value enters only when it comes before that one.
template <class T, class Before>
void keep_first(std::vector<T>& heap, const T& value, std::size_t rank, Before before) {
  if (heap.size() < rank) {
    heap.push_back(value);
    std::push_heap(heap.begin(), heap.end(), before);
    return;
  }
  if (!before(value, heap.front())) return;
  std::pop_heap(heap.begin(), heap.end(), before);
  heap.back() = value;
  std::push_heap(heap.begin(), heap.end(), before);
}

// Descending values, the earlier hour first among equal ones.
bool hour_before(const std::pair<double, int>& a, const std::pair<double, int>& b) {
  return a.first > b.first || (a.first == b.first && a.second < b.second);
}

bool day_before(double a, double b) { return a > b; }

}  // namespace

CompliancePlan make_compliance_plan(const Settings& cfg, const MetSeries& met,
                                    const std::vector<double>& background) {
  const Limits& limits = cfg.limits;
  CompliancePlan plan;
  plan.ntime = met.ntime;
  plan.background = limits.background;
  plan.hourly = background;
  const std::size_t hours = static_cast<std::size_t>(std::max(met.ntime, 0));
  plan.hour_rank = rank_within(limits.hour_allowed, hours);
  plan.count_hours = limits.hour_limit.has_value();
  plan.hour_limit = limits.hour_limit.value_or(0.0);
  plan.daily = limits.day_limit.has_value();
  plan.day_limit = limits.day_limit.value_or(0.0);
  if (!plan.daily) return plan;
  // The calendar day of an hour is its date without the hour ("2026/01/02" of 2026/01/02/05).
  std::map<std::string, int> day_index;
  plan.day_of_hour.resize(hours);
  for (std::size_t t = 0; t < hours; ++t) {
    const std::string day = met.date[t].substr(0, 10);
    const auto [it, added] = day_index.try_emplace(day, static_cast<int>(plan.hours_of_day.size()));
    if (added) plan.hours_of_day.push_back(0);
    plan.day_of_hour[t] = it->second;
    ++plan.hours_of_day[static_cast<std::size_t>(it->second)];
  }
  for (std::size_t d = 0; d < plan.hours_of_day.size(); ++d)
    if (plan.hours_of_day[d] >= kMinHoursOfDay) plan.counted_days.push_back(static_cast<int>(d));
  plan.day_rank = rank_within(limits.day_allowed, plan.counted_days.size());
  return plan;
}

ComplianceWork::ComplianceWork(const CompliancePlan& plan) {
  hours.reserve(plan.hour_rank);
  days.reserve(plan.day_rank);
  day_sum.assign(plan.hours_of_day.size(), 0.0);
}

void evaluate_compliance(const CompliancePlan& plan, const std::vector<double>& c_t,
                         ComplianceWork& w, double* values) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const std::size_t hours = static_cast<std::size_t>(std::max(plan.ntime, 0));
  const bool hourly_background = !plan.hourly.empty();
  w.hours.clear();
  std::fill(w.day_sum.begin(), w.day_sum.end(), 0.0);
  double sum = 0, largest = -std::numeric_limits<double>::max();
  long above = 0;
  bool no_number = false;
  for (std::size_t t = 0; t < hours; ++t) {
    const double v = c_t[t] + (hourly_background ? plan.hourly[t] : plan.background);
    sum += v;
    if (plan.daily) w.day_sum[static_cast<std::size_t>(plan.day_of_hour[t])] += v;
    // An hour that is no number makes every value it enters none, instead of being passed over.
    if (std::isnan(v)) {
      no_number = true;
      continue;
    }
    largest = std::max(largest, v);
    if (plan.count_hours && v > plan.hour_limit) ++above;
    if (plan.hour_rank > 0)
      keep_first(w.hours, std::pair(v, static_cast<int>(t)), plan.hour_rank, hour_before);
  }
  std::fill(values, values + kComplianceCount, 0.0);
  if (hours == 0) {
    values[kComplianceMean] = values[kComplianceMax] = plan.background;
    return;
  }
  values[kComplianceMean] = sum / static_cast<double>(hours);
  values[kComplianceMax] = no_number ? kNaN : largest;
  if (plan.hour_rank > 0) {
    values[kComplianceHourNth] = no_number ? kNaN : w.hours.front().first;
    values[kComplianceHourNthHour] = w.hours.front().second;
  }
  values[kComplianceHoursAbove] = static_cast<double>(above);
  if (!plan.daily || plan.counted_days.empty()) return;
  w.days.clear();
  double day_largest = -std::numeric_limits<double>::max();
  long days_above = 0;
  for (const int d : plan.counted_days) {
    const double mean = w.day_sum[static_cast<std::size_t>(d)] /
                        static_cast<double>(plan.hours_of_day[static_cast<std::size_t>(d)]);
    if (std::isnan(mean)) continue;
    day_largest = std::max(day_largest, mean);
    if (mean > plan.day_limit) ++days_above;
    if (plan.day_rank > 0) keep_first(w.days, mean, plan.day_rank, day_before);
  }
  values[kComplianceDayMax] = no_number ? kNaN : day_largest;
  if (plan.day_rank > 0) values[kComplianceDayNth] = no_number ? kNaN : w.days.front();
  values[kComplianceDaysAbove] = static_cast<double>(days_above);
}

}  // namespace kadre

#pragma once
// The statistical indicators of one reference point: the long-term average, absolute
// maxima with their situation, class maxima and hours of exceedance.
#include <array>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/result_tables.h"
#include "core/settings.h"
#include "model/dispersion_model.h"

namespace kadre {

// Records in record (nphi x 11 x 3, direction fastest, then class, then limit) the factor
// of the source at which the running class sum first rose strictly above each limit.
// A factor of 0 leaves the entry unset for a later source.
void prepare_exceed(const double* cls_sum, double* record, const std::array<double, 3>& limits,
                    double factor, int nphi);
// The same for the elements begin .. end - 1 of each limit's section only (nphi x 11).
void prepare_exceed_range(const double* cls_sum, double* record,
                          const std::array<double, 3>& limits, double factor, int nphi,
                          std::size_t begin, std::size_t end);

// Hours per year of one limit's record section (nphi x 11), weighted with wind rose 1;
// 0 when there is no wind rose.
double eval_t_exceed(const double* t_exceed, const WindRoses& wind_roses, int nphi);

// The largest element of a situation array and the situation of its first occurrence.
struct MaxSituation {
  double cmax = 0;
  int iclass = 0;   // stability class 1..5
  double wsp = 0;   // class wind speed [m/s]
  double wdir = 0;  // wind direction [degrees]
};
MaxSituation find_max(const double* c, int nphi, int nu_max, const std::vector<double>& u_range,
                      double phi_step);

// The read-only run data eval_stat needs.
struct StatContext {
  const Settings& cfg;  // switches, phi_step, nphi
  const WindClasses& wind;
  const WindRoses& wind_roses;
  int nu_max;
};

// The accumulators of one reference point, summed over its sources.
struct PointTotals {
  const double* c = nullptr;       // hourly situation array, nphi x nu_max x 5
  const double* c_d = nullptr;     // daily situation array (used with is_daily)
  const double* c_max = nullptr;   // hourly class sum, nphi x 11
  const double* cd_max = nullptr;  // daily class sum (used with is_daily)
  double ave = 0;
  const double* th_exceed = nullptr;  // nphi x 11 x 3
  const double* td_exceed = nullptr;  // (used with is_daily)
};

// Fills the selected rows of one reference point's column of results (kStatCount values); the
// other rows are left as they are.
void eval_stat(const StatContext& ctx, const PointTotals& totals, double* row);

}  // namespace kadre

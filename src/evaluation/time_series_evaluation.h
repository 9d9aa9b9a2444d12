#pragma once
// The concentration a source causes at a reference point in every hour of its
// meteorological series.
#include <cstdint>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "evaluation/hourly_situations.h"
#include "model/dispersion_model.h"
#include "model/hourly_kernel.h"

namespace kadre {

// Work space of one thread: the plume and axis of each situation of the current pair, and
// the in-sector hours gathered for the vector kernel.
struct HourlyWork {
  std::vector<PlumeParams> plume;
  std::vector<double> axis, removal, decay;  // removal -k_u / u_ef, decay -k_p / u_ef
  std::vector<unsigned char> vector_ok;      // the vector kernel takes the situation
  std::vector<unsigned char> wind_pending;   // u_ef still to come from the vector step
  std::vector<int> situation_class;          // the stability class of each situation
  std::vector<std::uint64_t> stamp;          // == current: the plume is known
  std::vector<std::uint64_t> axis_stamp;     // == current: the axis (and h_plume) is known
  std::uint64_t current = 0;
  std::vector<int> computed;  // the situations computed for the pair, in order
  // The vector step of the winds at the effective height: per situation computed.
  std::vector<double> wind_u, wind_base, wind_exponent, wind_out;
  std::vector<int> wind_situation;
  std::vector<double> lambda;                       // per hour of the series, the angle to the axis
  std::vector<int> in_sector_list, inversion_list;  // the hours in the sector, under inversions
  HourBatch batch;
  std::vector<double> batch_out;
  std::vector<int> batch_hour;  // the hour (from 0) of each lane of the batch
  std::vector<int> undecided;   // the lanes the kernel leaves to the scalar formulas
  HourlyWork(int situations = 0, int hours = 0);
};

// Adds the concentration the source causes at the point in every hour of its series, with
// the hour's emission factor, to c_t (ntime values). f must have been filled by
// fill_pair_factors for this source, g.x and z_ref = cfg.u_height. full_rise_heights: the
// source's heights of FullRiseHeights for the same z_ref, or null.
void time_eval_conc(const ModelContext& ctx, const MetSeries& met, const EmissionProfiles& profiles,
                    const HourlySituations& situations, const RefPoint& point, const Source& source,
                    const PairGeometry& g, PairFactors& f, HourlyWork& work, double* c_t,
                    const double* full_rise_heights = nullptr);

}  // namespace kadre

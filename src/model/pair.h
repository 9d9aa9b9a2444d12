#pragma once
// What one (reference point, source) pair keeps from situation to situation: its geometry,
// the rise factors of every class and the initial spreads. Per thread, refilled per pair.
#include <array>
#include <cstdint>
#include <vector>

#include "core/records.h"
#include "model/model_context.h"
#include "model/plume_height.h"
#include "model/terrain_path.h"
#include "model/wind_profile.h"

namespace kadre {

struct PairGeometry {
  double x = 0;      // horizontal distance [m]
  double delta = 0;  // azimuth of the source seen from the point [degrees]
  double theta = 0;  // terrain weight of the reflection at the point's level
  double zmax = 0;   // highest terrain along the path above the source's base [m]
};

// Sets delta, theta and zmax of g (g.x must already hold eval_x of the pair).
void eval_theta_delta(const ModelContext& ctx, const RefPoint& point, const Source& source,
                      PairGeometry& g);

// The initial spreads of one source, computed at their first use, so that a source of an
// unknown type stops the run only where it would contribute, and kept for the pair: per
// stability class, for a line source (whose spreads turn with the wind) per class and
// wind-rose sector.
class InitialSpreads {
 public:
  // A new pair: forgets every kept value. sectors: directions of the wind rose, 0 without.
  void reset(const Source& source, int sectors);
  // sy0, sz0 of class s for wind direction phi; sector (from 1) is phi's sector of the wind
  // rose, 0 for a direction of no sector.
  void get(const Source& source, const ModelParams& par, int s, double phi, int sector, double& sy0,
           double& sz0);
  // The spreads of a line source in class s for the sectors first + 1 .. last + 1 (direction
  // index x phi_step): arrays indexed by the direction index from 0.
  void line_sectors(const Source& source, const ModelParams& par, int s, int first, int last,
                    double phi_step, const double*& sy0, const double*& sz0);

 private:
  struct Entry {
    double sy0 = 0, sz0 = 0;
    std::uint64_t stamp = 0;  // valid when equal to stamp_
  };
  double azimuth_ = 0;  // of a line source
  int sectors_ = 0;
  std::uint64_t stamp_ = 0;
  std::array<Entry, kStabilityClasses> by_class_{};
  // By class and sector (sector fastest), kept apart so that runs of sectors lie together.
  std::vector<double> sector_sy0_, sector_sz0_;
  std::vector<std::uint64_t> sector_stamp_;
};

// The terrain weights of the paths from the inversion's level to the point, by the inversion's
// elevation: the hours of a series share few of them. Direct-mapped; valid while the stamp holds.
struct InversionTerrain {
  static constexpr std::size_t kSlots = 256;
  std::array<double, kSlots> zi{};
  std::array<TerrainWeight, kSlots> weight{};
  std::array<std::uint64_t, kSlots> stamp{};
  std::uint64_t current = 1;
  void forget() { ++current; }
};

struct PairFactors {
  double z_ref = 0;  // height of the wind speeds the rise factors take
  std::array<RiseFactors, kStabilityClasses> rise{};
  InitialSpreads spreads;
  // Caches of values that only the pair (and the situation's heights) decide, filled as
  // they are first needed.
  mutable TowerFluxes tower_fluxes;
  mutable WindProfileMemo wind_profile;
  mutable InversionTerrain inversion_terrain;
};

// Fills f for the source at distance x, for winds measured at z_ref.
void fill_pair_factors(const ModelContext& ctx, const Source& source, double z_ref, double x,
                       int sectors, PairFactors& f);

}  // namespace kadre

#pragma once
// Writes the synthetic benchmark cases: a hilly terrain, a regular grid of reference
// points, a mix of sources, meteorological input and a run configuration. Every number
// comes from a fixed-seed generator, so a case is the same on every run and machine.
#include <filesystem>
#include <string>

namespace kadre::bench {

struct CaseSize {
  int receptors_x = 0, receptors_y = 0;  // regular grid of reference points
  int cluster_stacks = 0;                // stacks of one cluster
  int cooling_towers = 0;
  int stacks = 0, areas = 0, lines = 0;
  int hours = 0;  // hours of the series (hourly case only)
  int sources() const { return cluster_stacks + cooling_towers + stacks + areas + lines; }
  int receptors() const { return receptors_x * receptors_y; }
};

// The name of the run configuration inside a case directory.
inline constexpr const char* kRunConfig = "run.nml";

// Statistical case: every statistical switch on, two series with wind roses, phi_step 1.
void write_statistical_case(const std::filesystem::path& dir, const CaseSize& size,
                            const std::filesystem::path& param_nml);

// Hourly case: two series with inversion data, two emission profiles.
void write_hourly_case(const std::filesystem::path& dir, const CaseSize& size,
                       const std::filesystem::path& param_nml);

// Peer case: ten stacks of 20 to 100 m within 1 km of the middle of a 41 x 41 lattice of
// points 100 m apart, flat terrain, a year of hours of varied wind and stability, five points
// with hourly output; every stack reaches every point.
void write_peer_case(const std::filesystem::path& dir, const std::filesystem::path& param_nml);

// The two large cases keep a terrain grid file already written with the expected size.

// Scale case: `points` reference points scattered over a `cells` x `cells` terrain grid,
// `listed` of them (drawn at random, in the order drawn) with hourly output; the sources and
// hours of `size`, spread over the grid, and only sources within 3 km counted.
void write_scale_case(const std::filesystem::path& dir, const CaseSize& size, int points,
                      int listed, int cells, const std::filesystem::path& param_nml);

// Terrain case: a `cells` x `cells` grid with one reference point and one stack near its
// middle, a four-direction wind rose and only the long-term average. Returns the grid file.
std::filesystem::path write_terrain_case(const std::filesystem::path& dir, int cells,
                                         const std::filesystem::path& param_nml);

}  // namespace kadre::bench

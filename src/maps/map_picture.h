#pragma once
// The map picture of one indicator, drawn with cairo.
#include <string>
#include <utility>
#include <vector>

#include "maps/gis_writer.h"
#include "maps/map_data.h"
#include "maps/map_labels.h"

namespace kadre {

// Width of the picture in pixels.
inline constexpr int kPictureWidth = 1600;

// The PNG of path, written at temporary (the name it has until it is renamed into place): the
// indicator over the lattice (or its points, when map.lattice is not set) in a perceptually
// uniform colour scale (viridis-like; logarithmic when the positive values span more than two
// decades; a cyclic scale for directions, discrete colours for classes and speeds), the contour
// lines given with their level as labels, the sources marked by type, the points off the
// lattice with their names, a legend with the unit, a title with the indicator, what it means
// and map.title, a scale bar and a north arrow, every word in lang. A failure stops with a
// message naming path (RunError).
void write_map_picture(const MapData& map, const Indicator& indicator,
                       const std::vector<ContourLine>& contours, const std::string& path,
                       const std::string& temporary, Lang lang);

// An indicator's legend as its map draws it.
struct Legend {
  ScaleKind kind = ScaleKind::amount;
  std::string unit;                                        // as the reader writes it
  std::vector<unsigned> ramp;                              // bottom to top (amount) or 0..360°
  std::vector<std::pair<double, std::string>> ticks;       // position 0..1 on the ramp, label
  std::vector<std::pair<unsigned, std::string>> swatches;  // the categories' colours and labels
};
Legend indicator_legend(const Indicator& indicator, Lang lang);

// The colour (0xRRGGBB) of each of values on the scale of the indicator's map; kNoColour for
// a value that is no number.
inline constexpr unsigned kNoColour = 0xffffffffu;
std::vector<unsigned> indicator_colours(const Indicator& indicator,
                                        const std::vector<double>& values);

// The colour of the top of the scale (the largest value), as 0xRRGGBB.
unsigned top_of_scale_colour();

// The pixel (column, row from the top) of the picture of map where the point (x, y) of the
// run's coordinates lies.
std::pair<int, int> picture_pixel(const MapData& map, double x, double y);

}  // namespace kadre

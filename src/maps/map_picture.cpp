#include "maps/map_picture.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <numbers>

#include "core/errors.h"
#include "maps/lattice.h"
#include "maps/map_labels.h"
#include "output/result_file.h"

namespace kadre {

namespace {

// Text at (x, y) in grey `ink` (0 black) within a white halo of the given opacity and width,
// so that it reads over any colour of the map.
void haloed_text(cairo_t* cr, double x, double y, const std::string& text, double halo_opacity,
                 double halo_width, double ink) {
  cairo_move_to(cr, x, y);
  cairo_text_path(cr, text.c_str());
  cairo_set_source_rgba(cr, 1, 1, 1, halo_opacity);
  cairo_set_line_width(cr, halo_width);
  cairo_stroke_preserve(cr);
  cairo_set_source_rgb(cr, ink, ink, ink);
  cairo_fill(cr);
}

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using Pattern = std::unique_ptr<cairo_pattern_t, decltype(&cairo_pattern_destroy)>;

[[noreturn]] void write_failed(const std::string& path) {
  stop_with_lines({write_error_message(path)});
}

// Margins around the map box and its greatest and least height.
constexpr double kLeft = 40, kRight = 260, kTop = 70, kBottom = 90;
constexpr double kMinBoxHeight = 460, kMaxBoxHeight = 1600;

// Where the map lies in the picture: the extent [xmin, xmax] x [ymin, ymax] of the run's
// coordinates in the frame at (left, top), scale pixels per unit, north up, centred in the box.
struct Layout {
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  double scale = 1;
  double box_left = kLeft, box_top = kTop, box_width = 0, box_height = 0;
  double left = 0, top = 0, width = 0, height = 0;  // the frame
  int picture_width = kPictureWidth, picture_height = 0;
  double px(double x) const { return left + (x - xmin) * scale; }
  double py(double y) const { return top + (ymax - y) * scale; }
};

struct Extent {
  double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin, ymin = xmin, ymax = -xmin;
  void add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    xmin = std::min(xmin, x), xmax = std::max(xmax, x);
    ymin = std::min(ymin, y), ymax = std::max(ymax, y);
  }
  bool empty() const { return !(xmin <= xmax); }
};

// The lattice's cells and the points off it, or else every point and source, with a margin
// around them.
Layout layout_of(const MapData& map) {
  Extent e;
  const bool on_lattice = map.lattice.has_value();
  if (on_lattice) {
    const Lattice& lat = *map.lattice;
    e.add(lat.x0 - 0.5 * lat.dx, lat.y0 - 0.5 * lat.dy);
    e.add(lat.x0 + (lat.nx - 0.5) * lat.dx, lat.y0 + (lat.ny - 0.5) * lat.dy);
    // The named places off the lattice are in the frame with their labels.
    for (std::size_t i = 0; i < map.points.size() && i < lat.cell_of_point.size(); ++i)
      if (lat.cell_of_point[i] < 0) e.add(map.points[i].x, map.points[i].y);
  } else {
    for (const RefPoint& p : map.points) e.add(p.x, p.y);
    for (const Source& s : map.sources) {
      if (s.type == SourceType::line) {
        e.add(s.x1, s.y1), e.add(s.x2, s.y2);
      } else {
        const double half = s.type == SourceType::area ? 0.5 * std::abs(s.length) : 0.0;
        e.add(s.x - half, s.y - half), e.add(s.x + half, s.y + half);
      }
    }
  }
  if (e.empty()) e.add(0, 0);
  // Neither side thinner than a tenth of the other (a kilometre around a lone point), then
  // the margin, wider for the circles of scattered points.
  const double span = std::max(e.xmax - e.xmin, e.ymax - e.ymin);
  const double least = span > 0 ? 0.1 * span : 1000;
  const double margin = on_lattice ? 1.04 : 1.1;
  const double cx = 0.5 * (e.xmin + e.xmax), cy = 0.5 * (e.ymin + e.ymax);
  const double w = std::max(e.xmax - e.xmin, least) * margin,
               h = std::max(e.ymax - e.ymin, least) * margin;
  Layout l;
  l.xmin = cx - 0.5 * w, l.xmax = cx + 0.5 * w, l.ymin = cy - 0.5 * h, l.ymax = cy + 0.5 * h;
  l.box_width = kPictureWidth - kLeft - kRight;
  l.box_height = std::round(std::clamp(l.box_width * h / w, kMinBoxHeight, kMaxBoxHeight));
  l.scale = std::min(l.box_width / w, l.box_height / h);
  l.width = w * l.scale, l.height = h * l.scale;
  l.left = l.box_left + 0.5 * (l.box_width - l.width);
  l.top = l.box_top + 0.5 * (l.box_height - l.height);
  l.picture_height = static_cast<int>(kTop + l.box_height + kBottom);
  return l;
}

// A perceptually uniform scale from dark purple through blue and green to yellow.
constexpr std::array<unsigned, 11> kScale{0x440154, 0x482475, 0x414487, 0x355f8d,
                                          0x2a788e, 0x21918c, 0x22a884, 0x44bf70,
                                          0x7ad151, 0xbddf26, 0xfde725};

struct Rgb {
  unsigned r = 0, g = 0, b = 0;
};

Rgb scale_colour(double t) {
  const auto rgb = [](unsigned c) { return Rgb{c >> 16 & 0xff, c >> 8 & 0xff, c & 0xff}; };
  if (!(t > 0)) return rgb(kScale.front());
  if (t >= 1) return rgb(kScale.back());
  const double f = t * (kScale.size() - 1);
  const auto i = static_cast<std::size_t>(f);
  const Rgb a = rgb(kScale[i]), b = rgb(kScale[i + 1]);
  const double u = f - i;
  const auto mix = [u](unsigned p, unsigned q) {
    return static_cast<unsigned>(std::lround(p + u * (double(q) - p)));
  };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

void set_colour(cairo_t* cr, Rgb c) {
  cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

// The distinct colours of categories (at most this many; more are drawn as amounts).
constexpr std::array<unsigned, 10> kCategories{0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd,
                                               0x8c564b, 0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf};

// A cyclic scale for directions: north red, east gold, south blue, west purple, north again.
constexpr std::array<unsigned, 5> kCyclic{0xd7301f, 0xf0c419, 0x2c7fb8, 0x7b3294, 0xd7301f};

Rgb rgb_of(unsigned c) { return Rgb{c >> 16 & 0xff, c >> 8 & 0xff, c & 0xff}; }

Rgb cyclic_colour(double degrees) {
  double t = std::fmod(degrees, 360.0) / 360.0;
  if (t < 0) t += 1;
  const double f = t * (kCyclic.size() - 1);
  const auto i = std::min(static_cast<std::size_t>(f), kCyclic.size() - 2);
  const Rgb a = rgb_of(kCyclic[i]), b = rgb_of(kCyclic[i + 1]);
  const double u = f - i;
  const auto mix = [u](unsigned p, unsigned q) {
    return static_cast<unsigned>(std::lround(p + u * (double(q) - p)));
  };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

// The colour scale of the finite values. Amounts: logarithmic from the least positive to the
// largest when they span more than two decades, else linear from the least to the largest.
// Directions: cyclic over the full circle. Categories: one colour per distinct value.
struct ColourScale {
  ScaleKind kind = ScaleKind::amount;
  bool any = false, log = false;
  double lo = 0, hi = 0;
  std::vector<double> categories;  // sorted

  ColourScale(const std::vector<double>& values, ScaleKind k) : kind(k) {
    double min_positive = std::numeric_limits<double>::infinity();
    for (double v : values) {
      if (!std::isfinite(v)) continue;
      if (!any) lo = hi = v, any = true;
      lo = std::min(lo, v), hi = std::max(hi, v);
      if (v > 0) min_positive = std::min(min_positive, v);
      if (kind == ScaleKind::category && categories.size() <= kCategories.size() &&
          std::find(categories.begin(), categories.end(), v) == categories.end())
        categories.push_back(v);
    }
    std::sort(categories.begin(), categories.end());
    if (kind == ScaleKind::category && categories.size() > kCategories.size())
      kind = ScaleKind::amount, categories.clear();
    log = kind == ScaleKind::amount && any && hi > 0 && hi / min_positive > 100;
    if (log) lo = min_positive;
  }
  // 0 at the bottom of the scale, 1 at the top; the largest value gets exactly 1.
  double position(double v) const {
    if (v >= hi) return 1;
    if (log) return v > 0 ? (std::log(v) - std::log(lo)) / (std::log(hi) - std::log(lo)) : 0;
    return (v - lo) / (hi - lo);
  }
  Rgb colour(double v) const {
    if (kind == ScaleKind::direction) return cyclic_colour(v);
    if (kind == ScaleKind::category) {
      const auto at = std::lower_bound(categories.begin(), categories.end(), v);
      return rgb_of(
          kCategories[static_cast<std::size_t>(at - categories.begin()) % kCategories.size()]);
    }
    return scale_colour(position(v));
  }
};

// The values to label on the colour bar: decades on a logarithmic scale, else round
// 1-2-5 steps, about five of them.
std::vector<double> bar_ticks(const ColourScale& s) {
  std::vector<double> ticks;
  if (!s.any) return ticks;
  if (s.hi <= s.lo) return {s.hi};
  if (s.log) {
    const int first = static_cast<int>(std::ceil(std::log10(s.lo) - 1e-9));
    const int last = static_cast<int>(std::floor(std::log10(s.hi) + 1e-9));
    const int stride = std::max(1, (last - first + 7) / 7);
    for (int k = first; k <= last; k += stride) ticks.push_back(std::pow(10.0, k));
    return ticks;
  }
  const RoundStep step = nice_step((s.hi - s.lo) / 5);
  const double size = step.times(1), first = std::ceil(s.lo / size - 1e-9);
  // At most six multiples fit; counted, as k + 1 == k for a range of a few ulps.
  for (int i = 0; i <= 6; ++i) {
    const double k = first + i, v = std::abs(k) < 0.5 ? 0.0 : step.times(k);
    if (k * size > s.hi * (1 + 1e-12) + 1e-12 * size) break;
    if (ticks.empty() || v > ticks.back()) ticks.push_back(v);
  }
  return ticks;
}

void select_font(cairo_t* cr, double size, bool bold = false) {
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

// Text with its reference point at (x, y): align 0 left, 0.5 centred, 1 right; the
// baseline at y.
void show_text(cairo_t* cr, const std::string& text, double x, double y, double align = 0) {
  cairo_text_extents_t ext;
  cairo_text_extents(cr, text.c_str(), &ext);
  cairo_move_to(cr, x - align * ext.x_advance, y);
  cairo_show_text(cr, text.c_str());
}

// The field over the lattice: one picture element per cell, painted without smoothing; false
// when cairo cannot hold the cells.
bool draw_lattice(cairo_t* cr, const Layout& l, const Lattice& lat,
                  const std::vector<double>& raster, const ColourScale& scale) {
  Surface cells(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, lat.nx, lat.ny),
                cairo_surface_destroy);
  if (cairo_surface_status(cells.get()) != CAIRO_STATUS_SUCCESS) return false;
  cairo_surface_flush(cells.get());
  unsigned char* data = cairo_image_surface_get_data(cells.get());
  const int stride = cairo_image_surface_get_stride(cells.get());
  for (int row = 0; row < lat.ny; ++row) {
    auto* line = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(row) * stride);
    for (int ix = 0; ix < lat.nx; ++ix) {
      const double v = raster[static_cast<std::size_t>(row) * lat.nx + ix];
      if (!std::isfinite(v)) {
        line[ix] = 0;
        continue;
      }
      const Rgb c = scale.colour(v);
      line[ix] = 0xff000000u | c.r << 16 | c.g << 8 | c.b;
    }
  }
  cairo_surface_mark_dirty(cells.get());
  // Raster column ix spans x0 + (ix - 1/2) dx ..., row 0 is the northern edge.
  cairo_save(cr);
  cairo_translate(cr, l.px(lat.x0 - 0.5 * lat.dx), l.py(lat.y0 + (lat.ny - 0.5) * lat.dy));
  cairo_scale(cr, lat.dx * l.scale, lat.dy * l.scale);
  cairo_set_source_surface(cr, cells.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
  return true;
}

// The field at scattered points (or at those off the lattice, given cell_of_point): a filled
// circle per point with a value, sized to their density.
void draw_points(cairo_t* cr, const Layout& l, const std::vector<RefPoint>& points,
                 const std::vector<double>& values, const std::vector<int>* cell_of_point,
                 const ColourScale& scale) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < points.size() && i < values.size(); ++i)
    if (std::isfinite(values[i]) && !(cell_of_point && (*cell_of_point)[i] >= 0)) ++n;
  if (n == 0) return;
  const double radius = std::clamp(0.45 * std::sqrt(l.width * l.height / n), 2.5, 9.0);
  for (std::size_t i = 0; i < points.size() && i < values.size(); ++i) {
    if (!std::isfinite(values[i]) || (cell_of_point && (*cell_of_point)[i] >= 0)) continue;
    cairo_new_sub_path(cr);
    cairo_arc(cr, l.px(points[i].x), l.py(points[i].y), radius, 0, 2 * std::numbers::pi);
    set_colour(cr, scale.colour(values[i]));
    if (cell_of_point) {  // the named places over the lattice: a ring that stands out
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_set_line_width(cr, 4);
      cairo_stroke_preserve(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
    } else if (radius >= 4) {
      cairo_fill_preserve(cr);
      cairo_set_source_rgba(cr, 0.15, 0.15, 0.15, 0.6);
      cairo_set_line_width(cr, 0.6);
      cairo_stroke(cr);
    } else {
      cairo_fill(cr);
    }
  }
}

struct Box {
  double x0, y0, x1, y1;
  bool overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// Thin dark lines, each with its level written at a point of it where no other label is.
void draw_contours(cairo_t* cr, const Layout& l, const std::vector<ContourLine>& contours,
                   Lang lang) {
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 1.0);
  cairo_set_source_rgba(cr, 0.08, 0.08, 0.08, 0.85);
  for (const ContourLine& line : contours) {
    for (std::size_t i = 0; i < line.points.size(); ++i)
      (i == 0 ? cairo_move_to : cairo_line_to)(cr, l.px(line.points[i].first),
                                               l.py(line.points[i].second));
    cairo_stroke(cr);
  }
  select_font(cr, 13);
  const Box frame{l.left, l.top, l.left + l.width, l.top + l.height};
  std::vector<Box> placed;
  for (const ContourLine& line : contours) {
    const std::size_t n = line.points.size();
    if (n < 2) continue;
    const std::string text = format_number(line.level, lang);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    for (double at : {0.5, 0.25, 0.75, 0.0}) {
      const auto& p = line.points[static_cast<std::size_t>(at * (n - 1))];
      const double x = l.px(p.first) - 0.5 * ext.x_advance, y = l.py(p.second) + 0.5 * ext.height;
      const Box box{x - 2, y - ext.height - 2, x + ext.x_advance + 2, y + 3};
      if (box.x0 < frame.x0 || box.y0 < frame.y0 || box.x1 > frame.x1 || box.y1 > frame.y1)
        continue;
      if (std::any_of(placed.begin(), placed.end(), [&](const Box& b) { return b.overlaps(box); }))
        continue;
      placed.push_back(box);
      haloed_text(cr, x, y, text, 0.85, 3, 0.05);
      break;
    }
  }
}

// The source markers, also used by the legend.
enum class Marker { point, tower, line, area };

Marker marker_of(const Source& s) {
  if (s.cooling_tower) return Marker::tower;
  if (s.type == SourceType::line) return Marker::line;
  if (s.type == SourceType::area) return Marker::area;
  return Marker::point;
}

constexpr Rgb kSourceColour{0xe3, 0x1a, 0x1c}, kTowerColour{0xe7, 0x29, 0xd4};

void outline_and_fill(cairo_t* cr, Rgb fill) {
  set_colour(cr, fill);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

void draw_line_marker(cairo_t* cr, double xa, double ya, double xb, double yb) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (auto [width, colour] : {std::pair{6.5, Rgb{0, 0, 0}}, std::pair{4.0, kSourceColour}}) {
    cairo_move_to(cr, xa, ya);
    cairo_line_to(cr, xb, yb);
    set_colour(cr, colour);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// A marker at (x, y); side is the area square's side in pixels.
void draw_marker(cairo_t* cr, Marker m, double x, double y, double side) {
  switch (m) {
    case Marker::point:
      cairo_move_to(cr, x, y - 8);
      cairo_line_to(cr, x + 7, y + 5);
      cairo_line_to(cr, x - 7, y + 5);
      cairo_close_path(cr);
      outline_and_fill(cr, kSourceColour);
      break;
    case Marker::tower:
      cairo_new_sub_path(cr);
      cairo_arc(cr, x, y, 6.5, 0, 2 * std::numbers::pi);
      outline_and_fill(cr, kTowerColour);
      break;
    case Marker::area:
      side = std::max(side, 5.0);
      cairo_rectangle(cr, x - 0.5 * side, y - 0.5 * side, side, side);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_set_line_width(cr, 4);
      cairo_stroke_preserve(cr);
      set_colour(cr, kSourceColour);
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
      break;
    case Marker::line:
      draw_line_marker(cr, x - 0.5 * side, y, x + 0.5 * side, y);
      break;
  }
}

void draw_sources(cairo_t* cr, const Layout& l, const std::vector<Source>& sources) {
  // Areas and lines first, so that the small markers stay on top.
  for (int pass = 0; pass < 2; ++pass)
    for (const Source& s : sources) {
      const Marker m = marker_of(s);
      if ((m == Marker::area || m == Marker::line) != (pass == 0)) continue;
      if (m == Marker::line)
        draw_line_marker(cr, l.px(s.x1), l.py(s.y1), l.px(s.x2), l.py(s.y2));
      else
        draw_marker(cr, m, l.px(s.x), l.py(s.y), std::abs(s.length) * l.scale);
    }
}

// The continuous colour bar of an amount with its ticks; the bar spans [top, top + height].
void draw_amount_bar(cairo_t* cr, const ColourScale& scale, double x, double top, double height,
                     Lang lang) {
  const double width = 28;
  if (scale.any) {
    Pattern ramp(cairo_pattern_create_linear(0, top + height, 0, top), cairo_pattern_destroy);
    for (std::size_t i = 0; i < kScale.size(); ++i) {
      const Rgb c = rgb_of(kScale[i]);
      cairo_pattern_add_color_stop_rgb(ramp.get(), double(i) / (kScale.size() - 1), c.r / 255.0,
                                       c.g / 255.0, c.b / 255.0);
    }
    cairo_rectangle(cr, x, top, width, height);
    cairo_set_source(cr, ramp.get());
    cairo_fill(cr);
  }
  cairo_rectangle(cr, x, top, width, height);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  select_font(cr, 14);
  for (double v : bar_ticks(scale)) {
    const double y = std::round(top + height - scale.position(v) * height) + 0.5;
    cairo_move_to(cr, x + width, y);
    cairo_line_to(cr, x + width + 6, y);
    cairo_stroke(cr);
    show_text(cr, format_number(v, lang), x + width + 10, y + 5);
  }
}

// A colour wheel of directions with the four cardinal points; returns its bottom.
double draw_direction_wheel(cairo_t* cr, double x, double top, Lang lang) {
  const double r = 70, cx = x + r + 10, cy = top + r + 24;
  for (int deg = 0; deg < 360; deg += 2) {
    // Clockwise from north: the angle of cairo is counter-clockwise from east in y-down space.
    const double a0 = (deg - 90 - 1.2) * std::numbers::pi / 180,
                 a1 = (deg - 90 + 1.2) * std::numbers::pi / 180;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, a0, a1);
    cairo_arc_negative(cr, cx, cy, 0.55 * r, a1, a0);
    cairo_close_path(cr);
    set_colour(cr, cyclic_colour(deg));
    cairo_fill(cr);
  }
  cairo_set_source_rgb(cr, 0, 0, 0);
  select_font(cr, 15, true);
  const MapWords& w = map_words(lang);
  show_text(cr, w.compass[0], cx, cy - r - 6, 0.5);
  show_text(cr, w.compass[1], cx + r + 6, cy + 5, 0);
  show_text(cr, w.compass[2], cx, cy + r + 18, 0.5);
  show_text(cr, w.compass[3], cx - r - 6, cy + 5, 1);
  return cy + r + 24;
}

// One swatch per category with its label; returns the bottom.
double draw_category_legend(cairo_t* cr, const ColourScale& scale, const std::string& indicator,
                            double x, double top, Lang lang) {
  select_font(cr, 14);
  double y = top;
  for (double v : scale.categories) {
    cairo_rectangle(cr, x, y, 28, 20);
    set_colour(cr, scale.colour(v));
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    show_text(cr, category_label(indicator, v, lang), x + 38, y + 15);
    y += 28;
  }
  return y;
}

// The legend right of the map (colour bar, wheel or swatches, with the unit), and the legend
// of the source markers below it.
void draw_colour_bar(cairo_t* cr, const Layout& l, const ColourScale& scale,
                     const Indicator& indicator, const std::vector<Source>& sources, Lang lang) {
  const double x = l.left + l.width + 50, top = l.box_top + 40;
  cairo_set_source_rgb(cr, 0, 0, 0);
  select_font(cr, 16, true);
  const std::string unit = unit_label(indicator.unit, lang);
  if (!unit.empty() && scale.kind == ScaleKind::amount) show_text(cr, unit, x, top - 14);
  double bottom = 0;
  if (scale.kind == ScaleKind::direction) {
    bottom = draw_direction_wheel(cr, x, top, lang);
  } else if (scale.kind == ScaleKind::category) {
    bottom = draw_category_legend(cr, scale, indicator.name, x, top, lang);
  } else {
    const double height = std::clamp(0.55 * l.box_height, 200.0, 480.0);
    draw_amount_bar(cr, scale, x, top, height, lang);
    bottom = top + height;
  }
  // The legend of the kinds of sources present.
  std::array<bool, 4> present{};
  for (const Source& s : sources) present[static_cast<int>(marker_of(s))] = true;
  const MapWords& w = map_words(lang);
  const std::array<const char*, 4> names{w.point_source, w.cooling_tower, w.line_source,
                                         w.area_source};
  double y = bottom + 60;
  select_font(cr, 14);
  for (int m = 0; m < 4; ++m) {
    if (!present[m]) continue;
    draw_marker(cr, static_cast<Marker>(m), x + 12, y, 14);
    cairo_set_source_rgb(cr, 0, 0, 0);
    show_text(cr, names[m], x + 32, y + 5);
    y += 28;
  }
}

// The names of the points drawn as circles (the named places off the lattice, or every
// scattered point when there are few), right of the point or left of it near the right edge,
// always inside the frame.
void draw_point_names(cairo_t* cr, const Layout& l, const std::vector<RefPoint>& points,
                      const std::vector<int>* cell_of_point) {
  std::vector<std::size_t> named;
  for (std::size_t i = 0; i < points.size(); ++i)
    if (!cell_of_point || (*cell_of_point)[i] < 0) named.push_back(i);
  if (named.size() > 60) return;
  select_font(cr, 14, true);
  for (std::size_t i : named) {
    const std::string& text = points[i].id;
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    const double px = l.px(points[i].x), py = l.py(points[i].y);
    double x = px + 11;
    if (x + ext.x_advance > l.left + l.width - 3) x = px - 11 - ext.x_advance;
    x = std::clamp(x, l.left + 3, std::max(l.left + 3, l.left + l.width - 3 - ext.x_advance));
    const double y = std::clamp(py + 5, l.top + 3 + ext.height, l.top + l.height - 4);
    haloed_text(cr, x, y, text, 0.9, 3.5, 0);
  }
}

// A scale bar of a round length near a fifth of the map's width (a hundred pixels at least)
// below its left corner, and a north arrow below its right corner.
void draw_scale_and_north(cairo_t* cr, const Layout& l, Lang lang) {
  const double target = std::max((l.xmax - l.xmin) / 5, 100 / l.scale);
  const double decade = std::pow(10.0, std::floor(std::log10(target)));
  double length = decade;
  for (double step : {2.0, 5.0, 10.0})
    if (std::abs(std::log(step * decade / target)) < std::abs(std::log(length / target)))
      length = step * decade;
  const double w = length * l.scale, x = std::round(l.left) + 0.5,
               y = std::round(l.top + l.height + 30) + 0.5;
  cairo_set_line_width(cr, 1);
  for (int half = 0; half < 2; ++half) {
    cairo_rectangle(cr, x + half * w / 2, y, w / 2, 8);
    cairo_set_source_rgb(cr, half ? 1 : 0, half ? 1 : 0, half ? 1 : 0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_stroke(cr);
  }
  select_font(cr, 14);
  show_text(cr, "0", x, y + 26, 0.5);
  show_text(cr,
            length >= 1000 ? format_number(length / 1000, lang) + " km"
                           : format_number(length, lang) + " m",
            x + w, y + 26, 0.5);

  const double nx = l.left + l.width - 20, ny = l.top + l.height + 36;
  cairo_move_to(cr, nx, ny);
  cairo_line_to(cr, nx + 9, ny + 40);
  cairo_line_to(cr, nx, ny + 30);
  cairo_line_to(cr, nx - 9, ny + 40);
  cairo_close_path(cr);
  cairo_fill(cr);
  select_font(cr, 16, true);
  show_text(cr, map_words(lang).north, nx, ny - 6, 0.5);
}

}  // namespace

unsigned top_of_scale_colour() { return kScale.back(); }

Legend indicator_legend(const Indicator& indicator, Lang lang) {
  const ColourScale scale(indicator.values, scale_kind(indicator.name));
  Legend legend;
  legend.kind = scale.kind;
  legend.unit = unit_label(indicator.unit, lang);
  if (scale.kind == ScaleKind::direction) {
    legend.ramp.assign(kCyclic.begin(), kCyclic.end());
    const MapWords& w = map_words(lang);
    for (int k = 0; k < 4; ++k) legend.ticks.emplace_back(0.25 * k, w.compass[k]);
  } else if (scale.kind == ScaleKind::category) {
    for (double v : scale.categories) {
      const Rgb c = scale.colour(v);
      legend.swatches.emplace_back(c.r << 16 | c.g << 8 | c.b,
                                   category_label(indicator.name, v, lang));
    }
  } else {
    legend.ramp.assign(kScale.begin(), kScale.end());
    for (double v : bar_ticks(scale))
      legend.ticks.emplace_back(scale.position(v), format_number(v, lang));
  }
  return legend;
}

std::vector<unsigned> indicator_colours(const Indicator& indicator,
                                        const std::vector<double>& values) {
  const ColourScale scale(indicator.values, scale_kind(indicator.name));
  std::vector<unsigned> colours(values.size(), kNoColour);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (std::isfinite(values[i])) {
      const Rgb c = scale.colour(values[i]);
      colours[i] = c.r << 16 | c.g << 8 | c.b;
    }
  return colours;
}

std::pair<int, int> picture_pixel(const MapData& map, double x, double y) {
  const Layout l = layout_of(map);
  return {static_cast<int>(std::floor(l.px(x))), static_cast<int>(std::floor(l.py(y)))};
}

void write_map_picture(const MapData& map, const Indicator& indicator,
                       const std::vector<ContourLine>& contours, const std::string& path,
                       const std::string& temporary, Lang lang) {
  const Layout l = layout_of(map);
  const bool on_lattice = map.lattice.has_value();
  const std::vector<double> raster =
      on_lattice ? lattice_raster(*map.lattice, indicator) : std::vector<double>{};
  // Points off the lattice are drawn as circles over it; the scale covers what is drawn.
  const std::vector<int>* cells = on_lattice ? &map.lattice->cell_of_point : nullptr;
  std::vector<double> shown = raster;
  for (std::size_t i = 0; i < indicator.values.size() && i < map.points.size(); ++i)
    if (!cells || (*cells)[i] < 0) shown.push_back(indicator.values[i]);
  const ColourScale scale(shown, scale_kind(indicator.name));

  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, l.picture_width, l.picture_height),
                  cairo_surface_destroy);
  Context cr(cairo_create(surface.get()), cairo_destroy);
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) write_failed(path);
  cairo_t* c = cr.get();
  cairo_set_source_rgb(c, 1, 1, 1);
  cairo_paint(c);

  // The map, clipped to its frame: field, contour lines, sources.
  cairo_save(c);
  cairo_rectangle(c, l.left, l.top, l.width, l.height);
  cairo_clip(c);
  if (on_lattice && !draw_lattice(c, l, *map.lattice, raster, scale)) write_failed(path);
  draw_points(c, l, map.points, indicator.values, cells, scale);
  draw_contours(c, l, contours, lang);
  draw_sources(c, l, map.sources);
  draw_point_names(c, l, map.points, cells);
  cairo_restore(c);
  cairo_rectangle(c, std::round(l.left) - 0.5, std::round(l.top) - 0.5, std::round(l.width) + 1,
                  std::round(l.height) + 1);
  cairo_set_source_rgb(c, 0.3, 0.3, 0.3);
  cairo_set_line_width(c, 1);
  cairo_stroke(c);

  // The decorations in the margins.
  cairo_set_source_rgb(c, 0, 0, 0);
  select_font(c, 24, true);
  const std::string what = describe_indicator(indicator.name, lang);
  show_text(c, map.title.empty() ? indicator.name : indicator.name + " \u2014 " + map.title,
            l.box_left, 36);
  if (!what.empty()) {
    select_font(c, 17);
    show_text(c, what, l.box_left, 60);
  }
  draw_colour_bar(c, l, scale, indicator, map.sources, lang);
  draw_scale_and_north(c, l, lang);

  if (cairo_status(c) != CAIRO_STATUS_SUCCESS) write_failed(path);
  cairo_surface_flush(surface.get());
  if (cairo_surface_write_to_png(surface.get(), temporary.c_str()) != CAIRO_STATUS_SUCCESS)
    write_failed(path);
}

}  // namespace kadre

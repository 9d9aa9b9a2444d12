#pragma once
// The words of the maps and the report in the reader's language, and how each indicator is
// coloured: amounts on a (logarithmic) scale with contours, directions on a cyclic scale,
// stability classes and wind speeds as categories.
#include <string>

namespace kadre {

enum class Lang { cs, en };

// "cs" or "en"; false for anything else.
bool parse_lang(const std::string& text, Lang& lang);

enum class ScaleKind {
  amount,     // concentrations and hours: log or linear scale, contour lines
  direction,  // degrees clockwise from north: cyclic scale, no contours
  category    // stability class, wind speed of a situation: discrete colours, no contours
};

ScaleKind scale_kind(const std::string& indicator);

// What the column means, for titles and tables ("" when the name says nothing more).
std::string describe_indicator(const std::string& indicator, Lang lang);

// The unit of the column as the reader writes it ("h/rok" in Czech).
std::string unit_label(const std::string& unit, Lang lang);

// A number as the reader writes it: %g, with a decimal comma in Czech.
std::string format_number(double v, Lang lang);

// A category's label: "třída IV" / "class IV" for a stability class, "1,5 m/s" for a speed.
std::string category_label(const std::string& indicator, double value, Lang lang);

// The few words of the map frame.
struct MapWords {
  const char* point_source;
  const char* cooling_tower;
  const char* line_source;
  const char* area_source;
  const char* north;       // the arrow's letter
  const char* compass[4];  // north, east, south, west
};
const MapWords& map_words(Lang lang);

}  // namespace kadre

#include "maps/map_labels.h"

#include <cmath>
#include <cstdio>

namespace kadre {

namespace {

bool is_situation(const std::string& name, const char* what) {
  return (name.starts_with("Ch_") || name.starts_with("Cd_")) && name.ends_with(what);
}

const char* const kRoman[] = {"I", "II", "III", "IV", "V"};

}  // namespace

bool parse_lang(const std::string& text, Lang& lang) {
  if (text == "cs") return lang = Lang::cs, true;
  if (text == "en") return lang = Lang::en, true;
  return false;
}

ScaleKind scale_kind(const std::string& indicator) {
  if (is_situation(indicator, "_w_dir_max")) return ScaleKind::direction;
  if (is_situation(indicator, "_class_max") || is_situation(indicator, "_w_sp_max"))
    return ScaleKind::category;
  return ScaleKind::amount;
}

std::string format_number(double v, Lang lang) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  std::string s = text;
  if (lang == Lang::cs)
    for (char& c : s)
      if (c == '.') c = ',';
  return s;
}

std::string unit_label(const std::string& unit, Lang lang) {
  return unit == "h/yr" && lang == Lang::cs ? "h/rok" : unit;
}

std::string category_label(const std::string& indicator, double value, Lang lang) {
  if (is_situation(indicator, "_class_max")) {
    const long k = std::lround(value);
    const std::string roman =
        k >= 1 && k <= 5 && k == value ? kRoman[k - 1] : format_number(value, lang);
    return (lang == Lang::cs ? "třída " : "class ") + roman;
  }
  return format_number(value, lang) + " m/s";
}

std::string describe_indicator(const std::string& name, Lang lang) {
  const bool cs = lang == Lang::cs;
  const bool daily = name.starts_with("Cd_") || name.starts_with("Td_");
  const std::string kind = cs ? (daily ? "denní" : "hodinové") : (daily ? "daily" : "hourly");
  if (name == "ave") return cs ? "průměrná koncentrace" : "mean concentration";
  if (name == "avg")
    return cs ? "průměr hodinových koncentrací" : "mean of the hourly concentrations";
  if (name == "max")
    return cs ? "maximum hodinových koncentrací" : "maximum of the hourly concentrations";
  if (name == "Ch_max" || name == "Cd_max")
    return cs ? "maximální " + std::string(daily ? "denní" : "hodinová") + " koncentrace"
              : "maximum " + kind + " concentration";
  if (is_situation(name, "_class_max"))
    return cs ? "třída stability maxima " + kind + " koncentrace"
              : "stability class of the maximum " + kind + " concentration";
  if (is_situation(name, "_w_sp_max"))
    return cs ? "rychlost větru maxima " + kind + " koncentrace"
              : "wind speed of the maximum " + kind + " concentration";
  if (is_situation(name, "_w_dir_max"))
    return cs ? "směr větru maxima " + kind + " koncentrace"
              : "wind direction of the maximum " + kind + " concentration";
  if (name.starts_with("Th_") || name.starts_with("Td_")) {
    const std::string limit = name.substr(3);
    double v = 0;
    const std::string shown =
        std::sscanf(limit.c_str(), "%lf", &v) == 1 ? format_number(v, lang) : limit;
    return cs ? "doba " + std::string(daily ? "denní" : "hodinové") + " koncentrace nad " + shown +
                    " µg/m³"
              : "time of the " + kind + " concentration above " + shown + " µg/m³";
  }
  if (name.starts_with("Ch_") || name.starts_with("Cd_")) {
    // Ch_<class>_<speed>: the maximum in one situation.
    const std::string rest = name.substr(3);
    const std::size_t at = rest.find('_');
    if (at != std::string::npos) {
      double v = 0;
      const std::string speed = rest.substr(at + 1);
      const std::string shown =
          std::sscanf(speed.c_str(), "%lf", &v) == 1 ? format_number(v, lang) : speed;
      return cs ? "maximum " + kind + " koncentrace, třída " + rest.substr(0, at) + ", " + shown +
                      " m/s"
                : "maximum " + kind + " concentration, class " + rest.substr(0, at) + ", " + shown +
                      " m/s";
    }
  }
  return "";
}

const MapWords& map_words(Lang lang) {
  static const MapWords cs{
      "bodový zdroj", "chladicí věž", "liniový zdroj", "plošný zdroj", "S", {"S", "V", "J", "Z"}};
  static const MapWords en{"point source",      "cooling tower", "line source", "area source", "N",
                           {"N", "E", "S", "W"}};
  return lang == Lang::cs ? cs : en;
}

}  // namespace kadre

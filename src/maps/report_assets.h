#pragma once
// The scripts and styles a report embeds, compiled in when kadre-map is built: Leaflet (empty
// when it was not installed then) and the report's own.
#include <string_view>

namespace kadre {

std::string_view leaflet_script();
std::string_view leaflet_style();
std::string_view report_script();
std::string_view report_style();

}  // namespace kadre

#pragma once
// The CSV tables of a study turned into kadre's tables: the wind rose as a long table, the
// meteorological series and the emission profiles hour by hour. A bad line stops with a
// message naming the file and the line (RunError).
#include <string>

#include "prep/study.h"

namespace kadre {

// direction,stability_class,speed_class,frequency: direction in degrees of the sector centre
// from north clockwise (equally spaced from 0) or "calm"; stability class I..V (or 1..5);
// speed class 1.7, 5 or 11, the 11 situations of the rose; frequency in percent, or in
// fractions of the year with fraction. Missing rows count 0; the total must be 100 % within
// one percentage point.
RoseTable read_rose_csv(const std::string& path, bool fraction);

// time,direction,speed,gradient (or class instead of gradient), optionally
// inversion_height,inversion_direction,inversion_speed,inversion_gradient (or
// inversion_class); time as "YYYY-MM-DD HH:MM" or ISO 8601, on the hour, each later than the
// one before.
MetTable read_met_csv(const std::string& path);

// time,factor with the times of the meteorological series.
ProfileTable read_profile_csv(const std::string& path);

// The hour of a time text, false when it is none of the accepted forms or not on the hour.
bool parse_hour_stamp(const std::string& text, HourStamp& out);

}  // namespace kadre

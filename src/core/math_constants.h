#pragma once

namespace kadre {

inline constexpr double kPi = 3.141592653589793;
// sqrt(2 pi) and sqrt(pi / 2), as the initial spreads of area and line sources take them.
inline constexpr double kSqrtTwoPi = 2.5066282746310002;
inline constexpr double kSqrtHalfPi = 1.2533141373155001;

}  // namespace kadre

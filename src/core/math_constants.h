#pragma once

namespace kadre {

inline constexpr double kPi = 3.141592653589793;

}  // namespace kadre

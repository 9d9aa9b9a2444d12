#pragma once
// The wind kernel: the winds at the effective heights of many situations in one vector step,
// u x base^exponent as u x wind_profile_factor (wind_profile.cpp) gives them, the power taken
// as e^(exponent log base). Which winds come here is said in vector_path.h
// (wind_takes_vector_path); lanes beyond the range of the vector exp take the scalar power.
namespace kadre {

// u_ef[i] = u[i] x base[i]^exponent[i] for i < count (base positive, every value finite), the
// wind at the effective height; arrays padded by a vector (kKernelPadding).
void winds_at_height(const double* u, const double* base, const double* exponent, double* u_ef,
                     int count);

}  // namespace kadre

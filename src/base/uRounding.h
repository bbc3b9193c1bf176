// Turning real values into whole numbers, and integer division that rounds outward.
//
// The system rounds to the nearest integer with halves to even unless a place says otherwise;
// the few places that mean halves up say so by calling RoundHalfUp.
#pragma once

#include <cmath>
#include <cstdint>

namespace lumora {

// Nearest, halves to even: the floating-point unit's default rounding. Adding and removing
// 1.5 x 2^52 makes the hardware round without a library call; values from 2^51 on (never met
// in practice) take the library's way.
inline int64_t RoundHalfEven(double value) {
  if (std::fabs(value) < 0x1p51) return static_cast<int64_t>((value + 0x1.8p52) - 0x1.8p52);
  return static_cast<int64_t>(std::nearbyint(value));
}
inline int32_t Round(double value) { return static_cast<int32_t>(RoundHalfEven(value)); }

// Nearest, halves away from zero (up, for the positive values it is used on).
inline int64_t RoundHalfUp(double value) { return std::llround(value); }

// Quotients rounded toward minus and plus infinity; `b` > 0.
template <class T>
constexpr T FloorDiv(T a, T b) {
  return a / b - (a % b < 0 ? 1 : 0);
}
template <class T>
constexpr T CeilDiv(T a, T b) {
  return a / b + (a % b > 0 ? 1 : 0);
}

}  // namespace lumora

// The region mask's palette: the raw pixel values that mark water regions 1 to 6.
#pragma once

#include <array>
#include <cstdint>

namespace lumora {

// Pixel values of mask regions 1..6; index 0 (value 0) is "no region".
inline constexpr std::array<uint32_t, 7> RegionColors = {0x00000000, 0x000000FF, 0x00FF00FF, 0x00FF0000,
                                                         0x00FFFF00, 0x0000FF00, 0x0000FFFF};

// The region of a mask pixel: the last of indices 1..6 whose colour equals it, else 0.
constexpr int RegionColorToIndex(uint32_t pixel) {
  int index = 0;
  for (int k = 1; k <= 6; ++k) {
    if (RegionColors[static_cast<size_t>(k)] == pixel) index = k;
  }
  return index;
}

}  // namespace lumora

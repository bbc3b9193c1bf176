// Speed percentages for the 21 positions of the speed slider; position 10 is 100 %, the normal
// speed. The settings store the percentage; snow and rain scale their fall by the entry their
// weather record names.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace lumora {

inline constexpr std::array<int32_t, 21> SpeedTable = {10,  20,  30,  45,  50,  60,  70,  75,  80,  90, 100,
                                                       120, 140, 160, 180, 200, 220, 240, 360, 480, 500};

// The entry for an index, the index clamped into the table first.
constexpr int32_t SpeedTableAt(int32_t index) {
  return SpeedTable[static_cast<size_t>(std::clamp(index, 0, static_cast<int32_t>(SpeedTable.size()) - 1))];
}

}  // namespace lumora

// PNG files read back in tests: the product only writes them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumora::testing {

struct TPngPixels {
  int width = 0;
  int height = 0;
  int fileChannels = 0;      // as stored in the file
  std::vector<uint8_t> rgb;  // width x height x 3, empty when the bytes were not a PNG
  std::array<int, 3> At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

TPngPixels DecodePngRgb(const std::string& bytes);
TPngPixels ReadPngRgb(const std::string& path);

}  // namespace lumora::testing

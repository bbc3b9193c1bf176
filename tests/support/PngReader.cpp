// PNG files read back in tests (see PngReader.h), through stb_image.
#include "support/PngReader.h"

#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include "surface/uStbImage.h"

#include "support/TempDir.h"

namespace lumora::testing {

TPngPixels DecodePngRgb(const std::string& bytes) {
  TPngPixels png;
  stbi_uc* pixels =
      stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()), &png.width,
                            &png.height, &png.fileChannels, 3);
  if (pixels == nullptr) return TPngPixels{};
  png.rgb.assign(pixels, pixels + static_cast<size_t>(png.width) * static_cast<size_t>(png.height) * 3);
  stbi_image_free(pixels);
  return png;
}

TPngPixels ReadPngRgb(const std::string& path) { return DecodePngRgb(ReadAll(path)); }

}  // namespace lumora::testing

// PNG writing for the tools and the tests (frames saved by the dummy display, rendered scenes):
// 8-bit RGB through stb_image_write, the surface's alpha left out.
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace lumora {

namespace {

void AppendToString(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

}  // namespace

std::string EncodePng(const TBitmap32& surface) {
  if (surface.Empty()) throw EPictureError("PNG: the picture is empty");
  const int32_t width = surface.Width(), height = surface.Height();
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  uint8_t* target = rgb.data();
  for (int32_t y = 0; y < height; ++y) {
    const TColor32* row = surface.ScanLine(y);
    for (int32_t x = 0; x < width; ++x, target += 3) {
      target[0] = RedOf(row[x]);
      target[1] = GreenOf(row[x]);
      target[2] = BlueOf(row[x]);
    }
  }
  std::string bytes;
  if (!stbi_write_png_to_func(AppendToString, &bytes, width, height, 3, rgb.data(), width * 3)) {
    throw EPictureError("PNG: the picture could not be encoded");
  }
  return bytes;
}

void WritePng(const std::string& fileName, const TBitmap32& surface) {
  const std::string bytes = EncodePng(surface);
  platform::TFile file = platform::TFile::Create(fileName);
  if (!file.IsOpen()) throw EPictureError("PNG: cannot create " + fileName);
  const auto size = static_cast<int64_t>(bytes.size());
  if (file.Write(bytes.data(), size) != size) throw EPictureError("PNG: cannot write " + fileName);
}

}  // namespace lumora

// The platform bitmap (see uBitmap.h).
#include "surface/uBitmap.h"

#include "base/uErrors.h"

namespace lumora {

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == format_) return;
  format_ = format;
  SetSize(width_, height_);
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) width = height = 0;
  // As TBitmap32::SetSize: the buffer before the size, and an empty bitmap when it is refused.
  std::vector<uint8_t> data;
  try {
    data.resize(static_cast<size_t>(width) * static_cast<size_t>(BytesPerPixel()) * static_cast<size_t>(height));
  } catch (const std::exception&) {
    data_ = {};
    width_ = height_ = 0;
    throw EOutOfResources("Can't allocate the DIB handle");
  }
  data_.swap(data);
  width_ = width;
  height_ = height;
}

}  // namespace lumora

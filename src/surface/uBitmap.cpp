// The platform bitmap (see uBitmap.h).
#include "surface/uBitmap.h"

#include <new>

#include "base/uErrors.h"
#include "base/uLimits.h"

namespace lumora {

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == format_) return;
  format_ = format;
  SetSize(width_, height_);
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) width = height = 0;
  // As TBitmap32::SetSize: the buffer before the size, and an empty bitmap when it is refused.
  std::vector<uint8_t, TLargeAllocator<uint8_t>> data;
  try {
    const uint64_t bytes =
        static_cast<uint64_t>(width) * static_cast<uint64_t>(BytesPerPixel()) * static_cast<uint64_t>(height);
    if (bytes > static_cast<uint64_t>(kMaxSurfaceBytes))
      throw std::bad_alloc();  // refused like memory the system has not got
    data.resize(static_cast<size_t>(bytes));
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

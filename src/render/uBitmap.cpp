// The platform bitmap (see uBitmap.h).
#include "render/uBitmap.h"

namespace lumora {

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == format_) return;
  format_ = format;
  data_.assign(Empty() ? 0 : RowBytes() * static_cast<size_t>(height_), 0);
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) width = height = 0;
  width_ = width;
  height_ = height;
  data_.assign(RowBytes() * static_cast<size_t>(height_), 0);
}

}  // namespace lumora

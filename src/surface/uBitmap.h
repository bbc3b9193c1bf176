// The platform bitmap: what the project model holds its decoded pictures in (background,
// thumbnail, region mask) and what TBitmap32::Assign copies from.
//
// Rows are top-down and tightly packed: 4 bytes per pixel (blue, green, red, alpha) in the
// 32-bit format, 3 bytes (blue, green, red) in the 24-bit format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/uLargeAllocator.h"

namespace lumora {

enum class TPixelFormat { pf24bit, pf32bit };

class TBitmap {
 public:
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  TPixelFormat PixelFormat() const { return format_; }
  int BytesPerPixel() const { return format_ == TPixelFormat::pf32bit ? 4 : 3; }
  size_t RowBytes() const { return static_cast<size_t>(width_) * static_cast<size_t>(BytesPerPixel()); }

  // Changing the format or size keeps no pixels: the new buffer is all zeros. A size of 0 or
  // less in either direction gives an empty bitmap, and so does a refused buffer (also one larger
  // than kMaxSurfaceBytes), which throws EOutOfResources.
  void SetPixelFormat(TPixelFormat format);
  void SetSize(int32_t width, int32_t height);

  uint8_t* ScanLine(int32_t y) { return data_.data() + static_cast<size_t>(y) * RowBytes(); }
  const uint8_t* ScanLine(int32_t y) const { return data_.data() + static_cast<size_t>(y) * RowBytes(); }
  // The 32-bit format's row as pixels.
  uint32_t* Pixels32(int32_t y) { return reinterpret_cast<uint32_t*>(ScanLine(y)); }
  const uint32_t* Pixels32(int32_t y) const { return reinterpret_cast<const uint32_t*>(ScanLine(y)); }

  // Pixels whose low 24 bits equal TransparentColor's get alpha 0 when assigned to a TBitmap32.
  bool Transparent = false;
  uint32_t TransparentColor = 0;  // $00RRGGBB as a pixel's low 24 bits

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  TPixelFormat format_ = TPixelFormat::pf32bit;
  std::vector<uint8_t, TLargeAllocator<uint8_t>> data_;
};

}  // namespace lumora

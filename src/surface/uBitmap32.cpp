// The drawing surface: storage, pixel access and the simple per-pixel operations. Transfers,
// lines, the canvas and polygons live in their own units.
#include "surface/uBitmap32.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/uErrors.h"
#include "base/uLimits.h"
#include "platform/Platform.h"
#include "surface/uBitmap.h"
#include "surface/uCanvas.h"
#include "surface/uResampleScratch.h"

namespace lumora {

TColor32 Color32(int32_t windowsColor) {
  uint32_t value = static_cast<uint32_t>(windowsColor);
  if (windowsColor < 0) value = platform::GetSysColor(static_cast<int>(value & 0xFF));
  // $00BBGGRR to an opaque pixel.
  return Color32(static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16));
}

TBitmap32::TBitmap32() = default;
TBitmap32::~TBitmap32() = default;

void TBitmap32::SetSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) width = height = 0;
  if (width != width_ || height != height_ || bits_ != pixels_.data()) {
    // The buffer first, the size once it exists: a refused buffer leaves an empty surface, never
    // one that claims a size its pixels do not have.
    std::vector<TColor32, TLargeAllocator<TColor32>> pixels;
    try {
      const uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
      if (count > static_cast<uint64_t>(kMaxSurfaceBytes) / sizeof(TColor32))
        throw std::bad_alloc();  // refused like memory the system has not got
      pixels.resize(static_cast<size_t>(count));
    } catch (const std::exception&) {
      pixels_ = {};
      bits_ = nullptr;
      width_ = height_ = 0;
      clip_ = TRect{};
      throw EOutOfResources("Can't allocate the DIB handle");
    }
    pixels_.swap(pixels);
    bits_ = pixels_.data();
    width_ = width;
    height_ = height;
  }
  clip_ = Rect(0, 0, width_, height_);
}

void TBitmap32::SetClipRect(const TRect& rect) {
  clip_ = Rect(std::clamp(rect.Left, 0, width_), std::clamp(rect.Top, 0, height_), std::clamp(rect.Right, 0, width_),
               std::clamp(rect.Bottom, 0, height_));
}

void TBitmap32::Assign(const TBitmap& bitmap) {
  SetSize(bitmap.Width(), bitmap.Height());
  for (int32_t y = 0; y < height_; ++y) {
    TColor32* row = ScanLine(y);
    if (bitmap.PixelFormat() == TPixelFormat::pf32bit) {
      std::memcpy(row, bitmap.ScanLine(y), static_cast<size_t>(width_) * sizeof(TColor32));
    } else {
      const uint8_t* source = bitmap.ScanLine(y);
      for (int32_t x = 0; x < width_; ++x, source += 3) row[x] = Color32(source[2], source[1], source[0], 255);
    }
    if (bitmap.Transparent) {
      const uint32_t key = bitmap.TransparentColor & 0xFFFFFF;
      for (int32_t x = 0; x < width_; ++x) {
        if ((row[x] & 0xFFFFFF) == key) row[x] &= 0xFFFFFF;
      }
    }
  }
}

void TBitmap32::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color) {
  for (int32_t y = y1; y < y2; ++y) std::fill(ScanLine(y) + x1, ScanLine(y) + x2, color);
}

void TBitmap32::UseMemory(TColor32* pixels, int32_t width, int32_t height) {
  if (pixels == nullptr || width <= 0 || height <= 0) {
    SetSize(width, height);
    return;
  }
  pixels_ = {};
  bits_ = pixels;
  width_ = width;
  height_ = height;
  clip_ = Rect(0, 0, width_, height_);
}

void TBitmap32::Clear(TColor32 color) {
  std::fill(bits_, bits_ + static_cast<size_t>(width_) * static_cast<size_t>(height_), color);
}

void TBitmap32::FlipHorz() {
  for (int32_t y = 0; y < height_; ++y) std::reverse(ScanLine(y), ScanLine(y) + width_);
}

TCanvas& TBitmap32::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>(*this);
  return *canvas_;
}

}  // namespace lumora

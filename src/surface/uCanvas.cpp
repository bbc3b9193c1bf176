// The canvas's ellipse, drawn the way a device context draws it into a 32-bit bitmap: pixels
// are stored, not blended, and their alpha byte is left 0.
//
// The ellipse inscribed in a box of pixel cells is sampled row by row at pixel centres: row y
// holds the pixels whose centres lie within the ellipse's chord at y + 0.5, so the shape
// touches exactly the box's columns and rows, and each row is mirrored exactly by
// construction. The brush fills the pixels that stay inside when the shape is eroded by a
// diamond of the pen's width (for a one-pixel pen: the pixels whose four neighbours are all
// inside); the pen takes the rest. That keeps the pen inside the box and makes the outline
// closed: no brush pixel ever touches the outside.
#include "surface/uCanvas.h"

#include <algorithm>
#include <cmath>

#include "platform/Platform.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

// A Windows colour value $00BBGGRR as the pixel a device context writes; a value with the top
// bit set names a system colour by its low byte.
TColor32 DevicePixel(uint32_t windowsColor) {
  if (windowsColor & 0x80000000u) windowsColor = platform::GetSysColor(static_cast<int>(windowsColor & 0xFF));
  return Color32(static_cast<uint8_t>(windowsColor), static_cast<uint8_t>(windowsColor >> 8),
                 static_cast<uint8_t>(windowsColor >> 16), 0);
}

struct Span {
  int64_t from;  // first column
  int64_t to;    // one past the last column; from >= to when the row misses the ellipse
};

// The columns of the ellipse inscribed in [left, right) x [top, bottom) on row y.
Span RowSpan(int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t y) {
  if (right <= left || bottom <= top || y < top || y >= bottom) return {0, 0};
  const double halfWidth = static_cast<double>(right - left) / 2;
  const double halfHeight = static_cast<double>(bottom - top) / 2;
  const double offset = (static_cast<double>(y - top) + 0.5 - halfHeight) / halfHeight;
  const double chord = halfWidth * std::sqrt(std::max(0.0, 1 - offset * offset));
  // The last pixel centre within the chord's right half; the left end mirrors it.
  const double middle = static_cast<double>(left + right - 1) / 2;
  const auto last = static_cast<int64_t>(std::floor(middle + chord));
  return {left + right - 1 - last, last + 1};
}

void StoreRun(TColor32* row, const TRect& clip, int64_t from, int64_t to, TColor32 pixel) {
  from = std::max<int64_t>(from, clip.Left);
  to = std::min<int64_t>(to, clip.Right);
  if (from < to) std::fill(row + from, row + to, pixel);
}

}  // namespace

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const TRect& clip = surface_.ClipRect();
  if (surface_.Empty() || clip.IsEmpty()) return;
  const int64_t left = std::min(x1, x2), right = std::max(x1, x2);
  const int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  // Width 0 is the one-pixel pen, as on a device; a pen wider than the box is all pen anyway.
  const int64_t pen = std::clamp<int64_t>(Pen.Width, 1, std::max<int64_t>(1, std::max(right - left, bottom - top)));
  const TColor32 penPixel = DevicePixel(Pen.Color);
  const TColor32 brushPixel = DevicePixel(Brush.Color);
  const bool fill = Brush.Style != TBrushStyle::bsClear;

  for (int64_t y = std::max<int64_t>(top, clip.Top); y < std::min<int64_t>(bottom, clip.Bottom); ++y) {
    const Span outer = RowSpan(left, top, right, bottom, y);
    if (outer.from >= outer.to) continue;
    // Erosion by the diamond: row y +- d must reach pen - d further on both sides.
    Span inner = {outer.from + pen, outer.to - pen};
    for (int64_t d = 1; d <= pen && inner.from < inner.to; ++d) {
      for (const int64_t neighbour : {y - d, y + d}) {
        const Span other = RowSpan(left, top, right, bottom, neighbour);
        if (other.from >= other.to) {
          inner = {0, 0};
          break;
        }
        inner.from = std::max(inner.from, other.from + pen - d);
        inner.to = std::min(inner.to, other.to - (pen - d));
      }
    }
    TColor32* row = surface_.ScanLine(static_cast<int32_t>(y));
    if (inner.from >= inner.to) {
      StoreRun(row, clip, outer.from, outer.to, penPixel);
      continue;
    }
    StoreRun(row, clip, outer.from, inner.from, penPixel);
    if (fill) StoreRun(row, clip, inner.from, inner.to, brushPixel);
    StoreRun(row, clip, inner.to, outer.to, penPixel);
  }
}

}  // namespace lumora

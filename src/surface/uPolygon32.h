// Polygon filling with 8 x 8 anti-aliasing (the clock's hands).
//
// Points are 16.16 fixed point. A new polygon has one empty contour, is closed and fills by the
// even-odd rule. With anti-aliasing each point becomes 1/8-pixel units ((v + 2047) >> 13), the
// polygon is scanned on 8 sub-scanlines per pixel row, and each pixel's coverage of its 64
// sub-samples becomes a weight 0..255 for BlendColorWeighted. Without anti-aliasing whole pixels
// are scanned and blended with BlendColor. Contours with fewer than 3 points are ignored.
#pragma once

#include <cstdint>
#include <vector>

#include "surface/uBitmap32.h"

namespace lumora {

// An outline edge in 1/8-pixel units, oriented downwards (y1 < y2); the fill's own business.
struct TPolygonEdge {
  int64_t x1;
  int64_t y1;
  int64_t dx;
  int64_t dy;
  int64_t y2;
};

// The pixels an anti-aliased fill covers and their weights, found once for an outline that is
// drawn again and again; drawing them gives exactly the fill's pixels.
struct TPolygonCell {
  int32_t X;
  int32_t Y;
  uint8_t Weight;  // 1..255
};
struct TPolygonMask {
  std::vector<TPolygonCell> Cells;
  TRect Bounds;  // around every cell
  // Blends the colour onto the covered pixels, moved by (dx, dy), that lie inside the surface's
  // clip rectangle.
  void Draw(TBitmap32& surface, TColor32 color, int32_t dx = 0, int32_t dy = 0) const;
};

class TPolygon32 {
 public:
  TPolygon32() : contours_(1) {}

  void Add(TFixedPoint point) { contours_.back().push_back(point); }
  void NewLine() { contours_.emplace_back(); }
  // Keeps the storage, so that a polygon refilled every frame allocates nothing.
  void Clear() {
    contours_.resize(1);
    contours_.front().clear();
  }
  const std::vector<std::vector<TFixedPoint>>& Contours() const { return contours_; }

  // Fills onto `surface`, limited to its clip rectangle.
  void Draw(TBitmap32& surface, TColor32 color) const;
  // The anti-aliased fill's pixels within `clip`, as Draw with anti-aliasing would cover them.
  void Cover(const TRect& clip, TPolygonMask& mask) const;

  bool Antialiased = false;
  bool Closed = true;

 private:
  bool Prepare(const TRect& clip, int64_t& top, int64_t& bottom) const;

  std::vector<std::vector<TFixedPoint>> contours_;
  // Scratch of Draw, kept between fills.
  mutable std::vector<TPolygonEdge> edges_;
  mutable std::vector<const TPolygonEdge*> active_;
  mutable std::vector<int64_t> crossings_;
  mutable std::vector<uint8_t> coverage_;
};

}  // namespace lumora

// The canvas of a surface: pen, brush and the ellipse, drawn the way the platform's device
// context draws them (GDI conventions: a shape's box excludes its right and bottom edges; the
// pen outlines, the brush fills). Colours are Windows colour values $00BBGGRR; drawn pixels get
// alpha 0, as GDI leaves the alpha byte of a 32-bit bitmap.
#pragma once

#include <cstdint>

namespace lumora {

class TBitmap32;

enum class TBrushStyle { bsSolid, bsClear };

struct TPen {
  int32_t Width = 1;
  uint32_t Color = 0x000000;
};

struct TBrush {
  uint32_t Color = 0xFFFFFF;
  TBrushStyle Style = TBrushStyle::bsSolid;
};

class TCanvas {
 public:
  explicit TCanvas(TBitmap32& surface) : surface_(surface) {}

  // The ellipse inscribed in the box (x1, y1)-(x2, y2), right and bottom edges excluded:
  // filled with the brush unless its style is bsClear, outlined with the pen.
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

  TPen Pen;
  TBrush Brush;

 private:
  TBitmap32& surface_;
};

}  // namespace lumora

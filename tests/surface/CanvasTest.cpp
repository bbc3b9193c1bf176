// The canvas's ellipse: box conventions, pen and brush, device colours, clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "surface/uBitmap32.h"
#include "surface/uCanvas.h"

namespace lumora {
namespace {

constexpr TColor32 kPaper = 0xFF123456;
constexpr uint32_t kPenColour = 0x00112233;  // $00BBGGRR
constexpr TColor32 kPenPixel = 0x00332211;   // as a device context writes it: alpha 0
constexpr uint32_t kBrushColour = 0x00AABBCC;
constexpr TColor32 kBrushPixel = 0x00CCBBAA;

struct Drawing {
  TBitmap32 surface;
  Drawing(int32_t width, int32_t height, int32_t penWidth, TBrushStyle style) {
    surface.SetSize(width, height);
    surface.Clear(kPaper);
    surface.Canvas().Pen.Color = kPenColour;
    surface.Canvas().Pen.Width = penWidth;
    surface.Canvas().Brush.Color = kBrushColour;
    surface.Canvas().Brush.Style = style;
  }
  TColor32 At(int32_t x, int32_t y) const { return surface.PixelAt(x, y); }
};

// Checks the shape of an ellipse drawn in [x1, x2) x [y1, y2) with a solid brush: it reaches
// every edge of the box and nothing beyond, it is mirror-symmetric both ways, and the pen
// encloses the brush (no brush pixel touches the paper).
void ExpectWellFormed(const Drawing& d, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  int32_t left = d.surface.Width(), right = -1, top = d.surface.Height(), bottom = -1;
  for (int32_t y = 0; y < d.surface.Height(); ++y) {
    for (int32_t x = 0; x < d.surface.Width(); ++x) {
      const TColor32 p = d.At(x, y);
      ASSERT_TRUE(p == kPaper || p == kPenPixel || p == kBrushPixel);
      if (p == kPaper) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
      EXPECT_EQ(p, d.At(x1 + x2 - 1 - x, y)) << x << "," << y;
      EXPECT_EQ(p, d.At(x, y1 + y2 - 1 - y)) << x << "," << y;
      if (p == kBrushPixel) {
        for (auto [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}) {
          EXPECT_NE(d.At(nx, ny), kPaper) << "brush at " << x << "," << y << " touches the paper";
        }
      }
    }
  }
  EXPECT_EQ(left, x1);
  EXPECT_EQ(right, x2 - 1);
  EXPECT_EQ(top, y1);
  EXPECT_EQ(bottom, y2 - 1);
}

TEST(CanvasEllipse, EightByEightBoxTouchesOnlyItsColumnsAndRows) {
  Drawing d(14, 14, 1, TBrushStyle::bsSolid);
  d.surface.Canvas().Ellipse(3, 2, 11, 10);
  ExpectWellFormed(d, 3, 2, 11, 10);
  // The widest row runs from the box's left column to its right column - 1, with pen at both ends.
  EXPECT_EQ(d.At(3, 5), kPenPixel);
  EXPECT_EQ(d.At(10, 5), kPenPixel);
  EXPECT_EQ(d.At(11, 5), kPaper);
  EXPECT_EQ(d.At(6, 5), kBrushPixel);
  EXPECT_EQ(d.At(7, 6), kBrushPixel);
  // The box's corners are outside the ellipse.
  EXPECT_EQ(d.At(3, 2), kPaper);
  EXPECT_EQ(d.At(10, 9), kPaper);
}

TEST(CanvasEllipse, ShapesOfOtherBoxesAndPensAreWellFormed) {
  for (const auto& [w, h, pen] :
       {std::tuple{1, 1, 1}, {2, 5, 1}, {7, 7, 1}, {20, 6, 1}, {5, 17, 2}, {16, 16, 3}, {9, 4, 0}}) {
    Drawing d(w + 4, h + 4, pen, TBrushStyle::bsSolid);
    d.surface.Canvas().Ellipse(2, 2, 2 + w, 2 + h);
    SCOPED_TRACE(testing::Message() << w << "x" << h << " pen " << pen);
    ExpectWellFormed(d, 2, 2, 2 + w, 2 + h);
  }
}

TEST(CanvasEllipse, ClearBrushLeavesTheInside) {
  Drawing solid(12, 12, 1, TBrushStyle::bsSolid);
  Drawing clear(12, 12, 1, TBrushStyle::bsClear);
  solid.surface.Canvas().Ellipse(1, 1, 11, 11);
  clear.surface.Canvas().Ellipse(1, 1, 11, 11);
  int brushPixels = 0;
  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 0; x < 12; ++x) {
      const TColor32 s = solid.At(x, y);
      brushPixels += s == kBrushPixel;
      EXPECT_EQ(clear.At(x, y), s == kBrushPixel ? kPaper : s) << x << "," << y;
    }
  }
  EXPECT_GT(brushPixels, 30);
}

TEST(CanvasEllipse, IsCutAtTheSurfaceWithoutMovingIt) {
  Drawing whole(10, 10, 1, TBrushStyle::bsSolid), corner(5, 5, 1, TBrushStyle::bsSolid);
  whole.surface.Canvas().Ellipse(0, 0, 10, 10);
  corner.surface.Canvas().Ellipse(-5, -5, 5, 5);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(corner.At(x, y), whole.At(x + 5, y + 5)) << x << "," << y;
  }
}

}  // namespace
}  // namespace lumora

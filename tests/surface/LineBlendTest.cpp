// One-pixel blended lines: which pixels a line covers, the excluded end point, and clipping.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "surface/uBitmap32.h"

namespace lumora {
namespace {

constexpr TColor32 kInk = 0xFFFFFFFF;
using Pixels = std::set<std::pair<int32_t, int32_t>>;

// The pixels that differ from the cleared surface.
Pixels Drawn(const TBitmap32& surface) {
  Pixels drawn;
  for (int32_t y = 0; y < surface.Height(); ++y) {
    for (int32_t x = 0; x < surface.Width(); ++x) {
      if (surface.PixelAt(x, y) != 0) drawn.insert({x, y});
    }
  }
  return drawn;
}

Pixels Line(int32_t width, int32_t height, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  TBitmap32 surface;
  surface.SetSize(width, height);
  surface.Clear(0);
  surface.LineBlend(x1, y1, x2, y2, kInk);
  return Drawn(surface);
}

TEST(LineShape, EndPointIsNotDrawnAndEachPixelIsBlendedOnce) {
  EXPECT_EQ(Line(5, 2, 0, 0, 3, 0), (Pixels{{0, 0}, {1, 0}, {2, 0}}));
  TBitmap32 surface;
  surface.SetSize(4, 1);
  surface.Clear(0xFF204060);
  surface.LineBlend(0, 0, 3, 0, 0x80FFFFFF);
  for (int32_t x = 0; x < 4; ++x)
    EXPECT_EQ(surface.PixelAt(x, 0), x < 3 ? BlendColor(0x80FFFFFF, 0xFF204060) : 0xFF204060);
  EXPECT_EQ(Line(5, 5, 1, 4, 1, 1), (Pixels{{1, 4}, {1, 3}, {1, 2}}));
  EXPECT_TRUE(Line(5, 5, 2, 2, 2, 2).empty());
}

TEST(LineShape, EqualExtentsGiveADiagonal) {
  EXPECT_EQ(Line(5, 5, 0, 3, 3, 0), (Pixels{{0, 3}, {1, 2}, {2, 1}}));
  EXPECT_EQ(Line(5, 5, 4, 4, 1, 1), (Pixels{{4, 4}, {3, 3}, {2, 2}}));
}

TEST(LineShape, OtherLinesStepAlongTheLongerExtent) {
  // 5 across, 2 down: minor offset floor((4k + 5) / 10) = 0, 0, 1, 1, 2.
  EXPECT_EQ(Line(6, 3, 0, 0, 5, 2), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
  // The same line drawn from the other end.
  EXPECT_EQ(Line(6, 3, 5, 2, 0, 0), (Pixels{{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}}));
  // Steep: 3 down, 1 across: floor((2k + 3) / 6) = 0, 0, 1.
  EXPECT_EQ(Line(3, 4, 0, 0, 1, 3), (Pixels{{0, 0}, {0, 1}, {1, 2}}));
}

// Each unclipped line has one pixel per step of its longer extent, and every pixel lies within
// half a pixel of the ideal line across the shorter one.
TEST(LineShape, PixelsFollowTheIdealLine) {
  std::mt19937 random(99);
  std::uniform_int_distribution<int32_t> coordinate(0, 63);
  for (int round = 0; round < 500; ++round) {
    const int32_t x1 = coordinate(random), y1 = coordinate(random), x2 = coordinate(random), y2 = coordinate(random);
    const Pixels pixels = Line(64, 64, x1, y1, x2, y2);
    const int32_t dx = x2 - x1, dy = y2 - y1;
    const int32_t n = std::max(std::abs(dx), std::abs(dy));
    ASSERT_EQ(pixels.size(), static_cast<size_t>(n));
    if (n == 0) continue;
    EXPECT_TRUE(pixels.count({x1, y1}));
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    for (const auto& [x, y] : pixels) {
      const double k = xMajor ? std::abs(x - x1) : std::abs(y - y1);
      const double ideal = (xMajor ? y1 + dy * k / n : x1 + dx * k / n);
      EXPECT_LE(std::abs((xMajor ? y : x) - ideal), 0.5) << x1 << "," << y1 << " -> " << x2 << "," << y2;
    }
  }
}

// Clipping must draw exactly the unclipped line's pixels inside the clip rectangle: the line is
// drawn once unclipped on a surface large enough for all of it, and once clipped.
TEST(LineClip, DrawsExactlyTheUnclippedPixelsInside) {
  constexpr int32_t kSize = 96;    // the clipped surface
  constexpr int32_t kMargin = 80;  // endpoints reach this far outside it
  std::mt19937 random(2024);
  const auto between = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  TBitmap32 big, small;
  big.SetSize(kSize + 2 * kMargin, kSize + 2 * kMargin);
  big.Clear(0);
  small.SetSize(kSize, kSize);
  for (int round = 0; round < 1000; ++round) {
    const int32_t x1 = between(-kMargin, kSize + kMargin - 1), y1 = between(-kMargin, kSize + kMargin - 1);
    int32_t x2 = between(-kMargin, kSize + kMargin - 1), y2 = between(-kMargin, kSize + kMargin - 1);
    if (round % 4 == 0) y2 = y1;              // some runs
    if (round % 4 == 1) x2 = x1 + (y2 - y1);  // and diagonals
    x2 = std::clamp(x2, -kMargin, kSize + kMargin - 1);
    const int32_t cl = between(0, kSize), ct = between(0, kSize);
    const TRect clip = Rect(cl, ct, between(cl, kSize), between(ct, kSize));

    big.LineBlend(x1 + kMargin, y1 + kMargin, x2 + kMargin, y2 + kMargin, kInk);
    Pixels expected;
    for (int32_t y = std::min(y1, y2); y <= std::max(y1, y2); ++y) {
      for (int32_t x = std::min(x1, x2); x <= std::max(x1, x2); ++x) {
        TColor32& pixel = big.PixelAt(x + kMargin, y + kMargin);
        if (pixel != 0 && x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom) expected.insert({x, y});
        pixel = 0;
      }
    }
    small.SetClipRect(Rect(0, 0, kSize, kSize));
    small.Clear(0);
    small.SetClipRect(clip);
    small.LineBlend(x1, y1, x2, y2, kInk);
    ASSERT_EQ(Drawn(small), expected) << "round " << round << ": " << x1 << "," << y1 << " -> " << x2 << "," << y2;
  }
}

TEST(LineClip, FarEndpointsDoNotOverflow) {
  // A run across the whole 32-bit range covers exactly the surface's row.
  Pixels row;
  for (int32_t x = 0; x < 10; ++x) row.insert({x, 1});
  EXPECT_EQ(Line(10, 2, INT32_MIN, 1, INT32_MAX, 1), row);
  // 2e9 across, 1 down: the minor offset floor((2k + 2e9) / 4e9) turns 1 at k = 1e9, which is x = 5.
  Pixels step;
  for (int32_t x = 0; x < 10; ++x) step.insert({x, x < 5 ? 0 : 1});
  EXPECT_EQ(Line(10, 2, -1000000000 + 5, 0, 1000000000 + 5, 1), step);
}

}  // namespace
}  // namespace lumora

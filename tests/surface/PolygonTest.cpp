// Polygon filling: coverage weights of the anti-aliased fill, the even-odd rule, ignored
// contours, clipping, and exact tiling of the whole-pixel fill.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "surface/uPolygon32.h"

namespace lumora {
namespace {

constexpr TColor32 kBlack = 0xFF000000;
constexpr TColor32 kWhite = 0xFFFFFFFF;

TFixedPoint At(double x, double y) {
  return {static_cast<int32_t>(std::lround(x * 65536)), static_cast<int32_t>(std::lround(y * 65536))};
}

TPolygon32 Polygon(const std::vector<std::vector<std::pair<double, double>>>& contours, bool antialiased = true) {
  TPolygon32 polygon;
  polygon.Antialiased = antialiased;
  for (size_t i = 0; i < contours.size(); ++i) {
    if (i > 0) polygon.NewLine();
    for (const auto& [x, y] : contours[i]) polygon.Add(At(x, y));
  }
  return polygon;
}

std::vector<std::pair<double, double>> Square(double from, double to) {
  return {{from, from}, {to, from}, {to, to}, {from, to}};
}

std::vector<TColor32> Fill(const TPolygon32& polygon, int32_t size, TColor32 color = kWhite, TRect clip = {}) {
  TBitmap32 surface;
  surface.SetSize(size, size);
  surface.Clear(kBlack);
  if (!clip.IsEmpty()) surface.SetClipRect(clip);
  polygon.Draw(surface, color);
  return std::vector<TColor32>(surface.Bits(), surface.Bits() + size * size);
}

// White onto black with weight w: a = ((w + 1) * 255) >> 8, each colour (128 + 255 a) >> 8.
// Weight 64 (16 of 64 samples): a = 64, colour 64. Weight 128 (32): a = 128, colour 128.
// Weight 255 (all 64): a = 255, colour 254 (the weighted blend takes no shortcut).
constexpr TColor32 kQuarter = 0xFF404040, kHalf = 0xFF808080, kFull = 0xFFFEFEFE;

TEST(PolygonCoverage, HalfPixelAlignedSquareGivesQuarterHalfAndFullWeights) {
  // 1.5 .. 3.5 is 12 .. 28 in eighths: pixel 1 and 3 get 4 of their 8 sample columns, pixel 2 all.
  const std::vector<TColor32> pixels = Fill(Polygon({Square(1.5, 3.5)}), 5);
  const std::string expected =  // quarter, half and full weight
      "....."
      ".qhq."
      ".hfh."
      ".qhq."
      ".....";
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const char c = expected[y * 5 + x];
      EXPECT_EQ(pixels[y * 5 + x], c == 'q' ? kQuarter : c == 'h' ? kHalf : c == 'f' ? kFull : kBlack) << x << "," << y;
    }
  }
}

TEST(PolygonCoverage, FractionalEdgesMoveToTheNextEighthFromAQuarterOfACellOn) {
  // A square over rows 0..2 whose right edge sweeps across pixel 1 in steps of 1/1024 pixel: the
  // edge lands on eighth (v + 2047) >> 13 of the 16.16 value, so pixel 1 has that many eighths
  // of its sample columns covered. The case: 1 + 5120 / 65536 leaves pixel 1 black.
  for (int32_t f = 0; f < 65536; f += 64) {
    TPolygon32 polygon;
    polygon.Antialiased = true;
    const int32_t right = 65536 + f;
    for (const TFixedPoint p :
         {TFixedPoint{0, 0}, TFixedPoint{right, 0}, TFixedPoint{right, 2 * 65536}, TFixedPoint{0, 2 * 65536}}) {
      polygon.Add(p);
    }
    TBitmap32 surface;
    surface.SetSize(3, 2);
    surface.Clear(kBlack);
    polygon.Draw(surface, kWhite);
    const uint32_t eighths = static_cast<uint32_t>((right + 2047) >> 13) - 8;
    const uint32_t weight = (eighths * 8 * 255 + 32) >> 6;
    ASSERT_EQ(surface.PixelAt(1, 0), BlendColorWeighted(kWhite, kBlack, weight))
        << "right edge at 1 + " << f << "/65536";
  }
  EXPECT_EQ(Fill(Polygon({{{0, 0}, {1 + 5120 / 65536.0, 0}, {1 + 5120 / 65536.0, 2}, {0, 2}}}), 3)[1], kBlack);
}

TEST(PolygonCoverage, WholePixelSquareCoversItsPixelsFully) {
  const std::vector<TColor32> pixels = Fill(Polygon({Square(1, 3)}), 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(pixels[y * 4 + x], inside ? kFull : kBlack) << x << "," << y;
    }
  }
}

TEST(PolygonRules, ContoursOfFewerThanThreePointsAreIgnored) {
  EXPECT_EQ(Fill(Polygon({{{0, 0}, {4, 4}}}), 4), std::vector<TColor32>(16, kBlack));
  // A stray two-point contour across the square does not toggle coverage.
  EXPECT_EQ(Fill(Polygon({Square(1, 3), {{0, 2}, {4, 2}}, {{2, 0}}}), 4), Fill(Polygon({Square(1, 3)}), 4));
}

TEST(PolygonRules, EvenOddLeavesHolesAndOverlapsUncovered) {
  // Outer 0..6, hole 2..4: the hole stays black, the ring is fully covered.
  const std::vector<TColor32> ring = Fill(Polygon({Square(0, 6), Square(2, 4)}), 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool hole = x >= 2 && x < 4 && y >= 2 && y < 4;
      EXPECT_EQ(ring[y * 6 + x], hole ? kBlack : kFull) << x << "," << y;
    }
  }
  // Two squares of the same orientation overlapping on 2..3: even-odd, not non-zero.
  const std::vector<TColor32> pair = Fill(Polygon({Square(0, 3), Square(2, 5)}), 5, kWhite);
  EXPECT_EQ(pair[2 * 5 + 2], kBlack);
  EXPECT_EQ(pair[1 * 5 + 1], kFull);
  EXPECT_EQ(pair[3 * 5 + 3], kFull);
}

std::vector<std::pair<double, double>> RandomContour(std::mt19937& random, int points, double lo, double hi,
                                                     double grid) {
  std::uniform_int_distribution<int> coordinate(static_cast<int>(lo * grid), static_cast<int>(hi * grid));
  std::vector<std::pair<double, double>> contour;
  for (int i = 0; i < points; ++i) contour.emplace_back(coordinate(random) / grid, coordinate(random) / grid);
  return contour;
}

TEST(PolygonClip, ClippedFillEqualsTheUnclippedInsideAndTouchesNothingOutside) {
  std::mt19937 random(77);
  std::uniform_int_distribution<int32_t> edge(0, 24);
  for (int round = 0; round < 300; ++round) {
    const TPolygon32 polygon = Polygon({RandomContour(random, 3 + round % 5, -4, 28, 64)}, round % 2 == 0);
    const int32_t l = edge(random), t = edge(random);
    const TRect clip = Rect(l, t, std::max(l + 1, edge(random)), std::max(t + 1, edge(random)));
    const std::vector<TColor32> whole = Fill(polygon, 24, 0xC0FFFFFF);
    const std::vector<TColor32> clipped = Fill(polygon, 24, 0xC0FFFFFF, clip);
    for (int32_t y = 0; y < 24; ++y) {
      for (int32_t x = 0; x < 24; ++x) {
        const bool inside = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
        ASSERT_EQ(clipped[y * 24 + x], inside ? whole[y * 24 + x] : kBlack) << "round " << round;
      }
    }
  }
}

// A fill's pixels kept as a mask draw exactly what the fill draws, over any picture, clipped or
// not: the clock draws its bars from masks.
TEST(PolygonMask, DrawsWhatTheFillDraws) {
  std::mt19937 random(31);
  std::uniform_int_distribution<int32_t> edge(0, 24);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::vector<std::pair<double, double>>> contours;
    for (int c = 0; c < 1 + round % 2; ++c) contours.push_back(RandomContour(random, 3 + round % 5, -4, 28, 64));
    const TPolygon32 polygon = Polygon(contours);
    TPolygonMask mask;
    polygon.Cover(Rect(0, 0, 24, 24), mask);
    TBitmap32 filled, masked;
    for (TBitmap32* surface : {&filled, &masked}) {
      surface->SetSize(24, 24);
      for (int32_t i = 0; i < 24 * 24; ++i) surface->Bits()[i] = 0xFF000000u | (static_cast<uint32_t>(i) * 2654435761u >> 8);
    }
    if (round % 3 == 0) {
      const int32_t l = edge(random), t = edge(random);
      const TRect clip = Rect(l, t, std::max(l + 1, edge(random)), std::max(t + 1, edge(random)));
      filled.SetClipRect(clip);
      masked.SetClipRect(clip);
    }
    polygon.Draw(filled, 0xB4FFFFFF);
    mask.Draw(masked, 0xB4FFFFFF);
    ASSERT_EQ(std::vector<TColor32>(filled.Bits(), filled.Bits() + 24 * 24),
              std::vector<TColor32>(masked.Bits(), masked.Bits() + 24 * 24))
        << "round " << round;
  }
}

// The anti-aliased fill samples the 1/8-pixel cell centres; for outlines on that grid, the same
// polygon scaled by 8 and filled without anti-aliasing samples exactly those points, one per
// pixel. So each pixel's coverage is the number of covered pixels in its 8 x 8 block there.
TEST(PolygonCoverage, AntialiasedCoverageCountsTheEightfoldWholePixelFill) {
  std::mt19937 random(5);
  constexpr int32_t kSize = 12;
  for (int round = 0; round < 100; ++round) {
    std::vector<std::vector<std::pair<double, double>>> contours;
    for (int c = 0; c < 1 + round % 3; ++c) contours.push_back(RandomContour(random, 3 + round % 4, -1, kSize + 1, 8));
    std::vector<std::vector<std::pair<double, double>>> scaled = contours;
    for (auto& contour : scaled) {
      for (auto& [x, y] : contour) x *= 8, y *= 8;
    }
    TBitmap32 large;
    large.SetSize(kSize * 8, kSize * 8);
    large.Clear(0);
    Polygon(scaled, false).Draw(large, kWhite);
    const std::vector<TColor32> pixels = Fill(Polygon(contours), kSize);
    for (int32_t y = 0; y < kSize; ++y) {
      for (int32_t x = 0; x < kSize; ++x) {
        uint32_t count = 0;
        for (int32_t sy = 0; sy < 8; ++sy) {
          for (int32_t sx = 0; sx < 8; ++sx) count += large.PixelAt(x * 8 + sx, y * 8 + sy) == kWhite;
        }
        const TColor32 expected = count == 0 ? kBlack : BlendColorWeighted(kWhite, kBlack, (count * 255 + 32) / 64);
        ASSERT_EQ(pixels[y * kSize + x], expected) << "round " << round << " at " << x << "," << y;
      }
    }
  }
}

// Two triangles that split a quadrilateral along a diagonal cover each pixel centre of it
// exactly once: no seam left open, nothing blended twice.
TEST(PolygonTiling, WholePixelTrianglesSharingAnEdgeTileTheirQuadrilateral) {
  std::mt19937 random(31);
  for (int round = 0; round < 300; ++round) {
    // A convex quadrilateral: one point in each quarter of a circle around (10, 10).
    std::uniform_real_distribution<double> radius(2, 9.5), angle(0.05, 1.52);
    const double r = radius(random);
    const auto corner = [&](int quarter) {
      const double a = angle(random) + quarter * 1.5707963267948966;
      return std::pair<double, double>(10 + r * std::cos(a), 10 + r * std::sin(a));
    };
    const auto a = corner(0), b = corner(1), c = corner(2), d = corner(3);
    TBitmap32 quad, halves;
    for (TBitmap32* s : {&quad, &halves}) {
      s->SetSize(20, 20);
      s->Clear(kBlack);
    }
    Polygon({{a, b, c, d}}, false).Draw(quad, 0x80FFFFFF);
    Polygon({{a, b, c}}, false).Draw(halves, 0x80FFFFFF);
    Polygon({{a, c, d}}, false).Draw(halves, 0x80FFFFFF);
    ASSERT_EQ(std::vector<TColor32>(quad.Bits(), quad.Bits() + 400),
              std::vector<TColor32>(halves.Bits(), halves.Bits() + 400))
        << "round " << round;
  }
}

TEST(PolygonTiling, WholePixelFillSamplesPixelCentres) {
  // 0.5 .. 2.5 contains the centres of pixels 0 and 1 and, half-open, not that of pixel 2.
  const std::vector<TColor32> pixels = Fill(Polygon({Square(0.5, 2.5)}, false), 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(pixels[y * 3 + x], x < 2 && y < 2 ? kWhite : kBlack) << x << "," << y;
  }
}

}  // namespace
}  // namespace lumora

// Surface transfers: draw modes, clipping, the stretch filters and the device-context copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/uErrors.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

constexpr TColor32 kBackground = 0xFF102030;

template <class F>
void Paint(TBitmap32& surface, int32_t width, int32_t height, F pixel) {
  surface.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) surface.PixelAt(x, y) = pixel(x, y);
  }
}

void RandomPixels(TBitmap32& surface, int32_t width, int32_t height, std::mt19937& random) {
  Paint(surface, width, height, [&](int32_t, int32_t) { return static_cast<TColor32>(random()); });
}

// Pixels that name their own position, so that a wrong mapping is visible.
TColor32 Tag(int32_t x, int32_t y) { return 0xFF000000u | static_cast<TColor32>(y) << 8 | static_cast<TColor32>(x); }

template <class F>
void ExpectPixels(const TBitmap32& surface, F expected) {
  for (int32_t y = 0; y < surface.Height(); ++y) {
    for (int32_t x = 0; x < surface.Width(); ++x) ASSERT_EQ(surface.PixelAt(x, y), expected(x, y)) << x << "," << y;
  }
}

std::vector<TColor32> PixelsOf(const TBitmap32& surface) {
  return std::vector<TColor32>(surface.Bits(), surface.Bits() + surface.Width() * surface.Height());
}

TEST(DrawSameSize, CopiesAtThePositionCutByTheSurfaceAndTheClipRectangle) {
  TBitmap32 source, dest;
  Paint(source, 4, 4, Tag);
  dest.SetSize(5, 5);
  dest.Clear(kBackground);
  dest.SetClipRect(Rect(0, 0, 5, 2));
  dest.Draw(-1, -2, source);  // source rows 2..3 land on rows 0..1, columns 1..3 on 0..2
  dest.SetClipRect(Rect(3, 3, 100, 100));
  dest.Draw(3, 3, source);  // only source (0..1, 0..1) fits
  ExpectPixels(dest, [](int32_t x, int32_t y) {
    if (y < 2 && x < 3) return Tag(x + 1, y + 2);
    return x >= 3 && y >= 3 ? Tag(x - 3, y - 3) : kBackground;
  });
}

TEST(DrawSameSize, EmptySurfacesDrawNothing) {
  TBitmap32 empty, picture, dest;
  Paint(picture, 2, 2, Tag);
  dest.SetSize(3, 3);
  dest.Clear(kBackground);
  dest.Draw(0, 0, empty);
  dest.Draw(Rect(0, 0, 3, 3), Rect(0, 0, 0, 0), empty);
  EXPECT_EQ(PixelsOf(dest), std::vector<TColor32>(9, kBackground));
  empty.Draw(0, 0, picture);
  empty.Draw(Rect(0, 0, 2, 2), Rect(5, 5, 9, 9), picture);  // not even "Invalid SrcRect"
  EXPECT_TRUE(empty.Empty());
}

TEST(DrawSameSize, ARefusedBufferLeavesAnEmptySurfaceAndAnEmptyBitmap) {
  // 2^60 pixels: no machine grants that, whatever its overcommit policy.
  constexpr int32_t kHuge = 1 << 30;
  TBitmap32 surface;
  Paint(surface, 16, 1, Tag);
  EXPECT_THROW(surface.SetSize(kHuge, kHuge), EOutOfResources);
  EXPECT_TRUE(surface.Empty());
  EXPECT_EQ(surface.Width(), 0);
  EXPECT_TRUE(surface.ClipRect().IsEmpty());
  TBitmap32 source;
  Paint(source, 4, 4, Tag);
  surface.Draw(0, 0, source);  // onto an empty surface: nothing, and nothing out of bounds
  surface.SetSize(2, 2);
  EXPECT_EQ(surface.Width(), 2);

  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  EXPECT_THROW(bitmap.SetSize(kHuge, kHuge), EOutOfResources);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.RowBytes(), 0u);
}

TEST(DrawModes, BlendUsesTheAlphaScaledByMasterAlphaAndZeroDrawsNothing) {
  std::mt19937 random(1);
  TBitmap32 source, dest;
  RandomPixels(source, 64, 64, random);
  RandomPixels(dest, 64, 64, random);
  source.DrawMode = TDrawMode::dmBlend;
  for (const uint8_t master : {255, 0, 1, 100, 254}) {
    const std::vector<TColor32> before = PixelsOf(dest);
    source.MasterAlpha = master;
    dest.Draw(0, 0, source);
    for (size_t i = 0; i < before.size(); ++i) {
      const TColor32 f = source.Bits()[i];
      const TColor32 expected = master == 0     ? before[i]
                                : master == 255 ? BlendColor(f, before[i])
                                                : BlendColorWeighted(f, before[i], master);
      ASSERT_EQ(dest.Bits()[i], expected) << int{master};
    }
  }
}

TEST(DrawModes, CustomHandlerGetsSourceDestinationAndMasterAlphaAndDecides) {
  TBitmap32 source, dest;
  Paint(source, 2, 1, Tag);
  Paint(dest, 2, 1, [](int32_t x, int32_t) { return x == 0 ? 0x11111111u : 0x22222222u; });
  std::vector<std::vector<TColor32>> calls;
  source.DrawMode = TDrawMode::dmCustom;
  source.MasterAlpha = 77;
  source.OnPixelCombine = [&](TColor32 f, TColor32& b, TColor32 m) {
    calls.push_back({f, b, m});
    b = f ^ b;
  };
  dest.Draw(0, 0, source);
  EXPECT_EQ(calls, (std::vector<std::vector<TColor32>>{{Tag(0, 0), 0x11111111, 77}, {Tag(1, 0), 0x22222222, 77}}));
  EXPECT_EQ(PixelsOf(dest), (std::vector<TColor32>{Tag(0, 0) ^ 0x11111111u, Tag(1, 0) ^ 0x22222222u}));
}

TEST(DrawModes, CustomWithoutHandlerCopiesAllBitsLikeOpaque) {
  TBitmap32 source, dest;
  Paint(source, 3, 3, [](int32_t x, int32_t y) { return Tag(x, y) & 0x7FFFFFFF; });
  source.DrawMode = TDrawMode::dmCustom;
  dest.SetSize(3, 3);
  dest.Clear(kBackground);
  dest.Draw(0, 0, source);
  EXPECT_EQ(PixelsOf(dest), PixelsOf(source));
}

TEST(DrawModes, TransparentSkipsExactlyTheOuterColour) {
  TBitmap32 source, dest;
  const TColor32 key = 0x00FF00FF;
  Paint(source, 4, 1, [&](int32_t x, int32_t) { return x % 2 == 0 ? key : Tag(x, 0); });
  source.PixelAt(2, 0) = key | 0x01000000;  // differs from the key in alpha only: drawn
  source.DrawMode = TDrawMode::dmTransparent;
  source.OuterColor = key;
  dest.SetSize(4, 1);
  dest.Clear(kBackground);
  dest.Draw(0, 0, source);
  EXPECT_EQ(PixelsOf(dest), (std::vector<TColor32>{kBackground, Tag(1, 0), key | 0x01000000, Tag(3, 0)}));
}

TEST(Stretch, NearestMapsByTruncatedScaleAndOnePixelTakesTheMiddle) {
  TBitmap32 source, dest;
  Paint(source, 2, 1, Tag);
  dest.SetSize(4, 1);
  dest.Draw(Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), source);
  EXPECT_EQ(PixelsOf(dest), (std::vector<TColor32>{Tag(0, 0), Tag(0, 0), Tag(1, 0), Tag(1, 0)}));

  // 3 -> 2 columns: trunc(0), trunc(1.5); 5 -> 2 rows: trunc(0), trunc(2.5).
  Paint(source, 6, 6, Tag);
  dest.SetSize(2, 2);
  dest.Draw(Rect(0, 0, 2, 2), Rect(0, 0, 3, 5), source);
  EXPECT_EQ(PixelsOf(dest), (std::vector<TColor32>{Tag(0, 0), Tag(1, 0), Tag(0, 2), Tag(1, 2)}));
  // One column from columns 1..4: (1 + 5 - 1) div 2 = 2; its two rows from 2..5 by scale: 2, 4.
  dest.Draw(Rect(1, 0, 2, 2), Rect(1, 2, 5, 6), source);
  EXPECT_EQ(dest.PixelAt(1, 0), Tag(2, 2));
  EXPECT_EQ(dest.PixelAt(1, 1), Tag(2, 4));
}

TEST(Stretch, SourceRectangleOutsideTheSourceFails) {
  TBitmap32 source, dest;
  Paint(source, 4, 4, Tag);
  dest.SetSize(8, 8);
  for (const TRect& bad : {Rect(-1, 0, 4, 4), Rect(0, 0, 5, 4), Rect(0, 1, 4, 5), Rect(3, 0, 2, 4)}) {
    try {
      dest.Draw(Rect(0, 0, 8, 8), bad, source);
      ADD_FAILURE() << "no exception for left " << bad.Left << ", right " << bad.Right;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "Invalid SrcRect");
    }
  }
}

TEST(Stretch, DraftReductionAveragesBlocksRoundingHalvesUp) {
  // 3 -> 2 columns: S = trunc(1.5 * 65536), blocks [0, 1) and [1, 3); 2 -> 1 rows: one block.
  const uint8_t blue[2][3] = {{10, 1, 2}, {30, 2, 1}};
  TBitmap32 source, dest;
  Paint(source, 3, 2, [&](int32_t x, int32_t y) { return Color32(200, 0, blue[y][x], x == 0 ? 255 : 0); });
  source.StretchFilter = TStretchFilter::sfDraft;
  dest.SetSize(2, 1);
  dest.Draw(Rect(0, 0, 2, 1), Rect(0, 0, 3, 2), source);
  // Column 0: (10 + 30) / 2 = 20. Column 1: (1 + 2 + 2 + 1) / 4 = 1.5 -> 2; red stays 200.
  EXPECT_EQ(PixelsOf(dest), (std::vector<TColor32>{Color32(200, 0, 20, 255), Color32(200, 0, 2, 0)}));

  // A million pixels into one: a blue sum one below half of n rounds down, exactly half up.
  source.SetSize(1000, 1000);
  dest.SetSize(1, 1);
  for (const int32_t ones : {499999, 500000}) {
    source.Clear(0);
    std::fill(source.Bits(), source.Bits() + ones, 1u);
    dest.Draw(Rect(0, 0, 1, 1), Rect(0, 0, 1000, 1000), source);
    EXPECT_EQ(dest.PixelAt(0, 0), ones == 500000 ? 1u : 0u) << ones;
  }
}

// Against the definition: block k spans (k S) >> 16 up to ((k + 1) S) >> 16 from the source
// rectangle's edge, S = trunc(length / destination length * 65536); each channel the block's
// mean rounded to nearest, halves up.
TEST(Stretch, DraftReductionMatchesTheBlockMeansOfItsDefinition) {
  std::mt19937 random(21);
  const auto between = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  TBitmap32 source, dest;
  for (int round = 0; round < 300; ++round) {
    RandomPixels(source, between(1, 24), between(1, 24), random);
    source.StretchFilter = TStretchFilter::sfDraft;
    const int32_t sl = between(0, source.Width() - 1), st = between(0, source.Height() - 1);
    const TRect src = Rect(sl, st, between(sl + 1, source.Width()), between(st + 1, source.Height()));
    dest.SetSize(between(1, src.Width()), between(1, src.Height()));
    dest.Draw(Rect(0, 0, dest.Width(), dest.Height()), src, source);
    const int64_t sx = static_cast<int64_t>(65536.0 * src.Width() / dest.Width());
    const int64_t sy = static_cast<int64_t>(65536.0 * src.Height() / dest.Height());
    ExpectPixels(dest, [&](int64_t i, int64_t j) {
      uint64_t sum[4] = {}, count = 0;
      for (int64_t y = src.Top + ((j * sy) >> 16); y < src.Top + (((j + 1) * sy) >> 16); ++y) {
        for (int64_t x = src.Left + ((i * sx) >> 16); x < src.Left + (((i + 1) * sx) >> 16); ++x, ++count) {
          for (int ch = 0; ch < 4; ++ch) sum[ch] += source.PixelAt(int32_t(x), int32_t(y)) >> (8 * ch) & 0xFF;
        }
      }
      TColor32 mean = 0;
      for (int ch = 0; ch < 4; ++ch) mean |= static_cast<TColor32>((sum[ch] + count / 2) / count) << (8 * ch);
      return mean;
    });
  }
}

TEST(Stretch, DraftEnlargementWeighsFourPixelsBilinearly) {
  // 2 x 2 -> 4 x 4: positions -0.25 (clamped to 0), 0.25, 0.75 and 1.25 (whose pair would pass
  // the right edge, so it moves back with all weight on pixel 1): pixel 1 weighs 0, 64, 192, 256.
  TBitmap32 source, dest;
  Paint(source, 2, 2, [](int32_t x, int32_t y) { return x == 1 && y == 1 ? 0xFFFFFFFFu : 0u; });
  source.StretchFilter = TStretchFilter::sfDraft;
  dest.SetSize(4, 4);
  dest.Draw(Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), source);
  const uint32_t weight[4] = {0, 64, 192, 256};
  ExpectPixels(dest, [&](int32_t x, int32_t y) { return ((255 * weight[x] * weight[y] + 32768) >> 16) * 0x01010101u; });
  EXPECT_EQ(dest.PixelAt(1, 1), 0x10101010u);  // 255 / 16 = 15.9 -> 16
  EXPECT_EQ(dest.PixelAt(2, 2), 0x8F8F8F8Fu);  // 255 * 9 / 16 = 143.4 -> 143

  // 2 -> 512 columns: frac * 256 = i - 127.5 near the middle; halves go to even, so columns
  // 128, 129, 130, 131 give pixel 1 the weights 0, 2, 2, 4: blue 0, 2, 2, 4 (255 * w / 256).
  Paint(source, 2, 2, [](int32_t x, int32_t) { return x == 1 ? 0x000000FFu : 0u; });
  dest.SetSize(512, 2);
  dest.Draw(Rect(0, 0, 512, 2), Rect(0, 0, 2, 2), source);
  EXPECT_EQ(std::vector<TColor32>(dest.Bits() + 128, dest.Bits() + 132), (std::vector<TColor32>{0, 2, 2, 4}));
}

// Against the definition, with the weights rounded by the C library and the sum rounded once.
TEST(Stretch, DraftEnlargementMatchesTheBilinearDefinition) {
  std::mt19937 random(22);
  const auto between = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  // Source index and the weight of it (the next pixel gets the rest), position clamped to the surface.
  const auto tap = [](int32_t i, int32_t lo, int32_t hi, int32_t count, int32_t surface) {
    const double position = std::clamp((i + 0.5) * (double(hi - lo) / count) - 0.5 + lo, 0.0, surface - 1.0);
    const auto index = static_cast<int32_t>(std::floor(position));
    const auto weight = 256 - static_cast<uint32_t>(std::nearbyint((position - index) * 256));
    return index + 1 >= hi ? std::pair(index - 1, 0u) : std::pair(index, weight);
  };
  TBitmap32 source, dest;
  for (int round = 0; round < 300; ++round) {
    RandomPixels(source, between(2, 12), between(2, 12), random);
    source.StretchFilter = TStretchFilter::sfDraft;
    const int32_t sl = between(0, source.Width() - 2), st = between(0, source.Height() - 2);
    const TRect src = Rect(sl, st, between(sl + 2, source.Width()), between(st + 2, source.Height()));
    const int32_t height = between(1, 40);
    const int32_t width = height <= src.Height() ? between(src.Width() + 1, 40) : between(1, 40);
    dest.SetSize(width, height);
    dest.Draw(Rect(0, 0, width, height), src, source);
    ExpectPixels(dest, [&](int32_t i, int32_t j) {
      const auto [x, w] = tap(i, src.Left, src.Right, width, source.Width());
      const auto [y, v] = tap(j, src.Top, src.Bottom, height, source.Height());
      TColor32 expected = 0;
      for (int ch = 0; ch < 4; ++ch) {
        const auto c = [&](int32_t px, int32_t py) { return source.PixelAt(px, py) >> (8 * ch) & 0xFF; };
        const uint32_t sum = c(x, y) * w * v + c(x + 1, y) * (256 - w) * v + c(x, y + 1) * w * (256 - v) +
                             c(x + 1, y + 1) * (256 - w) * (256 - v) + 32768;
        expected |= (sum >> 16) << (8 * ch);
      }
      return expected;
    });
  }
}

TEST(Stretch, DraftEnlargementOfAThinSourceInterpolatesWithATent) {
  // One pixel wide, two tall, to 3 x 4: every column alike; rows at -0.25, 0.25, 0.75, 1.25.
  TBitmap32 source, dest;
  Paint(source, 1, 2, [](int32_t, int32_t y) { return y == 0 ? 0u : 0xC8C8C8C8u; });
  source.StretchFilter = TStretchFilter::sfDraft;
  dest.SetSize(3, 4);
  dest.Draw(Rect(0, 0, 3, 4), Rect(0, 0, 1, 2), source);
  const uint32_t expected[4] = {0, 50, 150, 200};
  ExpectPixels(dest, [&](int32_t, int32_t y) { return expected[y] * 0x01010101u; });
}

TEST(Stretch, ResampledPixelsAreCombinedByTheDrawMode) {
  std::mt19937 random(4);
  TBitmap32 source, dest, resampled;
  RandomPixels(source, 5, 3, random);
  resampled.SetSize(11, 7);
  resampled.Draw(Rect(0, 0, 11, 7), Rect(0, 0, 5, 3), source);  // opaque: the resampled picture
  RandomPixels(dest, 11, 7, random);
  const std::vector<TColor32> before = PixelsOf(dest);
  source.DrawMode = TDrawMode::dmBlend;
  source.MasterAlpha = 200;
  dest.Draw(Rect(0, 0, 11, 7), Rect(0, 0, 5, 3), source);
  ExpectPixels(dest, [&](int32_t x, int32_t y) {
    return BlendColorWeighted(resampled.PixelAt(x, y), before[static_cast<size_t>(y * 11 + x)], 200);
  });
}

// Clipping cuts a stretched picture but never moves it: inside the clip rectangle the result
// equals the unclipped draw, outside nothing changes.
TEST(Stretch, ClippingNeverShiftsThePicture) {
  std::mt19937 random(12345);
  const auto between = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  TBitmap32 source, whole, clipped;
  for (int round = 0; round < 400; ++round) {
    RandomPixels(source, between(1, 9), between(1, 9), random);
    source.StretchFilter = round % 2 ? TStretchFilter::sfDraft : TStretchFilter::sfNearest;
    source.DrawMode = round % 3 ? TDrawMode::dmOpaque : TDrawMode::dmBlend;
    const int32_t sl = between(0, source.Width() - 1), st = between(0, source.Height() - 1);
    const TRect sourceRect = Rect(sl, st, between(sl + 1, source.Width()), between(st + 1, source.Height()));
    const int32_t dl = between(-12, 20), dt = between(-12, 20);
    const TRect destRect = Rect(dl, dt, dl + between(1, 24), dt + between(1, 24));
    const int32_t cl = between(0, 19), ct = between(0, 19);
    const TRect clip = Rect(cl, ct, between(cl, 20), between(ct, 20));

    RandomPixels(whole, 20, 20, random);
    const std::vector<TColor32> before = PixelsOf(whole);
    Paint(clipped, 20, 20, [&](int32_t x, int32_t y) { return before[static_cast<size_t>(y * 20 + x)]; });
    clipped.SetClipRect(clip);
    whole.Draw(destRect, sourceRect, source);
    clipped.Draw(destRect, sourceRect, source);
    SCOPED_TRACE(round);
    ExpectPixels(clipped, [&](int32_t x, int32_t y) {
      const bool inside = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
      return inside ? whole.PixelAt(x, y) : before[static_cast<size_t>(y * 20 + x)];
    });
  }
}

TEST(DeviceContext, FromDCCopiesAllBitsAndLeavesWhatTheContextDoesNotHave) {
  TBitmap32 context, dest;
  Paint(context, 4, 4, [](int32_t x, int32_t y) { return Tag(x, y) & 0x00FFFFFF; });
  context.DrawMode = TDrawMode::dmBlend;  // ignored by device-context copies
  dest.SetSize(4, 4);
  dest.Clear(kBackground);
  dest.DrawFromDC(Rect(0, 0, 3, 3), Rect(2, 2, 5, 5), context);  // its last row and column are missing
  ExpectPixels(dest,
               [&](int32_t x, int32_t y) { return x < 2 && y < 2 ? context.PixelAt(x + 2, y + 2) : kBackground; });

  // Stretched by nearest pixel, starting one column left of the context.
  dest.DrawFromDC(Rect(0, 0, 4, 4), Rect(-1, 1, 1, 3), context);
  ExpectPixels(dest, [&](int32_t x, int32_t y) {
    if (x < 2) return y < 2 ? context.PixelAt(x + 2, y + 2) : kBackground;  // left as it was
    return context.PixelAt(0, 1 + y / 2);
  });
}

TEST(DeviceContext, ToDCCopiesTheWholeSurfaceOneToOne) {
  TBitmap32 surface, context;
  Paint(surface, 3, 3, [](int32_t x, int32_t y) { return Tag(x, y) & 0x3FFFFFFF; });
  surface.DrawMode = TDrawMode::dmBlend;
  context.SetSize(4, 4);
  context.Clear(kBackground);
  surface.DrawToDC(context, 2, -1);
  ExpectPixels(context,
               [&](int32_t x, int32_t y) { return x >= 2 && y < 2 ? surface.PixelAt(x - 2, y + 1) : kBackground; });
}

TEST(FlipHorz, MirrorsEachRowAndKeepsTheMiddleColumnOfAnOddWidth) {
  TBitmap32 surface;
  Paint(surface, 5, 2, Tag);
  surface.FlipHorz();
  ExpectPixels(surface, [](int32_t x, int32_t y) { return Tag(4 - x, y); });
}

}  // namespace
}  // namespace lumora

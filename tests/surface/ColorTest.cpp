// Pixel arithmetic: packing, the blend and weighted-blend formulas, Windows colour values.
#include <gtest/gtest.h>

#include <random>

#include "platform/Platform.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

// The blend of one channel in its second written form, b (256 - a) + f a, rounded by + 128.
constexpr uint32_t ReferenceChannel(uint32_t f, uint32_t b, uint32_t a) { return (b * (256 - a) + f * a + 128) >> 8; }

TColor32 ReferenceMix(TColor32 f, TColor32 b, uint32_t a) {
  TColor32 result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    result |= ReferenceChannel(f >> shift & 0xFF, b >> shift & 0xFF, a) << shift;
  }
  return result;
}

TEST(ColorPacking, ChannelsSitAlphaRedGreenBlueFromTheTop) {
  static_assert(Color32(0x12, 0x34, 0x56, 0x78) == 0x78123456u);
  static_assert(Color32(1, 2, 3) == 0xFF010203u);  // opaque by default
  static_assert(AlphaOf(0x78123456u) == 0x78 && RedOf(0x78123456u) == 0x12);
  static_assert(GreenOf(0x78123456u) == 0x34 && BlueOf(0x78123456u) == 0x56);
  constexpr TFixedPoint p = FixedPoint(3, -2);
  static_assert(p.X == 3 * 65536 && p.Y == -2 * 65536);
}

TEST(Blend, HalfWhiteOntoTransparentBlackAndTheAlphaExtremes) {
  // (0 + 128 + 255 * 128) >> 8 = 128 for the colours, (0 + 128 + 128 * 128) >> 8 = 64 for alpha.
  static_assert(BlendColor(0x80FFFFFFu, 0x00000000u) == 0x40808080u);
  std::mt19937 random(7);
  for (int i = 0; i < 1000; ++i) {
    const TColor32 f = random(), b = random();
    EXPECT_EQ(BlendColor(f & 0x00FFFFFF, b), b);
    EXPECT_EQ(BlendColor(f | 0xFF000000, b), f | 0xFF000000);
  }
}

TEST(Blend, DestinationAlphaIsBlendedLikeTheColours) {
  // Alpha: (255 * 256 + 128 + (128 - 255) * 128) >> 8 = 49152 >> 8 = 192.
  EXPECT_EQ(BlendColor(Color32(0, 0, 0, 128), 0xFF000000u), 0xC0000000u);
  // Each colour channel from 200 halfway to 0: (200 * 256 + 128 - 200 * 128) >> 8 = 100.
  EXPECT_EQ(BlendColor(Color32(0, 0, 0, 128), Color32(200, 200, 200, 0)), 0x40646464u);
}

TEST(Blend, MatchesTheSecondFormOfTheFormulaForAnyPartialAlpha) {
  std::mt19937 random(11);
  for (int i = 0; i < 20000; ++i) {
    const TColor32 f = random(), b = random();
    const uint32_t a = AlphaOf(f);
    if (a == 0 || a == 255) continue;
    ASSERT_EQ(BlendColor(f, b), ReferenceMix(f, b, a)) << std::hex << f << " onto " << b;
  }
}

TEST(WeightedBlend, WeightZeroOrTransparentColourChangesNothing) {
  std::mt19937 random(3);
  for (int i = 0; i < 1000; ++i) {
    const TColor32 f = random(), b = random();
    EXPECT_EQ(BlendColorWeighted(f, b, 0), b);  // ((0 + 1) * alpha) >> 8 is 0
    EXPECT_EQ(BlendColorWeighted(f & 0x00FFFFFF, b, random() & 0xFF), b);
  }
}

TEST(WeightedBlend, FullWeightKeepsTheAlphaButTakesNoShortcut) {
  // a = (256 * 255) >> 8 = 255, then (0 + 128 + 255 * 255) >> 8 = 254 in every channel.
  EXPECT_EQ(BlendColorWeighted(0xFFFFFFFFu, 0x00000000u, 255), 0xFEFEFEFEu);
  std::mt19937 random(5);
  for (int i = 0; i < 1000; ++i) {
    const TColor32 f = random() & 0xFEFFFFFF, b = random();  // alpha below 255
    EXPECT_EQ(BlendColorWeighted(f, b, 255), BlendColor(f, b));
  }
}

TEST(WeightedBlend, ScalesTheAlphaByWeightPlusOneOver256) {
  std::mt19937 random(9);
  for (int i = 0; i < 20000; ++i) {
    const TColor32 f = random(), b = random();
    const uint32_t w = random() & 0xFF;
    const uint32_t a = ((w + 1) * AlphaOf(f)) >> 8;
    ASSERT_EQ(BlendColorWeighted(f, b, w), a == 0 ? b : ReferenceMix(f, b, a));
  }
  // Half weight of an opaque colour: a = (128 * 255) >> 8 = 127; (128 + 255 * 127) >> 8 = 127.
  EXPECT_EQ(BlendColorWeighted(0xFFFFFFFFu, 0x00000000u, 127), 0x7F7F7F7Fu);
}

TEST(WindowsColour, BgrValueBecomesAnOpaquePixel) {
  EXPECT_EQ(Color32(int32_t{0x00336699}), 0xFF996633u);
  EXPECT_EQ(Color32(int32_t{0}), 0xFF000000u);
  EXPECT_EQ(Color32(int32_t{0x00FFFFFF}), 0xFFFFFFFFu);
}

TEST(WindowsColour, NegativeValueNamesASystemColourByItsLowByte) {
  for (int index : {0, 5, 15, 30}) {
    const auto system = static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(index));
    EXPECT_EQ(Color32(system), Color32(static_cast<int32_t>(platform::GetSysColor(index)))) << index;
    EXPECT_EQ(AlphaOf(Color32(system)), 255);
  }
}

}  // namespace
}  // namespace lumora

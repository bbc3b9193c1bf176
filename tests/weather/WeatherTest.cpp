// Snow and rain: counts, motion, wrapping, shapes and alphas.
#include <gtest/gtest.h>

#include <cmath>

#include "base/uRandom.h"
#include "surface/uBitmap32.h"
#include "weather/uRain.h"
#include "weather/uSnow.h"

namespace lumora {
namespace {

class WeatherTest : public ::testing::Test {
 protected:
  WeatherTest() {
    surface_.SetSize(200, 100);
    surface_.Clear(0xFF000000);
    RandomSeed(42);
  }
  TBitmap32 surface_;
};

TEST_F(WeatherTest, CountsAreClamped) {
  TSnow snow;
  snow.SetCount(5000);
  EXPECT_EQ(snow.Count(), 1000);
  snow.SetCount(-3);
  EXPECT_EQ(snow.Count(), 0);
  TRain rain;
  rain.SetCount(5000);
  EXPECT_EQ(rain.Count(), 1000);
  rain.Surface = &surface_;
  rain.SetCount(0);
  rain.Init();
  rain.Step();
  EXPECT_TRUE(rain.Drops().empty());
}

TEST_F(WeatherTest, SnowFallsByItsSizeAndWrapsAtTheEdges) {
  TSnow snow;
  snow.Surface = &surface_;
  snow.SetCount(1000);
  snow.Init();
  for (const TFlake& f : snow.Flakes()) {
    ASSERT_TRUE(f.X >= 0 && f.X < 200 && f.Y >= 0 && f.Y < 100);
    ASSERT_TRUE(f.Size >= 2 && f.Size <= 4);
  }
  // No time passed: nothing moves, though sizes may wobble.
  const std::vector<TFlake> before = snow.Flakes();
  snow.Elapsed = 0;
  snow.Step();
  for (size_t i = 0; i < before.size(); ++i) {
    ASSERT_EQ(snow.Flakes()[i].X, before[i].X);
    ASSERT_EQ(snow.Flakes()[i].Y, before[i].Y);
  }
  // Many long steps: every flake keeps inside the wrap bounds and its size in 2..4.
  snow.Elapsed = 70;
  snow.SpeedIndex = 20;
  for (int frame = 0; frame < 300; ++frame) {
    snow.Step();
    for (const TFlake& f : snow.Flakes()) {
      ASSERT_TRUE(f.Size >= 2 && f.Size <= 4);
      ASSERT_GE(f.X, -50);
      ASSERT_LE(f.X, 250);
      ASSERT_GE(f.Y, -100);
      ASSERT_LE(f.Y, 99);
    }
  }
}

TEST_F(WeatherTest, SnowflakeShapesAndAlphas) {
  TSnow snow;
  snow.Surface = &surface_;
  snow.SetCount(1);
  snow.Init();
  snow.Density = 5;
  snow.Elapsed = 0;
  // Seek a seed that keeps the flake at size 4 for one step, then look at its pixels.
  for (uint64_t seed = 0;; ++seed) {
    RandomSeed(seed);
    snow.Init();
    if (snow.Flakes()[0].Size != 4 || snow.Flakes()[0].X < 2 || snow.Flakes()[0].Y < 2 || snow.Flakes()[0].X > 196 ||
        snow.Flakes()[0].Y > 96) continue;
    surface_.Clear(0xFF000000);
    snow.Step();
    if (snow.Flakes()[0].Size == 4) break;
  }
  const int x = static_cast<int>(snow.Flakes()[0].X), y = static_cast<int>(snow.Flakes()[0].Y);
  // Alpha 240 x 5 / 10 = 120 over opaque black: (255 x 120 + 128) >> 8 = 120 in each colour;
  // the destination alpha is blended too: (255 x 256 + 128 - 135 x 120) >> 8 = 192.
  EXPECT_EQ(surface_.PixelAt(x, y), 0xC0787878u);
  EXPECT_EQ(surface_.PixelAt(x + 2, y + 1), 0xC0787878u);
  EXPECT_EQ(surface_.PixelAt(x - 1, y - 1), 0xFF000000u);  // the block's corners stay out
  EXPECT_EQ(surface_.PixelAt(x + 2, y + 2), 0xFF000000u);
}

TEST_F(WeatherTest, RainOnAVerticalAngleKeepsItsColumn) {
  TRain rain;
  rain.Surface = &surface_;
  rain.SetCount(200);
  rain.Init();
  rain.Angle = 180 - 90;
  rain.Elapsed = 50;
  std::vector<double> columns;
  for (const TDrop& d : rain.Drops()) columns.push_back(d.X);
  for (int frame = 0; frame < 50; ++frame) {
    rain.Step();
    for (size_t i = 0; i < columns.size(); ++i) {
      ASSERT_EQ(std::nearbyint(rain.Drops()[i].X), columns[i]);
      ASSERT_GE(rain.Drops()[i].Y, -100);
      ASSERT_LE(rain.Drops()[i].Y, 100 + 12);
    }
  }
}

TEST_F(WeatherTest, RainSegmentsAndTheirAlphas) {
  TRain rain;
  rain.Surface = &surface_;
  rain.SetCount(1);
  rain.Init();
  // Put the one drop where we want it: size 2, length factor 4, at (50, 20).
  for (uint64_t seed = 0;; ++seed) {
    RandomSeed(seed);
    rain.Init();
    if (rain.Drops()[0].Size == 2 && rain.Drops()[0].LengthFactor == 4) break;
  }
  rain.Elapsed = 0;
  rain.Angle = 90;
  rain.DropLength = 10;
  rain.Density = 6;
  surface_.Clear(0xFF000000);
  rain.Step();
  const int x = static_cast<int>(rain.Drops()[0].X), y = static_cast<int>(rain.Drops()[0].Y);
  // Length 2 x 4 x 10 / 10 = 8: upper segment rows y..y+5, lower y+6..y+7; alphas 54 and 117
  // of grey 218: (218 x 54 + 128) >> 8 = 46 and (218 x 117 + 128) >> 8 = 100.
  if (y + 8 < 100) {
    EXPECT_EQ(RedOf(surface_.PixelAt(x, y)), 46);
    EXPECT_EQ(RedOf(surface_.PixelAt(x, y + 5)), 46);
    EXPECT_EQ(RedOf(surface_.PixelAt(x, y + 6)), 100);
    EXPECT_EQ(RedOf(surface_.PixelAt(x, y + 7)), 100);
    EXPECT_EQ(RedOf(surface_.PixelAt(x, y + 8)), 0);  // the end point is not drawn
  }
  // Zero length: all three points coincide and nothing is drawn.
  surface_.Clear(0xFF000000);
  rain.DropLength = 0;
  rain.Step();
  for (int32_t i = 0; i < 200 * 100; ++i) ASSERT_EQ(surface_.Bits()[i], 0xFF000000u);
}

}  // namespace
}  // namespace lumora

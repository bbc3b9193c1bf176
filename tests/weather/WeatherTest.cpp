// Snow and rain: counts, motion, wrapping, shapes and alphas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

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
  // 140 ms at 200 % and a scene speed of 50 %: a fall of 2 per unit of size and of drift.
  snow.SetCount(3);
  snow.Init();
  snow.Flakes()[0] = {.X = 100, .Y = 10, .Size = 3, .Drift = -1};
  snow.Flakes()[1] = {.X = 199.5, .Y = 50, .Size = 2, .Drift = 1};  // drifts out on the right
  snow.Flakes()[2] = {.X = 20, .Y = 97, .Size = 4, .Drift = 0};     // falls out at the bottom
  snow.Elapsed = 140;
  snow.SpeedIndex = 15;
  snow.SpeedPercent = 50;
  snow.Step();
  EXPECT_EQ(snow.Flakes()[0].X, 98);
  EXPECT_EQ(snow.Flakes()[0].Y, 16);
  EXPECT_TRUE(snow.Flakes()[1].X >= -49 && snow.Flakes()[1].X <= 0) << snow.Flakes()[1].X;
  EXPECT_EQ(snow.Flakes()[1].Y, 54);
  EXPECT_EQ(snow.Flakes()[2].X, 20);
  EXPECT_TRUE(snow.Flakes()[2].Y >= -99 && snow.Flakes()[2].Y <= 0) << snow.Flakes()[2].Y;
  // Many long steps: every flake keeps inside the wrap bounds and its size in 2..4.
  snow.SetCount(1000);
  snow.Init();
  snow.Elapsed = 70;
  snow.SpeedIndex = 20;
  snow.SpeedPercent = 100;
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
  // Placed above the size range, the flake is held at the largest shape whichever way it wobbles.
  snow.Flakes()[0] = {.X = 100, .Y = 50, .Size = 5, .Drift = 0};
  snow.Density = 5;
  snow.Elapsed = 0;
  snow.Step();
  ASSERT_EQ(snow.Flakes()[0].Size, 4);
  // The largest flake covers a 4 x 4 block without its corners, one pixel up and left of (100, 50).
  // Alpha 240 x 5 / 10 = 120 over opaque black: (255 x 120 + 128) >> 8 = 120 in each colour;
  // the destination alpha is blended too: (255 x 256 + 128 - 135 x 120) >> 8 = 192.
  constexpr const char* kBlock[] = {".##.", "####", "####", ".##."};
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      const uint32_t expected = kBlock[row][col] == '#' ? 0xC0787878u : 0xFF000000u;
      EXPECT_EQ(surface_.PixelAt(99 + col, 49 + row), expected) << "at " << col << ", " << row;
    }
  }
  EXPECT_EQ(std::count(surface_.Bits(), surface_.Bits() + 200 * 100, 0xFF000000u), 200 * 100 - 12);
}

TEST_F(WeatherTest, RainFallsByItsSizeAlongTheAngle) {
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
  // 50 ms at normal speed: a size 2 drop falls 2 x 3 = 6 and, at 60 degrees, moves half that sideways.
  rain.SetCount(1);
  rain.Init();
  rain.Drops()[0] = {.X = 100, .Y = 10, .Size = 2, .LengthFactor = 1};
  rain.Angle = 60;
  rain.Step();
  EXPECT_DOUBLE_EQ(rain.Drops()[0].X, 103);
  EXPECT_EQ(rain.Drops()[0].Y, 16);
}

TEST_F(WeatherTest, RainSegmentsAndTheirAlphas) {
  TRain rain;
  rain.Surface = &surface_;
  rain.SetCount(1);
  rain.Init();
  rain.Drops()[0] = {.X = 50, .Y = 20, .Size = 2, .LengthFactor = 4};
  rain.Elapsed = 0;
  rain.Angle = 90;
  rain.DropLength = 10;
  rain.Density = 6;
  rain.Step();
  // Length 2 x 4 x 10 / 10 = 8: upper segment rows 20..25, lower 26..27; alphas 54 and 117
  // of grey 218: (218 x 54 + 128) >> 8 = 46 and (218 x 117 + 128) >> 8 = 100.
  for (int y = 20; y <= 25; ++y) EXPECT_EQ(RedOf(surface_.PixelAt(50, y)), 46) << "row " << y;
  for (int y = 26; y <= 27; ++y) EXPECT_EQ(RedOf(surface_.PixelAt(50, y)), 100) << "row " << y;
  EXPECT_EQ(surface_.PixelAt(50, 28), 0xFF000000u);  // the end point is not drawn
  EXPECT_EQ(std::count(surface_.Bits(), surface_.Bits() + 200 * 100, 0xFF000000u), 200 * 100 - 8);
  // Zero length: all three points coincide and nothing is drawn.
  surface_.Clear(0xFF000000);
  rain.DropLength = 0;
  rain.Step();
  EXPECT_EQ(std::count(surface_.Bits(), surface_.Bits() + 200 * 100, 0xFF000000u), 200 * 100);
}

}  // namespace
}  // namespace lumora

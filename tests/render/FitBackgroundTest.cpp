// Fitting the background and mask to the screen, and the 24-bit resamplers behind it.
#include "render/uFitBackground.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "project/uFileIO.h"
#include "project/uVXProject.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

// A 24-bit one-row-per-value picture for the resamplers: pixel (x, y) has blue = value.
TFastBMP Grey(int32_t width, int32_t height, const std::vector<uint8_t>& values) {
  TFastBMP bmp;
  bmp.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t v = values[static_cast<size_t>(y * width + x)];
      std::fill(bmp.Row(y) + x * 3, bmp.Row(y) + x * 3 + 3, v);
    }
  }
  return bmp;
}

TEST(FastBMP, RowsAreBottomUpWithPaddedStride) {
  TFastBMP bmp;
  bmp.SetSize(5, 3);
  EXPECT_EQ(bmp.Stride(), 16);  // 15 bytes padded to 16
  EXPECT_EQ(bmp.Gap(), 1);
  EXPECT_EQ(bmp.Row(1) - bmp.Row(0), 16);

  TBitmap picture;
  picture.SetSize(2, 2);
  picture.Pixels32(0)[0] = 0x11223344;  // top-left
  picture.Pixels32(1)[1] = 0x55667788;  // bottom-right
  bmp.LoadFromBitmap(picture);
  EXPECT_EQ(bmp.Row(1)[0], 0x44);  // the top row is stored last
  EXPECT_EQ(bmp.Row(0)[3], 0x88);
  TBitmap back;
  bmp.CopyTo(back);
  EXPECT_EQ(back.Pixels32(0)[0], 0xFF223344u);  // alpha 255 after the 24-bit round trip
  EXPECT_EQ(back.Pixels32(1)[1], 0xFF667788u);
}

TEST(FastBMP, SmoothResizeInFixedPoint) {
  TFastBMP source = Grey(2, 1, {0, 255});
  TFastBMP dest;
  dest.SetSize(3, 1);
  source.SmoothResize(dest);
  EXPECT_EQ(dest.Row(0)[0], 0);
  EXPECT_EQ(dest.Row(0)[3], 84);
  EXPECT_EQ(dest.Row(0)[6], 169);

  // Two rows: the grid starts on the bottom row and steps up by (h - 1) / H.
  TFastBMP tall = Grey(2, 2, {0, 0, 200, 200});  // stored row 0 is the bottom
  TFastBMP out;
  out.SetSize(2, 4);
  tall.SmoothResize(out);
  // ystep = (1 << 15) / 4 = 8192: weights 0, 1/4, 1/2, 3/4 of the upper row.
  EXPECT_EQ(out.Row(0)[0], 0);
  EXPECT_EQ(out.Row(1)[0], 50);
  EXPECT_EQ(out.Row(2)[0], 100);
  EXPECT_EQ(out.Row(3)[0], 150);
}

TEST(FastBMP, OnePixelWideSourcesAreReplicated) {
  TFastBMP column = Grey(1, 2, {10, 20});
  TFastBMP wide;
  wide.SetSize(3, 4);
  column.SmoothResize(wide);  // w = 1: Resize, sx = 3, sy = 2
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(wide.Row(y)[x * 3], y < 2 ? 10 : 20) << x << "," << y;
  }
  TFastBMP shrunk;
  shrunk.SetSize(2, 1);  // sy < 1: 16.16 stepping picks row 0
  TFastBMP(Grey(1, 3, {1, 2, 3})).Resize(shrunk);
  EXPECT_EQ(shrunk.Row(0)[0], 1);
  EXPECT_EQ(shrunk.Row(0)[3], 1);
}

class FitTest : public ::testing::Test {
 protected:
  void MakeProject(int32_t width, int32_t height) {
    project_.Background.SetSize(width, height);
    project_.RegionMask.SetSize(width, height);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        project_.Background.Pixels32(y)[x] = 0xFF000000u | static_cast<uint32_t>(x * 7 + y);
        project_.RegionMask.Pixels32(y)[x] = RegionColors[static_cast<size_t>((x / 37 + y / 23) % 7)];
      }
    }
    project_.Width = width;
    project_.Height = height;
    for (TWaveParam& wave : project_.WaveParams) {
      wave.SetAmplitude(6);
      wave.SetJitter(25);
    }
  }
  TProject project_;
};

TEST_F(FitTest, ProportionalKeepsTheAspectAndScalesTheWaves) {
  MakeProject(800, 600);
  FitBackground(true, project_, 1280, 1024);
  EXPECT_EQ(project_.Background.Width(), 1280);
  EXPECT_EQ(project_.Background.Height(), 960);
  EXPECT_EQ(project_.RegionMask.Height(), 960);
  EXPECT_EQ(project_.GetWaveParam(0).Amplitude(), 10);
  EXPECT_EQ(project_.GetWaveParam(7).Jitter(), 40);
  EXPECT_EQ(project_.Width, 800);  // the size as loaded stays recorded

  MakeProject(1024, 768);
  FitBackground(true, project_, 1280, 1024);
  EXPECT_EQ(project_.Background.Height(), 960);

  MakeProject(600, 800);  // taller than the target: the width follows the height
  FitBackground(true, project_, 1280, 1024);
  EXPECT_EQ(project_.Background.Width(), 768);
  EXPECT_EQ(project_.Background.Height(), 1024);
}

TEST_F(FitTest, WithoutProportionalThePictureFillsTheTarget) {
  MakeProject(1024, 768);
  FitBackground(false, project_, 1280, 1024);
  EXPECT_EQ(project_.Background.Width(), 1280);
  EXPECT_EQ(project_.Background.Height(), 1024);
  EXPECT_EQ(project_.GetWaveParam(0).Amplitude(), 8);  // 6 x 1.25 = 7.5, to even
  EXPECT_EQ(project_.GetWaveParam(0).Jitter(), 33);    // 25 x 1.333...
  EXPECT_EQ(AlphaOf(project_.Background.Pixels32(500)[700]), 255);
}

// The background is fitted on its 32-bit pixels directly; the 24-bit resampler stays the
// definition it must match to the bit, on random pictures enlarged, reduced and kept (one-pixel
// rows and columns included).
TEST(FitBackground, MatchesThe24BitResamplerToTheBit) {
  std::mt19937 random(20261210);
  const auto size = [&random](int32_t most) { return static_cast<int32_t>(random() % static_cast<uint32_t>(most)) + 1; };
  for (int i = 0; i < 300; ++i) {
    const int32_t w = size(60), h = size(60), W = i % 10 == 0 ? w : size(150), H = i % 10 == 0 ? h : size(150);
    TProject project;
    project.Background.SetPixelFormat(TPixelFormat::pf32bit);
    project.Background.SetSize(w, h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) project.Background.Pixels32(y)[x] = static_cast<uint32_t>(random());
    TFastBMP source, resized;
    source.LoadFromBitmap(project.Background);
    resized.SetSize(W, H);
    source.SmoothResize(resized);
    TBitmap expected;
    resized.CopyTo(expected);

    FitBackground(false, project, W, H);
    const std::string sizes = std::to_string(w) + "x" + std::to_string(h) + " to " + std::to_string(W) + "x" + std::to_string(H);
    ASSERT_EQ(project.Background.Width(), W) << sizes;
    ASSERT_EQ(project.Background.Height(), H) << sizes;
    for (int32_t y = 0; y < H; ++y) {
      ASSERT_TRUE(std::equal(expected.Pixels32(y), expected.Pixels32(y) + W, project.Background.Pixels32(y))) << sizes << ", row " << y;
    }
  }
}

TEST_F(FitTest, MaskKeepsOnlyItsOwnColours) {
  MakeProject(333, 257);
  FitBackground(false, project_, 1000, 700);
  std::set<uint32_t> colours;
  for (int32_t y = 0; y < 700; ++y)
    colours.insert(project_.RegionMask.Pixels32(y), project_.RegionMask.Pixels32(y) + 1000);
  for (uint32_t colour : colours) EXPECT_NE(RegionColorToIndex(colour) + (colour == 0), 0) << std::hex << colour;
  EXPECT_EQ(colours.size(), 7u);
}

}  // namespace
}  // namespace lumora

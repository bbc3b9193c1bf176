// The clock: its geometry, corners, and what a face draws.
#include "render/uClock.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(Clock, TickPointsOfA160PixelFace) {
  TClock clock;
  clock.SetClockSize(160, 160);
  // R = 70, Rminor = round(66.5) = 66, Rmajor = round(59.5) = 60.
  EXPECT_EQ(clock.OuterPoint(15), (TPoint{150, 80}));
  EXPECT_EQ(clock.InnerPoint(15), (TPoint{140, 80}));
  EXPECT_EQ(clock.OuterPoint(60), (TPoint{80, 10}));
  EXPECT_EQ(clock.InnerPoint(60), (TPoint{80, 20}));
  EXPECT_EQ(clock.InnerPoint(30), (TPoint{80, 140}));
  EXPECT_EQ(clock.InnerPoint(1), (TPoint{80 + 7, 80 - 66}));  // round(sin 6 x 66) = 7, round(cos 6 x 66) = 66
}

TEST(Clock, CornersKeepATenPixelMargin) {
  TClock clock;
  clock.SetClockSize(128, 128);
  const std::pair<uint8_t, TPoint> corners[] = {
      {0, {10, 10}}, {1, {886, 10}}, {2, {10, 630}}, {3, {886, 630}}, {7, {886, 10}}};
  for (const auto& [pos, expected] : corners) {
    clock.ClockPos = pos;
    EXPECT_EQ(clock.ClockPosition(1024, 768), expected) << int(pos);
  }
}

class ClockFaceTest : public ::testing::Test {
 protected:
  ClockFaceTest() {
    clock_.SetClockSize(160, 160);
    clock_.ClockColor = 0xFFFFFF;
    clock_.ClockAlpha = 180;
    frame_.SetSize(400, 300);
    frame_.Clear(0xFF000000);
  }
  TBitmap32& Render(int h, int m, int s) {
    clock_.TimeSource = [=] { return platform::TTimeOfDay{h, m, s}; };
    clock_.CaptureBackground(frame_, 100, 50);
    return clock_.RenderFace();
  }
  static bool Lit(const TBitmap32& face, int x, int y) { return RedOf(face.PixelAt(x, y)) > 60; }
  TClock clock_;
  TBitmap32 frame_;
};

TEST_F(ClockFaceTest, HandsPointAtTheTime) {
  // 12:30:00: the minute hand straight down, the second hand straight up, the hour hand a
  // little past twelve (15 degrees).
  TBitmap32& face = Render(12, 30, 0);
  EXPECT_TRUE(Lit(face, 80, 130));  // minute hand, 50 px below the centre
  EXPECT_TRUE(Lit(face, 80, 30));   // second hand, 50 px above
  EXPECT_FALSE(Lit(face, 50, 80));  // nothing at nine o'clock inside the ticks
  // The hour hand's end: (80 + round(sin 15 x 40), 80 - round(cos 15 x 40)) = (90, 41).
  EXPECT_TRUE(Lit(face, 89, 44));
  EXPECT_FALSE(Lit(face, 70, 44));
  // Ticks and hands are translucent white over the black frame: (255 x 180 + 128) >> 8 = 179
  // where three o'clock's tick covers a pixel once.
  EXPECT_EQ(RedOf(face.PixelAt(145, 80)), 179);
  // The centre disc comes last, with the white brush.
  EXPECT_EQ(face.PixelAt(80, 80) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ClockFaceTest, FaceStartsFromTheFrameAreaEachTime) {
  frame_.FillRect(100, 50, 260, 210, 0xFF204060);
  TBitmap32& face = Render(3, 15, 0);
  EXPECT_EQ(face.PixelAt(5, 5), 0xFF204060u);    // outside the dial: the frame as captured
  EXPECT_TRUE(Lit(face, 80, 30));                // the second hand points up
  EXPECT_FALSE(Lit(Render(3, 15, 30), 80, 30));  // and leaves no trace half a minute later
}

}  // namespace
}  // namespace lumora

// The clock: its geometry, corners, and what a face draws.
#include "render/uClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

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

// Drawn straight onto a frame, the marks leave it as the face captured from it, rendered and
// drawn back would: at any time, size and place, partly outside the frame too, over any picture.
// Every pixel the clock changes lies in an area it reported.
TEST(ClockOnFrame, EqualsTheFaceDrawnBackAndReportsWhatItChanged) {
  std::mt19937 random(17);
  for (int round = 0; round < 60; ++round) {
    TClock clock;
    const auto side = static_cast<int32_t>(40 + random() % 120);
    clock.SetClockSize(side, side);
    clock.ClockAlpha = static_cast<int32_t>(random() % 256);
    clock.ClockColor = random() & 0xFFFFFF;
    const platform::TTimeOfDay time{static_cast<int>(random() % 24), static_cast<int>(random() % 60),
                                    static_cast<int>(random() % 60)};
    clock.TimeSource = [time] { return time; };
    TBitmap32 expected, drawn;
    for (TBitmap32* frame : {&expected, &drawn}) {
      frame->SetSize(200, 150);
      for (int32_t i = 0; i < 200 * 150; ++i) frame->Bits()[i] = 0xFF000000u | (static_cast<uint32_t>(i) * 2654435761u >> 8);
    }
    const TPoint at{static_cast<int32_t>(random() % 200) - 60, static_cast<int32_t>(random() % 150) - 60};
    clock.CaptureBackground(expected, at.X, at.Y);
    expected.Draw(at.X, at.Y, clock.RenderFace());
    std::vector<TRect> marks;
    clock.RenderOnto(drawn, at, [&marks](const TRect& area) { marks.push_back(area); });
    EXPECT_EQ(marks.size(), TClock::kMarks);
    for (int32_t y = 0; y < 150; ++y) {
      for (int32_t x = 0; x < 200; ++x) {
        ASSERT_EQ(drawn.PixelAt(x, y), expected.PixelAt(x, y)) << "round " << round << " at " << x << "," << y;
        const bool marked = std::any_of(marks.begin(), marks.end(), [x, y](const TRect& r) {
          return r.Left <= x && x < r.Right && r.Top <= y && y < r.Bottom;
        });
        const uint32_t before = 0xFF000000u | (static_cast<uint32_t>(y * 200 + x) * 2654435761u >> 8);
        if (!marked) {
          ASSERT_EQ(drawn.PixelAt(x, y), before) << "round " << round << ": unreported change at " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace lumora

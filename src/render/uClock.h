// The analog clock drawn in a corner of the frame: 60 tick marks, three hands and a centre disc,
// translucent over a copy of the frame area beneath it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Platform.h"
#include "surface/uBitmap32.h"
#include "surface/uPolygon32.h"

namespace lumora {

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

class TClock {
 public:
  TClock();

  // Sizes the face and computes the tick points.
  void SetClockSize(int32_t width, int32_t height);
  int32_t ClockWidth() const { return width_; }
  int32_t ClockHeight() const { return height_; }

  // Top-left corner of the clock on a frame of that size (10 pixels from the chosen corner;
  // a corner number outside 0..3 is taken as "Top Right").
  TPoint ClockPosition(int32_t frameWidth, int32_t frameHeight) const;
  // The clock as a picture of its own: CaptureBackground copies the frame area under the clock
  // into the face, RenderFace draws ticks and hands (at the time TimeSource gives) onto it and
  // returns it. The saver draws with RenderOnto instead.
  void CaptureBackground(const TBitmap32& frame, int32_t x, int32_t y);
  TBitmap32& RenderFace();
  // The same marks drawn straight onto `frame`, the face's corner at `at`, within the face's
  // square: the frame ends as it would with the face captured from it, rendered and drawn back,
  // without copying the square twice. `marked` is told the area of every mark (a tick, a hand,
  // the centre) with its shadow; the clock changes no pixel outside them.
  void RenderOnto(TBitmap32& frame, TPoint at, const std::function<void(const TRect&)>& marked);
  // How many areas RenderOnto reports: 60 ticks, three hands and the centre.
  static constexpr size_t kMarks = 64;

  // Tick i (1..60) runs from its outer to its inner point; tick 60 is at twelve o'clock.
  TPoint OuterPoint(int i) const { return outer_[static_cast<size_t>(i - 1)]; }
  TPoint InnerPoint(int i) const { return inner_[static_cast<size_t>(i - 1)]; }

  uint32_t ClockColor = 0xFFFFFF;  // $RRGGBB
  int32_t ClockAlpha = 255;
  uint8_t ClockPos = 1;  // 0 top left, 1 top right, 2 bottom left, 3 bottom right
  // The time shown; the system's local time unless replaced (tests, the deterministic renderer).
  std::function<platform::TTimeOfDay()> TimeSource = platform::LocalTimeOfDay;

 private:
  void Render(TBitmap32& surface, TPoint at, const std::function<void(const TRect&)>* marked);
  TRect DrawHand(TBitmap32& surface, TPoint at, TPoint from, TPoint to, int32_t halfWidth, TColor32 color);

  // A bar of the face as DrawHand fills it: its two quadrilaterals' pixels.
  struct TBar {
    TPoint From;
    TPoint To;
    int32_t HalfWidth = 0;
    TPolygonMask AcrossX;
    TPolygonMask AcrossY;
    bool Used = true;  // drawn by the face being rendered
  };

  TBitmap32 face_;
  TPolygon32 hand_;  // refilled for every new bar, its storage kept
  std::vector<TBar> bars_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::array<TPoint, 60> outer_{};
  std::array<TPoint, 60> inner_{};
};

}  // namespace lumora

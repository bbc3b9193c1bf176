// The analog clock (see uClock.h).
#include "render/uClock.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/uRounding.h"
#include "surface/uCanvas.h"

namespace lumora {
namespace {

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

// The point at `degrees` clockwise from twelve o'clock, `length` from the centre.
TPoint OnDial(int32_t cx, int32_t cy, double degrees, double length) {
  return {cx + Round(std::sin(Radians(degrees)) * length), cy - Round(std::cos(Radians(degrees)) * length)};
}

TPoint Offset(TPoint p) { return {p.X + 1, p.Y + 1}; }

constexpr TColor32 kTickShadow = Color32(0, 0, 0, 100);
constexpr TColor32 kHourShadow = Color32(0, 0, 0, 100);
constexpr TColor32 kHandShadow = Color32(0, 0, 0, 80);
constexpr uint32_t kPenGrey = 0x707070;

}  // namespace

TClock::TClock() {
  hand_.Antialiased = true;
  SetClockSize(100, 100);
}

void TClock::SetClockSize(int32_t width, int32_t height) {
  face_.SetSize(width, height);
  bars_.clear();
  width_ = width;
  height_ = height;
  const int32_t cx = width / 2;
  const int32_t cy = height / 2;
  const int32_t radius = cy - 10;
  const int32_t minor = Round(radius * 19.0 / 20);
  const int32_t major = Round(radius * 8.5 / 10);
  for (int i = 1; i <= 60; ++i) {
    outer_[static_cast<size_t>(i - 1)] = OnDial(cx, cy, 6.0 * i, radius);
    inner_[static_cast<size_t>(i - 1)] = OnDial(cx, cy, 6.0 * i, i % 5 == 0 ? major : minor);
  }
}

TPoint TClock::ClockPosition(int32_t frameWidth, int32_t frameHeight) const {
  constexpr int32_t kMargin = 10;
  const int32_t left = kMargin;
  const int32_t right = frameWidth - width_ - kMargin;
  const int32_t top = kMargin;
  const int32_t bottom = frameHeight - height_ - kMargin;
  switch (ClockPos) {
    case 0: return {left, top};
    case 2: return {left, bottom};
    case 3: return {right, bottom};
    default: return {right, top};
  }
}

void TClock::CaptureBackground(const TBitmap32& frame, int32_t x, int32_t y) {
  face_.DrawFromDC(Rect(0, 0, width_, height_), Rect(x, y, x + width_, y + height_), frame);
}

// Two anti-aliased quadrilaterals, one widened across x and one across y, give a bar of about
// 2w + 1 pixels in any direction. The ticks never move and the hands once a minute, so each
// bar's pixels are found once and kept while the bar is drawn.
void TClock::DrawHand(TPoint from, TPoint to, int32_t w, TColor32 color) {
  auto bar = std::find_if(bars_.begin(), bars_.end(),
                          [&](const TBar& b) { return b.From == from && b.To == to && b.HalfWidth == w; });
  if (bar == bars_.end()) {
    TBar made{from, to, w, {}, {}, true};
    const TRect whole = Rect(0, 0, width_, height_);
    TPolygon32& polygon = hand_;
    polygon.Clear();
    polygon.Add(FixedPoint(from.X - w, from.Y));
    polygon.Add(FixedPoint(from.X + w, from.Y));
    polygon.Add(FixedPoint(to.X + w, to.Y));
    polygon.Add(FixedPoint(to.X - w, to.Y));
    polygon.Cover(whole, made.AcrossX);
    polygon.Clear();
    polygon.Add(FixedPoint(from.X, from.Y + w));
    polygon.Add(FixedPoint(from.X, from.Y - w));
    polygon.Add(FixedPoint(to.X, to.Y - w));
    polygon.Add(FixedPoint(to.X, to.Y + w));
    polygon.Cover(whole, made.AcrossY);
    bars_.push_back(std::move(made));
    bar = bars_.end() - 1;
  }
  bar->Used = true;
  bar->AcrossX.Draw(face_, color);
  bar->AcrossY.Draw(face_, color);
}

TBitmap32& TClock::RenderFace() {
  const TColor32 color = (static_cast<uint32_t>(ClockAlpha) << 24) + ClockColor;
  for (TBar& bar : bars_) bar.Used = false;
  for (int i = 1; i <= 60; ++i) {
    const TPoint outer = OuterPoint(i);
    const TPoint inner = InnerPoint(i);
    if (i % 5 == 0) {
      DrawHand(Offset(outer), Offset(inner), 1, kTickShadow);
      DrawHand(outer, inner, 1, color);
    } else {
      face_.LineBlend(outer.X + 1, outer.Y + 1, inner.X + 1, inner.Y + 1, kTickShadow);
      face_.LineBlend(outer.X, outer.Y, inner.X, inner.Y, color);
    }
  }

  const platform::TTimeOfDay now = TimeSource();
  const int hour = now.Hour % 12 == 0 ? 12 : now.Hour % 12;
  const int32_t cx = width_ / 2;
  const int32_t cy = height_ / 2;
  const int32_t longHand = Round(cy * 8.0 / 10);
  const int32_t hourHand = Round(cy * 5.0 / 10);
  const TPoint centre = {cx, cy};
  const TPoint second = OnDial(cx, cy, 6.0 * now.Second, longHand);
  const TPoint minute = OnDial(cx, cy, 6.0 * now.Minute, longHand);
  const TPoint hourEnd = OnDial(cx, cy, 30.0 * hour + now.Minute / 2.0, hourHand);

  TCanvas& canvas = face_.Canvas();
  canvas.Pen.Width = 1;
  canvas.Pen.Color = kPenGrey;
  canvas.Brush.Color = ClockColor;
  canvas.Brush.Style = TBrushStyle::bsSolid;

  DrawHand(Offset(centre), Offset(minute), 1, kHandShadow);
  DrawHand(centre, minute, 1, color);
  DrawHand(Offset(centre), Offset(hourEnd), 1, kHourShadow);
  DrawHand(centre, hourEnd, 1, color);
  face_.LineBlend(cx + 1, cy + 1, second.X + 1, second.Y + 1, kHandShadow);
  face_.LineBlend(cx, cy, second.X, second.Y, color);
  canvas.Ellipse(cx - 4, cy - 4, cx + 4, cy + 4);
  // The bars of hands that have moved on.
  std::erase_if(bars_, [](const TBar& bar) { return !bar.Used; });
  return face_;
}

}  // namespace lumora

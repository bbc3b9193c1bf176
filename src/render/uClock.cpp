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
TRect Offset(const TRect& r, TPoint by) { return Rect(r.Left + by.X, r.Top + by.Y, r.Right + by.X, r.Bottom + by.Y); }

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
  face_.SetSize(width_, height_);  // only a face drawn apart from the frame needs one
  face_.DrawFromDC(Rect(0, 0, width_, height_), Rect(x, y, x + width_, y + height_), frame);
}

// Two anti-aliased quadrilaterals, one widened across x and one across y, give a bar of about
// 2w + 1 pixels in any direction. The ticks never move and the hands once a minute, so each
// bar's pixels are found once and kept while the bar is drawn. Returns the area it may touch.
TRect TClock::DrawHand(TBitmap32& surface, TPoint at, TPoint from, TPoint to, int32_t w, TColor32 color) {
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
  bar->AcrossX.Draw(surface, color, at.X, at.Y);
  bar->AcrossY.Draw(surface, color, at.X, at.Y);
  return Offset(Bounds(bar->AcrossX.Bounds, bar->AcrossY.Bounds), at);
}

TBitmap32& TClock::RenderFace() {
  Render(face_, {0, 0}, nullptr);
  return face_;
}

void TClock::RenderOnto(TBitmap32& frame, TPoint at, const std::function<void(const TRect&)>& marked) {
  Render(frame, at, &marked);
}

// The marks, each with its shadow, drawn onto `surface` with the face's corner at `at` and
// limited to the face's square there.
void TClock::Render(TBitmap32& surface, TPoint at, const std::function<void(const TRect&)>* marked) {
  const TColor32 color = (static_cast<uint32_t>(ClockAlpha) << 24) + ClockColor;
  const TRect clip = surface.ClipRect();
  surface.SetClipRect(Intersection(clip, Rect(at.X, at.Y, at.X + width_, at.Y + height_)));
  const auto mark = [&](const TRect& area) {
    if (marked != nullptr) (*marked)(area);
  };
  // A one-pixel line and its shadow one pixel down and right.
  const auto line = [&](TPoint from, TPoint to, TColor32 shadow) {
    surface.LineBlend(at.X + from.X + 1, at.Y + from.Y + 1, at.X + to.X + 1, at.Y + to.Y + 1, shadow);
    surface.LineBlend(at.X + from.X, at.Y + from.Y, at.X + to.X, at.Y + to.Y, color);
    mark(Rect(at.X + std::min(from.X, to.X), at.Y + std::min(from.Y, to.Y), at.X + std::max(from.X, to.X) + 2,
              at.Y + std::max(from.Y, to.Y) + 2));
  };
  const auto bar = [&](TPoint from, TPoint to, TColor32 shadow) {
    const TRect shadowArea = DrawHand(surface, at, Offset(from), Offset(to), 1, shadow);
    mark(Bounds(shadowArea, DrawHand(surface, at, from, to, 1, color)));
  };

  for (TBar& b : bars_) b.Used = false;
  for (int i = 1; i <= 60; ++i) {
    if (i % 5 == 0) {
      bar(OuterPoint(i), InnerPoint(i), kTickShadow);
    } else {
      line(OuterPoint(i), InnerPoint(i), kTickShadow);
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

  bar(centre, minute, kHandShadow);
  bar(centre, hourEnd, kHourShadow);
  line(centre, second, kHandShadow);
  TCanvas& canvas = surface.Canvas();
  canvas.Pen.Width = 1;
  canvas.Pen.Color = kPenGrey;
  canvas.Brush.Color = ClockColor;
  canvas.Brush.Style = TBrushStyle::bsSolid;
  canvas.Ellipse(at.X + cx - 4, at.Y + cy - 4, at.X + cx + 4, at.Y + cy + 4);
  mark(Rect(at.X + cx - 4, at.Y + cy - 4, at.X + cx + 4, at.Y + cy + 4));
  // The bars of hands that have moved on.
  std::erase_if(bars_, [](const TBar& b) { return !b.Used; });
  surface.SetClipRect(clip);
}

}  // namespace lumora

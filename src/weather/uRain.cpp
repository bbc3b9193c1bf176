// Falling rain (see uRain.h).
#include "weather/uRain.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/uRandom.h"
#include "base/uRounding.h"
#include "surface/uBitmap32.h"

namespace lumora {

double TRain::Slant() const { return std::cos(Angle * std::numbers::pi / 180); }

void TRain::Scatter(TDrop& drop) {
  drop.X = Random(Surface->Width());
  drop.Y = Random(Surface->Height());
  drop.Size = Random(3) + 2;
  drop.LengthFactor = Random(4) + 1;
}

void TRain::Move(TDrop& drop, double fall) {
  const double oldY = drop.Y;
  drop.Y += drop.Size * fall * 3;
  drop.X += Slant() * (drop.Y - oldY);
  WrapSideways(drop.X, Surface->Width(), 20, 100);
  drop.Size = std::clamp(drop.Size, 2, 4);
  WrapToTop(drop.Y, Surface->Height());
}

TRain::TStreak TRain::Streak(const TDrop& drop) const {
  const int32_t x0 = Round(drop.X);
  const int32_t y0 = Round(drop.Y);
  const int32_t y1 = Round(y0 + static_cast<double>(drop.Size) * drop.LengthFactor * DropLength / 10);
  const int32_t x1 = Round(x0 + Slant() * (y1 - y0));
  return {x0, y0, Round(x0 + 6.0 * (x1 - x0) / 8), Round(y0 + 6.0 * (y1 - y0) / 8), x1, y1};
}

void TRain::Draw(const TDrop& drop) const {
  const int32_t s = drop.Size;
  const auto grey = static_cast<uint8_t>(200 + 55 / (5 - s));
  const TStreak streak = Streak(drop);
  // A density above 10 is held at opaque.
  const auto alpha = [&](int32_t base) {
    return static_cast<uint8_t>(std::clamp(Round(static_cast<double>(base - 20 * (5 - s)) * Density / 10), 0, 255));
  };
  Surface->LineBlend(streak.X0, streak.Y0, streak.XM, streak.YM, Color32(grey, grey, grey, alpha(150)));
  Surface->LineBlend(streak.XM, streak.YM, streak.X1, streak.Y1, Color32(grey, grey, grey, alpha(255)));
}

// The middle point lies between the ends, so the ends bound both segments.
TRect TRain::Area(const TDrop& drop) const {
  const TStreak streak = Streak(drop);
  return Rect(std::min(streak.X0, streak.X1), std::min(streak.Y0, streak.Y1), std::max(streak.X0, streak.X1) + 1,
              std::max(streak.Y0, streak.Y1) + 1);
}

}  // namespace lumora

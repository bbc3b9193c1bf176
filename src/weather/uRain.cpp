// Falling rain (see uRain.h).
#include "weather/uRain.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/uRandom.h"
#include "base/uSpeedTable.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

int32_t Round(double value) { return static_cast<int32_t>(std::nearbyint(value)); }

}  // namespace

void TRain::SetCount(int32_t count) { count_ = std::clamp(count, 0, 1000); }

void TRain::Init() {
  drops_.assign(static_cast<size_t>(count_), TDrop{});
  for (TDrop& drop : drops_) {
    drop.X = Random(Surface->Width());
    drop.Y = Random(Surface->Height());
    drop.Size = Random(3) + 2;
    drop.LengthFactor = Random(4) + 1;
  }
}

void TRain::Step() {
  const int32_t width = Surface->Width();
  const int32_t height = Surface->Height();
  const double fall = Elapsed / 50.0 * SpeedTableAt(SpeedIndex) / 100 * SpeedPercent / 100;
  const double slant = std::cos(Angle * std::numbers::pi / 180);
  for (TDrop& drop : drops_) {
    const double oldY = drop.Y;
    drop.Y += drop.Size * fall * 3;
    drop.X += slant * (drop.Y - oldY);
    if (drop.X < -20) {
      drop.X = width + Random(100);
    } else if (drop.X > width + 20) {
      drop.X = -Random(100);
    }
    drop.Size = std::clamp(drop.Size, 2, 4);
    if (drop.Y > height) drop.Y = -Random(100);
  }
  for (const TDrop& drop : drops_) DrawDrop(drop);
}

void TRain::DrawDrop(const TDrop& drop) const {
  const double slant = std::cos(Angle * std::numbers::pi / 180);
  const int32_t s = drop.Size;
  const auto grey = static_cast<uint8_t>(200 + 55 / (5 - s));
  const int32_t x0 = Round(drop.X);
  const int32_t y0 = Round(drop.Y);
  const int32_t y1 = Round(y0 + static_cast<double>(s) * drop.LengthFactor * DropLength / 10);
  const int32_t x1 = Round(x0 + slant * (y1 - y0));
  const int32_t xm = Round(x0 + 6.0 * (x1 - x0) / 8);
  const int32_t ym = Round(y0 + 6.0 * (y1 - y0) / 8);
  // A density above 10 is held at opaque.
  const auto alpha = [&](int32_t base) {
    return static_cast<uint8_t>(std::clamp(Round(static_cast<double>(base - 20 * (5 - s)) * Density / 10), 0, 255));
  };
  Surface->LineBlend(x0, y0, xm, ym, Color32(grey, grey, grey, alpha(150)));
  Surface->LineBlend(xm, ym, x1, y1, Color32(grey, grey, grey, alpha(255)));
}

}  // namespace lumora

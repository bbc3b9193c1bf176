// Falling snow (see uSnow.h).
#include "weather/uSnow.h"

#include <algorithm>
#include <cmath>

#include "base/uRandom.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

struct TFlakePixel {
  int8_t dx, dy;
  uint8_t base;  // alpha at density 10
};

// Each shape's pixels in the order they are blended.
constexpr TFlakePixel kSize2[] = {{0, 0, 160}, {1, 0, 60}, {0, 1, 60}};
constexpr TFlakePixel kSize3[] = {{0, 0, 200},  {-1, 0, 160}, {0, -1, 160}, {1, 0, 160}, {0, 1, 160},
                                  {-1, -1, 60}, {-1, 1, 60},  {1, -1, 60},  {1, 1, 60}};
constexpr TFlakePixel kSize4[] = {{0, 0, 240},  {-1, 0, 240}, {-1, 1, 240}, {0, -1, 240}, {0, 1, 240}, {0, 2, 240},
                                  {1, -1, 240}, {1, 0, 240},  {1, 1, 240},  {1, 2, 240},  {2, 0, 240}, {2, 1, 240}};

struct TPixel {
  int32_t X, Y;
};

// The pixel the flake's shape is drawn around.
TPixel Centre(const TFlake& flake) {
  return {static_cast<int32_t>(std::nearbyint(flake.X)), static_cast<int32_t>(std::nearbyint(flake.Y))};
}

}  // namespace

void TSnow::Scatter(TFlake& flake) {
  flake.X = Random(Surface->Width());
  flake.Y = Random(Surface->Height());
  flake.Drift = 1 - Random(3);
  flake.Size = Random(3) + 2;
}

void TSnow::Move(TFlake& flake, double fall) {
  flake.Y += fall * flake.Size;
  flake.X += fall * flake.Drift;
  if (Random(20) == 0) flake.Size += Random(3) - 1;
  WrapSideways(flake.X, Surface->Width(), 0, 50);
  flake.Size = std::clamp(flake.Size, 2, 4);
  WrapToTop(flake.Y, Surface->Height() - 1);
}

void TSnow::Draw(const TFlake& flake) const {
  const auto [x, y] = Centre(flake);
  // The centre is captured by value: clang before 16 cannot capture a structured binding.
  auto draw = [&, x = x, y = y](const auto& shape) {
    for (const TFlakePixel& p : shape) {
      // Every base x density / 10 is a whole number; a density above 10 is held at opaque.
      const int32_t alpha = std::clamp(p.base * Density / 10, 0, 255);
      Surface->BlendPixel(x + p.dx, y + p.dy, Color32(255, 255, 255, static_cast<uint8_t>(alpha)));
    }
  };
  switch (flake.Size) {
    case 2: draw(kSize2); break;
    case 3: draw(kSize3); break;
    default: draw(kSize4); break;
  }
}

// Every shape lies within one pixel left and above its centre and two right and below.
TRect TSnow::Area(const TFlake& flake) const {
  const auto [x, y] = Centre(flake);
  return Rect(x - 1, y - 1, x + 3, y + 3);
}

}  // namespace lumora

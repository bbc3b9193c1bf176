// Falling rain drawn over the scene: short grey streaks of two blended segments, fainter at the
// upper end, slanted by the weather's angle, falling by their size and wrapping at the edges.
#pragma once

#include <cstdint>
#include <span>

#include "weather/uWeather.h"

namespace lumora {

struct TDrop {
  double X = 0;  // upper end, surface pixels
  double Y = 0;
  int32_t Size = 2;          // 2..4: brightness, opacity, length and fall speed
  int32_t LengthFactor = 1;  // 1..4
};

class TRain final : public TWeatherEffect<TDrop> {
 public:
  TRain() : TWeatherEffect(10, 50.0) {}

  std::span<const TDrop> Drops() const { return Particles(); }
  // Writable so that a caller may place drops itself after Init.
  std::span<TDrop> Drops() { return Particles(); }

  int32_t Angle = 90;       // slant in degrees (the engine passes 180 - the weather's angle)
  int32_t DropLength = 10;  // tenths

 private:
  // The sideways move per pixel of fall.
  double Slant() const;

  void Scatter(TDrop& drop) override;
  void Move(TDrop& drop, double fall) override;
  void Draw(const TDrop& drop) const override;
  TRect Area(const TDrop& drop) const override;

  // The streak's two segments: from (X0, Y0) through (XM, YM) to (X1, Y1).
  struct TStreak {
    int32_t X0, Y0, XM, YM, X1, Y1;
  };
  TStreak Streak(const TDrop& drop) const;
};

}  // namespace lumora

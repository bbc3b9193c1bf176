// Falling snow drawn over the scene: white flakes of three sizes that fall by their size,
// drift sideways, wobble in size now and then and wrap around the picture's edges.
#pragma once

#include <cstdint>
#include <span>

#include "weather/uWeather.h"

namespace lumora {

struct TFlake {
  double X = 0;      // surface pixels
  double Y = 0;      // surface pixels, growing downwards
  int32_t Size = 2;  // 2..4: shape, brightness and fall speed
  double Drift = 0;  // -1, 0 or +1 per unit of fall step
};

class TSnow final : public TWeatherEffect<TFlake> {
 public:
  TSnow() : TWeatherEffect(2, 70.0) {}

  std::span<const TFlake> Flakes() const { return Particles(); }
  // Writable so that a caller may place flakes itself after Init.
  std::span<TFlake> Flakes() { return Particles(); }

 private:
  void Scatter(TFlake& flake) override;
  void Move(TFlake& flake, double fall) override;
  void Draw(const TFlake& flake) const override;
  TRect Area(const TFlake& flake) const override;
};

}  // namespace lumora

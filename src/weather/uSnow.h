// Falling snow drawn over the scene: white flakes of three sizes that fall by their size,
// drift sideways, wobble in size now and then and wrap around the picture's edges.
#pragma once

#include <cstdint>
#include <vector>

namespace lumora {

class TBitmap32;

struct TFlake {
  double X = 0;  // surface pixels
  double Y = 0;  // surface pixels, growing downwards
  int32_t Size = 2;  // 2..4: shape, brightness and fall speed
  double Drift = 0;  // -1, 0 or +1 per unit of fall step
};

class TSnow {
 public:
  // At most 1000 flakes; a negative count is none.
  void SetCount(int32_t count);
  int32_t Count() const { return count_; }
  // Scatters Count flakes over the surface (which must be set and sized).
  void Init();
  // Moves every flake by the time in Elapsed, then draws them all onto the surface.
  void Step();
  const std::vector<TFlake>& Flakes() const { return flakes_; }

  TBitmap32* Surface = nullptr;  // borrowed
  int32_t SpeedIndex = 2;        // into the speed table (clamped)
  int32_t SpeedPercent = 100;    // the scene's speed
  int32_t Elapsed = 0;           // milliseconds since the previous frame
  int32_t Density = 10;          // opacity factor 1..10

 private:
  void DrawFlake(const TFlake& flake) const;

  int32_t count_ = 0;
  std::vector<TFlake> flakes_;
};

}  // namespace lumora

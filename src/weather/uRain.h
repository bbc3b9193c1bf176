// Falling rain drawn over the scene: short grey streaks of two blended segments, fainter at the
// upper end, slanted by the weather's angle, falling by their size and wrapping at the edges.
#pragma once

#include <cstdint>
#include <vector>

namespace lumora {

class TBitmap32;

struct TDrop {
  double X = 0;  // upper end, surface pixels
  double Y = 0;
  int32_t Size = 2;          // 2..4: brightness, opacity, length and fall speed
  int32_t LengthFactor = 1;  // 1..4
};

class TRain {
 public:
  // At most 1000 drops; a negative count is none.
  void SetCount(int32_t count);
  int32_t Count() const { return count_; }
  void Init();
  void Step();
  const std::vector<TDrop>& Drops() const { return drops_; }

  TBitmap32* Surface = nullptr;  // borrowed
  int32_t SpeedIndex = 10;
  int32_t SpeedPercent = 100;
  int32_t Elapsed = 0;     // milliseconds since the previous frame
  int32_t Angle = 90;      // slant in degrees (the engine passes 180 - the weather's angle)
  int32_t DropLength = 10; // tenths
  int32_t Density = 10;    // opacity factor 1..10

 private:
  void DrawDrop(const TDrop& drop) const;

  int32_t count_ = 0;
  std::vector<TDrop> drops_;
};

}  // namespace lumora

// An animated GIF made from rendered frames (the demo's preview): every frame scaled to a
// fixed width and reduced to its own 256-colour table.
#pragma once

#include <cstdint>
#include <string>

#include "surface/uCodecs.h"

namespace lumora {
class TBitmap32;
}

namespace lumora::tools {

class TGifAnimation {
 public:
  TGifAnimation(int32_t width, int32_t frameMs);
  void Add(const TBitmap32& frame);
  // Writes the GIF, looping for ever; throws std::runtime_error when it cannot.
  void Write(const std::string& fileName) const;

 private:
  int32_t width_;
  uint16_t delay_;  // hundredths of a second
  TGifImage gif_;
};

}  // namespace lumora::tools

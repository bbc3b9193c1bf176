// The GIF player over arbitrary GIFs: the first byte chooses the speed, the rest is the file.
// Whatever decodes is played on a simulated clock; the player must stay inside its pictures,
// plan its paintings forward in time, and leave only the key-colour fill or pixels it wrote
// (alpha 0) in the target.
#include <algorithm>
#include <cstdint>

#include "objects/uGifPlayer.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace {

constexpr lumora::TColor32 kKey = 0x00FFFF00;
// Larger screens only slow the fuzzer down: the player's work grows with the area, not its paths.
constexpr int64_t kMaxScreenPixels = 1024 * 1024;
constexpr int64_t kPlayMilliseconds = 20000;
constexpr int kMaxPaintings = 200;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t speed = std::min(data[0] * 5, 1000);  // 0 (frozen) to 1000 %
  lumora::TGifImage image;
  try {
    image = lumora::DecodeGif(data + 1, size - 1);
  } catch (const lumora::EPictureError&) {
    return 0;
  }
  if (int64_t{image.Width} * image.Height > kMaxScreenPixels) return 0;

  lumora::TBitmap32 target;
  target.SetSize(image.Width, image.Height);
  target.Clear(kKey);
  // An object's picture combines by its own rule; the player must copy, never combine.
  target.DrawMode = lumora::TDrawMode::dmCustom;
  target.OnPixelCombine = [](lumora::TColor32, lumora::TColor32&, lumora::TColor32) { __builtin_trap(); };

  lumora::TGif gif(std::move(image));
  const int frames = static_cast<int>(gif.Image.Frames.size());
  lumora::TGifPlayer* player = gif.Start(target, lumora::Rect(0, 0, target.Width(), target.Height()), speed, nullptr);
  if (player != nullptr) {
    int paintings = 0;
    int64_t last = -1;
    player->OnPaint = [&](int frame, int64_t time) {
      if (frame < 0 || frame >= frames) __builtin_trap();
      // Every wait lasts at least a few milliseconds; at speed 0 only frame 0 is painted.
      if (time <= last || (speed == 0 && paintings > 0)) __builtin_trap();
      last = time;
      ++paintings;
    };
    for (int64_t due = player->NextPaintTime(); due >= 0 && due <= kPlayMilliseconds && paintings < kMaxPaintings;
         due = player->NextPaintTime()) {
      player->AdvanceTo(due);
    }
  }
  for (int32_t y = 0; y < target.Height(); ++y) {
    for (int32_t x = 0; x < target.Width(); ++x) {
      const lumora::TColor32 pixel = target.PixelAt(x, y);
      if (pixel != kKey && lumora::AlphaOf(pixel) != 0) __builtin_trap();
    }
  }
  gif.StopAll();
  if (gif.HasPlayers()) __builtin_trap();
  return 0;
}

// The GIF decoder over arbitrary bytes, then the still-picture rule on what it kept, then a round
// trip: whatever the encoder accepts must decode again to the same frames.
#include <cstdint>
#include <string>

#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumora::TGifImage gif;
  try {
    gif = lumora::DecodeGif(data, size);
  } catch (const lumora::EPictureError&) {
    return 0;
  }
  if (gif.Frames.empty()) __builtin_trap();
  // A 13-byte header may declare the largest screen, which the still picture then fills; such
  // screens are left out so that the fuzzer's time goes to the decoding.
  if (int64_t{gif.Width} * gif.Height <= 1024 * 1024) {
    lumora::TBitmap32 surface;
    lumora::GifFirstFrame(gif, surface);
    // The surface takes the logical screen's size; a screen without area gives an empty one.
    const bool area = gif.Width > 0 && gif.Height > 0;
    if (area ? surface.Width() != gif.Width || surface.Height() != gif.Height : !surface.Empty()) __builtin_trap();
  }

  std::string encoded;
  try {
    encoded = lumora::EncodeGif(gif);
  } catch (const lumora::EPictureError&) {
    return 0;  // frames without pixels or without a colour table cannot be written
  }
  const lumora::TGifImage again = lumora::DecodeGif(reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size());
  if (again.Frames.size() != gif.Frames.size()) __builtin_trap();
  for (size_t i = 0; i < gif.Frames.size(); ++i) {
    const lumora::TGifFrame& a = gif.Frames[i];
    const lumora::TGifFrame& b = again.Frames[i];
    // Indices beyond the written table are masked by the encoder, so only the rectangle and
    // the extensions are compared.
    if (a.Left != b.Left || a.Top != b.Top || a.Width != b.Width || a.Height != b.Height) __builtin_trap();
    if (a.HasControl != b.HasControl || a.HasLoop != b.HasLoop || a.LoopCount != b.LoopCount) __builtin_trap();
    if (a.HasControl && (a.Control.Disposal != b.Control.Disposal || a.Control.Delay != b.Control.Delay ||
                         a.Control.TransparentFlag != b.Control.TransparentFlag ||
                         a.Control.TransparentIndex != b.Control.TransparentIndex)) {
      __builtin_trap();
    }
  }
  return 0;
}

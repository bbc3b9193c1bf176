// The JPEG decoder over arbitrary bytes, into both pixel formats of the platform bitmap.
#include <cstdint>

#include "surface/uBitmap.h"
#include "surface/uCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumora::TBitmap bitmap;
  bitmap.SetPixelFormat(size % 2 ? lumora::TPixelFormat::pf24bit : lumora::TPixelFormat::pf32bit);
  try {
    lumora::DecodeJpeg(data, size, bitmap);
  } catch (const lumora::EPictureError&) {
    if (!bitmap.Empty()) __builtin_trap();  // a failure leaves the bitmap as it was
    return 0;
  }
  if (bitmap.Empty()) __builtin_trap();
  return 0;
}

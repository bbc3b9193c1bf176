// The Windows bitmap decoder over arbitrary bytes.
#include <cstdint>

#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumora::TBitmap32 surface;
  try {
    lumora::DecodeBmp(data, size, surface);
  } catch (const lumora::EPictureError&) {
    if (!surface.Empty()) __builtin_trap();  // a failure leaves the surface as it was
    return 0;
  }
  if (surface.Empty()) __builtin_trap();
  return 0;
}

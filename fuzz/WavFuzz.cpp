// The WAV reader over arbitrary bytes: it may refuse them, but never crash, read past the end
// or take more than the file holds.
#include <cstddef>
#include <cstdint>

#include "base/uErrors.h"
#include "sound/uWaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const lumora::TWaveFile wave = lumora::ReadWave(data, size);
    // What was read came from the file: the samples and the record fit in it together.
    if (wave.Samples.size() + wave.Format.Record.size() > size + 2) __builtin_trap();
    if (wave.Format.Record.size() < 18) __builtin_trap();
    const lumora::TWaveFormat& f = wave.Format;
    if (f.Playable() && (f.Channels == 0 || f.BlockAlign != f.Channels * (f.BitsPerSample / 8))) __builtin_trap();
  } catch (const lumora::EInOutError&) {
  }
  return 0;
}

// vxscene wav: what the sound reader sees in a WAV file, and whether both systems play it.
#include <cstdio>

#include "Commands.h"
#include "sound/uWaveFile.h"

namespace lumora::tools {
namespace {

const char* TagName(uint16_t tag) {
  switch (tag) {
    case kWaveFormatPcm: return "PCM";
    case kWaveFormatFloat: return "IEEE float";
    case kWaveFormatExtensible: return "extensible";
    case 2: return "ADPCM";
    case 6: return "A-law";
    case 7: return "mu-law";
    case 0x55: return "MPEG layer 3";
    default: return "other";
  }
}

}  // namespace

int RunWav(const Arguments& args) {
  const TParsedArguments parsed = ParseArguments(args, {}, {});
  if (parsed.positional.size() != 1) throw EUsageError("wav needs FILE.wav");
  const TWaveFile wave = ReadWaveFile(parsed.positional[0]);
  const TWaveFormat& f = wave.Format;
  std::printf("format tag: %u (%s)\n", f.FormatTag, TagName(f.FormatTag));
  if (f.FormatTag == kWaveFormatExtensible) {
    std::printf("sub-format: %u (%s), valid bits %u\n", f.SubFormat, TagName(f.SubFormat), f.ValidBits);
  }
  std::printf("channels: %u\nrate: %u\nbits: %u\nblock align: %u\ndata bytes: %zu\n", f.Channels, f.SamplesPerSec,
              f.BitsPerSample, f.BlockAlign, wave.Samples.size());
  std::printf("plays: %s\n", f.Playable() ? "yes, on Windows and on Linux" : "no: the scene keeps this slot silent");
  return 0;
}

}  // namespace lumora::tools

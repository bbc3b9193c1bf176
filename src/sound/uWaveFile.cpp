// RIFF WAVE files (see uWaveFile.h).
#include "sound/uWaveFile.h"

#include <algorithm>
#include <cstring>

#include "base/uByteOrder.h"
#include "base/uErrors.h"
#include "base/uLimits.h"
#include "platform/Platform.h"

namespace lumora {
namespace {

constexpr size_t kBasicFormatBytes = 16;
constexpr size_t kFormatExBytes = 18;  // the basic record plus its cbSize
// The tail every standard sub-format GUID shares after its 16-bit tag and two zero bytes.
constexpr uint8_t kGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

[[noreturn]] void Invalid() { throw EInOutError("Wave is invalid"); }

TWaveFormat ReadFormat(const uint8_t* p, size_t length) {
  if (length < kBasicFormatBytes) Invalid();
  TWaveFormat format;
  format.FormatTag = GetLe16(p);
  format.Channels = GetLe16(p + 2);
  format.SamplesPerSec = GetLe32(p + 4);
  format.AvgBytesPerSec = GetLe32(p + 8);
  format.BlockAlign = GetLe16(p + 12);
  format.BitsPerSample = GetLe16(p + 14);
  format.ValidBits = format.BitsPerSample;
  if (format.FormatTag == kWaveFormatExtensible && length >= 40) {
    format.ValidBits = GetLe16(p + 18);
    const uint8_t* guid = p + 24;
    if (guid[2] == 0 && guid[3] == 0 && std::memcmp(guid + 4, kGuidTail, sizeof kGuidTail) == 0) {
      format.SubFormat = GetLe16(guid);
    }
  }
  format.Record.assign(p, p + length);
  // A 16-byte record lacks the size field that the fuller records carry; it is 0.
  if (format.Record.size() < kFormatExBytes) format.Record.resize(kFormatExBytes, 0);
  return format;
}

}  // namespace

bool TWaveFormat::Playable() const {
  const uint16_t tag = SampleTag();
  const bool bitsKnown = tag == kWaveFormatPcm ? (BitsPerSample == 8 || BitsPerSample == 16 || BitsPerSample == 24 ||
                                                  BitsPerSample == 32)
                                               : tag == kWaveFormatFloat && BitsPerSample == 32;
  return bitsKnown && Channels > 0 && SamplesPerSec > 0 && BlockAlign == Channels * (BitsPerSample / 8);
}

TWaveFile ReadWave(const uint8_t* data, size_t size) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) Invalid();
  TWaveFile wave;
  bool haveFormat = false, haveData = false;
  size_t at = 12;
  while (size - at >= 8) {
    const uint8_t* header = data + at;
    const uint32_t length = GetLe32(header + 4);
    at += 8;
    if (length > size - at) Invalid();
    if (std::memcmp(header, "fmt ", 4) == 0) {
      wave.Format = ReadFormat(data + at, length);
      haveFormat = true;
    } else if (std::memcmp(header, "data", 4) == 0) {
      wave.Samples.assign(data + at, data + at + length);
      haveData = true;
    }
    at += length;
    if (length % 2 == 1 && at < size) ++at;  // the pad byte of an odd chunk
  }
  if (!haveFormat || !haveData) Invalid();
  return wave;
}

TWaveFile ReadWaveFile(const std::string& path) {
  platform::TFile file = platform::TFile::OpenRead(path);
  const int64_t size = file.IsOpen() ? file.Size() : -1;
  if (size < 0) throw EInOutError("Unable to read " + path);
  if (size > kMaxSoundFileBytes) {
    throw EInOutError(LimitMessage("The sound file " + path + " is", size, "bytes long", kMaxSoundFileBytes));
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (file.Read(bytes.data(), size) != size) throw EInOutError("Unable to read " + path);
  return ReadWave(bytes.data(), bytes.size());
}

}  // namespace lumora

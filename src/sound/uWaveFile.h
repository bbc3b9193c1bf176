// RIFF WAVE files, the scenes' sound effects: the wave format record and the samples.
//
// The 12-byte header must read "RIFF", a length, "WAVE"; then the chunks are walked by their
// 8-byte headers (identifier, 32-bit little-endian length), the pad byte after a chunk of odd
// length skipped. "fmt " gives the format record (as many bytes as its chunk says, at least the
// 16 of the basic record), "data" the samples; every other chunk is stepped over. A chunk that
// runs past the end of the file, or a file without "fmt " or "data", fails like a bad header:
// EInOutError("Wave is invalid"). Lengths are checked against the bytes that exist before
// anything is taken from them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumora {

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatFloat = 3;
inline constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

struct TWaveFormat {
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  uint32_t SamplesPerSec = 0;
  uint32_t AvgBytesPerSec = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
  // WAVE_FORMAT_EXTENSIBLE: the sub-format's tag (PCM or float when its GUID is the standard one,
  // else 0) and the valid bits of each sample.
  uint16_t SubFormat = 0;
  uint16_t ValidBits = 0;
  std::vector<uint8_t> Record;  // the "fmt " chunk as stored, at least 18 bytes (cbSize 0 added)

  // PCM of 8, 16, 24 or 32 bits or 32-bit float, plain or extensible, with a block of whole
  // samples: what both systems play. Anything else (ADPCM, mu-law, ...) is refused by the loaders.
  bool Playable() const;
  // The tag that says how samples are stored: the sub-format's for an extensible record.
  uint16_t SampleTag() const { return FormatTag == kWaveFormatExtensible ? SubFormat : FormatTag; }
};

struct TWaveFile {
  TWaveFormat Format;
  std::vector<uint8_t> Samples;
};

TWaveFile ReadWave(const uint8_t* data, size_t size);
// The whole file read first; one that cannot be read is EInOutError("Unable to read <path>"),
// one of more than kMaxSoundFileBytes is refused before it is read.
TWaveFile ReadWaveFile(const std::string& path);

}  // namespace lumora

// The project file reader.
//
// Layout (integers 32-bit little-endian; a counted text is its length then its bytes):
//   magic "VX060697" | title | description | thumbnail JPEG (size, bytes) | a discarded count |
//   wave records 0..3 (4 x 32 bytes) | region runs (count K, K integers) | background JPEG |
//   single sound path | weather (24 bytes) | optional tail: 8 sound slots (8 x 268 bytes),
//   object sections, build settings, further wave count M and M records.
// Fields up to the weather record must be there; the tail keeps whatever could be read.
//
// Every length or size read from the file is checked against its limit (base/uLimits.h) and the
// bytes left before anything is allocated for it, so a hostile file cannot demand large amounts
// of memory: a short one claims bytes it does not hold, a long one more than any scene needs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/uLimits.h"
#include "base/uRegionColors.h"
#include "platform/Platform.h"
#include "project/uVXProject.h"

namespace lumora {

inline constexpr const char* kProjectMagic = "VX060697";

// Sizes `mask` (32-bit) from values 0 and 1 of `runs` and fills it from the run values: v div 10
// pixels of colour index v mod 10, row by row from the top. Colour indices 7 to 9 mean no
// region. Throws EInOutError for fewer than two values, an unusable size, a negative run, or
// runs that would write below the last row.
void DecodeRegionMask(const std::vector<int32_t>& runs, TBitmap& mask);

// A read-only byte reader over one open file; every read delivers exactly what it asks for or
// throws EInOutError.
class TMyStream {
 public:
  explicit TMyStream(const std::string& fileName);

  void ReadBuffer(void* buffer, int64_t count);
  int32_t ReadInteger();
  std::string ReadMagic(int length);
  // A 32-bit length, then that many bytes. A length above `limit` throws EInOutError("The
  // <what> is N bytes long; at most <limit> are allowed"); the default is the largest any field
  // of a project file may be, a stored picture's.
  std::string ReadCountedText(int64_t limit = kMaxPictureFileBytes, const char* what = "counted text");
  // Sizes `stream` to `count` bytes and reads them straight into it; `limit` and `what` as above.
  void ReadToStream(std::vector<uint8_t>& stream, int32_t count, int64_t limit = kMaxPictureFileBytes,
                    const char* what = "picture");

  int64_t Position() const { return position_; }
  int64_t Remaining() const { return size_ - position_; }
  bool AtEnd() const { return position_ >= size_; }

 private:
  // Throws unless `count` bytes (non-negative) are left.
  void Require(int64_t count, const char* what) const;
  // Throws unless `count` is within `limit` and that many bytes are left.
  void RequireWithin(int64_t count, int64_t limit, const char* what) const;

  platform::TFile file_;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

class TFileLoader {
 public:
  TFileLoader();

  // Reads the whole file; throws on a bad magic ("Incorrect Project File!"), a read error or a
  // length beyond its limit in the mandatory fields, or a picture that cannot be decoded.
  void LoadFromFile(const std::string& fileName);

  std::array<TWaveParam, kWaveCount> Waves;
  std::array<uint8_t, TWeatherParam::kSize> WeatherRecord{};
  std::array<uint8_t, kSoundSlotCount * SoundSlot::kSize> SoundSlots{};
  std::vector<int32_t> Runs;
  TBitmap Thumbnail;   // decoded, 32-bit
  TBitmap Background;  // decoded, 32-bit
  std::string Title;
  std::string Description;
  std::string SingleSoundPath;
  std::string ObjectText;
  std::string BuildSettings;
};

}  // namespace lumora

// The project file reader (see uFileIO.h).
#include "project/uFileIO.h"
#include "base/uByteOrder.h"

#include <algorithm>
#include <cstring>

#include "base/uErrors.h"
#include "surface/uCodecs.h"

namespace lumora {

// ---- Region mask ----

void DecodeRegionMask(const std::vector<int32_t>& runs, TBitmap& mask) {
  if (runs.size() < 2) throw EInOutError("The region runs hold no mask size");
  const int32_t width = runs[0];
  const int32_t height = runs[1];
  if (width < 0 || height < 0) throw EInOutError("The region mask has a negative size");
  CheckPictureSize(width, height, "region mask");
  mask.SetPixelFormat(TPixelFormat::pf32bit);
  mask.SetSize(width, height);
  if (runs.size() < 3) return;

  // (row, x) as the format counts them: x is the number of pixels written into the current row.
  int64_t row = 0;
  int64_t x = 0;
  for (size_t i = 2; i < runs.size(); ++i) {
    const int32_t value = runs[i];
    if (value < 0) throw EInOutError("The region mask has a negative run");
    const int k = value % 10;
    const uint32_t color = k <= 6 ? RegionColors[static_cast<size_t>(k)] : 0;  // 7..9: no region
    int64_t n = value / 10;
    while (n > 0) {
      if (x >= width) {  // the row is full (or has no room at all): go on in the next one
        ++row;
        x = 0;
      }
      if (row >= height || width == 0) throw EInOutError("The region runs write below the mask");
      const int64_t take = std::min<int64_t>(n, width - x);
      uint32_t* pixels = mask.Pixels32(static_cast<int32_t>(row));
      std::fill(pixels + x, pixels + x + take, color);
      x += take;
      n -= take;
    }
  }
}

// ---- TMyStream ----

TMyStream::TMyStream(const std::string& fileName) : file_(platform::TFile::OpenRead(fileName)) {
  if (!file_.IsOpen()) throw EInOutError("Cannot open file \"" + fileName + "\"");
  size_ = file_.Size();
  if (size_ < 0) throw EInOutError("Cannot read file \"" + fileName + "\"");
}

void TMyStream::Require(int64_t count, const char* what) const {
  if (count < 0) throw EInOutError(std::string("Negative ") + what + " in the project file");
  if (count > Remaining()) throw EInOutError(std::string(what) + " runs past the end of the project file");
}

void TMyStream::RequireWithin(int64_t count, int64_t limit, const char* what) const {
  if (count > limit) throw EInOutError(LimitMessage(std::string("The ") + what + " is", count, "bytes long", limit));
  Require(count, what);
}

void TMyStream::ReadBuffer(void* buffer, int64_t count) {
  Require(count, "Read");
  if (file_.Read(buffer, count) != count) throw EInOutError("Stream read error");
  position_ += count;
}

int32_t TMyStream::ReadInteger() {
  uint8_t bytes[4];
  ReadBuffer(bytes, 4);
  return GetLeInt32(bytes);
}

std::string TMyStream::ReadMagic(int length) {
  std::string magic(static_cast<size_t>(length), '\0');
  ReadBuffer(magic.data(), length);
  return magic;
}

std::string TMyStream::ReadCountedText(int64_t limit, const char* what) {
  const int32_t length = ReadInteger();
  RequireWithin(length, limit, what);
  std::string text(static_cast<size_t>(length), '\0');
  ReadBuffer(text.data(), length);
  return text;
}

void TMyStream::ReadToStream(std::vector<uint8_t>& stream, int32_t count, int64_t limit, const char* what) {
  RequireWithin(count, limit, what);
  stream.resize(static_cast<size_t>(count));
  ReadBuffer(stream.data(), count);
}

// ---- TFileLoader ----

TFileLoader::TFileLoader() {
  Thumbnail.SetPixelFormat(TPixelFormat::pf32bit);
  Background.SetPixelFormat(TPixelFormat::pf32bit);
}

void TFileLoader::LoadFromFile(const std::string& fileName) {
  Waves.fill(TWaveParam::Defaults());
  std::vector<uint8_t> memory;  // one buffer for both pictures
  TMyStream stream(fileName);

  if (stream.ReadMagic(8) != kProjectMagic) {
    throw EInOutError("Incorrect Project File!");
  }
  Title = stream.ReadCountedText(kMaxProjectTextBytes, "title");
  Description = stream.ReadCountedText(kMaxProjectTextBytes, "description");

  stream.ReadToStream(memory, stream.ReadInteger(), kMaxPictureFileBytes, "thumbnail");
  DecodeJpeg(memory.data(), memory.size(), Thumbnail);
  memory.clear();

  stream.ReadInteger();  // the count of the four records below, always four
  for (int i = 0; i < 4; ++i) stream.ReadBuffer(Waves[static_cast<size_t>(i)].Record.data(), TWaveParam::kSize);

  const int32_t runCount = stream.ReadInteger();
  if (runCount > kMaxRegionRuns) {
    throw EInOutError(LimitMessage("The region mask has", runCount, "runs", kMaxRegionRuns));
  }
  if (runCount < 0 || static_cast<int64_t>(runCount) * 4 > stream.Remaining()) {
    throw EInOutError("The region runs run past the end of the project file");
  }
  Runs.resize(static_cast<size_t>(runCount));
  for (int32_t& run : Runs) run = stream.ReadInteger();

  stream.ReadToStream(memory, stream.ReadInteger(), kMaxPictureFileBytes, "background picture");
  DecodeJpeg(memory.data(), memory.size(), Background);
  memory.clear();
  memory.shrink_to_fit();

  SingleSoundPath = stream.ReadCountedText(kMaxProjectTextBytes, "single sound path");
  stream.ReadBuffer(WeatherRecord.data(), TWeatherParam::kSize);

  // The optional tail: whatever could be read stands, also when a length passes its limit.
  try {
    if (!stream.AtEnd()) stream.ReadBuffer(SoundSlots.data(), static_cast<int64_t>(SoundSlots.size()));
    ObjectText = stream.ReadCountedText(kMaxObjectTextBytes, "object text");
    BuildSettings = stream.ReadCountedText(kMaxProjectTextBytes, "build settings");
    const int32_t further = stream.ReadInteger();
    // Only four more records fit beside the first four; a larger count reads four.
    for (int32_t i = 0; i < std::min(further, 4); ++i) {
      stream.ReadBuffer(Waves[static_cast<size_t>(4 + i)].Record.data(), TWaveParam::kSize);
    }
  } catch (const std::exception&) {}
}

}  // namespace lumora

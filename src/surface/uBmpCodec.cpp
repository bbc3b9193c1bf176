// Windows bitmaps. stb_image reads every depth but one; 32-bit files are read here.
//
// stb_image does not keep a 32-bit file's alpha bytes as they are: when every alpha byte is 0 it
// makes them all 255, and for BI_BITFIELDS files with a 40-byte header (or a V4/V5 header whose
// alpha mask is 0) it ignores them and gives 255. A 32-bit bitmap must keep the alpha bytes of its
// file, so those files are parsed here: the file header, the info header (40 to 124 bytes), the
// colour masks, and the rows bottom-up or top-down.
#include <cstring>
#include <string>

#include "base/uByteOrder.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS lumora::kMaxPictureSide
#include "surface/uStbImage.h"

namespace lumora {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// One channel of a pixel through its mask, scaled to 0..255. Masks need not be contiguous or 8
// bits wide; a zero mask gives 0.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;

  explicit TChannel(uint32_t mask) : Mask(mask) {
    if (mask == 0) return;
    while ((mask >> Shift & 1) == 0) ++Shift;
    Max = mask >> Shift;
  }
  uint8_t Of(uint32_t pixel) const {
    if (Max == 0) return 0;
    return static_cast<uint8_t>((static_cast<uint64_t>((pixel & Mask) >> Shift) * 255 + Max / 2) / Max);
  }
};

struct TBmp32Layout {
  int32_t Width = 0;
  int32_t Height = 0;
  bool TopDown = false;
  size_t PixelOffset = 0;
  uint32_t Masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};  // red, green, blue, alpha
};

// The header of a 32-bit file, every offset and size proven inside the data.
TBmp32Layout ReadBmp32Header(const uint8_t* data, size_t size) {
  const uint8_t* info = data + kFileHeaderBytes;
  const uint32_t infoSize = GetLe32(info);
  if (infoSize < 40 || infoSize > 124 || kFileHeaderBytes + infoSize > size)
    throw EPictureError("BMP: unsupported header");
  TBmp32Layout layout;
  const auto width = static_cast<int32_t>(GetLe32(info + 4));
  const auto height = static_cast<int32_t>(GetLe32(info + 8));
  if (width <= 0 || height == 0 || height == INT32_MIN) throw EPictureError("BMP: bad picture size");
  layout.Width = width;
  layout.TopDown = height < 0;
  layout.Height = height < 0 ? -height : height;
  CheckPictureSize(layout.Width, layout.Height, "bitmap");

  const uint32_t compression = GetLe32(info + 16);
  if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
    // Masks follow a 40-byte header and are part of the longer ones; the alpha mask exists with
    // BI_ALPHABITFIELDS or a header of 56 bytes or more.
    const bool alphaMask = compression == kBiAlphaBitfields || infoSize >= 56;
    const size_t count = alphaMask ? 4 : 3;
    if (kFileHeaderBytes + 40 + 4 * count > size) throw EPictureError("BMP: header truncated");
    for (size_t i = 0; i < count; ++i) layout.Masks[i] = GetLe32(info + 40 + 4 * i);
    // Without an alpha mask the file's alpha bytes are the bits that no colour mask uses.
    if (!alphaMask || layout.Masks[3] == 0) {
      layout.Masks[3] = (layout.Masks[0] | layout.Masks[1] | layout.Masks[2]) & 0xFF000000 ? 0 : 0xFF000000;
    }
  } else if (compression != kBiRgb) {
    throw EPictureError("BMP: unsupported compression");
  }

  layout.PixelOffset = GetLe32(data + 10);
  const uint64_t pixelBytes = uint64_t{4} * static_cast<uint64_t>(layout.Width) * static_cast<uint64_t>(layout.Height);
  if (layout.PixelOffset > size || pixelBytes > size - layout.PixelOffset)
    throw EPictureError("BMP: pixel data truncated");
  return layout;
}

void DecodeBmp32(const uint8_t* data, size_t size, TBitmap32& surface) {
  const TBmp32Layout layout = ReadBmp32Header(data, size);
  const TChannel red(layout.Masks[0]), green(layout.Masks[1]), blue(layout.Masks[2]);
  const TChannel alpha(layout.Masks[3]);
  const bool alphaByMask = layout.Masks[3] != 0;
  surface.SetSize(layout.Width, layout.Height);
  for (int32_t y = 0; y < layout.Height; ++y) {
    const int32_t fileRow = layout.TopDown ? y : layout.Height - 1 - y;
    const uint8_t* source =
        data + layout.PixelOffset + static_cast<size_t>(fileRow) * 4 * static_cast<size_t>(layout.Width);
    TColor32* target = surface.ScanLine(y);
    for (int32_t x = 0; x < layout.Width; ++x, source += 4) {
      const uint32_t pixel = GetLe32(source);
      target[x] = Color32(red.Of(pixel), green.Of(pixel), blue.Of(pixel), alphaByMask ? alpha.Of(pixel) : 255);
    }
  }
}

struct TStbPixels {
  stbi_uc* Pixels = nullptr;
  ~TStbPixels() { stbi_image_free(Pixels); }
};

void DecodeBmpOther(const uint8_t* data, size_t size, TBitmap32& surface) {
  if (size > INT32_MAX) throw EPictureError("BMP: too many bytes");
  const int length = static_cast<int>(size);
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(data, length, &width, &height, &channels)) throw EPictureError("BMP: unreadable header");
  if (width <= 0 || height <= 0) throw EPictureError("BMP: bad picture size");  // stb decodes 0 x N
  CheckPictureSize(width, height, "bitmap");
  // stb_image reads zeros past the end of the data, so a few header bytes could make it allocate
  // and fill hundreds of megabytes; the rows must be in the file first.
  const uint8_t* info = data + kFileHeaderBytes;
  const int bits = GetLe32(info) == 12 ? GetLe16(info + 10) : GetLe16(info + 14);
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * static_cast<uint64_t>(bits) + 31) / 32 * 4;
  const uint64_t offset = GetLe32(data + 10);
  if (offset > size || rowBytes * static_cast<uint64_t>(height) > size - offset)
    throw EPictureError("BMP: pixel data truncated");
  TStbPixels decoded;
  decoded.Pixels = stbi_load_from_memory(data, length, &width, &height, &channels, 3);
  if (decoded.Pixels == nullptr) throw EPictureError("BMP: unreadable picture");
  surface.SetSize(width, height);
  const stbi_uc* source = decoded.Pixels;
  for (int32_t y = 0; y < height; ++y) {
    TColor32* target = surface.ScanLine(y);
    for (int32_t x = 0; x < width; ++x, source += 3) target[x] = Color32(source[0], source[1], source[2], 255);
  }
}

}  // namespace

void DecodeBmp(const uint8_t* data, size_t size, TBitmap32& surface) {
  if (data == nullptr || size < kFileHeaderBytes + 16 || data[0] != 'B' || data[1] != 'M') {
    throw EPictureError("BMP: not a Windows bitmap");
  }
  const uint8_t* info = data + kFileHeaderBytes;
  // Every header but the 12-byte OS/2 one keeps the depth at offset 14 of the info header.
  const bool deep = GetLe32(info) >= 40 && GetLe16(info + 14) == 32;
  if (deep) {
    DecodeBmp32(data, size, surface);
  } else {
    DecodeBmpOther(data, size, surface);
  }
}

}  // namespace lumora

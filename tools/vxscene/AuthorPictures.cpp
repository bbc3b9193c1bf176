// The pictures of a scene folder (see AuthorPictures.h). PNG files are decoded by stb_image;
// the palette of a palette PNG, which stb_image does not hand out, is read from its chunks.
#include "AuthorPictures.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <unordered_map>

#include "base/uLimits.h"
#include "base/uRegionColors.h"
#include "surface/uCodecs.h"

#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS lumora::kMaxPictureSide
#include "surface/uStbImage.h"

namespace lumora::tools {
namespace {

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr int32_t kThumbnailWidth = 80;
constexpr int32_t kThumbnailHeight = 60;

const uint8_t* Data(const std::string& bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }

uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}

void DecodePng(const std::string& bytes, TBitmap32& surface) {
  if (bytes.size() > INT32_MAX) throw EPictureError("PNG: too many bytes");
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(Data(bytes), static_cast<int>(bytes.size()), &width, &height, &channels)) {
    throw EPictureError("PNG: unreadable header");
  }
  CheckPictureSize(width, height, "PNG");
  stbi_uc* pixels = stbi_load_from_memory(Data(bytes), static_cast<int>(bytes.size()), &width, &height, &channels, 4);
  if (pixels == nullptr) throw EPictureError("PNG: unreadable picture");
  surface.SetSize(width, height);
  const stbi_uc* source = pixels;
  for (int32_t y = 0; y < height; ++y) {
    TColor32* row = surface.ScanLine(y);
    for (int32_t x = 0; x < width; ++x, source += 4) row[x] = Color32(source[0], source[1], source[2], source[3]);
  }
  stbi_image_free(pixels);
}

// The colours of a palette PNG's entries as decoded (alpha from its "tRNS" chunk, else 255);
// nullopt for any other PNG. The chunks before the pixel data are walked, nothing more.
std::optional<std::vector<TColor32>> PngPalette(const std::string& bytes) {
  constexpr size_t kColourTypeAt = 25;  // signature, IHDR's length and name, width, height, depth
  if (bytes.size() <= kColourTypeAt || bytes[kColourTypeAt] != 3) return std::nullopt;
  std::vector<TColor32> palette;
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const uint32_t length = BigEndian32(Data(bytes) + at);
    const std::string name = bytes.substr(at + 4, 4);
    if (length > bytes.size() - at - 12 || name == "IDAT") break;
    const uint8_t* data = Data(bytes) + at + 8;
    if (name == "PLTE") {
      for (uint32_t i = 0; i + 3 <= length; i += 3) palette.push_back(Color32(data[i], data[i + 1], data[i + 2]));
    } else if (name == "tRNS") {
      for (uint32_t i = 0; i < length && i < palette.size(); ++i) {
        palette[i] = (palette[i] & 0x00FFFFFF) | static_cast<TColor32>(data[i]) << 24;
      }
    }
    at += 12 + length;
  }
  return palette;
}

std::string PixelPlace(const std::string& place, int32_t x, int32_t y) {
  return place + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

// By colour: 0..6, or -1 for a pixel that is neither black nor a region colour.
int RegionOfColour(TColor32 pixel) {
  if (AlphaOf(pixel) == 0) return 0;
  if (AlphaOf(pixel) != 255) return -1;
  const uint32_t rgb = pixel & 0x00FFFFFF;
  for (size_t k = 0; k < RegionColors.size(); ++k) {
    if (RegionColors[k] == rgb) return static_cast<int>(k);
  }
  return -1;
}

std::vector<uint8_t> RegionsByIndex(const TBitmap32& picture, const std::vector<TColor32>& palette,
                                    const std::string& place) {
  struct TEntries {
    size_t First = 0;
    std::optional<size_t> Second;  // another entry of the same colour
  };
  std::unordered_map<TColor32, TEntries> byColour;
  for (size_t i = 0; i < palette.size(); ++i) {
    auto [found, added] = byColour.try_emplace(palette[i], TEntries{i, std::nullopt});
    if (!added && !found->second.Second) found->second.Second = i;
  }
  std::vector<uint8_t> regions;
  regions.reserve(static_cast<size_t>(picture.Width()) * static_cast<size_t>(picture.Height()));
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) {
      const auto found = byColour.find(picture.PixelAt(x, y));
      if (found != byColour.end() && found->second.Second) {
        throw std::runtime_error(PixelPlace(place, x, y) + ": palette entries " + std::to_string(found->second.First) +
                                 " and " + std::to_string(*found->second.Second) +
                                 " share its colour, so its index is unclear; give every entry a colour of its own");
      }
      if (found == byColour.end() || found->second.First > 6) {
        throw std::runtime_error(PixelPlace(place, x, y) + " has palette index " +
                                 (found == byColour.end() ? std::string("?") : std::to_string(found->second.First)) +
                                 "; regions are indices 1 to 6, 0 is no water");
      }
      regions.push_back(static_cast<uint8_t>(found->second.First));
    }
  }
  return regions;
}

}  // namespace

TPictureKind PictureKindOf(const std::string& bytes) {
  if (bytes.rfind("\xFF\xD8\xFF", 0) == 0) return TPictureKind::Jpeg;
  if (bytes.rfind(std::string(kPngSignature, 8), 0) == 0) return TPictureKind::Png;
  if (bytes.rfind("BM", 0) == 0) return TPictureKind::Bmp;
  return TPictureKind::Unknown;
}

std::string ExtensionOf(TPictureKind kind) {
  switch (kind) {
    case TPictureKind::Jpeg: return ".jpg";
    case TPictureKind::Png: return ".png";
    case TPictureKind::Bmp: return ".bmp";
    default: return "";
  }
}

void DecodePicture(const std::string& bytes, TBitmap32& surface) {
  switch (PictureKindOf(bytes)) {
    case TPictureKind::Jpeg: {
      TBitmap decoded;
      decoded.SetPixelFormat(TPixelFormat::pf32bit);
      DecodeJpeg(Data(bytes), bytes.size(), decoded);
      surface.Assign(decoded);
      break;
    }
    case TPictureKind::Png: DecodePng(bytes, surface); break;
    case TPictureKind::Bmp: DecodeBmp(Data(bytes), bytes.size(), surface); break;
    default: throw EPictureError("not a JPEG, PNG or BMP picture");
  }
}

void MakeThumbnail(TBitmap32& background, TBitmap32& thumbnail) {
  // The larger of the two scales that fit, so one side fills its limit.
  const int64_t w = background.Width(), h = background.Height();
  const bool wide = w * kThumbnailHeight >= h * kThumbnailWidth;
  const auto width = static_cast<int32_t>(wide ? kThumbnailWidth : std::max<int64_t>(1, w * kThumbnailHeight / h));
  const auto height = static_cast<int32_t>(wide ? std::max<int64_t>(1, h * kThumbnailWidth / w) : kThumbnailHeight);
  thumbnail.SetSize(width, height);
  background.StretchFilter = TStretchFilter::sfDraft;
  thumbnail.Draw(Rect(0, 0, width, height), Rect(0, 0, background.Width(), background.Height()), background);
}

std::string ColorName(uint32_t pixel) {
  char name[8];
  std::snprintf(name, sizeof name, "#%06X", pixel & 0x00FFFFFFu);
  return name;
}

void RegionPicture(const TBitmap& mask, TBitmap32& picture) {
  picture.SetSize(mask.Width(), mask.Height());
  for (int32_t y = 0; y < mask.Height(); ++y) {
    const uint32_t* row = mask.Pixels32(y);
    for (int32_t x = 0; x < mask.Width(); ++x) {
      picture.PixelAt(x, y) = RegionColors[static_cast<size_t>(RegionColorToIndex(row[x]))] | 0xFF000000u;
    }
  }
}

std::vector<uint8_t> ReadRegionPicture(const std::string& bytes, const std::string& place, int32_t width,
                                       int32_t height) {
  if (PictureKindOf(bytes) != TPictureKind::Png) throw std::runtime_error(place + ": not a PNG picture");
  TBitmap32 picture;
  try {
    DecodePng(bytes, picture);
  } catch (const EPictureError& error) {
    throw std::runtime_error(place + ": " + error.what());
  }
  if (picture.Width() != width || picture.Height() != height) {
    throw std::runtime_error(place + ": " + std::to_string(picture.Width()) + " x " + std::to_string(picture.Height()) +
                             ", but the background is " + std::to_string(width) + " x " + std::to_string(height));
  }
  std::vector<uint8_t> regions;
  regions.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const TColor32 pixel = picture.PixelAt(x, y);
      const int region = RegionOfColour(pixel);
      if (region >= 0) {
        regions.push_back(static_cast<uint8_t>(region));
        continue;
      }
      if (std::optional<std::vector<TColor32>> palette = PngPalette(bytes))
        return RegionsByIndex(picture, *palette, place);
      throw std::runtime_error(PixelPlace(place, x, y) + " is " + ColorName(pixel) +
                               (AlphaOf(pixel) == 255 ? "" : " and partly transparent") +
                               ", neither black nor a region colour (see regionColors in scene.json)");
    }
  }
  return regions;
}

}  // namespace lumora::tools

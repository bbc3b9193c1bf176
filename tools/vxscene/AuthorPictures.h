// The pictures of a scene folder: the background and thumbnail an author brings (JPEG, PNG or
// BMP), and regions.png, the region mask painted as a picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"

namespace lumora::tools {

enum class TPictureKind { Unknown, Jpeg, Png, Bmp };

// By the first bytes, whatever the file is called.
TPictureKind PictureKindOf(const std::string& bytes);
// ".jpg", ".png", ".bmp"; empty for Unknown.
std::string ExtensionOf(TPictureKind kind);

// Decodes a JPEG, PNG or BMP picture (PNG keeps its alpha, the others give 255). Throws
// EPictureError with the reason.
void DecodePicture(const std::string& bytes, TBitmap32& surface);

// A small picture of `background` for the scene's thumbnail: fitted into 80 x 60, proportions
// kept, drawn with the averaging filter (which this sets on `background`).
void MakeThumbnail(TBitmap32& background, TBitmap32& thumbnail);

// "#RRGGBB" of a pixel value's red, green and blue.
std::string ColorName(uint32_t pixel);

// The region mask as a picture: every pixel in the colour of its region, black where there is none.
void RegionPicture(const TBitmap& mask, TBitmap32& picture);

// The region index (0 none, 1..6) of every pixel of a painted regions picture, row by row. A
// picture whose pixels are all black or region colours is read by colour (a fully transparent
// pixel counts as black); any other palette picture by its palette indices, 0 to 6. Throws
// std::runtime_error "<place>: ..." naming the first pixel that is neither, or a size other
// than `width` x `height`.
std::vector<uint8_t> ReadRegionPicture(const std::string& bytes, const std::string& place, int32_t width,
                                       int32_t height);

}  // namespace lumora::tools

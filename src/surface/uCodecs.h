// Picture codecs: JPEG (libjpeg-turbo), GIF (giflib), Windows bitmaps (stb_image), PNG writing
// (stb_image_write), and still pictures chosen by file extension.
//
// Every decoder checks the picture's size before it allocates, against the limits of
// base/uLimits.h (kMaxPictureSide per side, kMaxPicturePixels in all). Every failure raises
// EPictureError with one short message saying what is wrong; no decoder crashes on hostile bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/uErrors.h"
#include "base/uLimits.h"

namespace lumora {

class TBitmap;
class TBitmap32;
struct TRect;

// Throws EPictureError when a picture of that size must be refused: "The <what> is 20000 pixels
// wide; at most 16384 are allowed" (or high, or holds too many pixels, or a negative size).
void CheckPictureSize(int64_t width, int64_t height, const char* what);

// ---- JPEG ----

// Decodes at full scale into `bitmap`, which keeps its pixel format: 32-bit pixels get alpha
// 255 (greyscale and CMYK pictures included). The bitmap's size becomes the picture's; on
// failure the bitmap is left as it was.
void DecodeJpeg(const uint8_t* data, size_t size, TBitmap& bitmap);
// Encodes the surface's red, green and blue (quality 1..100).
std::string EncodeJpeg(const TBitmap32& surface, int quality = 90);

// ---- GIF ----

struct TGifColor {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  friend constexpr bool operator==(const TGifColor&, const TGifColor&) = default;
};

// The graphic control block of a frame, as stored.
struct TGifControl {
  int Disposal = 0;              // 0..7
  bool TransparentFlag = false;  // the block's own flag
  uint8_t TransparentIndex = 0;  // the stored index byte, whether or not the flag is set
  uint16_t Delay = 0;            // hundredths of a second
};

struct TGifFrame {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;  // on the logical screen
  std::vector<TGifColor> LocalColors;                // empty: use the global table
  std::vector<uint8_t> Indices;                      // Width * Height, rows top-down (de-interlaced)
  bool HasControl = false;
  TGifControl Control;
  bool HasLoop = false;    // a "NETSCAPE2.0" or "ANIMEXTS1.0" extension is attached to this frame
  uint16_t LoopCount = 0;  // its count; 0 means endless
};

struct TGifImage {
  int32_t Width = 0, Height = 0;  // the logical screen
  std::vector<TGifColor> GlobalColors;
  uint8_t BackgroundIndex = 0;
  std::vector<TGifFrame> Frames;  // in file order
};

// Decodes a whole GIF. A file whose later frames are damaged, or would pass kMaxGifFrames or
// kMaxGifTotalPixels, keeps the frames decoded before them; a file without a single decodable
// frame raises EPictureError.
TGifImage DecodeGif(const uint8_t* data, size_t size);
TGifImage DecodeGifFile(const std::string& fileName);
// Writes a GIF89a with the global table, every frame (local tables, control blocks) and a
// "NETSCAPE2.0" extension before each frame that carries HasLoop. Colour tables are padded with
// black to a power of two (2 to 256 entries). Frames without pixels, without any colour table, or
// with a rectangle outside 0..65535 cannot be written and raise EPictureError.
std::string EncodeGif(const TGifImage& gif);

// The colour index frame covers at logical-screen point (x, y); -1 where it covers none (outside
// its rectangle, or in rows a frame cut short lacks).
int GifFrameIndexAt(const TGifFrame& frame, int32_t x, int32_t y);
// The colour of `index` in the frame's table (its own, else the global one); black past its end.
TGifColor GifFrameColor(const TGifImage& gif, const TGifFrame& frame, int index);

// Paints frame `index` onto `target` at its place on the logical screen (whose origin is the
// target's), within `clip` and the target, leaving out its transparent pixels when
// `transparency` is on and its control block marks them. Painted pixels get alpha `alpha`.
void PaintGifFrame(const TGifImage& gif, int index, TBitmap32& target, const TRect& clip, bool transparency,
                   uint8_t alpha);

// The still-picture rule: the logical screen filled with the background colour of the global
// table (black without one), frame 0 painted over it leaving its transparent pixels out, every
// pixel alpha 255.
void GifFirstFrame(const TGifImage& gif, TBitmap32& surface);

// ---- Windows bitmaps ----

// Decodes a .bmp file's bytes; a 32-bit bitmap keeps the alpha bytes of its file, every other
// depth gives alpha 255. On failure the surface is left as it was.
void DecodeBmp(const uint8_t* data, size_t size, TBitmap32& surface);

// ---- Still pictures ----

// By the extension of `fileName`, without regard to letter case: "jpg"/"jpeg", "bmp", "gif"
// (first frame). Throws EPictureError for other extensions, unreadable files or bad content.
// On failure the surface is left as it was.
void LoadPicture(const std::string& fileName, TBitmap32& surface);
// A whole picture file's bytes; EPictureError when it cannot be read or holds more than
// kMaxPictureFileBytes (refused before anything is read).
std::string ReadPictureFile(const std::string& fileName);

// ---- PNG ----

// 8-bit RGB, alpha dropped (tools and tests).
std::string EncodePng(const TBitmap32& surface);
void WritePng(const std::string& fileName, const TBitmap32& surface);

}  // namespace lumora

// The drawing surface: 32-bit ARGB pixels and the operations every picture of the system uses.
//
// A pixel (`TColor32`) holds alpha in bits 24..31, then red, green, blue; in memory blue, green,
// red, alpha, the layout of a 32-bit device-independent bitmap row. The blend formulas are
// integer-only constexpr functions so that they are tested without a surface. Every drawing
// operation has one shape: clip to the surface and its clip rectangle, return early when
// nothing is left, then a plain row loop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/uLargeAllocator.h"

namespace lumora {

using TColor32 = uint32_t;

constexpr TColor32 Color32(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255) {
  return static_cast<TColor32>(alpha) << 24 | static_cast<TColor32>(red) << 16 | static_cast<TColor32>(green) << 8 |
         blue;
}

// A Windows colour value $00BBGGRR made an opaque pixel; a negative value names system colour
// number (value & 0xFF), resolved through the platform's system colour table first.
TColor32 Color32(int32_t windowsColor);

constexpr uint8_t AlphaOf(TColor32 c) { return static_cast<uint8_t>(c >> 24); }
constexpr uint8_t RedOf(TColor32 c) { return static_cast<uint8_t>(c >> 16); }
constexpr uint8_t GreenOf(TColor32 c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(TColor32 c) { return static_cast<uint8_t>(c); }

// Each of the four channels moves from b toward f by a / 256, rounded:
// (b * 256 + 128 + (f - b) * a) >> 8 = (b * (256 - a) + f * a + 128) >> 8. Two channels share
// each multiply: a 16-bit lane holds at most 255 * 256 + 128, so lanes never carry into each other.
constexpr TColor32 MixChannels(TColor32 f, TColor32 b, uint32_t a) {
  const uint32_t keep = 256 - a;
  const uint32_t blueRed = (((b & 0xFF00FF) * keep + (f & 0xFF00FF) * a + 0x800080) >> 8) & 0xFF00FF;
  const uint32_t greenAlpha = ((b >> 8 & 0xFF00FF) * keep + (f >> 8 & 0xFF00FF) * a + 0x800080) & 0xFF00FF00;
  return blueRed | greenAlpha;
}

// F blended onto B by F's own alpha (the destination alpha is blended by the same rule).
// $80FFFFFF onto $00000000 gives $40808080.
constexpr TColor32 BlendColor(TColor32 f, TColor32 b) {
  const uint32_t a = AlphaOf(f);
  if (a == 0) return b;
  if (a == 255) return f;
  return MixChannels(f, b, a);
}

// F blended onto B with its alpha first scaled by a weight 0..255: a = ((w + 1) * alpha) >> 8;
// no shortcut at 255. Used for coverage (polygons) and master alpha.
constexpr TColor32 BlendColorWeighted(TColor32 f, TColor32 b, uint32_t weight) {
  if (AlphaOf(f) == 0) return b;
  const uint32_t a = ((weight + 1) * AlphaOf(f)) >> 8;
  if (a == 0) return b;
  return MixChannels(f, b, a);
}

// A point in 16.16 fixed point.
struct TFixedPoint {
  int32_t X = 0;
  int32_t Y = 0;
};
constexpr TFixedPoint FixedPoint(int32_t x, int32_t y) { return {x * 65536, y * 65536}; }

// Left and top inside, right and bottom outside.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  constexpr int32_t Width() const { return Right - Left; }
  constexpr int32_t Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};
constexpr TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) { return {left, top, right, bottom}; }
// The part of `a` inside `b` (empty when they do not meet).
constexpr TRect Intersection(const TRect& a, const TRect& b) {
  return Rect(a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top, a.Right < b.Right ? a.Right : b.Right,
              a.Bottom < b.Bottom ? a.Bottom : b.Bottom);
}
// The smallest rectangle holding both; an empty one counts as nothing.
constexpr TRect Bounds(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return Rect(a.Left < b.Left ? a.Left : b.Left, a.Top < b.Top ? a.Top : b.Top, a.Right > b.Right ? a.Right : b.Right,
              a.Bottom > b.Bottom ? a.Bottom : b.Bottom);
}

enum class TDrawMode { dmOpaque, dmBlend, dmCustom, dmTransparent };
enum class TCombineMode { cmBlend };  // the only one the system uses
enum class TStretchFilter { sfNearest, sfDraft };

// (F: source pixel, B: destination pixel to replace, M: the source's master alpha).
using TPixelCombineEvent = std::function<void(TColor32 f, TColor32& b, TColor32 m)>;
// The same for a row of N pixels at once. An owner that can combine a whole row sets it beside
// OnPixelCombine, and a custom draw then makes one call a row instead of one a pixel; the two
// must combine alike.
using TRowCombineEvent = std::function<void(const TColor32* f, TColor32* b, int32_t n, TColor32 m)>;

// The nearest-pixel mapping of a stretch: for each of `destLength` destination indices, the
// source index in [sourceLow, sourceHigh) it takes (trunc(i x scale + sourceLow), the scale
// held as a 32-bit float; a destination below 2 takes the middle of the source).
std::vector<int32_t> NearestIndices(int32_t sourceLow, int32_t sourceHigh, int32_t destLength);

class TBitmap;            // the platform bitmap (uBitmap.h)
class TCanvas;            // the canvas (uCanvas.h)
struct TResampleScratch;  // the stretch filters' tables (uResampleScratch.h)

class TBitmap32 {
 public:
  TBitmap32();
  ~TBitmap32();
  TBitmap32(const TBitmap32&) = delete;
  TBitmap32& operator=(const TBitmap32&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

  // Reallocates when the size changes or the surface draws into memory given to UseMemory
  // (content undefined afterwards); 0 or less gives an empty
  // surface. Resets the clip rectangle to the whole surface. A refused buffer (also one larger
  // than kMaxSurfaceBytes) leaves an empty surface and throws EOutOfResources("Can't allocate the
  // DIB handle").
  void SetSize(int32_t width, int32_t height);
  void SetWidth(int32_t width) { SetSize(width, height_); }
  void SetHeight(int32_t height) { SetSize(width_, height); }

  // Draws into `pixels`, width x height pixels in packed rows that the caller owns and keeps
  // alive (a window's framebuffer), until the next UseMemory or a SetSize, which gives the
  // surface memory of its own again. The content is the memory's.
  void UseMemory(TColor32* pixels, int32_t width, int32_t height);

  TColor32* ScanLine(int32_t y) { return bits_ + static_cast<size_t>(y) * static_cast<size_t>(width_); }
  const TColor32* ScanLine(int32_t y) const { return bits_ + static_cast<size_t>(y) * static_cast<size_t>(width_); }
  TColor32* Bits() { return bits_; }
  const TColor32* Bits() const { return bits_; }
  // Unchecked: the caller stays inside the surface.
  TColor32 PixelAt(int32_t x, int32_t y) const { return ScanLine(y)[x]; }
  TColor32& PixelAt(int32_t x, int32_t y) { return ScanLine(y)[x]; }

  const TRect& ClipRect() const { return clip_; }
  // Narrows drawing to `rect` clamped to the surface. The system always draws on the whole
  // surface; tests narrow it to check the clipping of every operation.
  void SetClipRect(const TRect& rect);

  // Size and pixels of a platform bitmap: all 32 bits copied; a 24-bit bitmap gives alpha 255;
  // a bitmap marked transparent gives alpha 0 to every pixel of its transparent colour.
  void Assign(const TBitmap& bitmap);
  // Loads a still picture by the file's extension (uPictureLoader.h) and assigns it. Throws
  // EPictureError when the file cannot be read or decoded.
  void LoadFromFile(const std::string& fileName);

  // Raw store of columns x1..x2-1, rows y1..y2-1; unchecked, like PixelAt.
  void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color);
  // The whole surface := color.
  void Clear(TColor32 color);
  // BlendColor onto the pixel when it lies inside the clip rectangle. Inline: snow draws its
  // flakes pixel by pixel.
  void BlendPixel(int32_t x, int32_t y, TColor32 color) {
    if (x < clip_.Left || x >= clip_.Right || y < clip_.Top || y >= clip_.Bottom) return;
    TColor32& pixel = PixelAt(x, y);
    pixel = BlendColor(color, pixel);
  }
  // A one-pixel line toward (x2, y2), that end point not drawn, each pixel blended as
  // BlendPixel, clipped so that exactly the unclipped line's pixels inside are drawn.
  void LineBlend(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color);
  // Mirrors left to right in place.
  void FlipHorz();

  // Transfers `source` onto this surface by the source's DrawMode, MasterAlpha and
  // StretchFilter. Nothing happens when either surface is empty, or for dmBlend with
  // MasterAlpha 0. The stretching form throws Exception("Invalid SrcRect") when
  // `sourceRect` is not inside the source.
  void Draw(int32_t x, int32_t y, const TBitmap32& source);
  void Draw(const TRect& destRect, const TRect& sourceRect, const TBitmap32& source);
  void DrawTo(TBitmap32& dest, int32_t x, int32_t y) const { dest.Draw(x, y, *this); }
  void DrawTo(TBitmap32& dest, const TRect& destRect, const TRect& sourceRect) const {
    dest.Draw(destRect, sourceRect, *this);
  }

  // Device-context copies: plain copies of all 32 bits, ignoring the draw mode (the core's
  // "device context" of a surface is the surface itself; showing one on a window is the
  // shells' work). DrawFromDC stretches by nearest pixel when the sizes differ.
  void DrawFromDC(const TRect& destRect, const TRect& sourceRect, const TBitmap32& deviceContext);
  void DrawToDC(TBitmap32& deviceContext, int32_t x, int32_t y) const;

  // Pen, brush and ellipse on this surface with the platform's conventions (uCanvas.h).
  TCanvas& Canvas();

  TDrawMode DrawMode = TDrawMode::dmOpaque;
  TCombineMode CombineMode = TCombineMode::cmBlend;
  uint8_t MasterAlpha = 255;
  TColor32 OuterColor = 0;
  TStretchFilter StretchFilter = TStretchFilter::sfNearest;
  TPixelCombineEvent OnPixelCombine;
  TRowCombineEvent OnRowCombine;

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<TColor32, TLargeAllocator<TColor32>> pixels_;
  TColor32* bits_ = nullptr;  // pixels_, or the memory given to UseMemory
  TRect clip_;
  std::unique_ptr<TCanvas> canvas_;
  // Made by the first stretch from this surface; a surface is drawn by one thread at a time.
  mutable std::unique_ptr<TResampleScratch> resample_;

  friend TResampleScratch& ResampleScratchOf(const TBitmap32& source);
};

}  // namespace lumora

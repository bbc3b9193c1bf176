// GIF pictures written as rows of palette digits for the tests, and read back the same way, so
// that an expectation reads like the frame drawn on paper.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora::testing {

using Rows = std::vector<std::string>;

inline constexpr TColor32 kKey = 0x00FFFF00;      // the fill a GIF object's bitmaps get
inline constexpr TColor32 kOutside = 0xFF123456;  // target pixels outside the GIF's rectangle

// Eight colours, none of them the key colour. Index i shows as the digit i in Picture.
inline const std::vector<TGifColor> kPalette = {{0, 0, 0},       {200, 0, 0},     {0, 200, 0},  {0, 0, 200},
                                                {255, 255, 255}, {128, 128, 128}, {10, 20, 30}, {200, 100, 50}};

// A frame with a control block, its pixels given as rows of palette digits.
inline TGifFrame Frame(int32_t left, int32_t top, const Rows& rows, int disposal = 1, uint16_t delay = 10) {
  TGifFrame frame;
  frame.Left = left;
  frame.Top = top;
  frame.Height = static_cast<int32_t>(rows.size());
  frame.Width = rows.empty() ? 0 : static_cast<int32_t>(rows[0].size());
  for (const std::string& row : rows) {
    for (char c : row) frame.Indices.push_back(static_cast<uint8_t>(c - '0'));
  }
  frame.HasControl = true;
  frame.Control.Disposal = disposal;
  frame.Control.Delay = delay;
  return frame;
}

inline TGifFrame SeeThrough(TGifFrame frame, uint8_t index) {
  frame.Control.TransparentFlag = true;
  frame.Control.TransparentIndex = index;
  return frame;
}

inline TGifFrame Looping(TGifFrame frame, uint16_t count) {
  frame.HasLoop = true;
  frame.LoopCount = count;
  return frame;
}

inline TGifImage Gif(int32_t width, int32_t height, std::vector<TGifFrame> frames) {
  TGifImage gif;
  gif.Width = width;
  gif.Height = height;
  gif.GlobalColors = kPalette;
  gif.Frames = std::move(frames);
  return gif;
}

// What the player writes for palette index i: its colour with alpha 0.
inline TColor32 Painted(int index) {
  const TGifColor& c = kPalette[static_cast<size_t>(index)];
  return Color32(c.Red, c.Green, c.Blue, 0);
}

// The picture as rows: '.' the key colour, a digit a palette colour with alpha 0, '#' kOutside,
// '?' anything else (a palette colour with another alpha among them).
inline Rows Picture(const TBitmap32& bitmap) {
  Rows rows;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    std::string row;
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      const TColor32 pixel = bitmap.PixelAt(x, y);
      char shown = '?';
      if (pixel == kKey) shown = '.';
      if (pixel == kOutside) shown = '#';
      for (int i = 0; i < static_cast<int>(kPalette.size()); ++i) {
        if (pixel == Painted(i)) shown = static_cast<char>('0' + i);
      }
      row += shown;
    }
    rows.push_back(row);
  }
  return rows;
}

inline std::string WriteGif(const TempDir& dir, const TGifImage& gif, const std::string& name = "anim.gif") {
  return dir.Write(name, EncodeGif(gif));
}

}  // namespace lumora::testing

// An animated GIF made from rendered frames (see TGifAnimation.h).
#include "GifAnimation.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "SceneFolderWriter.h"
#include "surface/uBitmap32.h"

namespace lumora::tools {

TGifAnimation::TGifAnimation(int32_t width, int32_t frameMs)
    : width_(width),
      delay_(static_cast<uint16_t>(std::clamp(static_cast<int32_t>(std::lround(frameMs / 10.0)), 2, 65535))) {}

void TGifAnimation::Add(const TBitmap32& frame) {
  if (frame.Empty()) return;
  const int32_t width = std::min(width_, frame.Width());
  const auto height = std::max<int32_t>(
      1, static_cast<int32_t>(std::lround(static_cast<double>(frame.Height()) * width / frame.Width())));
  TBitmap32 scaled;
  scaled.SetSize(width, height);
  TBitmap32 source;
  source.SetSize(frame.Width(), frame.Height());
  source.Draw(0, 0, frame);
  source.StretchFilter = TStretchFilter::sfDraft;
  scaled.Draw(Rect(0, 0, width, height), Rect(0, 0, frame.Width(), frame.Height()), source);

  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<GifByteType> red(count), green(count), blue(count);
  for (size_t i = 0; i < count; ++i) {
    const TColor32 c = scaled.Bits()[i];
    red[i] = RedOf(c);
    green[i] = GreenOf(c);
    blue[i] = BlueOf(c);
  }
  TGifFrame out;
  out.Width = width;
  out.Height = height;
  out.Indices.resize(count);
  int colours = 256;
  std::vector<GifColorType> table(256);
  if (GifQuantizeBuffer(static_cast<unsigned>(width), static_cast<unsigned>(height), &colours, red.data(), green.data(),
                        blue.data(), out.Indices.data(), table.data()) != GIF_OK) {
    throw std::runtime_error("cannot reduce a frame to 256 colours");
  }
  for (int i = 0; i < colours; ++i)
    out.LocalColors.push_back(
        {table[static_cast<size_t>(i)].Red, table[static_cast<size_t>(i)].Green, table[static_cast<size_t>(i)].Blue});
  out.HasControl = true;
  out.Control.Disposal = 1;
  out.Control.Delay = delay_;
  if (gif_.Frames.empty()) {
    gif_.Width = width;
    gif_.Height = height;
    out.HasLoop = true;  // loop for ever
    out.LoopCount = 0;
  }
  gif_.Frames.push_back(std::move(out));
}

void TGifAnimation::Write(const std::string& fileName) const { WriteFileBytes(fileName, EncodeGif(gif_)); }

}  // namespace lumora::tools

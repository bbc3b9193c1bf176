// Writes small seed pictures for the codec fuzzers: codec_seeds <corpus folder> fills
// <folder>/gif, <folder>/jpeg and <folder>/bmp with one file per format corner worth reaching,
// and <folder>/gif_player with GIFs behind the byte that chooses the player's speed.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "base/uByteOrder.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace {

using lumora::Color32;
using lumora::LeBytes;

void Save(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

void DrawPicture(lumora::TBitmap32& picture, int width, int height) {
  picture.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      picture.PixelAt(x, y) = Color32(uint8_t(x * 9), uint8_t(y * 13), uint8_t((x ^ y) * 7));
  }
}

// Colour spaces and modes the project's own encoder does not write.
std::string RawJpeg(int components, J_COLOR_SPACE space, bool progressive) {
  const int width = 24, height = 16;
  std::vector<uint8_t> samples(static_cast<size_t>(width * height * components));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 37);
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, space);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = samples.data() + info.next_scanline * width * components;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

// A 5 x 3 bitmap of the given depth; palettes and masks follow the header as the format says.
std::string Bmp(int bits, int32_t height, uint32_t compression, int infoSize, const std::vector<uint32_t>& masks) {
  const int width = 5;
  const int rowBytes = (width * bits + 31) / 32 * 4;
  std::string rows;
  for (int i = 0; i < rowBytes * (height < 0 ? -height : height); ++i) rows += static_cast<char>(i * 29 + 3);
  std::string info = LeBytes(infoSize, 4) + LeBytes(width, 4) + LeBytes(static_cast<uint32_t>(height), 4) +
                     LeBytes(1, 2) + LeBytes(bits, 2) + LeBytes(compression, 4) +
                     LeBytes(static_cast<uint32_t>(rows.size()), 4) + std::string(16, '\0');
  std::string extra;
  for (uint32_t mask : masks) extra += LeBytes(mask, 4);
  if (infoSize > 40) {
    info += extra;
    extra.clear();
    info.resize(static_cast<size_t>(infoSize), '\0');
  }
  if (bits <= 8) {
    for (int i = 0; i < (1 << bits); ++i) extra += LeBytes(0x00102030u * static_cast<uint32_t>(i + 1), 4);
  }
  const std::string head = info + extra;
  return "BM" + LeBytes(static_cast<uint32_t>(14 + head.size() + rows.size()), 4) + LeBytes(0, 4) +
         LeBytes(static_cast<uint32_t>(14 + head.size()), 4) + head + rows;
}

lumora::TGifImage SampleGif() {
  lumora::TGifImage gif;
  gif.Width = 6;
  gif.Height = 5;
  gif.GlobalColors = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  for (int i = 0; i < 3; ++i) {
    lumora::TGifFrame frame;
    frame.Left = i;
    frame.Top = i;
    frame.Width = 4;
    frame.Height = 3 + i;
    for (int p = 0; p < frame.Width * frame.Height; ++p) frame.Indices.push_back(static_cast<uint8_t>((p + i) % 4));
    frame.HasControl = true;
    frame.Control = {i + 1, i == 1, 2, static_cast<uint16_t>(10 * i)};
    if (i == 2) frame.LocalColors = {{9, 9, 9}, {90, 90, 90}, {180, 180, 180}, {250, 250, 250}};
    gif.Frames.push_back(frame);
  }
  gif.Frames[0].HasLoop = true;
  return gif;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: codec_seeds <corpus folder>\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  lumora::TBitmap32 picture;
  DrawPicture(picture, 19, 11);

  Save(root / "jpeg", "baseline.jpg", lumora::EncodeJpeg(picture, 75));
  Save(root / "jpeg", "grey.jpg", RawJpeg(1, JCS_GRAYSCALE, false));
  Save(root / "jpeg", "cmyk.jpg", RawJpeg(4, JCS_CMYK, false));
  Save(root / "jpeg", "progressive.jpg", RawJpeg(3, JCS_RGB, true));

  const std::string frames = lumora::EncodeGif(SampleGif());
  Save(root / "gif", "frames.gif", frames);
  lumora::TGifImage single = SampleGif();
  single.Frames.resize(1);
  single.GlobalColors.clear();
  single.Frames[0].LocalColors = {{1, 2, 3}, {4, 5, 6}};
  Save(root / "gif", "single.gif", lumora::EncodeGif(single));
  // The speed byte times 5 is the playing speed in percent: 100 %, frozen, 1000 %.
  Save(root / "gif_player", "frames-100.gif", std::string(1, 20) + frames);
  Save(root / "gif_player", "frames-frozen.gif", std::string(1, 0) + frames);
  Save(root / "gif_player", "frames-fastest.gif", std::string(1, '\xC8') + frames);

  Save(root / "bmp", "rgb32.bmp", Bmp(32, 3, 0, 40, {}));
  Save(root / "bmp", "topdown32.bmp", Bmp(32, -3, 0, 40, {}));
  Save(root / "bmp", "bitfields32.bmp", Bmp(32, 3, 3, 40, {0xFF0000, 0xFF00, 0xFF}));
  Save(root / "bmp", "v5alpha32.bmp", Bmp(32, 3, 3, 124, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}));
  Save(root / "bmp", "rgb24.bmp", Bmp(24, 3, 0, 40, {}));
  Save(root / "bmp", "rgb16.bmp", Bmp(16, 3, 3, 40, {0xF800, 0x07E0, 0x001F}));
  Save(root / "bmp", "palette8.bmp", Bmp(8, 3, 0, 40, {}));
  Save(root / "bmp", "palette4.bmp", Bmp(4, 3, 0, 40, {}));
  Save(root / "bmp", "mono.bmp", Bmp(1, -3, 0, 40, {}));
  return 0;
}

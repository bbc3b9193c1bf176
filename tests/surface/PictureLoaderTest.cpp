// Still pictures by extension, the surface's LoadFromFile, and PNG writing (read back with
// stb_image).
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/PngReader.h"

#include "support/TempDir.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora {
namespace {

using testing::TempDir;

void DrawChecks(TBitmap32& picture, int32_t width, int32_t height) {
  picture.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      picture.PixelAt(x, y) = Color32(static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 30),
                                      (x + y) % 2 ? 200 : 20, static_cast<uint8_t>(x * 16 + y));
    }
  }
}

// A 2 x 1 32-bit bitmap whose pixels are half and fully transparent.
std::string TinyBmp() {
  const std::string pixels("\x10\x20\x30\x80\x40\x50\x60\x00", 8);
  std::string bmp = std::string("BM") + std::string("\x3E\0\0\0\0\0\0\0\x36\0\0\0", 12) +
                    std::string("\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x20\0", 16) + std::string(24, '\0') + pixels;
  return bmp;
}

// One 2 x 1 frame on a 3 x 1 screen: index 1 (white) then index 0 (black); background index 2 (red).
std::string TinyGif() {
  return std::string("GIF89a\x03\0\x01\0\x81\x02\0", 13) + std::string("\0\0\0\xFF\xFF\xFF\xFF\0\0\0\0\0", 12) +
         std::string("\x2C\0\0\0\0\x02\0\x01\0\0", 10) +
         // LZW, 3-bit codes clear(4) 1 0 end(5): bits 100 001 000 101, low first.
         std::string("\x02\x02\x0C\x0A\x00\x3B", 6);
}

TEST(LoadPicture, ChoosesTheDecoderByExtensionInAnyCase) {
  TempDir dir;
  TBitmap32 picture;
  DrawChecks(picture, 5, 4);
  const std::string jpeg = EncodeJpeg(picture, 95);
  for (const char* name : {"a.jpg", "b.JPG", "c.Jpeg", "d.jpeg"}) {
    TBitmap32 surface;
    LoadPicture(dir.Write(name, jpeg), surface);
    EXPECT_EQ(surface.Width(), 5) << name;
    EXPECT_EQ(AlphaOf(surface.PixelAt(2, 2)), 255) << name;
  }
  TBitmap32 bmp;
  LoadPicture(dir.Write("e.BMP", TinyBmp()), bmp);
  EXPECT_EQ(bmp.PixelAt(0, 0), Color32(0x30, 0x20, 0x10, 0x80));
  EXPECT_EQ(bmp.PixelAt(1, 0), Color32(0x60, 0x50, 0x40, 0x00));

  TBitmap32 gif;
  LoadPicture(dir.Write("f.Gif", TinyGif()), gif);
  ASSERT_EQ(gif.Width(), 3);
  EXPECT_EQ(gif.PixelAt(0, 0), Color32(255, 255, 255));
  EXPECT_EQ(gif.PixelAt(1, 0), Color32(0, 0, 0));
  EXPECT_EQ(gif.PixelAt(2, 0), Color32(255, 0, 0));
}

TEST(LoadPicture, ContentIsNotSniffed) {
  TempDir dir;
  TBitmap32 surface;
  // A GIF named as a JPEG is a bad JPEG.
  EXPECT_THROW(LoadPicture(dir.Write("clip.jpg", TinyGif()), surface), EPictureError);
}

TEST(LoadPicture, OtherExtensionsAndMissingFilesAreRefused) {
  TempDir dir;
  TBitmap32 surface;
  for (const char* name : {"picture.png", "picture", "picture.jpg.txt", "folder.jpg/picture"}) {
    std::string path = dir.File(name);
    if (std::string(name).find('/') == std::string::npos) dir.Write(name, TinyBmp());
    try {
      LoadPicture(path, surface);
      ADD_FAILURE() << name;
    } catch (const EPictureError& error) {
      EXPECT_NE(std::string(error.what()).find("unsupported picture format"), std::string::npos) << error.what();
    }
  }
  EXPECT_THROW(LoadPicture(dir.File("missing.bmp"), surface), EPictureError);
}

TEST(LoadPicture, FilesBeyondTheLimitAreRefusedBeforeTheyAreRead) {
  TempDir dir;
  const std::string path = dir.Write("huge.bmp", TinyBmp());
  // Grown without writing (a sparse file): the reader must refuse it from its size alone.
  std::filesystem::resize_file(path, kMaxPictureFileBytes + 1);
  TBitmap32 surface;
  try {
    LoadPicture(path, surface);
    ADD_FAILURE();
  } catch (const EPictureError& error) {
    EXPECT_EQ(error.what(), "The picture file " + path + " is 268435457 bytes long; at most 268435456 are allowed");
  }
  EXPECT_TRUE(surface.Empty());
}

TEST(LoadFromFile, FailureLeavesTheSurfaceAsItWas) {
  TempDir dir;
  TBitmap32 surface;
  surface.SetSize(2, 2);
  surface.Clear(0xCAFEBABE);
  const std::string broken = EncodeJpeg(surface).substr(0, 30);
  for (const std::string& path : {dir.Write("broken.jpg", broken), dir.Write("broken.gif", "GIF89a"),
                                  dir.Write("broken.bmp", "BM"), dir.File("missing.jpg")}) {
    EXPECT_THROW(surface.LoadFromFile(path), EPictureError) << path;
  }
  ASSERT_EQ(surface.Width(), 2);
  EXPECT_EQ(surface.PixelAt(1, 1), 0xCAFEBABEu);
  surface.LoadFromFile(dir.Write("good.bmp", TinyBmp()));
  EXPECT_EQ(surface.Width(), 2);
  EXPECT_EQ(surface.Height(), 1);
}

TEST(Png, DecodesBackToTheSameColoursWithoutAlpha) {
  TBitmap32 picture;
  DrawChecks(picture, 7, 3);
  const std::string png = EncodePng(picture);
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  const testing::TPngPixels decoded = testing::DecodePngRgb(png);
  ASSERT_FALSE(decoded.rgb.empty());
  EXPECT_EQ(decoded.width, 7);
  EXPECT_EQ(decoded.height, 3);
  EXPECT_EQ(decoded.fileChannels, 3);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 7; ++x) {
      const auto p = decoded.At(x, y);
      EXPECT_EQ(Color32(static_cast<uint8_t>(p[0]), static_cast<uint8_t>(p[1]), static_cast<uint8_t>(p[2])),
                picture.PixelAt(x, y) | 0xFF000000)
          << x << "," << y;
    }
  }
}

TEST(Png, WritesTheEncodedBytesAndRefusesUnwritablePaths) {
  TempDir dir;
  TBitmap32 picture;
  DrawChecks(picture, 4, 4);
  const std::string path = dir.File("frame.png");
  WritePng(path, picture);
  EXPECT_EQ(testing::ReadAll(path), EncodePng(picture));
  EXPECT_THROW(WritePng(dir.File("no-such-folder") + "/frame.png", picture), EPictureError);
  TBitmap32 empty;
  EXPECT_THROW(EncodePng(empty), EPictureError);
}

}  // namespace
}  // namespace lumora

// JPEG decoding and encoding: round trips of drawn pictures, greyscale and CMYK files written
// with libjpeg directly, damaged and oversized files.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>

#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora {
namespace {

const uint8_t* BytesOf(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Smooth ramps in every channel: JPEG keeps such a picture within a few levels.
void DrawRamps(TBitmap32& picture, int32_t width, int32_t height) {
  picture.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      picture.PixelAt(x, y) =
          Color32(static_cast<uint8_t>(x * 255 / (width - 1)), static_cast<uint8_t>(y * 255 / (height - 1)),
                  static_cast<uint8_t>(128 + (x - y) / 2), 77);
    }
  }
}

int ChannelError(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8)
    worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
  return worst;
}

// A file written with libjpeg itself, so that the decoder is checked against the library's own
// encoder for colour spaces the project's encoder never writes.
std::string EncodeRaw(int width, int height, int components, J_COLOR_SPACE space, const std::vector<uint8_t>& samples,
                      bool adobeMarker = true, bool progressive = false) {
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
  info.write_Adobe_marker = adobeMarker;
  jpeg_set_quality(&info, 100, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(samples.data()) + info.next_scanline * width * components;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

TEST(JpegRoundTrip, DrawnPictureComesBackCloseWithOpaqueAlpha) {
  TBitmap32 picture;
  DrawRamps(picture, 37, 23);  // not a multiple of the 8 x 8 blocks
  const std::string jpeg = EncodeJpeg(picture, 95);
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(static_cast<uint8_t>(jpeg[0]), 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(jpeg[1]), 0xD8);

  TBitmap decoded;
  DecodeJpeg(BytesOf(jpeg), jpeg.size(), decoded);
  ASSERT_EQ(decoded.Width(), 37);
  ASSERT_EQ(decoded.Height(), 23);
  EXPECT_EQ(decoded.PixelFormat(), TPixelFormat::pf32bit);
  int worst = 0;
  for (int32_t y = 0; y < 23; ++y) {
    for (int32_t x = 0; x < 37; ++x) {
      const uint32_t pixel = decoded.Pixels32(y)[x];
      EXPECT_EQ(AlphaOf(pixel), 255);
      worst = std::max(worst, ChannelError(pixel, picture.PixelAt(x, y)));
    }
  }
  EXPECT_LE(worst, 12);
}

TEST(JpegRoundTrip, TwentyFourBitBitmapKeepsItsFormat) {
  TBitmap32 picture;
  DrawRamps(picture, 16, 16);
  const std::string jpeg = EncodeJpeg(picture, 95);
  TBitmap decoded;
  decoded.SetPixelFormat(TPixelFormat::pf24bit);
  DecodeJpeg(BytesOf(jpeg), jpeg.size(), decoded);
  ASSERT_EQ(decoded.PixelFormat(), TPixelFormat::pf24bit);
  ASSERT_EQ(decoded.Width(), 16);
  const uint8_t* row = decoded.ScanLine(9);
  const TColor32 expected = picture.PixelAt(5, 9);
  EXPECT_NEAR(row[15], BlueOf(expected), 12);
  EXPECT_NEAR(row[16], GreenOf(expected), 12);
  EXPECT_NEAR(row[17], RedOf(expected), 12);
}

TEST(JpegColourSpaces, GreyscaleBecomesEqualChannels) {
  std::vector<uint8_t> grey(24 * 8);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>((i % 24) * 10);
  const std::string jpeg = EncodeRaw(24, 8, 1, JCS_GRAYSCALE, grey);
  TBitmap decoded;
  DecodeJpeg(BytesOf(jpeg), jpeg.size(), decoded);
  ASSERT_EQ(decoded.Width(), 24);
  for (int32_t x = 0; x < 24; ++x) {
    const uint32_t pixel = decoded.Pixels32(3)[x];
    EXPECT_EQ(RedOf(pixel), GreenOf(pixel));
    EXPECT_EQ(GreenOf(pixel), BlueOf(pixel));
    EXPECT_NEAR(RedOf(pixel), x * 10, 3);
    EXPECT_EQ(AlphaOf(pixel), 255);
  }
}

// Pure red: no cyan, full magenta and yellow, no black.
TEST(JpegColourSpaces, AdobeCmykIsStoredInverted) {
  std::vector<uint8_t> cmyk;
  for (int i = 0; i < 64; ++i) cmyk.insert(cmyk.end(), {255, 0, 0, 255});  // 255 is no ink
  const std::string jpeg = EncodeRaw(8, 8, 4, JCS_CMYK, cmyk, true);
  TBitmap decoded;
  DecodeJpeg(BytesOf(jpeg), jpeg.size(), decoded);
  const uint32_t pixel = decoded.Pixels32(4)[4];
  EXPECT_NEAR(RedOf(pixel), 255, 3);
  EXPECT_NEAR(GreenOf(pixel), 0, 3);
  EXPECT_NEAR(BlueOf(pixel), 0, 3);
  EXPECT_EQ(AlphaOf(pixel), 255);
}

TEST(JpegColourSpaces, CmykWithoutAdobeMarkerIsStoredAsInk) {
  std::vector<uint8_t> cmyk;
  for (int i = 0; i < 64; ++i) cmyk.insert(cmyk.end(), {0, 255, 255, 0});
  const std::string jpeg = EncodeRaw(8, 8, 4, JCS_CMYK, cmyk, false);
  TBitmap decoded;
  DecodeJpeg(BytesOf(jpeg), jpeg.size(), decoded);
  const uint32_t pixel = decoded.Pixels32(4)[4];
  EXPECT_NEAR(RedOf(pixel), 255, 3);
  EXPECT_NEAR(GreenOf(pixel), 0, 3);
  EXPECT_NEAR(BlueOf(pixel), 0, 3);
}

// The start-of-frame segment holds the height at offset 5 and the width at 7 (big-endian).
std::string WithSize(std::string jpeg, int width, int height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (static_cast<uint8_t>(jpeg[i]) == 0xFF && static_cast<uint8_t>(jpeg[i + 1]) == 0xC0) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no start-of-frame segment";
  return jpeg;
}

TEST(JpegRefusal, OversizedHeaderIsRefusedAndBitmapKept) {
  TBitmap32 picture;
  DrawRamps(picture, 16, 16);
  const std::string jpeg = EncodeJpeg(picture, 90);
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  bitmap.Pixels32(1)[2] = 0x12345678;
  const std::pair<int, int> sizes[] = {{20000, 16}, {16, 20000}, {10000, 10000}};
  const char* refusals[] = {"The JPEG picture is 20000 pixels wide; at most 16384 are allowed",
                            "The JPEG picture is 20000 pixels high; at most 16384 are allowed",
                            "The JPEG picture holds 100000000 pixels; at most 64000000 are allowed"};
  for (size_t i = 0; i < std::size(sizes); ++i) {
    const std::string large = WithSize(jpeg, sizes[i].first, sizes[i].second);
    try {
      DecodeJpeg(BytesOf(large), large.size(), bitmap);
      ADD_FAILURE() << sizes[i].first << " x " << sizes[i].second << " was accepted";
    } catch (const EPictureError& error) {
      EXPECT_STREQ(error.what(), refusals[i]);
    }
  }
  EXPECT_EQ(bitmap.Width(), 3);
  EXPECT_EQ(bitmap.Pixels32(1)[2], 0x12345678u);
}

TEST(JpegRefusal, LargestSideIsAccepted) {
  TBitmap32 picture;
  DrawRamps(picture, 16, 16);
  const std::string wide = WithSize(EncodeJpeg(picture, 90), 16384, 8);
  TBitmap bitmap;
  DecodeJpeg(BytesOf(wide), wide.size(), bitmap);  // the data runs out: a warning, not an error
  EXPECT_EQ(bitmap.Width(), 16384);
  EXPECT_EQ(bitmap.Height(), 8);
}

TEST(JpegRefusal, ScansBeyondTheLimitAreRefused) {
  const std::string progressive = EncodeRaw(16, 16, 1, JCS_GRAYSCALE, std::vector<uint8_t>(256, 90), false, true);
  // Its last scan repeated until the file holds `scans` of them: libjpeg only warns about the
  // repeated refinement and would read on through any number.
  const auto withScans = [&](int scans) {
    const size_t last = progressive.rfind("\xFF\xDA"), end = progressive.rfind("\xFF\xD9");
    int present = 0;
    for (size_t at = progressive.find("\xFF\xDA"); at != std::string::npos; at = progressive.find("\xFF\xDA", at + 2))
      ++present;
    std::string bytes = progressive.substr(0, end);
    for (int i = present; i < scans; ++i) bytes += progressive.substr(last, end - last);
    return bytes + "\xFF\xD9";
  };
  TBitmap bitmap;
  const std::string most = withScans(kMaxJpegScans);
  DecodeJpeg(BytesOf(most), most.size(), bitmap);
  EXPECT_EQ(bitmap.Width(), 16);
  const std::string more = withScans(kMaxJpegScans + 1);
  try {
    DecodeJpeg(BytesOf(more), more.size(), bitmap);
    ADD_FAILURE();
  } catch (const EPictureError& error) {
    EXPECT_STREQ(error.what(), "JPEG: the picture has 501 scans; at most 500 are allowed");
  }
}

TEST(JpegRefusal, GarbageAndEmptyInputThrow) {
  const std::string garbage = "this is not a picture at all, just some text of a good length";
  TBitmap bitmap;
  EXPECT_THROW(DecodeJpeg(BytesOf(garbage), garbage.size(), bitmap), EPictureError);
  EXPECT_THROW(DecodeJpeg(nullptr, 0, bitmap), EPictureError);
  const std::string header = "\xFF\xD8\xFF";
  EXPECT_THROW(DecodeJpeg(BytesOf(header), header.size(), bitmap), EPictureError);
  EXPECT_TRUE(bitmap.Empty());
}

TEST(JpegRefusal, TruncatedDataStillGivesTheWholePicture) {
  // Large enough that the tables in front are a small part of the file.
  TBitmap32 picture;
  DrawRamps(picture, 320, 240);
  const std::string jpeg = EncodeJpeg(picture, 95);
  const std::string half = jpeg.substr(0, jpeg.size() / 2);
  TBitmap decoded;
  DecodeJpeg(BytesOf(half), half.size(), decoded);
  EXPECT_EQ(decoded.Width(), 320);
  EXPECT_EQ(decoded.Height(), 240);
  // The top rows were in the half that arrived.
  EXPECT_LE(ChannelError(decoded.Pixels32(0)[10], picture.PixelAt(10, 0)), 12);
}

TEST(JpegRefusal, EmptySurfaceCannotBeEncoded) {
  TBitmap32 empty;
  EXPECT_THROW(EncodeJpeg(empty), EPictureError);
}

TEST(PictureSize, LimitsArePerSideAndInAll) {
  EXPECT_NO_THROW(CheckPictureSize(16384, 3906, "test"));  // 63,995,904 pixels
  EXPECT_NO_THROW(CheckPictureSize(0, 0, "test"));
  EXPECT_THROW(CheckPictureSize(16385, 1, "test"), EPictureError);
  EXPECT_THROW(CheckPictureSize(1, 16385, "test"), EPictureError);
  EXPECT_THROW(CheckPictureSize(16384, 3907, "test"), EPictureError);  // 64,012,288 pixels
  EXPECT_THROW(CheckPictureSize(-1, 5, "test"), EPictureError);
  try {
    CheckPictureSize(-1, 3, "sample");
    ADD_FAILURE();
  } catch (const EPictureError& error) {
    EXPECT_STREQ(error.what(), "The sample claims -1 x 3 pixels, which is not a picture size");
  }
}

}  // namespace
}  // namespace lumora

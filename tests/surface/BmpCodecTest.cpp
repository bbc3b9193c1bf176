// Windows bitmaps built byte by byte: 32-bit files keep their alpha bytes in every header and
// row order, other depths are opaque, damaged and oversized files are refused.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/uByteOrder.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora {
namespace {

const uint8_t* BytesOf(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

struct TBmpLayout {
  int InfoSize = 40;
  int Bits = 32;
  int32_t Width = 2;
  int32_t Height = 2;  // negative: rows top-down
  int Compression = 0;
  std::vector<uint32_t> Masks;  // after a 40-byte header, or inside a longer one
  std::string Palette;
};

// File header (14 bytes), info header, masks or palette, then the rows as given.
std::string Bmp(const TBmpLayout& layout, const std::string& rows) {
  std::string info = LeBytes(layout.InfoSize) + LeBytes(layout.Width) + LeBytes(layout.Height) + LeBytes(1, 2) +
                     LeBytes(layout.Bits, 2) + LeBytes(layout.Compression) +
                     LeBytes(static_cast<int64_t>(rows.size())) + LeBytes(2835) + LeBytes(2835) +  // 72 dots per inch
                     LeBytes(0) + LeBytes(0);  // colours used, important
  std::string masks;
  for (uint32_t mask : layout.Masks) masks += LeBytes(mask);
  if (layout.InfoSize > 40) {
    info += masks;
    masks.clear();
    info.resize(static_cast<size_t>(layout.InfoSize), '\0');  // colour space fields left zero
  }
  const std::string head = info + masks + layout.Palette;
  return "BM" + LeBytes(14 + static_cast<int64_t>(head.size() + rows.size())) + LeBytes(0) +
         LeBytes(14 + static_cast<int64_t>(head.size())) + head + rows;
}

std::string Bgra(int b, int g, int r, int a) { return {char(b), char(g), char(r), char(a)}; }

TEST(Bmp32, BottomUpRowsKeepTheirAlphaBytes) {
  // Stored bottom row first.
  const std::string rows = Bgra(1, 2, 3, 0x00) + Bgra(4, 5, 6, 0x40) + Bgra(7, 8, 9, 0x80) + Bgra(10, 11, 12, 0xFF);
  const std::string bmp = Bmp({}, rows);
  TBitmap32 surface;
  DecodeBmp(BytesOf(bmp), bmp.size(), surface);
  ASSERT_EQ(surface.Width(), 2);
  ASSERT_EQ(surface.Height(), 2);
  EXPECT_EQ(surface.PixelAt(0, 1), Color32(3, 2, 1, 0x00));
  EXPECT_EQ(surface.PixelAt(1, 1), Color32(6, 5, 4, 0x40));
  EXPECT_EQ(surface.PixelAt(0, 0), Color32(9, 8, 7, 0x80));
  EXPECT_EQ(surface.PixelAt(1, 0), Color32(12, 11, 10, 0xFF));
}

TEST(Bmp32, AllZeroAlphaStaysZero) {
  TBmpLayout layout;
  layout.Height = -1;
  const std::string bmp = Bmp(layout, Bgra(50, 60, 70, 0) + Bgra(80, 90, 100, 0));
  TBitmap32 surface;
  DecodeBmp(BytesOf(bmp), bmp.size(), surface);
  EXPECT_EQ(surface.PixelAt(0, 0), Color32(70, 60, 50, 0));
  EXPECT_EQ(surface.PixelAt(1, 0), Color32(100, 90, 80, 0));
}

TEST(Bmp32, BitfieldsAfterAShortHeaderKeepTheAlphaBytes) {
  TBmpLayout layout;
  layout.Height = -2;  // top-down
  layout.Compression = 3;
  layout.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
  const std::string rows = Bgra(1, 2, 3, 0x11) + Bgra(4, 5, 6, 0x22) + Bgra(7, 8, 9, 0x33) + Bgra(10, 11, 12, 0x44);
  const std::string bmp = Bmp(layout, rows);
  TBitmap32 surface;
  DecodeBmp(BytesOf(bmp), bmp.size(), surface);
  EXPECT_EQ(surface.PixelAt(0, 0), Color32(3, 2, 1, 0x11));
  EXPECT_EQ(surface.PixelAt(1, 1), Color32(12, 11, 10, 0x44));
}

TEST(Bmp32, V5HeaderMasksPlaceTheChannels) {
  TBmpLayout layout;
  layout.InfoSize = 124;
  layout.Width = 1;
  layout.Height = 1;
  layout.Compression = 3;
  // Red in the low byte, blue in the third, alpha in the second: an unusual but legal order.
  layout.Masks = {0x000000FF, 0xFF000000, 0x00FF0000, 0x0000FF00};
  const std::string bmp = Bmp(layout, Bgra(0x10, 0x20, 0x30, 0x40));  // bytes low to high
  TBitmap32 surface;
  DecodeBmp(BytesOf(bmp), bmp.size(), surface);
  EXPECT_EQ(surface.PixelAt(0, 0), Color32(0x10, 0x40, 0x30, 0x20));
}

TEST(Bmp32, NarrowMasksAreScaledToFullRange) {
  TBmpLayout layout;
  layout.InfoSize = 56;
  layout.Width = 1;
  layout.Height = 1;
  layout.Compression = 3;
  layout.Masks = {0x7C00, 0x03E0, 0x001F, 0x8000};  // 5-5-5 with one alpha bit
  const std::string bmp = Bmp(layout, LeBytes(0x7C00 | 0x0010 | 0x8000));
  TBitmap32 surface;
  DecodeBmp(BytesOf(bmp), bmp.size(), surface);
  EXPECT_EQ(surface.PixelAt(0, 0), Color32(255, 0, 132, 255));
}

TEST(BmpOtherDepths, TwentyFourBitIsOpaqueWithPaddedRows) {
  TBmpLayout layout;
  layout.Bits = 24;
  layout.Width = 3;
  layout.Height = 2;
  // 9 bytes of pixels and 3 of padding per row, bottom row first.
  const std::string rows = std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9) + std::string(3, '\x7F') +
                           std::string("\x11\x12\x13\x14\x15\x16\x17\x18\x19", 9) + std::string(3, '\x7F');
  const std::string bmp = Bmp(layout, rows);
  TBitmap32 surface;
  DecodeBmp(BytesOf(bmp), bmp.size(), surface);
  ASSERT_EQ(surface.Width(), 3);
  EXPECT_EQ(surface.PixelAt(0, 1), Color32(3, 2, 1, 255));
  EXPECT_EQ(surface.PixelAt(2, 1), Color32(9, 8, 7, 255));
  EXPECT_EQ(surface.PixelAt(1, 0), Color32(0x16, 0x15, 0x14, 255));
}

TEST(BmpOtherDepths, EightBitPaletteIsOpaque) {
  TBmpLayout layout;
  layout.Bits = 8;
  layout.Width = 2;
  layout.Height = 1;
  layout.Palette = Bgra(0, 0, 0, 0) + Bgra(200, 100, 50, 0);
  for (int i = 2; i < 256; ++i) layout.Palette += Bgra(0, 0, 0, 0);
  const std::string bmp = Bmp(layout, std::string("\x01\x00\x00\x00", 4));
  TBitmap32 surface;
  DecodeBmp(BytesOf(bmp), bmp.size(), surface);
  EXPECT_EQ(surface.PixelAt(0, 0), Color32(50, 100, 200, 255));
  EXPECT_EQ(surface.PixelAt(1, 0), Color32(0, 0, 0, 255));
}

TEST(BmpRefusal, DamagedFilesThrowAndLeaveTheSurface) {
  TBitmap32 surface;
  surface.SetSize(1, 1);
  surface.PixelAt(0, 0) = 0x01020304;
  const std::string good = Bmp({}, std::string(16, '\x55'));
  TBmpLayout huge;
  huge.Width = 20000;
  huge.Height = 1;
  TBmpLayout rle;
  rle.Compression = 1;
  for (const std::string& bytes : {good.substr(0, good.size() - 1),  // last pixel cut short
                                   good.substr(0, 20), std::string("BM"), std::string("not a bitmap at all, no"),
                                   Bmp(rle, std::string(16, '\x55'))}) {
    EXPECT_THROW(DecodeBmp(BytesOf(bytes), bytes.size(), surface), EPictureError) << bytes.size();
  }
  try {
    const std::string bytes = Bmp(huge, std::string(16, '\0'));
    DecodeBmp(BytesOf(bytes), bytes.size(), surface);
    ADD_FAILURE();
  } catch (const EPictureError& error) {
    EXPECT_STREQ(error.what(), "The bitmap is 20000 pixels wide; at most 16384 are allowed");
  }
  huge.Bits = 24;
  const std::string wide24 = Bmp(huge, std::string(16, '\0'));
  EXPECT_THROW(DecodeBmp(BytesOf(wide24), wide24.size(), surface), EPictureError);
  TBmpLayout noColumns;  // stb_image would return a picture of 0 x 3
  noColumns.Bits = 24;
  noColumns.Width = 0;
  noColumns.Height = 3;
  const std::string narrow = Bmp(noColumns, std::string(12, '\0'));
  EXPECT_THROW(DecodeBmp(BytesOf(narrow), narrow.size(), surface), EPictureError);
  TBmpLayout rgb24;
  rgb24.Bits = 24;
  const std::string short24 = Bmp(rgb24, std::string(15, '\0'));  // 2 rows of 8 bytes, one byte missing
  EXPECT_THROW(DecodeBmp(BytesOf(short24), short24.size(), surface), EPictureError);
  EXPECT_THROW(DecodeBmp(nullptr, 0, surface), EPictureError);
  ASSERT_EQ(surface.Width(), 1);
  EXPECT_EQ(surface.PixelAt(0, 0), 0x01020304u);
}

}  // namespace
}  // namespace lumora

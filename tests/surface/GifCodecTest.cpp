// GIF decoding and encoding: a hand-built file with every field the players need, round trips
// through the encoder, damaged and oversized files, and the still-picture rule.
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora {
namespace {

const uint8_t* BytesOf(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

// LZW image data made of literal codes only: the minimum code size byte 2 (3-bit codes, clear =
// 4, end = 5), then the codes packed low bits first into one sub-block, then the terminator. A
// clear code before every two pixels keeps the table below 8 entries, so every code stays 3 bits.
std::string LiteralLzw(const std::vector<int>& pixels) {
  std::vector<int> codes;
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (i % 2 == 0) codes.push_back(4);
    codes.push_back(pixels[i]);
  }
  codes.push_back(5);
  std::string packed;
  uint32_t bits = 0;
  int count = 0;
  for (int code : codes) {
    bits |= static_cast<uint32_t>(code) << count;
    count += 3;
    for (; count >= 8; count -= 8, bits >>= 8) packed += static_cast<char>(bits & 0xFF);
  }
  if (count > 0) packed += static_cast<char>(bits & 0xFF);
  return Bytes({2, static_cast<int>(packed.size())}) + packed + Bytes({0});
}

std::string Looping(const char* identifier, int count) {
  return Bytes({0x21, 0xFF, 11}) + identifier + Bytes({3, 1, count & 0xFF, count >> 8, 0});
}

// A 4 x 4 screen with three frames; every field that the players read has a value that a
// mistake would change.
std::string HandBuiltGif() {
  return std::string("GIF89a") +
         // Logical screen 4 x 4; packed 0x91: global table present, colour resolution 2 bits, table of
         // 2^(1+1) = 4 entries; background index 3; no aspect ratio.
         Bytes({4, 0, 4, 0, 0x91, 3, 0}) +
         // Global table: dark grey-blue, red, green, blue.
         Bytes({10, 20, 30, 255, 0, 0, 0, 255, 0, 0, 0, 255}) +
         // Looping extension before frame 0: 7 passes.
         Looping("NETSCAPE2.0", 7) +
         // Graphic control: 4 bytes; packed 0x04 = disposal 1, transparency flag OFF; delay 0x0123;
         // transparent index 2 stored all the same; terminator.
         Bytes({0x21, 0xF9, 4, 0x04, 0x23, 0x01, 2, 0}) +
         // Frame 0: left 0, top 0, 2 x 2, packed 0 (no local table, not interlaced).
         Bytes({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0}) + LiteralLzw({1, 2, 3, 0}) +
         // Graphic control: packed 0x0D = disposal 3, flag on; delay 5; transparent index 1.
         Bytes({0x21, 0xF9, 4, 0x0D, 5, 0, 1, 0}) +
         // Frame 1: left 1, top 0, 2 x 4, packed 0xC0: local table of 2^(0+1) = 2 entries, interlaced.
         Bytes({0x2C, 1, 0, 0, 0, 2, 0, 4, 0, 0xC0}) + Bytes({255, 255, 255, 128, 128, 128}) +
         // Its rows top-down are [0 1] [1 1] [1 0] [0 0]; interlaced, they are stored as rows 0, 2, 1, 3.
         LiteralLzw({0, 1, 1, 0, 1, 1, 0, 0}) +
         // Frame 2: left 3, top 3, 2 x 1: reaches past the screen's right edge; no control block.
         Bytes({0x2C, 3, 0, 3, 0, 2, 0, 1, 0, 0}) + LiteralLzw({3, 3}) +
         // A looping extension after the last frame belongs to no frame; then the trailer.
         Looping("NETSCAPE2.0", 9) + Bytes({0x3B});
}

TEST(GifDecode, HandBuiltFileGivesEveryField) {
  const std::string bytes = HandBuiltGif();
  const TGifImage gif = DecodeGif(BytesOf(bytes), bytes.size());
  EXPECT_EQ(gif.Width, 4);
  EXPECT_EQ(gif.Height, 4);
  EXPECT_EQ(gif.BackgroundIndex, 3);
  const std::vector<TGifColor> global = {{10, 20, 30}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  EXPECT_EQ(gif.GlobalColors, global);
  ASSERT_EQ(gif.Frames.size(), 3u);

  const TGifFrame& first = gif.Frames[0];
  EXPECT_EQ((std::vector<int>{first.Left, first.Top, first.Width, first.Height}), (std::vector<int>{0, 0, 2, 2}));
  EXPECT_TRUE(first.LocalColors.empty());
  EXPECT_EQ(first.Indices, (std::vector<uint8_t>{1, 2, 3, 0}));
  EXPECT_TRUE(first.HasControl);
  EXPECT_EQ(first.Control.Disposal, 1);
  EXPECT_FALSE(first.Control.TransparentFlag);
  EXPECT_EQ(first.Control.TransparentIndex, 2);  // kept although the flag is off
  EXPECT_EQ(first.Control.Delay, 0x0123);
  EXPECT_TRUE(first.HasLoop);
  EXPECT_EQ(first.LoopCount, 7);

  const TGifFrame& second = gif.Frames[1];
  EXPECT_EQ((std::vector<int>{second.Left, second.Top, second.Width, second.Height}), (std::vector<int>{1, 0, 2, 4}));
  EXPECT_EQ(second.LocalColors, (std::vector<TGifColor>{{255, 255, 255}, {128, 128, 128}}));
  EXPECT_EQ(second.Indices, (std::vector<uint8_t>{0, 1, 1, 1, 1, 0, 0, 0}));  // de-interlaced
  EXPECT_TRUE(second.HasControl);
  EXPECT_EQ(second.Control.Disposal, 3);
  EXPECT_TRUE(second.Control.TransparentFlag);
  EXPECT_EQ(second.Control.TransparentIndex, 1);
  EXPECT_EQ(second.Control.Delay, 5);
  EXPECT_FALSE(second.HasLoop);  // the block applied to frame 0 only

  const TGifFrame& third = gif.Frames[2];
  EXPECT_EQ((std::vector<int>{third.Left, third.Top, third.Width, third.Height}), (std::vector<int>{3, 3, 2, 1}));
  EXPECT_EQ(third.Indices, (std::vector<uint8_t>{3, 3}));
  EXPECT_FALSE(third.HasControl);  // control blocks do not carry over
  EXPECT_FALSE(third.HasLoop);     // the trailing extension precedes no frame
}

TEST(GifDecode, AnimextsIdentifierLoopsAndOtherSubBlocksAreIgnored) {
  const std::string bytes = std::string("GIF89a") + Bytes({2, 0, 1, 0, 0x80, 0, 0}) + Bytes({0, 0, 0, 255, 255, 255}) +
                            // ANIMEXTS1.0 with a buffering sub-block (id 2) before the loop sub-block.
                            Bytes({0x21, 0xFF, 11}) + "ANIMEXTS1.0" + Bytes({5, 2, 0, 16, 0, 0}) +
                            Bytes({3, 1, 3, 0, 0}) + Bytes({0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0}) + LiteralLzw({1, 0}) +
                            // An application extension of another program, with a [1, lo, hi] sub-block.
                            Bytes({0x21, 0xFF, 11}) + "XMPDataXMP!" + Bytes({3, 1, 8, 0, 0}) +
                            Bytes({0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0}) + LiteralLzw({0, 1}) + Bytes({0x3B});
  const TGifImage gif = DecodeGif(BytesOf(bytes), bytes.size());
  ASSERT_EQ(gif.Frames.size(), 2u);
  EXPECT_TRUE(gif.Frames[0].HasLoop);
  EXPECT_EQ(gif.Frames[0].LoopCount, 3);
  EXPECT_FALSE(gif.Frames[1].HasLoop);
}

TGifImage VariedGif() {
  std::mt19937 random(11);
  TGifImage gif;
  gif.Width = 9;
  gif.Height = 7;
  gif.GlobalColors = {{1, 2, 3}, {250, 0, 5}, {0, 200, 9}, {7, 8, 255}};
  gif.BackgroundIndex = 2;
  const auto frame = [&](int32_t left, int32_t top, int32_t width, int32_t height, size_t colors) {
    TGifFrame f;
    f.Left = left, f.Top = top, f.Width = width, f.Height = height;
    for (size_t i = 0; i < colors; ++i)
      f.LocalColors.push_back({uint8_t(random()), uint8_t(random()), uint8_t(random())});
    const size_t range = colors > 0 ? colors : gif.GlobalColors.size();
    for (int32_t i = 0; i < width * height; ++i) f.Indices.push_back(static_cast<uint8_t>(random() % range));
    return f;
  };
  gif.Frames.push_back(frame(0, 0, 9, 7, 0));
  gif.Frames[0].HasControl = true;
  gif.Frames[0].Control = {0, false, 3, 7};  // an index stored with the flag off
  gif.Frames.push_back(frame(2, 1, 3, 2, 8));
  gif.Frames[1].HasControl = true;
  gif.Frames[1].Control = {2, true, 5, 300};
  gif.Frames[1].HasLoop = true;  // loops from frame 1, endlessly
  gif.Frames[1].LoopCount = 0;
  gif.Frames.push_back(frame(6, 5, 5, 4, 256));  // reaches past the screen on two sides
  gif.Frames.push_back(frame(1, 1, 1, 1, 0));
  gif.Frames[3].HasControl = true;
  gif.Frames[3].Control = {7, true, 0, 65535};
  gif.Frames[3].HasLoop = true;
  gif.Frames[3].LoopCount = 65535;
  return gif;
}

void ExpectSameGif(const TGifImage& expected, const TGifImage& actual) {
  EXPECT_EQ(actual.Width, expected.Width);
  EXPECT_EQ(actual.Height, expected.Height);
  EXPECT_EQ(actual.GlobalColors, expected.GlobalColors);
  EXPECT_EQ(actual.BackgroundIndex, expected.BackgroundIndex);
  ASSERT_EQ(actual.Frames.size(), expected.Frames.size());
  for (size_t i = 0; i < expected.Frames.size(); ++i) {
    SCOPED_TRACE(i);
    const TGifFrame& e = expected.Frames[i];
    const TGifFrame& a = actual.Frames[i];
    EXPECT_EQ((std::vector<int>{a.Left, a.Top, a.Width, a.Height}),
              (std::vector<int>{e.Left, e.Top, e.Width, e.Height}));
    EXPECT_EQ(a.LocalColors, e.LocalColors);
    EXPECT_EQ(a.Indices, e.Indices);
    EXPECT_EQ(a.HasControl, e.HasControl);
    EXPECT_EQ(a.Control.Disposal, e.Control.Disposal);
    EXPECT_EQ(a.Control.TransparentFlag, e.Control.TransparentFlag);
    EXPECT_EQ(a.Control.TransparentIndex, e.Control.TransparentIndex);
    EXPECT_EQ(a.Control.Delay, e.Control.Delay);
    EXPECT_EQ(a.HasLoop, e.HasLoop);
    EXPECT_EQ(a.LoopCount, e.LoopCount);
  }
}

TEST(GifRoundTrip, EveryFieldSurvivesEncodeAndDecode) {
  const TGifImage gif = VariedGif();
  const std::string bytes = EncodeGif(gif);
  EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
  ExpectSameGif(gif, DecodeGif(BytesOf(bytes), bytes.size()));
}

TEST(GifRoundTrip, HandBuiltFileSurvivesReencoding) {
  const std::string bytes = HandBuiltGif();
  const TGifImage gif = DecodeGif(BytesOf(bytes), bytes.size());
  const std::string again = EncodeGif(gif);
  ExpectSameGif(gif, DecodeGif(BytesOf(again), again.size()));
}

TEST(GifRoundTrip, ColourTablesArePaddedToAPowerOfTwo) {
  TGifImage gif;
  gif.Width = gif.Height = 1;
  gif.GlobalColors = {{9, 9, 9}, {8, 8, 8}, {7, 7, 7}};
  TGifFrame frame;
  frame.Width = frame.Height = 1;
  frame.Indices = {2};
  frame.LocalColors = {{5, 5, 5}};
  gif.Frames.push_back(frame);
  const std::string bytes = EncodeGif(gif);
  const TGifImage decoded = DecodeGif(BytesOf(bytes), bytes.size());
  EXPECT_EQ(decoded.GlobalColors, (std::vector<TGifColor>{{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {0, 0, 0}}));
  EXPECT_EQ(decoded.Frames[0].LocalColors, (std::vector<TGifColor>{{5, 5, 5}, {0, 0, 0}}));
}

TEST(GifRoundTrip, UnwritableImagesAreRefused) {
  const auto refused = [](const TGifImage& gif) {
    try {
      EncodeGif(gif);
    } catch (const EPictureError&) {
      return true;
    }
    return false;
  };
  TGifImage gif = VariedGif();
  gif.GlobalColors.resize(257);
  EXPECT_TRUE(refused(gif));
  gif = VariedGif();
  gif.GlobalColors.clear();  // frame 0 has no local table either
  EXPECT_TRUE(refused(gif));
  gif = VariedGif();
  gif.Frames[2].Indices.pop_back();
  EXPECT_TRUE(refused(gif));
  gif = VariedGif();
  gif.Frames[1].Left = 70000;
  EXPECT_TRUE(refused(gif));
  gif = VariedGif();
  gif.Frames[1].Width = 0;
  gif.Frames[1].Indices.clear();
  EXPECT_TRUE(refused(gif));
  EXPECT_FALSE(refused(VariedGif()));
}

TEST(GifDamage, CutInTheLastFrameKeepsTheFramesBefore) {
  const TGifImage gif = VariedGif();
  TGifImage shorter = gif;
  shorter.Frames.pop_back();
  const std::string full = EncodeGif(gif);
  // The encoder is deterministic, so all but the last frame is the shorter file without its trailer.
  const size_t lastFrameStart = EncodeGif(shorter).size() - 1;
  ASSERT_EQ(full.substr(0, lastFrameStart), EncodeGif(shorter).substr(0, lastFrameStart));
  for (size_t cut = lastFrameStart; cut + 2 <= full.size(); ++cut) {
    SCOPED_TRACE(cut);
    ExpectSameGif(shorter, DecodeGif(BytesOf(full), cut));
  }
  // Only the trailer missing: every frame is whole.
  EXPECT_EQ(DecodeGif(BytesOf(full), full.size() - 1).Frames.size(), gif.Frames.size());
}

TEST(GifDamage, FileWithoutADecodableFrameThrows) {
  const std::string screen = std::string("GIF89a") + Bytes({1, 0, 1, 0, 0, 0, 0});
  for (const std::string& bytes : {screen + Bytes({0x3B}),                                // no frame
                                   screen,                                                // no trailer either
                                   screen + Bytes({0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x3B}),  // only a control block
                                   std::string("GIF89a"), std::string("not a gif at all, clearly"),
                                   // A frame whose data ends early.
                                   screen + Bytes({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0, 2, 5})}) {
    EXPECT_THROW(DecodeGif(BytesOf(bytes), bytes.size()), EPictureError) << bytes.size();
  }
  EXPECT_THROW(DecodeGif(nullptr, 0), EPictureError);
}

std::string ExpectRefusal(const std::string& bytes) {
  try {
    DecodeGif(BytesOf(bytes), bytes.size());
  } catch (const EPictureError& error) {
    return error.what();
  }
  return "accepted";
}

TEST(GifDamage, OversizedScreenAndFramesAreRefused) {
  // A 20000 x 10 screen: refused from the screen descriptor alone.
  const std::string screen = std::string("GIF89a") + Bytes({0x20, 0x4E, 10, 0, 0, 0, 0, 0x3B});
  EXPECT_EQ(ExpectRefusal(screen), "The GIF screen is 20000 pixels wide; at most 16384 are allowed");
  // A 20000 x 1 frame on a 100 x 100 screen: refused from its descriptor, before its pixels
  // (giflib has read the LZW code size with the descriptor).
  const std::string head = std::string("GIF89a") + Bytes({100, 0, 100, 0, 0x80, 0, 0, 0, 0, 0, 1, 1, 1});
  const std::string wide = Bytes({0x2C, 0, 0, 0, 0, 0x20, 0x4E, 1, 0, 0, 2});
  EXPECT_EQ(ExpectRefusal(head + wide), "The GIF frame is 20000 pixels wide; at most 16384 are allowed");
  // After a good frame the oversized one ends the file, and the good one is kept.
  const std::string bytes = head + Bytes({0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0}) + LiteralLzw({1, 0}) + wide + Bytes({0x3B});
  const TGifImage gif = DecodeGif(BytesOf(bytes), bytes.size());
  ASSERT_EQ(gif.Frames.size(), 1u);
  EXPECT_EQ(gif.Frames[0].Indices, (std::vector<uint8_t>{1, 0}));
}

TEST(GifDamage, FramesBeyondTheLimitAreLeftOut) {
  // Frames without pixels cost a dozen bytes each, so a small file can list very many; those
  // past the limit are refused like damage, before giflib records them.
  const std::string head = std::string("GIF89a") + Bytes({2, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 1, 1, 1});
  const std::string empty = Bytes({0x2C, 0, 0, 0, 0, 0, 0, 1, 0, 0}) + LiteralLzw({});
  for (int frames : {kMaxGifFrames, kMaxGifFrames + 1}) {
    std::string bytes = head;
    for (int i = 0; i < frames; ++i) bytes += empty;
    bytes += Bytes({0x3B});
    EXPECT_EQ(DecodeGif(BytesOf(bytes), bytes.size()).Frames.size(), static_cast<size_t>(kMaxGifFrames)) << frames;
  }
}

TEST(GifDamage, EmptyFrameIsKeptAndReadingGoesOn) {
  const std::string bytes = std::string("GIF89a") + Bytes({2, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 1, 1, 1}) +
                            Bytes({0x2C, 0, 0, 0, 0, 0, 0, 1, 0, 0}) + LiteralLzw({}) +  // 0 x 1: no pixels
                            Bytes({0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0}) + LiteralLzw({0, 1}) + Bytes({0x3B});
  const TGifImage gif = DecodeGif(BytesOf(bytes), bytes.size());
  ASSERT_EQ(gif.Frames.size(), 2u);
  EXPECT_TRUE(gif.Frames[0].Indices.empty());
  EXPECT_EQ(gif.Frames[1].Indices, (std::vector<uint8_t>{0, 1}));
}

TEST(GifFile, DecodesFromDiskAndRefusesMissingFile) {
  testing::TempDir dir;
  const std::string path = dir.Write("clip.gif", HandBuiltGif());
  EXPECT_EQ(DecodeGifFile(path).Frames.size(), 3u);
  EXPECT_THROW(DecodeGifFile(dir.File("missing.gif")), EPictureError);
}

// ---- the still-picture rule ----

TEST(GifFirstFrame, BackgroundThenFrameZeroAllOpaque) {
  const std::string bytes = HandBuiltGif();
  const TGifImage gif = DecodeGif(BytesOf(bytes), bytes.size());
  TBitmap32 surface;
  GifFirstFrame(gif, surface);
  ASSERT_EQ(surface.Width(), 4);
  ASSERT_EQ(surface.Height(), 4);
  const TColor32 blue = Color32(0, 0, 255);
  // Frame 0's flag is off, so its stored transparent index 2 is painted like any other.
  EXPECT_EQ(surface.PixelAt(0, 0), Color32(255, 0, 0));
  EXPECT_EQ(surface.PixelAt(1, 0), Color32(0, 255, 0));
  EXPECT_EQ(surface.PixelAt(0, 1), blue);
  EXPECT_EQ(surface.PixelAt(1, 1), Color32(10, 20, 30));
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = (y < 2 ? 2 : 0); x < 4; ++x) EXPECT_EQ(surface.PixelAt(x, y), blue) << x << "," << y;
  }
}

TEST(GifFirstFrame, TransparentPixelsShowTheBackground) {
  const std::string bytes = HandBuiltGif();
  TGifImage gif = DecodeGif(BytesOf(bytes), bytes.size());
  gif.Frames[0].Control.TransparentFlag = true;  // index 2 now transparent
  TBitmap32 surface;
  GifFirstFrame(gif, surface);
  EXPECT_EQ(surface.PixelAt(1, 0), Color32(0, 0, 255));
  EXPECT_EQ(surface.PixelAt(0, 0), Color32(255, 0, 0));
}

TEST(GifFirstFrame, FramePastTheEdgeIsClippedAndNoTableGivesBlack) {
  TGifImage gif;
  gif.Width = 3;
  gif.Height = 2;
  TGifFrame frame;
  frame.Left = 2, frame.Top = 1, frame.Width = 2, frame.Height = 2;
  frame.LocalColors = {{0, 0, 0}, {200, 100, 50}};
  frame.Indices = {1, 1, 1, 1};
  gif.Frames.push_back(frame);
  TBitmap32 surface;
  surface.SetSize(8, 8);
  GifFirstFrame(gif, surface);
  ASSERT_EQ(surface.Width(), 3);
  ASSERT_EQ(surface.Height(), 2);
  EXPECT_EQ(surface.PixelAt(2, 1), Color32(200, 100, 50));
  EXPECT_EQ(surface.PixelAt(1, 1), Color32(0, 0, 0));  // no global table: black background
  EXPECT_EQ(surface.PixelAt(2, 0), Color32(0, 0, 0));
}

}  // namespace
}  // namespace lumora

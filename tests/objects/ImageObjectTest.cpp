// Picture objects: the pixel rule with which a picture is drawn onto the frame (key colour and
// opacity), the key colour each transparency setting chooses, and where the picture is found.
//
// Pictures are small GIFs written in the test; a still-picture object loads a ".gif" as its
// first frame with every pixel opaque.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/uPathText.h"
#include "base/uTicks.h"
#include "objects/uImageObjects.h"
#include "platform/Platform.h"
#include "platform/uShell.h"
#include "support/TempDir.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora {
namespace {

using testing::TempDir;

constexpr TColor32 kGifKey = 0x00FFFF00;  // yellow with alpha 0

TColor32 Opaque(const TGifColor& c) { return Color32(c.Red, c.Green, c.Blue); }

// A one-frame GIF covering its whole screen; `indices` are rows top-down.
std::string StillGif(int32_t width, int32_t height, const std::vector<TGifColor>& palette,
                     const std::vector<uint8_t>& indices) {
  TGifImage gif;
  gif.Width = width;
  gif.Height = height;
  gif.GlobalColors = palette;
  TGifFrame frame;
  frame.Width = width;
  frame.Height = height;
  frame.Indices = indices;
  gif.Frames.push_back(frame);
  return EncodeGif(gif);
}

const TGifColor kRed{255, 0, 0}, kNearRed{254, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 160, 0}, kWhite{255, 255, 255},
    kYellow{255, 255, 0};

// 4 x 3, bottom-left pixel red; red also elsewhere, next to colours one step away from it.
//   row 0: red   blue  green near-red
//   row 1: blue  red   white blue
//   row 2: red   green red   near-red
const std::vector<TGifColor> kPalette = {kRed, kBlue, kGreen, kNearRed, kWhite};
const std::vector<uint8_t> kPixels = {0, 1, 2, 3, 1, 0, 4, 1, 0, 2, 0, 3};

// A still-picture object of `file` with the given extra section keys, started without threads.
std::unique_ptr<TImgObject> StartImage(const std::string& file, const std::string& keys, TShell* shell = nullptr) {
  auto image = std::make_unique<TImgObject>();
  image->Threaded = false;
  image->Shell = shell;
  image->LoadFromText("[Obj0]\nObjType=IMG\nFilename=" + file + "\n" + keys);
  image->DesignWidth = 640;
  image->DesignHeight = 480;
  image->FrameRect = Rect(0, 0, 640, 480);
  image->Start();
  return image;
}

// A frame of the picture's size filled with a pattern, the picture drawn on it as the engine
// draws an object (the picture's own draw mode and master alpha).
struct Drawn {
  TBitmap32 before;
  TBitmap32 after;
};
void DrawOnPattern(const TAnimImgObject& object, Drawn& d) {
  const TBitmap32& picture = *object.FrameBitmap;
  for (TBitmap32* b : {&d.before, &d.after}) {
    b->SetSize(picture.Width(), picture.Height());
    for (int32_t y = 0; y < picture.Height(); ++y) {
      for (int32_t x = 0; x < picture.Width(); ++x) {
        b->PixelAt(x, y) = Color32(static_cast<uint8_t>(30 + 50 * x), static_cast<uint8_t>(200 - 40 * y),
                                   static_cast<uint8_t>(7 * x * y), static_cast<uint8_t>(90 + x));
      }
    }
  }
  d.after.Draw(0, 0, picture);
}

// (F x M + B x (255 - M)) div 255 per colour channel, alpha M.
TColor32 Mixed(TColor32 f, TColor32 b, uint32_t m) {
  TColor32 result = m << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t fc = f >> shift & 0xFF, bc = b >> shift & 0xFF;
    result |= ((fc * m + bc * (255 - m)) / 255) << shift;
  }
  return result;
}

// ---- Opacity ----

TEST(ImageObjectPixels, OpacityGivesTheMasterAlphaTable) {
  const int expected[] = {0, 26, 51, 76, 102, 128, 153, 178, 204, 230, 255};
  for (int opacity = 0; opacity <= 10; ++opacity) EXPECT_EQ(OpacityToAlpha(opacity), expected[opacity]) << opacity;
}

TEST(ImageObjectPixels, CombineMixesEveryChannelByTheMasterAlphaLowByte) {
  TGifObject gif;
  gif.KeyColor = kGifKey;
  std::mt19937 random(7);
  for (int i = 0; i < 2000; ++i) {
    const TColor32 f = random(), b0 = random();
    const uint32_t m = random() % 256;
    TColor32 b = b0;
    // Bits above the low byte of M are not part of the weight.
    gif.CombinePixel(f, b, m | (random() & 0xFFFFFF00u));
    if (f == kGifKey) continue;
    ASSERT_EQ(b, Mixed(f, b0, m)) << std::hex << f << " onto " << b0 << " at " << m;
  }
}

TEST(ImageObjectPixels, CombineAtTheExtremesOfTheMasterAlpha) {
  TGifObject gif;
  gif.KeyColor = kGifKey;
  TColor32 b = 0x12345678;
  gif.CombinePixel(0x00ABCDEF, b, 255);
  EXPECT_EQ(b, 0xFFABCDEFu) << "opaque: the picture's colour with alpha 255";
  b = 0x12345678;
  gif.CombinePixel(0xFFABCDEF, b, 0);
  EXPECT_EQ(b, 0x00345678u) << "invisible: the frame's colour with alpha 0";
}

TEST(ImageObjectPixels, KeyColourLeavesTheFrameOnlyOnAnExactMatch) {
  TGifObject gif;
  gif.KeyColor = kGifKey;
  TColor32 b = 0x80102030;
  gif.CombinePixel(kGifKey, b, 255);
  EXPECT_EQ(b, 0x80102030u);
  gif.CombinePixel(kGifKey | 0xFF000000u, b, 255);  // same colour, other alpha
  EXPECT_EQ(b, 0xFFFFFF00u);
  b = 0x80102030;
  gif.CombinePixel(0x00FFFE00, b, 255);
  EXPECT_EQ(b, 0xFFFFFE00u);
}

TEST(ImageObjectPixels, HalfOpacityDrawsHalfPictureHalfFrame) {
  TempDir dir;
  const std::string file = dir.Write("pic.gif", StillGif(4, 3, kPalette, kPixels));
  auto image = StartImage(file, "Opacity=5\nTransparent=0");
  ASSERT_EQ(image->PicWidth.load(), 4);
  EXPECT_EQ(image->FrameBitmap->MasterAlpha, 128);
  EXPECT_EQ(image->MirrorBitmap->MasterAlpha, 128);
  Drawn d;
  DrawOnPattern(*image, d);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const TColor32 f = Opaque(kPalette[kPixels[static_cast<size_t>(y * 4 + x)]]);
      const TColor32 b = d.before.PixelAt(x, y);
      EXPECT_EQ(d.after.PixelAt(x, y), Mixed(f, b, 128)) << x << "," << y;
    }
  }
}

// ---- Still pictures: key colour ----

// Expects every pixel of `color` left out and every other pixel drawn opaque.
void ExpectOnlyColourLeftOut(const TAnimImgObject& object, const TGifColor* color) {
  Drawn d;
  DrawOnPattern(object, d);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const TGifColor& c = kPalette[kPixels[static_cast<size_t>(y * 4 + x)]];
      if (color != nullptr && c == *color) {
        EXPECT_EQ(d.after.PixelAt(x, y), d.before.PixelAt(x, y)) << "left out at " << x << "," << y;
      } else {
        EXPECT_EQ(d.after.PixelAt(x, y), Opaque(c)) << "drawn at " << x << "," << y;
      }
    }
  }
}

TEST(ImageObjectLoad, BottomLeftPixelIsTheKeyColour) {
  TempDir dir;
  const std::string file = dir.Write("pic.gif", StillGif(4, 3, kPalette, kPixels));
  for (const char* type : {"1", "0"}) {
    SCOPED_TRACE(type);
    auto image = StartImage(file, std::string("Transparent=1\nTransparentType=") + type);
    EXPECT_EQ(image->KeyColor, Opaque(kRed));
    ExpectOnlyColourLeftOut(*image, &kRed);
  }
}

TEST(ImageObjectLoad, TransparentOffDrawsEveryPixel) {
  TempDir dir;
  const std::string file = dir.Write("pic.gif", StillGif(4, 3, kPalette, kPixels));
  auto image = StartImage(file, "Transparent=0\nTransparentType=1");
  ExpectOnlyColourLeftOut(*image, nullptr);
}

TEST(ImageObjectLoad, TransparentColourIsAWindowsColourMadeOpaque) {
  TempDir dir;
  const std::string file = dir.Write("pic.gif", StillGif(4, 3, kPalette, kPixels));
  // $00BBGGRR: 0x00FF0000 is pure blue.
  auto image = StartImage(file, "Transparent=1\nTransparentType=2\nTransparentColor=0x00FF0000");
  EXPECT_EQ(image->KeyColor, 0xFF0000FFu);
  ExpectOnlyColourLeftOut(*image, &kBlue);
}

TEST(ImageObjectLoad, NegativeTransparentColourNamesASystemColour) {
  // System colour 5 (window background) as the platform reports it, $00BBGGRR.
  const uint32_t system = platform::GetSysColor(5);
  const TGifColor sys{static_cast<uint8_t>(system), static_cast<uint8_t>(system >> 8),
                      static_cast<uint8_t>(system >> 16)};
  const std::vector<TGifColor> palette = {kRed, sys, kGreen};
  const std::vector<uint8_t> pixels = {1, 2, 1, 2, 0, 1, 2, 1, 0, 2, 1, 2};
  TempDir dir;
  const std::string file = dir.Write("pic.gif", StillGif(4, 3, palette, pixels));
  auto image = StartImage(file, "Transparent=1\nTransparentType=2\nTransparentColor=0x80000005");
  EXPECT_EQ(image->KeyColor, Opaque(sys));
  Drawn d;
  DrawOnPattern(*image, d);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      const TGifColor& c = palette[pixels[static_cast<size_t>(y * 4 + x)]];
      EXPECT_EQ(d.after.PixelAt(x, y), c == sys ? d.before.PixelAt(x, y) : Opaque(c)) << x << "," << y;
    }
  }
}

TEST(ImageObjectLoad, StillPictureSetsTheSizeAndDrawingParameters) {
  TempDir dir;
  const std::string file = dir.Write("pic.gif", StillGif(4, 3, kPalette, kPixels));
  auto image = StartImage(file, "Opacity=3\nMotionSpeed=4");
  EXPECT_EQ(image->PicWidth.load(), 4);
  EXPECT_EQ(image->PicHeight.load(), 3);
  for (const TBitmap32* b : {image->FrameBitmap.get(), image->MirrorBitmap.get()}) {
    EXPECT_EQ(b->Width(), 4);
    EXPECT_EQ(b->Height(), 3);
    EXPECT_EQ(b->DrawMode, TDrawMode::dmCustom);
    EXPECT_EQ(b->MasterAlpha, 76);
    EXPECT_EQ(b->StretchFilter, TStretchFilter::sfDraft);
  }
  EXPECT_EQ(image->Speed, 40) << "the base start ran after the picture was loaded";
  EXPECT_TRUE(image->Shown.load());
}

TEST(ImageObjectLoad, EachStartReloadsTheStillPicture) {
  TempDir dir;
  const std::string file = dir.Write("pic.gif", StillGif(4, 3, kPalette, kPixels));
  auto image = StartImage(file, "");
  ASSERT_EQ(image->PicWidth.load(), 4);
  dir.Write("pic.gif", StillGif(2, 5, {kGreen, kBlue}, {0, 1, 0, 1, 0, 1, 0, 1, 1, 0}));
  image->Start();
  EXPECT_EQ(image->PicWidth.load(), 2);
  EXPECT_EQ(image->PicHeight.load(), 5);
  EXPECT_EQ(image->KeyColor, Opaque(kBlue)) << "bottom-left of the new picture";
  EXPECT_EQ(image->MirrorBitmap->Width(), 2);
}

TEST(ImageObjectLoad, UnreadablePictureLeavesNoPicture) {
  TempDir dir;
  const std::string file = dir.Write("pic.txt", StillGif(4, 3, kPalette, kPixels));
  auto image = StartImage(file, "");
  EXPECT_EQ(image->PicWidth.load(), 0);
  EXPECT_TRUE(image->FrameBitmap->Empty());
  const std::string broken = dir.Write("broken.gif", "GIF89a not really");
  auto other = StartImage(broken, "");
  EXPECT_EQ(other->PicWidth.load(), 0);
  EXPECT_TRUE(other->FrameBitmap->Empty());
}

// ---- GIF pictures ----

TEST(ImageObjectLoad, GifYellowIsTheKeyColourAndIsNotDrawn) {
  TManualTicks ticks;
  TempDir dir;
  // Yellow, green / green, yellow on a 2 x 2 screen.
  const std::string file = dir.Write("anim.gif", StillGif(2, 2, {kYellow, kGreen}, {0, 1, 1, 0}));
  TGifObject gif;
  gif.Threaded = false;
  gif.LoadFromText("[Obj0]\nObjType=GIF\nFilename=" + file + "\nOpacity=10");
  gif.DesignWidth = 100;
  gif.DesignHeight = 100;
  gif.FrameRect = Rect(0, 0, 100, 100);
  gif.Start();
  ASSERT_EQ(gif.PicWidth.load(), 2);
  ASSERT_EQ(gif.PicHeight.load(), 2);
  EXPECT_EQ(gif.KeyColor, kGifKey);
  for (const TBitmap32* b : {gif.FrameBitmap.get(), gif.MirrorBitmap.get()}) {
    EXPECT_EQ(b->MasterAlpha, 255);
    EXPECT_EQ(b->StretchFilter, TStretchFilter::sfNearest);
    EXPECT_EQ(b->DrawMode, TDrawMode::dmCustom);
  }
  TBitmap32 frame;
  frame.SetSize(2, 2);
  frame.Clear(0x80102030);
  frame.Draw(0, 0, *gif.FrameBitmap);
  EXPECT_EQ(frame.PixelAt(0, 0), 0x80102030u);
  EXPECT_EQ(frame.PixelAt(1, 1), 0x80102030u);
  EXPECT_EQ(frame.PixelAt(1, 0), Opaque(kGreen));
  EXPECT_EQ(frame.PixelAt(0, 1), Opaque(kGreen));
}

// ---- The common folder ----

// A program files folder of the test's own, and the messages shown.
class FolderShell : public TShell {
 public:
  explicit FolderShell(std::string folder) : folder_(std::move(folder)) {}
  void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
  std::string RecordedProgramFilesDir() override { return folder_; }
  std::vector<std::string> messages;

 private:
  std::string folder_;
};

// The common folder's "images" subfolder, created, with a delimiter at the end.
std::string CommonImages(const TempDir& dir) {
  const char d = platform::PathDelimiter();
  std::filesystem::create_directories(dir.Folder() + "Tovanta" + d + "Common" + d + "images");
  return dir.Folder() + "Tovanta" + d + "Common" + d + "images" + d;
}

TEST(ImageObjectLoad, MissingPictureIsTakenFromTheCommonFolder) {
  TempDir dataHome;
  FolderShell shell(dataHome.Folder());
  const char d = platform::PathDelimiter();
  EXPECT_EQ(GetCommonFolder(shell), dataHome.Folder() + "Tovanta" + d + "Common" + d);
  const std::string images = CommonImages(dataHome);
  TempDir elsewhere;
  const std::string bird = StillGif(4, 3, kPalette, kPixels);
  std::ofstream(images + "bird.gif", std::ios::binary) << bird;

  for (const std::string& stored : {elsewhere.File("bird.gif"), std::string("C:\\Scenes\\Garden\\bird.gif")}) {
    SCOPED_TRACE(stored);
    auto image = StartImage(stored, "MotionSpeed=3", &shell);
    EXPECT_EQ(image->Filename, images + "bird.gif");
    EXPECT_EQ(image->PicWidth.load(), 4);
    EXPECT_EQ(image->Speed, 30);
  }

  // The GIF object looks there too.
  TGifObject gif;
  gif.Threaded = false;
  gif.Shell = &shell;
  gif.LoadFromText("[Obj0]\nObjType=GIF\nFilename=" + elsewhere.File("bird.gif"));
  gif.Start();
  EXPECT_EQ(gif.Filename, images + "bird.gif");
  EXPECT_EQ(gif.PicWidth.load(), 4);
  EXPECT_TRUE(shell.messages.empty());
}

TEST(ImageObjectLoad, PictureFoundAtItsPathIsNotLookedForElsewhere) {
  TempDir dataHome;
  FolderShell shell(dataHome.Folder());
  std::ofstream(CommonImages(dataHome) + "bird.gif", std::ios::binary)
      << StillGif(2, 5, {kGreen, kBlue}, {0, 1, 0, 1, 0, 1, 0, 1, 1, 0});
  TempDir scene;
  const std::string own = scene.Write("bird.gif", StillGif(4, 3, kPalette, kPixels));
  auto image = StartImage(own, "", &shell);
  EXPECT_EQ(image->Filename, own);
  EXPECT_EQ(image->PicWidth.load(), 4);
}

TEST(ImageObjectLoad, PictureMissingEverywhereLeavesTheObjectUnstarted) {
  TManualTicks ticks;
  TempDir dataHome;
  FolderShell shell(dataHome.Folder());
  const std::string images = CommonImages(dataHome);
  auto image = StartImage("/nonexistent/folder/bird.gif", "MotionSpeed=3\nSpeed=12\nPosLeftType=3", &shell);
  EXPECT_EQ(image->Filename, images + "bird.gif") << "the new path is kept";
  EXPECT_EQ(image->PicWidth.load(), 0);
  EXPECT_TRUE(image->FrameBitmap->Empty());
  // The base start did not run: Speed is still the key's value, the start was not chosen.
  EXPECT_EQ(image->Speed, 12);
  EXPECT_EQ(image->X.load(), 0);
}

TEST(ImageObjectLoad, WithoutARecordedFolderTheProgramsFolderStandsInAndTheUserIsTold) {
  FolderShell shell("");
  const std::string folder = shell.ProgramFilesDir();
  EXPECT_EQ(folder, ExtractFilePath(platform::ProgramPath()));
  EXPECT_EQ(shell.messages, std::vector<std::string>{folder});
}

}  // namespace
}  // namespace lumora

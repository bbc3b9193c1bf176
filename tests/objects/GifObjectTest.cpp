// A GIF object's load: its bitmaps, the transparency settings applied to the frames, refresh,
// speed, reloads, and the colour lookup of the transparency settings.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/uTicks.h"
#include "objects/uGifPlayer.h"
#include "objects/uImageObjects.h"
#include "support/GifPictures.h"
#include "support/TempDir.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

using namespace testing;

// What an object section without these keys gives (speed 100 %, transparency on), played
// without threads.
void SceneDefaults(TGifObject& object) {
  object.Threaded = false;
  object.AnimSpeed = 10;
  object.Transparent = true;
  object.TransparentType = 0;
}

TEST(GifObjectLoad, BothBitmapsHaveTheScreenSizeFilledWithTheKeyColour) {
  TempDir dir;
  TGifObject object;
  SceneDefaults(object);
  object.LoadGif(WriteGif(dir, Gif(3, 2, {Frame(0, 0, {"1"}), Frame(0, 0, {"2"})})));
  ASSERT_TRUE(object.Playing);
  EXPECT_EQ(object.KeyColor, kKey);
  EXPECT_EQ(object.PicWidth.load(), 3);
  EXPECT_EQ(object.PicHeight.load(), 2);
  EXPECT_EQ(Picture(*object.FrameBitmap), (Rows{"...", "..."})) << "nothing is painted before the player runs";
  EXPECT_EQ(Picture(*object.MirrorBitmap), (Rows{"...", "..."}));
  EXPECT_NE(object.Player(), nullptr);
}

TEST(GifObjectLoad, PixelsNoFramePaintsKeepTheKeyColourDuringPlayback) {
  // The object's bitmap draws by its own combine rule; the player must still start from its
  // key-colour fill, or the unpainted pixels would be drawn on the scene.
  TempDir dir;
  TGifObject object;
  SceneDefaults(object);
  object.LoadGif(
      WriteGif(dir, Gif(3, 2, {SeeThrough(Frame(0, 0, {"15"}), 5), Frame(2, 1, {"2"}, 2), Frame(0, 1, {"3"})})));
  ASSERT_NE(object.Player(), nullptr);
  object.Player()->AdvanceTo(0);
  EXPECT_EQ(Picture(*object.FrameBitmap), (Rows{"1..", "..."}));
  object.Player()->AdvanceTo(120);
  EXPECT_EQ(Picture(*object.FrameBitmap), (Rows{"1..", "..2"}));
  object.Player()->AdvanceTo(240);
  EXPECT_EQ(Picture(*object.FrameBitmap), (Rows{"1..", "3.."}));
}

TEST(GifObjectLoad, TransparentTypeZeroUsesTheStoredIndexEvenWhenTheFlagWasOff) {
  TempDir dir;
  TGifFrame frame = Frame(0, 0, {"13"});
  frame.Control.TransparentFlag = false;
  frame.Control.TransparentIndex = 3;
  const std::string path = WriteGif(dir, Gif(2, 1, {frame, Frame(0, 0, {"22"})}));

  TGifObject object;
  SceneDefaults(object);
  object.TransparentType = 0;
  object.LoadGif(path);
  ASSERT_EQ(object.Gif->Image.Frames.size(), 2u);
  EXPECT_TRUE(object.Gif->Image.Frames[0].Control.TransparentFlag);
  EXPECT_EQ(object.Gif->Image.Frames[0].Control.TransparentIndex, 3);
  object.Player()->AdvanceTo(0);
  EXPECT_EQ(Picture(*object.FrameBitmap), Rows{"1."});
}

TEST(GifObjectLoad, TransparentOffPaintsEveryPixel) {
  TempDir dir;
  const std::string path = WriteGif(dir, Gif(2, 1, {SeeThrough(Frame(0, 0, {"13"}), 3), Frame(0, 0, {"22"})}));
  TGifObject object;
  SceneDefaults(object);
  object.Transparent = false;
  object.LoadGif(path);
  EXPECT_FALSE(object.Gif->Image.Frames[0].Control.TransparentFlag);
  object.Player()->AdvanceTo(0);
  EXPECT_EQ(Picture(*object.FrameBitmap), Rows{"13"});
}

TEST(GifObjectLoad, TransparentTypeOneTakesTheFirstFramesPixelAtEachFramesHeight) {
  // Palette entries 6 and 7 repeat the colours of 3 and 2: the index found is the first one.
  TGifImage image = Gif(2, 4, {Frame(0, 0, {"15", "65", "25", "75"}), Frame(0, 2, {"11", "11"}), Frame(0, 0, {"4"})});
  image.GlobalColors = {{0, 0, 0}, {200, 0, 0}, {0, 200, 0}, {0, 0, 200},
                        {9, 9, 9}, {1, 1, 1},   {0, 0, 200}, {0, 200, 0}};
  image.Frames[2].HasControl = false;
  TempDir dir;
  const std::string path = WriteGif(dir, image);

  TGifObject object;
  SceneDefaults(object);
  object.TransparentType = 1;
  object.LoadGif(path);
  const std::vector<TGifFrame>& frames = object.Gif->Image.Frames;
  ASSERT_EQ(frames.size(), 3u);
  // Frame 0 is 4 high: row 3 of frame 0 holds index 7, the colour of entry 2.
  EXPECT_TRUE(frames[0].Control.TransparentFlag);
  EXPECT_EQ(frames[0].Control.TransparentIndex, 2);
  // Frame 1 is 2 high: row 1 of frame 0 holds index 6, the colour of entry 3.
  EXPECT_TRUE(frames[1].Control.TransparentFlag);
  EXPECT_EQ(frames[1].Control.TransparentIndex, 3);
  EXPECT_FALSE(frames[2].HasControl) << "a frame without control block keeps its defaults";
  EXPECT_FALSE(frames[2].Control.TransparentFlag);

  // The index decides, not the colour: entry 7 looks like entry 2 and is painted.
  object.Player()->AdvanceTo(0);
  EXPECT_EQ(object.FrameBitmap->PixelAt(0, 2), kKey);
  EXPECT_EQ(object.FrameBitmap->PixelAt(0, 3), Color32(0, 200, 0, 0));
}

TEST(GifObjectLoad, TransparentTypeTwoLooksTheColourUpInTheGlobalTable) {
  TempDir dir;
  const std::string path = WriteGif(dir, Gif(2, 1, {SeeThrough(Frame(0, 0, {"16"}), 1), Frame(0, 0, {"22"})}));
  TGifObject object;
  SceneDefaults(object);
  object.TransparentType = 2;
  object.TransparentColor = 0x001E140A;  // $00BBGGRR of red 10, green 20, blue 30: entry 6
  object.LoadGif(path);
  for (const TGifFrame& frame : object.Gif->Image.Frames) {
    EXPECT_TRUE(frame.Control.TransparentFlag);
    EXPECT_EQ(frame.Control.TransparentIndex, 6);
  }
  object.Player()->AdvanceTo(0);
  EXPECT_EQ(Picture(*object.FrameBitmap), Rows{"1."});
}

TEST(GifObjectLoad, TransparentTypeTwoWithAColourMissingFromTheTableTurnsTransparencyOff) {
  TempDir dir;
  const std::string path =
      WriteGif(dir, Gif(3, 1, {SeeThrough(Frame(0, 0, {"15"}), 5), SeeThrough(Frame(1, 0, {"55"}), 5)}));
  // Unlike a still picture's key, the value is compared as it stands: entry 6's colour with a
  // top byte, and system colour 5 (white, entry 4), match nothing.
  for (const uint32_t missing : {0x00ABCDEFu, 0x1F1E140Au, 0x80000005u}) {
    TGifObject object;
    SceneDefaults(object);
    object.TransparentType = 2;
    object.TransparentColor = static_cast<int32_t>(missing);
    object.LoadGif(path);
    for (const TGifFrame& frame : object.Gif->Image.Frames) EXPECT_FALSE(frame.Control.TransparentFlag) << missing;
    // Every pixel a frame paints is drawn; only what no frame paints keeps the key colour.
    object.Player()->AdvanceTo(0);
    EXPECT_EQ(Picture(*object.FrameBitmap), Rows{"15."});
  }
}

TEST(GifObjectLoad, AReloadThatCannotBeDecodedLeavesNoPicture) {
  TempDir dir;
  const std::string path = WriteGif(dir, Gif(2, 1, {Frame(0, 0, {"11"}), Frame(0, 0, {"22"})}));
  TGifObject object;
  SceneDefaults(object);
  object.Filename = path;
  object.Start();
  ASSERT_EQ(object.PicWidth.load(), 2);
  ASSERT_EQ(Picture(*object.FrameBitmap), Rows{"11"});
  dir.Write("anim.gif", "GIF89a and then nothing");
  object.Reset();  // a new display cycle with ResetPos
  EXPECT_EQ(object.PicWidth.load(), 0);
  EXPECT_TRUE(object.FrameBitmap->Empty()) << "the old frame would be drawn frozen";
  EXPECT_TRUE(object.MirrorBitmap->Empty());
  EXPECT_EQ(object.Player(), nullptr);
}

TEST(GifObjectLoad, RefreshFrameMakesEveryFrameRestoreItsRectangle) {
  TempDir dir;
  TGifFrame plain = Frame(0, 0, {"3"});
  plain.HasControl = false;
  const std::string path = WriteGif(dir, Gif(2, 2, {Frame(0, 0, {"11", "11"}, 1), Frame(1, 1, {"2"}, 0), plain}));
  TGifObject object;
  SceneDefaults(object);
  object.RefreshFrame = true;
  object.LoadGif(path);
  const std::vector<TGifFrame>& frames = object.Gif->Image.Frames;
  EXPECT_EQ(frames[0].Control.Disposal, 2);
  EXPECT_EQ(frames[1].Control.Disposal, 2);
  EXPECT_FALSE(frames[2].HasControl);
  // From the second frame on only the part the current frame paints is visible.
  object.Player()->AdvanceTo(0);
  EXPECT_EQ(Picture(*object.FrameBitmap), (Rows{"11", "11"}));
  object.Player()->AdvanceTo(120);
  EXPECT_EQ(Picture(*object.FrameBitmap), (Rows{"..", ".2"}));
}

TEST(GifObjectLoad, PlaybackSpeedFollowsTheAnimSpeedTable) {
  const std::pair<int32_t, int32_t> table[] = {{0, 0},    {1, 10},   {5, 50},    {10, 100},  {11, 150}, {12, 200},
                                               {15, 350}, {20, 600}, {28, 1000}, {40, 1000}, {-3, 0},   {27, 950}};
  for (const auto& [animSpeed, percent] : table) EXPECT_EQ(TGifObject::PlaybackSpeed(animSpeed), percent) << animSpeed;
}

TEST(GifObjectLoad, AnimSpeedSetsHowLongAFrameShows) {
  TManualTicks ticks(0xFFFFFFA0);  // the player's clock crosses the tick counter's wrap
  TempDir dir;
  const std::string path = WriteGif(dir, Gif(1, 1, {Frame(0, 0, {"1"}), Frame(0, 0, {"2"})}));
  for (const auto& [animSpeed, shown] : {std::pair{10, 120}, std::pair{20, 20}, std::pair{5, 240}}) {
    SCOPED_TRACE(animSpeed);
    TGifObject object;
    SceneDefaults(object);
    object.AnimSpeed = animSpeed;
    object.LoadGif(path);
    const uint32_t start = ticks.Now();
    object.AdvancePlayback(start + static_cast<uint32_t>(shown) - 1);
    EXPECT_EQ(Picture(*object.FrameBitmap), Rows{"1"});
    object.AdvancePlayback(start + static_cast<uint32_t>(shown));
    EXPECT_EQ(Picture(*object.FrameBitmap), Rows{"2"});
  }
}

TEST(GifObjectLoad, AnimSpeedZeroShowsFrameZeroForGood) {
  TManualTicks ticks;
  TempDir dir;
  TGifObject object;
  SceneDefaults(object);
  object.AnimSpeed = 0;
  object.LoadGif(WriteGif(dir, Gif(1, 1, {Frame(0, 0, {"1"}), Frame(0, 0, {"2"})})));
  object.AdvancePlayback(ticks.Now() + 100000);
  EXPECT_EQ(Picture(*object.FrameBitmap), Rows{"1"});
}

TEST(GifObjectLoad, OneFrameGifIsPaintedAtOnceAndHasNoPlayer) {
  TempDir dir;
  TGifObject object;
  SceneDefaults(object);
  object.LoadGif(WriteGif(dir, Gif(2, 1, {SeeThrough(Frame(0, 0, {"14"}), 4)})));
  EXPECT_TRUE(object.Playing);
  EXPECT_EQ(object.Player(), nullptr);
  EXPECT_EQ(Picture(*object.FrameBitmap), Rows{"1."});
}

TEST(GifObjectLoad, MissingOrUndecodableFileLoadsNothing) {
  TempDir dir;
  for (const std::string& path : {dir.File("absent.gif"), dir.Write("bad.gif", "GIF89a but not really")}) {
    SCOPED_TRACE(path);
    TGifObject object;
    SceneDefaults(object);
    object.LoadGif(path);
    EXPECT_FALSE(object.Playing);
    EXPECT_EQ(object.Player(), nullptr);
    EXPECT_EQ(object.PicWidth.load(), 0);
    EXPECT_TRUE(object.FrameBitmap->Empty());
  }
}

TEST(GifObjectLoad, StopPlaybackEndsThePlayers) {
  TempDir dir;
  TGifObject object;  // threaded: its player waits for a drawing thread that never drains
  object.LoadGif(WriteGif(dir, Gif(1, 1, {Looping(Frame(0, 0, {"1"}), 0), Frame(0, 0, {"2"})})));
  ASSERT_TRUE(object.Playing);
  object.StopPlayback();
  EXPECT_FALSE(object.Playing);
  EXPECT_FALSE(object.Gif->HasPlayers());
}

TEST(FindColorIndex, FirstEntryWithTheWindowsColourValue) {
  const std::vector<TGifColor> table = {{1, 2, 3}, {4, 5, 6}, {1, 2, 3}};
  EXPECT_EQ(FindColorIndex(table, 0x00030201), 0);
  EXPECT_EQ(FindColorIndex(table, 0x00060504), 1);
  EXPECT_EQ(FindColorIndex(table, 0x00010203), -1) << "red is the low byte";
  EXPECT_EQ(FindColorIndex({}, 0), -1);
}

}  // namespace
}  // namespace lumora

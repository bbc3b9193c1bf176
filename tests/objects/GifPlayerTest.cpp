// The GIF player: frame timing on the driven player's clock, passes and the loop point,
// composition with transparency and disposal, the threaded player's hand-over to the drawing
// thread and its stop, a GIF object's load settings, and vxscene's gif-frames command.
//
// Pictures are compared as rows of characters (see Picture), so that an expectation reads like
// the frame drawn on paper.
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Commands.h"
#include "objects/uGifPlayer.h"
#include "objects/uImageObjects.h"
#include "objects/uPaintQueue.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"
#include "support/FakeTicks.h"
#include "support/PngReader.h"
#include "support/TempDir.h"


namespace lumora {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using Rows = std::vector<std::string>;

constexpr TColor32 kKey = 0x00FFFF00;       // the fill a GIF object's bitmaps get
constexpr TColor32 kOutside = 0xFF123456;   // target pixels outside the GIF's rectangle

// Eight colours, none of them the key colour. Index i shows as the digit i in Picture.
const std::vector<TGifColor> kPalette = {{0, 0, 0},       {200, 0, 0},     {0, 200, 0},   {0, 0, 200},
                                         {255, 255, 255}, {128, 128, 128}, {10, 20, 30}, {200, 100, 50}};

// A frame with a control block, its pixels given as rows of palette digits.
TGifFrame Frame(int32_t left, int32_t top, const Rows& rows, int disposal = 1, uint16_t delay = 10) {
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

TGifFrame SeeThrough(TGifFrame frame, uint8_t index) {
  frame.Control.TransparentFlag = true;
  frame.Control.TransparentIndex = index;
  return frame;
}

TGifFrame Looping(TGifFrame frame, uint16_t count) {
  frame.HasLoop = true;
  frame.LoopCount = count;
  return frame;
}

TGifImage Gif(int32_t width, int32_t height, std::vector<TGifFrame> frames) {
  TGifImage gif;
  gif.Width = width;
  gif.Height = height;
  gif.GlobalColors = kPalette;
  gif.Frames = std::move(frames);
  return gif;
}

// What the player writes for palette index i: its colour with alpha 0.
TColor32 Painted(int index) {
  const TGifColor& c = kPalette[static_cast<size_t>(index)];
  return Color32(c.Red, c.Green, c.Blue, 0);
}

// The picture as rows: '.' the key colour, a digit a palette colour with alpha 0, '#' kOutside,
// '?' anything else (a palette colour with another alpha among them).
Rows Picture(const TBitmap32& bitmap) {
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

// A GIF played without a thread into rectangle (0, 0, screen) of a target filled with `fill`;
// a target larger than the screen has kOutside around it. Every painting is recorded.
class Driven {
 public:
  explicit Driven(TGifImage image, int32_t speed = 100, int32_t extraWidth = 0, int32_t extraHeight = 0,
                  TColor32 fill = kKey)
      : gif(std::move(image)) {
    const int32_t width = gif.Image.Width, height = gif.Image.Height;
    target.SetSize(width + extraWidth, height + extraHeight);
    target.Clear(kOutside);
    target.FillRect(0, 0, width, height, fill);
    player = gif.Start(target, Rect(0, 0, width, height), speed, false);
    if (player != nullptr) player->OnPaint = [this](int frame, int64_t time) { paintings.emplace_back(frame, time); };
  }

  void PlayTo(int64_t ms) { player->AdvanceTo(ms); }
  // Paints one planned painting after the other until `count` are recorded or none is planned.
  void PlayPaintings(size_t count) {
    while (paintings.size() < count && player->NextPaintTime() >= 0) player->AdvanceTo(player->NextPaintTime());
  }
  // Plays to the next painting and returns the picture it left.
  Rows Next() {
    PlayPaintings(paintings.size() + 1);
    return Picture(target);
  }
  std::vector<int> Frames() const {
    std::vector<int> frames;
    for (const auto& painting : paintings) frames.push_back(painting.first);
    return frames;
  }
  std::vector<int64_t> Times() const {
    std::vector<int64_t> times;
    for (const auto& painting : paintings) times.push_back(painting.second);
    return times;
  }

  TBitmap32 target;  // declared before the GIF, whose players paint it
  TGif gif;
  TGifPlayer* player = nullptr;
  std::vector<std::pair<int, int64_t>> paintings;
};

// ---- Timing ----

TEST(GifPlayerTiming, DelayOfTenLastsTwelveMillisecondsPerUnitScaledBySpeed) {
  for (const auto& [speed, shown] : {std::pair{100, 120}, std::pair{600, 20}, std::pair{50, 240}}) {
    SCOPED_TRACE(speed);
    Driven played(Gif(2, 1, {Looping(Frame(0, 0, {"11"}), 0), Frame(0, 0, {"22"})}), speed);
    played.PlayTo(0);
    EXPECT_EQ(Picture(played.target), Rows{"11"});
    played.PlayTo(shown - 1);
    EXPECT_EQ(Picture(played.target), Rows{"11"}) << "frame 0 must stay for the whole delay";
    played.PlayTo(shown);
    EXPECT_EQ(Picture(played.target), Rows{"22"});
    played.PlayTo(2 * shown);
    EXPECT_EQ(played.Times(), (std::vector<int64_t>{0, shown, 2 * shown}));
    EXPECT_EQ(played.Frames(), (std::vector<int>{0, 1, 0}));
  }
}

TEST(GifPlayerTiming, DelaysBelowThreeCountAsThree) {
  // Delays 1, 2, 3 all last 36 ms; 4 lasts 48 ms, so the floor is 3 and not a fixed value.
  Driven played(Gif(1, 1, {Frame(0, 0, {"1"}, 1, 1), Frame(0, 0, {"2"}, 1, 2), Frame(0, 0, {"3"}, 1, 3),
                           Frame(0, 0, {"4"}, 1, 4), Frame(0, 0, {"5"})}));
  played.PlayPaintings(10);
  EXPECT_EQ(played.Times(), (std::vector<int64_t>{0, 36, 72, 108, 156}));
}

TEST(GifPlayerTiming, ZeroDelayAndMissingControlBlockCountAsTen) {
  TGifFrame withoutControl = Frame(0, 0, {"2"});
  withoutControl.HasControl = false;
  withoutControl.Control = TGifControl{};
  withoutControl.Control.Delay = 50;  // not a block of the file: must not count
  Driven played(Gif(1, 1, {Frame(0, 0, {"1"}, 1, 0), withoutControl, Frame(0, 0, {"3"})}));
  played.PlayPaintings(10);
  EXPECT_EQ(played.Times(), (std::vector<int64_t>{0, 120, 240}));
}

TEST(GifPlayerTiming, EachWaitIsRoundedToTheNearestMillisecond) {
  // At 350 %: 120 ms become 34.29 -> 34, 48 ms become 13.71 -> 14.
  Driven slow(Gif(1, 1, {Frame(0, 0, {"1"}, 1, 10), Frame(0, 0, {"2"}, 1, 4), Frame(0, 0, {"3"})}), 350);
  slow.PlayPaintings(10);
  EXPECT_EQ(slow.Times(), (std::vector<int64_t>{0, 34, 48}));
  // At 1000 % a delay of 3 waits 3.6 -> 4 ms each time, not 7.2 ms rounded once for two.
  Driven fast(Gif(1, 1, {Frame(0, 0, {"1"}, 1, 3), Frame(0, 0, {"2"}, 1, 3), Frame(0, 0, {"3"})}), 1000);
  fast.PlayPaintings(10);
  EXPECT_EQ(fast.Times(), (std::vector<int64_t>{0, 4, 8}));
}

TEST(GifPlayerTiming, SpeedZeroPaintsFrameZeroAndStaysOnIt) {
  Driven played(Gif(2, 1, {Looping(Frame(0, 0, {"11"}), 0), Frame(0, 0, {"22"})}), 0);
  played.PlayTo(0);
  EXPECT_EQ(Picture(played.target), Rows{"11"});
  EXPECT_EQ(played.player->NextPaintTime(), -1);
  played.PlayTo(int64_t{1} << 40);
  EXPECT_EQ(Picture(played.target), Rows{"11"});
  EXPECT_EQ(played.Frames(), std::vector<int>{0});
}

// ---- Passes and the loop point ----

TEST(GifPlayerLooping, WithoutExtensionOnePassIsPlayedAndTheLastFrameStays) {
  Driven played(Gif(1, 1, {Frame(0, 0, {"1"}), Frame(0, 0, {"2"}), Frame(0, 0, {"3"})}));
  played.PlayTo(100000);
  EXPECT_EQ(played.Frames(), (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(played.player->Ended());
  EXPECT_EQ(played.player->NextPaintTime(), -1);
  EXPECT_EQ(Picture(played.target), Rows{"3"});
}

TEST(GifPlayerLooping, CountNPlaysNPasses) {
  Driven played(Gif(1, 1, {Looping(Frame(0, 0, {"1"}), 3), Frame(0, 0, {"2"})}));
  played.PlayTo(100000);
  EXPECT_EQ(played.Frames(), (std::vector<int>{0, 1, 0, 1, 0, 1}));
  EXPECT_TRUE(played.player->Ended());
  // The next pass follows the last frame after that frame's own delay.
  EXPECT_EQ(played.Times(), (std::vector<int64_t>{0, 120, 240, 360, 480, 600}));
}

TEST(GifPlayerLooping, CountZeroPlaysForAsLongAsItRuns) {
  Driven played(Gif(1, 1, {Looping(Frame(0, 0, {"1"}), 0), Frame(0, 0, {"2"}), Frame(0, 0, {"3"})}));
  played.PlayPaintings(300);
  ASSERT_EQ(played.paintings.size(), 300u);
  for (size_t i = 0; i < played.paintings.size(); ++i) EXPECT_EQ(played.paintings[i].first, static_cast<int>(i % 3)) << i;
  EXPECT_FALSE(played.player->Ended());
}

TEST(GifPlayerLooping, ExtensionOnFrameOneMakesItTheLoopPoint) {
  Driven played(Gif(1, 1, {Frame(0, 0, {"1"}), Looping(Frame(0, 0, {"2"}), 0), Frame(0, 0, {"3"})}));
  played.PlayPaintings(9);
  EXPECT_EQ(played.Frames(), (std::vector<int>{0, 1, 2, 1, 2, 1, 2, 1, 2}));
}

TEST(GifPlayerLooping, CountOnALaterFrameCountsThePassThatFoundIt) {
  // Pass 1 is 0, 1, 2 and takes the count 2 at frame 1; one more pass from frame 1 follows.
  Driven played(Gif(1, 1, {Frame(0, 0, {"1"}), Looping(Frame(0, 0, {"2"}), 2), Frame(0, 0, {"3"})}));
  played.PlayTo(100000);
  EXPECT_EQ(played.Frames(), (std::vector<int>{0, 1, 2, 1, 2}));
}

TEST(GifPlayerLooping, OnlyTheFirstExtensionIsTaken) {
  Driven played(Gif(1, 1, {Looping(Frame(0, 0, {"1"}), 2), Looping(Frame(0, 0, {"2"}), 0)}));
  played.PlayTo(100000);
  EXPECT_EQ(played.Frames(), (std::vector<int>{0, 1, 0, 1}));
  EXPECT_TRUE(played.player->Ended());
}

TEST(GifPlayerLooping, AFrameWithoutImageDataEndsThePass) {
  TGifFrame empty = Frame(0, 0, {"3"});
  empty.Indices.clear();
  Driven played(Gif(1, 1, {Looping(Frame(0, 0, {"1"}), 2), Frame(0, 0, {"2"}), empty, Frame(0, 0, {"4"})}));
  played.PlayTo(100000);
  EXPECT_EQ(played.Frames(), (std::vector<int>{0, 1, 0, 1}));
}

// ---- Composition ----

TEST(GifPlayerComposition, DisposalZeroAndOneKeepTheFrameForTheNext) {
  Driven played(Gif(3, 2, {Frame(0, 0, {"111", "111"}, 0), Frame(1, 0, {"22"}, 1), Frame(0, 1, {"3"}, 1)}));
  EXPECT_EQ(played.Next(), (Rows{"111", "111"}));
  EXPECT_EQ(played.Next(), (Rows{"122", "111"}));
  EXPECT_EQ(played.Next(), (Rows{"122", "311"}));
}

TEST(GifPlayerComposition, DisposalTwoRestoresItsRectangleFromTheBackgroundBeforeTheNextFrame) {
  Driven played(Gif(3, 2, {Frame(0, 0, {"111", "111"}, 1), Frame(1, 0, {"22", "22"}, 2), Frame(0, 0, {"4"}, 1)}));
  EXPECT_EQ(played.Next(), (Rows{"111", "111"}));
  EXPECT_EQ(played.Next(), (Rows{"122", "122"})) << "a disposal-2 frame is shown first";
  EXPECT_EQ(played.Next(), (Rows{"4..", "1.."}));
}

TEST(GifPlayerComposition, DisposalThreeOverOneIsShownButNotKept) {
  Driven played(Gif(3, 2, {Frame(0, 0, {"111", "111"}, 1), Frame(1, 0, {"22", "22"}, 3), Frame(0, 0, {"4"}, 1)}));
  EXPECT_EQ(played.Next(), (Rows{"111", "111"}));
  EXPECT_EQ(played.Next(), (Rows{"122", "122"}));
  EXPECT_EQ(played.Next(), (Rows{"411", "111"}));
}

TEST(GifPlayerComposition, DisposalThreeAfterTwoIsShownOnTheCompositionNotOnTheTarget) {
  // Frame 0 is disposed of (2), so frame 1 (3) shows over the background, not over frame 0.
  Driven played(Gif(3, 2, {Frame(0, 0, {"111", "111"}, 2), SeeThrough(Frame(1, 0, {"25", "25"}, 3), 5),
                           Frame(0, 1, {"4"}, 1)}));
  EXPECT_EQ(played.Next(), (Rows{"111", "111"}));
  EXPECT_EQ(played.Next(), (Rows{".2.", ".2."}));
  EXPECT_EQ(played.Next(), (Rows{"...", "4.."}));
}

TEST(GifPlayerComposition, DisposalFourToSevenIsNotPainted) {
  for (int disposal = 4; disposal <= 7; ++disposal) {
    SCOPED_TRACE(disposal);
    Driven played(Gif(2, 2, {Frame(0, 0, {"11", "11"}, 1), Frame(0, 0, {"22", "22"}, disposal), Frame(0, 0, {"3"}, 1)}));
    EXPECT_EQ(played.Next(), (Rows{"11", "11"}));
    EXPECT_EQ(played.Next(), (Rows{"11", "11"}));
    EXPECT_EQ(played.Next(), (Rows{"31", "11"}));
    EXPECT_EQ(played.Times(), (std::vector<int64_t>{0, 120, 240})) << "the unpainted frame still takes its delay";
  }
}

TEST(GifPlayerComposition, FrameZeroRestoresItsRectangleAtEveryPass) {
  Driven played(Gif(3, 1, {Looping(SeeThrough(Frame(0, 0, {"15"}), 5), 0), Frame(0, 0, {"222"})}));
  EXPECT_EQ(played.Next(), Rows{"1.."});
  EXPECT_EQ(played.Next(), Rows{"222"});
  // Its transparent pixel shows the background again, while the pixel outside it keeps frame 1.
  EXPECT_EQ(played.Next(), Rows{"1.2"});
}

TEST(GifPlayerComposition, TransparentIndexIsLeftOutOnlyWhenTheFlagIsSet) {
  Driven flagged(Gif(4, 1, {Frame(0, 0, {"1111"}), SeeThrough(Frame(0, 0, {"2525"}), 5)}));
  flagged.PlayPaintings(2);
  EXPECT_EQ(Picture(flagged.target), Rows{"2121"});

  TGifFrame stored = Frame(0, 0, {"2525"});
  stored.Control.TransparentIndex = 5;  // the index byte without the flag
  Driven unflagged(Gif(4, 1, {Frame(0, 0, {"1111"}), stored}));
  unflagged.PlayPaintings(2);
  EXPECT_EQ(Picture(unflagged.target), Rows{"2525"});
}

TEST(GifPlayerComposition, WrittenPixelsCarryAlphaZeroAndUnwrittenOnesKeepTheBackground) {
  constexpr TColor32 opaqueGrey = 0xFF808080;
  Driven played(Gif(2, 1, {SeeThrough(Frame(0, 0, {"15"}), 5), Frame(1, 0, {"7"})}), 100, 0, 0, opaqueGrey);
  played.PlayTo(0);
  EXPECT_EQ(played.target.PixelAt(0, 0), Color32(200, 0, 0, 0));
  EXPECT_EQ(played.target.PixelAt(1, 0), opaqueGrey);
  played.PlayTo(120);
  EXPECT_EQ(played.target.PixelAt(1, 0), Color32(200, 100, 50, 0));
}

TEST(GifPlayerComposition, FramesReachingOutsideTheScreenAreClippedToIt) {
  // A 4 x 3 screen in a 6 x 5 target; every frame reaches past the screen's right or bottom.
  Driven played(Gif(4, 3, {Frame(0, 0, {"1111", "1111", "1111"}, 1), Frame(2, 1, {"2222", "2222", "2222", "2222"}, 3),
                           Frame(3, 2, {"33", "33"}, 2), Frame(5, 0, {"4"}, 1)}),
                100, 2, 2);
  EXPECT_EQ(played.Next(), (Rows{"1111##", "1111##", "1111##", "######", "######"}));
  // Disposal 3 over 1 goes straight onto the target: still only inside the rectangle.
  EXPECT_EQ(played.Next(), (Rows{"1111##", "1122##", "1122##", "######", "######"}));
  EXPECT_EQ(played.Next(), (Rows{"1111##", "1111##", "1113##", "######", "######"}));
  // Its visible part was restored; a frame wholly outside the screen paints nothing.
  EXPECT_EQ(played.Next(), (Rows{"1111##", "1111##", "111.##", "######", "######"}));
}

TEST(GifPlayerComposition, LocalColourTableIsUsedForItsFrame) {
  TGifFrame local = Frame(0, 0, {"01"});
  local.LocalColors = {kPalette[6], kPalette[7]};
  Driven played(Gif(2, 1, {Frame(0, 0, {"11"}), local}));
  played.PlayPaintings(2);
  EXPECT_EQ(Picture(played.target), Rows{"67"});
}

// ---- Starting ----

TEST(GifStart, NoFrameOrEmptyRectangleStartsNothing) {
  TBitmap32 target;
  target.SetSize(2, 1);
  target.Clear(kKey);
  TGif empty(Gif(2, 1, {}));
  EXPECT_EQ(empty.Start(target, Rect(0, 0, 2, 1), 100, false), nullptr);
  TGif two(Gif(2, 1, {Frame(0, 0, {"11"}), Frame(0, 0, {"22"})}));
  EXPECT_EQ(two.Start(target, Rect(1, 0, 1, 1), 100, false), nullptr);
  EXPECT_FALSE(empty.HasPlayers());
  EXPECT_FALSE(two.HasPlayers());
  EXPECT_EQ(Picture(target), Rows{".."});
}

TEST(GifStart, OneFrameIsPaintedOnceWithoutPlayer) {
  TBitmap32 target;
  target.SetSize(3, 1);
  target.Clear(kKey);
  TGif gif(Gif(3, 1, {Looping(SeeThrough(Frame(0, 0, {"152"}), 5), 0)}));
  EXPECT_EQ(gif.Start(target, Rect(0, 0, 3, 1), 100, true), nullptr);
  EXPECT_FALSE(gif.HasPlayers());
  EXPECT_EQ(Picture(target), Rows{"1.2"});
}

// ---- The threaded player ----

// A drawing thread: carries out the handed-over paintings every 2 ms until it is destroyed.
class DrawingThread {
 public:
  DrawingThread()
      : thread_([this] {
          while (!done_) {
            PaintQueue().Drain();
            std::this_thread::sleep_for(2ms);
          }
        }) {}
  ~DrawingThread() {
    done_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// Waits up to `limit` for `condition`.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = 5000ms) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Records the paintings of a threaded player, with the picture each left, from its thread.
struct Recorder {
  void Attach(TGifPlayer& player, const TBitmap32& target) {
    player.OnPaint = [this, &target](int frame, int64_t) {
      std::lock_guard<std::mutex> hold(lock);
      frames.push_back(frame);
      pictures.push_back(Picture(target)[0]);
    };
  }
  size_t Count() {
    std::lock_guard<std::mutex> hold(lock);
    return frames.size();
  }
  std::mutex lock;
  std::vector<int> frames;
  std::vector<std::string> pictures;
};

TEST(GifPlayerThreads, FramesAreCarriedOutByTheDrawingThread) {
  TBitmap32 target;
  target.SetSize(2, 1);
  target.Clear(kKey);
  TGif gif(Gif(2, 1, {Looping(Frame(0, 0, {"11"}, 1, 3), 0), Frame(0, 0, {"22"}, 1, 3), Frame(1, 0, {"3"}, 1, 3)}));
  Recorder recorder;
  TGifPlayer* player = gif.Start(target, Rect(0, 0, 2, 1), 1000, true);
  ASSERT_NE(player, nullptr);
  // Attached before any drawing thread runs: the first painting cannot have happened yet.
  recorder.Attach(*player, target);
  {
    DrawingThread drawing;
    EXPECT_TRUE(WaitFor([&] { return recorder.Count() >= 8; })) << "paintings: " << recorder.Count();
    gif.StopAll();
  }
  EXPECT_FALSE(gif.HasPlayers());
  std::lock_guard<std::mutex> hold(recorder.lock);
  const std::vector<std::string> expected = {"11", "22", "23"};
  for (size_t i = 0; i < recorder.frames.size(); ++i) {
    EXPECT_EQ(recorder.frames[i], static_cast<int>(i % 3)) << i;
    EXPECT_EQ(recorder.pictures[i], expected[i % 3]) << i;
  }
}

TEST(GifPlayerThreads, NothingIsPaintedUntilTheDrawingThreadDrainsTheQueue) {
  TBitmap32 target;
  target.SetSize(2, 1);
  target.Clear(kKey);
  TGif gif(Gif(2, 1, {Frame(0, 0, {"11"}, 1, 100), Frame(0, 0, {"22"})}));
  ASSERT_NE(gif.Start(target, Rect(0, 0, 2, 1), 100, true), nullptr);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(Picture(target), Rows{".."}) << "the player must not paint on its own thread";
  // This thread is the drawing thread from now on.
  EXPECT_TRUE(WaitFor([&] {
    PaintQueue().Drain();
    return Picture(target) == Rows{"11"};
  }));
  gif.StopAll();
  EXPECT_FALSE(gif.HasPlayers());
}

TEST(GifPlayerThreads, StopDuringALongWaitEndsThePlayerAtOnceWithoutPaintingAgain) {
  TBitmap32 target;
  target.SetSize(2, 1);
  target.Clear(kKey);
  // Frame 0 stays 1.2 s.
  TGif gif(Gif(2, 1, {Looping(Frame(0, 0, {"11"}, 1, 100), 0), Frame(0, 0, {"22"})}));
  std::atomic<int> paintings{0};
  TGifPlayer* player = gif.Start(target, Rect(0, 0, 2, 1), 100, true);
  ASSERT_NE(player, nullptr);
  player->OnPaint = [&](int, int64_t) { ++paintings; };
  DrawingThread drawing;
  ASSERT_TRUE(WaitFor([&] { return paintings.load() == 1; }));
  std::this_thread::sleep_for(100ms);  // well inside the wait
  const auto before = std::chrono::steady_clock::now();
  gif.StopAll();
  const auto took = std::chrono::steady_clock::now() - before;
  EXPECT_LT(took, 500ms);  // at once, against a 1.2 s wait; the slack is for a loaded machine
  EXPECT_FALSE(gif.HasPlayers());
  std::this_thread::sleep_for(1300ms);  // past the planned end of the wait
  EXPECT_EQ(Picture(target), Rows{"11"});
  EXPECT_EQ(paintings.load(), 1);
}

TEST(GifPlayerThreads, StopAllOnTheDrawingThreadWhileAPaintingWaitsDoesNotDeadlock) {
  auto done = std::make_shared<std::promise<bool>>();
  std::future<bool> finished = done->get_future();
  std::thread drawing([done] {
    PaintQueue().Drain();  // makes this the drawing thread
    TBitmap32 target;
    target.SetSize(2, 1);
    target.Clear(kKey);
    TGif gif(Gif(2, 1, {Looping(Frame(0, 0, {"11"}, 1, 3), 0), Frame(0, 0, {"22"}, 1, 3)}));
    gif.Start(target, Rect(0, 0, 2, 1), 1000, true);
    std::this_thread::sleep_for(50ms);  // the player has handed over frame 0 and waits for it
    gif.StopAll();
    done->set_value(!gif.HasPlayers());
  });
  if (finished.wait_for(5s) != std::future_status::ready) {
    drawing.detach();  // stuck for good: let the process end around it
    FAIL() << "StopAll on the drawing thread did not return";
  }
  drawing.join();
  EXPECT_TRUE(finished.get());
}

TEST(GifPlayerThreads, StopAllOnAWorkerReturnsWhileTheDrawingThreadDrains) {
  TBitmap32 target;
  target.SetSize(2, 1);
  target.Clear(kKey);
  TGif gif(Gif(2, 1, {Looping(Frame(0, 0, {"11"}, 1, 3), 0), Frame(0, 0, {"22"}, 1, 3)}));
  DrawingThread drawing;
  for (int round = 0; round < 20; ++round) {
    ASSERT_NE(gif.Start(target, Rect(0, 0, 2, 1), 1000, true), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 5));
    gif.StopAll();
    EXPECT_FALSE(gif.HasPlayers()) << round;
  }
}

// ---- A GIF object's load ----

std::string WriteGif(const TempDir& dir, const TGifImage& gif, const std::string& name = "anim.gif") {
  return dir.Write(name, EncodeGif(gif));
}

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
  object.LoadGif(WriteGif(dir, Gif(3, 2, {SeeThrough(Frame(0, 0, {"15"}), 5), Frame(2, 1, {"2"}, 2), Frame(0, 1, {"3"})})));
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
  TGifImage image = Gif(2, 4,
                        {Frame(0, 0, {"15", "65", "25", "75"}), Frame(0, 2, {"11", "11"}), Frame(0, 0, {"4"})});
  image.GlobalColors = {{0, 0, 0}, {200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {9, 9, 9}, {1, 1, 1}, {0, 0, 200}, {0, 200, 0}};
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
  const std::pair<int32_t, int32_t> table[] = {{0, 0},     {1, 10},    {5, 50},     {10, 100},   {11, 150},
                                               {12, 200},  {15, 350},  {20, 600},   {28, 1000},  {40, 1000},
                                               {-3, 0},    {27, 950}};
  for (const auto& [animSpeed, percent] : table) EXPECT_EQ(TGifObject::PlaybackSpeed(animSpeed), percent) << animSpeed;
}

TEST(GifObjectLoad, AnimSpeedSetsHowLongAFrameShows) {
  testing::FakeTicks ticks(0xFFFFFFA0);  // the player's clock crosses the tick counter's wrap
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
  testing::FakeTicks ticks;
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

// ---- vxscene gif-frames ----

using Png = testing::TPngPixels;

Png ReadPng(const std::string& path) { return testing::ReadPngRgb(path); }

size_t CountPngs(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) count += entry.path().extension() == ".png";
  return count;
}

TEST(GifFramesCommand, WritesEveryPaintingAndTheirList) {
  TempDir dir;
  const std::string gif = WriteGif(dir, Gif(3, 2, {Frame(0, 0, {"111", "111"}), Frame(1, 1, {"2"}), Frame(0, 0, {"3"}, 1, 5)}));
  const std::string out = dir.File("out");
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", out}), 0);
  EXPECT_EQ(CountPngs(out), 3u);
  EXPECT_EQ(testing::ReadAll(out + "/paintings.json"),
            "{\"width\": 3, \"height\": 2, \"speed\": 100, \"paintings\": ["
            "{\"file\": \"paint_0001.png\", \"frame\": 0, \"time\": 0}, "
            "{\"file\": \"paint_0002.png\", \"frame\": 1, \"time\": 120}, "
            "{\"file\": \"paint_0003.png\", \"frame\": 2, \"time\": 240}]}\n");
  const Png second = ReadPng(out + "/paint_0002.png");
  ASSERT_EQ(second.width, 3);
  ASSERT_EQ(second.height, 2);
  EXPECT_EQ(second.At(0, 0), (std::array<int, 3>{200, 0, 0}));
  EXPECT_EQ(second.At(1, 1), (std::array<int, 3>{0, 200, 0}));
  const Png third = ReadPng(out + "/paint_0003.png");
  EXPECT_EQ(third.At(0, 0), (std::array<int, 3>{0, 0, 200}));
}

TEST(GifFramesCommand, OptionsReachTheObject) {
  TempDir dir;
  // Pixels of index 6 ($001E140A) are left out with type 2; --no-transparent paints them.
  const std::string gif = WriteGif(dir, Gif(2, 1, {Frame(0, 0, {"16"}), Frame(0, 0, {"2"})}));
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("keyed"), "--transparent-type", "2", "--transparent-color",
                                 "$001E140A", "--anim-speed", "20"}),
            0);
  const std::string keyedList = testing::ReadAll(dir.File("keyed") + "/paintings.json");
  EXPECT_NE(keyedList.find("\"speed\": 600"), std::string::npos) << keyedList;
  EXPECT_NE(keyedList.find("\"time\": 20}"), std::string::npos) << keyedList;
  EXPECT_EQ(ReadPng(dir.File("keyed") + "/paint_0001.png").At(1, 0), (std::array<int, 3>{255, 255, 0}));

  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("plain"), "--transparent-type", "2", "--transparent-color",
                                 "0x001E140A", "--no-transparent"}),
            0);
  EXPECT_EQ(ReadPng(dir.File("plain") + "/paint_0001.png").At(1, 0), (std::array<int, 3>{10, 20, 30}));

  // With --refresh-frame frame 0 is gone when frame 1 paints only its own pixel.
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("refresh"), "--refresh-frame"}), 0);
  EXPECT_EQ(ReadPng(dir.File("refresh") + "/paint_0002.png").At(1, 0), (std::array<int, 3>{255, 255, 0}));
}

TEST(GifFramesCommand, AnEndlessGifStopsAtFiveHundredPaintings) {
  TempDir dir;
  const std::string gif = WriteGif(dir, Gif(1, 1, {Looping(Frame(0, 0, {"1"}), 0), Frame(0, 0, {"2"})}));
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("out")}), 0);
  EXPECT_EQ(CountPngs(dir.File("out")), 500u);
  const std::string list = testing::ReadAll(dir.File("out") + "/paintings.json");
  EXPECT_NE(list.find("{\"file\": \"paint_0500.png\", \"frame\": 1, \"time\": 59880}]}"), std::string::npos);
  EXPECT_EQ(list.find("paint_0501"), std::string::npos);
}

TEST(GifFramesCommand, AOneFrameGifHasItsOnePaintingAtTimeZero) {
  TempDir dir;
  const std::string gif = WriteGif(dir, Gif(2, 1, {Frame(0, 0, {"11"})}));
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("out")}), 0);
  EXPECT_EQ(CountPngs(dir.File("out")), 1u);
  EXPECT_EQ(testing::ReadAll(dir.File("out") + "/paintings.json"),
            "{\"width\": 2, \"height\": 1, \"speed\": 100, \"paintings\": ["
            "{\"file\": \"paint_0001.png\", \"frame\": 0, \"time\": 0}]}\n");
  EXPECT_EQ(ReadPng(dir.File("out") + "/paint_0001.png").At(1, 0), (std::array<int, 3>{200, 0, 0}));
}

TEST(GifFramesCommand, BadInputIsRefused) {
  TempDir dir;
  const std::string gif = WriteGif(dir, Gif(1, 1, {Frame(0, 0, {"1"}), Frame(0, 0, {"2"})}));
  const std::string out = dir.File("out");
  EXPECT_THROW(tools::RunGifFrames({gif}), tools::UsageError);
  EXPECT_THROW(tools::RunGifFrames({"--out", out}), tools::UsageError);
  EXPECT_THROW(tools::RunGifFrames({gif, "--out", out, "--anim-speed", "fast"}), tools::UsageError);
  EXPECT_THROW(tools::RunGifFrames({gif, "--out", out, "--anim-speed", "-1"}), tools::UsageError);
  EXPECT_THROW(tools::RunGifFrames({gif, "--out", out, "--transparent-color", "0x"}), tools::UsageError);
  EXPECT_THROW(tools::RunGifFrames({gif, "--out", out, "--frames", "3"}), tools::UsageError);
  EXPECT_THROW(tools::RunGifFrames({dir.File("absent.gif"), "--out", out}), std::runtime_error);
  EXPECT_THROW(tools::RunGifFrames({dir.Write("bad.gif", "not a picture"), "--out", out}), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(out)) << "nothing is written for a refused command";
}

}  // namespace
}  // namespace lumora

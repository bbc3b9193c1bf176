// The GIF player: frame timing on the driven player's clock, passes and the loop point,
// composition with transparency and disposal, and the threaded player's hand-over to the
// drawing thread and its stop.
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "objects/uGifPlayer.h"
#include "objects/uPaintQueue.h"
#include "support/GifPictures.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

using namespace std::chrono_literals;
using namespace testing;

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
    player = gif.Start(target, Rect(0, 0, width, height), speed, nullptr);
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
  Driven played(Gif(1, 1,
                    {Frame(0, 0, {"1"}, 1, 1), Frame(0, 0, {"2"}, 1, 2), Frame(0, 0, {"3"}, 1, 3),
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
  for (size_t i = 0; i < played.paintings.size(); ++i)
    EXPECT_EQ(played.paintings[i].first, static_cast<int>(i % 3)) << i;
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
  Driven played(
      Gif(3, 2, {Frame(0, 0, {"111", "111"}, 2), SeeThrough(Frame(1, 0, {"25", "25"}, 3), 5), Frame(0, 1, {"4"}, 1)}));
  EXPECT_EQ(played.Next(), (Rows{"111", "111"}));
  EXPECT_EQ(played.Next(), (Rows{".2.", ".2."}));
  EXPECT_EQ(played.Next(), (Rows{"...", "4.."}));
}

TEST(GifPlayerComposition, DisposalFourToSevenIsNotPainted) {
  for (int disposal = 4; disposal <= 7; ++disposal) {
    SCOPED_TRACE(disposal);
    Driven played(
        Gif(2, 2, {Frame(0, 0, {"11", "11"}, 1), Frame(0, 0, {"22", "22"}, disposal), Frame(0, 0, {"3"}, 1)}));
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
  Driven played(Gif(4, 3,
                    {Frame(0, 0, {"1111", "1111", "1111"}, 1), Frame(2, 1, {"2222", "2222", "2222", "2222"}, 3),
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
  EXPECT_EQ(empty.Start(target, Rect(0, 0, 2, 1), 100, nullptr), nullptr);
  TGif two(Gif(2, 1, {Frame(0, 0, {"11"}), Frame(0, 0, {"22"})}));
  EXPECT_EQ(two.Start(target, Rect(1, 0, 1, 1), 100, nullptr), nullptr);
  EXPECT_FALSE(empty.HasPlayers());
  EXPECT_FALSE(two.HasPlayers());
  EXPECT_EQ(Picture(target), Rows{".."});
}

TEST(GifStart, OneFrameIsPaintedOnceWithoutPlayer) {
  TBitmap32 target;
  target.SetSize(3, 1);
  target.Clear(kKey);
  TGif gif(Gif(3, 1, {Looping(SeeThrough(Frame(0, 0, {"152"}), 5), 0)}));
  TPaintQueue paintings;
  EXPECT_EQ(gif.Start(target, Rect(0, 0, 3, 1), 100, &paintings), nullptr);
  EXPECT_FALSE(gif.HasPlayers());
  EXPECT_EQ(Picture(target), Rows{"1.2"});
}

// ---- The threaded player ----

// A drawing thread: carries out the handed-over paintings every 2 ms until it is destroyed.
class DrawingThread {
 public:
  explicit DrawingThread(TPaintQueue& paintings)
      : thread_([this, &paintings] {
          while (!done_) {
            paintings.Drain();
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
  TPaintQueue paintings;
  TGifPlayer* player = gif.Start(target, Rect(0, 0, 2, 1), 1000, &paintings);
  ASSERT_NE(player, nullptr);
  // Attached before the player runs: the first painting cannot have happened yet.
  recorder.Attach(*player, target);
  player->Run();
  {
    DrawingThread drawing(paintings);
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
  TPaintQueue paintings;
  TGifPlayer* player = gif.Start(target, Rect(0, 0, 2, 1), 100, &paintings);
  ASSERT_NE(player, nullptr);
  player->Run();
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(Picture(target), Rows{".."}) << "the player must not paint on its own thread";
  // This thread is the drawing thread from now on.
  EXPECT_TRUE(WaitFor([&] {
    paintings.Drain();
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
  TPaintQueue queue;
  TGifPlayer* player = gif.Start(target, Rect(0, 0, 2, 1), 100, &queue);
  ASSERT_NE(player, nullptr);
  player->OnPaint = [&](int, int64_t) { ++paintings; };
  player->Run();
  DrawingThread drawing(queue);
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
    TPaintQueue paintings;
    paintings.Drain();  // makes this the drawing thread
    TBitmap32 target;
    target.SetSize(2, 1);
    target.Clear(kKey);
    TGif gif(Gif(2, 1, {Looping(Frame(0, 0, {"11"}, 1, 3), 0), Frame(0, 0, {"22"}, 1, 3)}));
    gif.Start(target, Rect(0, 0, 2, 1), 1000, &paintings)->Run();
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
  TPaintQueue paintings;
  DrawingThread drawing(paintings);
  for (int round = 0; round < 20; ++round) {
    TGifPlayer* player = gif.Start(target, Rect(0, 0, 2, 1), 1000, &paintings);
    ASSERT_NE(player, nullptr);
    player->Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 5));
    gif.StopAll();
    EXPECT_FALSE(gif.HasPlayers()) << round;
  }
}

}  // namespace
}  // namespace lumora

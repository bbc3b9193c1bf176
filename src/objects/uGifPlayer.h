// The GIF player: paints the frames of a decoded GIF into a picture at their delays, composing
// each with its transparency and disposal, and follows the GIF's loop count.
//
// A threaded player waits on its own thread and hands every painting to the drawing thread
// through a paint queue (uPaintQueue.h); a driven player has no thread and is advanced on a
// simulated clock by its owner, without lag, so that its paintings are the same on every run.
//
// Timing: each frame stays for its delay d at 12 ms per hundredth, scaled by 100 / speed; a
// delay of 0 or a missing control block counts as 10, a delay below 3 as 3. The threaded player
// also takes half of any lateness off the next wait. Speed 0 stays on the frame it shows.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora {

class TGifPlayer;
class TPaintQueue;

// A decoded GIF together with the players that play it, so that all can be stopped at once.
class TGif {
 public:
  TGif() = default;
  explicit TGif(TGifImage image) : Image(std::move(image)) {}
  ~TGif();
  TGif(const TGif&) = delete;
  TGif& operator=(const TGif&) = delete;

  // Plays the GIF into `rect` of `target` at `speed` percent. No frame or an empty rectangle:
  // nothing. One frame: painted at once on this thread, no player. Otherwise a player is added
  // and returned: with `paintings` a threaded one, whose thread starts with its Run; without,
  // a driven one for AdvanceTo. Every player of one GIF uses the same queue.
  TGifPlayer* Start(TBitmap32& target, const TRect& rect, int32_t speed, TPaintQueue* paintings);
  // Stops every player and waits until all have ended. On the drawing thread it keeps carrying
  // out the paintings the players hand over while it waits; elsewhere it only waits.
  void StopAll();
  bool HasPlayers() const;

  TGifImage Image;

 private:
  mutable std::mutex lock_;
  std::vector<std::unique_ptr<TGifPlayer>> players_;
  TPaintQueue* paintings_ = nullptr;  // of the threaded players
};

class TGifPlayer {
 public:
  // Without `paintings` the player is driven; with, it is threaded and hands its paintings over.
  TGifPlayer(const TGifImage& gif, TBitmap32& target, const TRect& rect, int32_t speed, TPaintQueue* paintings);
  ~TGifPlayer();
  TGifPlayer(const TGifPlayer&) = delete;
  TGifPlayer& operator=(const TGifPlayer&) = delete;

  // Threaded mode: starts the player's thread (not again, and not after a stop).
  void Run();
  bool Threaded() const { return paintings_ != nullptr; }
  // Sets the stop flag and wakes the player; it paints nothing more and ends.
  void RequestStop();
  bool Ended() const { return ended_.load(); }

  // Driven mode: paints every frame due by `elapsedMs` since the player started.
  void AdvanceTo(int64_t elapsedMs);
  // Driven mode: the time of the next painting, or -1 when there is none.
  int64_t NextPaintTime() const { return ended_ ? -1 : nextDue_; }

  // Called after every painting with the frame painted and the planned time in milliseconds
  // since the start (the driven mode's clock); for tools that record the paintings.
  std::function<void(int frame, int64_t timeMs)> OnPaint;

 private:
  void ThreadMain();
  // Composes frame `current_` and shows it on the target.
  void PaintCurrent();
  // After painting `current_`: takes a loop extension, fixes the delay and picks the next frame.
  // False when the player ends.
  bool PlanNext();
  // The wait before the next frame, without lag.
  double WaitMilliseconds(double lag) const;
  void Restore(const TGifFrame& frame);
  void CopyToTarget(const TBitmap32& source);

  const TGifImage& gif_;
  TBitmap32& target_;
  TRect rect_;
  int32_t speed_;
  TPaintQueue* paintings_;

  TBitmap32 background_;   // the target rectangle as it was at the start
  TBitmap32 composition_;  // what the next frame is composed on
  TBitmap32 scratch_;      // frames that are shown but not kept
  int current_ = 0;
  int previousDisposal_ = 1;
  int64_t loopCount_ = 1;  // passes still to run; -1 is endless
  int loopPoint_ = 0;
  bool loopSeen_ = false;
  int delay_ = 10;       // of the frame painted last, in hundredths
  int64_t nextDue_ = 0;  // driven mode

  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  std::mutex waitLock_;
  std::condition_variable wake_;
  std::thread thread_;
};

}  // namespace lumora

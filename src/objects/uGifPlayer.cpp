// The GIF player (see uGifPlayer.h).
#include "objects/uGifPlayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "base/uTicks.h"
#include "objects/uPaintQueue.h"

namespace lumora {

// ---- The GIF and its players ----

TGif::~TGif() { StopAll(); }

TGifPlayer* TGif::Start(TBitmap32& target, const TRect& rect, int32_t speed, TPaintQueue* paintings) {
  if (Image.Frames.empty() || rect.IsEmpty()) return nullptr;
  if (Image.Frames.size() == 1) {
    PaintGifFrame(Image, 0, target, rect, true, 0);
    return nullptr;
  }
  auto player = std::make_unique<TGifPlayer>(Image, target, rect, speed, paintings);
  TGifPlayer* started = player.get();
  std::lock_guard<std::mutex> hold(lock_);
  if (paintings != nullptr) paintings_ = paintings;
  players_.push_back(std::move(player));
  return started;
}

void TGif::StopAll() {
  std::vector<std::unique_ptr<TGifPlayer>> stopping;
  TPaintQueue* paintings = nullptr;
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping.swap(players_);
    paintings = paintings_;
  }
  if (stopping.empty()) return;
  for (auto& player : stopping) player->RequestStop();
  if (paintings != nullptr) {
    paintings->Wake();  // a painting still waiting is withdrawn at once
    paintings->WaitUntil([&stopping] {
      return std::all_of(stopping.begin(), stopping.end(), [](const auto& player) { return player->Ended(); });
    });
  }
  stopping.clear();  // joins the ended threads
}

bool TGif::HasPlayers() const {
  std::lock_guard<std::mutex> hold(lock_);
  return !players_.empty();
}

// ---- The player ----

TGifPlayer::TGifPlayer(const TGifImage& gif, TBitmap32& target, const TRect& rect, int32_t speed,
                       TPaintQueue* paintings)
    : gif_(gif),
      target_(target),
      rect_(Intersection(rect, Rect(0, 0, target.Width(), target.Height()))),
      speed_(speed),
      paintings_(paintings) {
  background_.SetSize(rect_.Width(), rect_.Height());
  // A plain copy: the target's own draw mode (an object's picture leaves its key colour out)
  // must not decide what the background holds.
  if (!rect_.IsEmpty()) background_.DrawFromDC(Rect(0, 0, rect_.Width(), rect_.Height()), rect_, target);
  composition_.SetSize(rect_.Width(), rect_.Height());
  composition_.Draw(0, 0, background_);
  scratch_.SetSize(rect_.Width(), rect_.Height());
}

TGifPlayer::~TGifPlayer() {
  RequestStop();
  if (thread_.joinable()) thread_.join();
}

void TGifPlayer::RequestStop() {
  {
    std::lock_guard<std::mutex> hold(waitLock_);
    stop_ = true;
  }
  wake_.notify_all();
  // A driven player has no thread that could notice the flag and end: it ends here.
  if (!thread_.joinable()) ended_ = true;
}

void TGifPlayer::Run() {
  if (paintings_ != nullptr && !stop_ && !thread_.joinable()) thread_ = std::thread([this] { ThreadMain(); });
}

double TGifPlayer::WaitMilliseconds(double lag) const { return (delay_ * 12 - lag / 2) * 100 / speed_; }

void TGifPlayer::Restore(const TGifFrame& frame) {
  // Only the part of the frame inside the logical screen exists in the pictures.
  const TRect area =
      Rect(std::max(frame.Left, 0), std::max(frame.Top, 0), std::min(frame.Left + frame.Width, composition_.Width()),
           std::min(frame.Top + frame.Height, composition_.Height()));
  if (!area.IsEmpty()) composition_.Draw(area, area, background_);
}

void TGifPlayer::CopyToTarget(const TBitmap32& source) { target_.Draw(rect_.Left, rect_.Top, source); }

// Disposal methods: 0 and 1 keep the frame in the picture the next frame is composed on; 2
// restores its rectangle from the background afterwards; 3 shows the frame without keeping it;
// 4 to 7 are not painted. Frame 0 always starts from the background.
void TGifPlayer::PaintCurrent() {
  const TGifFrame& frame = gif_.Frames[static_cast<size_t>(current_)];
  const int disposal = frame.HasControl ? frame.Control.Disposal : 0;
  const TRect whole = Rect(0, 0, composition_.Width(), composition_.Height());
  if (current_ == 0) Restore(frame);
  if (disposal <= 2) {
    PaintGifFrame(gif_, current_, composition_, whole, true, 0);
    CopyToTarget(composition_);
    if (disposal == 2) Restore(frame);
  } else if (disposal == 3) {
    if (previousDisposal_ <= 1) {
      // The target shows the composition already: the frame goes straight on top of it.
      PaintGifFrame(gif_, current_, target_, rect_, true, 0);
    } else {
      scratch_.Draw(0, 0, composition_);
      PaintGifFrame(gif_, current_, scratch_, whole, true, 0);
      CopyToTarget(scratch_);
    }
  }
  previousDisposal_ = disposal;
}

bool TGifPlayer::PlanNext() {
  const TGifFrame& frame = gif_.Frames[static_cast<size_t>(current_)];
  if (frame.HasLoop && !loopSeen_) {
    loopSeen_ = true;
    loopCount_ = frame.LoopCount == 0 ? -1 : frame.LoopCount;
    loopPoint_ = current_;
  }
  const int stored = frame.HasControl ? frame.Control.Delay : 0;
  delay_ = std::max(stored == 0 ? 10 : stored, 3);

  int next = current_ + 1;
  const bool passEnds =
      next >= static_cast<int>(gif_.Frames.size()) || gif_.Frames[static_cast<size_t>(next)].Indices.empty() || stop_;
  if (passEnds) {
    if (loopCount_ > 0) --loopCount_;
    if (loopCount_ == 0 || stop_) return false;
    next = loopPoint_;
  }
  current_ = next;
  return true;
}

void TGifPlayer::AdvanceTo(int64_t elapsedMs) {
  while (!ended_ && nextDue_ >= 0 && nextDue_ <= elapsedMs) {
    PaintCurrent();
    if (OnPaint) OnPaint(current_, nextDue_);
    if (!PlanNext()) {
      ended_ = true;
      break;
    }
    if (speed_ <= 0) {
      nextDue_ = -1;  // frozen on this frame
      break;
    }
    nextDue_ += static_cast<int64_t>(std::nearbyint(WaitMilliseconds(0)));
  }
}

void TGifPlayer::ThreadMain() {
  const uint32_t started = GetTickCount();
  uint32_t plannedEnd = started;  // the first wait counts lag from the start
  const std::function<void()> paint = [this] { PaintCurrent(); };
  const std::function<bool()> stopped = [this] { return stop_.load(); };
  bool go = paintings_->Submit(paint, stopped);
  if (go && OnPaint) OnPaint(current_, 0);
  while (go && PlanNext()) {
    std::unique_lock<std::mutex> hold(waitLock_);
    if (speed_ <= 0) {
      wake_.wait(hold, [this] { return stop_.load(); });
      break;
    }
    const uint32_t now = GetTickCount();
    // Lateness only: a wait that ended on time leaves nothing to make up.
    const auto lag = std::max(0.0, static_cast<double>(static_cast<int32_t>(TicksBetween(plannedEnd, now))));
    const auto wait = static_cast<int64_t>(std::nearbyint(WaitMilliseconds(lag)));
    if (wait > 0 && wake_.wait_for(hold, std::chrono::milliseconds(wait), [this] { return stop_.load(); })) break;
    if (stop_) break;
    hold.unlock();
    plannedEnd = now + static_cast<uint32_t>(std::max<int64_t>(wait, 0));
    go = paintings_->Submit(paint, stopped);
    if (go && OnPaint) OnPaint(current_, static_cast<int64_t>(TicksBetween(started, GetTickCount())));
  }
  ended_ = true;
  paintings_->Wake();  // a stop waits on the queue for this
}

}  // namespace lumora

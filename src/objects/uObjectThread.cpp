// The worker of one animated object (see uObjectThread.h).
#include "objects/uObjectThread.h"

#include <chrono>

#include "base/uTicks.h"
#include "objects/uObject.h"

namespace lumora {

uint32_t TStepPacer::Due(uint32_t now) {
  // Signed: a next step still ahead of `now` gives a negative lateness.
  const auto late = static_cast<int32_t>(TicksBetween(next_, now));
  if (late < 0) return 0;
  const uint32_t due = static_cast<uint32_t>(late) / kStepMilliseconds + 1;
  if (due > kMaxCatchUpSteps) {
    next_ = now + kStepMilliseconds;
    return kMaxCatchUpSteps;
  }
  next_ += due * kStepMilliseconds;
  return due;
}

TObjectThread::TObjectThread(TAnimObject& object) : object_(object), thread_([this] { Run(); }) {}

TObjectThread::~TObjectThread() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    terminated_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void TObjectThread::Resume() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!runRequested_) pacer_.Start(GetTickCount());
    runRequested_ = true;
  }
  wake_.notify_all();
}

void TObjectThread::Beat() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    beat_ = true;
  }
  wake_.notify_all();
}

void TObjectThread::Pause() {
  std::unique_lock<std::mutex> hold(lock_);
  runRequested_ = false;
  wake_.notify_all();
  wake_.wait(hold, [this] { return parked_ || terminated_; });
}

void TObjectThread::Run() {
  std::unique_lock<std::mutex> hold(lock_);
  while (!terminated_) {
    if (!runRequested_) {
      parked_ = true;
      wake_.notify_all();
      wake_.wait(hold, [this] { return runRequested_ || terminated_; });
      continue;
    }
    parked_ = false;
    // A pause or the end is noticed between any two steps of a catch-up.
    for (uint32_t due = pacer_.Due(GetTickCount()); due > 0 && runRequested_ && !terminated_; --due) {
      hold.unlock();
      object_.Step();
      hold.lock();
    }
    const auto wait = std::chrono::milliseconds(beaten_ ? kBeatWaitMilliseconds : kWakeMilliseconds);
    wake_.wait_for(hold, wait, [this] { return beat_ || !runRequested_ || terminated_; });
    beaten_ = beat_;
    beat_ = false;
  }
  parked_ = true;
  wake_.notify_all();
}

}  // namespace lumora

// The worker of one animated object (see uObjectThread.h).
#include "objects/uObjectThread.h"

#include <chrono>

#include "objects/uObject.h"

namespace lumora {

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
    runRequested_ = true;
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
    hold.unlock();
    object_.Step();
    hold.lock();
    // The pause between steps; a pause request or the end wakes it early.
    wake_.wait_for(hold, std::chrono::milliseconds(kStepMilliseconds),
                   [this] { return !runRequested_ || terminated_; });
  }
  parked_ = true;
  wake_.notify_all();
}

}  // namespace lumora

// Paintings handed to the drawing thread (see uPaintQueue.h).
#include "objects/uPaintQueue.h"

#include <algorithm>
#include <exception>

namespace lumora {

bool TPaintQueue::Submit(const std::function<void()>& paint, const std::function<bool()>& cancelled) {
  std::unique_lock<std::mutex> hold(lock_);
  const uint64_t id = nextId_++;
  pending_.push_back({id, &paint});
  changed_.notify_all();
  for (;;) {
    auto waiting = std::find_if(pending_.begin(), pending_.end(), [id](const TItem& item) { return item.id == id; });
    if (waiting == pending_.end() && running_ != id) return true;
    if (waiting != pending_.end() && cancelled()) {
      pending_.erase(waiting);
      return false;
    }
    changed_.wait(hold);
  }
}

void TPaintQueue::Wake() {
  std::lock_guard<std::mutex> hold(lock_);
  changed_.notify_all();
}

void TPaintQueue::RunPending(std::unique_lock<std::mutex>& hold) {
  while (!pending_.empty()) {
    const TItem item = pending_.front();
    pending_.pop_front();
    running_ = item.id;
    hold.unlock();
    try {
      (*item.paint)();
    } catch (const std::exception&) {
      // A painting that fails is lost like a frame that fails; the player goes on.
    }
    hold.lock();
    running_ = 0;
    changed_.notify_all();
  }
}

void TPaintQueue::Drain() {
  std::unique_lock<std::mutex> hold(lock_);
  drawingThread_ = std::this_thread::get_id();
  RunPending(hold);
}

void TPaintQueue::WaitUntil(const std::function<bool()>& done) {
  std::unique_lock<std::mutex> hold(lock_);
  const bool drawing = drawingThread_ == std::this_thread::get_id();
  for (;;) {
    if (drawing) RunPending(hold);
    if (done()) return;
    changed_.wait(hold);
  }
}

}  // namespace lumora

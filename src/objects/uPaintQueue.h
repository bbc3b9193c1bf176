// Paintings handed to the drawing thread.
//
// A GIF player never touches a picture itself: it submits the painting here and waits until
// the drawing thread has carried it out between two frames, so a picture is never painted
// while the engine draws it. A player that is told to stop withdraws its painting if the
// drawing thread has not started it, so a stop never waits on a drawing thread that is busy
// waiting for something else. The engine owns one queue and hands it to its objects' players.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace lumora {

class TPaintQueue {
 public:
  // Runs `paint` on the drawing thread and returns when it is done: true. Returns false without
  // running it when `cancelled()` becomes true first (checked whenever the queue is woken).
  bool Submit(const std::function<void()>& paint, const std::function<bool()>& cancelled);
  // Wakes everyone waiting on the queue, so that submitters look at their cancel condition and
  // WaitUntil at its condition again.
  void Wake();
  // Carries out every painting submitted so far (the drawing thread, between frames). Records
  // the calling thread as the drawing thread.
  void Drain();
  // Returns once `done()` holds, looked at whenever the queue is woken. On the drawing thread
  // it carries out the paintings that arrive meanwhile, so that their players can finish.
  void WaitUntil(const std::function<bool()>& done);

 private:
  struct TItem {
    uint64_t id;
    const std::function<void()>* paint;
  };
  // Runs the pending paintings; `hold` is released while each one runs.
  void RunPending(std::unique_lock<std::mutex>& hold);

  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<TItem> pending_;
  uint64_t nextId_ = 1;
  uint64_t running_ = 0;  // the id being painted, 0 when none
  std::thread::id drawingThread_;
};

}  // namespace lumora

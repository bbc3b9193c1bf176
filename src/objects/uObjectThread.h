// The worker of one animated object: steps it every 5 ms while it runs.
//
// Created paused. Pause returns once the worker is parked between two steps, so the caller may
// then touch the object freely; Resume lets it go on. The destructor tells it to end, lets it
// run if it is parked, and waits until it has ended.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace lumora {

class TAnimObject;

class TObjectThread {
 public:
  explicit TObjectThread(TAnimObject& object);
  ~TObjectThread();
  TObjectThread(const TObjectThread&) = delete;
  TObjectThread& operator=(const TObjectThread&) = delete;

  void Resume();
  void Pause();

  static constexpr int kStepMilliseconds = 5;

 private:
  void Run();

  TAnimObject& object_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool runRequested_ = false;  // Resume asks for steps, Pause stops asking
  bool parked_ = true;         // the worker is between steps and waits
  bool terminated_ = false;
  std::thread thread_;
};

}  // namespace lumora

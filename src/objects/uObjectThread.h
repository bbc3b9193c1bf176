// The worker of one animated object: steps it 200 times a second while it runs.
//
// Objects move by steps, so their speed on screen is the worker's step rate. The steps are
// counted on the tick clock rather than by sleeping 5 ms between them: a sleep lasts 5 ms on
// one system and a whole timer period (about 15.6 ms) on another, and a busy machine wakes a
// thread late. A worker that wakes after t ms does the steps that fell due meanwhile, so it can
// sleep for several steps at a time, and every system sees the same speed.
//
// While frames are drawn, the drawing thread beats every worker once a frame, and the worker
// wakes just then: each frame finds each object advanced by the steps of one frame's time, and
// a worker wakes no more often than the frames come. Without beats it wakes every 10 ms.
//
// Created paused. Pause returns once the worker is parked between two steps, so the caller may
// then touch the object freely; Resume lets it go on. The destructor tells it to end, lets it
// run if it is parked, and waits until it has ended.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace lumora {

class TAnimObject;

// When a worker's steps fall due: one at the start, then one every kStepMilliseconds of the
// tick clock. A backlog of more than kMaxCatchUpSteps (a suspended machine, a debugger) is not
// made up: after that many steps the count starts again from the present.
class TStepPacer {
 public:
  static constexpr uint32_t kStepMilliseconds = 5;
  static constexpr uint32_t kMaxCatchUpSteps = 20;

  void Start(uint32_t now) { next_ = now; }
  // The number of steps due by `now`, each counted once.
  uint32_t Due(uint32_t now);

 private:
  uint32_t next_ = 0;  // tick at which the next step falls due
};

class TObjectThread {
 public:
  explicit TObjectThread(TAnimObject& object);
  ~TObjectThread();
  TObjectThread(const TObjectThread&) = delete;
  TObjectThread& operator=(const TObjectThread&) = delete;

  void Resume();
  void Pause();
  // A frame has been drawn: the worker wakes and does the steps due. Never waits.
  void Beat();

  static constexpr int kStepMilliseconds = static_cast<int>(TStepPacer::kStepMilliseconds);
  // How long the worker sleeps between passes: two steps' worth, short enough that the drawing
  // thread, 32 ms a frame, sees each object advance by nearly the same count every frame.
  static constexpr int kWakeMilliseconds = 10;
  // Once beaten, how long a worker waits for the next beat before it wakes on its own.
  static constexpr int kBeatWaitMilliseconds = 100;

 private:
  void Run();

  TAnimObject& object_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool runRequested_ = false;  // Resume asks for steps, Pause stops asking
  bool parked_ = true;         // the worker is between steps and waits
  bool terminated_ = false;
  bool beat_ = false;    // a beat has come since the worker last woke
  bool beaten_ = false;  // the worker's last wake was a beat
  TStepPacer pacer_;
  std::thread thread_;
};

}  // namespace lumora

// Animated objects: a picture placed on the scene that moves by one of ten motion kinds inside
// a motion rectangle, is shown and hidden on a timer, and can be mirrored to face its way.
//
// `TAnimObject` holds the settings of an object section ("[Obj<Index>]" of the object text),
// the motion state and the display state; `TAnimImgObject` adds the picture, and `TGifObject`
// and `TImgObject` load an animated GIF or a still picture into it (uImageObjects.h).
//
// Threads: a started object has a worker that calls Step 200 times a second; an object that is
// only loaded, to be looked at, runs no thread. The drawing thread reads the position, Shown,
// Mirrored, the picture size and the scale while the worker writes them, so those are atomics
// (a torn double would be a wrong position). Everything else is written only while the worker
// is parked or by the worker itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/uIniRecord.h"
#include "base/uIniText.h"
#include "surface/uBitmap32.h"

namespace lumora {

class TObjectThread;

class TAnimObject {
 public:
  TAnimObject();
  virtual ~TAnimObject();
  TAnimObject(const TAnimObject&) = delete;
  TAnimObject& operator=(const TAnimObject&) = delete;

  // (Re)loads the picture (subclasses), then starts a display cycle and chooses the start.
  virtual void Reset();
  // Pauses the worker; returns once it is parked between two steps.
  virtual void Stop();
  // The object's section: "[Obj<Index>]", one "key=value" line per key, an empty line.
  virtual std::string SaveToText();
  // Reads the common keys of section "Obj<Index>" of the whole object text.
  virtual void LoadCommonFromText(const std::string& text);
  // The same from the text already parsed: a list of many objects parses its text once, and no
  // object keeps a copy of it.
  void LoadCommonFromIni(const TIniText& ini);
  // The keys every object section holds, in writing order.
  static std::span<const TIniKey<TAnimObject>> CommonKeys();

  // Stop, Reset, then the worker runs (unless the object is not Threaded); the first Start of a
  // Threaded object makes its worker.
  void Start();
  // Ends the worker for good. Whoever owns a started object calls it before destroying it, so
  // that no step runs while the object's own parts are taken down; TAnimObjects does it for
  // its objects. The destructor calls it too, as a last resort for plain objects.
  void EndWorker();
  // One step of the display cycle and the motion (the worker's work).
  void Step();
  // A frame has been drawn: a running worker does the steps now due (uObjectThread.h).
  void Beat();
  // Frame-pixel position of the picture's top-left corner.
  int32_t GetLeft() const;
  int32_t GetTop() const;
  // True between a Start and the next Stop: the worker runs.
  bool IsRunning() const { return Running.load(); }
  // True when the object's display cycle has ended for good.
  bool DisplayFinished() const { return StartTick < 0; }

  // ---- Fields, in declaration order ----
  std::atomic<double> X{0};  // centre of the picture, design coordinates
  std::atomic<double> Y{0};
  std::atomic<int32_t> StepCount{0};  // read while the worker runs, to see how far it has gone
  double BounceX = 0;
  int32_t BounceDirX = 0;
  double BounceY = 0;
  int32_t BounceDirY = 0;
  int32_t WanderRangeX = 500;
  int32_t WanderRangeY = 1000;
  int32_t Width = 0;   // stored only
  int32_t Height = 0;  // stored only
  int32_t DesignWidth = 0;
  int32_t DesignHeight = 0;
  std::atomic<double> ScaleX{0};
  std::atomic<double> ScaleY{0};
  bool Scaled = false;
  int32_t Speed = 100;
  TRect MoveAreaRect;
  TRect Area;
  TRect FrameRect;
  uint8_t Motion = 0;
  std::atomic<int32_t> PicWidth{0};
  std::atomic<int32_t> PicHeight{0};
  int32_t PosTop = 0;
  int32_t PosLeft = 0;
  uint8_t ObjFacing = 0;
  int32_t DisplaySec = 0;
  uint8_t DisplayDurationType = 0;
  int32_t DisplayDurationSec = 0;
  int32_t DIsplayDurationCycle = 0;  // stored only (the key is spelled this way)
  int32_t MotionSpeed = 0;
  uint8_t MotionAreaType = 0;
  int32_t Opacity = 0;
  uint8_t InitialPos = 0;  // never set; written as 0
  uint8_t InitialDir = 0;
  bool DirFlip = false;
  int32_t Index = 0;
  uint8_t PosTopType = 0;
  uint8_t PosLeftType = 0;
  std::atomic<bool> Mirrored{false};
  std::atomic<bool> Shown{false};
  std::atomic<bool> Running{false};
  double WanderX = 0;
  double WanderY = 0;
  int32_t WanderDirX = 0;
  int32_t WanderDirY = 0;
  int32_t WanderStep = 0;
  int32_t WanderLength = 0;
  bool Redisplay = false;
  bool ResetPos = false;
  // Tick at which the display cycle began, 0..2^32-1; kNoDisplay once the object is never to be
  // displayed again (a value no real tick can take).
  int64_t StartTick = 0;
  bool RestrictArea = false;
  int32_t StartDirX = 0;
  int32_t StartDirY = 0;
  int32_t HeightSize = 0;
  int32_t WidthSize = 0;
  int32_t RedisplayTimes = 0;  // stored only
  int32_t RedisplayDelay = 0;  // stored only

  static constexpr int64_t kNoDisplay = -1;

  // False: no worker or player threads run; the owner steps the object and plays its GIF on
  // its own clock (the deterministic renderer).
  bool Threaded = true;

 protected:
  // The section this object reads and writes.
  std::string SectionName() const { return "Obj" + std::to_string(Index); }

  TIniText Ini;

 private:
  void AdvanceTracks();
  void ChooseStart(int32_t& position, uint8_t type, int32_t low, int32_t high);

  std::unique_ptr<TObjectThread> Worker;
};

}  // namespace lumora

// Animated objects: settings, start, motion and display cycle (see uObject.h).
#include "objects/uObject.h"

#include <cmath>
#include <numbers>

#include "base/uRandom.h"
#include "base/uRounding.h"
#include "base/uTicks.h"
#include "objects/uObjectThread.h"

namespace lumora {
namespace {

int32_t RandomSign() { return Random(2) == 0 ? -1 : 1; }
// A random integer in [low, high), or in [high, low) when high < low; `low` when they are equal.
int32_t RandomBetween(int32_t low, int32_t high) {
  return high >= low ? low + Random(high - low) : high + Random(low - high);
}

}  // namespace

TAnimObject::TAnimObject() { RandomizeFromClock(); }

TAnimObject::~TAnimObject() { EndWorker(); }

void TAnimObject::EndWorker() {
  if (!Worker) return;
  Stop();
  Worker.reset();  // tells the worker to end, lets it run if parked, and waits for it
}

// ---- Settings text ----

// In writing order. Left and Top say where the object was; InitialPos is never set and written as
// 0; Scaled is written as it is and read as true, whatever the key says.
const TIniKey<TAnimObject> kCommonKeys[] = {
    {"Left", TIniWidth::Int32, std::nullopt, [](const TAnimObject& o) { return o.GetLeft(); }},
    {"Top", TIniWidth::Int32, std::nullopt, [](const TAnimObject& o) { return o.GetTop(); }},
    IniKey<TAnimObject, &TAnimObject::Width>("Width", TIniWidth::Int32),
    IniKey<TAnimObject, &TAnimObject::Height>("Height", TIniWidth::Int32),
    {"Scaled", TIniWidth::Bool, std::nullopt, [](const TAnimObject& o) { return o.Scaled ? 1 : 0; }},
    {"MoveAreaRectleft", TIniWidth::Int32, std::nullopt, [](const TAnimObject& o) { return o.MoveAreaRect.Left; },
     [](TAnimObject& o, int32_t v) { o.MoveAreaRect.Left = v; }},
    {"MoveAreaRecttop", TIniWidth::Int32, std::nullopt, [](const TAnimObject& o) { return o.MoveAreaRect.Top; },
     [](TAnimObject& o, int32_t v) { o.MoveAreaRect.Top = v; }},
    {"MoveAreaRectright", TIniWidth::Int32, std::nullopt, [](const TAnimObject& o) { return o.MoveAreaRect.Right; },
     [](TAnimObject& o, int32_t v) { o.MoveAreaRect.Right = v; }},
    {"MoveAreaRectbottom", TIniWidth::Int32, std::nullopt, [](const TAnimObject& o) { return o.MoveAreaRect.Bottom; },
     [](TAnimObject& o, int32_t v) { o.MoveAreaRect.Bottom = v; }},
    IniKey<TAnimObject, &TAnimObject::WidthSize>("WidthSize", TIniWidth::Int32, 100),
    IniKey<TAnimObject, &TAnimObject::HeightSize>("HeightSize", TIniWidth::Int32, 100),
    IniKey<TAnimObject, &TAnimObject::Speed>("Speed", TIniWidth::Int32, 10),
    {"InitialPos", TIniWidth::Int32, std::nullopt, [](const TAnimObject&) { return 0; }},
    IniKey<TAnimObject, &TAnimObject::InitialDir>("InitialDir", TIniWidth::Low8),
    IniKey<TAnimObject, &TAnimObject::PosLeftType>("PosLeftType", TIniWidth::Low8, 0),
    IniKey<TAnimObject, &TAnimObject::PosTopType>("PosTopType", TIniWidth::Low8, 0),
    IniKey<TAnimObject, &TAnimObject::PosLeft>("PosLeft", TIniWidth::Int32, 100),
    IniKey<TAnimObject, &TAnimObject::PosTop>("PosTop", TIniWidth::Int32, 100),
    IniKey<TAnimObject, &TAnimObject::ObjFacing>("ObjFacing", TIniWidth::Low8, 1),
    IniKey<TAnimObject, &TAnimObject::Opacity>("Opacity", TIniWidth::Int32, 10),
    IniKey<TAnimObject, &TAnimObject::DisplaySec>("DisplaySec", TIniWidth::Int32, 0),
    IniKey<TAnimObject, &TAnimObject::DisplayDurationType>("DisplayDurationType", TIniWidth::Low8, 0),
    IniKey<TAnimObject, &TAnimObject::DisplayDurationSec>("DisplayDurationSec", TIniWidth::Int32, 60),
    IniKey<TAnimObject, &TAnimObject::DIsplayDurationCycle>("DIsplayDurationCycle", TIniWidth::Int32, 10),
    IniKey<TAnimObject, &TAnimObject::Motion>("Motion", TIniWidth::Low8, 0),
    IniKey<TAnimObject, &TAnimObject::MotionSpeed>("MotionSpeed", TIniWidth::Int32, 10),
    IniKey<TAnimObject, &TAnimObject::MotionAreaType>("MotionAreaType", TIniWidth::Low8, 0),
    IniKey<TAnimObject, &TAnimObject::DirFlip>("DirFlip", TIniWidth::Bool, 0),
    IniKey<TAnimObject, &TAnimObject::Redisplay>("Redisplay", TIniWidth::Bool, 1),
    IniKey<TAnimObject, &TAnimObject::RedisplayDelay>("RedisplayDelay", TIniWidth::Int32, 0),
    IniKey<TAnimObject, &TAnimObject::RedisplayTimes>("RedisplayTimes", TIniWidth::Int32, 1),
    IniKey<TAnimObject, &TAnimObject::ResetPos>("ResetPos", TIniWidth::Bool, 1),
    IniKey<TAnimObject, &TAnimObject::RestrictArea>("RestrictArea", TIniWidth::Bool, 1),
};

std::span<const TIniKey<TAnimObject>> TAnimObject::CommonKeys() { return kCommonKeys; }

void TAnimObject::LoadCommonFromText(const std::string& text) { LoadCommonFromIni(TIniText(text)); }

void TAnimObject::LoadCommonFromIni(const TIniText& ini) {
  ReadIniKeys(ini, SectionName(), CommonKeys(), *this);
  Scaled = true;  // every loaded object is scaled
}

std::string TAnimObject::SaveToText() {
  Ini.Clear();
  WriteIniKeys(Ini, SectionName(), CommonKeys(), *this);
  return Ini.Text();
}

// ---- Start and stop ----

void TAnimObject::Start() {
  Stop();
  Reset();
  if (Threaded) {
    if (!Worker) Worker = std::make_unique<TObjectThread>(*this);
    Worker->Resume();
    Running = true;
  }
}

void TAnimObject::Stop() {
  if (!Running) return;
  Worker->Pause();
  Running = false;
}

void TAnimObject::Beat() {
  if (Running) Worker->Beat();
}

// ---- Placement ----

void TAnimObject::ChooseStart(int32_t& position, uint8_t type, int32_t low, int32_t high) {
  const int32_t centre = low + (high - low) / 2;
  switch (type) {
    case 1: position = low; break;
    case 2: position = high; break;
    case 3: position = centre; break;
    case 4: position = RandomBetween(low, high); break;
    case 5: {
      // A start outside the rectangle, on the side nearer to a random point inside it.
      const int32_t r = RandomBetween(low, high);
      position = r < centre ? low - r : 2 * high - r;
      break;
    }
    default: break;  // 0 and unknown types keep the key's value
  }
}

void TAnimObject::Reset() {
  RandomizeFromClock();
  Shown = DisplaySec == 0;
  StartTick = GetTickCount();
  StepCount = 0;
  Mirrored = false;
  WanderStep = 0;
  WanderLength = Random(300) + 50;
  WanderRangeX = Random(1000);
  WanderRangeY = Random(1000);

  const int32_t hw = PicWidth / 2;
  const int32_t hh = PicHeight / 2;
  const TRect area = MotionAreaType == 0 ? Rect(0, 0, DesignWidth, DesignHeight) : MoveAreaRect;
  const int32_t growRight = Round(hw * static_cast<double>(WidthSize) / 100);
  const int32_t growDown = Round(hh * static_cast<double>(HeightSize) / 100);
  // Restricted: the centre stays where the whole picture is inside; otherwise it may travel on
  // until the picture has left the rectangle.
  Area = RestrictArea ? Rect(area.Left + hw, area.Top + hh, area.Right - growRight, area.Bottom - growDown)
                      : Rect(area.Left - hw, area.Top - hh, area.Right + growRight, area.Bottom + growDown);

  ChooseStart(PosLeft, PosLeftType, Area.Left, Area.Right);
  ChooseStart(PosTop, PosTopType, Area.Top, Area.Bottom);

  BounceDirX = RandomSign();
  BounceDirY = RandomSign();
  StartDirX = RandomSign();
  StartDirY = RandomSign();
  switch (InitialDir) {
    case 1: BounceDirX = -1; break;
    case 2: BounceDirX = 1; break;
    case 3: BounceDirY = -1; break;
    case 4: BounceDirY = 1; break;
    case 5:
      BounceDirX = -1;
      BounceDirY = -1;
      break;
    case 6:
      BounceDirX = 1;
      BounceDirY = -1;
      break;
    case 7:
      BounceDirX = -1;
      BounceDirY = 1;
      break;
    case 8:
      BounceDirX = 1;
      BounceDirY = 1;
      break;
    default: break;
  }
  WanderDirX = StartDirX = BounceDirX;
  WanderDirY = StartDirY = BounceDirY;

  // A scene without a design size is drawn at its own scale.
  ScaleX = DesignWidth > 0 ? static_cast<double>(FrameRect.Right) / DesignWidth : 1.0;
  ScaleY = DesignHeight > 0 ? static_cast<double>(FrameRect.Bottom) / DesignHeight : 1.0;
  X = BounceX = WanderX = PosLeft;
  Y = BounceY = WanderY = PosTop;
  Speed = MotionSpeed * 10;
}

int32_t TAnimObject::GetLeft() const { return Round((X.load() - PicWidth.load() / 2.0) * ScaleX.load()); }
int32_t TAnimObject::GetTop() const { return Round((Y.load() - PicHeight.load() / 2.0) * ScaleY.load()); }

// ---- Motion ----

// Both tracks advance on every step; the motion kind decides how the position follows them.
void TAnimObject::AdvanceTracks() {
  const double stepScale = Speed / 1000.0;
  BounceX += Random(1000) * (stepScale * BounceDirX) / 100;
  BounceY += Random(1000) * (stepScale * BounceDirY) / 100;
  if (Area.Left >= BounceX) BounceDirX = 1;
  if (Area.Top >= BounceY) BounceDirY = 1;
  if (Area.Right <= BounceX) BounceDirX = -1;
  if (Area.Bottom <= BounceY) BounceDirY = -1;

  WanderX += Random(WanderRangeX) * (stepScale * WanderDirX) / 100;
  WanderY += Random(WanderRangeY) * (stepScale * WanderDirY) / 100;
  ++WanderStep;
  if (WanderX <= Area.Left || WanderX >= Area.Right || WanderY <= Area.Top || WanderY >= Area.Bottom) {
    WanderStep = WanderLength;
  }
  if (WanderStep >= WanderLength) {
    if (Random(10) == 0) WanderDirX = RandomSign();
    WanderDirY = Random(3) - 1;
    if (WanderX <= Area.Left) WanderDirX = 1;
    if (WanderX >= Area.Right) WanderDirX = -1;
    if (WanderY <= Area.Top) WanderDirY = 1;
    if (WanderY >= Area.Bottom) WanderDirY = -1;
    WanderLength = Random(300) + 50;
    WanderRangeX = Random(800) + 200;
    WanderRangeY = Random(1000);
    WanderStep = 0;
  }
  ++StepCount;
}

void TAnimObject::Step() {
  auto elapsed = [this] {
    return static_cast<int64_t>(TicksBetween(static_cast<uint32_t>(StartTick), GetTickCount()));
  };
  if (!Shown && StartTick != kNoDisplay && elapsed() >= int64_t{DisplaySec} * 1000) Shown = true;
  if (Shown && DisplayDurationType == 1 && StartTick != kNoDisplay &&
      elapsed() >= (int64_t{DisplaySec} + DisplayDurationSec) * 1000) {
    Shown = false;
    if (Redisplay) {
      if (ResetPos) Reset();
      StartTick = GetTickCount();
    } else {
      StartTick = kNoDisplay;
    }
  }
  if (!Shown) return;

  AdvanceTracks();
  const int32_t oldLeft = GetLeft();
  const int32_t cx = Area.Left + (Area.Right - Area.Left) / 2;
  const int32_t cy = Area.Top + (Area.Bottom - Area.Top) / 2;
  switch (Motion) {
    case 1:
      X = WanderX;
      Y = WanderY;
      break;
    case 2:
      X = BounceX;
      Y = BounceY;
      break;
    case 3: X = BounceX; break;
    case 4: Y = BounceY; break;
    case 5:  // always in the start direction, reappearing at the opposite edge
      X = BounceDirX == StartDirX ? BounceX : Area.Left + Area.Right - BounceX;
      break;
    case 6: Y = BounceDirY == StartDirY ? BounceY : Area.Top + Area.Bottom - BounceY; break;
    case 7: {
      const double a = -StepCount * std::numbers::pi / 180 * Speed / 1000;
      X = std::sin(a) * ((Area.Right - Area.Left) / 2 - PicWidth / 2) + cx;
      Y = std::cos(a) * ((Area.Bottom - Area.Top) / 2 - PicHeight / 2) + cy;
      break;
    }
    case 9:
      X = X + (Random(9) - 4) * Speed / 1000.0;
      Y = Y + (Random(9) - 4) * Speed / 1000.0;
      break;
    default: break;  // 0, 8 and unknown kinds stand still
  }

  // Mirrored while travelling against the way the picture faces; unchanged while standing still.
  const int32_t newLeft = GetLeft();
  if (ObjFacing == 1) {
    Mirrored = DirFlip && (newLeft < oldLeft || (newLeft == oldLeft && Mirrored));
  } else if (ObjFacing == 0) {
    Mirrored = DirFlip && (newLeft > oldLeft || (newLeft == oldLeft && Mirrored));
  }
}

}  // namespace lumora

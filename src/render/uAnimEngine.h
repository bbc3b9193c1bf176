// The animation engine: turns a loaded scene into frames.
//
// Its own work is the water effect: up to six regions of the background, marked by colours in
// the region mask, are re-sampled every frame with a moving cosine wave (with optional
// perspective, sideways sway, per-column jitter and a mirrored reflection). Over the water
// frame it composes the animated objects, snow or rain, and the clock on a second surface.
//
// Calling order: SetProject; ShowClock and the clock's corner; Prepare; SetWeather; then
// StepFrame and present FrameSurface, once per frame. Everything runs on the calling thread.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "objects/uPaintQueue.h"
#include "project/uVXProject.h"
#include "render/uClock.h"
#include "render/uFrameChanges.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"

namespace lumora {

class TProject;
class TAnimObjects;
class TWaveParam;
class TSnow;
class TRain;

class TAnimEngine {
 public:
  TAnimEngine();
  ~TAnimEngine();
  TAnimEngine(const TAnimEngine&) = delete;
  TAnimEngine& operator=(const TAnimEngine&) = delete;

  // Borrows the project's background, mask, wave records and objects; copies its speed.
  void SetProject(TProject& project);
  // Builds every table for the current project and makes the first frame.
  void Prepare();
  // Computes the next frame from the time passed since the previous one.
  void StepFrame();
  // The surface holding the finished frame.
  TBitmap32& FrameSurface();
  // Composes the frames from the next one on straight into `memory` (Width x Height pixels in
  // packed rows, such as the framebuffer of a window the frame fills), which the caller keeps
  // alive until it lends other memory or nullptr. A window that shows that memory then has
  // nothing to copy. Without a composition (no objects, weather or clock) the memory is unused;
  // nullptr gives the composition memory of its own again.
  void ComposeInto(TColor32* memory);
  // The areas of FrameSurface that may differ from the previous frame: a window that shows
  // the frames needs to copy no more (rectangles that may overlap; the whole frame at first).
  const std::vector<TRect>& FrameChanges() const { return changes_.Changes(); }
  // The background the frames are made from (its size is the frame size).
  const TBitmap& Background() const;
  // Frees any snow or rain; when enabled, creates the effect the project's weather names.
  void SetWeather(bool enabled);

  TClock& Clock() { return clock_; }
  bool ShowClock = false;

  // State a caller or a test may look at.
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Phase(int region) const { return static_cast<int32_t>(phase_[static_cast<size_t>(region)]); }
  int16_t RegionAt(int32_t x, int32_t y) const { return regionMap_[static_cast<size_t>(y) * width_ + x]; }
  int32_t RegionTop(int region) const { return regionTop_[static_cast<size_t>(region)]; }
  int32_t RegionBottom(int region) const { return regionBottom_[static_cast<size_t>(region)]; }
  int32_t JitterAt(int region, int32_t x) const { return jitter_[static_cast<size_t>(region)][static_cast<size_t>(x)]; }
  bool WeatherOn() const { return weatherOn_; }
  const TSnow* Snow() const { return snow_.get(); }
  const TRain* Rain() const { return rain_.get(); }
  const TBitmap32& WaterSurface() const { return water_; }
  const TBitmap32& OutputSurface() const { return output_; }
  // The paintings the GIF players hand over; StepFrame carries them out.
  TPaintQueue& Paintings() { return paintings_; }

 private:
  static constexpr int64_t kNoKey = std::numeric_limits<int64_t>::min();
  // A run of pixels of one region within a row: [Left, Right). An exclusive span is the only
  // one that writes its pixels, so when its Key (what decides them: the source row, the
  // displacement or the phase) is what it was last frame, its pixels are too and it is skipped.
  struct TSpan {
    int32_t Left;
    int32_t Right;
    int32_t Region;
    bool Exclusive = false;
    int64_t Key = kNoKey;
  };
  // What a region's wave needs in the row loop, read once per frame from its record.
  struct TRegionWave {
    int32_t Amplitude;
    int32_t Period;  // a record's 0 or less is taken as 360
    int32_t Direction;
    bool ShiftColumns;
    bool Ripple;
    bool Perspective;
    double A;   // amplitude in effect for the current row
    double Q;   // wave count in effect for the current row
    double dA;  // perspective growth per row
    double dQ;
    int64_t RowY;  // vertical displacement of the current row
    int64_t RowX;  // horizontal displacement of the current row
  };

  bool Composing() const;
  bool HasObjects() const;
  void StartObjects();
  void DrawObjects();
  void BuildReflection();
  void BuildRegionMap();
  void FillJitter();
  void FindExclusiveSpans();
  void ForgetSpanKeys();
  void SetUpRegionWaves();
  void WaveRow(int32_t y);
  void MapRow(int32_t y);
  void MapStraightSpan(int32_t y, const TSpan& span, int32_t s);
  void MapColumnWaveSpan(int32_t y, const TSpan& span);
  void MapPixelSpan(int32_t y, const TSpan& span);
  // The rows a span of region r may write below its own (jitter moves the target row up).
  int32_t Reach(size_t r) const;
  void AdvancePhases(uint32_t dt);
  void ComposeFrame(uint32_t dt);

  TProject* project_ = nullptr;
  TAnimObjects* objects_ = nullptr;
  const TBitmap* background_ = nullptr;
  const TBitmap* regionMask_ = nullptr;
  std::array<const TWaveParam*, kWaveCount> waveParams_{};
  int32_t speed_ = 100;

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::array<int64_t, kWaveCount> phase_{};
  uint32_t lastTick_ = 0;
  bool reflectionOn_ = false;
  TBitmap reflectionImage_;
  TBitmap32 water_;
  std::vector<const uint32_t*> sourceRows_;
  std::vector<int16_t, TLargeAllocator<int16_t>> regionMap_;
  // Per pixel: the rows of its region straight above (low byte) and below (high byte), to 255.
  std::vector<uint16_t, TLargeAllocator<uint16_t>> verticalRuns_;
  std::vector<TSpan> spans_;
  std::vector<uint32_t> rowSpans_;  // spans of row y: [rowSpans_[y], rowSpans_[y + 1])
  std::array<std::vector<int32_t>, kWaveCount> jitter_;
  std::array<bool, kWaveCount> hasJitter_{};
  std::array<int32_t, kWaveCount> maxJitter_{};
  std::array<TWaveParam, kWaveCount> recordsSeen_{};  // the records the spans' keys were made with
  std::array<int32_t, kWaveCount> regionTop_{};
  std::array<int32_t, kWaveCount> regionBottom_{};
  std::array<TRegionWave, kWaveCount> waves_{};
  // Column waves: round(A cos i) for the amplitude each region had last.
  std::array<double, kWaveCount> rowYTableAmplitude_{};
  std::array<std::array<int64_t, 361>, 8> rowYTable_{};
  std::array<double, 361> cosTable_{};

  TBitmap32 output_;
  TColor32* lent_ = nullptr;  // the memory output_ composes into, when not its own
  TFrameChanges changes_;
  bool composedBefore_ = false;  // the previous frame was on the composition surface
  TPaintQueue paintings_;        // the GIF players' paintings, carried out between frames
  TClock clock_;
  bool weatherOn_ = false;
  std::unique_ptr<TSnow> snow_;
  std::unique_ptr<TRain> rain_;
};

}  // namespace lumora

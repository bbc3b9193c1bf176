// The animation engine (see uAnimEngine.h): water effect and frame composition.
#include "render/uAnimEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "base/uRandom.h"
#include "base/uRounding.h"
#include "base/uTicks.h"
#include "objects/uAnimObjects.h"
#include "objects/uImageObjects.h"
#include "project/uFileIO.h"
#include "project/uVXProject.h"
#include "render/uColumnWave.h"
#include "weather/uRain.h"
#include "weather/uSnow.h"

namespace lumora {
namespace {

inline int64_t Clamp(int64_t v, int64_t low, int64_t high) { return v < low ? low : (v > high ? high : v); }

// Rows of water restored onto the composition at a time: small enough to be still in the cache.
constexpr int32_t kRestoreBandRows = 32;

}  // namespace

TAnimEngine::TAnimEngine() {
  reflectionImage_.SetPixelFormat(TPixelFormat::pf32bit);
  for (size_t i = 0; i < cosTable_.size(); ++i)
    cosTable_[i] = std::cos(static_cast<double>(i) * std::numbers::pi / 180);
}

TAnimEngine::~TAnimEngine() {
  // The GIF players hand their paintings to this engine's queue, so they stop before it goes;
  // the objects themselves end when the project releases its list.
  if (!HasObjects()) return;
  for (int i = 0; i < objects_->Count(); ++i) {
    TAnimObject& object = objects_->Items(i);
    object.Stop();
    if (auto* gif = dynamic_cast<TGifObject*>(&object)) gif->Paintings = nullptr;
  }
}

void TAnimEngine::SetProject(TProject& project) {
  project_ = &project;
  objects_ = &project.Objects;
  background_ = &project.Background;
  regionMask_ = &project.RegionMask;
  for (int r = 0; r < kWaveCount; ++r) waveParams_[static_cast<size_t>(r)] = &project.GetWaveParam(r);
  speed_ = project.Speed;
}

const TBitmap& TAnimEngine::Background() const { return *background_; }

bool TAnimEngine::HasObjects() const { return objects_ != nullptr && objects_->Count() > 0; }

bool TAnimEngine::Composing() const { return weatherOn_ || HasObjects() || ShowClock; }

TBitmap32& TAnimEngine::FrameSurface() { return Composing() ? output_ : water_; }

void TAnimEngine::ComposeInto(TColor32* memory) {
  if (output_.Empty() && lent_ == nullptr) memory = nullptr;  // nothing composes
  if (memory == lent_) return;
  lent_ = memory;
  if (memory != nullptr) {
    output_.UseMemory(memory, width_, height_);
  } else {
    output_.SetSize(width_, height_);
  }
  // Whatever the memory holds, the next frame is composed whole.
  changes_.ChangeAll();
}

void TAnimEngine::Prepare() {
  if (project_ == nullptr) return;
  lastTick_ = GetTickCount();
  const bool usable = background_ && background_->PixelFormat() == TPixelFormat::pf32bit && !background_->Empty();
  width_ = usable ? background_->Width() : 0;
  height_ = usable ? background_->Height() : 0;
  water_.SetSize(width_, height_);

  // The composition's set-up: clock colour and size, and the surface it draws on.
  clock_.ClockColor = 0xFFFFFF;
  clock_.ClockAlpha = 180;
  if (ShowClock) {
    const auto side = static_cast<int32_t>(RoundHalfEven(width_ / 8.0));
    clock_.SetClockSize(side, side);
  }
  if (project_->Weather.Kind() > 0 || HasObjects() || ShowClock) output_.SetSize(width_, height_);
  lent_ = nullptr;
  // Room for every overlay a frame can have: the objects, the most flakes or drops, the clock.
  changes_.Reset(width_, height_, static_cast<size_t>(HasObjects() ? objects_->Count() : 0) + 1000 + TClock::kMarks);

  RandomizeFromClock();
  phase_.fill(0);

  reflectionOn_ =
      std::any_of(waveParams_.begin(), waveParams_.end(), [](const TWaveParam* w) { return w->Reflection(); });
  sourceRows_.assign(static_cast<size_t>(height_), nullptr);
  for (int32_t y = 0; y < height_; ++y) sourceRows_[static_cast<size_t>(y)] = background_->Pixels32(y);
  // The region map first: the reflection reads the regions' spans and first rows from it.
  BuildRegionMap();
  if (reflectionOn_) {
    reflectionImage_.SetSize(width_, height_);
    for (int32_t y = 0; y < height_; ++y) {
      std::memcpy(reflectionImage_.ScanLine(y), background_->ScanLine(y), reflectionImage_.RowBytes());
    }
    BuildReflection();
  }
  FillJitter();
  for (size_t r = 0; r < recordsSeen_.size(); ++r) recordsSeen_[r] = *waveParams_[r];
  FindExclusiveSpans();
  StartObjects();

  composedBefore_ = Composing();
  StepFrame();
  // From here on only water pixels change in the water surface.
  TBitmap plain;
  water_.Assign(usable ? *background_ : plain);
  ForgetSpanKeys();
  changes_.ChangeAll();
}

// Mirrors the scenery above each reflecting region's first row into the region: the pixel in
// row top + k takes the background pixel of row top - k - 1.
void TAnimEngine::BuildReflection() {
  for (int32_t y = 0; y < height_; ++y) {
    uint32_t* target = reflectionImage_.Pixels32(y);
    for (uint32_t i = rowSpans_[static_cast<size_t>(y)]; i < rowSpans_[static_cast<size_t>(y) + 1]; ++i) {
      const TSpan& span = spans_[i];
      if (!waveParams_[static_cast<size_t>(span.Region)]->Reflection()) continue;
      const int32_t d = 2 * regionTop_[static_cast<size_t>(span.Region)] - y - 1;
      if (d < 0) continue;
      std::memcpy(target + span.Left, background_->Pixels32(d) + span.Left,
                  static_cast<size_t>(span.Right - span.Left) * sizeof(uint32_t));
    }
  }
  for (int32_t y = 0; y < height_; ++y) sourceRows_[static_cast<size_t>(y)] = reflectionImage_.Pixels32(y);
}

// The region of every pixel (-1 outside the water), each region's first and last row, and the
// runs of equal region per row that the frame loop walks instead of testing every pixel. A
// mask smaller than the background counts as no region where it has no pixel.
void TAnimEngine::BuildRegionMap() {
  regionTop_.fill(50000);
  regionBottom_.fill(0);
  regionMap_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), -1);
  spans_.clear();
  rowSpans_.assign(static_cast<size_t>(height_) + 1, 0);
  const bool maskUsable = regionMask_->PixelFormat() == TPixelFormat::pf32bit;
  const int32_t maskWidth = maskUsable ? std::min(width_, regionMask_->Width()) : 0;
  const int32_t maskHeight = maskUsable ? std::min(height_, regionMask_->Height()) : 0;
  for (int32_t y = 0; y < height_; ++y) {
    rowSpans_[static_cast<size_t>(y)] = static_cast<uint32_t>(spans_.size());
    if (y >= maskHeight) continue;
    const uint32_t* mask = regionMask_->Pixels32(y);
    int16_t* row = &regionMap_[static_cast<size_t>(y) * width_];
    uint32_t present = 0;  // the regions met in this row, one bit each
    // Run by run of equal mask pixels: distinct region colours are distinct pixels, so a run is
    // one region's span or no water.
    for (int32_t x = 0; x < maskWidth;) {
      int32_t end = x + 1;
      while (end < maskWidth && mask[end] == mask[x]) ++end;
      const int n = RegionColorToIndex(mask[x]);
      std::fill(row + x, row + end, static_cast<int16_t>(n - 1));
      if (n > 0) {
        present |= 1u << (n - 1);
        spans_.push_back({x, end, n - 1});
      }
      x = end;
    }
    for (size_t r = 0; present != 0; ++r, present >>= 1) {
      if ((present & 1) == 0) continue;
      regionTop_[r] = std::min(regionTop_[r], y);
      regionBottom_[r] = std::max(regionBottom_[r], y);
    }
  }
  rowSpans_[static_cast<size_t>(height_)] = static_cast<uint32_t>(spans_.size());
  rowYTableAmplitude_.fill(std::numeric_limits<double>::quiet_NaN());

  // How far each pixel's region goes straight up and down, so that a column wave finds most of
  // its samples' regions in the row it works on rather than in the row it samples.
  verticalRuns_.assign(regionMap_.size(), 0);
  const auto width = static_cast<size_t>(width_);
  for (int32_t y = 1; y < height_; ++y) {
    const int16_t* here = regionMap_.data() + static_cast<size_t>(y) * width;
    const uint16_t* above = verticalRuns_.data() + static_cast<size_t>(y - 1) * width;
    uint16_t* runs = verticalRuns_.data() + static_cast<size_t>(y) * width;
    for (size_t x = 0; x < width; ++x) {
      const bool same = here[x] >= 0 && here[x] == here[x - width];
      runs[x] = same ? static_cast<uint16_t>(std::min((above[x] & 0xFF) + 1, 255)) : uint16_t{0};
    }
  }
  for (int32_t y = height_ - 2; y >= 0; --y) {
    const int16_t* here = regionMap_.data() + static_cast<size_t>(y) * width;
    const uint16_t* below = verticalRuns_.data() + static_cast<size_t>(y + 1) * width;
    uint16_t* runs = verticalRuns_.data() + static_cast<size_t>(y) * width;
    for (size_t x = 0; x < width; ++x) {
      const bool same = here[x] >= 0 && here[x] == here[x + width];
      if (same) runs[x] = static_cast<uint16_t>(runs[x] | std::min((below[x] >> 8) + 1, 255) << 8);
    }
  }
}

void TAnimEngine::FillJitter() {
  for (size_t r = 0; r < jitter_.size(); ++r) {
    jitter_[r].assign(static_cast<size_t>(width_), 0);
    const int32_t range = waveParams_[r]->Jitter();
    for (int32_t& j : jitter_[r]) j = range > 0 ? Random(range) : 0;
    maxJitter_[r] = jitter_[r].empty() ? 0 : *std::max_element(jitter_[r].begin(), jitter_[r].end());
    hasJitter_[r] = maxJitter_[r] != 0;
  }
}

int32_t TAnimEngine::Reach(size_t r) const {
  const TWaveParam& record = *waveParams_[r];
  const bool pixelPath = record.ShiftColumns() || hasJitter_[r];
  const bool columnWave = record.Ripple() && record.Direction() >= 2 && record.Direction() <= 5;
  return pixelPath && !columnWave && record.Direction() < 2 ? maxJitter_[r] : 0;
}

// A span may be skipped only if it alone writes its pixels. A span writes the pixels of its
// columns in its own row and, with jitter, in the rows above it that the jitter reaches. Within
// one region each pixel has one writer, the row its jitter points from (but for row 0, onto
// which the jitter of the top rows is clamped), and a region that does not sway writes only its
// own pixels. A swaying region, though, writes wherever its swayed sample lands: a span is
// exclusive only if no span of another region can write where it does.
void TAnimEngine::FindExclusiveSpans() {
  const auto swayed = [this](int32_t region) { return waveParams_[static_cast<size_t>(region)]->ShiftColumns(); };
  // Per row and region, the columns the swaying regions' spans may write.
  struct TExtent {
    int32_t Left = std::numeric_limits<int32_t>::max();
    int32_t Right = std::numeric_limits<int32_t>::min();
  };
  std::vector<std::array<TExtent, kWaveCount>> swayedWrites(static_cast<size_t>(height_));
  const auto rowsOf = [this](int32_t y, const TSpan& span) {
    return std::pair(std::max(0, y - Reach(static_cast<size_t>(span.Region))), y);
  };
  for (int32_t y = 0; y < height_; ++y) {
    for (uint32_t i = rowSpans_[static_cast<size_t>(y)]; i < rowSpans_[static_cast<size_t>(y) + 1]; ++i) {
      const TSpan& span = spans_[i];
      if (!swayed(span.Region)) continue;
      const auto [top, bottom] = rowsOf(y, span);
      for (int32_t t = top; t <= bottom; ++t) {
        TExtent& extent = swayedWrites[static_cast<size_t>(t)][static_cast<size_t>(span.Region)];
        extent.Left = std::min(extent.Left, span.Left);
        extent.Right = std::max(extent.Right, span.Right);
      }
    }
  }
  const auto overlaps = [](const TSpan& span, int32_t left, int32_t right) {
    return span.Left < right && left < span.Right;
  };
  for (int32_t y = 0; y < height_; ++y) {
    for (uint32_t i = rowSpans_[static_cast<size_t>(y)]; i < rowSpans_[static_cast<size_t>(y) + 1]; ++i) {
      TSpan& span = spans_[i];
      const int32_t reach = Reach(static_cast<size_t>(span.Region));
      bool exclusive = reach == 0 || y > reach;
      const auto [top, bottom] = rowsOf(y, span);
      for (int32_t t = top; exclusive && t <= bottom; ++t) {
        const auto& writes = swayedWrites[static_cast<size_t>(t)];
        for (int32_t other = 0; other < kWaveCount; ++other) {
          const TExtent& extent = writes[static_cast<size_t>(other)];
          if (other != span.Region && overlaps(span, extent.Left, extent.Right)) exclusive = false;
        }
        // A swaying span may write other regions' pixels of these rows, which they write too.
        if (!swayed(span.Region)) continue;
        for (uint32_t k = rowSpans_[static_cast<size_t>(t)]; k < rowSpans_[static_cast<size_t>(t) + 1]; ++k) {
          const TSpan& there = spans_[k];
          if (there.Region != span.Region && overlaps(span, there.Left, there.Right)) exclusive = false;
        }
      }
      span.Exclusive = exclusive;
    }
  }
}

void TAnimEngine::ForgetSpanKeys() {
  for (TSpan& span : spans_) span.Key = kNoKey;
}

// The water of one frame. For a region with amplitude A, wave count Q (Frequency waves per
// Period degrees) and phase P, row y of a frame H rows high is displaced vertically by
//   RowY = round(A cos(g)),  g = round((H - y) Q 360 / H + P)  (degrees, through the table),
// so the wave has Q crests over the height and travels as P advances. With perspective, A grows
// from nothing at the region's top row to the whole amplitude at its bottom row while Q falls
// to a fifth, as water further away shows smaller, denser waves. Directions 2 to 5 let the
// displacement vary along the columns instead, with half the wave count at the region's far
// rows; ShiftColumns also sways each row sideways by A cos(g), and jitter adds a fixed random
// row offset per column. A pixel takes its new value only from the same region, so the water's
// edge never smears land into the water.
void TAnimEngine::StepFrame() {
  // Between two frames: the GIF paintings the players have handed over.
  paintings_.Drain();
  const uint32_t now = GetTickCount();
  const uint32_t dt = TicksBetween(lastTick_, now);
  lastTick_ = now;
  // A frame that moves between the water and the composition surface starts from scratch.
  if (Composing() != composedBefore_) changes_.ChangeAll();
  composedBefore_ = Composing();
  changes_.BeginFrame();
  if (width_ > 0 && height_ > 0) {
    SetUpRegionWaves();
    // The composition takes the changed water in bands of rows, each as soon as no later row
    // writes into it, while the band is still in the cache.
    const bool composing = Composing();
    int32_t reach = 0;
    for (size_t r = 0; r < waves_.size(); ++r) reach = std::max(reach, Reach(r));
    int32_t restored = 0;
    for (int32_t y = 0; y < height_; ++y) {
      WaveRow(y);
      MapRow(y);
      const int32_t final = y + 1 - reach;
      if (composing && final - restored >= kRestoreBandRows) {
        changes_.RestoreWater(output_, water_, restored, final);
        restored = final;
      }
    }
    if (composing) changes_.RestoreWater(output_, water_, restored, height_);
  }
  AdvancePhases(dt);
  ComposeFrame(dt);
  changes_.EndFrame(Composing());
  // The workers step while the frame is shown, so the next frame finds them one frame on.
  if (HasObjects()) {
    for (int i = 0; i < objects_->Count(); ++i) objects_->Items(i).Beat();
  }
}

void TAnimEngine::SetUpRegionWaves() {
  // The spans' keys and which spans are exclusive follow from the records; a record changed
  // while the frames run (nothing does that today) starts them afresh.
  bool recordsChanged = false;
  for (size_t r = 0; r < waves_.size(); ++r) {
    recordsChanged = recordsChanged || waveParams_[r]->Record != recordsSeen_[r].Record;
    recordsSeen_[r] = *waveParams_[r];
  }
  if (recordsChanged) {
    FindExclusiveSpans();
    ForgetSpanKeys();
  }
  for (size_t r = 0; r < waves_.size(); ++r) {
    const TWaveParam& record = *waveParams_[r];
    TRegionWave& w = waves_[r];
    w.Amplitude = record.Amplitude();
    w.Period = record.Period() > 0 ? record.Period() : 360;
    w.Direction = record.Direction();
    w.ShiftColumns = record.ShiftColumns();
    w.Ripple = record.Ripple();
    w.Perspective = record.Perspective();
    w.A = w.Amplitude;
    w.Q = record.Frequency() / (360.0 / w.Period);
    if (w.Perspective) {
      w.A = 0;
      const int32_t h = regionBottom_[r] - regionTop_[r];
      w.dA = h != 0 ? static_cast<double>(w.Amplitude) / h : w.Amplitude;
      w.dQ = h != 0 ? w.Q / h : w.Q;
    }
  }
}

void TAnimEngine::WaveRow(int32_t y) {
  for (size_t r = 0; r < waves_.size(); ++r) {
    if (y < regionTop_[r] || y > regionBottom_[r]) continue;
    TRegionWave& w = waves_[r];
    if (w.Perspective) {
      w.A += w.dA;
      w.Q -= 0.8 * w.dQ;
    }
    const int64_t g =
        RoundHalfEven(static_cast<double>(height_ - y) * w.Q * 360 / height_ + static_cast<double>(phase_[r]));
    w.RowY = RoundHalfEven(cosTable_[CosIndex(g, w.Period)] * w.A);
    if (w.ShiftColumns) w.RowX = RoundHalfEven(std::cos(static_cast<double>(g % 360) * std::numbers::pi / 180) * w.A);
  }
}

// Row y's water pixels, span by span. Three kinds of span take their own loop, all computing
// exactly what the per-pixel rule says: a region whose rows move as a whole (no column wave, no
// sway, no jitter) copies whole runs; a column wave tracks its modulo incrementally; the rest
// goes pixel by pixel. An exclusive span whose key has not changed since the last frame holds
// its pixels already.
void TAnimEngine::MapRow(int32_t y) {
  for (uint32_t i = rowSpans_[static_cast<size_t>(y)]; i < rowSpans_[static_cast<size_t>(y) + 1]; ++i) {
    TSpan& span = spans_[i];
    const auto r = static_cast<size_t>(span.Region);
    const TRegionWave& w = waves_[r];
    const bool columnWave = w.Ripple && w.Direction >= 2 && w.Direction <= 5;
    const bool straight = !columnWave && !w.ShiftColumns && !hasJitter_[r];
    const auto s = static_cast<int32_t>(w.Ripple ? Clamp(y + w.RowY, 0, height_ - 1) : y);
    // What decides the span's pixels besides the records and the fixed tables: a column wave's
    // phase, a straight span's source row, else the row's displacement and sway.
    const int64_t key = columnWave ? phase_[r]
                        : straight ? s
                                   : static_cast<int64_t>(static_cast<uint64_t>(w.Ripple ? w.RowY : 0) << 32 |
                                                          static_cast<uint32_t>(w.ShiftColumns ? w.RowX : 0));
    if (span.Exclusive && span.Key == key) continue;
    span.Key = key;
    changes_.MarkWater(y - Reach(r), y + 1, span.Left, span.Right);
    if (columnWave) {
      MapColumnWaveSpan(y, span);
    } else if (straight) {
      MapStraightSpan(y, span, s);
    } else {
      MapPixelSpan(y, span);
    }
  }
}

// Every pixel of the span samples the same source row s = y + RowY (y without ripple) in its own
// column, where row s belongs to the same region: the runs of the region in row s.
void TAnimEngine::MapStraightSpan(int32_t y, const TSpan& span, int32_t s) {
  uint32_t* target = water_.ScanLine(y);
  const uint32_t* source = sourceRows_[static_cast<size_t>(s)];
  for (uint32_t k = rowSpans_[static_cast<size_t>(s)]; k < rowSpans_[static_cast<size_t>(s) + 1]; ++k) {
    const TSpan& other = spans_[k];
    if (other.Region != span.Region) continue;
    const int32_t left = std::max(other.Left, span.Left);
    const int32_t right = std::min(other.Right, span.Right);
    if (left < right) std::memcpy(target + left, source + left, static_cast<size_t>(right - left) * sizeof(uint32_t));
  }
}

// The displacement varies along the row: RowY = round(A cos v) for each column, through a table
// per amplitude and the column's table index (uColumnWave.h).
void TAnimEngine::MapColumnWaveSpan(int32_t y, const TSpan& span) {
  const int32_t r = span.Region;
  TRegionWave& w = waves_[static_cast<size_t>(r)];
  if (w.A != rowYTableAmplitude_[static_cast<size_t>(r)]) {
    rowYTableAmplitude_[static_cast<size_t>(r)] = w.A;
    for (size_t k = 0; k < cosTable_.size(); ++k)
      rowYTable_[static_cast<size_t>(r)][k] = RoundHalfEven(cosTable_[k] * w.A);
  }
  const int64_t* table = rowYTable_[static_cast<size_t>(r)].data();
  const bool fromRight = w.Direction == 2 || w.Direction == 5;
  TColumnWaveIndex index(w.Q, width_, height_, y, phase_[static_cast<size_t>(r)], w.Period,
                         fromRight ? width_ - 1 - span.Left : span.Left, fromRight ? -1 : 1);
  const int16_t* map = regionMap_.data();
  const uint32_t* const* sourceRows = sourceRows_.data();
  const int64_t width = width_;
  uint32_t* target = water_.ScanLine(y);
  const int64_t lastRow = height_ - 1;
  const uint16_t* runs = verticalRuns_.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
  int64_t rowY = w.RowY;
  const int64_t left = span.Left;
  // Pixel (col, y + rows) lies in region r, given that (col, y) does: most samples are found in
  // the run of their own column.
  const auto sameRegion = [runs, map, width, y, r](int64_t col, int64_t rows) {
    return (rows >= -(runs[col] & 0xFF) && rows <= runs[col] >> 8) || map[(y + rows) * width + col] == r;
  };
  if (!w.ShiftColumns) {
    // The target pixel is this span's own, so only the source pixel's region needs a look.
    index.ForEach(span.Right - span.Left, [=, &rowY](int64_t i, size_t degrees) {
      rowY = table[degrees];
      const int64_t x = left + i;
      const int64_t s = Clamp(y + rowY, 0, lastRow);
      if (sameRegion(x, s - y)) target[x] = sourceRows[s][x];
    });
  } else {
    const int16_t* rowMap = map + static_cast<size_t>(y) * static_cast<size_t>(width);
    const int64_t shift = w.RowX;
    index.ForEach(span.Right - span.Left, [=, &rowY](int64_t i, size_t degrees) {
      rowY = table[degrees];
      const int64_t x = left + i;
      const int64_t s = Clamp(y + rowY, 0, lastRow);
      const int64_t col = Clamp(x - shift, 0, width - 1);
      if (rowMap[col] == r && sameRegion(col, s - y)) target[x] = sourceRows[s][col];
    });
  }
  w.RowY = rowY;
}

// The general rule, pixel by pixel: jitter moves source and target rows, sway moves columns.
// Where the sampled column's own pixel in this row is of the region, its run up and down (as in
// a column wave) answers most region tests without a look at another row.
void TAnimEngine::MapPixelSpan(int32_t y, const TSpan& span) {
  const int32_t r = span.Region;
  const TRegionWave& w = waves_[static_cast<size_t>(r)];
  const int32_t* jitter = jitter_[static_cast<size_t>(r)].data();
  const bool jitterMovesTarget = w.Direction < 2;
  const int64_t lastRow = height_ - 1, width = width_;
  const int16_t* map = regionMap_.data();
  const int16_t* rowMap = map + static_cast<size_t>(y) * static_cast<size_t>(width);
  const uint16_t* runs = verticalRuns_.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
  const uint32_t* const* sourceRows = sourceRows_.data();
  uint32_t* water = water_.Bits();
  const int64_t rowY = w.Ripple ? w.RowY : 0, shift = w.ShiftColumns ? w.RowX : 0;
  for (int64_t x = span.Left; x < span.Right; ++x) {
    const int32_t j = jitter[x];
    const int64_t moved = jitterMovesTarget ? j : 0;
    const int64_t s = Clamp(w.Ripple ? y + rowY - moved : y - j, 0, lastRow);
    const int64_t t = Clamp(y - moved, 0, lastRow);
    const int64_t col = Clamp(x - shift, 0, width - 1);
    // Rows t and s of column col in the region: by the run through row y when (col, y) is.
    const bool home = rowMap[col] == r;
    const auto inRegion = [&](int64_t row) {
      const int64_t rows = row - y;
      return (home && rows >= -(runs[col] & 0xFF) && rows <= runs[col] >> 8) || map[row * width + col] == r;
    };
    if (inRegion(t) && inRegion(s)) water[t * width + x] = sourceRows[s][col];
  }
}

void TAnimEngine::AdvancePhases(uint32_t dt) {
  for (size_t r = 0; r < waves_.size(); ++r) {
    const TWaveParam& record = *waveParams_[r];
    // The first product wraps in 32 bits, as the frame time times the speed always has.
    const auto product = static_cast<int32_t>(static_cast<uint32_t>(record.Speed()) * dt);
    const int64_t step = RoundHalfEven(product / 50.0 * speed_ / 100);
    const int32_t direction = record.Direction();
    const bool decreasing = direction == 0 || direction == 4 || direction == 5;
    // The phase is a 32-bit angle that wraps; only its value modulo the period matters.
    const auto phase = static_cast<uint32_t>(phase_[r]);
    const auto moved = decreasing ? phase - static_cast<uint32_t>(step) : phase + static_cast<uint32_t>(step);
    phase_[r] = static_cast<int32_t>(moved);
  }
}

void TAnimEngine::SetWeather(bool enabled) {
  weatherOn_ = enabled;
  snow_.reset();
  rain_.reset();
  if (!enabled || project_ == nullptr) return;
  const TWeatherParam& weather = project_->Weather;
  if (weather.Kind() == 1) {
    snow_ = std::make_unique<TSnow>();
    snow_->Surface = &output_;
    snow_->SetCount(weather.Count());
    snow_->Init();
  } else if (weather.Kind() == 2) {
    rain_ = std::make_unique<TRain>();
    rain_->Surface = &output_;
    rain_->SetCount(weather.Count());
    rain_->Init();
  }
}

// The objects take their frame and design size, then start: picture, start position, worker.
void TAnimEngine::StartObjects() {
  if (!HasObjects()) return;
  for (int i = 0; i < objects_->Count(); ++i) {
    TAnimObject& object = objects_->Items(i);
    object.FrameRect = Rect(0, 0, width_, height_);
    object.DesignWidth = project_->Width;
    object.DesignHeight = project_->Height;
    if (auto* gif = dynamic_cast<TGifObject*>(&object)) gif->Paintings = &paintings_;
    object.Start();
  }
}

// Every shown picture object, in list order, stretched to its drawn size. An object whose
// worker is replacing its picture is left out of this frame: the drawing thread never waits.
void TAnimEngine::DrawObjects() {
  if (!HasObjects()) return;
  for (int i = 0; i < objects_->Count(); ++i) {
    auto* object = dynamic_cast<TAnimImgObject*>(&objects_->Items(i));
    if (object == nullptr || !object->Shown) continue;
    const std::unique_lock<std::mutex> picture = object->TryLockPicture();
    if (!picture.owns_lock()) continue;
    const int32_t picWidth = object->PicWidth;
    const int32_t picHeight = object->PicHeight;
    const int32_t left = object->GetLeft();
    const int32_t top = object->GetTop();
    const auto right = static_cast<int32_t>(RoundHalfEven(left + picWidth * object->ScaleX * object->WidthSize / 100));
    const auto bottom =
        static_cast<int32_t>(RoundHalfEven(top + picHeight * object->ScaleY * object->HeightSize / 100));
    TBitmap32& frame = *object->FrameBitmap;
    if (frame.Width() != picWidth || frame.Height() != picHeight || frame.Empty()) continue;
    TBitmap32* source = &frame;
    if (object->Mirrored) {
      TBitmap32& mirror = *object->MirrorBitmap;
      if (mirror.Width() != picWidth || mirror.Height() != picHeight) continue;
      std::memcpy(mirror.Bits(), frame.Bits(),
                  static_cast<size_t>(picWidth) * static_cast<size_t>(picHeight) * sizeof(TColor32));
      mirror.FlipHorz();
      source = &mirror;
    }
    changes_.AddOverlay(Rect(left, top, right, bottom));
    output_.Draw(Rect(left, top, right, bottom), Rect(0, 0, picWidth, picHeight), *source);
  }
}

// Objects, weather and clock over the water frame, in that order. The composition surface holds
// the previous frame: it has taken the changed water already, row band by row band, and now
// takes the water again where that frame's overlays lay.
void TAnimEngine::ComposeFrame(uint32_t dt) {
  if (Composing()) changes_.RestoreOverlays(output_, water_);
  DrawObjects();
  if (weatherOn_ && project_ != nullptr) {
    const TWeatherParam& weather = project_->Weather;
    if (snow_) {
      snow_->Elapsed = static_cast<int32_t>(dt);
      snow_->SpeedPercent = speed_;
      snow_->SpeedIndex = weather.SpeedIndex();
      snow_->Density = weather.Density();
      snow_->Step();
    } else if (rain_) {
      rain_->Elapsed = static_cast<int32_t>(dt);
      rain_->SpeedPercent = speed_;
      rain_->SpeedIndex = weather.SpeedIndex();
      rain_->DropLength = weather.DropLength();
      rain_->Density = weather.Density();
      rain_->Angle = 180 - weather.Angle();
      rain_->Step();
    }
    const auto overlay = [this](const TRect& area) { changes_.AddOverlay(area); };
    if (snow_) snow_->VisitAreas(overlay);
    if (rain_) rain_->VisitAreas(overlay);
  }
  if (ShowClock && !FrameSurface().Empty()) {
    // Only the marks change the frame: the rest of the face would be the frame itself.
    const TPoint at = clock_.ClockPosition(width_, height_);
    clock_.RenderOnto(FrameSurface(), at, [this](const TRect& area) { changes_.AddOverlay(area); });
  }
}

}  // namespace lumora

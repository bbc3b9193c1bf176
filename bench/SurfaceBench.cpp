// The drawing surface's per-frame work against plain copies of the same pixels: full-frame
// opaque and blended draws, a custom-combined object picture stretched by both filters, blended
// lines and an anti-aliased clock hand.
#include <cmath>
#include <random>
#include <vector>

#include "BenchRatio.h"
#include "FrameReference.h"
#include "surface/uBitmap32.h"
#include "surface/uPolygon32.h"

namespace {

using lumora::TBitmap32;
using lumora::TColor32;

constexpr int32_t kFrameWidth = 1920, kFrameHeight = 1080;
constexpr int32_t kPictureSize = 128, kStretchedSize = 256;

void FillRandom(TBitmap32& surface, int32_t width, int32_t height, uint32_t seed) {
  surface.SetSize(width, height);
  std::mt19937 random(seed);
  for (int32_t i = 0; i < width * height; ++i) surface.Bits()[i] = random();
}

void MemcpyFrame(benchmark::State& state) { lumora::bench::CopyFrame(state, kFrameWidth, kFrameHeight); }
BENCHMARK(MemcpyFrame)->Unit(benchmark::kMicrosecond);

void MemcpyStretched(benchmark::State& state) { lumora::bench::CopyFrame(state, kStretchedSize, kStretchedSize); }
BENCHMARK(MemcpyStretched)->Unit(benchmark::kMicrosecond);

void DrawOpaqueFrame(benchmark::State& state) {
  TBitmap32 source, dest;
  FillRandom(source, kFrameWidth, kFrameHeight, 1);
  FillRandom(dest, kFrameWidth, kFrameHeight, 3);
  for (auto _ : state) {
    dest.Draw(0, 0, source);
    benchmark::DoNotOptimize(dest.Bits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(DrawOpaqueFrame)->Unit(benchmark::kMicrosecond);

// Random pixels: alpha 0, 255 and partial values all occur, as over an object's edges.
void DrawBlendFrame(benchmark::State& state) {
  TBitmap32 source, dest;
  FillRandom(source, kFrameWidth, kFrameHeight, 2);
  FillRandom(dest, kFrameWidth, kFrameHeight, 3);
  source.DrawMode = lumora::TDrawMode::dmBlend;
  for (auto _ : state) {
    dest.Draw(0, 0, source);
    benchmark::DoNotOptimize(dest.Bits());
  }
}
BENCHMARK(DrawBlendFrame)->Unit(benchmark::kMicrosecond);

// An object picture: key colour left out, the rest mixed by the opacity, alpha := opacity.
void StretchCustom(benchmark::State& state, lumora::TStretchFilter filter) {
  TBitmap32 picture, dest;
  FillRandom(picture, kPictureSize, kPictureSize, 4);
  const TColor32 key = 0x00FFFF00;
  for (int32_t i = 0; i < kPictureSize * kPictureSize; i += 3) picture.Bits()[i] = key;
  picture.DrawMode = lumora::TDrawMode::dmCustom;
  picture.MasterAlpha = 204;
  picture.StretchFilter = filter;
  picture.OnPixelCombine = [key](TColor32 f, TColor32& b, TColor32 m) {
    if (f == key) return;
    const uint32_t keep = 255 - (m & 0xFF);
    TColor32 mixed = (m & 0xFF) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
      mixed |= (((f >> shift & 0xFF) * m + (b >> shift & 0xFF) * keep) / 255) << shift;
    }
    b = mixed;
  };
  FillRandom(dest, kStretchedSize, kStretchedSize, 5);
  const auto destRect = lumora::Rect(0, 0, kStretchedSize, kStretchedSize);
  const auto sourceRect = lumora::Rect(0, 0, kPictureSize, kPictureSize);
  for (auto _ : state) {
    dest.Draw(destRect, sourceRect, picture);
    benchmark::DoNotOptimize(dest.Bits());
  }
  // Time per destination pixel, printed with its unit (for example "5.7ns").
  state.counters["per_px"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kStretchedSize * kStretchedSize,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
void StretchCustomDraft(benchmark::State& state) { StretchCustom(state, lumora::TStretchFilter::sfDraft); }
void StretchCustomNearest(benchmark::State& state) { StretchCustom(state, lumora::TStretchFilter::sfNearest); }
BENCHMARK(StretchCustomDraft)->Unit(benchmark::kMicrosecond);
BENCHMARK(StretchCustomNearest)->Unit(benchmark::kMicrosecond);

// 1000 raindrop-like lines of 20 pixels in every direction.
void LineBlend1000(benchmark::State& state) {
  TBitmap32 dest;
  FillRandom(dest, kFrameWidth, kFrameHeight, 6);
  std::mt19937 random(7);
  struct Line {
    int32_t x1, y1, x2, y2;
  };
  std::vector<Line> lines;
  for (int i = 0; i < 1000; ++i) {
    const double angle = std::uniform_real_distribution<double>(0, 6.283185307179586)(random);
    const int32_t x = std::uniform_int_distribution<int32_t>(20, kFrameWidth - 21)(random);
    const int32_t y = std::uniform_int_distribution<int32_t>(20, kFrameHeight - 21)(random);
    lines.push_back({x, y, x + static_cast<int32_t>(std::lround(20 * std::cos(angle))),
                     y + static_cast<int32_t>(std::lround(20 * std::sin(angle)))});
  }
  for (auto _ : state) {
    for (const Line& l : lines) dest.LineBlend(l.x1, l.y1, l.x2, l.y2, 0x96C8C8C8);
    benchmark::DoNotOptimize(dest.Bits());
  }
}
BENCHMARK(LineBlend1000)->Unit(benchmark::kMicrosecond);

// A minute hand: the quadrilateral of half-width 1 from the centre 160 pixels out at 37 degrees,
// built and filled as the clock does every frame.
void PolygonClockHand(benchmark::State& state) {
  TBitmap32 dest;
  FillRandom(dest, 400, 400, 8);
  const double angle = 37 * 3.141592653589793 / 180;
  const int32_t x1 = 200, y1 = 200;
  const auto x2 = static_cast<int32_t>(x1 + std::lround(std::sin(angle) * 160));
  const auto y2 = static_cast<int32_t>(y1 - std::lround(std::cos(angle) * 160));
  lumora::TPolygon32 polygon;
  polygon.Antialiased = true;
  for (auto _ : state) {
    polygon.Clear();
    polygon.Add(lumora::FixedPoint(x1 - 1, y1));
    polygon.Add(lumora::FixedPoint(x1 + 1, y1));
    polygon.Add(lumora::FixedPoint(x2 + 1, y2));
    polygon.Add(lumora::FixedPoint(x2 - 1, y2));
    polygon.Draw(dest, 0xB4FFFFFF);
    benchmark::DoNotOptimize(dest.Bits());
  }
}
BENCHMARK(PolygonClockHand)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return lumora::bench::RunWithRatios(argc, argv,
                                      {{"DrawOpaqueFrame", "MemcpyFrame"},
                                       {"DrawBlendFrame", "MemcpyFrame"},
                                       {"StretchCustomDraft", "MemcpyStretched"},
                                       {"StretchCustomNearest", "MemcpyStretched"},
                                       {"LineBlend1000", "MemcpyFrame"},
                                       {"PolygonClockHand", "MemcpyFrame"}});
}

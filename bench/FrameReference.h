// The reference every frame figure is divided by: one memcpy of a frame.
//
// It copies between two surfaces made exactly like the ones the engine and the drawing code
// work on, both written before the clock starts. A reference in memory of its own (a vector
// filled with one value, a fresh one beside it) is placed and first touched differently from
// the surfaces, and a ratio to it then compares the memory rather than the code.
#pragma once

#include <benchmark/benchmark.h>

#include <cstring>

#include "surface/uBitmap32.h"

namespace lumora::bench {

inline void CopyFrame(benchmark::State& state, int32_t width, int32_t height) {
  TBitmap32 from, to;
  from.SetSize(width, height);
  to.SetSize(width, height);
  from.Clear(0xFF406080);
  to.Clear(0xFF000000);
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(TColor32);
  for (auto _ : state) {
    std::memcpy(to.Bits(), from.Bits(), bytes);
    benchmark::DoNotOptimize(to.Bits());
    benchmark::ClobberMemory();
  }
}

}  // namespace lumora::bench

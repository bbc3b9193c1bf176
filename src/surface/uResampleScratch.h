// The tables and buffers of the stretch filters, kept by each source surface between draws so
// that drawing a picture at another size every frame allocates nothing once they have grown.
// Private to the surface's own units.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "surface/uBitmap32.h"

namespace lumora {

struct TResampleScratch {
  // Draft reduction: the source block [start, end) of one destination index.
  struct Block {
    int32_t start;
    int32_t end;
  };
  // Draft enlargement: source pixels index and index + 1, the first weighing `weight` / 256.
  struct Tap {
    int32_t index;
    uint32_t weight;
  };
  // The tent resampler's taps of destination k: offsets[k] .. offsets[k + 1] - 1.
  struct TentTable {
    std::vector<int32_t> offsets;
    std::vector<int32_t> indices;
    std::vector<uint32_t> weights;
  };
  // One source row mixed horizontally, in 16-bit lanes.
  struct MixedRow {
    int32_t source = -1;
    std::vector<uint32_t> blueRed;
    std::vector<uint32_t> greenAlpha;
  };

  std::vector<int32_t> columns, rows;  // nearest
  std::vector<Block> columnBlocks, rowBlocks;
  std::vector<uint64_t> reciprocals[2];
  std::vector<uint32_t> sums[4];
  std::vector<Tap> columnTaps, rowTaps;
  MixedRow top, bottom;
  TentTable columnTent, rowTent;
  std::vector<std::pair<int32_t, double>> tentTaps;
  std::vector<TColor32> line;  // a resampled row before it is combined
};

}  // namespace lumora

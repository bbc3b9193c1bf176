// Transfers between surfaces: both forms of Draw and the device-context copies.
//
// Every transfer has the same shape: clip the destination rectangle to the surface's clip
// rectangle, return when nothing is left, then one loop over destination rows. A row's source
// pixels are either read in place (same size) or produced by the source's stretch filter from
// per-column tables built once per call, and are then combined by the source's DrawMode.
// Resampling indices always count from the unclipped destination rectangle's edges, so
// clipping cuts a stretched picture but never shifts it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/uErrors.h"
#include "base/uRounding.h"
#include "surface/uBitmap32.h"
#include "surface/uResampleScratch.h"

namespace lumora {

TResampleScratch& ResampleScratchOf(const TBitmap32& source) {
  if (!source.resample_) source.resample_ = std::make_unique<TResampleScratch>();
  return *source.resample_;
}

namespace {

using Block = TResampleScratch::Block;
using Tap = TResampleScratch::Tap;
using TentTable = TResampleScratch::TentTable;
using MixedRow = TResampleScratch::MixedRow;

// Fixed-point units of the stretch filters: block steps in 16.16, bilinear and tent weights in
// 1/256, their products in 1/65536.
constexpr int kStepShift = 16;
constexpr uint32_t kWeightOne = 256;
constexpr uint32_t kProductHalf = 1u << 15;

enum class Combine { None, Opaque, Blend, BlendWeighted, Custom, Transparent };

// How the source's pixels meet the destination; None when nothing would change.
Combine CombineOf(const TBitmap32& source) {
  switch (source.DrawMode) {
    case TDrawMode::dmOpaque: return Combine::Opaque;
    case TDrawMode::dmBlend:
      if (source.MasterAlpha == 0) return Combine::None;
      return source.MasterAlpha == 255 ? Combine::Blend : Combine::BlendWeighted;
    case TDrawMode::dmCustom: return source.OnPixelCombine ? Combine::Custom : Combine::Opaque;
    case TDrawMode::dmTransparent: return Combine::Transparent;
  }
  return Combine::Opaque;
}

// One row of `n` source pixels onto the destination row. The switch sits outside the pixel
// loops so that each loop is a plain run over two pointers.
void CombineRow(TColor32* dst, const TColor32* src, int32_t n, Combine how, const TBitmap32& source) {
  switch (how) {
    case Combine::None: return;
    case Combine::Opaque: std::memmove(dst, src, static_cast<size_t>(n) * sizeof(TColor32)); return;
    case Combine::Blend:  // BlendColor
      for (int32_t i = 0; i < n; ++i) {
        const uint32_t a = AlphaOf(src[i]);
        dst[i] = MixChannels(src[i], dst[i], a + (a == 255 ? 1 : 0));  // 256 gives the source itself
      }
      return;
    case Combine::BlendWeighted: {  // BlendColorWeighted with the master alpha
      const uint32_t scale = source.MasterAlpha + 1u;
      for (int32_t i = 0; i < n; ++i) dst[i] = MixChannels(src[i], dst[i], (scale * AlphaOf(src[i])) >> 8);
      return;
    }
    case Combine::Custom: {
      const TColor32 master = source.MasterAlpha;
      if (source.OnRowCombine) {
        source.OnRowCombine(src, dst, n, master);
        return;
      }
      const TPixelCombineEvent& handler = source.OnPixelCombine;
      for (int32_t i = 0; i < n; ++i) handler(src[i], dst[i], master);
      return;
    }
    case Combine::Transparent: {
      const TColor32 skip = source.OuterColor;
      for (int32_t i = 0; i < n; ++i) {
        if (src[i] != skip) dst[i] = src[i];
      }
      return;
    }
  }
}

// The rectangle (left, top)-(right, bottom) within the destination's clip rectangle (which
// always lies inside the surface). 64-bit input so that a far-away position cannot overflow.
TRect ClipToSurface(const TBitmap32& dest, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  const TRect& clip = dest.ClipRect();
  return Rect(static_cast<int32_t>(std::max<int64_t>(left, clip.Left)),
              static_cast<int32_t>(std::max<int64_t>(top, clip.Top)),
              static_cast<int32_t>(std::min<int64_t>(right, clip.Right)),
              static_cast<int32_t>(std::min<int64_t>(bottom, clip.Bottom)));
}

// Same-size transfer: destination `area` takes source pixels from (sourceX, sourceY) on.
void CombineRows(TBitmap32& dest, const TRect& area, const TBitmap32& source, int32_t sourceX, int32_t sourceY,
                 Combine how) {
  const int32_t n = area.Width();
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    CombineRow(dest.ScanLine(y) + area.Left, source.ScanLine(sourceY + y - area.Top) + sourceX, n, how, source);
  }
}

// One axis of a stretch: the source interval [lo, hi), the unclipped destination length, and
// the clipped destination indices first .. first + count - 1 counted from the unclipped edge.
struct Axis {
  int32_t lo;
  int32_t hi;
  int64_t dstLen;
  int64_t first;
  int32_t count;
  int32_t Length() const { return hi - lo; }
};

// Nearest: index = trunc(i * scale + lo) with scale the ratio held as a 32-bit float. The sum
// is exact in a double (a float times an index below 2^29 needs at most 53 bits), so it
// truncates as an extended-precision sum would. Device-context copies may start left of the
// context; there the index is rounded down, so that the mapping stays one straight staircase.
void NearestTable(const Axis& axis, std::vector<int32_t>& table) {
  table.resize(static_cast<size_t>(axis.count));
  if (axis.dstLen < 2) {
    std::fill(table.begin(), table.end(), (axis.lo + axis.hi - 1) / 2);
    return;
  }
  const auto scale = static_cast<float>(static_cast<double>(axis.Length()) / static_cast<double>(axis.dstLen));
  for (int32_t k = 0; k < axis.count; ++k) {
    const double position = std::min<double>(static_cast<double>(axis.first + k) * scale + axis.lo, axis.hi - 1);
    auto index = static_cast<int32_t>(position);
    if (index > position) --index;
    table[k] = index;
  }
}

// Draft reduction: destination index k averages the source block
// [(k * S) >> 16, ((k + 1) * S) >> 16) from lo, S = trunc(length / dstLen * 65536). S is at
// least one whole pixel whenever the destination is not larger, but a block is never left empty.
void BlockTable(const Axis& axis, std::vector<Block>& table) {
  table.resize(static_cast<size_t>(axis.count));
  const auto step =
      static_cast<int64_t>(static_cast<double>(axis.Length()) / static_cast<double>(axis.dstLen) * (1 << kStepShift));
  for (int32_t k = 0; k < axis.count; ++k) {
    const int64_t i = axis.first + k;
    const auto start = static_cast<int32_t>(std::min<int64_t>((i * step) >> kStepShift, axis.Length() - 1));
    const auto end =
        static_cast<int32_t>(std::clamp<int64_t>(((i + 1) * step) >> kStepShift, start + 1, axis.Length()));
    table[k] = {axis.lo + start, axis.lo + end};
  }
}

// Draft enlargement: the two source pixels `index` and `index + 1` with the weight of the first
// in 1/256 (round(frac * 256) with halves to even). The position is clamped to the surface,
// not the rectangle; a pair that would reach past the rectangle moves one left with all the
// weight on its second pixel.
void BilinearTable(const Axis& axis, int32_t surfaceLen, std::vector<Tap>& table) {
  table.resize(static_cast<size_t>(axis.count));
  const double ratio = static_cast<double>(axis.Length()) / static_cast<double>(axis.dstLen);
  for (int32_t k = 0; k < axis.count; ++k) {
    double position = (static_cast<double>(axis.first + k) + 0.5) * ratio - 0.5 + axis.lo;
    position = std::clamp(position, 0.0, static_cast<double>(surfaceLen - 1));
    auto index = static_cast<int32_t>(position);  // floor: the position is not negative
    const double scaled = (position - index) * kWeightOne;
    auto rounded = static_cast<uint32_t>(scaled);
    const double rest = scaled - rounded;
    if (rest > 0.5 || (rest == 0.5 && (rounded & 1) != 0)) ++rounded;  // halves to even
    uint32_t weight = kWeightOne - rounded;
    if (index + 1 >= axis.hi) {
      index -= 1;
      weight = 0;
    }
    table[k] = {index, weight};
  }
}

// The linear-kernel (tent) resampler for sources thinner than 2 pixels: destination index i
// is centred at c = (i + 0.5) * ratio - 0.5 in the rectangle; every source pixel k within the
// tent's radius r = max(1, ratio) weighs 1 - |k - c| / r, positions past the rectangle's ends
// count for its edge pixels, and the weights are scaled to sum to exactly 256.
void MakeTentTable(const Axis& axis, TentTable& table, std::vector<std::pair<int32_t, double>>& taps) {
  table.offsets.clear();
  table.indices.clear();
  table.weights.clear();
  const double ratio = static_cast<double>(axis.Length()) / static_cast<double>(axis.dstLen);
  const double radius = std::max(1.0, ratio);
  for (int32_t k = 0; k < axis.count; ++k) {
    table.offsets.push_back(static_cast<int32_t>(table.indices.size()));
    const double centre = (static_cast<double>(axis.first + k) + 0.5) * ratio - 0.5;
    const auto from = static_cast<int64_t>(std::floor(centre - radius));
    const auto to = static_cast<int64_t>(std::ceil(centre + radius));
    // Clamped positions come in non-decreasing order, so equal ones are neighbours.
    taps.clear();
    double total = 0;
    for (int64_t s = from; s <= to; ++s) {
      const double w = 1.0 - std::abs(static_cast<double>(s) - centre) / radius;
      if (w <= 0) continue;
      const auto index = static_cast<int32_t>(std::clamp<int64_t>(s, 0, axis.Length() - 1));
      if (!taps.empty() && taps.back().first == index) {
        taps.back().second += w;
      } else {
        taps.emplace_back(index, w);
      }
      total += w;
    }
    // Integer weights summing to 256: each rounded, the remainder given to the heaviest tap.
    const size_t begin = table.indices.size();
    uint32_t sum = 0;
    size_t heaviest = begin;
    for (const auto& [index, raw] : taps) {
      const auto w = static_cast<uint32_t>(RoundHalfUp(raw / total * kWeightOne));
      if (table.indices.size() == begin || w > table.weights[heaviest]) heaviest = table.indices.size();
      table.indices.push_back(axis.lo + index);
      table.weights.push_back(w);
      sum += w;
    }
    table.weights[heaviest] += kWeightOne - sum;
  }
  table.offsets.push_back(static_cast<int32_t>(table.indices.size()));
}

// ---- Row producers: each fills `out` with the resampled pixels of one clipped row ----

struct NearestRows {
  const TBitmap32& source;
  const std::vector<int32_t>& columns;
  const std::vector<int32_t>& rows;

  void Row(int32_t r, TColor32* out) {
    const TColor32* src = source.ScanLine(rows[r]);
    const int32_t* column = columns.data();
    const auto n = static_cast<int32_t>(columns.size());
    for (int32_t c = 0; c < n; ++c) out[c] = src[column[c]];
  }
};

// The per-channel mean of each block, rounded to nearest with halves up: (sum + n / 2) / n.
// A destination row first sums its block rows per source column, channel by channel (a loop
// the compiler vectorises), then adds up each block's columns. The division is a multiplication
// by m = floor(2^48 / n) + 1, exact for n < 2^20: with x = sum + n / 2 < 256 n, x m / 2^48
// exceeds x / n by less than 256 n / 2^48 < 1 / n, too little to reach the next integer.
// Blocks have one of two heights, so each column keeps the multiplier for both.
struct BlockRows {
  static constexpr int kReciprocalShift = 48;
  static constexpr uint64_t kExactLimit = 1u << 20;

  const TBitmap32& source;
  const std::vector<Block>& columns;
  const std::vector<Block>& rows;
  int32_t shortHeight = 0;
  std::vector<uint64_t> (&reciprocals)[2];  // [height - shortHeight][column]; 0 means divide
  int32_t spanStart = 0;                    // the source columns the blocks cover
  int32_t spanWidth = 0;
  std::vector<uint32_t> (&sums)[4];  // per source column: blue, green, red, alpha

  BlockRows(const TBitmap32& from, TResampleScratch& scratch)
      : source(from),
        columns(scratch.columnBlocks),
        rows(scratch.rowBlocks),
        reciprocals(scratch.reciprocals),
        sums(scratch.sums) {
    shortHeight = rows.front().end - rows.front().start;
    for (const Block& b : rows) shortHeight = std::min(shortHeight, b.end - b.start);
    for (int extra = 0; extra < 2; ++extra) {
      reciprocals[extra].clear();
      for (const Block& b : columns) {
        const uint64_t count = static_cast<uint64_t>(b.end - b.start) * static_cast<uint64_t>(shortHeight + extra);
        reciprocals[extra].push_back(count < kExactLimit ? (uint64_t{1} << kReciprocalShift) / count + 1 : 0);
      }
    }
    spanStart = columns.front().start;
    spanWidth = columns.back().end - spanStart;
    for (auto& channel : sums) channel.resize(static_cast<size_t>(spanWidth));
  }

  void Row(int32_t r, TColor32* out) {
    const Block rowBlock = rows[r];
    uint32_t* blueSums = sums[0].data();
    uint32_t* greenSums = sums[1].data();
    uint32_t* redSums = sums[2].data();
    uint32_t* alphaSums = sums[3].data();
    for (auto& channel : sums) std::fill(channel.begin(), channel.end(), 0u);
    for (int32_t y = rowBlock.start; y < rowBlock.end; ++y) {
      const TColor32* src = source.ScanLine(y) + spanStart;
      for (int32_t x = 0; x < spanWidth; ++x) {
        const TColor32 p = src[x];
        blueSums[x] += p & 0xFF;
        greenSums[x] += p >> 8 & 0xFF;
        redSums[x] += p >> 16 & 0xFF;
        alphaSums[x] += p >> 24;
      }
    }

    const int32_t height = rowBlock.end - rowBlock.start;
    const int32_t taller = height - shortHeight;
    const uint64_t* reciprocal = taller <= 1 ? reciprocals[taller].data() : nullptr;
    const auto n = static_cast<int32_t>(columns.size());
    for (int32_t c = 0; c < n; ++c) {
      const int32_t from = columns[c].start - spanStart, to = columns[c].end - spanStart;
      uint64_t blue = 0, green = 0, red = 0, alpha = 0;
      for (int32_t x = from; x < to; ++x) {
        blue += blueSums[x];
        green += greenSums[x];
        red += redSums[x];
        alpha += alphaSums[x];
      }
      const uint64_t count = static_cast<uint64_t>(height) * static_cast<uint64_t>(to - from);
      const uint64_t half = count / 2, m = reciprocal != nullptr ? reciprocal[c] : 0;
      const auto mean = [&](uint64_t sum) {
        return static_cast<TColor32>(m != 0 ? ((sum + half) * m) >> kReciprocalShift : (sum + half) / count);
      };
      out[c] = mean(alpha) << 24 | mean(red) << 16 | mean(green) << 8 | mean(blue);
    }
  }
};

// Each channel: (p00 w v + p10 (256 - w) v + p01 w (256 - v) + p11 (256 - w)(256 - v) + 32768)
// >> 16, the exact weighted sum rounded to nearest once. It is computed in two passes: a
// source row is mixed horizontally, exactly, into 16-bit lanes (blue/red and green/alpha, each
// at most 255 * 256), and kept while the next destination rows need it; the vertical mix then
// runs over plain arrays.
struct BilinearRows {
  const TBitmap32& source;
  const std::vector<Tap>& columns;
  const std::vector<Tap>& rows;
  MixedRow& top;
  MixedRow& bottom;

  BilinearRows(const TBitmap32& from, TResampleScratch& scratch)
      : source(from), columns(scratch.columnTaps), rows(scratch.rowTaps), top(scratch.top), bottom(scratch.bottom) {
    for (MixedRow* row : {&top, &bottom}) {
      row->source = -1;  // mixed for another draw
      row->blueRed.resize(columns.size());
      row->greenAlpha.resize(columns.size());
    }
  }

  void Mix(int32_t y, MixedRow& row) const {
    const TColor32* src = source.ScanLine(y);
    const auto n = static_cast<int32_t>(columns.size());
    for (int32_t c = 0; c < n; ++c) {
      const Tap tap = columns[c];
      const uint32_t w = tap.weight, rest = kWeightOne - tap.weight;
      const TColor32 p0 = src[tap.index], p1 = src[tap.index + 1];
      row.blueRed[c] = (p0 & 0xFF00FF) * w + (p1 & 0xFF00FF) * rest;
      row.greenAlpha[c] = (p0 >> 8 & 0xFF00FF) * w + (p1 >> 8 & 0xFF00FF) * rest;
    }
    row.source = y;
  }

  // Row taps never move up, so the pair of mixed rows slides down.
  void Row(int32_t r, TColor32* out) {
    const Tap tap = rows[r];
    if (top.source != tap.index) {
      if (bottom.source == tap.index) {
        std::swap(top, bottom);
      } else {
        Mix(tap.index, top);
      }
    }
    if (bottom.source != tap.index + 1) Mix(tap.index + 1, bottom);

    const uint32_t v = tap.weight, rest = kWeightOne - tap.weight;
    const uint32_t* topBR = top.blueRed.data();
    const uint32_t* topGA = top.greenAlpha.data();
    const uint32_t* bottomBR = bottom.blueRed.data();
    const uint32_t* bottomGA = bottom.greenAlpha.data();
    const auto n = static_cast<int32_t>(columns.size());
    for (int32_t c = 0; c < n; ++c) {
      const uint32_t blue = ((topBR[c] & 0xFFFF) * v + (bottomBR[c] & 0xFFFF) * rest + kProductHalf) >> 16;
      const uint32_t red = ((topBR[c] >> 16) * v + (bottomBR[c] >> 16) * rest + kProductHalf) >> 16;
      const uint32_t green = ((topGA[c] & 0xFFFF) * v + (bottomGA[c] & 0xFFFF) * rest + kProductHalf) >> 16;
      const uint32_t alpha = ((topGA[c] >> 16) * v + (bottomGA[c] >> 16) * rest + kProductHalf) >> 16;
      out[c] = alpha << 24 | red << 16 | green << 8 | blue;
    }
  }
};

struct TentRows {
  const TBitmap32& source;
  const TentTable& columns;
  const TentTable& rows;

  // Each channel: the sum of pixel * (column weight * row weight) over all taps, weights in
  // 1/65536 summing to exactly one, rounded to nearest once.
  void Row(int32_t r, TColor32* out) {
    const int32_t rowFrom = rows.offsets[r], rowTo = rows.offsets[r + 1];
    const auto n = static_cast<int32_t>(columns.offsets.size()) - 1;
    for (int32_t c = 0; c < n; ++c) {
      uint32_t blue = kProductHalf, green = kProductHalf, red = kProductHalf, alpha = kProductHalf;
      for (int32_t ty = rowFrom; ty < rowTo; ++ty) {
        const TColor32* src = source.ScanLine(rows.indices[ty]);
        for (int32_t tx = columns.offsets[c]; tx < columns.offsets[c + 1]; ++tx) {
          const uint32_t weight = rows.weights[ty] * columns.weights[tx];
          const TColor32 p = src[columns.indices[tx]];
          blue += (p & 0xFF) * weight;
          green += (p >> 8 & 0xFF) * weight;
          red += (p >> 16 & 0xFF) * weight;
          alpha += (p >> 24) * weight;
        }
      }
      out[c] = (alpha >> 16) << 24 | (red >> 16) << 16 | (green >> 16) << 8 | blue >> 16;
    }
  }
};

// The row loop of every stretched transfer. An opaque transfer writes the resampled row
// straight into the destination; the other modes resample into a line buffer and combine.
template <class Rows>
void ResampleRows(TBitmap32& dest, const TRect& area, Rows producer, Combine how, const TBitmap32& source,
                  std::vector<TColor32>& line) {
  const int32_t n = area.Width();
  if (how != Combine::Opaque) line.resize(static_cast<size_t>(n));
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    TColor32* dst = dest.ScanLine(y) + area.Left;
    if (how == Combine::Opaque) {
      producer.Row(y - area.Top, dst);
    } else {
      producer.Row(y - area.Top, line.data());
      CombineRow(dst, line.data(), n, how, source);
    }
  }
}

void Stretch(TBitmap32& dest, const TRect& area, const TRect& destRect, const TRect& sourceRect,
             const TBitmap32& source, Combine how) {
  const int64_t dstW = static_cast<int64_t>(destRect.Right) - destRect.Left;
  const int64_t dstH = static_cast<int64_t>(destRect.Bottom) - destRect.Top;
  const Axis x{sourceRect.Left, sourceRect.Right, dstW, static_cast<int64_t>(area.Left) - destRect.Left, area.Width()};
  const Axis y{sourceRect.Top, sourceRect.Bottom, dstH, static_cast<int64_t>(area.Top) - destRect.Top, area.Height()};

  TResampleScratch& scratch = ResampleScratchOf(source);
  if (source.StretchFilter == TStretchFilter::sfNearest) {
    NearestTable(x, scratch.columns);
    NearestTable(y, scratch.rows);
    ResampleRows(dest, area, NearestRows{source, scratch.columns, scratch.rows}, how, source, scratch.line);
  } else if (dstW <= x.Length() && dstH <= y.Length()) {
    BlockTable(x, scratch.columnBlocks);
    BlockTable(y, scratch.rowBlocks);
    ResampleRows(dest, area, BlockRows(source, scratch), how, source, scratch.line);
  } else if (x.Length() >= 2 && y.Length() >= 2) {
    BilinearTable(x, source.Width(), scratch.columnTaps);
    BilinearTable(y, source.Height(), scratch.rowTaps);
    ResampleRows(dest, area, BilinearRows(source, scratch), how, source, scratch.line);
  } else {
    MakeTentTable(x, scratch.columnTent, scratch.tentTaps);
    MakeTentTable(y, scratch.rowTent, scratch.tentTaps);
    ResampleRows(dest, area, TentRows{source, scratch.columnTent, scratch.rowTent}, how, source, scratch.line);
  }
}

// In 64 bits: a destination rectangle may span more than 2^31 pixels.
bool SameSize(const TRect& a, const TRect& b) {
  return static_cast<int64_t>(a.Right) - a.Left == static_cast<int64_t>(b.Right) - b.Left &&
         static_cast<int64_t>(a.Bottom) - a.Top == static_cast<int64_t>(b.Bottom) - b.Top;
}

bool Contains(const TBitmap32& surface, const TRect& r) {
  return r.Left >= 0 && r.Top >= 0 && r.Right <= surface.Width() && r.Bottom <= surface.Height() && r.Left <= r.Right &&
         r.Top <= r.Bottom;
}

}  // namespace

std::vector<int32_t> NearestIndices(int32_t sourceLow, int32_t sourceHigh, int32_t destLength) {
  std::vector<int32_t> table;
  NearestTable(Axis{sourceLow, sourceHigh, destLength, 0, std::max(destLength, 0)}, table);
  return table;
}

void TBitmap32::Draw(int32_t x, int32_t y, const TBitmap32& source) {
  if (Empty() || source.Empty()) return;
  const Combine how = CombineOf(source);
  if (how == Combine::None) return;
  const TRect area =
      ClipToSurface(*this, x, y, static_cast<int64_t>(x) + source.Width(), static_cast<int64_t>(y) + source.Height());
  if (area.IsEmpty()) return;
  CombineRows(*this, area, source, area.Left - x, area.Top - y, how);
}

void TBitmap32::Draw(const TRect& destRect, const TRect& sourceRect, const TBitmap32& source) {
  if (Empty() || source.Empty()) return;
  const Combine how = CombineOf(source);
  if (how == Combine::None) return;
  const TRect area = ClipToSurface(*this, destRect.Left, destRect.Top, destRect.Right, destRect.Bottom);
  if (area.IsEmpty()) return;
  if (!Contains(source, sourceRect)) throw Exception("Invalid SrcRect");
  if (sourceRect.IsEmpty()) return;

  if (SameSize(destRect, sourceRect)) {
    CombineRows(*this, area, source, sourceRect.Left + (area.Left - destRect.Left),
                sourceRect.Top + (area.Top - destRect.Top), how);
  } else {
    Stretch(*this, area, destRect, sourceRect, source, how);
  }
}

// A device context copies what it has: destination pixels whose source would lie outside the
// context's surface keep their value, as a blit from a memory context leaves them.
void TBitmap32::DrawFromDC(const TRect& destRect, const TRect& sourceRect, const TBitmap32& deviceContext) {
  if (Empty() || deviceContext.Empty() || sourceRect.IsEmpty()) return;
  TRect area = ClipToSurface(*this, destRect.Left, destRect.Top, destRect.Right, destRect.Bottom);
  if (area.IsEmpty()) return;

  if (SameSize(destRect, sourceRect)) {
    const int64_t dx = static_cast<int64_t>(sourceRect.Left) - destRect.Left;
    const int64_t dy = static_cast<int64_t>(sourceRect.Top) - destRect.Top;
    area = ClipToSurface(*this, std::max<int64_t>(area.Left, -dx), std::max<int64_t>(area.Top, -dy),
                         std::min<int64_t>(area.Right, deviceContext.Width() - dx),
                         std::min<int64_t>(area.Bottom, deviceContext.Height() - dy));
    if (area.IsEmpty()) return;
    CombineRows(*this, area, deviceContext, static_cast<int32_t>(area.Left + dx), static_cast<int32_t>(area.Top + dy),
                Combine::Opaque);
    return;
  }

  const Axis x{sourceRect.Left, sourceRect.Right, static_cast<int64_t>(destRect.Right) - destRect.Left,
               static_cast<int64_t>(area.Left) - destRect.Left, area.Width()};
  const Axis y{sourceRect.Top, sourceRect.Bottom, static_cast<int64_t>(destRect.Bottom) - destRect.Top,
               static_cast<int64_t>(area.Top) - destRect.Top, area.Height()};
  TResampleScratch& scratch = ResampleScratchOf(deviceContext);
  std::vector<int32_t>& columns = scratch.columns;
  std::vector<int32_t>& rows = scratch.rows;
  NearestTable(x, columns);
  NearestTable(y, rows);
  // The tables are monotonic, so the indices inside the context form one run on each axis.
  const auto inside = [](std::vector<int32_t>& table, int32_t length) {
    const auto from = std::lower_bound(table.begin(), table.end(), 0);
    const auto to = std::lower_bound(from, table.end(), length);
    const auto skipped = static_cast<int32_t>(from - table.begin());
    table.erase(to, table.end());
    table.erase(table.begin(), from);
    return skipped;
  };
  area.Left += inside(columns, deviceContext.Width());
  area.Top += inside(rows, deviceContext.Height());
  area.Right = area.Left + static_cast<int32_t>(columns.size());
  area.Bottom = area.Top + static_cast<int32_t>(rows.size());
  if (area.IsEmpty()) return;
  ResampleRows(*this, area, NearestRows{deviceContext, columns, rows}, Combine::Opaque, deviceContext, scratch.line);
}

void TBitmap32::DrawToDC(TBitmap32& deviceContext, int32_t x, int32_t y) const {
  if (Empty() || deviceContext.Empty()) return;
  const TRect area =
      ClipToSurface(deviceContext, x, y, static_cast<int64_t>(x) + width_, static_cast<int64_t>(y) + height_);
  if (area.IsEmpty()) return;
  CombineRows(deviceContext, area, *this, area.Left - x, area.Top - y, Combine::Opaque);
}

}  // namespace lumora

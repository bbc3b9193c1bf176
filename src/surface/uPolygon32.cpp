// Polygon filling by point sampling with the even-odd rule.
//
// Outlines are held in 1/8-pixel units ((v + 2047) >> 13 from 16.16). With anti-aliasing every
// pixel has 8 x 8 sub-samples at the centres of its 1/8-pixel cells, i.e. at offsets
// (2i + 1) / 16 for i = 0..7 in both directions; the count c of covered sub-samples becomes the
// weight round(c * 255 / 64) = (c * 255 + 32) >> 6, so 64 gives 255 and 0 draws nothing.
// Without anti-aliasing the same outline is sampled once per pixel, at the pixel's centre.
//
// A sample at x on a sample row is covered when an odd number of edges cross the row at or left
// of x. Each crossing is turned exactly, in integers, into the first sample index at or right of
// it, so a sample lying on an edge belongs to the span that starts there and a polygon sharing
// that edge cannot cover it twice.
#include "surface/uPolygon32.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/uRounding.h"

namespace lumora {
namespace {

constexpr int kSubShift = 3;  // 8 sub-samples per pixel in each direction
constexpr int kSub = 1 << kSubShift;
constexpr int32_t kFixedToSub = 16 - kSubShift;
// Added before the shift: a point moves to the next sub-sample line only from a quarter of a
// cell on, so points meant to lie on a line but carrying a little rounding stay on it.
constexpr int32_t kFixedToSubBias = 2047;

using Edge = TPolygonEdge;

// 16.16 to 1/8 pixel; an arithmetic shift, so negative coordinates round the same way.
int64_t ToSub(int32_t fixed) { return (static_cast<int64_t>(fixed) + kFixedToSubBias) >> kFixedToSub; }

void BuildEdges(const std::vector<std::vector<TFixedPoint>>& contours, std::vector<Edge>& edges) {
  edges.clear();
  for (const auto& contour : contours) {
    if (contour.size() < 3) continue;
    for (size_t i = 0; i < contour.size(); ++i) {
      const TFixedPoint& p = contour[i];
      const TFixedPoint& q = contour[(i + 1) % contour.size()];
      int64_t ax = ToSub(p.X), ay = ToSub(p.Y);
      int64_t bx = ToSub(q.X), by = ToSub(q.Y);
      if (ay == by) continue;
      if (ay > by) {
        std::swap(ax, bx);
        std::swap(ay, by);
      }
      edges.push_back({ax, ay, bx - ax, by - ay, by});
    }
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.y1 < r.y1; });
}

// Walks the sample rows top to bottom, keeping the edges that cross the current one. Samples
// sit at (k * step + step / 2) in 1/8-pixel units on both axes, k being the sample index.
class SampleRows {
 public:
  // `active` and `crossings` are scratch that the caller keeps.
  SampleRows(const std::vector<Edge>& edges, int64_t step, std::vector<const Edge*>& active,
             std::vector<int64_t>& crossings)
      : edges_(edges), step_(step), active_(active), crossings_(crossings) {
    active_.clear();
  }

  // The sorted sample indices at which coverage toggles on sample row `row`; rows must come in
  // increasing order.
  const std::vector<int64_t>& Crossings(int64_t row) {
    // Doubled sample position: rows and columns lie at half steps.
    const int64_t y2 = (2 * row + 1) * step_;
    while (next_ < edges_.size() && 2 * edges_[next_].y1 <= y2) active_.push_back(&edges_[next_++]);
    std::erase_if(active_, [y2](const Edge* e) { return y2 >= 2 * e->y2; });
    crossings_.clear();
    for (const Edge* e : active_) {
      // First k with (2k + 1) step / 2 >= x1 + (y2 / 2 - y1) dx / dy.
      const int64_t numerator = (2 * e->x1 - step_) * e->dy + (y2 - 2 * e->y1) * e->dx;
      crossings_.push_back(CeilDiv(numerator, 2 * step_ * e->dy));
    }
    std::sort(crossings_.begin(), crossings_.end());
    return crossings_;
  }

 private:
  const std::vector<Edge>& edges_;
  int64_t step_;
  size_t next_ = 0;
  std::vector<const Edge*>& active_;
  std::vector<int64_t>& crossings_;
};

// What a fill works with: the edges and the scratch it keeps between fills.
struct FillScratch {
  const std::vector<Edge>& edges;
  std::vector<const Edge*>& active;
  std::vector<int64_t>& crossings;
  std::vector<uint8_t>& coverage;
};

// The anti-aliased fill row by row: `emit(x, y, weight)` for every pixel of rows [top, bottom)
// inside `clip` that the polygon covers, from the left in each row.
template <class Emit>
void CoverAntialiased(const TRect& clip, const FillScratch& scratch, int64_t top, int64_t bottom, Emit&& emit) {
  const int64_t subLeft = static_cast<int64_t>(clip.Left) << kSubShift;
  const int64_t subRight = static_cast<int64_t>(clip.Right) << kSubShift;
  std::vector<uint8_t>& coverage = scratch.coverage;  // 0..64 per pixel, all 0 between fills
  coverage.resize(static_cast<size_t>(clip.Width()), 0);
  SampleRows rows(scratch.edges, 1, scratch.active, scratch.crossings);

  for (int64_t y = top; y < bottom; ++y) {
    int64_t touchedFrom = clip.Right, touchedTo = clip.Left;
    for (int64_t sub = 0; sub < kSub; ++sub) {
      const std::vector<int64_t>& crossings = rows.Crossings(y * kSub + sub);
      for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
        const int64_t from = std::max(crossings[i], subLeft), to = std::min(crossings[i + 1], subRight);
        if (from >= to) continue;
        const int64_t first = from >> kSubShift, last = (to - 1) >> kSubShift;
        uint8_t* cell = coverage.data() + (first - clip.Left);
        if (first == last) {
          cell[0] += static_cast<uint8_t>(to - from);
        } else {
          cell[0] += static_cast<uint8_t>(kSub - (from & (kSub - 1)));
          for (int64_t x = 1; x < last - first; ++x) cell[x] += kSub;
          cell[last - first] += static_cast<uint8_t>(((to - 1) & (kSub - 1)) + 1);
        }
        touchedFrom = std::min(touchedFrom, first);
        touchedTo = std::max(touchedTo, last + 1);
      }
    }
    for (int64_t x = touchedFrom; x < touchedTo; ++x) {
      uint8_t& count = coverage[static_cast<size_t>(x - clip.Left)];
      if (count == 0) continue;
      emit(static_cast<int32_t>(x), static_cast<int32_t>(y), (count * 255u + 32u) >> 6);
      count = 0;
    }
  }
}

void FillWhole(TBitmap32& surface, const FillScratch& scratch, int64_t top, int64_t bottom, TColor32 color) {
  const TRect& clip = surface.ClipRect();
  SampleRows rows(scratch.edges, kSub, scratch.active, scratch.crossings);
  for (int64_t y = top; y < bottom; ++y) {
    const std::vector<int64_t>& crossings = rows.Crossings(y);
    TColor32* row = surface.ScanLine(static_cast<int32_t>(y));
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const int64_t from = std::max<int64_t>(crossings[i], clip.Left);
      const int64_t to = std::min<int64_t>(crossings[i + 1], clip.Right);
      for (int64_t x = from; x < to; ++x) row[x] = BlendColor(color, row[x]);
    }
  }
}

}  // namespace

// Pixel rows whose samples can meet the outline, within the clip rectangle; false when none.
bool TPolygon32::Prepare(const TRect& clip, int64_t& top, int64_t& bottom) const {
  if (clip.IsEmpty()) return false;
  BuildEdges(contours_, edges_);
  if (edges_.empty()) return false;
  int64_t subTop = edges_.front().y1, subBottom = edges_.front().y2;
  for (const Edge& e : edges_) subBottom = std::max(subBottom, e.y2);
  top = std::max<int64_t>(FloorDiv<int64_t>(subTop, kSub), clip.Top);
  bottom = std::min<int64_t>(CeilDiv<int64_t>(subBottom, kSub), clip.Bottom);
  return top < bottom;
}

void TPolygon32::Draw(TBitmap32& surface, TColor32 color) const {
  const TRect& clip = surface.ClipRect();
  int64_t top = 0, bottom = 0;
  if (surface.Empty() || AlphaOf(color) == 0 || !Prepare(clip, top, bottom)) return;
  const FillScratch scratch{edges_, active_, crossings_, coverage_};
  if (Antialiased) {
    CoverAntialiased(clip, scratch, top, bottom, [&surface, color](int32_t x, int32_t y, uint32_t weight) {
      TColor32& pixel = surface.ScanLine(y)[x];
      pixel = BlendColorWeighted(color, pixel, weight);
    });
  } else {
    FillWhole(surface, scratch, top, bottom, color);
  }
}

void TPolygon32::Cover(const TRect& clip, TPolygonMask& mask) const {
  mask.Cells.clear();
  mask.Bounds = TRect{};
  int64_t top = 0, bottom = 0;
  if (!Prepare(clip, top, bottom)) return;
  const FillScratch scratch{edges_, active_, crossings_, coverage_};
  TRect bounds = Rect(clip.Right, clip.Bottom, clip.Left, clip.Top);
  CoverAntialiased(clip, scratch, top, bottom, [&mask, &bounds](int32_t x, int32_t y, uint32_t weight) {
    mask.Cells.push_back({x, y, static_cast<uint8_t>(weight)});
    bounds = Rect(std::min(bounds.Left, x), std::min(bounds.Top, y), std::max(bounds.Right, x + 1),
                  std::max(bounds.Bottom, y + 1));
  });
  if (!mask.Cells.empty()) mask.Bounds = bounds;
}

void TPolygonMask::Draw(TBitmap32& surface, TColor32 color, int32_t dx, int32_t dy) const {
  if (AlphaOf(color) == 0) return;
  const TRect& clip = surface.ClipRect();
  for (const TPolygonCell& cell : Cells) {
    const int32_t x = cell.X + dx, y = cell.Y + dy;
    if (x < clip.Left || x >= clip.Right || y < clip.Top || y >= clip.Bottom) continue;
    TColor32& pixel = surface.ScanLine(y)[x];
    pixel = BlendColorWeighted(color, pixel, cell.Weight);
  }
}

}  // namespace lumora

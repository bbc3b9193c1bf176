// What changed from one frame to the next (see uFrameChanges.h).
#include "render/uFrameChanges.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace lumora {
namespace {

constexpr int32_t kNoColumn = std::numeric_limits<int32_t>::max();

// Copies `rect` of `water` onto `output`; both have the same size and `rect` lies inside.
void CopyArea(TBitmap32& output, const TBitmap32& water, const TRect& rect) {
  const auto bytes = static_cast<size_t>(rect.Width()) * sizeof(TColor32);
  for (int32_t y = rect.Top; y < rect.Bottom; ++y)
    std::memcpy(output.ScanLine(y) + rect.Left, water.ScanLine(y) + rect.Left, bytes);
}

}  // namespace

void TFrameChanges::Reset(int32_t width, int32_t height, size_t overlays) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  left_.assign(static_cast<size_t>(height_), kNoColumn);
  right_.assign(static_cast<size_t>(height_), 0);
  top_ = bottom_ = 0;
  overlays_.clear();
  overlays_.reserve(overlays);
  previousOverlays_.clear();
  previousOverlays_.reserve(overlays);
  changes_.clear();
  changes_.reserve(2 * overlays + static_cast<size_t>(height_) + 1);
  whole_ = pending_ = true;
}

void TFrameChanges::BeginFrame() {
  for (int32_t y = top_; y < bottom_; ++y) {
    left_[static_cast<size_t>(y)] = kNoColumn;
    right_[static_cast<size_t>(y)] = 0;
  }
  top_ = height_;
  bottom_ = 0;
  previousOverlays_.swap(overlays_);
  overlays_.clear();
  whole_ = pending_;
  pending_ = false;
}

void TFrameChanges::MarkWater(int32_t top, int32_t bottom, int32_t left, int32_t right) {
  top = std::max(top, 0);
  bottom = std::min(bottom, height_);
  left = std::max(left, 0);
  right = std::min(right, width_);
  if (top >= bottom || left >= right) return;
  top_ = std::min(top_, top);
  bottom_ = std::max(bottom_, bottom);
  for (int32_t y = top; y < bottom; ++y) {
    int32_t& rowLeft = left_[static_cast<size_t>(y)];
    int32_t& rowRight = right_[static_cast<size_t>(y)];
    rowLeft = std::min(rowLeft, left);
    rowRight = std::max(rowRight, right);
  }
}

void TFrameChanges::AddOverlay(const TRect& rect) {
  const TRect clipped = Intersection(rect, Rect(0, 0, width_, height_));
  if (clipped.IsEmpty()) return;
  // Beyond the room made in Reset, rather than allocate, this frame counts as changed everywhere
  // and the next one restores everything.
  if (overlays_.size() == overlays_.capacity()) {
    whole_ = pending_ = true;
    return;
  }
  overlays_.push_back(clipped);
}

bool TFrameChanges::Fits(const TBitmap32& output, const TBitmap32& water) const {
  return output.Width() == width_ && output.Height() == height_ && water.Width() == width_ && water.Height() == height_;
}

void TFrameChanges::RestoreWater(TBitmap32& output, const TBitmap32& water, int32_t top, int32_t bottom) const {
  if (!Fits(output, water)) return;
  top = std::max(top, whole_ ? 0 : top_);
  bottom = std::min(bottom, whole_ ? height_ : bottom_);
  for (int32_t y = top; y < bottom; ++y) {
    const int32_t left = whole_ ? 0 : left_[static_cast<size_t>(y)];
    const int32_t right = whole_ ? width_ : right_[static_cast<size_t>(y)];
    if (left < right) CopyArea(output, water, Rect(left, y, right, y + 1));
  }
}

void TFrameChanges::RestoreOverlays(TBitmap32& output, const TBitmap32& water) const {
  if (whole_ || !Fits(output, water)) return;
  // Where a row's water changed it has been restored already: only the rest of the row is copied.
  for (const TRect& rect : previousOverlays_) {
    for (int32_t y = rect.Top; y < rect.Bottom; ++y) {
      const int32_t restoredLeft = std::max(left_[static_cast<size_t>(y)], rect.Left);
      const int32_t restoredRight = std::min(right_[static_cast<size_t>(y)], rect.Right);
      if (restoredLeft >= restoredRight) {
        CopyArea(output, water, Rect(rect.Left, y, rect.Right, y + 1));
        continue;
      }
      if (rect.Left < restoredLeft) CopyArea(output, water, Rect(rect.Left, y, restoredLeft, y + 1));
      if (restoredRight < rect.Right) CopyArea(output, water, Rect(restoredRight, y, rect.Right, y + 1));
    }
  }
}

// Rows whose changed columns are the same make one rectangle.
void TFrameChanges::ListWater() {
  for (int32_t y = top_; y < bottom_;) {
    const int32_t left = left_[static_cast<size_t>(y)], right = right_[static_cast<size_t>(y)];
    int32_t end = y + 1;
    while (end < bottom_ && left_[static_cast<size_t>(end)] == left && right_[static_cast<size_t>(end)] == right) ++end;
    if (left < right) changes_.push_back(Rect(left, y, right, end));
    y = end;
  }
}

void TFrameChanges::EndFrame(bool withOverlays) {
  changes_.clear();
  if (whole_) {
    if (width_ > 0 && height_ > 0) changes_.push_back(Rect(0, 0, width_, height_));
    return;
  }
  if (!withOverlays) {
    ListWater();
    return;
  }
  // An overlay drawn in much the same place as before (a flake that fell a little, an object
  // standing still, the clock) is listed once, as the area covering both. Overlays are drawn
  // in the same order every frame, so the one before is looked for at the same position.
  const auto joined = [](const TRect& a, const TRect& b) {
    const TRect both = Bounds(a, b);
    const auto area = [](const TRect& r) { return int64_t{r.Width()} * r.Height(); };
    return area(both) <= area(a) + area(b) ? std::optional<TRect>(both) : std::nullopt;
  };
  const size_t paired = std::min(previousOverlays_.size(), overlays_.size());
  for (size_t i = 0; i < paired; ++i) {
    const std::optional<TRect> both = joined(previousOverlays_[i], overlays_[i]);
    if (both) {
      changes_.push_back(*both);
    } else {
      changes_.push_back(previousOverlays_[i]);
      changes_.push_back(overlays_[i]);
    }
  }
  changes_.insert(changes_.end(), previousOverlays_.begin() + static_cast<std::ptrdiff_t>(paired),
                  previousOverlays_.end());
  changes_.insert(changes_.end(), overlays_.begin() + static_cast<std::ptrdiff_t>(paired), overlays_.end());
  ListWater();
}

void JoinAreas(std::span<const TRect> areas, int32_t bandRows, int32_t gap, std::vector<TRect>& joined) {
  joined.clear();
  // Every area cut into the bands it meets, ordered by band, then from the left.
  for (const TRect& area : areas) {
    if (area.IsEmpty()) continue;
    for (int32_t band = area.Top / bandRows; band * bandRows < area.Bottom; ++band) {
      joined.push_back(Rect(area.Left, std::max(area.Top, band * bandRows), area.Right,
                            std::min(area.Bottom, (band + 1) * bandRows)));
    }
  }
  std::sort(joined.begin(), joined.end(), [bandRows](const TRect& a, const TRect& b) {
    return a.Top / bandRows != b.Top / bandRows ? a.Top / bandRows < b.Top / bandRows : a.Left < b.Left;
  });
  // Then merged in place, band by band.
  size_t kept = 0;
  for (size_t i = 0; i < joined.size(); ++i) {
    const TRect& next = joined[i];
    TRect& last = joined[kept > 0 ? kept - 1 : 0];
    if (kept > 0 && last.Top / bandRows == next.Top / bandRows && next.Left <= last.Right + gap) {
      last = Bounds(last, next);
    } else {
      joined[kept++] = next;
    }
  }
  joined.resize(kept);
}

}  // namespace lumora

// What changed from one frame to the next, so that a frame costs what changes.
//
// The water surface changes only where the water is re-sampled, and the composition surface
// holds the water surface plus the objects, flakes, drops and clock drawn over it. Instead of
// copying the whole water surface onto the composition surface every frame, the engine restores
// only the places that differ: where the previous frame's overlays lay, and the parts of rows
// whose water changed. Everything else on the composition surface already equals the water
// surface. The same places, together with where this frame's overlays lie, are what a window
// has to show anew.
//
// Water changes are kept per row as one span of columns; overlays as rectangles. All of it is
// sized in Reset, so a frame allocates nothing.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "surface/uBitmap32.h"

namespace lumora {

class TFrameChanges {
 public:
  // For frames of this size, with room for `overlays` overlay rectangles a frame. The next
  // frame counts as changed everywhere.
  void Reset(int32_t width, int32_t height, size_t overlays);
  // The next frame counts as changed everywhere: the water surface was replaced, or the frame
  // surface switched between the water and the composition.
  void ChangeAll() { pending_ = true; }

  // Starts a frame: this frame's overlays become the previous frame's, nothing is marked yet.
  void BeginFrame();
  // Columns [left, right) of rows [top, bottom) of the water changed.
  void MarkWater(int32_t top, int32_t bottom, int32_t left, int32_t right);
  // An overlay of this frame covers `rect` (clipped to the frame).
  void AddOverlay(const TRect& rect);

  // Makes `output` equal `water` again wherever this frame's water changed and wherever the
  // previous frame's overlays lay (everywhere when the frame counts as changed everywhere), in
  // two calls: RestoreWater for rows [top, bottom) once their water is final, which it can be
  // while later rows are still mapped and the rows just written are still in the cache; then
  // RestoreOverlays once for the whole frame.
  void RestoreWater(TBitmap32& output, const TBitmap32& water, int32_t top, int32_t bottom) const;
  void RestoreOverlays(TBitmap32& output, const TBitmap32& water) const;
  // Ends the frame: lists the areas that differ from the previous frame, `withOverlays` saying
  // whether the frame shows the overlays (the composition surface) or the water alone.
  void EndFrame(bool withOverlays);

  // The areas of the frame that may differ from the previous frame, as rectangles that may
  // overlap; one rectangle for the whole frame when everything changed.
  const std::vector<TRect>& Changes() const { return changes_; }

 private:
  void ListWater();
  bool Fits(const TBitmap32& output, const TBitmap32& water) const;

  int32_t width_ = 0;
  int32_t height_ = 0;
  bool whole_ = true;    // the frame being made counts as changed everywhere
  bool pending_ = true;  // so will the next frame
  int32_t top_ = 0;      // rows [top_, bottom_) hold this frame's water spans
  int32_t bottom_ = 0;
  std::vector<int32_t> left_;  // per row: the changed water columns [left_, right_)
  std::vector<int32_t> right_;
  std::vector<TRect> overlays_;
  std::vector<TRect> previousOverlays_;
  std::vector<TRect> changes_;
};

// Fewer, larger areas that cover `areas`, for a window whose every copy has a fixed cost: areas
// meeting one band of `bandRows` rows are joined where less than `gap` columns lie between
// them. The result goes to `joined` (whose storage is kept from call to call).
void JoinAreas(std::span<const TRect> areas, int32_t bandRows, int32_t gap, std::vector<TRect>& joined);

}  // namespace lumora

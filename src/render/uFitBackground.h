// Fitting the scene to the screen: the background resized smoothly, the region mask by nearest
// pixel (its region colours must never mix), and the waves' pixel-sized settings rescaled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumora {

class TBitmap;
class TProject;

// A 24-bit picture with rows stored bottom-up (the first row in memory is the picture's bottom
// row), each padded to a multiple of 4 bytes, as a device-independent bitmap lays them out.
class TFastBMP {
 public:
  TFastBMP() = default;
  TFastBMP(TFastBMP&&) noexcept = default;  // the row table keeps pointing into the moved buffer
  TFastBMP& operator=(TFastBMP&&) noexcept = default;
  TFastBMP(const TFastBMP&) = delete;
  TFastBMP& operator=(const TFastBMP&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Stride() const { return stride_; }  // ((Width * 24 + 31) >> 5) << 2
  int32_t Gap() const { return width_ % 4; }  // padding bytes at the end of each row
  // Row i as stored: row 0 is the picture's bottom row.
  uint8_t* Row(int32_t i) { return rows_[static_cast<size_t>(i)]; }
  const uint8_t* Row(int32_t i) const { return rows_[static_cast<size_t>(i)]; }

  // Reallocates when the size differs (content undefined afterwards).
  void SetSize(int32_t width, int32_t height);
  // Takes the picture's size and pixels; a 32-bit source loses its alpha bytes.
  void LoadFromBitmap(const TBitmap& bitmap);
  // Writes the pixels into `bitmap` (sized to match, 32-bit kept) with alpha 255.
  void CopyTo(TBitmap& bitmap) const;

  // Bilinear in 15-bit fixed point into `dest`, already sized.
  void SmoothResize(TFastBMP& dest) const;
  // Pixel replication (enlarging) or 16.16 stepping (reducing) into `dest`, already sized.
  void Resize(TFastBMP& dest) const;

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t stride_ = 0;
  std::vector<uint8_t> buffer_;
  std::vector<uint8_t*> rows_;
};

// Fits the project's background and region mask to `width` x `height` (with `proportional`,
// the largest size of the picture's aspect ratio inside it) and scales every wave record's
// Amplitude by the width factor and Jitter by the height factor. The background's alpha bytes
// are 255 afterwards. The target must be at least 1 x 1.
void FitBackground(bool proportional, TProject& project, int32_t width, int32_t height);

}  // namespace lumora

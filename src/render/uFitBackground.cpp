// Fitting the scene to the screen (see uFitBackground.h).
#include "render/uFitBackground.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "project/uVXProject.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"  // the nearest mapping

namespace lumora {

void TFastBMP::SetSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) width = height = 0;
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  stride_ = ((width * 24 + 31) >> 5) << 2;
  buffer_.assign(static_cast<size_t>(stride_) * static_cast<size_t>(height), 0);
  rows_.resize(static_cast<size_t>(height));
  for (int32_t i = 0; i < height; ++i)
    rows_[static_cast<size_t>(i)] = buffer_.data() + static_cast<size_t>(i) * stride_;
}

void TFastBMP::LoadFromBitmap(const TBitmap& bitmap) {
  SetSize(bitmap.Width(), bitmap.Height());
  const int bytes = bitmap.BytesPerPixel();
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* source = bitmap.ScanLine(y);
    uint8_t* target = Row(height_ - 1 - y);
    for (int32_t x = 0; x < width_; ++x, source += bytes, target += 3) std::memcpy(target, source, 3);
  }
}

void TFastBMP::CopyTo(TBitmap& bitmap) const {
  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  bitmap.SetSize(width_, height_);
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* source = Row(height_ - 1 - y);
    uint8_t* target = bitmap.ScanLine(y);
    for (int32_t x = 0; x < width_; ++x, source += 3, target += 4) {
      std::memcpy(target, source, 3);
      target[3] = 255;  // an opaque picture: that is what every reader of a frame expects
    }
  }
}

namespace {

// SmoothResize's sampling over pixels of kBytes bytes: 3 for the 24-bit picture, or 4 for a
// 32-bit one (its fourth byte set opaque). Source row i (from the bottom) and target row y come
// from `sourceRow` and `targetRow`, so one loop serves both layouts, pixel for pixel alike.
template <int kBytes, class TSourceRow, class TTargetRow>
void SmoothRows(int32_t w, int32_t h, int32_t W, int32_t H, TSourceRow sourceRow, TTargetRow targetRow) {
  const int32_t xstep = ((w - 1) << 15) / W;
  const int32_t ystep = ((h - 1) << 15) / H;
  std::vector<int32_t> columns(static_cast<size_t>(W));  // source byte offset of column t
  std::vector<int32_t> fractions(static_cast<size_t>(W));
  for (int32_t x = 0, px = 0; x < W; ++x, px += xstep) {
    columns[static_cast<size_t>(x)] = (px >> 15) * kBytes;
    fractions[static_cast<size_t>(x)] = px & 0x7FFF;
  }
  for (int32_t y = 0, py = 0; y < H; ++y, py += ystep) {
    const uint8_t* row0 = sourceRow(py >> 15);
    const uint8_t* row1 = h > 1 ? sourceRow((py >> 15) + 1) : row0;
    const int32_t fy = py & 0x7FFF;
    const int32_t ify = 0x8000 - fy;
    uint8_t* out = targetRow(y);
    for (int32_t x = 0; x < W; ++x, out += kBytes) {
      const int32_t fx = fractions[static_cast<size_t>(x)];
      const int32_t w2 = (fx * ify) >> 15;
      const int32_t w1 = ify - w2;
      const int32_t w4 = (fx * fy) >> 15;
      const int32_t w3 = fy - w4;
      const uint8_t* a = row0 + columns[static_cast<size_t>(x)];
      const uint8_t* b = row1 + columns[static_cast<size_t>(x)];
      for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<uint8_t>((a[c] * w1 + a[c + kBytes] * w2 + b[c] * w3 + b[c + kBytes] * w4) >> 15);
      }
      if constexpr (kBytes == 4) out[3] = 255;
    }
  }
}

// SmoothResize on a 32-bit picture as it lies, top row first, into `dest` (sized W x H): the same
// grid and weights with the rows counted from the bottom, so every pixel is the 24-bit path's to
// the bit, without that path's two conversions and its two intermediate pictures. A start-up
// spends most of its fitting time there. Needs a source at least 2 pixels wide.
void SmoothResize32(const TBitmap& source, TBitmap& dest) {
  const int32_t h = source.Height(), H = dest.Height();
  SmoothRows<4>(
      source.Width(), h, dest.Width(), H, [&source, h](int32_t i) { return source.ScanLine(h - 1 - i); },
      [&dest, H](int32_t y) { return dest.ScanLine(H - 1 - y); });
}

}  // namespace

// The sampling grid starts on the first source pixel (left column, bottom row) and steps by
// (w - 1) / W and (h - 1) / H in 15-bit fixed point, so it never needs the pixel past the last;
// the four weights of a sample always add up to $8000.
void TFastBMP::SmoothResize(TFastBMP& dest) const {
  const int32_t W = dest.width_;
  const int32_t H = dest.height_;
  if (W <= 0 || H <= 0 || width_ <= 0 || height_ <= 0) return;
  if (width_ == 1) {
    Resize(dest);
    return;
  }
  if (width_ == W && height_ == H) {
    dest.buffer_ = buffer_;
    return;
  }
  SmoothRows<3>(
      width_, height_, W, H, [this](int32_t i) { return Row(i); }, [&dest](int32_t y) { return dest.Row(y); });
}

void TFastBMP::Resize(TFastBMP& dest) const {
  const int32_t W = dest.width_;
  const int32_t H = dest.height_;
  if (W <= 0 || H <= 0 || width_ <= 0 || height_ <= 0) return;
  const float sx = static_cast<float>(static_cast<double>(W) / width_);
  const float sy = static_cast<float>(static_cast<double>(H) / height_);
  if (sx >= 1 && sy >= 1) {
    // Enlarging: every source pixel is repeated round(s + 0.5) times from column trunc(s * j).
    const auto repeatX = static_cast<int32_t>(std::nearbyint(static_cast<double>(sx) + 0.5));
    const auto repeatY = static_cast<int32_t>(std::nearbyint(static_cast<double>(sy) + 0.5));
    std::vector<uint8_t> line(static_cast<size_t>(W) * 3, 0);
    for (int32_t i = 0; i < height_; ++i) {
      const uint8_t* source = Row(i);
      for (int32_t j = 0; j < width_; ++j) {
        const auto start = static_cast<int32_t>(static_cast<double>(sx) * j);
        for (int32_t k = start; k < std::min(W, start + repeatX); ++k)
          std::memcpy(&line[static_cast<size_t>(k) * 3], source + j * 3, 3);
      }
      const auto first = static_cast<int32_t>(static_cast<double>(sy) * i);
      for (int32_t r = first; r < std::min(H, first + repeatY); ++r) std::memcpy(dest.Row(r), line.data(), line.size());
    }
    return;
  }
  const int64_t xstep = (static_cast<int64_t>(width_) << 16) / W;
  const int64_t ystep = (static_cast<int64_t>(height_) << 16) / H;
  for (int32_t y = 0; y < H; ++y) {
    const uint8_t* source = Row(static_cast<int32_t>((y * ystep) >> 16));
    uint8_t* out = dest.Row(y);
    for (int32_t x = 0; x < W; ++x) std::memcpy(out + x * 3, source + ((x * xstep) >> 16) * 3, 3);
  }
}

void FitBackground(bool proportional, TProject& project, int32_t width, int32_t height) {
  const int32_t bgW = project.Background.Width();
  const int32_t bgH = project.Background.Height();
  if (bgW <= 0 || bgH <= 0 || width <= 0 || height <= 0) return;
  if (proportional) {
    const double aspect = static_cast<double>(bgW) / bgH;
    if (bgW > static_cast<int64_t>(bgH) * width / height) {
      height = static_cast<int32_t>(std::nearbyint(width / aspect));
    } else {
      width = static_cast<int32_t>(std::nearbyint(height * aspect));
    }
    // A picture far thinner than the screen still keeps one pixel.
    width = std::max(width, 1);
    height = std::max(height, 1);
  }
  const double widthFactor = static_cast<double>(width) / bgW;
  const double heightFactor = static_cast<double>(height) / bgH;
  for (TWaveParam& wave : project.WaveParams) {
    wave.SetAmplitude(static_cast<int32_t>(std::nearbyint(widthFactor * wave.Amplitude())));
    wave.SetJitter(static_cast<int32_t>(std::nearbyint(heightFactor * wave.Jitter())));
  }

  if (project.Background.PixelFormat() == TPixelFormat::pf32bit && bgW > 1 && (bgW != width || bgH != height)) {
    TBitmap resized;
    resized.SetPixelFormat(TPixelFormat::pf32bit);
    resized.SetSize(width, height);
    SmoothResize32(project.Background, resized);
    project.Background = std::move(resized);
  } else {
    TFastBMP source;
    TFastBMP resized;
    source.LoadFromBitmap(project.Background);
    resized.SetSize(width, height);
    source.SmoothResize(resized);
    resized.CopyTo(project.Background);
  }

  // The mask by nearest pixel, so that its region colours never mix.
  const TBitmap& mask = project.RegionMask;
  TBitmap fitted;
  fitted.SetPixelFormat(TPixelFormat::pf32bit);
  fitted.SetSize(width, height);
  if (!mask.Empty() && mask.PixelFormat() == TPixelFormat::pf32bit) {
    const std::vector<int32_t> columns = NearestIndices(0, mask.Width(), width);
    const std::vector<int32_t> rows = NearestIndices(0, mask.Height(), height);
    for (int32_t y = 0; y < height; ++y) {
      const uint32_t* source = mask.Pixels32(rows[static_cast<size_t>(y)]);
      uint32_t* target = fitted.Pixels32(y);
      for (int32_t x = 0; x < width; ++x) target[x] = source[columns[static_cast<size_t>(x)]];
    }
  }
  project.RegionMask = std::move(fitted);
}

}  // namespace lumora

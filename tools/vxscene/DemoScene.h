// vxscene demo: what its files share. The picture's size and water regions, the colour arithmetic,
// the coverage masks that shapes are painted through, the small pictures the objects are painted
// on, and what each file paints for the others: DemoPainting.cpp the background, DemoFigures.cpp
// the objects' pictures, DemoScene.cpp the scene folder made of them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "surface/uBitmap32.h"
#include "surface/uPolygon32.h"

namespace lumora::tools::demo {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 800;

// Mask region indices (the wave record of region k is k - 1).
constexpr uint8_t kFarLake = 1;
constexpr uint8_t kNearLake = 2;
constexpr uint8_t kRiver = 3;

// ---- colour arithmetic ----

struct Rgb {
  double r = 0, g = 0, b = 0;
};
constexpr Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
constexpr Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
constexpr Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
constexpr Rgb Mix(Rgb a, Rgb b, double t) { return a + (b - a) * t; }

inline double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
inline double SmoothStep(double edge0, double edge1, double v) {
  const double t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}
inline double Gauss(double v, double width) { return std::exp(-(v / width) * (v / width)); }

// ---- shapes ----

struct Point {
  double x = 0, y = 0;
};
using Outline = std::vector<Point>;

// How much of each pixel a set of anti-aliased polygons covers, 0..1. Shapes are filled one by
// one, so overlapping shapes add up instead of cancelling by the even-odd rule.
class Coverage {
 public:
  explicit Coverage(int32_t width = kWidth, int32_t height = kHeight) : bottom_(0), top_(height) {
    mask_.SetSize(width, height);
    mask_.Clear(0);
  }

  void Fill(const Outline& outline) {
    TPolygon32 polygon;
    polygon.Antialiased = true;
    for (const Point& p : outline) {
      polygon.Add({static_cast<int32_t>(std::lround(p.x * 65536)), static_cast<int32_t>(std::lround(p.y * 65536))});
      top_ = std::min(top_, static_cast<int32_t>(std::floor(p.y)));
      bottom_ = std::max(bottom_, static_cast<int32_t>(std::ceil(p.y)) + 1);
    }
    polygon.Draw(mask_, Color32(255, 255, 255));
  }

  // A full white blend stops one short of 255.
  double At(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= mask_.Width() || y >= mask_.Height()) return 0;
    return std::min(1.0, RedOf(mask_.PixelAt(x, y)) / 254.0);
  }
  int32_t Top() const { return std::max(top_, 0); }
  int32_t Bottom() const { return std::min(bottom_, mask_.Height()); }

 private:
  TBitmap32 mask_;
  int32_t bottom_;
  int32_t top_;
};

// ---- the objects' pictures ----

// A small picture: premultiplied colour and coverage per pixel, transparent where nothing is.
class Sprite {
 public:
  Sprite(int32_t width, int32_t height) : width_(width), height_(height), colour_(Size()), alpha_(Size()) {}

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // Lays `colour` over one pixel with coverage `a` (0..1).
  void Lay(int32_t x, int32_t y, Rgb colour, double a) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || a <= 0) return;
    const size_t i = Index(x, y);
    colour_[i] = colour_[i] * (1 - a) + colour * a;
    alpha_[i] = alpha_[i] * (1 - a) + a;
  }

  // Lays colour(x, y) wherever the shapes cover, by their coverage times opacity(x, y).
  template <typename ColourAt, typename OpacityAt>
  void Fill(const std::vector<Outline>& shapes, ColourAt colour, OpacityAt opacity) {
    Coverage cover(width_, height_);
    for (const Outline& shape : shapes) cover.Fill(shape);
    for (int32_t y = cover.Top(); y < cover.Bottom(); ++y) {
      for (int32_t x = 0; x < width_; ++x) Lay(x, y, colour(x, y), cover.At(x, y) * opacity(x, y));
    }
  }
  template <typename ColourAt>
  void Fill(const std::vector<Outline>& shapes, ColourAt colour) {
    Fill(shapes, colour, [](int32_t, int32_t) { return 1.0; });
  }
  void Fill(const std::vector<Outline>& shapes, Rgb colour, double opacity = 1) {
    Fill(
        shapes, [colour](int32_t, int32_t) { return colour; }, [opacity](int32_t, int32_t) { return opacity; });
  }

  double Alpha(int32_t x, int32_t y) const { return alpha_[Index(x, y)]; }
  // The picture laid over `under`.
  Rgb Over(int32_t x, int32_t y, Rgb under) const { return colour_[Index(x, y)] + under * (1 - Alpha(x, y)); }

 private:
  size_t Size() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }
  size_t Index(int32_t x, int32_t y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  }

  int32_t width_, height_;
  std::vector<Rgb> colour_;
  std::vector<double> alpha_;
};

// A colour channel rounded into a byte.
inline uint8_t Channel(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

// ---- what the files paint for each other ----

// The background, and its water marked by one region index per pixel, row by row.
void PaintDemo(TBitmap32& background, std::vector<uint8_t>& regions);

// The animated objects' figures at `phase` (0..1) of their cycle.
Sprite Raven(double phase);
Sprite RowingBoat(double phase);
Sprite SnowSpirit(double phase, Rgb matte, std::mt19937& random);

// Where the cabin's picture stands on the design frame. It is drawn there unscaled and does not
// move, so it is composed over the very background it covers: its shadow and the light from its
// window lie on the snow seamlessly, and only the rest is the flat key colour. The key is the
// mean colour of the snow it covers: a scaled scene resamples the picture with a box filter,
// which blends the key into the edge pixels, and a blend toward snow does not show.
constexpr int32_t kCabinLeft = 944;
constexpr int32_t kCabinTop = 508;
constexpr int32_t kCabinWidth = 128;
constexpr int32_t kCabinHeight = 96;

void PaintCabin(const TBitmap& background, TBitmap32& picture);

// The sounds, as WAV files: the looping wind, the distant bell, the drip, the music loop.
std::string WindWav();
std::string BellWav();
std::string DripWav();
std::string MusicWav();

}  // namespace lumora::tools::demo

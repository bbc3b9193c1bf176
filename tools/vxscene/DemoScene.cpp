// vxscene demo: a winter evening at a lake, painted entirely by code, with three water regions,
// gentle snow and four animated objects. It shows what the water effect and the objects do on a
// real picture and gives the tools and tests a full-size scene without checked-in pictures. The
// scene folder holds the header, the project file and the objects' pictures, "obj0.bmp",
// "obj1.gif", ... by object number.
//
// The picture is painted in floating point, back to front: sky, clouds, mountain layers, the far
// shore's forest, a snowy bank with a river, the lake, a spit of snow in front. Shapes are
// anti-aliased polygons (TPolygon32) used as coverage masks; colours come from small functions
// of the pixel position. Every random choice comes from generators with fixed seeds, so every
// run writes the same scene.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Commands.h"
#include "ProjectWriter.h"
#include "SceneFolderWriter.h"
#include "project/uFileIO.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"
#include "surface/uPolygon32.h"

namespace lumora::tools {
namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 800;
// The far shore. The engine mirrors each reflecting region about its top row, so the lake's top
// edge is one straight row and the sun, mountains and forest stand right above it.
constexpr int32_t kWaterLine = 470;
// Where the mirror-calm far lake hands over to the near water with its perspective waves.
constexpr int32_t kNearWater = 640;
constexpr double kSunX = 560;
constexpr double kSunY = 402;
constexpr double kSunRadius = 17;

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

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double SmoothStep(double edge0, double edge1, double v) {
  const double t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}
double Gauss(double v, double width) { return std::exp(-(v / width) * (v / width)); }

// ---- noise ----

// Smooth value noise over a 256 x 256 lattice of fixed random values, tiled. The generator's
// raw output is used directly because distributions differ between standard libraries.
class Noise {
 public:
  explicit Noise(uint32_t seed) {
    std::mt19937 random(seed);
    for (double& v : lattice_) v = random() / 4294967296.0;
  }

  // 0..1, continuous, with features about one unit apart.
  double At(double x, double y) const {
    const double fx = std::floor(x), fy = std::floor(y);
    const double tx = Fade(x - fx), ty = Fade(y - fy);
    const int ix = static_cast<int>(static_cast<int64_t>(fx) & kMask);
    const int iy = static_cast<int>(static_cast<int64_t>(fy) & kMask);
    const double top = Lerp(Value(ix, iy), Value(ix + 1, iy), tx);
    const double bottom = Lerp(Value(ix, iy + 1), Value(ix + 1, iy + 1), tx);
    return Lerp(top, bottom, ty);
  }

  // Octaves of halving size and weight, normalised back to 0..1.
  double Fractal(double x, double y, int octaves) const {
    double sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
      sum += weight * At(x, y);
      total += weight;
      x = x * 2.03 + 17.1;
      y = y * 2.03 + 5.3;
      weight *= 0.5;
    }
    return sum / total;
  }

 private:
  static constexpr int kSize = 256;
  static constexpr int kMask = kSize - 1;
  static double Fade(double t) { return t * t * (3 - 2 * t); }
  static double Lerp(double a, double b, double t) { return a + (b - a) * t; }
  double Value(int x, int y) const { return lattice_[static_cast<size_t>((y & kMask) * kSize + (x & kMask))]; }

  std::array<double, kSize * kSize> lattice_{};
};

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

// The region between a curve y = edge(x) and a row below it, across the whole picture.
template <typename Edge>
Outline BelowCurve(Edge edge, double bottom) {
  Outline outline;
  for (double x = -8; x <= kWidth + 8; x += 3) outline.push_back({x, edge(x)});
  outline.push_back({kWidth + 8.0, bottom});
  outline.push_back({-8.0, bottom});
  return outline;
}

// A fir seen from the side: tiers of drooping branches narrowing to the tip, on a short trunk.
Outline Fir(double x, double base, double height, double width, std::mt19937& random) {
  const int tiers = std::clamp(static_cast<int>(height / 11), 3, 9);
  const double crown = height * 0.92;
  const double top = base - height;
  auto wobble = [&random] { return 0.85 + 0.3 * (random() / 4294967296.0); };
  Outline right, left;
  for (int i = 1; i <= tiers; ++i) {
    const double y = top + crown * i / tiers;
    const double half = width / 2 * std::pow(static_cast<double>(i) / tiers, 0.85);
    const double notch = crown / tiers * 0.45;
    right.push_back({x + half * wobble(), y});
    left.push_back({x - half * wobble(), y});
    if (i < tiers) {
      right.push_back({x + half * 0.45, y - notch * 0.2});
      left.push_back({x - half * 0.45, y - notch * 0.2});
    }
  }
  Outline outline{{x, top}};
  outline.insert(outline.end(), right.begin(), right.end());
  outline.push_back({x + width * 0.06, base});
  outline.push_back({x - width * 0.06, base});
  outline.insert(outline.end(), left.rbegin(), left.rend());
  return outline;
}

// ---- the painting ----

class Painting {
 public:
  Painting() : pixels_(static_cast<size_t>(kWidth) * kHeight) {}

  Rgb& At(int32_t x, int32_t y) { return pixels_[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)]; }
  const Rgb& At(int32_t x, int32_t y) const {
    return pixels_[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
  }

  // Lays colour(x, y) over the picture wherever `shape` covers it, by its coverage.
  template <typename ColourAt>
  void Lay(const Coverage& shape, ColourAt colour) {
    for (int32_t y = shape.Top(); y < shape.Bottom(); ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const double a = shape.At(x, y);
        if (a > 0) At(x, y) = Mix(At(x, y), colour(x, y), a);
      }
    }
  }

  void CopyTo(TBitmap32& surface) const {
    surface.SetSize(kWidth, kHeight);
    auto channel = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const Rgb& c = At(x, y);
        surface.PixelAt(x, y) = Color32(channel(c.r), channel(c.g), channel(c.b));
      }
    }
  }

 private:
  std::vector<Rgb> pixels_;
};

// The evening sky without clouds: indigo above, rose and gold toward the horizon, the glow of
// the low sun around it.
Rgb SkyAt(double x, double y) {
  struct Stop {
    double y;
    Rgb colour;
  };
  static constexpr std::array<Stop, 6> kStops = {{{0, {16, 22, 60}},
                                                   {150, {48, 50, 110}},
                                                   {270, {138, 96, 148}},
                                                   {360, {226, 146, 132}},
                                                   {430, {250, 190, 140}},
                                                   {kWaterLine, {255, 212, 166}}}};
  Rgb sky = kStops.back().colour;
  for (size_t i = 1; i < kStops.size(); ++i) {
    if (y < kStops[i].y) {
      sky = Mix(kStops[i - 1].colour, kStops[i].colour, SmoothStep(kStops[i - 1].y, kStops[i].y, y));
      break;
    }
  }
  const double d = std::hypot(x - kSunX, y - kSunY);
  sky = Mix(sky, {255, 186, 120}, 0.45 * Gauss(d, 260));
  sky = Mix(sky, {255, 214, 160}, 0.5 * Gauss(x - kSunX, 420) * Gauss(y - kWaterLine, 70));
  return Mix(sky, {255, 236, 196}, 0.85 * std::exp(-d / 45));
}

void PaintSky(Painting& picture, const Noise& noise) {
  for (int32_t y = 0; y < kWaterLine; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) picture.At(x, y) = SkyAt(x, y);
  }
  // The sun's disc, anti-aliased by its distance from the rim.
  for (int32_t y = static_cast<int32_t>(kSunY - kSunRadius - 2); y <= kSunY + kSunRadius + 2; ++y) {
    for (int32_t x = static_cast<int32_t>(kSunX - kSunRadius - 2); x <= kSunX + kSunRadius + 2; ++x) {
      const double inside = Clamp01(kSunRadius + 0.5 - std::hypot(x - kSunX, y - kSunY));
      picture.At(x, y) = Mix(picture.At(x, y), {255, 248, 226}, inside);
    }
  }
  // Long thin clouds, lit gold underneath near the sun and violet-grey further away.
  for (int32_t y = 30; y < 360; ++y) {
    const double band = SmoothStep(30, 110, y) * (1 - SmoothStep(280, 360, y));
    for (int32_t x = 0; x < kWidth; ++x) {
      const double n = noise.Fractal(x / 340.0, y / 38.0, 5);
      const double density = SmoothStep(0.52, 0.78, n) * band;
      if (density <= 0) continue;
      const double lit = Clamp01(0.15 + 0.9 * std::exp(-std::hypot(x - kSunX, (y - kSunY) * 1.6) / 420) + y / 900.0);
      const Rgb shade = Mix({70, 60, 104}, {255, 176, 136}, lit);
      const Rgb cloud = Mix(shade, {52, 44, 84}, 0.35 * SmoothStep(0.7, 0.9, n));
      picture.At(x, y) = Mix(picture.At(x, y), cloud, 0.85 * density);
    }
  }
}

// A ridged noise: sharp crests where the smooth noise crosses its middle.
double Ridged(const Noise& noise, double x, double row) { return 1 - std::abs(2 * noise.At(x, row) - 1); }

// Far, snowy mountains, hazy and blue-violet, with a saddle where the sun goes down.
double FarRidge(const Noise& noise, double x) {
  const double r =
      0.6 * Ridged(noise, x / 250, 3.5) + 0.28 * Ridged(noise, x / 95, 4.5) + 0.12 * Ridged(noise, x / 33, 5.5);
  return 420 - 150 * r * r + 42 * Gauss(x - kSunX, 100);
}

// Nearer wooded hills in front of the mountains.
double MidRidge(const Noise& noise, double x) {
  return 446 - 40 * noise.Fractal(x / 180.0, 11.5, 3) + 14 * Gauss(x - kSunX, 120);
}

// The dark wooded hill on the right that the river comes from.
double RightHill(const Noise& noise, double x) {
  const double rise = std::max(0.0, x - 930) * 0.34;
  return 472 - rise - 18 * noise.Fractal(x / 90.0, 21.5, 3) * SmoothStep(930, 1000, x);
}

void PaintMountains(Painting& picture, const Noise& noise) {
  Coverage range;
  range.Fill(BelowCurve([&](double x) { return FarRidge(noise, x); }, kWaterLine));
  picture.Lay(range, [&](int32_t x, int32_t y) {
    const double ridge = FarRidge(noise, x);
    const double depth = y - ridge;
    // The sun is behind the range: the faces we see are in shade, lit a little by the sky on the
    // slopes that turn away from the sun, and only the crests near it catch a rim of light.
    const double slope = (FarRidge(noise, x + 4) - FarRidge(noise, x - 4)) / 8 * (x < kSunX ? -1 : 1);
    const double patches = noise.Fractal(x / 18.0, depth / 12.0 + 60, 3);
    const double snow = (1 - SmoothStep(0, 55, depth)) * SmoothStep(0.42, 0.62, patches);
    Rgb rock = Mix({104, 92, 150}, SkyAt(x, y), 0.45);
    rock = rock * (1 + 0.1 * std::tanh(slope * 1.5) * (1 - SmoothStep(0, 60, depth)));
    rock = Mix(rock, {232, 196, 214}, 0.5 * snow);
    rock = Mix(rock, {255, 226, 196}, std::exp(-depth / 1.5) * Gauss(x - kSunX, 260));
    // Mist lies in the valleys: it thickens toward the valley floor, not with the depth below
    // each column's crest, which would draw curtains under the peaks.
    return Mix(rock, SkyAt(x, y), 0.15 * SmoothStep(5, 40, depth) + 0.7 * SmoothStep(340, 445, y));
  });

  Coverage mid;
  mid.Fill(BelowCurve([&](double x) { return MidRidge(noise, x); }, kWaterLine));
  std::mt19937 random(7);
  for (double x = 4; x < kWidth; x += 5 + random() % 6) {
    const double height = 6 + random() % 9;
    mid.Fill(Fir(x, MidRidge(noise, x) + 3, height, height * 0.5, random));
  }
  picture.Lay(mid, [&](int32_t x, int32_t y) {
    const Rgb hill = Mix({64, 62, 112}, SkyAt(x, y), 0.32);
    return Mix(hill, SkyAt(x, y), 0.6 * SmoothStep(MidRidge(noise, x), kWaterLine, y));
  });

  Coverage right;
  right.Fill(BelowCurve([&](double x) { return RightHill(noise, x); }, kWaterLine + 30));
  for (double x = 940; x < kWidth + 10; x += 6 + random() % 7) {
    const double height = 14 + random() % 16;
    right.Fill(Fir(x, RightHill(noise, x) + 6, height, height * 0.45, random));
  }
  picture.Lay(right, [&](int32_t x, int32_t y) {
    return Mix({34, 40, 66}, SkyAt(x, y), 0.12 * (1 - static_cast<double>(y) / kHeight));
  });
}

// Snow on the upper side of branches: where a shape starts below a pixel that it does not cover.
template <typename Colour>
void LayWithSnow(Painting& picture, const Coverage& trees, Colour body, Rgb snow) {
  picture.Lay(trees, [&](int32_t x, int32_t y) {
    const double top = Clamp01(trees.At(x, y) - trees.At(x, y - 2));
    return Mix(body(x, y), snow, 0.75 * top);
  });
}

// The forest along the far shore, thinning where the sun's light reaches the water.
void PaintFarShore(Painting& picture, const Noise& noise) {
  std::mt19937 random(11);
  Coverage forest;
  for (double x = -6; x < 1016; x += 3 + random() % 6) {
    const double opening = 1 - 0.8 * Gauss(x - kSunX, 70);
    const double height = (14 + random() % 26) * opening;
    if (height < 5 && random() % 2 == 0) continue;
    forest.Fill(Fir(x, kWaterLine - 5, height, height * 0.42, random));
  }
  forest.Fill({{-8, kWaterLine - 7.0}, {1016, kWaterLine - 7.0}, {1016, kWaterLine}, {-8, kWaterLine}});
  auto trees = [](int32_t x, int32_t) { return Mix({28, 32, 54}, {60, 48, 70}, Gauss(x - kSunX, 160)); };
  LayWithSnow(picture, forest, trees, {206, 170, 190});

  // A rim of snow on the shore, pink in the sunset light.
  Coverage bank;
  bank.Fill({{-8, kWaterLine - 3.0}, {1016, kWaterLine - 3.0}, {1016, kWaterLine}, {-8, kWaterLine}});
  picture.Lay(bank, [&](int32_t x, int32_t) {
    const Rgb snow = Mix({112, 104, 146}, {214, 178, 184}, Gauss(x - kSunX, 200));
    return Mix({44, 42, 68}, snow, 0.35 + 0.4 * noise.At(x / 45.0, 70.5));
  });
}

// The x of the lake's right shore in row y: it leaves the far shore at x = 1010 and sweeps down
// toward the viewer in gentle bays, larger the nearer they are.
double LakeShore(double y) {
  const double p = (y - kWaterLine) / (kHeight - kWaterLine);
  return 1010 - 175 * std::pow(p, 0.8) + p * (16 * std::sin(p * 11) + 7 * std::sin(p * 29 + 1));
}

// ---- the river ----

struct RiverSample {
  Point at;
  double halfWidth = 0;
  double along = 0;  // 0 at the source, 1 at the mouth
};

// The river's middle line, from the hill's foot down into the lake, sampled densely along a
// Catmull-Rom curve through a few hand-placed points; it widens as it comes nearer.
std::vector<RiverSample> RiverCourse() {
  struct Knot {
    double x, y, width;
  };
  static constexpr std::array<Knot, 12> kKnots = {{{1188, 474, 3},
                                                   {1162, 484, 5},
                                                   {1180, 498, 7},
                                                   {1146, 514, 10},
                                                   {1092, 530, 14},
                                                   {1076, 556, 19},
                                                   {1118, 586, 25},
                                                   {1158, 624, 32},
                                                   {1112, 664, 42},
                                                   {1004, 694, 56},
                                                   {904, 714, 70},
                                                   {840, 724, 80}}};
  std::vector<RiverSample> samples;
  constexpr int kSteps = 40;
  const int spans = static_cast<int>(kKnots.size()) - 1;
  for (int i = 0; i < spans; ++i) {
    const Knot& p0 = kKnots[static_cast<size_t>(std::max(i - 1, 0))];
    const Knot& p1 = kKnots[static_cast<size_t>(i)];
    const Knot& p2 = kKnots[static_cast<size_t>(i + 1)];
    const Knot& p3 = kKnots[static_cast<size_t>(std::min(i + 2, spans))];
    for (int s = 0; s < kSteps; ++s) {
      const double t = static_cast<double>(s) / kSteps, t2 = t * t, t3 = t2 * t;
      auto curve = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (3 * b - a - 3 * c + d) * t3);
      };
      samples.push_back({{curve(p0.x, p1.x, p2.x, p3.x), curve(p0.y, p1.y, p2.y, p3.y)},
                         (p1.width + (p2.width - p1.width) * t) / 2,
                         (i + t) / spans});
    }
  }
  return samples;
}

// The band around the course, `scale` times the river's width.
Outline RiverOutline(const std::vector<RiverSample>& course, double scale) {
  Outline left, right;
  for (size_t i = 0; i < course.size(); ++i) {
    const Point& a = course[i > 0 ? i - 1 : i].at;
    const Point& b = course[i + 1 < course.size() ? i + 1 : i].at;
    const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
    const double nx = -dy / length, ny = dx / length;
    const double half = course[i].halfWidth * scale;
    // Seen at a slant the river is flattened: its width shows less across rows than along them.
    left.push_back({course[i].at.x + nx * half, course[i].at.y + ny * half * 0.45});
    right.push_back({course[i].at.x - nx * half, course[i].at.y - ny * half * 0.45});
  }
  left.insert(left.end(), right.rbegin(), right.rend());
  return left;
}

// Water of the river: the evening sky's colours, dark along the banks, with streaks along the
// current and a few glints, so that its waves show.
Rgb RiverWater(const std::vector<RiverSample>& course, const Noise& noise, int32_t x, int32_t y) {
  size_t nearest = 0;
  double best = 1e18;
  for (size_t i = 0; i < course.size(); ++i) {
    const double dx = x - course[i].at.x, dy = (y - course[i].at.y) / 0.45;
    const double d = dx * dx + dy * dy;
    if (d < best) {
      best = d;
      nearest = i;
    }
  }
  const RiverSample& at = course[nearest];
  const Point& next = course[std::min(nearest + 1, course.size() - 1)].at;
  const Point& previous = course[nearest > 0 ? nearest - 1 : 0].at;
  const double side = (next.x - previous.x) * (y - at.at.y) - (next.y - previous.y) * (x - at.at.x) < 0 ? -1 : 1;
  const double across = Clamp01(std::sqrt(best) / at.halfWidth);
  const double streak = noise.Fractal(at.along * 28, side * across * 4 + 40, 4);
  // Far off it mirrors the glow over the horizon, near by the higher, darker sky.
  Rgb water = Mix({244, 170, 132}, {96, 80, 136}, SmoothStep(0.05, 1, at.along));
  water = water * (0.82 + 0.36 * streak);
  water = Mix(water, {255, 226, 190}, 0.6 * SmoothStep(0.68, 0.82, streak));
  // The banks mirror as a dark seam along each side.
  // Kept faint: the jitter moves it column by column, and a strong seam would turn into a comb.
  return Mix(water, {40, 36, 66}, 0.35 * SmoothStep(0.75, 1, across));
}

// A low sun in front of the viewer throws shadows toward him, leaning away from the sun.
Outline FirShadow(double x, double base, double height, double width) {
  const double length = height * 0.4, lean = length * (x - kSunX) / 900;
  return {{x - width * 0.4, base}, {x + width * 0.4, base}, {x + lean + width * 0.1, base + length},
          {x + lean - width * 0.1, base + length}};
}

// The snowy bank on the right, with the river winding through it and firs standing on it.
void PaintRightBank(Painting& picture, const Noise& noise, const std::vector<RiverSample>& course) {
  Coverage bank;
  Outline outline{
      {996, kWaterLine - 4.0}, {1060, kWaterLine}, {1180, kWaterLine + 2.0}, {1290, kWaterLine}, {1290, 810}};
  for (double y = 810; y > kWaterLine; y -= 6) outline.push_back({LakeShore(y), y});
  bank.Fill(outline);
  // Drifts lit from the left, where the sun is; the near snow lies in the evening shade.
  picture.Lay(bank, [&](int32_t x, int32_t y) {
    const double scale = 0.4 + (y - kWaterLine) / 160.0;
    auto height = [&](double px, double py) { return noise.Fractal(px / (300 * scale), py / (70 * scale) + 90, 2); };
    const double facing = (height(x - 4, y) - height(x + 4, y)) * 5 + (height(x, y - 3) - height(x, y + 3)) * 3;
    const double shade = SmoothStep(kWaterLine, kHeight + 120, y);
    const double lit = Clamp01(0.85 - 0.6 * shade + facing);
    const Rgb snow = Mix({128, 130, 186}, {250, 222, 222}, lit);
    // Where the snow meets the lake it is wet and dark.
    return Mix(snow, {66, 62, 96}, 0.8 * (1 - SmoothStep(0, 3 + (y - kWaterLine) / 30.0, x - LakeShore(y))));
  });

  std::mt19937 random(23);
  struct Tree {
    double x, base, height;
  };
  std::vector<Tree> trees;
  for (double x = 1124; x < kWidth + 10; x += 7 + random() % 9) {
    trees.push_back({x, kWaterLine + 14.0 + random() % 8, 22.0 + random() % 30});
  }
  for (const Tree& tree : {Tree{1166, 560, 70}, Tree{1218, 590, 122}, Tree{1262, 606, 156}, Tree{1034, 508, 26},
                           Tree{1050, 512, 34}, Tree{1068, 506, 22}, Tree{1256, 812, 360}}) {
    trees.push_back(tree);
  }
  Coverage shadows;
  for (const Tree& tree : trees) shadows.Fill(FirShadow(tree.x, tree.base, tree.height, tree.height * 0.44));
  picture.Lay(shadows, [&](int32_t x, int32_t y) { return Mix(picture.At(x, y), {84, 88, 156}, 0.45); });

  Coverage rim;
  rim.Fill(RiverOutline(course, 1.25));
  picture.Lay(rim, [](int32_t, int32_t) { return Rgb{60, 54, 84}; });
  Coverage river;
  river.Fill(RiverOutline(course, 1.0));
  picture.Lay(river, [&](int32_t x, int32_t y) { return RiverWater(course, noise, x, y); });

  Coverage firs;
  for (const Tree& tree : trees) firs.Fill(Fir(tree.x, tree.base, tree.height, tree.height * 0.44, random));
  LayWithSnow(picture, firs, [](int32_t, int32_t) { return Rgb{24, 30, 46}; }, {222, 210, 232});
}

// ---- the lake ----

Outline LakeOutline() {
  Outline outline{{-8, kWaterLine}};
  for (double y = kWaterLine; y <= kHeight + 8; y += 10) outline.push_back({LakeShore(y), y});
  outline.push_back({-8, kHeight + 8.0});
  return outline;
}

// The lake mirrors the scenery above the far shore; toward the viewer the reflection weakens
// into the dark water, and long ripples catch the sky and the sun.
Rgb LakeWater(const Painting& picture, const Noise& noise, int32_t x, int32_t y) {
  const Rgb mirrored = picture.At(x, std::max(0, 2 * kWaterLine - y - 1));
  if (y < kNearWater) return mirrored;
  // Ripples lie evenly on the water plane: its depth and sideways distance shrink with the
  // distance below the horizon.
  const double below = y - kWaterLine + 1.0;
  const double depth = 60000 / below;
  const double side = (x - kWidth / 2.0) * depth / 900;
  const double ripple = 0.65 * noise.Fractal(side / 22, depth / 7, 3) + 0.35 * noise.At(side / 7, depth / 2.5 + 50);
  const double deep = SmoothStep(kNearWater, kHeight + 60, y);
  // The ripples fade in below the calm far water, so the two regions meet without a seam.
  const double onset = SmoothStep(kNearWater, kNearWater + 45, y);
  Rgb water = Mix(mirrored, {14, 22, 48}, 0.72 * deep);
  water = water * (1 + 0.32 * onset * (ripple - 0.5));
  const double path = Gauss(x - kSunX, 16 + 0.35 * below) * (1 - 0.6 * deep) * onset;
  return Mix(water, {255, 204, 150}, path * SmoothStep(0.56, 0.8, ripple));
}

void PaintLake(Painting& picture, const Noise& noise, Coverage& lake) {
  lake.Fill(LakeOutline());
  picture.Lay(lake, [&](int32_t x, int32_t y) { return LakeWater(picture, noise, x, y); });
}

// A spit of snow in the near left corner with a few dry stalks, to give the view a foreground.
void PaintSpit(Painting& picture, const Noise& noise, Coverage& spit) {
  spit.Fill({{-8, 742}, {50, 738}, {120, 748}, {200, 770}, {270, 808}, {-8, 808}});
  picture.Lay(spit, [&](int32_t x, int32_t y) {
    return Mix({120, 124, 178}, {214, 196, 220}, Clamp01(noise.Fractal(x / 60.0, y / 20.0, 3) * 1.2 - 0.1));
  });
  std::mt19937 random(31);
  Coverage stalks;
  for (int i = 0; i < 26; ++i) {
    const double x = 10 + random() % 190, base = 748 + (x / 200) * 22 + random() % 12;
    const double height = 30 + random() % 50, lean = (random() % 21 - 10) / 1.5;
    stalks.Fill({{x - 1.1, base}, {x + 1.1, base}, {x + lean + 0.3, base - height}, {x + lean - 0.3, base - height}});
  }
  picture.Lay(stalks, [](int32_t, int32_t) { return Rgb{58, 44, 52}; });
}

// ---- the scene ----

// Paints the background and marks its water: one region index per pixel, row by row.
void PaintDemo(TBitmap32& background, std::vector<uint8_t>& regions) {
  const Noise noise(20240611);
  Painting picture;
  PaintSky(picture, noise);
  PaintMountains(picture, noise);
  PaintFarShore(picture, noise);
  const std::vector<RiverSample> course = RiverCourse();
  PaintRightBank(picture, noise, course);
  Coverage lake, spit;
  PaintLake(picture, noise, lake);
  PaintSpit(picture, noise, spit);

  // Only wholly covered pixels are water: the anti-aliased rim stays still, so no blend of land
  // and water is carried into the water by the waves.
  Coverage river;
  river.Fill(RiverOutline(course, 1.0));
  regions.assign(static_cast<size_t>(kWidth) * kHeight, 0);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      uint8_t& region = regions[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
      if (spit.At(x, y) > 0) continue;
      if (lake.At(x, y) >= 1) {
        region = y < kNearWater ? kFarLake : kNearLake;
      } else if (river.At(x, y) >= 1 && lake.At(x, y) == 0) {
        region = kRiver;
      }
    }
  }
  picture.CopyTo(background);
}

// ---- the animated objects ----
//
// Four objects live in the scene: a log cabin on the right bank (a still picture), a rowing boat
// crossing the far lake, a snow spirit circling over the water and a raven that comes and goes.
// Their pictures are painted like the background, as anti-aliased shapes, but on small canvases
// that keep each pixel's coverage, so that a picture can be laid over whatever it passes.

constexpr double kPi = std::numbers::pi;

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
    Fill(shapes, [colour](int32_t, int32_t) { return colour; }, [opacity](int32_t, int32_t) { return opacity; });
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

Outline Ellipse(Point centre, double rx, double ry, double turn = 0) {
  const double c = std::cos(turn), s = std::sin(turn);
  Outline outline;
  for (int i = 0; i < 40; ++i) {
    const double a = 2 * kPi * i / 40, ex = rx * std::cos(a), ey = ry * std::sin(a);
    outline.push_back({centre.x + ex * c - ey * s, centre.y + ex * s + ey * c});
  }
  return outline;
}

// A stroke from `a` to `b` with round ends.
Outline Capsule(Point a, Point b, double radius) {
  const double along = std::atan2(b.y - a.y, b.x - a.x);
  Outline outline;
  for (const auto& [end, start] : {std::pair{b, along - kPi / 2}, std::pair{a, along + kPi / 2}}) {
    for (int i = 0; i <= 10; ++i) {
      const double angle = start + kPi * i / 10;
      outline.push_back({end.x + radius * std::cos(angle), end.y + radius * std::sin(angle)});
    }
  }
  return outline;
}

Point Along(Point a, Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

uint8_t Channel(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

// ---- writing the pictures ----

// An animated GIF of sprites, looping for ever. A pixel the sprite covers at least half is drawn,
// its colour laid over `matte`, a colour near what the object will pass in front of, so that the
// anti-aliased rim still blends in; every other pixel is the transparent entry 0. Every frame is
// a whole picture, cleared away before the next (disposal 2), so that no pose shows through the
// transparent pixels of the following one.
TGifImage SpriteGif(const std::vector<Sprite>& frames, Rgb matte, uint16_t delay) {
  constexpr uint32_t kClear = 0xFFFFFFFF;  // never a 24-bit colour
  std::vector<std::vector<uint32_t>> colours;
  for (const Sprite& sprite : frames) {
    std::vector<uint32_t>& pixels = colours.emplace_back();
    for (int32_t y = 0; y < sprite.Height(); ++y) {
      for (int32_t x = 0; x < sprite.Width(); ++x) {
        const Rgb c = sprite.Over(x, y, matte);
        pixels.push_back(sprite.Alpha(x, y) < 0.5 ? kClear : Color32(Channel(c.r), Channel(c.g), Channel(c.b), 0));
      }
    }
  }
  // The table: the colours as they are, or coarsened by one more bit per channel until they fit
  // beside the transparent entry. Sprites have few colours, so this rarely takes a round.
  std::map<uint32_t, uint8_t> table;
  // Each channel to the middle of its bucket of 2^bits values.
  auto coarse = [](uint32_t c, int bits) {
    return bits == 0 ? c : (c & ~(0x010101u * ((1u << bits) - 1))) | (0x010101u << (bits - 1));
  };
  int bits = 0;
  for (;; ++bits) {
    table.clear();
    for (const auto& pixels : colours) {
      for (uint32_t c : pixels) {
        if (c != kClear) table.emplace(coarse(c, bits), 0);
      }
    }
    if (table.size() <= 255) break;
  }
  TGifImage gif;
  gif.Width = frames.front().Width();
  gif.Height = frames.front().Height();
  gif.GlobalColors.push_back({Channel(matte.r), Channel(matte.g), Channel(matte.b)});
  for (auto& [colour, index] : table) {
    index = static_cast<uint8_t>(gif.GlobalColors.size());
    // Pure yellow is the key colour of a GIF object's picture and would never be drawn.
    const uint8_t blue = colour == 0xFFFF00 ? 1 : BlueOf(colour);
    gif.GlobalColors.push_back({RedOf(colour), GreenOf(colour), blue});
  }
  for (const auto& pixels : colours) {
    TGifFrame& frame = gif.Frames.emplace_back();
    frame.Width = gif.Width;
    frame.Height = gif.Height;
    for (uint32_t c : pixels) frame.Indices.push_back(c == kClear ? 0 : table.at(coarse(c, bits)));
    frame.HasControl = true;
    frame.Control = {2, true, 0, delay};
  }
  gif.Frames.front().HasLoop = true;  // count 0: for ever
  return gif;
}

// A 24-bit Windows bitmap: the 54-byte header, then the rows bottom-up, each padded to 4 bytes.
std::string BmpBytes(const TBitmap32& picture) {
  const auto rowBytes = static_cast<uint32_t>(picture.Width() * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(picture.Height());
  std::string bytes = "BM";
  auto put = [&bytes](uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
  };
  put(54 + pixelBytes, 4);
  put(0, 4);   // reserved
  put(54, 4);  // where the pixels start
  put(40, 4);  // the info header's size
  put(static_cast<uint32_t>(picture.Width()), 4);
  put(static_cast<uint32_t>(picture.Height()), 4);  // positive: bottom-up
  put(1, 2);                                        // planes
  put(24, 2);                                       // bits per pixel
  put(0, 4);                                        // no compression
  put(pixelBytes, 4);
  put(2835, 4);  // 72 dots per inch, both ways
  put(2835, 4);
  put(0, 4);  // colours used, important: none, no table
  put(0, 4);
  for (int32_t y = picture.Height() - 1; y >= 0; --y) {
    for (int32_t x = 0; x < picture.Width(); ++x) {
      const TColor32 c = picture.PixelAt(x, y);
      bytes += {static_cast<char>(BlueOf(c)), static_cast<char>(GreenOf(c)), static_cast<char>(RedOf(c))};
    }
    bytes.append(rowBytes - static_cast<uint32_t>(picture.Width()) * 3, '\0');
  }
  return bytes;
}

// ---- the raven ----

// A raven seen from the side and a little from below, facing right, at `phase` (0..1) of its
// wing beat.
Sprite Raven(double phase) {
  Sprite bird(56, 80);
  constexpr Point kShoulder{30, 40};
  constexpr double kSpan = 34;
  constexpr double kView = 0.5;  // radians we look up at the bird from
  // The arm beats through about 90 degrees; the hand lags behind it, lifted on the way down.
  const double arm = 0.25 + 0.8 * std::cos(2 * kPi * phase);
  const double hand = arm + 0.4 * std::sin(2 * kPi * phase);
  // The wing in its own plane: along the body (x) and out along the span (y, 0 at the body),
  // long and narrow, with the fingered primaries of a raven at its tip.
  static constexpr std::array<Point, 17> kWing = {{{3, 0}, {4.5, 0.2}, {4, 0.45}, {0, 0.7}, {-5, 1}, {-7, 0.92},
                                                   {-8.5, 0.97}, {-9.5, 0.86}, {-11.5, 0.89}, {-12, 0.79},
                                                   {-13.5, 0.79}, {-13.5, 0.67}, {-12.5, 0.55}, {-12, 0.4},
                                                   {-11.5, 0.2}, {-10, 0.08}, {-8, 0}}};
  // Raised by `angle` and seen from kView below, a point s out along the wing shows s x
  // sin(angle - kView) above the shoulder on the near side and s x sin(angle + kView) on the far.
  auto wing = [&](double side) {
    Outline outline;
    for (const Point& p : kWing) {
      const double inner = std::min(p.y, 0.45), outer = std::max(p.y - 0.45, 0.0);
      const double up = kSpan * (inner * std::sin(arm - side * kView) + outer * std::sin(hand - side * kView));
      outline.push_back({kShoulder.x + p.x, kShoulder.y - up});
    }
    return outline;
  };
  bird.Fill({wing(-1)}, Rgb{16, 14, 26});
  bird.Fill({Ellipse({28, 41}, 8.5, 4.2, -0.1), Ellipse({33, 40}, 3.6, 3.6), Ellipse({37.5, 38.6}, 3.5, 3.3),
             {{40, 37}, {46, 38.8}, {40.5, 40.6}},                           // the heavy beak
             {{20.5, 39.4}, {12, 38.4}, {9.5, 41.6}, {12, 44.8}, {20.5, 43.4}}},  // the wedge of the tail
            Rgb{24, 20, 36});
  bird.Fill({wing(1)}, Rgb{30, 26, 44});
  return bird;
}

// ---- the boat ----

// A rowing boat on the far lake, bow to the left, with its rower's back to the way it goes, at
// `phase` (0..1) of the stroke. Backlit by the low sun, it is dark with a warm rim of light.
Sprite RowingBoat(double phase) {
  Sprite boat(84, 40);
  constexpr double kWater = 29;
  constexpr Point kOarlock{42, 23.2};
  // The blade dips in toward the bow, sweeps back to the stern in the water and returns lifted
  // above it; the oar turns about the oarlock, so the hands move against the blade, and the
  // rower's body swings with them.
  const bool drive = phase < 0.55;
  const double p = drive ? SmoothStep(0, 0.55, phase) : SmoothStep(0.55, 1, phase);
  const double bladeX = drive ? -15 + 27 * p : 12 - 27 * p;
  const double bladeY = drive ? kWater + 3 : kWater - 1.5 - 4 * std::sin(kPi * p);
  const double lean = drive ? 4 - 8 * p : -4 + 8 * p;
  const Point blade{kOarlock.x + bladeX, bladeY};
  const Point hands{kOarlock.x - bladeX / 2.4, kOarlock.y - (bladeY - kOarlock.y) / 2.4};
  const Point hip{45, 23.6};
  const Point shoulder{hip.x + lean, 15.6};
  const Point head{shoulder.x + lean * 0.2 + 0.4, shoulder.y - 4.2};

  // The boat's reflection below the waterline, broken by the ripples.
  for (int row = 0; row < 3; ++row) {
    std::vector<Outline> dashes;
    for (double x = 16 + 2 * row; x < 68 - 4 * row; x += 6.5) {
      const double start = x + 1.6 * std::sin(2 * kPi * phase + row * 1.7 + x * 0.3);
      dashes.push_back(Capsule({start, kWater + 1.3 + 1.4 * row}, {start + 3.6, kWater + 1.3 + 1.4 * row}, 0.6));
    }
    boat.Fill(dashes, Rgb{84, 58, 72}, 0.85 - 0.1 * row);
  }
  // The rower: legs bent toward the stern, coat, scarf and a red knitted hat.
  const Rgb coat{38, 36, 58};
  boat.Fill({Capsule(hip, {51.5, 19.4}, 2), Capsule({51.5, 19.4}, {54.5, 24.5}, 1.6)}, coat);
  boat.Fill({Capsule(hip, shoulder, 2.9)}, coat);
  boat.Fill({Ellipse(head, 2.5, 2.8)}, Rgb{64, 46, 54});
  boat.Fill({Ellipse({head.x + 1, head.y + 0.6}, 1.5, 1.9)}, Rgb{168, 108, 92});  // the face, toward the stern
  boat.Fill({Ellipse({head.x - 0.2, head.y - 1.7}, 2.7, 1.5), Ellipse({head.x - 0.8, head.y - 3.4}, 0.9, 0.9)},
            Rgb{184, 50, 60});
  // The hull: a dory with a raised bow and a narrow transom.
  Outline hull{{9.5, 22.2}, {14, 24.4}, {24, 25.4}, {40, 25.8}, {56, 25.4}, {66, 24.7}, {71.5, 23.6},
               {71.2, kWater - 0.6}, {60, kWater}, {18, kWater}, {13.5, 27.4}};
  boat.Fill({hull}, Rgb{48, 32, 44});
  boat.Fill({Capsule({15, kWater - 1.5}, {68, kWater - 1.3}, 0.8)}, Rgb{30, 22, 34}, 0.8);
  boat.Fill({Capsule({9.8, 22.4}, {14, 24.5}, 0.55), Capsule({14, 24.5}, {24, 25.5}, 0.55),
             Capsule({24, 25.5}, {56, 25.5}, 0.55), Capsule({56, 25.5}, {71.3, 23.7}, 0.55)},
            Rgb{240, 160, 118}, 0.85);
  // The near arm and the oar, cut off where the blade is under water.
  boat.Fill({Capsule(shoulder, hands, 1.25)}, coat);
  boat.Fill({Capsule({shoulder.x - 1.4, shoulder.y + 0.2}, {shoulder.x + 1.6, shoulder.y + 0.6}, 1.1)},
            Rgb{214, 152, 72});  // the scarf
  const Point wet = blade.y > kWater ? Along(hands, blade, (kWater - hands.y) / (blade.y - hands.y)) : blade;
  boat.Fill({Capsule(hands, wet, 0.7)}, Rgb{104, 70, 56});
  if (blade.y <= kWater) {
    boat.Fill({Ellipse(blade, 3.3, 1.2, std::atan2(blade.y - hands.y, blade.x - hands.x))}, Rgb{120, 82, 62});
  } else {
    boat.Fill({Ellipse({wet.x, kWater + 0.5}, 2.2 + 2.5 * p, 0.8)}, Rgb{255, 232, 210}, 0.95);
  }
  // The wake: broken streaks of light drawn out behind the stern.
  std::vector<Outline> wake;
  for (int k = 0; k < 3; ++k) {
    const double x = 73 + 4 * k + 4 * phase;
    wake.push_back(Capsule({x, kWater + 0.4 + 0.5 * k}, {x + 2.6 - 0.5 * k, kWater + 0.4 + 0.5 * k}, 0.55));
  }
  boat.Fill(wake, Rgb{255, 224, 200}, 0.9);
  return boat;
}

// ---- the snow spirit ----

// A small cold light with a glittering halo, a twinkling star and three sparks circling it, at
// `phase` (0..1) of its pulse. The picture has no partial transparency, so the halo is dithered
// at random: specks of light that shimmer from frame to frame and read as glitter anywhere.
Sprite SnowSpirit(double phase, Rgb matte, std::mt19937& random) {
  constexpr int32_t kSize = 52;
  constexpr Point kCentre{kSize / 2.0, kSize / 2.0};
  Sprite spirit(kSize, kSize);
  const double pulse = 1 + 0.14 * std::sin(2 * kPi * phase);
  const Rgb ice{150, 194, 255}, white{250, 252, 255};
  for (int32_t y = 0; y < kSize; ++y) {
    for (int32_t x = 0; x < kSize; ++x) {
      const double d = std::hypot(x + 0.5 - kCentre.x, y + 0.5 - kCentre.y);
      const double core = Gauss(d, 3.8 * pulse);
      const double glow = std::min(1.0, 1.3 * core + 0.8 * std::exp(-d / (6 * pulse)));
      if (glow >= 0.45) {
        spirit.Lay(x, y, Mix(matte, Mix(ice, white, core), std::min(1.0, glow * 1.3)), 1);
      } else if (glow * 1.8 > random() / 4294967296.0 + 0.08) {
        spirit.Lay(x, y, Mix(matte, Mix(ice, white, 0.5), 0.75), 1);
      }
    }
  }
  // The star turns a quarter in one pulse, which looks the same again.
  std::vector<Outline> rays;
  for (int k = 0; k < 8; ++k) {
    const double angle = phase * kPi / 2 + k * kPi / 4;
    const double length = k % 2 == 0 ? 10 + 5 * std::sin(2 * kPi * phase) : 6;
    const Point tip{kCentre.x + length * std::cos(angle), kCentre.y + length * std::sin(angle)};
    const Point side{0.9 * -std::sin(angle), 0.9 * std::cos(angle)};
    const Point base{kCentre.x + 1.5 * std::cos(angle), kCentre.y + 1.5 * std::sin(angle)};
    rays.push_back({kCentre, {base.x + side.x, base.y + side.y}, tip, {base.x - side.x, base.y - side.y}});
  }
  spirit.Fill(rays, white);
  // Three sparks a third of a turn apart, each taking the next one's place in one pulse.
  std::vector<Outline> sparks;
  for (int k = 0; k < 3; ++k) {
    const double angle = 2 * kPi * (k + phase) / 3;
    const double radius = 17 + 2.5 * std::sin(2 * kPi * phase + k);
    const Point at{kCentre.x + radius * std::cos(angle), kCentre.y + radius * std::sin(angle)};
    sparks.push_back(Capsule({at.x - 1.8, at.y}, {at.x + 1.8, at.y}, 0.5));
    sparks.push_back(Capsule({at.x, at.y - 1.8}, {at.x, at.y + 1.8}, 0.5));
  }
  spirit.Fill(sparks, Rgb{236, 246, 255});
  return spirit;
}

// ---- the cabin ----

// Where the cabin's picture stands on the design frame. It is drawn there unscaled and does not
// move, so it is composed over the very background it covers: its shadow and the light from its
// window lie on the snow seamlessly, and only the rest is the flat key colour.
constexpr int32_t kCabinLeft = 944;
constexpr int32_t kCabinTop = 508;
constexpr int32_t kCabinWidth = 128;
constexpr int32_t kCabinHeight = 96;
constexpr TColor32 kCabinKey = Color32(255, 0, 255);

// The ground line under the cabin's walls: the near corner at x = 44 is lowest.
double CabinGround(double x) { return x < 44 ? 74 + 3 * (x - 24) / 20 : 77 - 2 * (x - 44) / 62; }

// Log walls: each log lighter in its middle than at its seams, counted up from the ground.
Rgb Logs(Rgb wood, double x, double y) {
  const double v = (CabinGround(x) - y) / 3.4;
  return wood * (0.62 + 0.38 * std::sin(kPi * (v - std::floor(v))));
}

// The log cabin on the right bank, in its picture's coordinates: the long side toward the viewer,
// the gable end toward the lake and the low sun, a lit window, and snow on the roof.
Sprite Cabin() {
  Sprite cabin(kCabinWidth, kCabinHeight);
  constexpr Point kFarGable{24, 74}, kNear{44, 77}, kFarSide{106, 75};
  constexpr Point kPeak{34, 36.5};
  constexpr Point kWindow{63, 63.2};
  // The shadow falls toward the viewer, leaning away from the sun as the firs' shadows do.
  // It fades as it leaves the walls, the light being that of the sky as much as of the sun.
  cabin.Fill({{kFarGable, kNear, kFarSide, {kFarSide.x + 7, kFarSide.y + 12}, {kNear.x + 8, kNear.y + 14},
               {kFarGable.x + 8, kFarGable.y + 14}}},
             [](int32_t, int32_t) { return Rgb{84, 88, 156}; },
             [](int32_t x, int32_t y) {
               return 0.45 * (1 - 0.75 * SmoothStep(CabinGround(x), CabinGround(x) + 15, y + 0.5));
             });
  for (int32_t y = 74; y < kCabinHeight; ++y) {
    for (int32_t x = 0; x < kCabinWidth; ++x) {
      cabin.Lay(x, y, {255, 178, 112}, 0.55 * Gauss(x - 64, 17) * Gauss(y - 82, 4.5));
    }
  }

  // The gable end catches the sunset; the long wall is in shade, warmed around the window.
  cabin.Fill({{kFarGable, kNear, {kNear.x, kNear.y - 23.5}, kPeak, {kFarGable.x, kFarGable.y - 22}}},
             [](int32_t x, int32_t y) { return Logs({156, 94, 84}, x + 0.5, y + 0.5); });
  cabin.Fill({{kNear, kFarSide, {kFarSide.x, kFarSide.y - 22}, {kNear.x, kNear.y - 23.5}}}, [&](int32_t x, int32_t y) {
    const Rgb wood = Logs({80, 56, 72}, x + 0.5, y + 0.5);
    return Mix(wood, {214, 128, 76}, 0.6 * Gauss(std::hypot(x + 0.5 - kWindow.x, (y + 0.5 - kWindow.y) * 1.3), 12));
  });
  std::vector<Outline> logEnds;
  for (int k = 0; k < 7; ++k) logEnds.push_back(Ellipse({kNear.x, kNear.y - 3.4 * (k + 0.5)}, 1.5, 1.5));
  cabin.Fill(logEnds, Rgb{170, 122, 98});

  // The window with its cross, the small gable window and the door.
  cabin.Fill({{{56, 58.2}, {70, 58.1}, {70, 68.2}, {56, 68.4}}}, Rgb{46, 30, 38});
  cabin.Fill({{{57.2, 59.4}, {68.8, 59.3}, {68.8, 67.1}, {57.2, 67.2}}}, [&](int32_t x, int32_t y) {
    return Mix({255, 170, 84}, {255, 232, 170}, Gauss(std::hypot(x + 0.5 - kWindow.x, y + 0.5 - kWindow.y), 5));
  });
  cabin.Fill({Capsule({kWindow.x, 59.4}, {kWindow.x, 67.1}, 0.5), Capsule({57.2, kWindow.y}, {68.8, kWindow.y}, 0.5)},
             Rgb{96, 58, 46});
  cabin.Fill({{{29.8, 56.6}, {37, 57.8}, {37, 65.2}, {29.8, 64.2}}}, Rgb{60, 36, 40});
  cabin.Fill({{{30.9, 57.9}, {35.9, 58.8}, {35.9, 64.1}, {30.9, 63.2}}}, Rgb{236, 150, 82});
  cabin.Fill({{{82, 60.6}, {91.5, 60.5}, {91.5, 76}, {82, 76.4}}}, Rgb{58, 38, 46});
  cabin.Fill({Ellipse({89.4, 68.8}, 0.7, 0.7)}, Rgb{220, 164, 112});

  // The roof under snow: a strip of its far side beside the gable, then the near side, shaded
  // toward the viewer and pink where it turns to the sky; the snow's edge hangs over the eaves.
  cabin.Fill({{{31.2, 35.8}, kPeak, {22.4, 53.4}, {18.8, 54.2}}}, Rgb{246, 204, 210});
  cabin.Fill({{{31.2, 35.8}, {98, 36.4}, {110.5, 55.4}, {42.5, 56}}}, [](int32_t x, int32_t y) {
    return Mix({240, 204, 218}, {150, 148, 204}, SmoothStep(36, 60, y + 0.5 + 0.15 * (x - 40)));
  });
  Outline eave{{42.5, 55.4}, {110.5, 54.8}};
  for (double x = 110.5; x >= 42.5; x -= 2) {
    eave.push_back({x, 57.6 + 0.8 * std::sin(x * 0.9) + 0.5 * std::sin(x * 0.37)});
  }
  cabin.Fill({eave}, Rgb{196, 190, 230});
  std::vector<Outline> icicles;
  for (double x : {49.0, 58.5, 66.0, 77.0, 95.5, 103.0}) {
    const double top = 57.6 + 0.8 * std::sin(x * 0.9);
    icicles.push_back({{x - 0.8, top}, {x + 0.8, top}, {x + 0.1, top + 2.5 + std::fmod(x, 3.0)}});
  }
  cabin.Fill(icicles, Rgb{222, 226, 250});
  cabin.Fill({Capsule({31.4, 36}, {42.6, 56}, 1.2), Capsule({31.4, 36}, {98, 36.4}, 0.8)}, Rgb{252, 222, 220});

  // The chimney, lit on its sunward side, with a cap of snow.
  cabin.Fill({{{81, 30}, {87.5, 30}, {87.5, 41.6}, {81, 42.2}}}, Rgb{90, 66, 80});
  cabin.Fill({{{81, 30}, {83.2, 30}, {83.2, 42}, {81, 42.2}}}, Rgb{156, 106, 102});
  cabin.Fill({Ellipse({84.2, 29.8}, 4.2, 1.8)}, Rgb{248, 234, 240});

  // Drifts banked against the walls.
  Outline drift;
  for (double x = 18; x <= 112; x += 2) {
    const double rise = 2.8 + 1.2 * std::sin(x * 0.45) + 0.6 * std::sin(x * 1.3) - SmoothStep(100, 112, x) * 2.5;
    drift.push_back({x, CabinGround(x) - rise});
  }
  drift.push_back({112, CabinGround(112) + 2.5});
  drift.push_back({18, CabinGround(18) + 2.5});
  cabin.Fill({drift}, [](int32_t x, int32_t y) {
    return Mix({244, 224, 232}, {178, 170, 212}, SmoothStep(-4, 2.5, y + 0.5 - CabinGround(x + 0.5)));
  });
  return cabin;
}

// The cabin over the background as the player decodes it, the rest in the key colour.
void PaintCabin(const TBitmap& background, TBitmap32& picture) {
  const Sprite cabin = Cabin();
  picture.SetSize(kCabinWidth, kCabinHeight);
  for (int32_t y = 0; y < kCabinHeight; ++y) {
    for (int32_t x = 0; x < kCabinWidth; ++x) {
      if (cabin.Alpha(x, y) < 0.02) {
        picture.PixelAt(x, y) = kCabinKey;
        continue;
      }
      const TColor32 under = background.Pixels32(kCabinTop + y)[kCabinLeft + x];
      const Rgb c = cabin.Over(x, y, {static_cast<double>(RedOf(under)), static_cast<double>(GreenOf(under)),
                                      static_cast<double>(BlueOf(under))});
      const TColor32 pixel = Color32(Channel(c.r), Channel(c.g), Channel(c.b));
      picture.PixelAt(x, y) = pixel == kCabinKey ? Color32(255, 1, 255) : pixel;  // the key marks nothing else
    }
  }
}

// ---- the objects' settings ----

struct Key {
  const char* name;
  int32_t value;
};

struct DemoObjects {
  std::string text;  // the object sections of the project
  std::vector<TSceneFile> pictures;
};

// The paths an authoring tool would store: the author's folder. A player finds each file by its
// name beside the project, or by the object's number in a package.
constexpr const char* kAuthorFolder = "C:\\Scenes\\Winter Evening\\";

class ObjectList {
 public:
  void Add(const char* type, const char* extension, std::string bytes, std::initializer_list<Key> keys) {
    const int index = static_cast<int>(objects_.pictures.size());
    const std::string name = "obj" + std::to_string(index) + extension;
    std::string& text = objects_.text;
    text += "[Obj" + std::to_string(index) + "]\r\nObjType=" + type + "\r\nFilename=" + kAuthorFolder + name + "\r\n";
    for (const Key& key : keys) text += std::string(key.name) + "=" + std::to_string(key.value) + "\r\n";
    text += "\r\n";
    objects_.pictures.push_back({name, std::move(bytes)});
  }
  DemoObjects Take() { return std::move(objects_); }

 private:
  DemoObjects objects_;
};

template <typename Paint>
std::string GifOf(int frames, Rgb matte, uint16_t delay, Paint paint) {
  std::vector<Sprite> sprites;
  for (int i = 0; i < frames; ++i) sprites.push_back(paint(static_cast<double>(i) / frames));
  return EncodeGif(SpriteGif(sprites, matte, delay));
}

// The objects in drawing order. Speeds: a step comes every 5 ms and covers on average
// MotionSpeed / 20 design pixels on a bounce track, about MotionSpeed x 6 pixels a second when
// wandering; an ellipse turns MotionSpeed / 100 degrees a step.
DemoObjects MakeObjects(const TBitmap& background) {
  ObjectList list;
  TBitmap32 cabin;
  PaintCabin(background, cabin);
  // Always there, never mirrored; bottom-left is the key colour.
  list.Add("IMG", ".bmp", BmpBytes(cabin),
           {{"PosLeft", kCabinLeft + kCabinWidth / 2}, {"PosTop", kCabinTop + kCabinHeight / 2}, {"Motion", 0},
            {"ObjFacing", 2}, {"DirFlip", 0}, {"Opacity", 10}, {"DisplaySec", 0}, {"DisplayDurationType", 0},
            {"Transparent", 1}, {"TransparentType", 1}, {"TransparentColor", 0}});
  // Rows left across the far lake at 20 pixels a second, through the sun's path, out of the
  // picture and back from the right shore. Its waterline lies at y = 552.
  const Rgb water{206, 156, 142};
  list.Add("GIF", ".gif", GifOf(8, water, 14, RowingBoat),
           {{"Motion", 5}, {"MotionSpeed", 2}, {"MotionAreaType", 1}, {"MoveAreaRectleft", 0}, {"MoveAreaRecttop", 536},
            {"MoveAreaRectright", 872}, {"MoveAreaRectbottom", 552}, {"RestrictArea", 0}, {"PosLeftType", 0},
            {"PosLeft", 700}, {"PosTopType", 0}, {"PosTop", 543}, {"InitialDir", 1}, {"ObjFacing", 0},
            {"DirFlip", 0}, {"Opacity", 10}, {"DisplaySec", 0}, {"DisplayDurationType", 0}, {"AnimSpeed", 10},
            {"Transparent", 1}, {"TransparentType", 0}, {"RefreshFrame", 0}});
  // Circles over the lake and the mountains, one turn in 45 s, from the bottom of its ellipse;
  // each showing is one turn, so the next one starts where this one ends.
  const Rgb dusk{176, 140, 170};
  std::mt19937 glitter(41);
  list.Add("GIF", ".gif", GifOf(8, dusk, 10, [&](double phase) { return SnowSpirit(phase, dusk, glitter); }),
           {{"Motion", 7}, {"MotionSpeed", 4}, {"MotionAreaType", 1}, {"MoveAreaRectleft", 170},
            {"MoveAreaRecttop", 300}, {"MoveAreaRectright", 890}, {"MoveAreaRectbottom", 650}, {"RestrictArea", 1},
            {"ObjFacing", 2}, {"DirFlip", 0}, {"Opacity", 10}, {"DisplaySec", 0}, {"DisplayDurationType", 1},
            {"DisplayDurationSec", 45}, {"Redisplay", 1}, {"ResetPos", 1}, {"AnimSpeed", 10}, {"Transparent", 1},
            {"TransparentType", 0}, {"RefreshFrame", 0}});
  // Comes in from the left after 6 s, roams the sky for 34 s, leaves and comes back. Drawn facing
  // right, it turns to face the way it flies.
  const Rgb sky{72, 60, 112};
  list.Add("GIF", ".gif", GifOf(6, sky, 8, Raven),
           {{"Motion", 1}, {"MotionSpeed", 8}, {"MotionAreaType", 1}, {"MoveAreaRectleft", 0}, {"MoveAreaRecttop", 50},
            {"MoveAreaRectright", kWidth}, {"MoveAreaRectbottom", 290}, {"RestrictArea", 0}, {"PosLeftType", 1},
            {"PosTopType", 4}, {"InitialDir", 2}, {"ObjFacing", 1}, {"DirFlip", 1}, {"Opacity", 10},
            {"DisplaySec", 6}, {"DisplayDurationType", 1}, {"DisplayDurationSec", 34}, {"Redisplay", 1},
            {"ResetPos", 1}, {"AnimSpeed", 10}, {"Transparent", 1}, {"TransparentType", 0}, {"RefreshFrame", 0}});
  return list.Take();
}

// ---- the project ----

struct WaveSetting {
  int32_t amplitude, frequency, speed, direction, jitter;
  bool shiftColumns, perspective, reflection;
};

TWaveParam MakeWave(const WaveSetting& setting) {
  TWaveParam wave = TWaveParam::Defaults();
  wave.SetAmplitude(setting.amplitude);
  wave.SetFrequency(setting.frequency);
  wave.SetSpeed(setting.speed);
  wave.SetDirection(setting.direction);
  wave.SetJitter(setting.jitter);
  wave.SetRipple(true);
  wave.SetShiftColumns(setting.shiftColumns);
  wave.SetPerspective(setting.perspective);
  wave.SetReflection(setting.reflection);
  return wave;
}

// Every region uses direction 1: the waves roll down the picture, toward the viewer on the lake
// and downstream on the river. It is also one of the two directions in which jitter acts, and
// the river's jitter breaks its current into a glitter, column by column.
std::array<TWaveParam, kWaveCount> DemoWaves() {
  std::array<TWaveParam, kWaveCount> waves = TProjectFile::DefaultWaves();
  // A calm mirror far out: low, slow waves that only make the reflection tremble.
  waves[kFarLake - 1] = MakeWave({3, 30, 8, 1, 0, false, false, true});
  // Near by, waves that grow from nothing where the calm water ends to their full height in front.
  waves[kNearLake - 1] = MakeWave({6, 26, 10, 1, 0, false, true, false});
  // The river: short, quicker waves that also sway sideways.
  waves[kRiver - 1] = MakeWave({2, 40, 18, 1, 4, true, false, false});
  return waves;
}

struct DemoScene {
  std::string project;
  std::vector<TSceneFile> pictures;
};

DemoScene MakeDemo() {
  TBitmap32 background;
  std::vector<uint8_t> regions;
  PaintDemo(background, regions);
  TBitmap32 thumbnail;
  thumbnail.SetSize(80, 50);
  background.StretchFilter = TStretchFilter::sfDraft;
  thumbnail.Draw(Rect(0, 0, 80, 50), Rect(0, 0, kWidth, kHeight), background);

  TProjectFile project;
  project.Title = "Winter Evening at the Lake";
  project.Description =
      "Snow falls on a quiet lake at sunset, where the mountains and the low sun mirror in the ripples and a river "
      "winds in from the wooded hills. A boat rows home past the cabin on the bank, a raven passes and a snow "
      "spirit circles over the water.";
  project.ThumbnailJpeg = EncodeJpeg(thumbnail, 85);
  project.BackgroundJpeg = EncodeJpeg(background, 92);
  project.Runs = EncodeRegionRuns(kWidth, kHeight, regions);
  project.Waves = DemoWaves();
  project.Weather.SetKind(1);
  project.Weather.SetCount(420);
  project.Weather.SetSpeedIndex(6);
  project.Weather.SetAngle(90);
  project.Weather.SetDropLength(10);
  project.Weather.SetDensity(7);
  project.BuildSettings = "[BuildScr],\"Filename=Winter Evening.scr\",MusicFile=,Music=0,Sound=1";

  // The cabin is composed over the background as players will decode it.
  TBitmap decoded;
  decoded.SetPixelFormat(TPixelFormat::pf32bit);
  DecodeJpeg(reinterpret_cast<const uint8_t*>(project.BackgroundJpeg.data()), project.BackgroundJpeg.size(), decoded);
  DemoObjects objects = MakeObjects(decoded);
  project.ObjectText = std::move(objects.text);
  return {ProjectFileBytes(project), std::move(objects.pictures)};
}

}  // namespace

int RunDemo(const Arguments& args) {
  ParsedArguments parsed = ParseArguments(args, {"out"}, {});
  if (!parsed.positional.empty() || !parsed.Has("out")) throw UsageError("demo needs --out DIR");
  const DemoScene scene = MakeDemo();
  WriteSceneFolder(parsed.Value("out"), scene.project, scene.pictures);
  std::printf("wrote the demo scene into %s\n", parsed.Value("out").c_str());
  return 0;
}

}  // namespace lumora::tools

// vxscene demo: the background picture and its water regions.
//
// The picture is painted in floating point, back to front: sky, clouds, mountain layers, the far
// shore's forest, a snowy bank with a river, the lake, a spit of snow in front. Shapes are
// anti-aliased polygons (TPolygon32) used as coverage masks; colours come from small functions
// of the pixel position. Every random choice comes from generators with fixed seeds, so every
// run writes the same scene.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "DemoScene.h"
#include "surface/uBitmap32.h"

namespace lumora::tools::demo {
namespace {

// The far shore. The engine mirrors each reflecting region about its top row, so the lake's top
// edge is one straight row and the sun, mountains and forest stand right above it.
constexpr int32_t kWaterLine = 470;
// Where the mirror-calm far lake hands over to the near water with its perspective waves.
constexpr int32_t kNearWater = 640;
constexpr double kSunX = 560;
constexpr double kSunY = 402;
constexpr double kSunRadius = 17;

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
  return {{x - width * 0.4, base},
          {x + width * 0.4, base},
          {x + lean + width * 0.1, base + length},
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

}  // namespace

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

}  // namespace lumora::tools::demo

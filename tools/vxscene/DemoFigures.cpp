// vxscene demo: the objects' pictures.
//
// Four objects live in the scene: a log cabin on the right bank (a still picture), a rowing boat
// crossing the far lake, a snow spirit circling over the water and a raven that comes and goes.
// Their pictures are painted like the background, as anti-aliased shapes, but on small canvases
// that keep each pixel's coverage, so that a picture can be laid over whatever it passes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "DemoScene.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"

namespace lumora::tools::demo {
namespace {

constexpr double kPi = std::numbers::pi;

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

}  // namespace

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
  static constexpr std::array<Point, 17> kWing = {{{3, 0},
                                                   {4.5, 0.2},
                                                   {4, 0.45},
                                                   {0, 0.7},
                                                   {-5, 1},
                                                   {-7, 0.92},
                                                   {-8.5, 0.97},
                                                   {-9.5, 0.86},
                                                   {-11.5, 0.89},
                                                   {-12, 0.79},
                                                   {-13.5, 0.79},
                                                   {-13.5, 0.67},
                                                   {-12.5, 0.55},
                                                   {-12, 0.4},
                                                   {-11.5, 0.2},
                                                   {-10, 0.08},
                                                   {-8, 0}}};
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
  bird.Fill({Ellipse({28, 41}, 8.5, 4.2, -0.1),
             Ellipse({33, 40}, 3.6, 3.6),
             Ellipse({37.5, 38.6}, 3.5, 3.3),
             {{40, 37}, {46, 38.8}, {40.5, 40.6}},                                // the heavy beak
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
  Outline hull{{9.5, 22.2},  {14, 24.4},           {24, 25.4},   {40, 25.8},   {56, 25.4},  {66, 24.7},
               {71.5, 23.6}, {71.2, kWater - 0.6}, {60, kWater}, {18, kWater}, {13.5, 27.4}};
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

namespace {

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
  cabin.Fill(
      {{kFarGable,
        kNear,
        kFarSide,
        {kFarSide.x + 7, kFarSide.y + 12},
        {kNear.x + 8, kNear.y + 14},
        {kFarGable.x + 8, kFarGable.y + 14}}},
      [](int32_t, int32_t) {
        return Rgb{84, 88, 156};
      },
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
             [](int32_t x, int32_t y) {
               return Logs({156, 94, 84}, x + 0.5, y + 0.5);
             });
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

}  // namespace

// The cabin over the background as the player decodes it, the rest in the key colour.
void PaintCabin(const TBitmap& background, TBitmap32& picture) {
  const Sprite cabin = Cabin();
  const auto under = [&background](int32_t x, int32_t y) { return background.Pixels32(kCabinTop + y)[kCabinLeft + x]; };
  double sum[3] = {0, 0, 0};
  int count = 0;
  for (int32_t y = 0; y < kCabinHeight; ++y) {
    for (int32_t x = 0; x < kCabinWidth; ++x) {
      if (cabin.Alpha(x, y) >= 0.02) continue;
      sum[0] += RedOf(under(x, y)), sum[1] += GreenOf(under(x, y)), sum[2] += BlueOf(under(x, y));
      ++count;
    }
  }
  const TColor32 key = Color32(Channel(sum[0] / count), Channel(sum[1] / count), Channel(sum[2] / count));
  picture.SetSize(kCabinWidth, kCabinHeight);
  for (int32_t y = 0; y < kCabinHeight; ++y) {
    for (int32_t x = 0; x < kCabinWidth; ++x) {
      if (cabin.Alpha(x, y) < 0.02) {
        picture.PixelAt(x, y) = key;
        continue;
      }
      const TColor32 below = under(x, y);
      const Rgb c = cabin.Over(
          x, y, {static_cast<double>(RedOf(below)), static_cast<double>(GreenOf(below)), static_cast<double>(BlueOf(below))});
      const TColor32 pixel = Color32(Channel(c.r), Channel(c.g), Channel(c.b));
      picture.PixelAt(x, y) = pixel == key ? (pixel ^ 1) : pixel;  // the key marks nothing else
    }
  }
}

}  // namespace lumora::tools::demo

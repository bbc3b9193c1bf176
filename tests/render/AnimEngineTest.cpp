// The water effect against a slow, literal computation of its formulas, plus its edge cases.
#include "render/uAnimEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <random>

#include "base/uTicks.h"
#include "project/uFileIO.h"
#include "project/uVXProject.h"
#include "support/TempDir.h"
#include "surface/uCodecs.h"
#include "weather/uRain.h"

namespace lumora {
namespace {

// A scene given as plain arrays: background pixels and region numbers 0..6 per pixel.
struct Scene {
  int32_t W = 40;
  int32_t H = 30;
  std::vector<uint32_t> background;
  std::vector<int> regions;
  std::array<TWaveParam, 8> waves;

  Scene(int32_t width, int32_t height, uint32_t seed) : W(width), H(height) {
    std::mt19937 random(seed);
    for (int32_t i = 0; i < W * H; ++i) background.push_back(0xFF000000u | (random() & 0xFFFFFF));
    regions.assign(static_cast<size_t>(W * H), 0);
    waves.fill(TWaveParam::Defaults());
    for (TWaveParam& wave : waves) wave.SetPerspective(false);
  }
  void SetRegion(int region, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    for (int32_t y = top; y < bottom; ++y) {
      for (int32_t x = left; x < right; ++x) regions[static_cast<size_t>(y * W + x)] = region;
    }
  }
  void ToProject(TProject& project) const {
    project.Background.SetSize(W, H);
    project.RegionMask.SetSize(W, H);
    for (int32_t y = 0; y < H; ++y) {
      for (int32_t x = 0; x < W; ++x) {
        project.Background.Pixels32(y)[x] = background[static_cast<size_t>(y * W + x)];
        project.RegionMask.Pixels32(y)[x] = RegionColors[static_cast<size_t>(regions[static_cast<size_t>(y * W + x)])];
      }
    }
    project.WaveParams = waves;
    project.Width = W;
    project.Height = H;
  }
};

double RoundHalfEven(double v) { return std::nearbyint(v); }

// The scenery mirrored into reflecting regions, computed the plain way.
std::vector<uint32_t> ReferenceSource(const Scene& sc) {
  std::vector<uint32_t> source = sc.background;
  int top[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
  for (int32_t y = 0; y < sc.H; ++y) {
    for (int32_t x = 0; x < sc.W; ++x) {
      const int n = sc.regions[static_cast<size_t>(y * sc.W + x)];
      if (n == 0 || !sc.waves[static_cast<size_t>(n - 1)].Reflection()) continue;
      if (top[n] == -1) top[n] = y;
      const int d = 2 * top[n] - y - 1;
      if (d >= 0) source[static_cast<size_t>(y * sc.W + x)] = sc.background[static_cast<size_t>(d * sc.W + x)];
    }
  }
  return source;
}

// One frame of the water effect, transcribed step by step from its definition.
std::vector<uint32_t> ReferenceFrame(const Scene& sc, const TAnimEngine& engine, const std::vector<uint32_t>& previous,
                                     const std::array<int64_t, 8>& phase) {
  const std::vector<uint32_t> source = ReferenceSource(sc);
  const int32_t W = sc.W, H = sc.H;
  auto map = [&](int64_t x, int64_t y) { return sc.regions[static_cast<size_t>(y * W + x)] - 1; };
  int top[8], bottom[8];
  for (int r = 0; r < 8; ++r) {
    top[r] = 50000;
    bottom[r] = 0;
  }
  for (int32_t y = 0; y < H; ++y) {
    for (int32_t x = 0; x < W; ++x) {
      const int r = map(x, y);
      if (r < 0) continue;
      top[r] = std::min(top[r], y);
      bottom[r] = std::max(bottom[r], y);
    }
  }
  double cosTable[361];
  for (int i = 0; i <= 360; ++i) cosTable[i] = std::cos(i * std::numbers::pi / 180);
  double A[8], Q[8], dA[8] = {}, dQ[8] = {};
  int64_t rowY[8] = {}, rowX[8] = {};
  for (int r = 0; r < 8; ++r) {
    const TWaveParam& w = sc.waves[static_cast<size_t>(r)];
    A[r] = w.Amplitude();
    Q[r] = w.Frequency() / (360.0 / w.Period());
    if (w.Perspective()) {
      A[r] = 0;
      const int h = bottom[r] - top[r];
      dA[r] = h != 0 ? static_cast<double>(w.Amplitude()) / h : w.Amplitude();
      dQ[r] = h != 0 ? Q[r] / h : Q[r];
    }
  }
  std::vector<uint32_t> out = previous;
  for (int32_t y = 0; y < H; ++y) {
    for (int r = 0; r < 8; ++r) {
      if (y < top[r] || y > bottom[r]) continue;
      const TWaveParam& w = sc.waves[static_cast<size_t>(r)];
      if (w.Perspective()) {
        A[r] += dA[r];
        Q[r] -= 0.8 * dQ[r];
      }
      const auto g = static_cast<int64_t>(
          RoundHalfEven((H - y) * Q[r] * 360 / H + static_cast<double>(phase[static_cast<size_t>(r)])));
      rowY[r] = static_cast<int64_t>(RoundHalfEven(cosTable[std::llabs((g % w.Period()) % 360)] * A[r]));
      rowX[r] =
          static_cast<int64_t>(RoundHalfEven(std::cos(static_cast<double>(g % 360) * std::numbers::pi / 180) * A[r]));
    }
    for (int32_t x = 0; x < W; ++x) {
      const int r = map(x, y);
      if (r < 0) continue;
      const TWaveParam& w = sc.waves[static_cast<size_t>(r)];
      const int D = w.Direction();
      const int64_t J = engine.JitterAt(r, x);
      int64_t s;
      if (w.Ripple()) {
        if (D == 3 || D == 4 || D == 2 || D == 5) {
          const int64_t column = (D == 3 || D == 4) ? x : W - 1 - x;
          const auto v = static_cast<int64_t>(RoundHalfEven(column * Q[r] / 2 * (H - y / 2.0) / H +
                                                            static_cast<double>(phase[static_cast<size_t>(r)])));
          rowY[r] = static_cast<int64_t>(RoundHalfEven(cosTable[std::llabs((v % w.Period()) % 360)] * A[r]));
        }
        s = y + rowY[r] - (D < 2 ? J : 0);
      } else {
        s = y - J;
      }
      s = std::clamp<int64_t>(s, 0, H - 1);
      const int64_t t = std::clamp<int64_t>(y - (D < 2 ? J : 0), 0, H - 1);
      int64_t col = x;
      if (w.ShiftColumns()) col = std::clamp<int64_t>(x - rowX[r], 0, W - 1);
      if (map(col, t) == r && map(col, s) == r)
        out[static_cast<size_t>(t * W + x)] = source[static_cast<size_t>(s * W + col)];
    }
  }
  return out;
}

std::vector<uint32_t> Pixels(const TBitmap32& surface) {
  return std::vector<uint32_t>(surface.Bits(), surface.Bits() + surface.Width() * surface.Height());
}

std::array<int64_t, 8> Phases(const TAnimEngine& engine) {
  std::array<int64_t, 8> phases{};
  for (int r = 0; r < 8; ++r) phases[static_cast<size_t>(r)] = engine.Phase(r);
  return phases;
}

// Runs the engine over `frames` steps of varying length and compares every frame with the
// reference computation.
void ExpectFramesMatchReference(const Scene& sc, int frames) {
  TManualTicks ticks(5000);
  TProject project;
  sc.ToProject(project);
  TAnimEngine engine;
  engine.SetProject(project);
  engine.Prepare();
  std::vector<uint32_t> expected = sc.background;
  ASSERT_EQ(Pixels(engine.FrameSurface()), expected) << "after Prepare the water is the plain background";
  const uint32_t steps[] = {32, 50, 25, 17, 1000, 3, 64};
  for (int f = 0; f < frames; ++f) {
    const auto phases = Phases(engine);
    ticks.Advance(steps[f % 7]);
    engine.StepFrame();
    expected = ReferenceFrame(sc, engine, expected, phases);
    ASSERT_EQ(Pixels(engine.FrameSurface()), expected) << "frame " << f;
  }
}

TEST(WaterReference, TwoRegionsWithoutJitter) {
  Scene sc(40, 30, 1);
  sc.SetRegion(1, 0, 12, 25, 30);
  sc.SetRegion(2, 25, 15, 40, 30);
  sc.SetRegion(0, 8, 20, 12, 24);  // an island
  sc.waves[0].SetAmplitude(3);
  sc.waves[0].SetFrequency(5);
  sc.waves[1].SetAmplitude(4);
  sc.waves[1].SetDirection(0);
  sc.waves[1].SetPerspective(true);
  ExpectFramesMatchReference(sc, 12);
}

TEST(WaterReference, EveryDirectionAndOptionAgainstTheReference) {
  std::mt19937 random(20261208);
  for (int trial = 0; trial < 400; ++trial) {
    SCOPED_TRACE(trial);
    Scene sc(17 + static_cast<int32_t>(random() % 40), 9 + static_cast<int32_t>(random() % 30), random());
    for (int region = 1; region <= 6; ++region) {
      const int32_t left = static_cast<int32_t>(random() % sc.W), top = static_cast<int32_t>(random() % sc.H);
      sc.SetRegion(region, left, top, std::min<int32_t>(sc.W, left + 1 + static_cast<int32_t>(random() % sc.W)),
                   std::min<int32_t>(sc.H, top + 1 + static_cast<int32_t>(random() % sc.H)));
      TWaveParam& w = sc.waves[static_cast<size_t>(region - 1)];
      w.SetAmplitude(static_cast<int32_t>(random() % 9));
      w.SetFrequency(static_cast<int32_t>(random() % 40));
      w.SetSpeed(static_cast<int32_t>(random() % 60) - 10);
      w.SetDirection(static_cast<int32_t>(random() % 7));
      w.SetShiftColumns(random() % 2);
      w.SetRipple(random() % 4 != 0);
      w.SetPerspective(random() % 2);
      w.SetPeriod(random() % 3 == 0 ? 180 : 360);
      w.SetJitter(static_cast<int32_t>(random() % 5));
      w.SetReflection(random() % 3 == 0);
    }
    ExpectFramesMatchReference(sc, 14);
  }
}

TEST(WaterPhase, AdvancesBySpeedTimesElapsedTime) {
  TManualTicks ticks;
  Scene sc(8, 4, 2);
  sc.waves[0].SetSpeed(15);
  sc.waves[1].SetSpeed(15);
  sc.waves[1].SetDirection(0);  // 0, 4 and 5 move the phase backwards
  TProject project;
  sc.ToProject(project);
  TAnimEngine engine;
  engine.SetProject(project);
  engine.Prepare();
  ticks.Advance(50);
  engine.StepFrame();
  EXPECT_EQ(engine.Phase(0), 15);
  EXPECT_EQ(engine.Phase(1), -15);
  ticks.Advance(25);
  engine.StepFrame();
  EXPECT_EQ(engine.Phase(0), 23);  // round(7.5) = 8

  project.SetSpeed(200);  // the engine copies the speed when the project is set
  engine.SetProject(project);
  engine.Prepare();
  ticks.Advance(50);
  engine.StepFrame();
  EXPECT_EQ(engine.Phase(0), 30);
}

TEST(WaterEdges, SamplesNeverComeFromLandOrAnotherRegion) {
  Scene sc(10, 12, 3);
  sc.SetRegion(1, 0, 6, 10, 9);
  sc.SetRegion(2, 0, 9, 10, 12);
  sc.waves[0].SetAmplitude(20);  // far larger than the region
  sc.waves[0].SetFrequency(1);
  ExpectFramesMatchReference(sc, 6);

  // With such a displacement every sample falls outside region 1: the frame stays the
  // background there.
  TManualTicks ticks;
  TProject project;
  sc.waves[0].SetPeriod(360);
  sc.ToProject(project);
  TAnimEngine engine;
  engine.SetProject(project);
  engine.Prepare();
  ticks.Advance(32);
  engine.StepFrame();
  for (int32_t y = 6; y < 9; ++y) {
    for (int32_t x = 0; x < 10; ++x)
      EXPECT_EQ(engine.FrameSurface().PixelAt(x, y), sc.background[static_cast<size_t>(y * 10 + x)]);
  }
}

TEST(WaterEdges, SingleRowPerspectiveRegionUsesTheWholeAmplitude) {
  Scene sc(6, 10, 4);
  sc.SetRegion(1, 0, 3, 6, 4);
  sc.SetRegion(2, 0, 4, 6, 10);  // one region's single row, over another region
  sc.waves[0].SetPerspective(true);
  sc.waves[0].SetAmplitude(5);
  ExpectFramesMatchReference(sc, 4);
}

TEST(WaterEdges, ReflectionMirrorsTheRowsAboveTheWaterLine) {
  TManualTicks ticks;
  Scene sc(5, 8, 5);
  sc.SetRegion(1, 0, 3, 5, 8);
  sc.waves[0].SetReflection(true);
  sc.waves[0].SetAmplitude(0);  // a still mirror: every pixel samples itself
  TProject project;
  sc.ToProject(project);
  TAnimEngine engine;
  engine.SetProject(project);
  engine.Prepare();
  ticks.Advance(32);
  engine.StepFrame();
  for (int32_t k = 0; k < 5; ++k) {
    for (int32_t x = 0; x < 5; ++x) {
      const int32_t mirrored = 3 - k - 1;
      const uint32_t expected = mirrored >= 0 ? sc.background[static_cast<size_t>(mirrored * 5 + x)]
                                              : sc.background[static_cast<size_t>((3 + k) * 5 + x)];
      EXPECT_EQ(engine.FrameSurface().PixelAt(x, 3 + k), expected) << "row " << 3 + k;
    }
  }
}

TEST(WaterEdges, DirectionsTwoAndFiveMirrorThreeAndFour) {
  for (auto [mirror, plain] : {std::pair{2, 3}, std::pair{5, 4}}) {
    Scene left(23, 16, 6);
    left.SetRegion(1, 0, 4, 23, 16);
    left.waves[0].SetAmplitude(3);
    left.waves[0].SetFrequency(40);
    left.waves[0].SetDirection(plain);
    Scene right = left;
    right.waves[0].SetDirection(mirror);
    for (int32_t y = 0; y < 16; ++y) {  // the mirrored scene's picture
      for (int32_t x = 0; x < 23; ++x)
        right.background[static_cast<size_t>(y * 23 + x)] = left.background[static_cast<size_t>(y * 23 + 22 - x)];
    }
    std::vector<uint32_t> frames[2];
    int i = 0;
    for (Scene* sc : {&left, &right}) {
      TManualTicks ticks;
      TProject project;
      sc->ToProject(project);
      TAnimEngine engine;
      engine.SetProject(project);
      engine.Prepare();
      ticks.Advance(100);
      engine.StepFrame();
      ticks.Advance(100);
      engine.StepFrame();
      frames[i++] = Pixels(engine.FrameSurface());
    }
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 0; x < 23; ++x) {
        ASSERT_EQ(frames[0][static_cast<size_t>(y * 23 + x)], frames[1][static_cast<size_t>(y * 23 + 22 - x)])
            << plain << " " << x << "," << y;
      }
    }
    EXPECT_NE(frames[0], left.background);  // the waves did move something
  }
}

TEST(WaterEdges, WithoutRegionColoursFramesEqualTheBackground) {
  TManualTicks ticks;
  Scene sc(12, 9, 7);
  TProject project;
  sc.ToProject(project);
  for (int32_t y = 0; y < 9; ++y) project.RegionMask.Pixels32(y)[3] = 0x00FFFFFF;  // white: no region
  TAnimEngine engine;
  engine.SetProject(project);
  engine.Prepare();
  for (int f = 0; f < 3; ++f) {
    ticks.Advance(40);
    engine.StepFrame();
    EXPECT_EQ(Pixels(engine.FrameSurface()), sc.background);
  }
}

TEST(WaterEdges, OddRecordsAndEmptyProjects) {
  // A period of 0 is taken as 360, and a mask smaller than the picture is no region outside.
  Scene sc(10, 10, 8);
  sc.SetRegion(1, 0, 5, 10, 10);
  sc.waves[0].SetPeriod(0);
  TManualTicks ticks;
  TProject project;
  sc.ToProject(project);
  project.RegionMask.SetSize(4, 7);
  for (int32_t y = 0; y < 7; ++y)
    std::fill(project.RegionMask.Pixels32(y), project.RegionMask.Pixels32(y) + 4, RegionColors[1]);
  TAnimEngine engine;
  engine.SetProject(project);
  engine.Prepare();
  ticks.Advance(40);
  engine.StepFrame();
  EXPECT_EQ(engine.RegionAt(3, 6), 0);
  EXPECT_EQ(engine.RegionAt(4, 6), -1);
  EXPECT_EQ(engine.RegionAt(0, 7), -1);

  TProject empty;
  TAnimEngine idle;
  idle.SetProject(empty);
  idle.ShowClock = true;
  idle.Prepare();
  idle.SetWeather(true);
  ticks.Advance(40);
  idle.StepFrame();
  EXPECT_TRUE(idle.FrameSurface().Empty());
}

class CompositionTest : public ::testing::Test {
 protected:
  CompositionTest() : scene_(160, 120, 9) {
    scene_.SetRegion(1, 0, 60, 160, 120);
    scene_.waves[0].SetAmplitude(2);
    scene_.ToProject(project_);
    engine_.SetProject(project_);
  }
  TManualTicks ticks_;
  Scene scene_;
  TProject project_;
  TAnimEngine engine_;
};

TEST_F(CompositionTest, WaterIsTheFrameWhenNothingIsOverlaid) {
  engine_.Prepare();
  engine_.SetWeather(false);
  ticks_.Advance(32);
  engine_.StepFrame();
  EXPECT_EQ(&engine_.FrameSurface(), &engine_.WaterSurface());
  EXPECT_TRUE(engine_.OutputSurface().Empty());  // never even sized
}

TEST_F(CompositionTest, FlakesGoOverTheWaterAndTheClockOverTheFlakes) {
  project_.Weather.SetKind(1);
  project_.Weather.SetCount(1000);
  project_.Weather.SetSpeedIndex(10);
  project_.Weather.SetDensity(10);
  engine_.ShowClock = true;
  engine_.Clock().ClockPos = 0;
  engine_.Clock().TimeSource = [] { return platform::TTimeOfDay{10, 10, 30}; };
  engine_.Prepare();
  engine_.SetWeather(true);
  // Opaque black marks, so that a flake drawn over one would show.
  engine_.Clock().ClockColor = 0x000000;
  engine_.Clock().ClockAlpha = 255;
  ticks_.Advance(32);
  engine_.StepFrame();

  const TBitmap32& frame = engine_.FrameSurface();
  ASSERT_EQ(&frame, &engine_.OutputSurface());
  ASSERT_EQ(engine_.Clock().ClockWidth(), 20);  // an eighth of the width
  int brighter = 0;
  for (int32_t y = 40; y < 120; ++y) {
    for (int32_t x = 0; x < 160; ++x) {
      const TColor32 water = engine_.WaterSurface().PixelAt(x, y), shown = frame.PixelAt(x, y);
      if (shown == water) continue;
      ++brighter;  // a flake: white blended over the water, never darker
      ASSERT_GE(RedOf(shown), RedOf(water));
      ASSERT_GE(GreenOf(shown), GreenOf(water));
    }
  }
  EXPECT_GT(brighter, 500);
  // Nothing is drawn after the clock: wherever its marks cover a pixel whole (black over the
  // white of a scratch frame), the frame shows the mark, flakes or not.
  TBitmap32 scratch;
  scratch.SetSize(160, 120);
  scratch.Clear(0xFFFFFFFF);
  const TPoint at = engine_.Clock().ClockPosition(160, 120);
  engine_.Clock().RenderOnto(scratch, at, [](const TRect&) {});
  int covered = 0;
  for (int32_t y = 0; y < 120; ++y) {
    for (int32_t x = 0; x < 160; ++x) {
      if ((scratch.PixelAt(x, y) & 0xFFFFFF) != 0) continue;
      ++covered;
      ASSERT_EQ(frame.PixelAt(x, y) & 0xFFFFFF, 0u) << x << "," << y;
    }
  }
  EXPECT_GT(covered, 20);
}

TEST_F(CompositionTest, ObjectsAreDrawnInListOrderAtTheirRoundedRectangles) {
  // A 2 x 1 GIF, red then green, drawn 1.25 times as wide (nearest pixel). Object 0's centre at
  // 19 puts it at 18 .. 20.5 and object 1's at 20 puts it at 19 .. 21.5: halves go to the even
  // side, so object 0 covers 18 and 19, object 1 covers 19 to 21 and lies over object 0 at 19.
  // Object 2 is mirrored: green then red.
  testing::TempDir dir;
  TGifImage gif;
  gif.Width = 2;
  gif.Height = 1;
  gif.GlobalColors = {{200, 0, 0}, {0, 200, 0}};
  gif.Frames.resize(1);
  gif.Frames[0].Width = 2;
  gif.Frames[0].Height = 1;
  gif.Frames[0].Indices = {0, 1};
  const std::string file = dir.Write("pair.gif", EncodeGif(gif));
  std::string text;
  const int centres[] = {19, 20, 41};
  for (int i = 0; i < 3; ++i) {
    text += "[Obj" + std::to_string(i) + "]\nObjType=GIF\nFilename=" + file +
            "\nPosLeft=" + std::to_string(centres[i]) + "\nPosTop=10\nWidthSize=125\nMotion=0\n";
  }
  project_.Objects.Threaded = false;
  project_.Objects.LoadFromText(text);
  engine_.Prepare();
  project_.Objects.Items(2).Mirrored = true;
  ticks_.Advance(32);
  engine_.StepFrame();

  constexpr TColor32 kRed = 0xFFC80000, kGreen = 0xFF00C800;
  const std::map<int32_t, TColor32> drawn = {{18, kRed},   {19, kRed},   {20, kRed},
                                             {21, kGreen}, {40, kGreen}, {41, kRed}};
  const TBitmap32& frame = engine_.FrameSurface();
  for (int32_t y = 8; y < 13; ++y) {
    for (int32_t x = 10; x < 50; ++x) {
      const auto at = drawn.find(x);
      const TColor32 expected = y == 10 && at != drawn.end() ? at->second : engine_.WaterSurface().PixelAt(x, y);
      EXPECT_EQ(frame.PixelAt(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(CompositionTest, RainTakesTheMirroredAngle) {
  project_.Weather.SetKind(2);
  project_.Weather.SetCount(10);
  project_.Weather.SetAngle(60);
  project_.Weather.SetDropLength(10);
  project_.Weather.SetDensity(6);
  engine_.Prepare();
  engine_.SetWeather(true);
  ticks_.Advance(32);
  engine_.StepFrame();
  ASSERT_NE(engine_.Rain(), nullptr);
  EXPECT_EQ(engine_.Rain()->Angle, 120);
  EXPECT_EQ(engine_.Rain()->Count(), 10);
  engine_.SetWeather(false);
  EXPECT_EQ(engine_.Rain(), nullptr);
}

// A scene where everything moves: swaying water with jitter writes beside its own pixels,
// objects move, flakes or drops fall, the clock ticks. The same scene made twice runs the same.
struct MovingScene {
  MovingScene(const std::string& gifFile, int weatherKind) {
    Scene sc(160, 120, 21);
    sc.SetRegion(1, 0, 60, 90, 120);
    sc.SetRegion(2, 90, 50, 160, 120);
    sc.waves[1].SetShiftColumns(true);
    sc.waves[1].SetJitter(3);
    sc.waves[1].SetPerspective(false);
    sc.ToProject(project);
    project.Weather.SetKind(weatherKind);
    project.Weather.SetCount(150);
    project.Weather.SetSpeedIndex(10);
    project.Weather.SetDensity(8);
    std::string text;
    for (int i = 0; i < 3; ++i) {
      text += "[Obj" + std::to_string(i) + "]\nObjType=GIF\nFilename=" + gifFile +
              "\nMotion=2\nMotionSpeed=60\nPosLeftType=4\nPosTopType=4\nWidthSize=150\n";
    }
    project.Objects.Threaded = false;
    project.Objects.LoadFromText(text);
    engine.SetProject(project);
    engine.ShowClock = true;
    engine.Clock().TimeSource = [this] { return platform::TTimeOfDay{10, 10, seconds % 60}; };
    engine.Prepare();
    engine.SetWeather(true);
  }
  void Step(int frame) {
    for (int i = 0; i < project.Objects.Count(); ++i) project.Objects.Items(i).Step();
    seconds = frame / 10;
    ticks.Advance(32);
    engine.StepFrame();
  }

  TManualTicks ticks;
  TProject project;
  TAnimEngine engine;
  int seconds = 0;
};

std::string SquareGifFile(testing::TempDir& dir) {
  TGifImage gif;
  gif.Width = gif.Height = 6;
  gif.GlobalColors = {{200, 0, 0}, {0, 200, 0}};
  gif.Frames.resize(1);
  gif.Frames[0].Width = gif.Frames[0].Height = 6;
  gif.Frames[0].Indices.assign(36, 0);
  for (size_t i = 0; i < 36; i += 5) gif.Frames[0].Indices[i] = 1;
  return dir.Write("square.gif", EncodeGif(gif));
}

// A window that copies only FrameChanges shows every frame exactly: each pixel that differs from
// the frame before lies in one of the rectangles, and once the scene runs they are a small part
// of the frame.
TEST(FrameChanges, HoldEveryPixelThatChanged) {
  testing::TempDir dir;
  const std::string file = SquareGifFile(dir);
  for (const int kind : {1, 2}) {
    SCOPED_TRACE(kind);
    MovingScene scene(file, kind);
    TAnimEngine& engine = scene.engine;
    std::vector<uint32_t> before = Pixels(engine.FrameSurface());
    int64_t changedArea = 0;
    for (int frame = 0; frame < 60; ++frame) {
      scene.Step(frame);
      const std::vector<uint32_t> now = Pixels(engine.FrameSurface());
      const auto& changes = engine.FrameChanges();
      for (int32_t y = 0; y < 120; ++y) {
        for (int32_t x = 0; x < 160; ++x) {
          if (now[static_cast<size_t>(y * 160 + x)] == before[static_cast<size_t>(y * 160 + x)]) continue;
          const bool listed = std::any_of(changes.begin(), changes.end(), [x, y](const TRect& r) {
            return r.Left <= x && x < r.Right && r.Top <= y && y < r.Bottom;
          });
          ASSERT_TRUE(listed) << "frame " << frame << ": pixel " << x << "," << y << " changed unlisted";
        }
      }
      if (frame == 0) {
        ASSERT_EQ(changes.size(), 1u) << "the first frame after Prepare is new everywhere";
        EXPECT_EQ(changes[0], Rect(0, 0, 160, 120));
      } else {
        for (const TRect& r : changes) changedArea += int64_t{r.Width()} * r.Height();
      }
      before = now;
    }
    EXPECT_LT(changedArea, 59 * 160 * 120 * 3 / 4) << "the changes are less than the frames";
  }
}

// Frames composed in memory lent by a window are the frames composed in the engine's own,
// whatever the lent memory held before and however often it is replaced or taken back.
TEST(FrameChanges, ComposedInLentMemoryAsInItsOwn) {
  testing::TempDir dir;
  const std::string file = SquareGifFile(dir);
  std::vector<std::vector<uint32_t>> expected;
  {
    MovingScene scene(file, 1);
    for (int frame = 0; frame < 40; ++frame) {
      scene.Step(frame);
      expected.push_back(Pixels(scene.engine.FrameSurface()));
    }
  }
  MovingScene scene(file, 1);
  std::vector<TColor32> first(160 * 120, 0xFF00FF00), second(160 * 120, 0x12345678);
  for (int frame = 0; frame < 40; ++frame) {
    TColor32* lent = frame < 5 ? nullptr : frame < 15 ? first.data() : frame < 30 ? second.data() : nullptr;
    scene.engine.ComposeInto(lent);
    scene.Step(frame);
    if (lent != nullptr) {
      ASSERT_EQ(scene.engine.FrameSurface().Bits(), lent) << frame;
    }
    ASSERT_EQ(Pixels(scene.engine.FrameSurface()), expected[static_cast<size_t>(frame)]) << "frame " << frame;
  }
}

// Joined areas cover every pixel of the areas they were made from, stay within their bands,
// and a band whose areas are nearer each other than the gap becomes one area.
TEST(FrameChanges, JoinedAreasCoverTheirParts) {
  std::mt19937 random(11);
  std::vector<TRect> joined;
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<TRect> areas;
    const int count = static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
      const auto x = static_cast<int32_t>(random() % 300), y = static_cast<int32_t>(random() % 200);
      areas.push_back(
          Rect(x, y, x + 1 + static_cast<int32_t>(random() % 40), y + 1 + static_cast<int32_t>(random() % 40)));
    }
    const int32_t gap = trial % 2 == 0 ? 8 : 1000;
    JoinAreas(areas, 16, gap, joined);
    std::vector<uint8_t> covered(350 * 250, 0);
    for (const TRect& r : joined) {
      ASSERT_EQ(r.Top / 16, (r.Bottom - 1) / 16) << "within one band";
      for (int32_t y = r.Top; y < r.Bottom; ++y)
        for (int32_t x = r.Left; x < r.Right; ++x) covered[static_cast<size_t>(y * 350 + x)] = 1;
    }
    for (const TRect& r : areas) {
      for (int32_t y = r.Top; y < r.Bottom; ++y)
        for (int32_t x = r.Left; x < r.Right; ++x)
          ASSERT_TRUE(covered[static_cast<size_t>(y * 350 + x)]) << x << "," << y;
    }
    if (gap == 1000) {
      for (size_t i = 1; i < joined.size(); ++i) EXPECT_NE(joined[i].Top / 16, joined[i - 1].Top / 16) << "one a band";
    }
  }
}
}  // namespace
}  // namespace lumora

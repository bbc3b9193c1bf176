// Object motion and the display cycle, stepped by hand on a simulated clock: the start position,
// the limits and shapes of the motion kinds, mirroring, and when an object is shown.
//
// The objects here are plain animated objects (their Reset is the base one, which needs no
// picture file), so the picture size is set directly, as a loaded picture would set it.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/uTicks.h"
#include "objects/uObject.h"

namespace lumora {
namespace {

// A stepped object on a design frame of the given size, drawn at the same size, with the
// section keys `keys` ("key=value" lines).
std::unique_ptr<TAnimObject> MakeObject(const std::string& keys, int32_t picWidth, int32_t picHeight,
                                        int32_t designWidth = 640, int32_t designHeight = 480) {
  auto object = std::make_unique<TAnimObject>();
  object->Threaded = false;
  object->LoadCommonFromText("[Obj0]\n" + keys);
  object->DesignWidth = designWidth;
  object->DesignHeight = designHeight;
  object->FrameRect = Rect(0, 0, designWidth, designHeight);
  object->PicWidth = picWidth;
  object->PicHeight = picHeight;
  return object;
}

// ---- Start position ----

struct StartCase {
  int type;
  int32_t x;  // the expected start centre
  int32_t y;
};

class MotionStartByType : public ::testing::TestWithParam<StartCase> {};

// Design 641 x 481, picture 41 x 31, restricted: the centre may go from (20, 15) to
// (641 - 20, 481 - 15) = (621, 466); the centre of that is (20 + 601 / 2, 15 + 451 / 2).
TEST_P(MotionStartByType, StartsWhereTheTypeSays) {
  TManualTicks ticks;
  const StartCase c = GetParam();
  auto object = MakeObject(
      "PosLeft=77\nPosTop=66\nPosLeftType=" + std::to_string(c.type) + "\nPosTopType=" + std::to_string(c.type), 41, 31,
      641, 481);
  object->Start();
  EXPECT_EQ(object->Area, Rect(20, 15, 621, 466));
  EXPECT_EQ(object->X.load(), c.x);
  EXPECT_EQ(object->Y.load(), c.y);
  EXPECT_EQ(object->PosLeft, c.x);
  EXPECT_EQ(object->PosTop, c.y);
}

INSTANTIATE_TEST_SUITE_P(Motion, MotionStartByType,
                         ::testing::Values(StartCase{0, 77, 66}, StartCase{1, 20, 15}, StartCase{2, 621, 466},
                                           StartCase{3, 320, 240}, StartCase{6, 77, 66}, StartCase{255, 77, 66}));

TEST(MotionStart, RandomStartLiesInsideTheArea) {
  TManualTicks ticks;
  auto object = MakeObject("PosLeftType=4\nPosTopType=4", 40, 30);
  bool nearLeft = false, nearRight = false;
  for (int run = 0; run < 300; ++run) {
    ticks.Advance(1);  // Reset reseeds from the clock: every run draws other numbers
    object->Start();
    const double x = object->X.load(), y = object->Y.load();
    ASSERT_GE(x, 20);
    ASSERT_LT(x, 620);
    ASSERT_GE(y, 15);
    ASSERT_LT(y, 465);
    ASSERT_EQ(x, std::floor(x));
    nearLeft = nearLeft || x < 120;
    nearRight = nearRight || x >= 520;
  }
  EXPECT_TRUE(nearLeft && nearRight) << "the start is spread over the whole area";
}

// Full frame 640 x 480, picture 40 x 30, restricted: area (20, 15) to (620, 465), centre
// (320, 240). A start outside lies at left - r <= 0 for r left of the centre, else at
// 2 right - r > right.
TEST(MotionStart, OutsideStartNeverLiesInsideTheArea) {
  TManualTicks ticks;
  auto object = MakeObject("PosLeftType=5\nPosTopType=5", 40, 30);
  int before = 0, beyond = 0, above = 0, below = 0;
  for (int run = 0; run < 300; ++run) {
    ticks.Advance(1);
    object->Start();
    const double x = object->X.load(), y = object->Y.load();
    if (x <= 0) {
      ++before;
      ASSERT_GE(x, 20 - 319);
    } else {
      ++beyond;
      ASSERT_GT(x, 620);
      ASSERT_LE(x, 2 * 620 - 320);
    }
    if (y <= 0) {
      ++above;
      ASSERT_GE(y, 15 - 239);
    } else {
      ++below;
      ASSERT_GT(y, 465);
      ASSERT_LE(y, 2 * 465 - 240);
    }
  }
  EXPECT_GT(before, 0);
  EXPECT_GT(beyond, 0);
  EXPECT_GT(above, 0);
  EXPECT_GT(below, 0);
}

TEST(MotionStart, InitialDirectionSetsTheBounceAndStartDirections) {
  TManualTicks ticks;
  struct Dir {
    int initial;
    int x;  // 0: random
    int y;
  };
  const Dir dirs[] = {{1, -1, 0}, {2, 1, 0}, {3, 0, -1}, {4, 0, 1}, {5, -1, -1}, {6, 1, -1}, {7, -1, 1}, {8, 1, 1}};
  for (const Dir& d : dirs) {
    auto object = MakeObject("InitialDir=" + std::to_string(d.initial), 40, 30);
    bool xSeen[2] = {false, false}, ySeen[2] = {false, false};
    for (int run = 0; run < 40; ++run) {
      ticks.Advance(1);
      object->Start();
      SCOPED_TRACE(d.initial);
      if (d.x != 0) {
        ASSERT_EQ(object->BounceDirX, d.x);
      }
      if (d.y != 0) {
        ASSERT_EQ(object->BounceDirY, d.y);
      }
      ASSERT_EQ(object->StartDirX, object->BounceDirX);
      ASSERT_EQ(object->StartDirY, object->BounceDirY);
      ASSERT_EQ(object->WanderDirX, object->BounceDirX);
      ASSERT_EQ(object->WanderDirY, object->BounceDirY);
      xSeen[object->BounceDirX > 0] = true;
      ySeen[object->BounceDirY > 0] = true;
    }
    // An axis the direction leaves open stays random.
    if (d.x == 0) {
      EXPECT_TRUE(xSeen[0] && xSeen[1]) << d.initial;
    }
    if (d.y == 0) {
      EXPECT_TRUE(ySeen[0] && ySeen[1]) << d.initial;
    }
  }
}

// ---- Bounce limits ----

struct LimitCase {
  const char* name;
  std::string keys;
  int32_t picWidth;
  int32_t left;  // the turning points of the centre
  int32_t right;
};

class MotionBounceLimits : public ::testing::TestWithParam<LimitCase> {};

// Horizontal bounce starting at the area's centre toward the right: the centre runs right to
// the right limit (overshooting by less than one step), turns, runs left to the left limit, and
// never moves vertically.
TEST_P(MotionBounceLimits, HorizontalBounceTurnsAtTheAreaEdges) {
  TManualTicks ticks;
  const LimitCase& c = GetParam();
  auto object = MakeObject("Motion=3\nInitialDir=2\nPosLeftType=3\nPosTop=200\n" + c.keys, c.picWidth, 30);
  object->Start();
  const double y0 = object->Y.load();
  double x = object->X.load();
  bool goingRight = true;
  double maxX = x, minX = x;
  int turns = 0;
  for (int i = 0; i < 20000 && turns < 2; ++i) {
    object->Step();
    ASSERT_EQ(object->Y.load(), y0);
    const double next = object->X.load();
    maxX = std::max(maxX, next);
    minX = std::min(minX, next);
    if (goingRight && next < x) {
      goingRight = false;
      ++turns;
      EXPECT_GE(x, c.right);
      EXPECT_LT(x, c.right + 1);
    } else if (!goingRight && next > x) {
      goingRight = true;
      ++turns;
      EXPECT_LE(x, c.left);
      EXPECT_GT(x, c.left - 1);
    }
    x = next;
  }
  EXPECT_EQ(turns, 2);
  EXPECT_LT(maxX, c.right + 1);
  EXPECT_GT(minX, c.left - 1);
}

// Design 640 wide. Half a picture of 40 is 20; of 42 is 21 (x 50% = 10.5, rounds to 10); of 46
// is 23 (x 50% = 11.5, rounds to 12).
INSTANTIATE_TEST_SUITE_P(
    Motion, MotionBounceLimits,
    ::testing::Values(LimitCase{"RestrictedFullFrame", "", 40, 20, 620},
                      LimitCase{"DoubleWidth", "WidthSize=200", 40, 20, 600},
                      LimitCase{"HalfWidthRoundsHalfDown", "WidthSize=50", 42, 21, 630},
                      LimitCase{"HalfWidthRoundsHalfUp", "WidthSize=50", 46, 23, 628},
                      LimitCase{"Unrestricted", "RestrictArea=0", 40, -20, 660},
                      LimitCase{"UnrestrictedDoubleWidth", "RestrictArea=0\nWidthSize=200", 40, -20, 680},
                      LimitCase{"OwnRectangle",
                                "MotionAreaType=1\nMoveAreaRectleft=100\nMoveAreaRecttop=50\n"
                                "MoveAreaRectright=300\nMoveAreaRectbottom=400",
                                40, 120, 280},
                      LimitCase{"OwnRectangleUnrestricted",
                                "MotionAreaType=1\nRestrictArea=0\nMoveAreaRectleft=100\nMoveAreaRecttop=50\n"
                                "MoveAreaRectright=300\nMoveAreaRectbottom=400",
                                40, 80, 320}),
    [](const ::testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

// Bounce and wander tracks turn back at the edges: the centre never gets further than one step
// (under one design pixel at speed 10) outside the area.
TEST(Motion, BounceAndWanderStayWithinOneStepOfTheArea) {
  TManualTicks ticks;
  for (int motion : {1, 2}) {
    SCOPED_TRACE(motion);
    auto object = MakeObject("Motion=" + std::to_string(motion) + "\nPosLeftType=4\nPosTopType=4", 40, 30, 200, 150);
    object->Start();
    // Area (20, 15) to (180, 135).
    double minX = 1e9, maxX = -1e9;
    for (int i = 0; i < 30000; ++i) {
      object->Step();
      const double x = object->X.load(), y = object->Y.load();
      ASSERT_GT(x, 20 - 1);
      ASSERT_LT(x, 180 + 1);
      ASSERT_GT(y, 15 - 1);
      ASSERT_LT(y, 135 + 1);
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
    }
    EXPECT_GT(maxX - minX, 80) << "the object travels across the area";
  }
}

// When the area's left equals its right, the track is pushed back toward that line from either
// side and hovers there.
TEST(Motion, DegenerateAreaKeepsTheTrackAtTheLine) {
  TManualTicks ticks;
  // Restricted with a picture 40 wide: left 80 + 20 = 100, right 120 - 20 = 100.
  auto object = MakeObject(
      "Motion=2\nPosLeft=300\nPosTop=200\nMotionAreaType=1\nMoveAreaRectleft=80\nMoveAreaRecttop=0\n"
      "MoveAreaRectright=120\nMoveAreaRectbottom=480",
      40, 30);
  object->Start();
  ASSERT_EQ(object->Area.Left, 100);
  ASSERT_EQ(object->Area.Right, 100);
  bool reached = false;
  for (int i = 0; i < 5000; ++i) {
    object->Step();
    const double bx = object->BounceX;
    ASSERT_EQ(object->BounceDirX, bx < 100 ? 1 : -1) << "step " << i << " at " << bx;
    if (bx <= 100) reached = true;
    if (reached) {
      ASSERT_LT(std::abs(bx - 100), 1.0) << "step " << i;
    }
  }
  EXPECT_TRUE(reached);

  // Exactly on the line both edge tests apply; the right one comes last and wins.
  object->Speed = 0;  // a step that does not move the track
  object->BounceX = 100;
  object->BounceDirX = 1;
  object->Step();
  EXPECT_EQ(object->BounceX, 100);
  EXPECT_EQ(object->BounceDirX, -1);
}

// A rectangle narrower than the picture leaves the area's left beyond its right. Between the
// two both edge tests apply and the right one, tested last, sends the track left: it settles
// at the area's right.
TEST(Motion, InvertedAreaSettlesWhereTheRightEdgeTestWins) {
  TManualTicks ticks;
  // Restricted with a picture 40 wide: left 90 + 20 = 110, right 110 - 20 = 90.
  auto object = MakeObject(
      "Motion=3\nPosLeft=100\nPosTop=200\nMotionAreaType=1\nMoveAreaRectleft=90\nMoveAreaRecttop=0\n"
      "MoveAreaRectright=110\nMoveAreaRectbottom=480",
      40, 30);
  object->Start();
  ASSERT_EQ(object->Area.Left, 110);
  ASSERT_EQ(object->Area.Right, 90);
  for (int i = 0; i < 3000; ++i) object->Step();
  EXPECT_LT(std::abs(object->X.load() - 90), 1.0);
}

// ---- One-way motion ----

class MotionOneWay : public ::testing::TestWithParam<int> {};

// The object always travels in its start direction; each time the bounce track turns, it jumps
// from the edge it has reached to the opposite one.
TEST_P(MotionOneWay, TravelsOneWayAndReappearsAtTheOppositeEdge) {
  TManualTicks ticks;
  const int initialDir = GetParam();  // 1 left, 2 right
  const double way = initialDir == 1 ? -1 : 1;
  auto object =
      MakeObject("Motion=5\nPosLeftType=3\nPosTop=70\nInitialDir=" + std::to_string(initialDir), 20, 30, 200, 150);
  object->Start();
  // Area from 10 to 190.
  const double from = initialDir == 1 ? 10 : 190;  // the edge it travels to
  const double to = initialDir == 1 ? 190 : 10;    // the edge it reappears at
  const double y0 = object->Y.load();
  double x = object->X.load();
  int jumps = 0;
  for (int i = 0; i < 3000; ++i) {
    object->Step();
    ASSERT_EQ(object->Y.load(), y0);
    const double next = object->X.load();
    if ((next - x) * way < 0) {
      ++jumps;
      EXPECT_LT(std::abs(x - from), 1.0) << "jumps only from the edge it reached, step " << i;
      EXPECT_LT(std::abs(next - to), 1.0) << "to the opposite edge, step " << i;
      EXPECT_GE((next - to) * -way, 0.0) << "at or just beyond that edge";
    } else {
      ASSERT_LT(std::abs(next - x), 1.0) << "a plain step is under one pixel";
    }
    x = next;
  }
  EXPECT_GE(jumps, 4);
}

INSTANTIATE_TEST_SUITE_P(Motion, MotionOneWay, ::testing::Values(1, 2));

TEST(Motion, VerticalOneWayAlwaysTravelsUp) {
  TManualTicks ticks;
  auto object = MakeObject("Motion=6\nPosTopType=3\nPosLeft=50\nInitialDir=3", 20, 20, 200, 150);
  object->Start();
  // Area from 10 to 140 in y.
  const double x0 = object->X.load();
  double y = object->Y.load();
  int jumps = 0;
  for (int i = 0; i < 3000; ++i) {
    object->Step();
    ASSERT_EQ(object->X.load(), x0);
    const double next = object->Y.load();
    if (next > y) {
      ++jumps;
      EXPECT_LT(std::abs(y - 10), 1.0);
      EXPECT_LT(std::abs(next - 140), 1.0);
    }
    y = next;
  }
  EXPECT_GE(jumps, 4);
}

// ---- Which coordinates each kind moves ----

struct AxisCase {
  int motion;
  bool movesX;
  bool movesY;
};

class MotionAxes : public ::testing::TestWithParam<AxisCase> {};

TEST_P(MotionAxes, EachKindMovesItsOwnCoordinates) {
  TManualTicks ticks;
  const AxisCase c = GetParam();
  auto object = MakeObject("PosLeftType=3\nPosTopType=3\nMotion=" + std::to_string(c.motion), 40, 30);
  object->Start();
  const double x0 = object->X.load(), y0 = object->Y.load();
  bool xMoved = false, yMoved = false;
  for (int i = 0; i < 1000; ++i) {
    object->Step();
    xMoved = xMoved || object->X.load() != x0;
    yMoved = yMoved || object->Y.load() != y0;
  }
  EXPECT_EQ(xMoved, c.movesX);
  EXPECT_EQ(yMoved, c.movesY);
  EXPECT_EQ(object->StepCount, 1000) << "the tracks advance whatever the kind";
}

INSTANTIATE_TEST_SUITE_P(Motion, MotionAxes,
                         ::testing::Values(AxisCase{0, false, false}, AxisCase{1, true, true}, AxisCase{2, true, true},
                                           AxisCase{3, true, false}, AxisCase{4, false, true}, AxisCase{5, true, false},
                                           AxisCase{6, false, true}, AxisCase{7, true, true}, AxisCase{8, false, false},
                                           AxisCase{9, true, true}, AxisCase{10, false, false},
                                           AxisCase{200, false, false}));

TEST(Motion, WanderAndBounceFollowTheirTracks) {
  TManualTicks ticks;
  auto wander = MakeObject("Motion=1\nPosLeftType=3\nPosTopType=3", 40, 30);
  auto bounce = MakeObject("Motion=2\nPosLeftType=3\nPosTopType=3", 40, 30);
  wander->Start();
  bounce->Start();
  for (int i = 0; i < 500; ++i) {
    wander->Step();
    bounce->Step();
    ASSERT_EQ(wander->X.load(), wander->WanderX);
    ASSERT_EQ(wander->Y.load(), wander->WanderY);
    ASSERT_EQ(bounce->X.load(), bounce->BounceX);
    ASSERT_EQ(bounce->Y.load(), bounce->BounceY);
  }
}

// ---- Ellipse ----

struct EllipseCase {
  int motionSpeed;
  int stepsPerTurn;
};

class MotionEllipse : public ::testing::TestWithParam<EllipseCase> {};

// Design 641 x 481, picture 40 x 30, restricted: area (20, 15) to (621, 466), centre
// (20 + 601 / 2, 15 + 451 / 2) = (320, 240), radii 601 / 2 - 40 / 2 = 280 and
// 451 / 2 - 30 / 2 = 210 (halves of integers truncate). The ellipse starts at the bottom and turns clockwise on screen:
// a quarter turn later it is at the left, then at the top, then at the right.
TEST_P(MotionEllipse, OneTurnTakesThirtySixHundredStepsAtSpeedTen) {
  TManualTicks ticks;
  const EllipseCase c = GetParam();
  auto object = MakeObject("Motion=7\nMotionSpeed=" + std::to_string(c.motionSpeed), 40, 30, 641, 481);
  object->Start();
  struct Point {
    double x, y;
  };
  const Point quarters[] = {{40, 240}, {320, 30}, {600, 240}, {320, 450}};
  object->Step();
  EXPECT_GT(std::hypot(object->X.load() - 320, object->Y.load() - 450), 0.01) << "one step moves off the start";
  int done = 1;
  for (const Point& p : quarters) {
    const int target = done + c.stepsPerTurn / 4 - (done == 1 ? 1 : 0);
    for (; done < target; ++done) object->Step();
    EXPECT_NEAR(object->X.load(), p.x, 1e-6) << "after " << done << " steps";
    EXPECT_NEAR(object->Y.load(), p.y, 1e-6) << "after " << done << " steps";
  }
  EXPECT_EQ(done, c.stepsPerTurn);
}

INSTANTIATE_TEST_SUITE_P(Motion, MotionEllipse,
                         ::testing::Values(EllipseCase{10, 3600}, EllipseCase{20, 1800}, EllipseCase{5, 7200}));

// ---- Jitter ----

TEST(Motion, JitterMovesByAtMostFourUnitsOfSpeedPerStep) {
  TManualTicks ticks;
  auto object = MakeObject("Motion=9\nMotionSpeed=25\nPosLeftType=3\nPosTopType=3", 40, 30);
  object->Start();
  const double unit = 250 / 1000.0;  // Speed / 1000
  std::vector<int> seenX(9, 0), seenY(9, 0);
  for (int i = 0; i < 4000; ++i) {
    const double x = object->X.load(), y = object->Y.load();
    object->Step();
    const double kx = (object->X.load() - x) / unit, ky = (object->Y.load() - y) / unit;
    ASSERT_LE(std::abs(kx), 4 + 1e-9);
    ASSERT_LE(std::abs(ky), 4 + 1e-9);
    ASSERT_NEAR(kx, std::round(kx), 1e-6) << "whole units only";
    ASSERT_NEAR(ky, std::round(ky), 1e-6);
    ++seenX[static_cast<size_t>(std::lround(kx) + 4)];
    ++seenY[static_cast<size_t>(std::lround(ky) + 4)];
  }
  for (int k = 0; k < 9; ++k) {
    EXPECT_GT(seenX[static_cast<size_t>(k)], 200) << "x moves by " << k - 4 << " units about one step in nine";
    EXPECT_GT(seenY[static_cast<size_t>(k)], 200) << "y moves by " << k - 4 << " units about one step in nine";
  }
}

// ---- Frame position ----

TEST(Motion, CornerOnTheFrameIsScaledAndRoundedHalfToEven) {
  TManualTicks ticks;
  // Picture 41 x 31: the corner lies 20.5 and 15.5 design pixels left of and above the centre.
  auto object = MakeObject("PosLeft=100\nPosTop=100", 41, 31, 200, 100);
  object->FrameRect = Rect(0, 0, 200, 150);  // x drawn at scale 1, y at 1.5
  object->Start();
  EXPECT_DOUBLE_EQ(object->ScaleX.load(), 1.0);
  EXPECT_DOUBLE_EQ(object->ScaleY.load(), 1.5);
  EXPECT_EQ(object->GetLeft(), 80);  // 79.5 rounds to the even 80
  EXPECT_EQ(object->GetTop(), 127);  // 84.5 x 1.5 = 126.75
  object->X = 101;
  object->Y = 101;
  EXPECT_EQ(object->GetLeft(), 80);  // 80.5 rounds to the even 80
  EXPECT_EQ(object->GetTop(), 128);  // 85.5 x 1.5 = 128.25
}

// ---- Mirroring ----

struct MirrorCase {
  int facing;
  bool dirFlip;
};

class MotionMirror : public ::testing::TestWithParam<MirrorCase> {};

// A picture is mirrored while it travels against the way it faces, keeps its look while its
// left edge stands still, and is never mirrored without DirFlip or with an unknown facing.
TEST_P(MotionMirror, MirroredWhileTravellingAgainstItsFacing) {
  TManualTicks ticks;
  const MirrorCase c = GetParam();
  auto object = MakeObject("Motion=3\nInitialDir=1\nPosLeftType=3\nObjFacing=" + std::to_string(c.facing) +
                               "\nDirFlip=" + (c.dirFlip ? "1" : "0"),
                           20, 20, 200, 150);
  object->Start();
  EXPECT_FALSE(object->Mirrored.load());
  const bool active = c.dirFlip && (c.facing == 0 || c.facing == 1);
  bool previous = false;
  int mirroredSteps = 0, plainSteps = 0;
  for (int i = 0; i < 2000; ++i) {
    const int32_t before = object->GetLeft();
    object->Step();
    const int32_t after = object->GetLeft();
    const bool againstFacing = c.facing == 1 ? after < before : after > before;
    const bool withFacing = c.facing == 1 ? after > before : after < before;
    bool expected = previous;
    if (!active)
      expected = false;
    else if (againstFacing)
      expected = true;
    else if (withFacing)
      expected = false;
    ASSERT_EQ(object->Mirrored.load(), expected) << "step " << i << " from " << before << " to " << after;
    previous = object->Mirrored.load();
    (previous ? mirroredSteps : plainSteps)++;
  }
  if (active) {
    EXPECT_GT(mirroredSteps, 100);
    EXPECT_GT(plainSteps, 100);
  }
}

INSTANTIATE_TEST_SUITE_P(Motion, MotionMirror,
                         ::testing::Values(MirrorCase{1, true}, MirrorCase{0, true}, MirrorCase{1, false},
                                           MirrorCase{0, false}, MirrorCase{2, true}));

TEST(MotionMirror, ANewStartClearsTheMirror) {
  TManualTicks ticks;
  auto object = MakeObject("Motion=3\nInitialDir=1\nPosLeftType=3\nDirFlip=1", 20, 20, 200, 150);
  object->Start();
  for (int i = 0; i < 200 && !object->Mirrored.load(); ++i) object->Step();
  ASSERT_TRUE(object->Mirrored.load());
  object->Start();
  EXPECT_FALSE(object->Mirrored.load());
}

// ---- Display cycle ----

// A horizontally moving object with the given display keys, started at the fake clock's now.
std::unique_ptr<TAnimObject> StartCycling(const std::string& displayKeys) {
  auto object = MakeObject("Motion=3\nMotionSpeed=20\n" + displayKeys, 20, 20, 2000, 150);
  object->Start();
  return object;
}

TEST(DisplayCycle, NoDelayAndNoDurationShowsFromTheStartForever) {
  TManualTicks ticks;
  auto object = StartCycling("DisplaySec=0\nDisplayDurationType=0");
  EXPECT_TRUE(object->Shown.load());
  const double x0 = object->X.load();
  for (int i = 0; i < 50; ++i) {
    ticks.Advance(3600 * 1000);  // an hour between steps
    object->Step();
    ASSERT_TRUE(object->Shown.load());
  }
  EXPECT_NE(object->X.load(), x0);
  EXPECT_FALSE(object->DisplayFinished());
}

// Steps at the given times (ms since the start) and checks Shown after each; hidden steps must
// not move the object.
void ExpectShownAt(TManualTicks& ticks, TAnimObject& object, const std::vector<std::pair<uint32_t, bool>>& plan) {
  uint32_t now = 0;
  for (const auto& [at, shown] : plan) {
    ticks.Advance(at - now);
    now = at;
    const double x = object.X.load();
    object.Step();
    EXPECT_EQ(object.Shown.load(), shown) << "at " << at << " ms";
    if (!shown) {
      EXPECT_EQ(object.X.load(), x) << "a hidden object does not move, at " << at << " ms";
    }
  }
}

TEST(DisplayCycle, DelayThenDurationWithoutRedisplayEndsForGood) {
  TManualTicks ticks;
  auto object = StartCycling("DisplaySec=5\nDisplayDurationType=1\nDisplayDurationSec=10\nRedisplay=0");
  EXPECT_FALSE(object->Shown.load());
  ExpectShownAt(ticks, *object,
                {{0, false}, {4999, false}, {5000, true}, {5001, true}, {9000, true}, {14999, true}, {15000, false}});
  EXPECT_TRUE(object->DisplayFinished());
  ExpectShownAt(ticks, *object, {{20000, false}, {100000, false}, {86400000, false}, {3000000000u, false}});
  EXPECT_TRUE(object->DisplayFinished());
}

TEST(DisplayCycle, ShownStepsMoveTheObject) {
  TManualTicks ticks;
  auto object = StartCycling("DisplaySec=5\nDisplayDurationType=1\nDisplayDurationSec=10\nRedisplay=0");
  ticks.Advance(6000);
  const double x = object->X.load();
  for (int i = 0; i < 50; ++i) object->Step();
  EXPECT_NE(object->X.load(), x);
}

TEST(DisplayCycle, RedisplayWithoutResetResumesWhereItLeftOff) {
  TManualTicks ticks;
  auto object = StartCycling("DisplaySec=5\nDisplayDurationType=1\nDisplayDurationSec=10\nRedisplay=1\nResetPos=0");
  double lastShownX = object->X.load();
  int lastStepCount = 0;
  bool wasShown = false;
  int cycles = 0;
  for (uint32_t at = 250; at <= 60000; at += 250) {
    ticks.Advance(250);
    object->Step();
    // Each cycle: 5 s hidden, then 10 s shown; a new one begins at every 15 s.
    const bool expected = at % 15000 >= 5000;
    ASSERT_EQ(object->Shown.load(), expected) << "at " << at << " ms";
    ASSERT_FALSE(object->DisplayFinished());
    if (expected && !wasShown) {
      ++cycles;
      if (cycles > 1) {
        // One step at speed 20 covers under two design pixels.
        EXPECT_LT(std::abs(object->X.load() - lastShownX), 2.0) << "resumes where it left off, at " << at;
        EXPECT_EQ(object->StepCount, lastStepCount + 1) << "the tracks go on";
      }
    }
    if (!expected) {
      ASSERT_EQ(object->X.load(), lastShownX) << "hidden: no motion, at " << at;
    }
    lastShownX = object->X.load();
    lastStepCount = object->StepCount;
    wasShown = expected;
  }
  EXPECT_EQ(cycles, 4);
}

TEST(DisplayCycle, RedisplayWithResetStartsEachShowingAfresh) {
  TManualTicks ticks;
  auto object = StartCycling(
      "DisplaySec=5\nDisplayDurationType=1\nDisplayDurationSec=10\nRedisplay=1\n"
      "ResetPos=1\nPosLeftType=0\nPosLeft=500");
  ticks.Advance(5000);
  for (int i = 0; i < 400; ++i) object->Step();
  ASSERT_TRUE(object->Shown.load());
  ASSERT_NE(object->X.load(), 500);
  ticks.Advance(10000);
  object->Step();
  EXPECT_FALSE(object->Shown.load());
  EXPECT_EQ(object->X.load(), 500) << "back at the start";
  EXPECT_EQ(object->StepCount, 0);
  // The new cycle counts from the moment it began.
  ExpectShownAt(ticks, *object, {{4999, false}, {5000, true}});
}

TEST(DisplayCycle, RedisplayWithoutDelayHidesForOneStepOnly) {
  TManualTicks ticks;
  auto object = StartCycling("DisplaySec=0\nDisplayDurationType=1\nDisplayDurationSec=10\nRedisplay=1\nResetPos=0");
  ExpectShownAt(ticks, *object,
                {{1, true}, {9999, true}, {10000, false}, {10000, true}, {19999, true}, {20000, false}, {20001, true}});
}

TEST(DisplayCycle, ElapsedTimeIsRightWhenTheClockWraps) {
  TManualTicks ticks(0xFFFFFFFFu - 2000);
  auto object = StartCycling("DisplaySec=3\nDisplayDurationType=1\nDisplayDurationSec=2\nRedisplay=0");
  // The counter passes 0 at 2001 ms.
  ExpectShownAt(
      ticks, *object,
      {{1000, false}, {2000, false}, {2001, false}, {2999, false}, {3000, true}, {4999, true}, {5000, false}});
  EXPECT_TRUE(object->DisplayFinished());
}

TEST(DisplayCycle, ACycleStartingAtTheLastTickIsAnOrdinaryCycle) {
  TManualTicks ticks(0xFFFFFFFFu);
  auto object = StartCycling("DisplaySec=1\nDisplayDurationType=1\nDisplayDurationSec=1\nRedisplay=1\nResetPos=0");
  EXPECT_FALSE(object->DisplayFinished());
  ExpectShownAt(ticks, *object,
                {{0, false}, {999, false}, {1000, true}, {1999, true}, {2000, false}, {2999, false}, {3000, true}});
  EXPECT_FALSE(object->DisplayFinished());
}

TEST(DisplayCycle, ANewStartBeginsAFinishedCycleAgain) {
  TManualTicks ticks;
  auto object = StartCycling("DisplaySec=1\nDisplayDurationType=1\nDisplayDurationSec=1\nRedisplay=0");
  ExpectShownAt(ticks, *object, {{1000, true}, {2000, false}});
  ASSERT_TRUE(object->DisplayFinished());
  object->Start();
  EXPECT_FALSE(object->DisplayFinished());
  ExpectShownAt(ticks, *object, {{999, false}, {1000, true}});
}

}  // namespace
}  // namespace lumora

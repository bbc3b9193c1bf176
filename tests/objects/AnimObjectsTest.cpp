// The object list built from the object text, and the object workers: start, pause, restart
// and taking a running object down.
#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/uErrors.h"
#include "base/uLimits.h"
#include "base/uTicks.h"
#include "objects/uAnimObjects.h"
#include "objects/uImageObjects.h"
#include "objects/uObject.h"
#include "objects/uObjectThread.h"
#include "support/AllocationCount.h"

namespace lumora {
namespace {

using Clock = std::chrono::steady_clock;

std::string Section(const std::string& name, const std::string& objType, const std::string& filename) {
  return "[" + name + "]\r\nObjType=" + objType + "\r\nFilename=" + filename + "\r\n\r\n";
}

bool IsGif(const TAnimObject& object) { return dynamic_cast<const TGifObject*>(&object) != nullptr; }
bool IsImage(const TAnimObject& object) { return dynamic_cast<const TImgObject*>(&object) != nullptr; }
const std::string& FilenameOf(const TAnimObject& object) {
  return dynamic_cast<const TAnimImgObject&>(object).Filename;
}

// ---- Building the list ----

TEST(AnimObjectsList, OneObjectPerSectionOfTheRightClassReadingItsOwnSection) {
  TAnimObjects list;
  list.LoadFromText(Section("Obj0", "GIF", "zero.gif") + Section("Obj1", "IMG", "one.jpg") +
                    "[Obj2]\r\nObjType=GIF\r\nFilename=two.gif\r\nMotion=7\r\n\r\n");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_TRUE(IsGif(list.Items(0)));
  EXPECT_TRUE(IsImage(list.Items(1)));
  EXPECT_TRUE(IsGif(list.Items(2)));
  const char* names[] = {"zero.gif", "one.jpg", "two.gif"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list.Items(i).Index, i);
    EXPECT_EQ(FilenameOf(list.Items(i)), names[i]);
    EXPECT_FALSE(list.Items(i).Shown.load()) << "nothing is shown before the engine starts the objects";
    EXPECT_EQ(list.Items(i).PicWidth.load(), 0) << "no picture is loaded while the list is built";
  }
  EXPECT_EQ(list.Items(0).Motion, 0);
  EXPECT_EQ(list.Items(2).Motion, 7);
}

TEST(AnimObjectsList, TypeNamesMustMatchInLetterCase) {
  TAnimObjects list;
  list.LoadFromText(Section("Obj0", "gif", "a.gif") + Section("Obj1", "Img", "b.jpg") + Section("Obj2", "GIF ", "c"));
  // Values are trimmed, so "GIF " still names a GIF object; the lower-case names make none.
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(IsGif(list.Items(0)));
  EXPECT_EQ(list.Items(0).Index, 0);
}

TEST(AnimObjectsList, EverySectionCountsTowardTheNumbersProbed) {
  TAnimObjects list;
  // Three sections: "Obj0" to "Obj2" are probed; "Obj2" does not exist.
  list.LoadFromText(Section("Obj0", "GIF", "a.gif") + Section("Obj1", "IMG", "b.jpg") +
                    Section("Background", "GIF", "c.gif"));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_TRUE(IsGif(list.Items(0)));
  EXPECT_TRUE(IsImage(list.Items(1)));
}

TEST(AnimObjectsList, ASectionNamedBeyondTheSectionCountIsNeverProbed) {
  TAnimObjects list;
  list.LoadFromText(Section("Obj0", "GIF", "a.gif") + Section("Obj2", "GIF", "c.gif"));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(FilenameOf(list.Items(0)), "a.gif");
}

TEST(AnimObjectsList, AnotherNamedSectionLetsALaterNumberBeProbed) {
  TAnimObjects list;
  // Three sections, so "Obj2" is probed. Its object lands at position 1 and so reads "Obj1",
  // which is missing: it gets the defaults.
  list.LoadFromText(Section("Obj0", "IMG", "a.jpg") + Section("Other", "IMG", "x.jpg") +
                    "[Obj2]\r\nObjType=GIF\r\nFilename=c.gif\r\nOpacity=3\r\n\r\n");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_TRUE(IsImage(list.Items(0)));
  ASSERT_TRUE(IsGif(list.Items(1)));
  EXPECT_EQ(list.Items(1).Index, 1);
  EXPECT_EQ(FilenameOf(list.Items(1)), "");
  EXPECT_EQ(list.Items(1).Opacity, 10);
}

TEST(AnimObjectsList, AnObjectReadsTheSectionOfItsPositionNotTheOneThatMadeIt) {
  TAnimObjects list;
  list.LoadFromText(
      "[Obj0]\r\nObjType=TEXT\r\nFilename=zero.gif\r\nMotion=2\r\n\r\n"
      "[Obj1]\r\nObjType=GIF\r\nFilename=one.gif\r\nMotion=4\r\n\r\n");
  ASSERT_EQ(list.Count(), 1);
  ASSERT_TRUE(IsGif(list.Items(0)));
  EXPECT_EQ(list.Items(0).Index, 0);
  EXPECT_EQ(FilenameOf(list.Items(0)), "zero.gif");
  EXPECT_EQ(list.Items(0).Motion, 2);
  EXPECT_EQ(list.Items(0).SaveToText().rfind("[Obj0]\r\n", 0), 0u);
}

TEST(AnimObjectsList, TextWithoutSectionsGivesAnEmptyList) {
  TAnimObjects list;
  list.LoadFromText("");
  EXPECT_EQ(list.Count(), 0);
  list.LoadFromText("ObjType=GIF\r\nFilename=a.gif\r\n");  // keys before any section are ignored
  EXPECT_EQ(list.Count(), 0);
}

TEST(AnimObjectsList, TextsOfMoreSectionsThanTheObjectLimitAreRefused) {
  std::string text;
  for (int i = 0; i < kMaxObjects; ++i) text += Section("Obj" + std::to_string(i), "IMG", "a.jpg");
  TAnimObjects list;
  list.LoadFromText(text);
  EXPECT_EQ(list.Count(), kMaxObjects);
  try {
    list.LoadFromText(text + "[Notes]\r\n");
    ADD_FAILURE();
  } catch (const EInOutError& error) {
    EXPECT_STREQ(error.what(), "The object text holds 2001 sections; at most 2000 are allowed");
  }
  EXPECT_EQ(list.Count(), 0);
}

TEST(AnimObjectsList, TheTextIsReadOnceForAllObjects) {
  // Were every object to parse the whole text again, the work would grow with the square of
  // the object count: twice the objects would cost four times the allocations.
  const auto allocations = [](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += Section("Obj" + std::to_string(i), i % 2 ? "GIF" : "IMG", "a.gif");
    TAnimObjects list;
    const testing::TAllocationCount counted;
    list.LoadFromText(text);
    return counted.Count();
  };
  EXPECT_LT(allocations(400), 3 * allocations(200));
}

TEST(AnimObjectsList, LoadingAgainReplacesTheObjects) {
  TAnimObjects list;
  list.LoadFromText(Section("Obj0", "GIF", "a.gif") + Section("Obj1", "GIF", "b.gif") + Section("Obj2", "GIF", "c"));
  ASSERT_EQ(list.Count(), 3);
  list.LoadFromText(Section("Obj0", "IMG", "new.jpg"));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(IsImage(list.Items(0)));
  EXPECT_EQ(FilenameOf(list.Items(0)), "new.jpg");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

// An object that notes its index in `log` when it is destroyed.
class LoggedObject : public TAnimObject {
 public:
  explicit LoggedObject(std::vector<int>& log) : log_(log) {}
  ~LoggedObject() override { log_.push_back(Index); }

 private:
  std::vector<int>& log_;
};

TEST(AnimObjectsList, ClearDestroysEveryObjectFromTheFirstOn) {
  std::vector<int> log;
  TAnimObjects list;
  for (int i = 0; i < 3; ++i) list.Add(std::make_unique<LoggedObject>(log));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(log, (std::vector<int>{0, 1, 2}));

  log.clear();
  list.Add(std::make_unique<LoggedObject>(log));
  list.LoadFromText(Section("Obj0", "GIF", "a.gif"));
  EXPECT_EQ(log, std::vector<int>{0}) << "loading destroys the old objects";
  EXPECT_EQ(list.Count(), 1);

  log.clear();
  {
    TAnimObjects owner;
    owner.Add(std::make_unique<LoggedObject>(log));
    owner.Add(std::make_unique<LoggedObject>(log));
  }
  EXPECT_EQ(log, (std::vector<int>{0, 1})) << "the list owns its objects";
}

TEST(AnimObjectsList, AddGivesEachObjectItsPosition) {
  TAnimObjects list;
  for (int i = 0; i < 3; ++i) {
    auto object = std::make_unique<TImgObject>();
    object->Index = 42;
    list.Add(std::move(object));
  }
  ASSERT_EQ(list.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Items(i).Index, i);
}

// ---- Workers ----

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(3)) {
  const auto deadline = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A fast bouncing object (up to ten design pixels per step) on a 640 x 480 scene, starting at
// the centre (320, 240) of its area.
void MakeBouncer(TAnimObject& object) {
  object.LoadCommonFromText("[Obj" + std::to_string(object.Index) +
                            "]\nMotion=2\nMotionSpeed=100\nPosLeftType=3\nPosTopType=3");
  object.DesignWidth = 640;
  object.DesignHeight = 480;
  object.FrameRect = Rect(0, 0, 640, 480);
  object.PicWidth = 40;
  object.PicHeight = 30;
}

bool HasMovedFrom(const TAnimObject& object, double x, double y) {
  return object.X.load() != x || object.Y.load() != y;
}

TEST(ObjectThread, StartedWorkerMovesTheObjectAndStopParksIt) {
  TAnimObject object;
  MakeBouncer(object);
  object.Start();
  EXPECT_TRUE(object.IsRunning());
  EXPECT_TRUE(WaitFor([&] { return HasMovedFrom(object, 320, 240); })) << "the worker steps the object";

  object.Stop();
  EXPECT_FALSE(object.IsRunning());
  const double x = object.X.load(), y = object.Y.load();
  const int steps = object.StepCount;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(object.X.load(), x) << "no step after Stop has returned";
  EXPECT_EQ(object.Y.load(), y);
  EXPECT_EQ(object.StepCount, steps);
  object.Stop();  // a second Stop on a parked worker returns at once
  EXPECT_FALSE(object.IsRunning());
}

TEST(ObjectThread, AStoppedObjectCanBeStartedAgain) {
  TAnimObject object;
  MakeBouncer(object);
  object.Start();
  ASSERT_TRUE(WaitFor([&] { return HasMovedFrom(object, 320, 240); }));
  object.Stop();
  object.Start();
  EXPECT_TRUE(object.IsRunning());
  EXPECT_TRUE(WaitFor([&] { return HasMovedFrom(object, 320, 240); }));
  // Start on a running object pauses, resets and resumes it.
  object.Start();
  EXPECT_TRUE(WaitFor([&] { return HasMovedFrom(object, 320, 240); }));
  object.Stop();
}

TEST(ObjectThread, StepsFallDueTwoHundredTimesASecondOfTheTickClock) {
  TManualTicks ticks;
  TAnimObject object;
  MakeBouncer(object);
  const auto reaches = [&object](int steps) { return WaitFor([&] { return object.StepCount >= steps; }); };
  object.Start();
  ASSERT_TRUE(reaches(1)) << "one step at the start";
  // A second of ticks in pieces: ten steps for every 50 ms, however late the worker wakes.
  for (int piece = 1; piece <= 20; ++piece) {
    ticks.Advance(50);
    ASSERT_TRUE(reaches(1 + 10 * piece));
    EXPECT_EQ(object.StepCount, 1 + 10 * piece);
  }
  // A minute away (a suspended machine) is not made up: twenty steps, then the present counts.
  ticks.Advance(60000);
  ASSERT_TRUE(reaches(201 + 20));
  std::this_thread::sleep_for(std::chrono::milliseconds(3 * TObjectThread::kWakeMilliseconds));
  EXPECT_EQ(object.StepCount, 221) << "nothing more is due";
  ticks.Advance(5);
  ASSERT_TRUE(reaches(222));
  object.Stop();
  EXPECT_EQ(object.StepCount, 222);
}

// What the drawing thread sees of a worker that sleeps kWakeMilliseconds, on a system whose
// timer ends every sleep at its next tick (1 ms, or the 15.625 ms a system has by default) and a
// little late besides. The frame loop sleeps through the same timer toward its 32 ms period.
// Over 300 frames the steps between consecutive frames differ by at most one frame's share (the
// steps due in one frame's time: 6.4 at 32 ms), and the rate stays 200 steps a second.
TEST(ObjectThread, FramesSeeTheStepsEvenlyWhateverTheSystemTimer) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> late(0, 1);
  for (const double timer : {1.0, 15.625}) {
    const auto sleepUntil = [&](double due) { return std::ceil(due / timer) * timer + late(random); };
    TStepPacer pacer;
    pacer.Start(0);
    int64_t steps = pacer.Due(0);
    double wake = 0, frame = 0;
    std::vector<int64_t> seen;
    std::vector<double> shown;
    for (int i = 0; i < 300; ++i) {
      frame = sleepUntil(frame + 32);
      shown.push_back(frame);
      for (double next = sleepUntil(wake + TObjectThread::kWakeMilliseconds); next <= frame;
           next = sleepUntil(wake + TObjectThread::kWakeMilliseconds)) {
        wake = next;
        steps += pacer.Due(static_cast<uint32_t>(wake));
      }
      seen.push_back(steps);
    }
    for (size_t i = 2; i < seen.size(); ++i) {
      const int64_t before = seen[i - 1] - seen[i - 2], now = seen[i] - seen[i - 1];
      const double share = (shown[i] - shown[i - 1]) / TStepPacer::kStepMilliseconds;
      EXPECT_LE(std::abs(now - before), share) << "frame " << i << " with a timer of " << timer << " ms";
    }
    EXPECT_NEAR(static_cast<double>(seen.back()), frame / 5, 3) << "the rate, with a timer of " << timer << " ms";
  }
}

TEST(ObjectThread, WithoutThreadsNothingStepsOnItsOwn) {
  TAnimObject object;
  object.Threaded = false;
  MakeBouncer(object);
  object.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(15));
  EXPECT_EQ(object.X.load(), 320);
  EXPECT_EQ(object.StepCount, 0);
}

TEST(ObjectThread, DestroyingARunningObjectEndsItsWorkerPromptly) {
  auto plain = std::make_unique<TAnimObject>();
  MakeBouncer(*plain);
  plain->Start();
  ASSERT_TRUE(WaitFor([&] { return HasMovedFrom(*plain, 320, 240); }));
  auto begin = Clock::now();
  plain.reset();
  EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(500));

  // A picture object whose file is missing still runs its worker once started.
  auto gif = std::make_unique<TGifObject>();
  gif->Filename = "/nonexistent/folder/missing.gif";
  MakeBouncer(*gif);
  gif->Start();
  EXPECT_TRUE(gif->IsRunning());
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  begin = Clock::now();
  gif.reset();
  EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(500));
}

TEST(ObjectThread, DestroyingANeverStartedObjectDoesNotWait) {
  const auto begin = Clock::now();
  for (int i = 0; i < 20; ++i) {
    TImgObject image;
  }
  EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(500));
}

#if defined(__linux__)
int ThreadsOfThisProcess() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
  }
  return -1;
}

TEST(ObjectThread, ALoadedListRunsNoThreadUntilItsObjectsStart) {
  const int before = ThreadsOfThisProcess();
  TAnimObjects list;
  list.LoadFromText(Section("Obj0", "GIF", "/nonexistent/a.gif") + Section("Obj1", "IMG", "/nonexistent/b.jpg") +
                    Section("Obj2", "GIF", "/nonexistent/c.gif") + Section("Obj3", "IMG", "/nonexistent/d.jpg"));
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(ThreadsOfThisProcess(), before) << "a project only looked at starts no thread";
  for (int i = 0; i < list.Count(); ++i) list.Items(i).Start();
  EXPECT_EQ(ThreadsOfThisProcess(), before + 4);
  list.Clear();
  // A joined thread can still be counted for a moment while the kernel reaps it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (ThreadsOfThisProcess() != before && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(ThreadsOfThisProcess(), before);
}
#endif

TEST(ObjectThread, ReloadingAListOfRunningObjectsEndsTheirWorkers) {
  TAnimObjects list;
  list.LoadFromText(Section("Obj0", "GIF", "/nonexistent/a.gif") + Section("Obj1", "IMG", "/nonexistent/b.jpg"));
  ASSERT_EQ(list.Count(), 2);
  for (int i = 0; i < list.Count(); ++i) {
    MakeBouncer(list.Items(i));
    list.Items(i).Start();
    EXPECT_TRUE(list.Items(i).IsRunning());
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto begin = Clock::now();
  list.LoadFromText(Section("Obj0", "IMG", "c.jpg"));
  EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(500));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_FALSE(list.Items(0).IsRunning());
}

}  // namespace
}  // namespace lumora

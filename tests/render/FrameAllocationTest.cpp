// A frame allocates nothing: every table and scratch buffer is built when the engine prepares
// or by the first frames, never again.
#include <gtest/gtest.h>

#include "base/uTicks.h"
#include "platform/uScratchFolder.h"
#include "render/uAnimEngine.h"
#include "render/uSceneRunner.h"
#include "support/AllocationCount.h"
#include "support/SceneFixture.h"

namespace lumora {
namespace {

using namespace testing;

TEST(FrameAllocations, FramesWithObjectsWeatherAndTheClockAllocateNothing) {
  TempDir dir;
  tools::TProjectFile project = ObjectScene();
  project.Weather = WeatherScene(1).Weather;
  const std::string package = WriteScenePackage(dir, "scene", project);
  ASSERT_FALSE(package.empty());
  for (const bool stretched : {false, true}) {
    SCOPED_TRACE(stretched ? "fitted to 300 x 150" : "at its own size");
    TManualTicks ticks(50000);
    const platform::TScratchFolder folder("lumora-alloc-");
    TSceneRunner runner(false);
    ASSERT_TRUE(runner.Open(package, folder.Folder()));
    if (stretched) runner.Fit(300, 150, false);
    runner.Start({100, true, 3, true});
    // Objects mirror as they turn and their GIFs play; the first frames size what they keep.
    for (int i = 0; i < 5; ++i) runner.StepSimulated(ticks, 40);
    for (int i = 0; i < 20; ++i) {
      ticks.Advance(40);
      const TAllocationCount count;
      runner.Engine().StepFrame();
      ASSERT_EQ(count.Count(), 0) << "frame " << i;
    }
  }
}

}  // namespace
}  // namespace lumora

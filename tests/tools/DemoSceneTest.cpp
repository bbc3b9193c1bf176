// vxscene demo: the painted scene must be a complete, loadable scene whose water regions each
// have their own role and enough texture in the picture for their waves to show.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <vector>

#include "Commands.h"
#include "project/uFileIO.h"
#include "project/uVXProject.h"
#include "render/uBitmap32.h"
#include "support/TempDir.h"

namespace lumora::tools {
namespace {

using lumora::testing::ReadAll;
using lumora::testing::TempDir;

class DemoSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunDemo({"--out", dir_.File("demo")}), 0);
    ASSERT_TRUE(project_.Load(ProjectPath()));
    // Region index -> background pixels of that region.
    for (int32_t y = 0; y < project_.RegionMask.Height(); ++y) {
      for (int32_t x = 0; x < project_.RegionMask.Width(); ++x) {
        const int region = RegionColorToIndex(project_.RegionMask.Pixels32(y)[x]);
        if (region > 0) water_[region].push_back(project_.Background.Pixels32(y)[x]);
      }
    }
  }

  std::string ProjectPath() const { return dir_.File("demo") + platform::PathDelimiter() + "VXTemp.vxp"; }

  // The one region whose wave record satisfies `role`; 0 when none or several do.
  template <typename Role>
  int RegionWith(Role role) const {
    int found = 0;
    for (const auto& [region, pixels] : water_) {
      if (!role(project_.GetWaveParam(region - 1))) continue;
      if (found != 0) return 0;
      found = region;
    }
    return found;
  }

  TempDir dir_;
  TProject project_;
  std::map<int, std::vector<TColor32>> water_;
};

TEST_F(DemoSceneTest, IsACompleteSceneFolder) {
  EXPECT_GE(project_.Background.Width(), 1280);
  EXPECT_GE(project_.Background.Height(), 800);
  EXPECT_EQ(project_.RegionMask.Width(), project_.Background.Width());
  EXPECT_EQ(project_.RegionMask.Height(), project_.Background.Height());
  EXPECT_EQ(project_.Thumbnail.Width(), 80);
  EXPECT_EQ(project_.Thumbnail.Height(), 50);
  EXPECT_FALSE(project_.Title.empty());
  EXPECT_FALSE(project_.Description.empty());
  // Packing reads the header and refuses a folder whose entries are missing or misnamed.
  EXPECT_EQ(RunPack({"--out", dir_.File("demo.pkg"), dir_.File("demo")}), 0);
}

TEST_F(DemoSceneTest, HasThreeWaterRegionsWithDistinctRoles) {
  ASSERT_EQ(water_.size(), 3u);
  const int mirror = RegionWith([](const TWaveParam& w) { return w.Reflection(); });
  const int nearWater = RegionWith([](const TWaveParam& w) { return w.Perspective(); });
  const int river = RegionWith([](const TWaveParam& w) { return w.ShiftColumns() && w.Jitter() > 0; });
  EXPECT_NE(mirror, 0);
  EXPECT_NE(nearWater, 0);
  EXPECT_NE(river, 0);
  EXPECT_EQ(std::set<int>({mirror, nearWater, river}).size(), 3u);
  for (const auto& [region, pixels] : water_) {
    const TWaveParam& wave = project_.GetWaveParam(region - 1);
    EXPECT_TRUE(wave.Ripple()) << "region " << region << " would not move";
    EXPECT_GT(wave.Amplitude(), 0) << "region " << region;
    EXPECT_GT(wave.Speed(), 0) << "region " << region;
    EXPECT_GT(wave.Period(), 0) << "region " << region;
  }
}

// A flat colour shows no movement however the waves shift it.
TEST_F(DemoSceneTest, EveryWaterRegionIsPaintedWithVariation) {
  ASSERT_FALSE(water_.empty());
  for (auto& [region, pixels] : water_) {
    std::vector<int> brightness;
    for (TColor32 p : pixels) brightness.push_back(RedOf(p) * 3 + GreenOf(p) * 6 + BlueOf(p));  // tenfold luma
    std::sort(brightness.begin(), brightness.end());
    const int low = brightness[brightness.size() / 20], high = brightness[brightness.size() * 19 / 20];
    EXPECT_GE(high - low, 250) << "region " << region << " is nearly flat";
    EXPECT_GE(std::set<TColor32>(pixels.begin(), pixels.end()).size(), 200u) << "region " << region;
  }
}

// The engine mirrors a reflecting region about its first row, so every column of it must start
// on that row, or the mirror image would be cut off or doubled along the shore.
TEST_F(DemoSceneTest, ReflectingRegionStartsOnOneStraightWaterLine) {
  const int mirror = RegionWith([](const TWaveParam& w) { return w.Reflection(); });
  ASSERT_NE(mirror, 0);
  std::set<int32_t> firstRows;
  int32_t columns = 0;
  for (int32_t x = 0; x < project_.RegionMask.Width(); ++x) {
    for (int32_t y = 0; y < project_.RegionMask.Height(); ++y) {
      if (RegionColorToIndex(project_.RegionMask.Pixels32(y)[x]) == mirror) {
        firstRows.insert(y);
        ++columns;
        break;
      }
    }
  }
  EXPECT_EQ(firstRows.size(), 1u);
  EXPECT_GE(columns, project_.RegionMask.Width() / 2);
  // Scenery to mirror: the water line is well below the top of the picture.
  ASSERT_FALSE(firstRows.empty());
  EXPECT_GE(*firstRows.begin(), project_.RegionMask.Height() / 3);
}

TEST_F(DemoSceneTest, WeatherIsSet) {
  const TWeatherParam& weather = project_.Weather;
  EXPECT_TRUE(weather.Kind() == 1 || weather.Kind() == 2);
  EXPECT_GT(weather.Count(), 0);
  EXPECT_LE(weather.Count(), 1000);
  EXPECT_GE(weather.SpeedIndex(), 0);
  EXPECT_LE(weather.SpeedIndex(), 20);
  EXPECT_GE(weather.Density(), 1);
  EXPECT_LE(weather.Density(), 10);
}

TEST_F(DemoSceneTest, WritesTheSameSceneOnEveryRun) {
  ASSERT_EQ(RunDemo({"--out", dir_.File("again")}), 0);
  EXPECT_EQ(ReadAll(dir_.File("again") + platform::PathDelimiter() + "VXTemp.vxp"), ReadAll(ProjectPath()));
}

TEST(DemoSceneCommandTest, NeedsAnOutputFolderAndNothingElse) {
  TempDir dir;
  EXPECT_THROW(RunDemo({}), UsageError);
  EXPECT_THROW(RunDemo({"--out", dir.File("x"), "extra"}), UsageError);
  EXPECT_EQ(ReadAll(dir.File("x") + platform::PathDelimiter() + "VXTemp.vxp"), "<missing>");
}

}  // namespace
}  // namespace lumora::tools

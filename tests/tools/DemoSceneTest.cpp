// vxscene demo: the painted scene must be a complete, loadable scene whose water regions each
// have their own role and enough texture in the picture for their waves to show, and whose
// animated objects are listed, shipped and seen in its frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Commands.h"
#include "base/uIniText.h"
#include "base/uPathText.h"
#include "objects/uImageObjects.h"
#include "project/uFileIO.h"
#include "project/uSceneFolder.h"
#include "project/uVXProject.h"
#include "sound/uWaveFile.h"
#include "support/PngReader.h"
#include "support/TempDir.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace lumora::tools {
namespace {

using lumora::testing::ReadAll;
using lumora::testing::TempDir;

// The demo, written and loaded once for the whole suite: painting it is slow, and no test
// changes it. Tests write what else they need beside it, each under its own names.
struct WrittenDemo {
  TempDir dir;
  TProject project;
  std::map<int, std::vector<TColor32>> water;  // region index -> background pixels of that region
  bool loaded = false;
};

class DemoSceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    demo_ = std::make_unique<WrittenDemo>();
    if (RunDemo({"--out", File("demo")}) != 0) return;
    TProject& project = demo_->project;
    project.Objects.Threaded = false;  // loaded to be looked at, never started
    if (!project.Load(ProjectPath())) return;
    for (int32_t y = 0; y < project.RegionMask.Height(); ++y) {
      for (int32_t x = 0; x < project.RegionMask.Width(); ++x) {
        const int region = RegionColorToIndex(project.RegionMask.Pixels32(y)[x]);
        if (region > 0) demo_->water[region].push_back(project.Background.Pixels32(y)[x]);
      }
    }
    demo_->loaded = true;
  }
  static void TearDownTestSuite() { demo_.reset(); }
  void SetUp() override { ASSERT_TRUE(demo_ != nullptr && demo_->loaded) << "the demo was not written or not loaded"; }

  static TProject& Project() { return demo_->project; }
  static const std::map<int, std::vector<TColor32>>& Water() { return demo_->water; }
  static std::string File(const std::string& name) { return demo_->dir.File(name); }
  static std::string In(const std::string& folder, const std::string& name) {
    return File(folder) + platform::PathDelimiter() + name;
  }
  static std::string SceneFile(const std::string& name) { return In("demo", name); }
  static std::string ProjectPath() { return SceneFile("VXTemp.vxp"); }

  // The picture objects, with the scene file each of them shows.
  static std::vector<std::pair<TAnimImgObject*, std::string>> Pictures() {
    std::vector<std::pair<TAnimImgObject*, std::string>> pictures;
    for (int i = 0; i < Project().Objects.Count(); ++i) {
      auto* object = dynamic_cast<TAnimImgObject*>(&Project().Objects.Items(i));
      if (object != nullptr) pictures.emplace_back(object, SceneFile(ExtractFileName(object->Filename)));
    }
    return pictures;
  }
  // The first object moving by `motion`, or none.
  static TAnimImgObject* WithMotion(uint8_t motion) {
    for (const auto& [object, file] : Pictures()) {
      if (object->Motion == motion) return object;
    }
    return nullptr;
  }

  // The one region whose wave record satisfies `role`; 0 when none or several do.
  template <typename Role>
  static int RegionWith(Role role) {
    int found = 0;
    for (const auto& [region, pixels] : Water()) {
      if (!role(Project().GetWaveParam(region - 1))) continue;
      if (found != 0) return 0;
      found = region;
    }
    return found;
  }

  static inline std::unique_ptr<WrittenDemo> demo_;
};

// ---- the scene as a whole ----

// Nothing the painting does may depend on the clock, the machine or the run.
TEST_F(DemoSceneTest, WritesTheSameSceneOnEveryRun) {
  ASSERT_EQ(RunDemo({"--out", File("again")}), 0);
  auto names = [](const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  };
  const std::set<std::string> written = names(File("demo"));
  ASSERT_EQ(names(File("again")), written);
  ASSERT_EQ(written.count("VXTemp.vxp"), 1u);
  for (const std::string& name : written) {
    EXPECT_TRUE(ReadAll(In("again", name)) == ReadAll(SceneFile(name))) << name << " differs between runs";
  }
}

// The loaded scene has a mask for the whole background, a thumbnail and weather the engine can
// run, and its header satisfies packing, which refuses a folder whose entries are missing or
// misnamed.
TEST_F(DemoSceneTest, LoadsAndPacksAsACompleteScene) {
  const TProject& project = Project();
  ASSERT_FALSE(project.Background.Empty());
  EXPECT_EQ(project.RegionMask.Width(), project.Background.Width());
  EXPECT_EQ(project.RegionMask.Height(), project.Background.Height());
  EXPECT_FALSE(project.Thumbnail.Empty());
  const TWeatherParam& weather = project.Weather;
  EXPECT_TRUE(weather.Kind() == 1 || weather.Kind() == 2);
  EXPECT_GT(weather.Count(), 0);
  EXPECT_LE(weather.Count(), 1000);
  EXPECT_GE(weather.SpeedIndex(), 0);
  EXPECT_LE(weather.SpeedIndex(), 20);
  EXPECT_GE(weather.Density(), 1);
  EXPECT_LE(weather.Density(), 10);
  EXPECT_EQ(RunPack({"--out", File("demo.pkg"), File("demo")}), 0);
}

// ---- the water ----

// A far mirror, near water in perspective and a river that sways: one region each, all moving.
TEST_F(DemoSceneTest, EachWaterRegionHasItsOwnMovingWaves) {
  const int mirror = RegionWith([](const TWaveParam& w) { return w.Reflection(); });
  const int nearWater = RegionWith([](const TWaveParam& w) { return w.Perspective(); });
  const int river = RegionWith([](const TWaveParam& w) { return w.ShiftColumns() && w.Jitter() > 0; });
  EXPECT_NE(mirror, 0);
  EXPECT_NE(nearWater, 0);
  EXPECT_NE(river, 0);
  EXPECT_EQ(std::set<int>({mirror, nearWater, river}).size(), 3u);
  for (const auto& [region, pixels] : Water()) {
    const TWaveParam& wave = Project().GetWaveParam(region - 1);
    EXPECT_TRUE(wave.Ripple()) << "region " << region << " would not move";
    EXPECT_GT(wave.Amplitude(), 0) << "region " << region;
    EXPECT_GT(wave.Speed(), 0) << "region " << region;
    EXPECT_GT(wave.Period(), 0) << "region " << region;
  }
}

// A flat colour shows no movement however the waves shift it.
TEST_F(DemoSceneTest, EachWaterRegionHasTextureForItsWaves) {
  ASSERT_FALSE(Water().empty());
  for (const auto& [region, pixels] : Water()) {
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
  const TBitmap& mask = Project().RegionMask;
  std::set<int32_t> firstRows;
  int32_t columns = 0;
  for (int32_t x = 0; x < mask.Width(); ++x) {
    for (int32_t y = 0; y < mask.Height(); ++y) {
      if (RegionColorToIndex(mask.Pixels32(y)[x]) == mirror) {
        firstRows.insert(y);
        ++columns;
        break;
      }
    }
  }
  EXPECT_EQ(firstRows.size(), 1u);
  EXPECT_GE(columns, mask.Width() / 2);
  // Scenery to mirror: the water line is well below the top of the picture.
  ASSERT_FALSE(firstRows.empty());
  EXPECT_GE(*firstRows.begin(), mask.Height() / 3);
}

// ---- the objects ----

// Packing takes the files the header names: every picture an object shows must be among them,
// under the name that gives the object's number.
// Pictures, sounds and the music are listed in package order under the names the saver gives
// them, shipped, and readable; every sound is one both systems play.
TEST_F(DemoSceneTest, HeaderListsAndShipsEveryPictureSoundAndTheMusic) {
  const TIniText header(ReadAll(SceneFile("VXHeader.dat")));
  const auto pictures = Pictures();
  ASSERT_FALSE(pictures.empty());
  ASSERT_GT(Project().SoundCount(), 0);
  const int sounds = Project().SoundCount();
  ASSERT_EQ(header.ReadInteger("Header", "ResCount", 0), 2 + static_cast<int>(pictures.size()) + sounds + 1);
  EXPECT_EQ(header.ReadString("Header", "Res0", ""), "VXHeader.dat");
  EXPECT_EQ(header.ReadString("Header", "Res1", ""), "VXTemp.vxp");
  int entry = 2;
  for (size_t i = 0; i < pictures.size(); ++i, ++entry) {
    const std::string listed = header.ReadString("Header", "Res" + std::to_string(entry), "");
    EXPECT_EQ(listed, "obj" + std::to_string(i) + ExtractFileExt(pictures[i].first->Filename));
    EXPECT_EQ(listed, ExtractFileName(pictures[i].first->Filename)) << "the bare project finds it by this name";
    EXPECT_NE(ReadAll(SceneFile(listed)), "<missing>") << listed;
  }
  for (int i = 0; i < sounds; ++i, ++entry) {
    const std::string listed = header.ReadString("Header", "Res" + std::to_string(entry), "");
    EXPECT_EQ(listed, ExtractFileName(RedirectedName("", "sound", i, Project().SoundSlots[static_cast<size_t>(i)].Path())));
    EXPECT_TRUE(ReadWaveFile(SceneFile(listed)).Format.Playable()) << listed;
  }
  EXPECT_TRUE(header.ReadBool("Header", "Music", false));
  const std::string music = ExtractFileName(MusicFileName("", header.ReadString("Header", "MusicFile", "")));
  EXPECT_EQ(header.ReadString("Header", "Res" + std::to_string(entry), ""), music);
  EXPECT_TRUE(ReadWaveFile(SceneFile(music)).Format.Playable());
}

// Each GIF is a figure on a transparent ground that changes from frame to frame.
TEST_F(DemoSceneTest, EveryGifIsAnAnimatedFigureOnATransparentGround) {
  int checked = 0;
  for (const auto& [object, file] : Pictures()) {
    if (dynamic_cast<TGifObject*>(object) == nullptr) continue;
    ++checked;
    EXPECT_EQ(object->TransparentType, 0) << file;
    EXPECT_TRUE(object->Transparent) << file;
    const TGifImage gif = DecodeGifFile(file);
    ASSERT_GE(gif.Frames.size(), 2u) << file;
    std::set<std::string> distinct;
    for (const TGifFrame& frame : gif.Frames) {
      ASSERT_TRUE(frame.HasControl) << file;
      EXPECT_TRUE(frame.Control.TransparentFlag) << file;
      EXPECT_GT(frame.Control.Delay, 0) << file;
      const uint8_t ground = frame.Control.TransparentIndex;
      const auto clear = static_cast<int64_t>(std::count(frame.Indices.begin(), frame.Indices.end(), ground));
      const auto all = static_cast<int64_t>(frame.Indices.size());
      EXPECT_GT(clear, all / 4) << file << ": too little ground";
      EXPECT_GT(all - clear, 100) << file << ": too little figure";
      for (uint8_t index : frame.Indices) {
        if (index == frame.Control.TransparentIndex) continue;
        ASSERT_LT(index, gif.GlobalColors.size());
        // A GIF object never draws pure yellow.
        ASSERT_FALSE(gif.GlobalColors[index] == (TGifColor{255, 255, 0})) << file;
      }
      distinct.emplace(frame.Indices.begin(), frame.Indices.end());
    }
    EXPECT_EQ(distinct.size(), gif.Frames.size()) << file << ": frames repeat";
  }
  EXPECT_GT(checked, 0);
}

// With "TransparentType" 1 the bottom-left pixel is the key: it must be the still picture's
// flat ground, around the figure and not inside it.
TEST_F(DemoSceneTest, StillPictureStandsOnItsKeyColour) {
  int checked = 0;
  for (const auto& [object, file] : Pictures()) {
    if (dynamic_cast<TImgObject*>(object) == nullptr) continue;
    ++checked;
    EXPECT_TRUE(object->Transparent);
    EXPECT_EQ(object->TransparentType, 1);
    TBitmap32 picture;
    LoadPicture(file, picture);
    ASSERT_FALSE(picture.Empty());
    const int32_t w = picture.Width(), h = picture.Height();
    const TColor32 key = picture.PixelAt(0, h - 1);
    for (const auto& [x, y] : std::array<std::pair<int32_t, int32_t>, 3>{{{0, 0}, {w - 1, 0}, {w - 1, h - 1}}}) {
      EXPECT_EQ(picture.PixelAt(x, y), key) << "corner " << x << ", " << y;
    }
    EXPECT_NE(picture.PixelAt(w / 2, h / 2), key) << "the middle of the figure";
    int64_t keyed = 0;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) keyed += picture.PixelAt(x, y) == key ? 1 : 0;
    }
    EXPECT_GT(keyed, int64_t{w} * h / 5);
    EXPECT_LT(keyed, int64_t{w} * h * 4 / 5);
  }
  EXPECT_GT(checked, 0);
}

// The raven is drawn side on and turns to face the way it flies; the boat, drawn bow first, must
// row the way it faces.
TEST_F(DemoSceneTest, MovingFiguresFaceTheWayTheyGo) {
  TAnimImgObject* wanderer = WithMotion(1);
  ASSERT_NE(wanderer, nullptr);
  EXPECT_TRUE(wanderer->DirFlip);
  EXPECT_LE(wanderer->ObjFacing, 1);
  TAnimImgObject* traveller = WithMotion(5);
  ASSERT_NE(traveller, nullptr);
  ASSERT_TRUE(traveller->InitialDir == 1 || traveller->InitialDir == 2);
  EXPECT_EQ(traveller->ObjFacing, traveller->InitialDir == 1 ? 0 : 1);
}

// The objects are drawn where their settings put them, and nothing else in the frame changes:
// the scene rendered from its package against the same project file alone, whose pictures are
// missing, so that it shows no object. Rendered from the scene folder, the bare project finds
// its pictures by name and shows what the package shows. Two long frames reach the second the
// areas below allow for, and the second of them redraws objects that have moved.
TEST_F(DemoSceneTest, ObjectsAppearInRenderedFrames) {
  ASSERT_EQ(RunPack({"--out", File("demo.scr"), File("demo")}), 0);
  auto render = [](const std::string& file, const std::string& out) {
    return RunRender({file, "--out", File(out), "--frames", "2", "--frame-ms", "480", "--no-weather"});
  };
  ASSERT_EQ(render(File("demo.scr"), "packed"), 0);
  std::filesystem::create_directories(File("alone"));
  std::filesystem::copy_file(ProjectPath(), In("alone", "VXTemp.vxp"));
  ASSERT_EQ(render(In("alone", "VXTemp.vxp"), "empty"), 0);

  const testing::TPngPixels with = testing::ReadPngRgb(In("packed", "frame_0002.png"));
  const testing::TPngPixels without = testing::ReadPngRgb(In("empty", "frame_0002.png"));
  ASSERT_EQ(with.width, Project().Background.Width());
  ASSERT_EQ(with.height, Project().Background.Height());
  ASSERT_EQ(with.rgb.size(), without.rgb.size());

  // Where each object shown from the start may be after a second: the still picture's own
  // rectangle, the traveller's row across the frame, the ellipse's rectangle.
  std::vector<TRect> areas;
  for (const auto& [object, file] : Pictures()) {
    if (object->DisplaySec != 0) continue;
    int32_t width = 0, height = 0;
    if (dynamic_cast<TGifObject*>(object) != nullptr) {
      const TGifImage gif = DecodeGifFile(file);
      width = gif.Width;
      height = gif.Height;
    } else {
      TBitmap32 picture;
      LoadPicture(file, picture);
      width = picture.Width();
      height = picture.Height();
    }
    const int32_t top = object->PosTop - height / 2;
    if (object->Motion == 0) {
      areas.push_back(Rect(object->PosLeft - width / 2, top, object->PosLeft - width / 2 + width, top + height));
    } else if (object->Motion == 5) {
      areas.push_back(Rect(0, top, with.width, top + height));
    } else if (object->Motion == 7) {
      areas.push_back(object->MoveAreaRect);
    } else {
      ADD_FAILURE() << file << " shows from the start with motion " << int{object->Motion};
    }
  }
  ASSERT_GE(areas.size(), 3u);
  std::vector<int> changed(areas.size(), 0);
  int elsewhere = 0;
  for (int32_t y = 0; y < with.height; ++y) {
    for (int32_t x = 0; x < with.width; ++x) {
      const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(with.width) + static_cast<size_t>(x)) * 3;
      if (with.rgb[at] == without.rgb[at] && with.rgb[at + 1] == without.rgb[at + 1] &&
          with.rgb[at + 2] == without.rgb[at + 2]) {
        continue;
      }
      bool inside = false;
      for (size_t i = 0; i < areas.size(); ++i) {
        const TRect& a = areas[i];
        if (x >= a.Left && x < a.Right && y >= a.Top && y < a.Bottom) {
          ++changed[i];
          inside = true;
        }
      }
      elsewhere += inside ? 0 : 1;
    }
  }
  for (size_t i = 0; i < areas.size(); ++i) EXPECT_GE(changed[i], 100) << "object area " << i << " shows nothing";
  EXPECT_EQ(elsewhere, 0);

  ASSERT_EQ(render(ProjectPath(), "bare"), 0);
  EXPECT_TRUE(ReadAll(In("bare", "frame_0002.png")) == ReadAll(In("packed", "frame_0002.png")))
      << "the bare project shows other objects than its package";
}

TEST(DemoSceneCommandTest, NeedsAnOutputFolderAndNothingElse) {
  TempDir dir;
  EXPECT_THROW(RunDemo({}), EUsageError);
  EXPECT_THROW(RunDemo({"--out", dir.File("x"), "extra"}), EUsageError);
  EXPECT_EQ(ReadAll(dir.File("x") + platform::PathDelimiter() + "VXTemp.vxp"), "<missing>");
}

}  // namespace
}  // namespace lumora::tools

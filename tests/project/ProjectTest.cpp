// Reading project files into the project model: every field, the optional tail, damaged files.
#include "base/uByteOrder.h"
#include "project/uVXProject.h"

#include <gtest/gtest.h>

#include "base/uErrors.h"
#include "base/uLimits.h"
#include "project/uFileIO.h"
#include "support/ProjectFixture.h"
#include "support/TempDir.h"

namespace lumora {
namespace {

using testing::SmallProject;
using testing::TempDir;
using tools::ProjectFileBytes;
using tools::TProjectFile;

class ProjectTest : public ::testing::Test {
 protected:
  bool Load(const TProjectFile& file) { return project_.Load(dir_.Write("VXTemp.vxp", ProjectFileBytes(file))); }
  bool LoadBytes(const std::string& bytes) { return project_.Load(dir_.Write("VXTemp.vxp", bytes)); }
  TempDir dir_;
  TProject project_;
};

TEST_F(ProjectTest, EveryFieldWrittenIsRead) {
  TProjectFile file = SmallProject();
  file.FirstWaveCount = 99;  // stored but never used
  file.Waves[0].SetAmplitude(9);
  file.Waves[0].Record[19] = 0xAB;  // reserved bytes travel unchanged
  file.Waves[5].SetPeriod(180);
  file.Waves[7].SetReflection(true);
  file.Weather.SetDensity(4);
  file.SoundSlots[0].SetPath("C:\\Sounds\\loon.wav");
  file.SoundSlots[0].SetPlayMode(1);
  file.SoundSlots[0].SetIntervalMin(5);
  file.SoundSlots[0].SetIntervalMax(20);
  file.ObjectText = "[Obj0]\r\nObjType=GIF\r\n";
  file.BuildSettings =
      "[BuildScr],\"Filename=C:\\My Scenes\\Lake.scr\",MusicFile=,Music=1,Sound=0,,[BuildExe],Filename=lake.exe";
  ASSERT_TRUE(Load(file));

  EXPECT_EQ(project_.FileName, dir_.File("VXTemp.vxp"));
  EXPECT_EQ(project_.Title, "Lake");
  EXPECT_EQ(project_.Description, "A quiet lake");
  EXPECT_EQ(project_.Width, 8);
  EXPECT_EQ(project_.Height, 6);
  EXPECT_EQ(project_.Thumbnail.Width(), 4);
  EXPECT_EQ(project_.Background.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(project_.GetWaveParam(0).Amplitude(), 9);
  EXPECT_EQ(project_.GetWaveParam(0).Record[19], 0xAB);
  EXPECT_EQ(project_.GetWaveParam(5).Period(), 180);
  EXPECT_TRUE(project_.GetWaveParam(7).Reflection());
  EXPECT_EQ(project_.Weather.Record, file.Weather.Record);
  EXPECT_EQ(project_.SoundCount(), 1);
  EXPECT_EQ(project_.SoundSlots[0].Path(), "C:\\Sounds\\loon.wav");
  EXPECT_EQ(project_.SoundSlots[0].IntervalMax(), 20);
  EXPECT_EQ(project_.ObjectText, file.ObjectText);
  EXPECT_EQ(project_.ExtraInfo.ScrFilename, "C:\\My Scenes\\Lake.scr");  // quoted: read whole
  EXPECT_TRUE(project_.ExtraInfo.ScrMusic);
  EXPECT_FALSE(project_.ExtraInfo.ScrSound);
  EXPECT_EQ(project_.ExtraInfo.ExeFilename, "lake.exe");
  EXPECT_TRUE(project_.ExtraInfo.ExeSound);  // missing: the default
  EXPECT_EQ(project_.RegionMask.Width(), 8);
  EXPECT_EQ(project_.RegionMask.Pixels32(0)[0], 0u);
  EXPECT_EQ(project_.RegionMask.Pixels32(3)[0], RegionColors[1]);
  EXPECT_EQ(project_.RegionMask.Pixels32(5)[7], RegionColors[3]);
}

TEST_F(ProjectTest, FileEndingAfterTheWeatherRecordLoadsWithDefaults) {
  TProjectFile file = SmallProject();
  file.WriteTail = false;
  file.Waves[4].SetAmplitude(33);  // not written without the tail
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(project_.SoundCount(), 0);
  EXPECT_EQ(project_.ObjectText, "");
  EXPECT_EQ(project_.GetWaveParam(4).Record, TWaveParam::Defaults().Record);
  EXPECT_EQ(project_.GetWaveParam(7).Amplitude(), 6);
  EXPECT_TRUE(project_.ExtraInfo.ScrSound);
  EXPECT_FALSE(project_.ExtraInfo.ExeMusic);
}

TEST_F(ProjectTest, TailStopsWhereTheFileDoes) {
  TProjectFile file = SmallProject();
  file.ObjectText = "[Obj0]\r\n";
  file.BuildSettings = "[BuildExe],Music=1";
  file.Waves[4].SetAmplitude(40);
  file.Waves[5].SetAmplitude(50);
  std::string bytes = ProjectFileBytes(file);
  // Cut inside wave record 5: record 4 stands, 5 to 7 keep their defaults.
  ASSERT_TRUE(LoadBytes(bytes.substr(0, bytes.size() - 3 * 32 + 5)));
  EXPECT_EQ(project_.GetWaveParam(4).Amplitude(), 40);
  EXPECT_EQ(project_.GetWaveParam(5).Amplitude(), 6);
  EXPECT_TRUE(project_.ExtraInfo.ExeMusic);

  // More than four further records: four are read, the rest ignored.
  file.FurtherWaveCount = 9;
  std::string more = ProjectFileBytes(file) + std::string(5 * 32, '\x7F');
  ASSERT_TRUE(LoadBytes(more));
  EXPECT_EQ(project_.GetWaveParam(5).Amplitude(), 50);
}

TEST_F(ProjectTest, TruncatedMandatoryFieldsFailTheLoad) {
  TProjectFile file = SmallProject();
  file.WriteTail = false;
  const std::string bytes = ProjectFileBytes(file);
  for (size_t cut = 0; cut < bytes.size(); cut += (cut < 80 || cut + 80 > bytes.size()) ? 1 : 37) {
    SCOPED_TRACE(cut);
    EXPECT_FALSE(LoadBytes(bytes.substr(0, cut)));
  }
  EXPECT_TRUE(LoadBytes(bytes));
}

TEST_F(ProjectTest, MagicMustMatchExactly) {
  std::string bytes = ProjectFileBytes(SmallProject());
  bytes[7] = '8';  // "VX060698"
  EXPECT_FALSE(LoadBytes(bytes));
  bytes[7] = '7';
  bytes[0] = 'v';
  EXPECT_FALSE(LoadBytes(bytes));
  EXPECT_FALSE(LoadBytes("VX0606"));
  EXPECT_FALSE(project_.Load(dir_.File("missing.vxp")));
}

TEST_F(ProjectTest, FailedLoadLeavesTheEmptiedProject) {
  ASSERT_TRUE(Load(SmallProject()));
  project_.SetSpeed(240);
  std::string bytes = ProjectFileBytes(SmallProject());
  EXPECT_FALSE(LoadBytes(bytes.substr(0, 100)));
  EXPECT_EQ(project_.Weather.Kind(), 0);
  EXPECT_TRUE(project_.Background.Empty());
  EXPECT_TRUE(project_.RegionMask.Empty());
  EXPECT_EQ(project_.ObjectText, "");
  EXPECT_EQ(project_.GetWaveParam(0).Amplitude(), 0);
  EXPECT_EQ(project_.Speed, 240);  // Load never touches the speed
}

TEST_F(ProjectTest, LengthFieldsLargerThanTheFileFailAtOnce) {
  // A 100-byte file that claims gigabytes must fail without trying to allocate them.
  auto withInt = [](int32_t value) {
    return "VX060697" + LeBytes(static_cast<uint32_t>(value)) + std::string(88, 'x');
  };
  EXPECT_FALSE(LoadBytes(withInt(0x7FFFFFFF)));  // title length
  EXPECT_FALSE(LoadBytes(withInt(-5)));          // a negative length
  TProjectFile file = SmallProject();
  file.Runs = {8, 6};
  std::string bytes = ProjectFileBytes(file);
  // The run count sits right after the four wave records; make it huge.
  const size_t runCount = 8 + 4 + 4 + 4 + 12 + 4 + file.ThumbnailJpeg.size() + 4 + 4 * 32;
  ASSERT_EQ(bytes.substr(runCount, 4), std::string("\x02\x00\x00\x00", 4));
  bytes.replace(runCount, 4, std::string("\xFF\xFF\xFF\x3F", 4));
  EXPECT_FALSE(LoadBytes(bytes));
}

// What the loader says about `bytes`: "" when it reads them, else the message it refuses them with.
std::string LoaderRefusal(const TempDir& dir, const std::string& bytes) {
  TFileLoader loader;
  try {
    loader.LoadFromFile(dir.Write("limits.vxp", bytes));
  } catch (const EInOutError& error) {
    return error.what();
  }
  return "";
}

TEST_F(ProjectTest, LengthsBeyondTheirLimitsAreRefusedBeforeTheBytesAreSought) {
  TProjectFile file = SmallProject();
  file.WriteTail = false;
  const std::string bytes = ProjectFileBytes(file);
  const size_t title = 8, description = title + 4 + file.Title.size();
  const size_t thumbnail = description + 4 + file.Description.size();
  const size_t runs = thumbnail + 4 + file.ThumbnailJpeg.size() + 4 + 4 * TWaveParam::kSize;
  const size_t background = runs + 4 + 4 * file.Runs.size();
  const size_t soundPath = background + 4 + file.BackgroundJpeg.size();
  struct TField {
    size_t Offset;
    int64_t Limit;
    std::string Refusal, PastTheEnd;
  };
  const TField fields[] = {
      {title, kMaxProjectTextBytes, "The title is 1048577 bytes long; at most 1048576 are allowed",
       "title runs past the end of the project file"},
      {description, kMaxProjectTextBytes, "The description is 1048577 bytes long; at most 1048576 are allowed",
       "description runs past the end of the project file"},
      {thumbnail, kMaxPictureFileBytes, "The thumbnail is 268435457 bytes long; at most 268435456 are allowed",
       "thumbnail runs past the end of the project file"},
      {runs, kMaxRegionRuns, "The region mask has 64000003 runs; at most 64000002 are allowed",
       "The region runs run past the end of the project file"},
      {background, kMaxPictureFileBytes,
       "The background picture is 268435457 bytes long; at most 268435456 are allowed",
       "background picture runs past the end of the project file"},
      {soundPath, kMaxProjectTextBytes, "The single sound path is 1048577 bytes long; at most 1048576 are allowed",
       "single sound path runs past the end of the project file"},
  };
  ASSERT_EQ(LoaderRefusal(dir_, bytes), "");
  for (const TField& field : fields) {
    SCOPED_TRACE(field.Refusal);
    std::string changed = bytes;
    changed.replace(field.Offset, 4, LeBytes(static_cast<uint32_t>(field.Limit + 1)));
    EXPECT_EQ(LoaderRefusal(dir_, changed), field.Refusal);
    EXPECT_FALSE(LoadBytes(changed));
    // At the limit the length is allowed, and only the bytes that are not there fail it.
    changed.replace(field.Offset, 4, LeBytes(static_cast<uint32_t>(field.Limit)));
    EXPECT_EQ(LoaderRefusal(dir_, changed), field.PastTheEnd);
  }
  // A text of exactly the limit is read whole.
  file.Title = std::string(static_cast<size_t>(kMaxProjectTextBytes), 't');
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(project_.Title.size(), static_cast<size_t>(kMaxProjectTextBytes));
}

TEST_F(ProjectTest, ObjectTextBeyondItsLimitIsLeftOutLikeADamagedTail) {
  TProjectFile file = SmallProject();
  const std::string section = "[Obj0]\r\nObjType=IMG\r\n;";
  file.ObjectText = section + std::string(static_cast<size_t>(kMaxObjectTextBytes) - section.size(), 'x');
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(project_.Objects.Count(), 1);
  file.ObjectText += 'x';
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(project_.ObjectText, "");
  EXPECT_EQ(project_.Objects.Count(), 0);
}

TEST_F(ProjectTest, WeatherDensityDefaultsByKind) {
  for (auto [kind, expected] : {std::pair{1, 9}, {2, 6}, {0, 0}, {3, 0}}) {
    TProjectFile file = SmallProject();
    file.Weather.SetKind(kind);
    file.Weather.SetDensity(0);
    ASSERT_TRUE(Load(file));
    EXPECT_EQ(project_.Weather.Density(), expected) << kind;
  }
}

TEST_F(ProjectTest, SingleSoundPathJoinsTheFirstFreeSlot) {
  TProjectFile file = SmallProject();
  for (int i = 0; i < 3; ++i) file.SoundSlots[static_cast<size_t>(i)].SetPath("s" + std::to_string(i) + ".wav");
  file.SoundSlots[3].SetPlayMode(2);
  file.SoundSlots[3].SetIntervalMin(7);
  file.SingleSoundPath = "C:\\extra.wav";
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(project_.SoundCount(), 4);
  EXPECT_EQ(project_.SoundSlots[3].Path(), "C:\\extra.wav");
  EXPECT_EQ(project_.SoundSlots[3].PlayMode(), 0);
  EXPECT_EQ(project_.SoundSlots[3].IntervalMin(), 7);  // interval fields stay as read

  for (const char* none : {"<NO SOUND>", "<no sound>", "<No Sound>"}) {
    file.SingleSoundPath = none;
    ASSERT_TRUE(Load(file));
    EXPECT_EQ(project_.SoundCount(), 3) << none;
  }
  // With every slot used the path has nowhere to go.
  for (auto& slot : file.SoundSlots) slot.SetPath("x.wav");
  file.SingleSoundPath = "C:\\dropped.wav";
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(project_.SoundCount(), 8);
  EXPECT_EQ(project_.SoundSlots[7].Path(), "x.wav");

  file.SingleSoundPath = std::string(300, 'p');
  file.SoundSlots = {};
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(project_.SoundSlots[0].Path(), std::string(255, 'p'));
}

TEST_F(ProjectTest, UndecodablePictureFailsTheLoad) {
  TProjectFile file = SmallProject();
  file.BackgroundJpeg = "not a jpeg";
  EXPECT_FALSE(Load(file));
}

TEST(RegionMask, RunsFillRowByRow) {
  TBitmap mask;
  DecodeRegionMask({400, 2, 3260, 373, 4001}, mask);
  ASSERT_EQ(mask.Width(), 400);
  EXPECT_EQ(mask.Pixels32(0)[325], 0u);               // 326 pixels of nothing
  EXPECT_EQ(mask.Pixels32(0)[326], RegionColors[3]);  // then 37 of region 3
  EXPECT_EQ(mask.Pixels32(0)[362], RegionColors[3]);
  EXPECT_EQ(mask.Pixels32(0)[363], RegionColors[1]);  // 400 of region 1, over the row end
  EXPECT_EQ(mask.Pixels32(1)[362], RegionColors[1]);
  EXPECT_EQ(mask.Pixels32(1)[363], 0u);  // never covered

  DecodeRegionMask({5, 4}, mask);  // exactly two values: a blank mask of that size
  EXPECT_EQ(mask.Height(), 4);
  EXPECT_EQ(mask.Pixels32(3)[4], 0u);

  DecodeRegionMask({3, 1, 17, 28, 9}, mask);  // colour indices 7 to 9: no region
  EXPECT_EQ(mask.Pixels32(0)[0], 0u);
  EXPECT_EQ(mask.Pixels32(0)[2], 0u);
}

TEST(RegionMask, BadRunsFailWithoutWritingOutside) {
  TBitmap mask;
  EXPECT_THROW(DecodeRegionMask({4}, mask), EInOutError);
  EXPECT_NO_THROW(DecodeRegionMask({4, 2, 81}, mask));            // 8 pixels fit exactly
  EXPECT_THROW(DecodeRegionMask({4, 2, 91}, mask), EInOutError);  // the ninth is below the mask
  EXPECT_THROW(DecodeRegionMask({4, 2, 10, -10}, mask), EInOutError);
  EXPECT_THROW(DecodeRegionMask({0, 2, 11}, mask), EInOutError);
  EXPECT_THROW(DecodeRegionMask({-1, 2}, mask), EInOutError);
  EXPECT_THROW(DecodeRegionMask({100000, 100000}, mask), EPictureError);
}

TEST(RegionMask, ColourToIndex) {
  for (int k = 0; k <= 6; ++k) EXPECT_EQ(RegionColorToIndex(RegionColors[static_cast<size_t>(k)]), k);
  EXPECT_EQ(RegionColorToIndex(0xFF0000FF), 0);  // alpha counts: not the region colour
  EXPECT_EQ(RegionColorToIndex(0x00123456), 0);
}

}  // namespace
}  // namespace lumora

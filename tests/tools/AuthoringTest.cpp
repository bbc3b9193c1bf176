// Scene authoring's parts in-process: the text and JSON conversions, the ranges build checks,
// what build makes of values an author leaves out, and regions.png both ways. The commands as
// programs, round trips and author errors included, are tests/tools/vxscene_authoring.sh.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "AuthorPictures.h"
#include "Commands.h"
#include "JsonText.h"
#include "ProjectWriter.h"
#include "SceneValues.h"
#include "objects/uImageObjects.h"
#include "project/uFileIO.h"
#include "project/uSceneFolder.h"
#include "support/GifPictures.h"
#include "support/TempDir.h"
#include "surface/uCodecs.h"

namespace lumora::tools {
namespace {

using lumora::testing::TempDir;

TEST(Authoring, TextsGoToUtf8AndBackExactlyAndRefuseWhatTheyCannotHold) {
  std::string every;
  for (int byte = 1; byte < 256; ++byte) every += static_cast<char>(byte);
  const std::string utf8 = Utf8FromWindows1252(every);
  EXPECT_EQ(Windows1252FromUtf8(utf8), every);
  EXPECT_EQ(Utf8FromWindows1252("\x80\x81\x9F\xE9"), "\u20AC\u0081\u0178\u00E9");
  for (const char* foreign : {"\u4E2D", "\u0080", "\U0001F600", "\xC0\x80", "\x80", "\xED\xA0\x80", "\xE2\x82"}) {
    EXPECT_EQ(Windows1252FromUtf8(foreign), std::nullopt) << foreign;
  }
}

// The one-line form other tools read, escapes included, must not drift with the library.
TEST(Authoring, JsonLineKeepsTheToolsOneLineForm) {
  TJson value = TJson::object();
  value["text"] = JsonText("a\"b\\c\\b\b\f\t\n\r\x01\x7F\xE9\x80");
  value["list"] = TJson{1, -2, true, nullptr, TJson::array(), TJson::object()};
  value["nested"] = TJson{{"k", "v"}, {"n", 3}};
  EXPECT_EQ(JsonLine(value),
            "{\"text\": \"a\\\"b\\\\c\\\\b\\u0008\\u000c\\t\\n\\r\\u0001\x7F\u00E9\u20AC\", "
            "\"list\": [1, -2, true, null, [], {}], \"nested\": {\"k\": \"v\", \"n\": 3}}");
}

template <class R>
void ExpectInRanges(std::string_view group, std::span<const TIniKey<R>> keys, const R& defaults) {
  for (const TIniKey<R>& key : keys) {
    // The header's entry count is the package's own, never the author's.
    if (!IsReadKey(key) || key.Width == TIniWidth::Text || key.Width == TIniWidth::Bool ||
        std::string_view(key.Name) == "ResCount") {
      continue;
    }
    const TValueRange range = RangeOf(group, key.Name);  // throws for a key without a range
    EXPECT_LE(range.Low, key.Get(defaults)) << group << "." << key.Name;
    EXPECT_GE(range.High, key.Get(defaults)) << group << "." << key.Name;
  }
}

// A key added to a record without a range would stop build; a default outside its range would
// refuse the scenes `new` makes.
TEST(Authoring, EveryNumberKeyHasARangeHoldingItsDefault) {
  TAnimObjects objects;
  objects.Threaded = false;
  objects.LoadFromText("[Obj0]\r\nObjType=GIF\r\n[Obj1]\r\nObjType=IMG\r\n");
  ASSERT_EQ(objects.Count(), 2);
  const auto& gif = dynamic_cast<const TGifObject&>(objects.Items(0));
  const auto& image = dynamic_cast<const TImgObject&>(objects.Items(1));
  ExpectInRanges("objects", TAnimObject::CommonKeys(), objects.Items(0));
  ExpectInRanges("objects", TGifObject::Keys(), gif);
  ExpectInRanges("objects", TImgObject::Keys(), image);
  ExpectInRanges("waves", WaveKeys(), TWaveParam::Defaults());
  ExpectInRanges("weather", WeatherKeys(), TWeatherParam());
  ExpectInRanges("sounds", SoundKeys(), SoundSlot());
  ExpectInRanges("header", TSceneHeader::Keys(), TSceneHeader());
  EXPECT_THROW(RangeOf("waves", "Amplitud"), std::logic_error);
}

// A scene.json that gives only what an object cannot do without: everything else must come out
// as the saver's readers give it when their files leave it out.
TEST(Authoring, BuildGivesLeftOutValuesTheReadersDefaults) {
  TempDir dir;
  TBitmap32 picture;
  picture.SetSize(32, 24);
  picture.Clear(Color32(40, 80, 120));
  dir.Write("background.jpg", EncodeJpeg(picture, 90));
  picture.Clear(Color32(0, 0, 0));
  dir.Write("regions.png", EncodePng(picture));
  testing::WriteGif(dir, testing::Gif(2, 1, {testing::Frame(0, 0, {"12"})}), "a.gif");
  dir.Write("scene.json", R"({"objects": [{"ObjType": "GIF", "Filename": "a.gif"},
                                          {"ObjType": "IMG", "Filename": "C:\\art\\a.gif"}]})");
  ASSERT_EQ(RunBuild({dir.Path(), "--out", dir.File("out.scr")}), 0);

  const TScene scene = ExtractSceneInto(dir.File("out.scr"), dir.File("unpacked"));
  TProject project;
  project.Objects.Threaded = false;
  ASSERT_TRUE(project.Load(scene.ProjectFileName));
  EXPECT_EQ(scene.Header.Res, (std::vector<std::string>{"VXHeader.dat", "VXTemp.vxp", "obj0.gif", "obj1.gif"}));
  EXPECT_FALSE(scene.Header.Music);
  EXPECT_EQ(scene.Header.MusicVolume, 100);
  EXPECT_EQ(scene.Header.SoundVolume, 100);
  EXPECT_EQ(project.Title, "");
  for (const TWaveParam& wave : project.WaveParams) EXPECT_EQ(wave.Record, TWaveParam::Defaults().Record);
  EXPECT_EQ(project.Weather.Record, TWeatherParam().Record);
  EXPECT_EQ(project.SoundCount(), 0);
  EXPECT_EQ(ExtraInfoJson(project.ExtraInfo), ExtraInfoJson(TExtraInfo()));
  EXPECT_EQ(project.Thumbnail.Width(), 80);  // made from the 4:3 background
  EXPECT_EQ(project.Thumbnail.Height(), 60);

  TAnimObjects reference;
  reference.Threaded = false;
  reference.LoadFromText(
      "[Obj0]\r\nObjType=GIF\r\nFilename=a.gif\r\n[Obj1]\r\nObjType=IMG\r\nFilename=C:\\art\\a.gif\r\n");
  ASSERT_EQ(project.Objects.Count(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(ObjectJson(project.Objects.Items(i)), ObjectJson(reference.Items(i))) << i;
}

// Random masks through regions.png and back; a stray colour is named by its first pixel.
TEST(Authoring, RegionsPictureCarriesEveryMaskAndNamesTheFirstBadPixel) {
  std::mt19937 random(15);
  for (int round = 0; round < 60; ++round) {
    const int32_t width = 1 + static_cast<int32_t>(random() % 40);
    const int32_t height = 1 + static_cast<int32_t>(random() % 30);
    std::vector<uint8_t> regions;
    while (regions.size() < static_cast<size_t>(width * height)) {
      regions.insert(regions.end(), 1 + random() % 12, static_cast<uint8_t>(random() % 7));
    }
    regions.resize(static_cast<size_t>(width * height));
    TBitmap mask;
    DecodeRegionMask(EncodeRegionRuns(width, height, regions), mask);
    TBitmap32 picture;
    RegionPicture(mask, picture);
    ASSERT_EQ(ReadRegionPicture(EncodePng(picture), "regions.png", width, height), regions) << round;
  }

  TBitmap32 picture;
  picture.SetSize(9, 7);
  picture.Clear(Color32(0, 0, 0));
  picture.PixelAt(2, 5) = Color32(0, 0, 254);
  picture.PixelAt(6, 3) = Color32(255, 0, 255);  // region 2
  picture.PixelAt(8, 3) = Color32(10, 20, 30);
  try {
    ReadRegionPicture(EncodePng(picture), "regions.png", 9, 7);
    ADD_FAILURE() << "a stray colour was taken";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(),
                 "regions.png: pixel (8, 3) is #0A141E, neither black nor a region colour (see regionColors in "
                 "scene.json)");
  }
  EXPECT_THROW(ReadRegionPicture(EncodePng(picture), "regions.png", 9, 8), std::runtime_error);
}

}  // namespace
}  // namespace lumora::tools

// Object sections: the defaults of a sparse section, the reading rules of the keys, what survives
// a load and a save, and the exact shape and key order of the saved text.
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "base/uIniText.h"
#include "base/uTicks.h"
#include "objects/uImageObjects.h"
#include "objects/uObject.h"

namespace lumora {
namespace {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// "[Obj<index>]" and one "key=value" line per entry, CR LF as the project file writes them.
std::string Section(int index, const KeyValues& keys) {
  std::string text = "[Obj" + std::to_string(index) + "]\r\n";
  for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
  return text + "\r\n";
}

// The key lines of a saved section, in order (the section line and empty lines left out).
KeyValues SavedKeys(const std::string& text) {
  KeyValues keys;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) keys.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    start = end + 2;
  }
  return keys;
}

std::string SavedValue(const std::string& text, const std::string& key) {
  for (const auto& [k, v] : SavedKeys(text)) {
    if (k == key) return v;
  }
  return "<absent>";
}

std::vector<std::string> KeyNames(const KeyValues& keys) {
  std::vector<std::string> names;
  for (const auto& entry : keys) names.push_back(entry.first);
  return names;
}

// The common keys in the order the section is written.
const std::vector<std::string> kCommonKeyOrder = {"Left",
                                                  "Top",
                                                  "Width",
                                                  "Height",
                                                  "Scaled",
                                                  "MoveAreaRectleft",
                                                  "MoveAreaRecttop",
                                                  "MoveAreaRectright",
                                                  "MoveAreaRectbottom",
                                                  "WidthSize",
                                                  "HeightSize",
                                                  "Speed",
                                                  "InitialPos",
                                                  "InitialDir",
                                                  "PosLeftType",
                                                  "PosTopType",
                                                  "PosLeft",
                                                  "PosTop",
                                                  "ObjFacing",
                                                  "Opacity",
                                                  "DisplaySec",
                                                  "DisplayDurationType",
                                                  "DisplayDurationSec",
                                                  "DIsplayDurationCycle",
                                                  "Motion",
                                                  "MotionSpeed",
                                                  "MotionAreaType",
                                                  "DirFlip",
                                                  "Redisplay",
                                                  "RedisplayDelay",
                                                  "RedisplayTimes",
                                                  "ResetPos",
                                                  "RestrictArea"};

// Every key read or kept, each with a value that differs from its default; `flipped` turns
// every boolean the other way (so that each value of each boolean is seen).
KeyValues FullSection(const std::string& objType, bool flipped = false) {
  KeyValues keys = {{"Width", "321"},
                    {"Height", "123"},
                    {"Scaled", "1"},
                    {"MoveAreaRectleft", "11"},
                    {"MoveAreaRecttop", "12"},
                    {"MoveAreaRectright", "613"},
                    {"MoveAreaRectbottom", "414"},
                    {"WidthSize", "150"},
                    {"HeightSize", "75"},
                    {"Speed", "33"},
                    {"InitialPos", "0"},
                    {"InitialDir", "6"},
                    {"PosLeftType", "4"},
                    {"PosTopType", "2"},
                    {"PosLeft", "-17"},
                    {"PosTop", "250"},
                    {"ObjFacing", "0"},
                    {"Opacity", "7"},
                    {"DisplaySec", "3"},
                    {"DisplayDurationType", "1"},
                    {"DisplayDurationSec", "45"},
                    {"DIsplayDurationCycle", "8"},
                    {"Motion", "7"},
                    {"MotionSpeed", "25"},
                    {"MotionAreaType", "1"},
                    {"DirFlip", "1"},
                    {"Redisplay", "0"},
                    {"RedisplayDelay", "4"},
                    {"RedisplayTimes", "6"},
                    {"ResetPos", "0"},
                    {"RestrictArea", "0"},
                    {"ObjType", objType},
                    {"Filename", "C:\\scene\\bird.gif"}};
  if (objType == "GIF") keys.emplace_back("AnimSpeed", "15");
  keys.emplace_back("Transparent", "0");
  keys.emplace_back("TransparentType", "2");
  keys.emplace_back("TransparentColor", "65280");
  if (objType == "GIF") keys.emplace_back("RefreshFrame", "1");
  if (flipped) {
    for (auto& [key, value] : keys) {
      if (key == "DirFlip" || key == "Redisplay" || key == "ResetPos" || key == "RestrictArea" ||
          key == "Transparent" || key == "RefreshFrame") {
        value = value == "1" ? "0" : "1";
      }
    }
  }
  return keys;
}

// ---- Defaults ----

// The fields that every sparse section gets, whatever the object's class.
void ExpectCommonDefaults(const TAnimImgObject& object) {
  EXPECT_EQ(object.Motion, 0);
  EXPECT_EQ(object.Opacity, 10);
  EXPECT_EQ(object.WidthSize, 100);
  EXPECT_EQ(object.HeightSize, 100);
  EXPECT_EQ(object.PosLeft, 100);
  EXPECT_EQ(object.PosTop, 100);
  EXPECT_EQ(object.ObjFacing, 1);
  EXPECT_EQ(object.MotionSpeed, 10);
  EXPECT_EQ(object.Speed, 10);
  EXPECT_TRUE(object.Redisplay);
  EXPECT_TRUE(object.ResetPos);
  EXPECT_TRUE(object.RestrictArea);
  EXPECT_TRUE(object.Transparent);
  EXPECT_TRUE(object.Scaled);
  EXPECT_FALSE(object.DirFlip);
  EXPECT_EQ(object.DisplaySec, 0);
  EXPECT_EQ(object.DisplayDurationType, 0);
  EXPECT_EQ(object.DisplayDurationSec, 60);
  EXPECT_EQ(object.DIsplayDurationCycle, 10);
  EXPECT_EQ(object.RedisplayDelay, 0);
  EXPECT_EQ(object.RedisplayTimes, 1);
  EXPECT_EQ(object.MotionAreaType, 0);
  EXPECT_EQ(object.PosLeftType, 0);
  EXPECT_EQ(object.PosTopType, 0);
  EXPECT_EQ(object.Filename, "pic.x");
}

TEST(ObjectSection, SparseGifSectionGetsTheReadersDefaults) {
  TGifObject gif;
  gif.LoadFromText(Section(0, {{"ObjType", "GIF"}, {"Filename", "pic.x"}}));
  ExpectCommonDefaults(gif);
  EXPECT_EQ(gif.TransparentType, 0);
  EXPECT_EQ(gif.AnimSpeed, 10);
  EXPECT_FALSE(gif.RefreshFrame);
}

TEST(ObjectSection, SparseStillImageSectionGetsTransparentType1) {
  TImgObject image;
  image.LoadFromText(Section(0, {{"ObjType", "IMG"}, {"Filename", "pic.x"}}));
  ExpectCommonDefaults(image);
  EXPECT_EQ(image.TransparentType, 1);
}

TEST(ObjectSection, MalformedNumbersGiveTheKeyDefaults) {
  TImgObject image;
  image.LoadFromText(Section(0, {{"Filename", "pic.x"},
                                 {"WidthSize", "wide"},
                                 {"Opacity", "0x"},
                                 {"PosLeft", "12abc"},
                                 {"Redisplay", "yes"},
                                 {"MotionSpeed", ""}}));
  EXPECT_EQ(image.WidthSize, 100);
  EXPECT_EQ(image.Opacity, 10);
  EXPECT_EQ(image.PosLeft, 100);
  EXPECT_TRUE(image.Redisplay);
  EXPECT_EQ(image.MotionSpeed, 10);
}

// ---- Reading rules ----

TEST(ObjectSection, ScaledIsTrueWhateverTheKeySaysAndIsSavedAsOne) {
  TGifObject gif;
  EXPECT_FALSE(gif.Scaled);  // a new object is not scaled until it has been loaded
  gif.LoadFromText(Section(0, {{"ObjType", "GIF"}, {"Scaled", "0"}}));
  EXPECT_TRUE(gif.Scaled);
  EXPECT_EQ(SavedValue(gif.SaveToText(), "Scaled"), "1");
}

TEST(ObjectSection, EightBitKeysKeepTheLowByteAndAreSavedAsZeroTo255) {
  const KeyValues wide = {{"Motion", "257"},         {"InitialDir", "258"},       {"PosLeftType", "259"},
                          {"PosTopType", "-255"},    {"ObjFacing", "-1"},         {"DisplayDurationType", "513"},
                          {"MotionAreaType", "256"}, {"TransparentType", "0x102"}};
  TGifObject gif;
  gif.LoadFromText(Section(0, wide));
  EXPECT_EQ(gif.Motion, 1);
  EXPECT_EQ(gif.InitialDir, 2);
  EXPECT_EQ(gif.PosLeftType, 3);
  EXPECT_EQ(gif.PosTopType, 1);  // -255 is ...FF01 in two's complement
  EXPECT_EQ(gif.ObjFacing, 255);
  EXPECT_EQ(gif.DisplayDurationType, 1);
  EXPECT_EQ(gif.MotionAreaType, 0);
  EXPECT_EQ(gif.TransparentType, 2);

  const std::string saved = gif.SaveToText();
  EXPECT_EQ(SavedValue(saved, "Motion"), "1");
  EXPECT_EQ(SavedValue(saved, "ObjFacing"), "255");
  EXPECT_EQ(SavedValue(saved, "PosTopType"), "1");
}

TEST(ObjectSection, HexadecimalValuesAndAnyLetterCaseAreRead) {
  TImgObject image;
  image.Index = 2;
  image.LoadFromText("[obj2]\r\nOPACITY=0x0A\r\nmotionspeed=0X1f\r\n  PosTop = 0x10 \r\n; Motion=5\r\n");
  EXPECT_EQ(image.Opacity, 10);
  EXPECT_EQ(image.MotionSpeed, 31);
  EXPECT_EQ(image.PosTop, 16);
  EXPECT_EQ(image.Motion, 0);  // a comment line carries no value
}

TEST(ObjectSection, EachObjectReadsOnlyTheSectionOfItsIndex) {
  const std::string text =
      Section(0, {{"Motion", "2"}, {"Filename", "zero.gif"}}) + Section(1, {{"Motion", "4"}, {"Filename", "one.gif"}});
  TGifObject gif;
  gif.Index = 1;
  gif.LoadFromText(text);
  EXPECT_EQ(gif.Motion, 4);
  EXPECT_EQ(gif.Filename, "one.gif");
}

TEST(ObjectSection, HeldKeysKeepTheirValueWhenALaterTextLacksThem) {
  TGifObject gif;
  gif.LoadFromText(Section(0, {{"Width", "7"},
                               {"Height", "8"},
                               {"MoveAreaRectleft", "5"},
                               {"MoveAreaRecttop", "6"},
                               {"MoveAreaRectright", "70"},
                               {"MoveAreaRectbottom", "80"},
                               {"InitialDir", "3"},
                               {"Filename", "a.gif"},
                               {"TransparentColor", "123"},
                               // keys with a fixed default, to tell them apart from held ones
                               {"WidthSize", "50"},
                               {"PosLeft", "9"},
                               {"Opacity", "3"},
                               {"TransparentType", "2"}}));
  gif.LoadFromText(Section(0, {{"Motion", "2"}}));

  EXPECT_EQ(gif.Width, 7);
  EXPECT_EQ(gif.Height, 8);
  EXPECT_EQ(gif.MoveAreaRect, Rect(5, 6, 70, 80));
  EXPECT_EQ(gif.InitialDir, 3);
  EXPECT_EQ(gif.Filename, "a.gif");
  EXPECT_EQ(gif.TransparentColor, 123);
  EXPECT_EQ(gif.WidthSize, 100);
  EXPECT_EQ(gif.PosLeft, 100);
  EXPECT_EQ(gif.Opacity, 10);
  EXPECT_EQ(gif.TransparentType, 0);
  EXPECT_EQ(gif.Motion, 2);
}

// Walks the key tables: a section holding only key k changes k's field and no other, so two keys
// wired to one field, or a key reading another's value, show up.
template <class TObject>
void ExpectEachKeyFillsItsOwnField(std::span<const TIniKey<TAnimObject>> common,
                                   std::span<const TIniKey<TObject>> own) {
  const auto fieldsOf = [&](const TObject& object) {
    std::vector<std::string> values;
    for (const auto& key : common) values.push_back(std::to_string(key.Get(object)));
    for (const auto& key : own) values.push_back(key.GetText ? key.GetText(object) : std::to_string(key.Get(object)));
    return values;
  };
  TObject plain;
  plain.LoadFromText(Section(0, {}));
  const std::vector<std::string> before = fieldsOf(plain);
  size_t position = 0;
  const auto probe = [&](const auto& key) {
    const size_t at = position++;
    if (!key.Set && !key.SetText) return;  // written only
    std::string value = std::to_string(300 + at), expected = value;
    if (key.Width == TIniWidth::Low8) expected = std::to_string((300 + at) & 0xFF);
    if (key.Width == TIniWidth::Bool) value = expected = before[at] == "0" ? "1" : "0";
    if (key.Width == TIniWidth::Text) value = expected = "file" + std::to_string(at) + ".gif";
    TObject object;
    object.LoadFromText(Section(0, {{key.Name, value}}));
    std::vector<std::string> after = fieldsOf(object);
    if (std::string(key.Name) == "Scaled") return;  // read as true whatever it says
    EXPECT_EQ(after[at], expected) << key.Name;
    after[at] = before[at];
    EXPECT_EQ(after, before) << key.Name << " changed another field";
  };
  for (const auto& key : common) probe(key);
  for (const auto& key : own) probe(key);
}

TEST(ObjectSection, EachKeyOfTheTablesFillsItsOwnField) {
  ExpectEachKeyFillsItsOwnField<TGifObject>(TAnimObject::CommonKeys(), TGifObject::Keys());
  ExpectEachKeyFillsItsOwnField<TImgObject>(TAnimObject::CommonKeys(), TImgObject::Keys());
}

// ---- Saving ----

TEST(ObjectSection, SavedSectionStartsWithItsNameAndEndsWithAnEmptyLine) {
  TGifObject gif;
  gif.Index = 4;
  gif.LoadFromText(Section(4, {{"ObjType", "GIF"}, {"Filename", "x.gif"}}));
  const std::string saved = gif.SaveToText();
  EXPECT_EQ(saved.rfind("[Obj4]\r\n", 0), 0u) << saved;
  ASSERT_GE(saved.size(), 4u);
  EXPECT_EQ(saved.substr(saved.size() - 4), "\r\n\r\n");
  EXPECT_EQ(saved.find("\r\n\r\n"), saved.size() - 4) << "one section, one empty line";
  EXPECT_EQ(saved.find('['), 0u);
  EXPECT_EQ(saved.find('\n'), saved.find("\r\n") + 1) << "lines end with CR LF";
}

TEST(ObjectSection, GifSectionIsWrittenInTheFilesKeyOrder) {
  TGifObject gif;
  gif.LoadFromText(Section(0, FullSection("GIF")));
  std::vector<std::string> expected = kCommonKeyOrder;
  for (const char* key :
       {"ObjType", "Filename", "AnimSpeed", "Transparent", "TransparentType", "TransparentColor", "RefreshFrame"}) {
    expected.emplace_back(key);
  }
  EXPECT_EQ(KeyNames(SavedKeys(gif.SaveToText())), expected);
}

TEST(ObjectSection, StillImageSectionIsWrittenInTheFilesKeyOrder) {
  TImgObject image;
  image.LoadFromText(Section(0, FullSection("IMG")));
  std::vector<std::string> expected = kCommonKeyOrder;
  for (const char* key : {"ObjType", "Filename", "Transparent", "TransparentType", "TransparentColor"}) {
    expected.emplace_back(key);
  }
  EXPECT_EQ(KeyNames(SavedKeys(image.SaveToText())), expected);
}

// Every value read comes back unchanged under its own key (a swapped or mistyped key shows up).
TEST(ObjectSection, EveryLoadedValueIsSavedBackUnderItsOwnKey) {
  for (const auto& [objType, flipped] :
       {std::pair<std::string, bool>{"GIF", false}, {"GIF", true}, {"IMG", false}, {"IMG", true}}) {
    SCOPED_TRACE(objType + (flipped ? " flipped" : ""));
    const KeyValues input = FullSection(objType, flipped);
    std::unique_ptr<TAnimObject> object;
    if (objType == "GIF") {
      auto gif = std::make_unique<TGifObject>();
      gif->LoadFromText(Section(0, input));
      object = std::move(gif);
    } else {
      auto image = std::make_unique<TImgObject>();
      image->LoadFromText(Section(0, input));
      object = std::move(image);
    }
    const std::string saved = object->SaveToText();
    for (const auto& [key, value] : input) EXPECT_EQ(SavedValue(saved, key), value) << key;
  }
}

TEST(ObjectSection, StoredOnlyKeysSurviveALoadAndSave) {
  TImgObject image;
  image.LoadFromText(Section(0, {{"DIsplayDurationCycle", "-3"},
                                 {"RedisplayDelay", "2500"},
                                 {"RedisplayTimes", "0"},
                                 {"Width", "640"},
                                 {"Height", "-1"}}));
  const std::string saved = image.SaveToText();
  EXPECT_EQ(SavedValue(saved, "DIsplayDurationCycle"), "-3");
  EXPECT_EQ(SavedValue(saved, "RedisplayDelay"), "2500");
  EXPECT_EQ(SavedValue(saved, "RedisplayTimes"), "0");
  EXPECT_EQ(SavedValue(saved, "Width"), "640");
  EXPECT_EQ(SavedValue(saved, "Height"), "-1");
}

TEST(ObjectSection, InitialPosIsIgnoredAndSavedAsZero) {
  TGifObject gif;
  gif.LoadFromText(Section(0, {{"InitialPos", "3"}}));
  EXPECT_EQ(gif.InitialPos, 0);
  EXPECT_EQ(SavedValue(gif.SaveToText(), "InitialPos"), "0");
}

TEST(ObjectSection, NegativeColourIsSavedAsSignedDecimal) {
  TImgObject image;
  image.LoadFromText(Section(0, {{"TransparentColor", "0x80000005"}}));
  EXPECT_EQ(image.TransparentColor, -2147483643);
  EXPECT_EQ(SavedValue(image.SaveToText(), "TransparentColor"), "-2147483643");
}

TEST(ObjectSection, SpeedIsSavedAsHeldUntilAResetMakesItTenTimesMotionSpeed) {
  TManualTicks ticks;
  TAnimObject object;
  object.Threaded = false;
  object.LoadCommonFromText(Section(0, {{"Speed", "5"}, {"MotionSpeed", "7"}}));
  EXPECT_EQ(SavedValue(object.SaveToText(), "Speed"), "5");
  object.Start();
  EXPECT_EQ(SavedValue(object.SaveToText(), "Speed"), "70");
}

TEST(ObjectSection, LeftAndTopAreThePictureCornerOnTheFrame) {
  TManualTicks ticks;
  TAnimObject object;
  object.Threaded = false;
  object.LoadCommonFromText(Section(0, {{"PosLeft", "100"}, {"PosTop", "80"}}));
  object.DesignWidth = 320;
  object.DesignHeight = 240;
  object.FrameRect = Rect(0, 0, 640, 480);
  object.PicWidth = 40;
  object.PicHeight = 30;
  object.Start();
  const std::string saved = object.SaveToText();
  // Twice the design size: the corner (100 - 20, 80 - 15) lands at (160, 130).
  EXPECT_EQ(SavedValue(saved, "Left"), "160");
  EXPECT_EQ(SavedValue(saved, "Top"), "130");
}

}  // namespace
}  // namespace lumora

// The user settings file: both sets of defaults, reading, and the atomic writer.
#include "project/uSettings.h"

#include <gtest/gtest.h>

#include "base/uErrors.h"
#include "base/uIniText.h"
#include "platform/Platform.h"
#include "support/TempDir.h"

namespace lumora {
namespace {

using testing::ReadAll;
using testing::TempDir;

TEST(UserSettings, MissingFileGivesEachReadersDefaults) {
  TempDir dir;
  TUserSettings dialog = ReadDialogSettings(dir.File("none.ini"));
  EXPECT_EQ(dialog.Speed, 100);
  EXPECT_TRUE(dialog.Stretch);
  EXPECT_FALSE(dialog.Proportional);
  EXPECT_TRUE(dialog.Sound);
  EXPECT_TRUE(dialog.Music);
  EXPECT_TRUE(dialog.ShowClock);
  EXPECT_EQ(dialog.ClockPos, 1);

  // The saver's "Music" follows the scene header unless the user chose.
  EXPECT_FALSE(ReadSaverSettings(dir.File("none.ini"), false).Music);
  EXPECT_TRUE(ReadSaverSettings(dir.File("none.ini"), true).Music);
  std::string file = dir.Write("chosen.ini", "[Config]\r\nMusic=0\r\n");
  EXPECT_FALSE(ReadSaverSettings(file, true).Music);
}

TEST(UserSettings, ValuesAreReadAsIntegers) {
  TempDir dir;
  std::string file = dir.Write("s.ini", "[config]\nspeed=0x32\nStretch=0\nProportional=5\nClockPos=7\nShowClock=no\n");
  TUserSettings s = ReadDialogSettings(file);
  EXPECT_EQ(s.Speed, 50);
  EXPECT_FALSE(s.Stretch);
  EXPECT_TRUE(s.Proportional);
  EXPECT_EQ(s.ClockPos, 7);  // kept as read; the dialog shows no corner for it
  EXPECT_TRUE(s.ShowClock);  // malformed: the default
}

TEST(UserSettings, WriteKeepsOtherKeysAndOrdersItsOwn) {
  TempDir dir;
  std::string file = dir.Write("s.ini", "[Mine]\r\nKeep=yes\r\n[Config]\r\nExtra=1\r\nSound=1\r\n");
  TUserSettings s;
  s.Speed = 240;
  s.Sound = false;
  s.ClockPos = -1;
  WriteUserSettings(file, s);
  EXPECT_EQ(ReadAll(file),
            "[Mine]\r\nKeep=yes\r\n\r\n"
            "[Config]\r\nExtra=1\r\nSound=0\r\nSpeed=240\r\nStretch=1\r\nProportional=0\r\nMusic=1\r\nClockPos=-1\r\n"
            "ShowClock=1\r\n\r\n");
  EXPECT_EQ(ReadAll(file + ".tmp"), "<missing>");

  std::string fresh = dir.File("new.ini");
  WriteUserSettings(fresh, TUserSettings{});
  EXPECT_EQ(ReadAll(fresh),
            "[Config]\r\nSpeed=100\r\nStretch=1\r\nProportional=0\r\nSound=1\r\nMusic=1\r\nClockPos=1\r\nShowClock="
            "1\r\n\r\n");
  EXPECT_EQ(ReadDialogSettings(fresh).Speed, 100);
}

TEST(UserSettings, FailedWriteNamesTheFileAndLeavesNothingBehind) {
  TempDir dir;
  std::string file = dir.File("missing") + platform::PathDelimiter() + "s.ini";
  try {
    WriteUserSettings(file, TUserSettings{});
    FAIL() << "the write should fail";
  } catch (const EInOutError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + file);
  }
}

}  // namespace
}  // namespace lumora

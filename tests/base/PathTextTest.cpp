// Path names as text.
#include "base/uPathText.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(Paths, NamePartsTreatBothSeparatorsAndDrives) {
  EXPECT_EQ(ExtractFileName("C:\\Scenes\\Garden.scr"), "Garden.scr");
  EXPECT_EQ(ExtractFileName("/opt/lumora/garden"), "garden");
  EXPECT_EQ(ExtractFileName("C:Garden.scr"), "Garden.scr");
  EXPECT_EQ(ExtractFilePath("C:\\Scenes\\Garden.scr"), "C:\\Scenes\\");
  EXPECT_EQ(ExtractFileExt("C:\\Art\\bird.GIF"), ".GIF");
  EXPECT_EQ(ExtractFileExt("C:\\dir.v2\\noext"), "");
  EXPECT_EQ(ExtractFileExt("archive.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("trailing."), ".");
}

TEST(Paths, BareFileNames) {
  for (const char* ok : {"VXHeader.dat", "obj0.gif", "a..b", ".hidden", "My Scene.vxp"})
    EXPECT_TRUE(IsBareFileName(ok)) << ok;
  for (const char* bad :
       {"", ".", "..", "..\\..\\x.dll", "C:\\x", "C:x", "/etc/x", "a/b", "dir\\", "\\\\server\\share"}) {
    EXPECT_FALSE(IsBareFileName(bad)) << bad;
  }
  EXPECT_FALSE(IsBareFileName(std::string("a\0b", 3)));
}

TEST(Paths, SettingsFileBesideTheProgram) {
  EXPECT_EQ(SettingsFileBeside("C:\\x\\Garden.scr"), "C:\\x\\Garden.ini");
  EXPECT_EQ(SettingsFileBeside("C:\\x\\My.Garden.scr"), "C:\\x\\My.Garden.ini");
  EXPECT_EQ(SettingsFileBeside("C:\\x.y\\Garden"), "C:\\x.y\\.ini");  // no dot in the name
  EXPECT_EQ(SettingsFileBeside("Garden.exe"), "Garden.ini");
}

TEST(Paths, CaseHelpers) {
  EXPECT_EQ(UpperCase("<no sound> äb"), "<NO SOUND> äB");
  EXPECT_TRUE(SameText("ResCount", "RESCOUNT"));
  EXPECT_FALSE(SameText("Res1", "Res10"));
}

}  // namespace
}  // namespace lumora

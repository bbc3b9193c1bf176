// Extracting a scene into its folder: header names, refused names, redirection, removal.
#include "project/uSceneFolder.h"

#include <gtest/gtest.h>

#include "PackageWriter.h"
#include "base/uErrors.h"
#include "base/uIniText.h"
#include "base/uLimits.h"
#include "platform/Platform.h"
#include "support/TempDir.h"

namespace lumora {
namespace {

using testing::ReadAll;
using testing::TempDir;

std::string Header(const std::vector<std::string>& names, const std::string& extra = "") {
  std::string text = "[Header]\r\n" + extra;
  for (size_t i = 0; i < names.size(); ++i) text += "Res" + std::to_string(i) + "=" + names[i] + "\r\n";
  return text + "ResCount=" + std::to_string(names.size()) + "\r\n";
}

TEST(SceneHeader, DefaultsAndIgnoredKeys) {
  TSceneHeader header = TSceneHeader::Read(TIniText("[header]\r\nresCOUNT=2\r\nRes0=a\r\nSound=0\r\n"), 10);
  EXPECT_EQ(header.ResCount, 2);
  ASSERT_EQ(header.Res.size(), 2u);
  EXPECT_EQ(header.Res[0], "a");
  EXPECT_EQ(header.Res[1], "");
  EXPECT_FALSE(header.Music);
  EXPECT_EQ(header.MusicVolume, 100);
  EXPECT_EQ(header.SoundVolume, 100);

  // The names listed never exceed what the package can hold.
  EXPECT_EQ(TSceneHeader::Read(TIniText("[Header]\r\nResCount=2000000000\r\n"), 3).Res.size(), 3u);
  EXPECT_TRUE(TSceneHeader::Read(TIniText("[Header]\r\nResCount=-4\r\n"), 3).Res.empty());
}

TEST(SceneHeader, HeadersBeyondTheirLimitsAreRefusedBeforeTheyAreRead) {
  const auto listing = [](int32_t count) { return TIniText("[Header]\r\nResCount=" + std::to_string(count)); };
  EXPECT_EQ(TSceneHeader::Read(listing(kMaxPackageEntries), kMaxPackageEntries).Res.size(), 2016u);
  // The package's own count bounds the header's first, then the limit bounds both.
  EXPECT_EQ(TSceneHeader::Read(listing(kMaxPackageEntries + 1), kMaxPackageEntries).Res.size(), 2016u);
  try {
    TSceneHeader::Read(listing(kMaxPackageEntries + 1), 1 << 30);
    ADD_FAILURE();
  } catch (const EInOutError& error) {
    EXPECT_STREQ(error.what(), "The package header lists 2017 entries; at most 2016 are allowed");
  }

  // A header text of the limit is read; one byte more is refused, and nothing stays behind.
  TempDir dir;
  std::string header = Header({"VXHeader.dat", "VXTemp.vxp"}) + ";";
  header += std::string(static_cast<size_t>(kMaxIniTextBytes) - header.size(), 'x');
  std::string exe = dir.Write("Long.scr", tools::PackageBytes({header, "p"}));
  TScene scene = ExtractSceneInto(exe, dir.File("scene"));
  EXPECT_EQ(ReadAll(scene.ProjectFileName), "p");
  RemoveSceneFiles(scene);
  exe = dir.Write("Long.scr", tools::PackageBytes({header + "x", "p"}));
  try {
    ExtractSceneInto(exe, dir.File("scene"));
    ADD_FAILURE();
  } catch (const EInOutError& error) {
    EXPECT_STREQ(error.what(), "The package header is 1048577 bytes long; at most 1048576 are allowed");
  }
  EXPECT_FALSE(platform::DirectoryExists(dir.File("scene")));
}

TEST(SceneFolder, ExtractsEveryEntryUnderItsHeaderName) {
  TempDir dir;
  const std::vector<std::string> names = {"VXHeader.dat", "VXTemp.vxp", "obj0.gif", "sound0.wav", "music.mid"};
  const std::string header = Header(names, "Music=1\r\nMusicFile=C:\\Tunes\\song.MID\r\nMusicVolume=40\r\n");
  const std::vector<std::string> entries = {header, "project", "gif", "wav", "midi"};
  std::string exe = dir.File("Garden.scr");
  dir.Write("Garden.scr", "stub" + tools::PackageBytes(entries));

  TScene scene = ExtractSceneInto(exe, dir.File("scene"));
  EXPECT_EQ(scene.SceneFolder, dir.File("scene") + platform::PathDelimiter());
  ASSERT_EQ(scene.SceneFiles.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(ReadAll(scene.SceneFolder + names[i]), entries[i]);
  EXPECT_EQ(scene.ProjectFileName, scene.SceneFolder + "VXTemp.vxp");
  EXPECT_TRUE(scene.Header.Music);
  EXPECT_EQ(scene.Header.MusicVolume, 40);
  EXPECT_EQ(scene.Header.SoundVolume, 100);
  EXPECT_EQ(MusicFileName(scene.SceneFolder, scene.Header.MusicFile), scene.SceneFolder + "music.MID");

  RemoveSceneFiles(scene);
  EXPECT_FALSE(platform::DirectoryExists(dir.File("scene")));
}

TEST(SceneFolder, NamesThatLeaveTheFolderAreRefusedAndTheRestExtracted) {
  TempDir dir;
  const std::vector<std::string> names = {"VXHeader.dat", "VXTemp.vxp", "..\\..\\x.dll", "C:\\x", "/etc/x", "..",
                                          "a/b",          "",           "sound0.wav"};
  std::vector<std::string> entries = {Header(names), "project"};
  for (size_t i = 2; i < names.size(); ++i) entries.push_back("entry" + std::to_string(i));
  std::string exe = dir.Write("Evil.scr", tools::PackageBytes(entries));

  TScene scene = ExtractSceneInto(exe, dir.File("scene"));
  EXPECT_EQ(scene.RefusedNames, (std::vector<std::string>{"..\\..\\x.dll", "C:\\x", "/etc/x", "..", "a/b", ""}));
  EXPECT_EQ(ReadAll(scene.SceneFolder + "sound0.wav"), "entry8");
  EXPECT_EQ(ReadAll(scene.SceneFolder + "VXTemp.vxp"), "project");
  for (size_t i = 2; i < 8; ++i) EXPECT_EQ(scene.SceneFiles[i], "");
  // Nothing was written beside the scene folder.
  EXPECT_EQ(ReadAll(dir.File("x")), "<missing>");
  EXPECT_EQ(ReadAll(dir.File("x.dll")), "<missing>");
  RemoveSceneFiles(scene);
  EXPECT_FALSE(platform::DirectoryExists(dir.File("scene")));
}

TEST(SceneFolder, HeaderListingOneEntryGivesNoProjectFile) {
  TempDir dir;
  std::string exe = dir.Write("One.scr", tools::PackageBytes({Header({"VXHeader.dat"})}));
  TScene scene = ExtractSceneInto(exe, dir.File("scene"));
  EXPECT_EQ(scene.ProjectFileName, "");
  RemoveSceneFiles(scene);
}

TEST(SceneFolder, ProgramWithoutPackageGivesEmptyScene) {
  TempDir dir;
  TScene scene = ExtractSceneInto(dir.Write("Plain.scr", "no package here"), dir.File("scene"));
  EXPECT_TRUE(scene.SceneFiles.empty());
  EXPECT_EQ(scene.Header.ResCount, 0);
  RemoveSceneFiles(scene);
  EXPECT_FALSE(platform::DirectoryExists(dir.File("scene")));
}

TEST(SceneFolder, FolderThatCannotBeCreatedIsAnInOutError) {
  TempDir dir;
  std::string exe = dir.Write("A.scr", tools::PackageBytes({Header({"VXHeader.dat", "VXTemp.vxp"}), "p"}));
  std::string deep = dir.File("missing") + platform::PathDelimiter() + "scene";
  EXPECT_THROW(ExtractSceneInto(exe, deep), EInOutError);
}

TEST(SceneFolder, SceneFolderIsTempFolderPlusProgramFileName) {
  TempDir dir;
  std::string exe = dir.Write("Garden.scr", tools::PackageBytes({Header({"VXHeader.dat", "VXTemp.vxp"}), "p"}));
  EXPECT_EQ(SceneFolderFor(exe), platform::TempFolder() + "Garden.scr" + platform::PathDelimiter());
  TScene scene = ExtractScene(exe);
  EXPECT_EQ(ReadAll(scene.ProjectFileName), "p");
  RemoveSceneFiles(scene);
  EXPECT_FALSE(platform::DirectoryExists(platform::TempFolder() + "Garden.scr"));
}

TEST(SceneFolder, RedirectedNamesKeepOnlyTheStoredExtension) {
  EXPECT_EQ(RedirectedName("F/", "obj", 3, "C:\\Art\\bird.GIF"), "F/obj3.GIF");
  EXPECT_EQ(RedirectedName("F/", "sound", 12, "splash.wav"), "F/sound12.wav");
  EXPECT_EQ(RedirectedName("F/", "obj", 0, "C:\\dir.v2\\noext"), "F/obj0");
  EXPECT_EQ(MusicFileName("F/", ""), "F/music");
}

}  // namespace
}  // namespace lumora

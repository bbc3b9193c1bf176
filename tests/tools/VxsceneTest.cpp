// vxscene's package writer and commands, driven in-process.
#include <gtest/gtest.h>

#include <filesystem>

#include "Commands.h"
#include "PackageWriter.h"
#include "platform/Platform.h"
#include "project/uProjectExtractor.h"
#include "support/TempDir.h"

namespace lumora::tools {
namespace {

using lumora::testing::Bytes;
using lumora::testing::ReadAll;
using lumora::testing::TempDir;

class VxsceneTest : public ::testing::Test {
 protected:
  // A scene folder with a header naming `media` files after the project.
  std::string MakeScene(const std::vector<std::pair<std::string, std::string>>& media) {
    std::string folder = dir_.File("scene");
    std::filesystem::create_directories(folder);
    std::string header = "[Header]\r\nSound=1\r\nRes0=VXHeader.dat\r\nRes1=VXTemp.vxp\r\n";
    Write(folder, "VXTemp.vxp", Bytes(7000, 1));
    for (size_t i = 0; i < media.size(); ++i) {
      header += "Res" + std::to_string(i + 2) + "=" + media[i].first + "\r\n";
      Write(folder, media[i].first, media[i].second);
    }
    header += "ResCount=" + std::to_string(media.size() + 2) + "\r\n";
    Write(folder, "VXHeader.dat", header);
    return folder;
  }
  void Write(const std::string& folder, const std::string& name, const std::string& bytes) {
    std::ofstream(folder + platform::PathDelimiter() + name, std::ios::binary) << bytes;
  }
  TempDir dir_;
};

TEST_F(VxsceneTest, PackThenUnpackGivesBackEveryFileByteForByte) {
  const std::vector<std::pair<std::string, std::string>> media = {
      {"obj0.gif", Bytes(1001, 2)}, {"obj1.gif", ""}, {"sound0.wav", Bytes(2 * (1 << 20) + 3, 3)}};
  std::string folder = MakeScene(media);
  std::string stub = dir_.Write("engine.exe", Bytes(4096, 4));
  std::string saver = dir_.File("Lake.scr");
  ASSERT_EQ(RunPack({"--stub", stub, "--out", saver, folder}), 0);
  EXPECT_EQ(ReadAll(saver).substr(0, 4096), Bytes(4096, 4));

  ASSERT_EQ(RunUnpack({saver, dir_.File("out")}), 0);
  for (const char* name : {"VXHeader.dat", "VXTemp.vxp", "obj0.gif", "obj1.gif", "sound0.wav"}) {
    std::string sep(1, platform::PathDelimiter());
    EXPECT_EQ(ReadAll(dir_.File("out") + sep + name), ReadAll(folder + sep + name)) << name;
  }
  EXPECT_EQ(RunList({saver}), 0);
}

TEST_F(VxsceneTest, BarePackageMatchesTheInMemoryLayout) {
  std::string folder = MakeScene({{"a.gif", "GIF89a"}});
  ASSERT_EQ(RunPack({"--out", dir_.File("bare.pkg"), folder}), 0);
  std::string sep(1, platform::PathDelimiter());
  EXPECT_EQ(ReadAll(dir_.File("bare.pkg")),
            PackageBytes({ReadAll(folder + sep + "VXHeader.dat"), Bytes(7000, 1), "GIF89a"}));
}

TEST_F(VxsceneTest, PackRefusesWhatTheEngineCouldNotUse) {
  std::string folder = MakeScene({{"ok.gif", "x"}});
  std::string sep(1, platform::PathDelimiter());
  Write(folder, "VXHeader.dat", "[Header]\r\nRes0=VXHeader.dat\r\nRes1=..\\evil.vxp\r\nResCount=2\r\n");
  EXPECT_THROW(RunPack({"--out", dir_.File("x.pkg"), folder}), std::runtime_error);
  Write(folder, "VXHeader.dat", "[Header]\r\nRes0=VXHeader.dat\r\nRes1=missing.vxp\r\nResCount=2\r\n");
  EXPECT_THROW(RunPack({"--out", dir_.File("x.pkg"), folder}), std::runtime_error);
  Write(folder, "VXHeader.dat", "[Header]\r\nRes0=VXTemp.vxp\r\nRes1=VXTemp.vxp\r\nResCount=2\r\n");
  EXPECT_THROW(RunPack({"--out", dir_.File("x.pkg"), folder}), std::runtime_error);
  EXPECT_EQ(ReadAll(dir_.File("x.pkg")), "<missing>");  // nothing half-written

  // A stub that already holds a package would hide the new one.
  std::string good = MakeScene({{"ok.gif", "x"}});
  ASSERT_EQ(RunPack({"--out", dir_.File("first.scr"), good}), 0);
  EXPECT_THROW(RunPack({"--stub", dir_.File("first.scr"), "--out", dir_.File("second.scr"), good}), std::runtime_error);
}

TEST_F(VxsceneTest, UnpackAndListReportDamage) {
  EXPECT_THROW(RunUnpack({dir_.File("missing.scr"), dir_.File("out")}), std::runtime_error);
  EXPECT_THROW(RunList({dir_.Write("plain.exe", "no marker")}), std::runtime_error);
  std::string evil = dir_.Write(
      "evil.scr",
      PackageBytes({"[Header]\r\nRes0=VXHeader.dat\r\nRes1=VXTemp.vxp\r\nRes2=../x\r\nResCount=3\r\n", "p", "x"}));
  EXPECT_EQ(RunUnpack({evil, dir_.File("out")}), 1);
  EXPECT_EQ(ReadAll(dir_.File("x")), "<missing>");
  std::string cut = PackageBytes({"[Header]\r\nResCount=2\r\n", Bytes(500, 1)});
  EXPECT_THROW(RunList({dir_.Write("cut.scr", cut.substr(0, cut.size() - 10))}), std::runtime_error);
}

}  // namespace
}  // namespace lumora::tools

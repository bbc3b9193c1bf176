// The scene runner on real time and threads: a package extracted and redirected, played with
// running workers and GIF players, then closed and removed without a trace.
#include "render/uSceneRunner.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Commands.h"
#include "ProjectWriter.h"
#include "SceneFolderWriter.h"
#include "objects/uImageObjects.h"
#include "platform/Platform.h"
#include "project/uVXProject.h"
#include "render/uAnimEngine.h"
#include "support/ProjectFixture.h"
#include "support/TempDir.h"

namespace lumora {
namespace {

using testing::TempDir;

TEST(SceneRunner, PlaysAPackageOnItsThreadsAndLeavesNothingBehind) {
  TempDir dir;
  tools::TProjectFile file = testing::SmallProject();
  file.SoundSlots[0].SetPath("C:\\Authoring\\wind.wav");
  file.ObjectText = "[Obj0]\r\nObjType=GIF\r\nFilename=C:\\Authoring\\bird.gif\r\nMotion=2\r\n\r\n";
  TGifImage gif;
  gif.Width = gif.Height = 2;
  gif.GlobalColors = {{200, 0, 0}, {0, 0, 200}};
  for (uint8_t f = 0; f < 2; ++f) {
    TGifFrame frame;
    frame.Width = frame.Height = 2;
    frame.Indices.assign(4, f);
    frame.HasControl = true;
    frame.Control.Delay = 2;
    gif.Frames.push_back(frame);
  }
  gif.Frames[0].HasLoop = true;
  tools::WriteSceneFolder(dir.File("scene"), tools::ProjectFileBytes(file),
                          {{"obj0.gif", EncodeGif(gif)}, {"sound0.wav", "RIFF"}});
  ASSERT_EQ(tools::RunPack({"--out", dir.File("Lake.scr"), dir.File("scene")}), 0);

  const std::string folder = dir.File("Lake.scr.scene") + platform::PathDelimiter();
  TSceneRunner runner;
  ASSERT_TRUE(runner.Open(dir.File("Lake.scr"), folder));
  EXPECT_EQ(runner.Project().SoundSlots[0].Path(), folder + "sound0.wav");
  auto& bird = dynamic_cast<TGifObject&>(runner.Project().Objects.Items(0));
  EXPECT_EQ(bird.Filename, folder + "obj0.gif");
  EXPECT_TRUE(platform::FileExists(bird.Filename));

  runner.Start({100, true, 2, true});
  EXPECT_TRUE(bird.IsRunning());
  EXPECT_TRUE(runner.Engine().ShowClock);
  EXPECT_EQ(runner.Engine().Clock().ClockPos, 2);
  EXPECT_TRUE(runner.Engine().WeatherOn()) << "the scene has snow";
  for (int i = 0; i < 20; ++i) {
    runner.StepFrame();
    platform::Sleep(5);
  }
  EXPECT_EQ(runner.Engine().FrameSurface().Width(), 8);

  runner.Close();
  EXPECT_FALSE(runner.HasEngine());
  runner.RemoveFiles();
  EXPECT_FALSE(std::filesystem::exists(dir.File("Lake.scr.scene")));
}

}  // namespace
}  // namespace lumora

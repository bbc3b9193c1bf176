// Fifty objects on their own threads for a while: display cycles of one second that reset and
// reload their pictures, GIF players handing paintings to the drawing thread, the engine drawing
// every few milliseconds; then everything is destroyed while it shows. Built with the thread
// sanitizer (and the address sanitizer) this finds races, deadlocks and leaks between the
// workers, the players and the drawing thread.
//
//   lumora_stress [SECONDS]     (default 15)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ProjectWriter.h"
#include "base/uTicks.h"
#include "platform/Platform.h"
#include "platform/uScratchFolder.h"
#include "project/uVXProject.h"
#include "render/uAnimEngine.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace {

using namespace lumora;

// A small GIF of `frames` frames: a square moving across a yellow-keyed screen.
std::string MovingSquareGif(int frames, uint16_t delay) {
  TGifImage gif;
  gif.Width = 24;
  gif.Height = 16;
  gif.GlobalColors = {{255, 255, 0}, {200, 40, 40}, {40, 40, 200}, {250, 250, 250}};
  for (int f = 0; f < frames; ++f) {
    TGifFrame frame;
    frame.Width = 24;
    frame.Height = 16;
    frame.Indices.assign(24 * 16, 0);
    for (int y = 4; y < 12; ++y) {
      for (int x = 0; x < 8; ++x)
        frame.Indices[static_cast<size_t>(y * 24 + (x + f * 2) % 24)] = static_cast<uint8_t>(1 + f % 3);
    }
    frame.HasControl = true;
    frame.Control.Delay = delay;
    frame.Control.Disposal = static_cast<int>(f % 4);
    frame.Control.TransparentFlag = true;
    frame.Control.TransparentIndex = 0;
    if (f == 0) {
      frame.HasLoop = true;
      frame.LoopCount = 0;
    }
    gif.Frames.push_back(std::move(frame));
  }
  return EncodeGif(gif);
}

std::string ObjectText(const std::filesystem::path& folder, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const bool gif = i % 3 != 2;
    text += "[Obj" + std::to_string(i) + "]\r\n";
    text += std::string("ObjType=") + (gif ? "GIF" : "IMG") + "\r\n";
    text += "Filename=" + (folder / (gif ? (i % 2 ? "fast.gif" : "slow.gif") : "still.gif")).string() + "\r\n";
    text += "Motion=" + std::to_string(i % 10) + "\r\nMotionSpeed=" + std::to_string(5 + i % 20) + "\r\n";
    text += "DisplaySec=0\r\nDisplayDurationType=1\r\nDisplayDurationSec=1\r\nRedisplay=1\r\nResetPos=1\r\n";
    text += "DirFlip=1\r\nOpacity=" + std::to_string(i % 11) + "\r\nAnimSpeed=" + std::to_string(5 + i % 25) + "\r\n";
    text += "PosLeftType=4\r\nPosTopType=4\r\nWidthSize=" + std::to_string(50 + i * 3) + "\r\n\r\n";
  }
  return text;
}

// GIF objects whose every step ends the display cycle and starts the next with a reload (a new
// player each time), restarted from the drawing thread while they run, as a preview restarts
// its objects: restarts and destruction meet workers that are in the middle of a reload.
int RestartProbe(const std::filesystem::path& folder, const std::string& backgroundVxp) {
  std::string text;
  for (int i = 0; i < 3; ++i) {
    text += "[Obj" + std::to_string(i) + "]\r\nObjType=GIF\r\nFilename=" + (folder / "fast.gif").string() + "\r\n";
    text += "DisplaySec=0\r\nDisplayDurationType=1\r\nDisplayDurationSec=0\r\nRedisplay=1\r\nResetPos=1\r\n";
    text += "AnimSpeed=28\r\n\r\n";
  }
  int frames = 0;
  for (int round = 0; round < 30; ++round) {
    TProject project;
    if (!project.Load(backgroundVxp)) return -1;
    project.Objects.LoadFromText(text);
    TAnimEngine engine;
    engine.SetProject(project);
    engine.Prepare();
    for (int restart = 0; restart < 5; ++restart) {
      for (int frame = 0; frame < 3; ++frame, ++frames) {
        engine.StepFrame();
        platform::Sleep(1);
      }
      for (int i = 0; i < project.Objects.Count(); ++i) project.Objects.Items(i).Start();
    }
  }
  return frames;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 15;
  const platform::TScratchFolder scratch("lumora-stress-");
  const std::filesystem::path folder(scratch.Path());
  std::ofstream(folder / "fast.gif", std::ios::binary) << MovingSquareGif(6, 2);
  std::ofstream(folder / "slow.gif", std::ios::binary) << MovingSquareGif(4, 10);
  std::ofstream(folder / "still.gif", std::ios::binary) << MovingSquareGif(1, 0);

  TBitmap32 picture;
  picture.SetSize(320, 200);
  picture.Clear(0xFF304050);
  tools::TProjectFile file;
  file.Title = "Stress";
  file.ThumbnailJpeg = EncodeJpeg(picture, 80);
  file.BackgroundJpeg = EncodeJpeg(picture, 80);
  std::vector<uint8_t> regions(320 * 200, 0);
  std::fill(regions.begin() + 320 * 120, regions.end(), 1);
  file.Runs = tools::EncodeRegionRuns(320, 200, regions);
  file.Weather.SetKind(1);
  file.Weather.SetCount(200);
  file.ObjectText = ObjectText(folder, 50);
  std::ofstream(folder / "stress.vxp", std::ios::binary) << tools::ProjectFileBytes(file);

  int frames = 0;
  {
    auto project = std::make_unique<TProject>();
    if (!project->Load((folder / "stress.vxp").string()) || project->Objects.Count() != 50) {
      std::fprintf(stderr, "stress: the project did not load its 50 objects\n");
      return 1;
    }
    auto engine = std::make_unique<TAnimEngine>();
    engine->SetProject(*project);
    engine->ShowClock = true;
    engine->Prepare();
    engine->SetWeather(true);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
      engine->StepFrame();
      ++frames;
      platform::Sleep(4);
    }
    // Torn down while every object shows and every player runs: engine first, then the
    // project, whose list ends each worker (and player) before releasing its object.
    engine.reset();
    project.reset();
  }
  const int probeFrames = RestartProbe(folder, (folder / "stress.vxp").string());
  std::printf("stress: %d frames in %d s with 50 objects; restart probe: %d frames\n", frames, seconds, probeFrames);
  return frames > 0 && probeFrames > 0 ? 0 : 1;
}

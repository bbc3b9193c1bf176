// Animated objects: what ten 128 x 128 objects add to a 1920 x 1080 frame, and how much of one
// core ten object workers and five GIF players use while the scene runs.
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "BenchRatio.h"
#include "FrameReference.h"
#include "ProjectWriter.h"
#include "base/uTicks.h"
#include "objects/uAnimObjects.h"
#include "objects/uPaintQueue.h"
#include "platform/Platform.h"
#include "project/uVXProject.h"
#include "render/uAnimEngine.h"
#include "surface/uCodecs.h"

namespace {

using namespace lumora;

std::string SquareGif(int frames) {
  TGifImage gif;
  gif.Width = gif.Height = 128;
  gif.GlobalColors = {{255, 255, 0}, {200, 60, 40}, {40, 60, 200}, {240, 240, 240}};
  for (int f = 0; f < frames; ++f) {
    TGifFrame frame;
    frame.Width = frame.Height = 128;
    frame.Indices.resize(128 * 128);
    for (size_t i = 0; i < frame.Indices.size(); ++i)
      frame.Indices[i] = static_cast<uint8_t>((i / 128 + i % 128 + f * 8) / 16 % 4);
    frame.HasControl = true;
    frame.Control.Delay = 4;
    frame.Control.Disposal = 1;
    frame.Control.TransparentFlag = true;
    frame.HasLoop = f == 0;
    gif.Frames.push_back(std::move(frame));
  }
  return EncodeGif(gif);
}

struct Scene {
  std::filesystem::path folder;
  std::string withObjects;
  std::string withoutObjects;
  explicit Scene(int32_t width, int32_t height) {
    folder = std::filesystem::path(platform::TempFolder()) / "lumora-bench-objects";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "anim.gif", std::ios::binary) << SquareGif(4);
    std::ofstream(folder / "still.gif", std::ios::binary) << SquareGif(1);
    TBitmap32 picture;
    picture.SetSize(width, height);
    picture.Clear(0xFF406080);
    tools::TProjectFile file;
    file.ThumbnailJpeg = EncodeJpeg(picture, 50);
    file.BackgroundJpeg = EncodeJpeg(picture, 50);
    file.Runs = {width, height};
    withoutObjects = (folder / "none.vxp").string();
    std::ofstream(withoutObjects, std::ios::binary) << tools::ProjectFileBytes(file);
    for (int i = 0; i < 10; ++i) {
      file.ObjectText += "[Obj" + std::to_string(i) + "]\r\nObjType=" + std::string(i % 2 ? "IMG" : "GIF") +
                         "\r\nFilename=" + (folder / (i % 2 ? "still.gif" : "anim.gif")).string() +
                         "\r\nOpacity=7\r\nMotion=" + std::to_string(i % 2 ? 2 : 1) +
                         "\r\nPosLeftType=4\r\nPosTopType=4\r\nDirFlip=1\r\n\r\n";
    }
    withObjects = (folder / "objects.vxp").string();
    std::ofstream(withObjects, std::ios::binary) << tools::ProjectFileBytes(file);
  }
  ~Scene() { std::filesystem::remove_all(folder); }
};

// arg 0: no objects; 1: ten objects, half of them mirrored.
void Frame(benchmark::State& state) {
  Scene scene(1920, 1080);
  TManualTicks ticks;
  {
    TProject project;
    project.Objects.Threaded = false;
    project.Load(state.range(0) ? scene.withObjects : scene.withoutObjects);
    TAnimEngine engine;
    engine.SetProject(project);
    engine.Prepare();
    for (int i = 0; i < project.Objects.Count(); ++i) project.Objects.Items(i).Mirrored = i % 4 < 2;
    for (auto _ : state) {
      ticks.Advance(32);
      engine.StepFrame();
    }
  }
}
BENCHMARK(Frame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void MemcpyFrame(benchmark::State& state) { bench::CopyFrame(state, 1920, 1080); }
BENCHMARK(MemcpyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Ten workers and five GIF players run for two seconds while this thread only does what the
// drawing thread does for them at the frame period: it carries out the players' paintings and
// beats the workers. The process's CPU time over that time is what they cost.
void WorkersAndPlayers(benchmark::State& state) {
  Scene scene(320, 200);
  for (auto _ : state) {
    TProject project;
    project.Load(scene.withObjects);
    TAnimEngine engine;
    engine.SetProject(project);
    engine.Prepare();
    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
      engine.Paintings().Drain();
      for (int i = 0; i < project.Objects.Count(); ++i) project.Objects.Items(i).Beat();
      platform::Sleep(32);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["cpu_percent_of_one_core"] = (CpuSeconds() - cpuBefore) / wall * 100;
  }
}
BENCHMARK(WorkersAndPlayers)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return lumora::bench::RunWithRatios(
      argc, argv, {{"Frame/0/real_time", "MemcpyFrame/real_time"}, {"Frame/1/real_time", "MemcpyFrame/real_time"}});
}

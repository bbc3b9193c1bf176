// A whole frame of the engine on a synthetic scene, against a memcpy of one frame.
//
// The lower half of the picture is water in three regions: perspective + reflection + ripple;
// shifted columns with jitter 10 flowing left to right; a column wave from the right with a
// 180-degree period. Weather is 1000 flakes or drops; the clock is an eighth of the width.
#include <memory>

#include "BenchRatio.h"
#include "Commands.h"
#include "FrameReference.h"
#include "base/uTicks.h"
#include "platform/uScratchFolder.h"
#include "project/uFileIO.h"
#include "project/uVXProject.h"
#include "render/uAnimEngine.h"
#include "render/uSceneRunner.h"

namespace {

using namespace lumora;

void MakeScene(TProject& project, int32_t width, int32_t height, int32_t weather) {
  project.Background.SetSize(width, height);
  project.RegionMask.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* picture = project.Background.Pixels32(y);
    uint32_t* mask = project.RegionMask.Pixels32(y);
    for (int32_t x = 0; x < width; ++x) {
      picture[x] = 0xFF000000u | static_cast<uint32_t>((x * 7) & 0xFF) << 16 |
                   static_cast<uint32_t>((y * 3) & 0xFF) << 8 | static_cast<uint32_t>((x ^ y) & 0xFF);
      int region = 0;
      if (y >= height / 2) region = x < width / 2 ? 1 : (y < height * 3 / 4 ? 2 : 3);
      mask[x] = RegionColors[static_cast<size_t>(region)];
    }
  }
  project.Width = width;
  project.Height = height;
  for (TWaveParam& wave : project.WaveParams) wave = TWaveParam::Defaults();
  project.GetWaveParam(0).SetReflection(true);
  project.GetWaveParam(1).SetPerspective(false);
  project.GetWaveParam(1).SetShiftColumns(true);
  project.GetWaveParam(1).SetJitter(10);
  project.GetWaveParam(1).SetDirection(3);
  project.GetWaveParam(2).SetPerspective(false);
  project.GetWaveParam(2).SetDirection(5);
  project.GetWaveParam(2).SetPeriod(180);
  project.Weather.SetKind(weather);
  project.Weather.SetCount(1000);
  project.Weather.SetSpeedIndex(10);
  project.Weather.SetAngle(80);
  project.Weather.SetDropLength(10);
  project.Weather.SetDensity(weather == 1 ? 9 : 6);
}

// args: width, height, weather kind (0, 1 snow, 2 rain), clock (0/1)
void Frame(benchmark::State& state) {
  TManualTicks ticks;
  TProject project;
  MakeScene(project, static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
            static_cast<int32_t>(state.range(2)));
  TAnimEngine engine;
  engine.SetProject(project);
  engine.ShowClock = state.range(3) != 0;
  engine.Prepare();
  engine.SetWeather(state.range(2) > 0);
  for (auto _ : state) {
    ticks.Advance(32);
    engine.StepFrame();
    benchmark::DoNotOptimize(engine.FrameSurface().Bits());
  }
}
BENCHMARK(Frame)
    ->Args({1920, 1080, 0, 0})
    ->Args({1920, 1080, 1, 0})
    ->Args({1920, 1080, 1, 1})
    ->Args({1920, 1080, 2, 1})
    ->Args({3840, 2160, 0, 0})
    ->Args({3840, 2160, 1, 1})
    ->Args({3840, 2160, 2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The built-in demo scene packed and opened as the saver opens it, fitted to a screen; played on
// a clock moved by hand, with the objects' steps and GIF frames on this thread.
struct TDemoRun {
  platform::TScratchFolder folder{"lumora-bench-demo-"};
  TManualTicks ticks;
  TSceneRunner runner{false};
  TDemoRun(int32_t width, int32_t height) {
    tools::RunDemo({"--out", folder.File("scene")});
    tools::RunPack({"--out", folder.File("Demo.scr"), folder.File("scene")});
    runner.Open(folder.File("Demo.scr"), folder.File("run"));
    runner.Fit(width, height, false);
  }
  ~TDemoRun() {
    runner.Close();
    runner.RemoveFiles();
  }
};

// The demo as the saver shows it on a 1920 x 1080 screen: water, four objects, snow, the clock.
void DemoFrame(benchmark::State& state) {
  TDemoRun demo(1920, 1080);
  demo.runner.Start({.Speed = 100, .ShowClock = true});
  double changed = 0;
  for (auto _ : state) {
    demo.runner.StepSimulated(demo.ticks, 32);
    for (const TRect& area : demo.runner.Engine().FrameChanges()) changed += double(area.Width()) * area.Height();
  }
  // The share of the frame a window copies, counting overlapping areas twice.
  state.counters["changed_share"] = changed / double(state.iterations()) / (1920.0 * 1080.0);
}
BENCHMARK(DemoFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the saver does at start-up between the loaded project and its first frame, for the demo
// on a 1280 x 1024 screen: the engine's Prepare with its tables and first frame.
void DemoPrepare(benchmark::State& state) {
  TDemoRun demo(1280, 1024);
  for (auto _ : state) demo.runner.Start({.Speed = 100, .ShowClock = true});
}
BENCHMARK(DemoPrepare)->Unit(benchmark::kMillisecond)->UseRealTime();

void Memcpy(benchmark::State& state) {
  bench::CopyFrame(state, static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
}
BENCHMARK(Memcpy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  const std::string hd = "Memcpy/1920/1080/real_time", uhd = "Memcpy/3840/2160/real_time";
  return lumora::bench::RunWithRatios(argc, argv,
                                      {{"Frame/1920/1080/0/0/real_time", hd},
                                       {"Frame/1920/1080/1/0/real_time", hd},
                                       {"Frame/1920/1080/1/1/real_time", hd},
                                       {"Frame/1920/1080/2/1/real_time", hd},
                                       {"Frame/3840/2160/0/0/real_time", uhd},
                                       {"Frame/3840/2160/1/1/real_time", uhd},
                                       {"Frame/3840/2160/2/1/real_time", uhd},
                                       {"DemoFrame/real_time", hd}});
}

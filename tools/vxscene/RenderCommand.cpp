// vxscene render: frames of a scene on simulated time, byte-identical on every run.
//
// The tick source starts at a fixed value and advances by the frame time before each frame;
// every reseed of the random generator takes the seed and the simulated tick, so a command
// line always writes the same frames, on Linux and on Windows.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "Commands.h"
#include "GifAnimation.h"
#include "JsonText.h"
#include "SceneFolderWriter.h"
#include "SoundLog.h"
#include "base/uRandom.h"
#include "base/uTicks.h"
#include "platform/Platform.h"
#include "platform/uScratchFolder.h"
#include "render/uAnimEngine.h"
#include "render/uSceneRunner.h"
#include "surface/uCodecs.h"

namespace lumora::tools {
namespace {

constexpr uint32_t kStartTick = 100000;

std::pair<int32_t, int32_t> SizeOption(const std::string& text) {
  int width = 0, height = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &extra) != 2 || width < 1 || height < 1 ||
      width > kMaxPictureSide || height > kMaxPictureSide) {
    throw EUsageError("--size must be WxH, e.g. 1920x1080");
  }
  return {width, height};
}

platform::TTimeOfDay TimeOption(const std::string& text) {
  int h = 0, m = 0, s = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &extra) != 3 || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 ||
      s > 59) {
    throw EUsageError("--time must be HH:MM:SS");
  }
  return {h, m, s};
}

}  // namespace

int RunRender(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(
      args,
      {"out", "frames", "frame-ms", "seed", "time", "size", "speed", "clock-pos", "gif", "gif-width", "sound-log"},
      {"stretch", "proportional", "clock", "no-weather"});
  if (parsed.positional.size() != 1 || !parsed.Has("out")) throw EUsageError("render needs FILE and --out DIR");
  const std::string& file = parsed.positional[0];
  const int32_t frames = parsed.Integer("frames", 1, 1, 100000);
  const int32_t frameMs = parsed.Integer("frame-ms", 32, 1, 60000);
  const int32_t seed = parsed.Integer("seed", 1, INT32_MIN, INT32_MAX);
  const int32_t speed = parsed.Integer("speed", 100, 0, 100000);
  const int32_t clockPos = parsed.Integer("clock-pos", 1, 0, 3);
  const platform::TTimeOfDay startTime = TimeOption(parsed.Value("time", "12:00:00"));
  if (parsed.Has("stretch") != parsed.Has("size")) throw EUsageError("--size and --stretch go together");
  if (parsed.Has("proportional") && !parsed.Has("stretch")) throw EUsageError("--proportional needs --stretch");
  if (!platform::FileExists(file)) throw std::runtime_error("cannot open " + file);

  TManualTicks ticks(kStartTick);
  SetRandomSeedBase(static_cast<uint64_t>(static_cast<uint32_t>(seed)));
  RandomizeFromClock();

  const platform::TScratchFolder scratch("vxscene-render-");
  TSceneRunner runner(false);  // objects and GIFs driven below on the simulated clock
  if (!runner.Open(file, scratch.Folder())) throw std::runtime_error("cannot load the project of " + file);
  if (parsed.Has("stretch")) {
    const auto [width, height] = SizeOption(parsed.Value("size"));
    runner.Fit(width, height, parsed.Has("proportional"));
  }
  // The clock starts at --time and runs with the simulated clock.
  runner.Engine().Clock().TimeSource = [&ticks, startTime] {
    const int64_t seconds =
        startTime.Hour * 3600 + startTime.Minute * 60 + startTime.Second + TicksBetween(kStartTick, ticks.Now()) / 1000;
    return platform::TTimeOfDay{static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                                static_cast<int>(seconds % 60)};
  };
  runner.Start({speed, parsed.Has("clock"), static_cast<uint8_t>(clockPos), !parsed.Has("no-weather")});
  TAnimEngine& engine = runner.Engine();
  // The saver's order: the engine set up, then the sounds loaded and scheduled.
  std::unique_ptr<TSoundLog> sounds;
  if (parsed.Has("sound-log")) {
    const int32_t volume = runner.FromPackage() ? runner.Scene().Header.SoundVolume : 100;
    sounds = std::make_unique<TSoundLog>(runner.Project(), volume, kStartTick);
  }

  const std::filesystem::path out = parsed.Value("out");
  std::filesystem::create_directories(out);
  std::unique_ptr<TGifAnimation> gif;
  if (parsed.Has("gif"))
    gif = std::make_unique<TGifAnimation>(parsed.Integer("gif-width", 480, 16, kMaxPictureSide), frameMs);
  TJson listed = TJson::array();
  for (int32_t i = 1; i <= frames; ++i) {
    runner.StepSimulated(ticks, static_cast<uint32_t>(frameMs));
    if (sounds) sounds->Update();
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", i);
    WritePng((out / name).string(), engine.FrameSurface());
    if (gif) gif->Add(engine.FrameSurface());
    listed.push_back(TJson{{"file", name}, {"tick", ticks.Now()}});
  }
  if (gif) gif->Write(parsed.Value("gif"));
  if (sounds) WriteFileBytes(parsed.Value("sound-log"), sounds->Json() + "\n");

  const TBitmap32& frame = engine.FrameSurface();
  const std::string manifest =
      JsonLine(TJson{{"width", frame.Width()}, {"height", frame.Height()}, {"frameMs", frameMs}, {"frames", listed}});
  WriteFileBytes((out / "frames.json").string(), manifest + "\n");
  std::printf("wrote %d frames of %d x %d into %s\n", frames, frame.Width(), frame.Height(), out.string().c_str());
  return 0;
}

}  // namespace lumora::tools

// vxscene render: frames of a scene on simulated time, byte-identical on every run.
//
// The tick source starts at a fixed value and advances by the frame time before each frame;
// every reseed of the random generator takes the seed and the simulated tick, so a command
// line always writes the same frames, on Linux and on Windows.
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "Commands.h"
#include "GifAnimation.h"
#include "Json.h"
#include "SceneFolderWriter.h"
#include "base/uTicks.h"
#include "objects/uAnimObjects.h"
#include "objects/uImageObjects.h"
#include "base/uPathText.h"
#include "platform/Platform.h"
#include "base/uRandom.h"
#include "project/uProjectExtractor.h"
#include "project/uSceneFolder.h"
#include "project/uVXProject.h"
#include "render/uAnimEngine.h"
#include "surface/uCodecs.h"
#include "render/uFitBackground.h"

namespace lumora::tools {
namespace {

constexpr uint32_t kStartTick = 100000;

class SimulatedTicks : public TickSource {
 public:
  SimulatedTicks() { previous_ = SetTickSource(this); }
  ~SimulatedTicks() override { SetTickSource(previous_); }
  uint32_t Now() override { return now; }
  uint32_t now = kStartTick;

 private:
  TickSource* previous_;
};


std::pair<int32_t, int32_t> SizeOption(const std::string& text) {
  int width = 0, height = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &extra) != 2 || width < 1 || height < 1 ||
      width > kMaxPictureSide || height > kMaxPictureSide) {
    throw UsageError("--size must be WxH, e.g. 1920x1080");
  }
  return {width, height};
}

platform::TTimeOfDay TimeOption(const std::string& text) {
  int h = 0, m = 0, s = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &extra) != 3 || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 ||
      s > 59) {
    throw UsageError("--time must be HH:MM:SS");
  }
  return {h, m, s};
}

// A private folder for a package's scene, removed with everything in it afterwards.
class SceneScratch {
 public:
  explicit SceneScratch(const std::string& package) {
    folder_ = std::filesystem::path(platform::TempFolder()) /
              ("vxscene-render-" + std::to_string(std::random_device{}()));
    scene = ExtractSceneInto(package, folder_.string());
  }
  ~SceneScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  TScene scene;

 private:
  std::filesystem::path folder_;
};

constexpr uint32_t kObjectStepMs = 5;

// One worker step of every object (when `step`), then every GIF played up to `now`.
void StepObjects(TAnimObjects& objects, uint32_t now, bool step = true) {
  for (int i = 0; i < objects.Count(); ++i) {
    TAnimObject& object = objects.Items(i);
    if (step) object.Step();
    if (auto* gif = dynamic_cast<TGifObject*>(&object)) gif->AdvancePlayback(now);
  }
}

// As the saver does: a package's sounds and pictures are the extracted "sound<i>" and "obj<i>"
// files; a bare project's pictures are looked for beside it when their stored path is missing.
void RedirectMedia(TProject& project, const std::string& sceneFolder, const std::string& projectFile) {
  if (!sceneFolder.empty()) {
    for (int i = 0; i < project.SoundCount(); ++i) {
      SoundSlot& slot = project.SoundSlots[static_cast<size_t>(i)];
      slot.SetPath(RedirectedName(sceneFolder, "sound", i, slot.Path()));
    }
  }
  for (int i = 0; i < project.Objects.Count(); ++i) {
    auto* object = dynamic_cast<TAnimImgObject*>(&project.Objects.Items(i));
    if (object == nullptr) continue;
    if (!sceneFolder.empty()) {
      object->Filename = RedirectedName(sceneFolder, "obj", i, object->Filename);
    } else if (!platform::FileExists(object->Filename)) {
      const std::string beside = ExtractFilePath(projectFile) + ExtractFileName(object->Filename);
      if (platform::FileExists(beside)) object->Filename = beside;
    }
  }
}

}  // namespace

int RunRender(const Arguments& args) {
  ParsedArguments parsed =
      ParseArguments(args, {"out", "frames", "frame-ms", "seed", "time", "size", "speed", "clock-pos", "gif", "gif-width"},
                     {"stretch", "proportional", "clock", "no-weather"});
  if (parsed.positional.size() != 1 || !parsed.Has("out")) throw UsageError("render needs FILE and --out DIR");
  const std::string& file = parsed.positional[0];
  const int32_t frames = parsed.Integer("frames", 1, 1, 100000);
  const int32_t frameMs = parsed.Integer("frame-ms", 32, 1, 60000);
  const int32_t seed = parsed.Integer("seed", 1, INT32_MIN, INT32_MAX);
  const int32_t speed = parsed.Integer("speed", 100, 0, 100000);
  const int32_t clockPos = parsed.Integer("clock-pos", 1, 0, 3);
  const platform::TTimeOfDay startTime = TimeOption(parsed.Value("time", "12:00:00"));
  if (parsed.Has("stretch") != parsed.Has("size")) throw UsageError("--size and --stretch go together");
  if (parsed.Has("proportional") && !parsed.Has("stretch")) throw UsageError("--proportional needs --stretch");
  if (!platform::FileExists(file)) throw std::runtime_error("cannot open " + file);

  SimulatedTicks ticks;
  SetRandomSeedBase(static_cast<uint64_t>(static_cast<uint32_t>(seed)));
  RandomizeFromClock();

  int64_t position = 0;
  int32_t entries = 0;
  std::unique_ptr<SceneScratch> scratch;
  std::string projectFile = file;
  if (FindPackage(file, position, entries)) {
    scratch = std::make_unique<SceneScratch>(file);
    projectFile = scratch->scene.ProjectFileName;
  }
  TProject project;
  project.Objects.Threaded = false;  // stepped below on the simulated clock
  if (projectFile.empty() || !project.Load(projectFile)) throw std::runtime_error("cannot load the project of " + file);
  RedirectMedia(project, scratch ? scratch->scene.SceneFolder : std::string(), projectFile);

  project.SetSpeed(speed);
  if (parsed.Has("stretch")) {
    const auto [width, height] = SizeOption(parsed.Value("size"));
    FitBackground(parsed.Has("proportional"), project, width, height);
  }
  TAnimEngine engine;
  engine.SetProject(project);
  engine.ShowClock = parsed.Has("clock");
  engine.Clock().ClockPos = static_cast<uint8_t>(clockPos);
  // The clock starts at --time and runs with the simulated clock.
  engine.Clock().TimeSource = [&ticks, startTime] {
    const int64_t seconds = startTime.Hour * 3600 + startTime.Minute * 60 + startTime.Second +
                            TicksBetween(kStartTick, ticks.now) / 1000;
    return platform::TTimeOfDay{static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                                static_cast<int>(seconds % 60)};
  };
  engine.Prepare();
  engine.SetWeather(project.Weather.Kind() > 0 && !parsed.Has("no-weather"));

  const std::filesystem::path out = parsed.Value("out");
  std::filesystem::create_directories(out);
  std::unique_ptr<GifAnimation> gif;
  if (parsed.Has("gif")) gif = std::make_unique<GifAnimation>(parsed.Integer("gif-width", 480, 16, kMaxPictureSide), frameMs);
  std::vector<std::string> listed;
  uint32_t objectClock = ticks.now;  // the objects' workers step every 5 ms of simulated time
  for (int32_t i = 1; i <= frames; ++i) {
    const uint32_t frameTick = ticks.now + static_cast<uint32_t>(frameMs);
    while (TicksBetween(objectClock, frameTick) >= kObjectStepMs) {
      objectClock += kObjectStepMs;
      ticks.now = objectClock;
      StepObjects(project.Objects, objectClock);
    }
    ticks.now = frameTick;
    StepObjects(project.Objects, frameTick, false);
    engine.StepFrame();
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", i);
    WritePng((out / name).string(), engine.FrameSurface());
    if (gif) gif->Add(engine.FrameSurface());
    listed.push_back(json::Object({{"file", json::String(name)}, {"tick", json::Number(ticks.now)}}));
  }
  if (gif) gif->Write(parsed.Value("gif"));

  const TBitmap32& frame = engine.FrameSurface();
  const std::string manifest = json::Object({{"width", json::Number(frame.Width())},
                                             {"height", json::Number(frame.Height())},
                                             {"frameMs", json::Number(frameMs)},
                                             {"frames", json::Array(listed)}});
  WriteFileBytes((out / "frames.json").string(), manifest + "\n");
  std::printf("wrote %d frames of %d x %d into %s\n", frames, frame.Width(), frame.Height(), out.string().c_str());
  return 0;
}

}  // namespace lumora::tools

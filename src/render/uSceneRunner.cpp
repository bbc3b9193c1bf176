// A scene set up and played (see uSceneRunner.h).
#include "render/uSceneRunner.h"

#include <utility>

#include "base/uPathText.h"
#include "base/uTicks.h"
#include "objects/uAnimObjects.h"
#include "objects/uImageObjects.h"
#include "objects/uObjectThread.h"
#include "platform/Platform.h"
#include "project/uProjectExtractor.h"
#include "project/uVXProject.h"
#include "render/uAnimEngine.h"
#include "render/uFitBackground.h"

namespace lumora {
namespace {

// A bare project's pictures are looked for beside it when they are missing at their stored
// path, so that a scene folder can be tried without packing it.
void FindPicturesBeside(TProject& project, const std::string& projectFile) {
  for (int i = 0; i < project.Objects.Count(); ++i) {
    auto* object = dynamic_cast<TAnimImgObject*>(&project.Objects.Items(i));
    if (object == nullptr || platform::FileExists(object->Filename)) continue;
    const std::string beside = ExtractFilePath(projectFile) + ExtractFileName(object->Filename);
    if (platform::FileExists(beside)) object->Filename = beside;
  }
}

}  // namespace

TSceneRunner::TSceneRunner(bool threaded, TShell* shell) : project_(std::make_unique<TProject>()) {
  project_->Objects.Threaded = threaded;
  project_->Objects.Shell = shell;
}

TSceneRunner::~TSceneRunner() {
  Close();
  try {
    RemoveFiles();
  } catch (const std::exception&) {
    // Left behind in the temporary folder; nothing else can be done about it here.
  }
}

bool TSceneRunner::Open(const std::string& file, const std::string& sceneFolder) {
  int64_t position = 0;
  int32_t entries = 0;
  bool loaded = false;
  if (FindPackage(file, position, entries)) {
    scene_ = ExtractSceneInto(file, sceneFolder);
    loaded = !scene_.ProjectFileName.empty() && project_->Load(scene_.ProjectFileName);
    RedirectSceneMedia(*project_, scene_.SceneFolder);
  } else {
    loaded = project_->Load(file);
    FindPicturesBeside(*project_, file);
  }
  engine_ = std::make_unique<TAnimEngine>();
  return loaded;
}

void TSceneRunner::Fit(int32_t width, int32_t height, bool proportional) {
  FitBackground(proportional, *project_, width, height);
}

void TSceneRunner::Start(const TRunSettings& settings) {
  project_->SetSpeed(settings.Speed);
  engine_->SetProject(*project_);
  engine_->ShowClock = settings.ShowClock;
  engine_->Clock().ClockPos = settings.ClockPos;
  engine_->Prepare();
  engine_->SetWeather(settings.Weather && project_->Weather.Kind() > 0);
  objectClock_ = GetTickCount();
}

void TSceneRunner::StepFrame() { engine_->StepFrame(); }

void TSceneRunner::StepSimulated(TManualTicks& ticks, uint32_t frameMs) {
  TAnimObjects& objects = project_->Objects;
  // What each worker does in one step, then the object's GIF played up to `now`.
  const auto advance = [&objects](uint32_t now, bool step) {
    for (int i = 0; i < objects.Count(); ++i) {
      TAnimObject& object = objects.Items(i);
      if (step) object.Step();
      if (auto* gif = dynamic_cast<TGifObject*>(&object)) gif->AdvancePlayback(now);
    }
  };
  const uint32_t frameTick = ticks.Now() + frameMs;
  while (TicksBetween(objectClock_, frameTick) >= TObjectThread::kStepMilliseconds) {
    objectClock_ += TObjectThread::kStepMilliseconds;
    ticks.Set(objectClock_);
    advance(objectClock_, true);
  }
  ticks.Set(frameTick);
  advance(frameTick, false);
  engine_->StepFrame();
}

void TSceneRunner::Close() {
  engine_.reset();
  project_.reset();
}

void TSceneRunner::RemoveFiles() {
  if (!FromPackage()) return;
  const TScene scene = std::exchange(scene_, TScene{});
  RemoveSceneFiles(scene);
}

std::string TSceneRunner::MusicFile() const { return MusicFileName(scene_.SceneFolder, scene_.Header.MusicFile); }

}  // namespace lumora

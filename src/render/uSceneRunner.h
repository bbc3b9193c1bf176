// A scene set up and played: the one way from a scene file to frames, for the saver window, the
// configuration dialog's preview and `vxscene render`.
//
//   Open     a scene saver (any program that carries a package) is extracted into its scene
//            folder, the project loaded and its sounds, pictures and music pointed at the
//            extracted files; a bare project file is loaded where it lies, its pictures looked
//            for beside it when they are missing at their stored paths
//   Fit      optionally, background and mask fitted to a screen
//   Start    speed, clock and weather, then the engine prepared: the objects start
//   frames   StepFrame on real time, or StepSimulated on a clock moved by hand, which steps
//            the objects' workers and GIF players itself so that frames repeat exactly
//   Close    the engine, then the project (whose list ends each worker); RemoveFiles then
//            deletes what was extracted
//
// Each step is a separate call because the saver window does its own work between them (the
// window is sized before the fitting, the sounds start after the engine).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "project/uSceneFolder.h"

namespace lumora {

class TAnimEngine;
class TManualTicks;
class TProject;
class TShell;

// What the user's settings decide about a run.
struct TRunSettings {
  int32_t Speed = 100;  // percent
  bool ShowClock = false;
  uint8_t ClockPos = 1;  // corner 0..3
  bool Weather = true;   // snow or rain when the project has it
};

class TSceneRunner {
 public:
  // `threaded` false: no worker or player thread runs; StepSimulated drives the objects.
  // `shell`: where the objects' common picture folder comes from (none: the system's).
  explicit TSceneRunner(bool threaded = true, TShell* shell = nullptr);
  ~TSceneRunner();
  TSceneRunner(const TSceneRunner&) = delete;
  TSceneRunner& operator=(const TSceneRunner&) = delete;

  // Returns the project's load result; the scene is usable (empty) either way. Throws
  // EInOutError when the scene folder cannot be made.
  bool Open(const std::string& file, const std::string& sceneFolder);
  // Fits the project's background and mask to width x height (keeping the aspect ratio when
  // `proportional`), rescaling the wave records' pixel-sized fields.
  void Fit(int32_t width, int32_t height, bool proportional);
  void Start(const TRunSettings& settings);

  // One frame on real time.
  void StepFrame();
  // One frame `frameMs` later on `ticks`: every 5 ms of it one worker step of every object and
  // the GIFs played up to that time, then the frame.
  void StepSimulated(TManualTicks& ticks, uint32_t frameMs);

  // Frees the engine, then the project. Nothing is drawn afterwards.
  void Close();
  // Deletes the extracted files and the scene folder (a package only). Throws EInOutError when
  // the folder remains.
  void RemoveFiles();

  TProject& Project() { return *project_; }
  TAnimEngine& Engine() { return *engine_; }
  bool HasEngine() const { return engine_ != nullptr; }
  // The extraction of a package; empty for a bare project file.
  const TScene& Scene() const { return scene_; }
  bool FromPackage() const { return !scene_.SceneFolder.empty(); }
  // The extracted music file: the scene folder + "music" + the stored name's extension.
  std::string MusicFile() const;

 private:
  std::unique_ptr<TProject> project_;
  std::unique_ptr<TAnimEngine> engine_;
  TScene scene_;
  uint32_t objectClock_ = 0;  // the simulated workers' last step
};

}  // namespace lumora

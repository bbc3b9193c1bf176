// The saver window's logic (see FStndAlneScr.h).
#include "forms/FStndAlneScr.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>

#include "base/uPathText.h"
#include "base/uRandom.h"
#include "base/uTicks.h"
#include "platform/Platform.h"
#include "project/uVXProject.h"
#include "render/uAnimEngine.h"

namespace lumora {

namespace {
constexpr uint32_t kFramePeriod = 32;  // milliseconds
constexpr int32_t kMouseSlack = 2;     // pixels a move may make between two events
}  // namespace

std::string DamagedSceneMessage(const std::string& programPath) {
  return "The scene in " + ExtractFileName(programPath) + " is damaged or incomplete.";
}

TfmStndAlneScr::TfmStndAlneScr(TSaverWindowHost& host, TSaverProcess& process, std::string programPath,
                               std::string settingsFile)
    : host_(host), process_(process), programPath_(std::move(programPath)), settingsFile_(std::move(settingsFile)) {}

TfmStndAlneScr::~TfmStndAlneScr() = default;

void TfmStndAlneScr::FormCreate() {
  Windowed = ForceWindowed || UpperCase(ExtractFileExt(programPath_)) == ".EXE";
  if (Windowed) {
    host_.SetWindowedStyle();
  } else {
    host_.SetFullScreenStyle();
  }
}

// The package into the scene folder, the project loaded, its sounds and pictures pointed at the
// extracted files (the runner's Open), and the header's music and volumes.
void TfmStndAlneScr::ExtractScene() {
  loaded_ = runner_->Open(programPath_, SceneFolderFor(programPath_));
}

bool TfmStndAlneScr::FormShow() {
  RandomizeFromClock();                                                            // 1
  sound_ = std::make_unique<TSceneSound>(host_.SoundOutput(), host_.MusicDevice());  // 2
  runner_ = std::make_unique<TSceneRunner>(true, &host_.Shell());
  ExtractScene();                                                                  // 3
  const TSceneHeader& header = runner_->Scene().Header;
  if (!loaded_ || runner_->Scene().SceneFiles.size() < 2) {
    // A saver must not sit on a black screen: the user is told what is wrong, and nothing of
    // the scene stays behind.
    runner_->Close();
    runner_->RemoveFiles();
    host_.ShowError(DamagedSceneMessage(programPath_));
    return false;
  }
  sound_->SetVolume(header.SoundVolume);                                           // 4
  Settings = ReadSaverSettings(settingsFile_, header.Music);                      // 5
  if (Windowed) Settings.ShowClock = false;
  // 6: the engine was made with the project.
  TProject& project = runner_->Project();
  if (Windowed) {                                                                  // 7
    const TPoint client = host_.ClientSize();
    backBuffer_ = std::make_unique<TBitmap32>();
    backBuffer_->SetSize(client.X, client.Y);
    const TPoint screen = host_.ScreenSize();
    const int32_t width = project.Background.Width(), height = project.Background.Height();
    host_.SetBounds((screen.X - width) / 2, (screen.Y - height) / 2, width, height);
  } else {
    const TPoint screen = host_.ScreenSize();
    host_.SetBounds(0, 0, screen.X, screen.Y);
  }
  if (Settings.Stretch) {                                                          // 8
    const TPoint client = host_.ClientSize();
    runner_->Fit(client.X, client.Y, Settings.Proportional);
  }
  runner_->Start({Settings.Speed, Settings.ShowClock, static_cast<uint8_t>(Settings.ClockPos & 0xFF), true});  // 9, 10
  lastMouseX_ = lastMouseY_ = -1;                                                  // 11
  idleInstalled_ = true;                                                           // 12
  if (!Windowed) {                                                                 // 13
    host_.HideTaskbarButton();
    host_.MakeTopmost();
    if (host_.PlatformId() == 1) host_.SetScreenSaverRunning(true);
    host_.ShowCursor(false);
  }
  if (Settings.Music) sound_->StartMusic(runner_->MusicFile(), header.MusicVolume);  // 14
  if (Settings.Sound) sound_->StartSounds(project);                                 // 15
  host_.SetCaption(project.Title);                                                 // 16
  return true;
}

bool TfmStndAlneScr::AppIdle() {
  if (Tag == -1 || !idleInstalled_) return true;
  try {
    LendFramebuffer();
    runner_->StepFrame();
    ++unpaintedFrames_;
    sound_->Update(runner_->Project());
    PaintFrame();
    const uint32_t now = GetTickCount();
    const int64_t delay = int64_t{kFramePeriod} - int64_t{TicksBetween(process_.LastFrameTick, now)};
    if (delay > 0) platform::Sleep(static_cast<uint32_t>(delay));
    process_.LastFrameTick = GetTickCount();
  } catch (const std::exception&) {
    // That frame is lost; the next idle call tries the next one.
  }
  return false;
}

TPoint TfmStndAlneScr::FrameOffset() {
  if (Settings.Stretch && !Settings.Proportional) return {0, 0};
  const TPoint screen = host_.ScreenSize();
  const TBitmap& background = runner_->Engine().Background();
  return {(screen.X - background.Width()) / 2, (screen.Y - background.Height()) / 2};
}

// Full-screen, a frame that fills the window is composed straight into the window's
// framebuffer, asked for anew before every frame: a window's framebuffer may be replaced.
void TfmStndAlneScr::LendFramebuffer() {
  TAnimEngine& engine = runner_->Engine();
  const TPoint at = FrameOffset();
  const bool fills = !Windowed && at.X == 0 && at.Y == 0;
  engine.ComposeInto(fills ? host_.FrameMemory(engine.Width(), engine.Height()) : nullptr);
}

void TfmStndAlneScr::PaintFrame() {
  TBitmap32& frame = runner_->Engine().FrameSurface();
  if (Windowed) {
    if (backBuffer_->Empty() || frame.Empty()) return;
    frame.DrawTo(*backBuffer_, Rect(0, 0, backBuffer_->Width(), backBuffer_->Height()),
                 Rect(0, 0, frame.Width(), frame.Height()));
    host_.Paint(*backBuffer_, 0, 0);
  } else {
    const TPoint at = FrameOffset();
    const TRect whole = Rect(0, 0, frame.Width(), frame.Height());
    if (unpaintedFrames_ == 1) {
      host_.PaintChanges(frame, at.X, at.Y, runner_->Engine().FrameChanges());
    } else {
      host_.PaintChanges(frame, at.X, at.Y, std::span<const TRect>(&whole, 1));
    }
  }
  unpaintedFrames_ = 0;
  NoteFramePainted();
}

bool StartupTimingRequested() {
  const char* value = std::getenv("LUMORA_TIMING");
  return value != nullptr && std::string_view(value) == "1";
}

// The start-up time as the user sees it: from the process's start until the host has put the
// first frame on the window (a frame that failed to paint threw before this).
void TfmStndAlneScr::NoteFramePainted() {
  if (process_.FramePainted) return;
  process_.FramePainted = true;
  if (!process_.TimeStartup) return;
  std::fprintf(stderr, "first-frame-ms %u\n", static_cast<unsigned>(platform::MillisecondsSinceProcessStart()));
  std::fflush(stderr);
}

void TfmStndAlneScr::FormResize() {
  if (!Windowed || !backBuffer_) return;
  const TPoint client = host_.ClientSize();
  backBuffer_->SetSize(client.X, client.Y);
}

void TfmStndAlneScr::FormMouseMove(int32_t x, int32_t y) {
  if (Windowed) return;
  if (process_.MouseSkipCount > 0) {
    --process_.MouseSkipCount;
    return;
  }
  if (lastMouseX_ == -1) lastMouseX_ = x;
  if (lastMouseY_ == -1) lastMouseY_ = y;
  if (std::abs(x - lastMouseX_) > kMouseSlack || std::abs(y - lastMouseY_) > kMouseSlack) host_.Close();
  lastMouseX_ = x;
  lastMouseY_ = y;
}

void TfmStndAlneScr::FormMouseDown() {
  if (!Windowed) host_.Close();
}

void TfmStndAlneScr::FormKeyDown() {
  if (!Windowed) host_.Close();
}

bool TfmStndAlneScr::FormCloseQuery() {
  if (host_.PlatformId() != 1) return true;
  process_.MouseSkipCount = 5;
  if (!host_.OpenDesktopKey()) return true;
  host_.ShowCursor(true);
  bool allowed = true;
  try {
    if (host_.ScreenSaveUsePassword() != 0) {
      const std::optional<int32_t> verified = host_.VerifyScreenSavePwd();
      allowed = !verified || (*verified & 0xFF) != 0;
    }
  } catch (const std::exception&) {
    allowed = true;  // a missing or mistyped value
  }
  host_.ShowCursor(false);
  return allowed;
}

void TfmStndAlneScr::FormClose() {
  try {
    if (sound_) sound_->CloseMusic();                                  // 1
    idleInstalled_ = false;                                            // 2
    if (runner_ && runner_->HasEngine()) {
      TSceneSound::DeleteSoundFiles(runner_->Project());               // 3
      platform::EraseFile(runner_->Scene().ProjectFileName);           // 4
    }
    Tag = -1;                                                          // 5
    if (runner_) runner_->Close();                                     // 6
    if (!Windowed && loaded_) {                                        // 7
      if (host_.PlatformId() == 1) host_.SetScreenSaverRunning(false);
      host_.ShowCursor(true);
    }
    if (sound_) sound_->StopAll();                                     // 8
    sound_.reset();
  } catch (const std::exception&) {
    // The rest of the close is skipped; the scene files still go at destruction.
  }
}

void TfmStndAlneScr::FormDestroy() {
  backBuffer_.reset();
  if (runner_) {
    try {
      runner_->RemoveFiles();
    } catch (const std::exception& error) {
      host_.ShowError(error.what());
    }
  }
}

void TfmStndAlneScr::MediaPlayerNotify() {
  if (sound_) sound_->MediaPlayerNotify();
}

}  // namespace lumora

// The saver window's logic: TfmStndAlneScr shows a scene full-screen (or, for a program named
// ".EXE", in an ordinary window), drives it from the idle loop at a 32 ms period, ends on
// input, and cleans up after itself.
//
// The window is a controller over TSaverWindowHost: the host's event loop calls the handlers
// (FormCreate, FormShow, AppIdle, FormMouseMove, FormCloseQuery, ...), and the handlers call
// back into the host for what a window does. So the rules (five ignored moves, more than two
// pixels, the pacing, the close order) are the same code on every system, and tested without
// a window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "project/uSettings.h"
#include "render/uClock.h"
#include "render/uSceneRunner.h"
#include "sound/uSceneSound.h"
#include "surface/uBitmap32.h"

namespace lumora {

class TMusicDevice;
class TShell;
class TSoundOutput;

// What the window of a host provides.
class TSaverWindowHost {
 public:
  virtual ~TSaverWindowHost() = default;

  virtual TPoint ScreenSize() = 0;  // the primary screen
  virtual TPoint ClientSize() = 0;
  // The window's outer bounds.
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Full-screen: no border, no caption, stay on top. Windowed: a normal sizeable window.
  virtual void SetFullScreenStyle() = 0;
  virtual void SetWindowedStyle() = 0;
  virtual void HideTaskbarButton() = 0;
  virtual void MakeTopmost() = 0;
  // 1 for the Windows 95 family, where the saver itself asks for the password; 2 elsewhere.
  virtual int PlatformId() = 0;
  virtual void SetScreenSaverRunning(bool running) = 0;  // SPI_SCREENSAVERRUNNING
  virtual void ShowCursor(bool show) = 0;
  // Copies the surface 1:1 onto the window at (x, y); the rest of the window stays black.
  virtual void Paint(const TBitmap32& surface, int32_t x, int32_t y) = 0;
  // The same, where the window shows the previous frame at (x, y) already: only the areas
  // `changes` of the surface differ from it. A window that lost what it showed (a new
  // framebuffer, an exposure) copies everything; so does this default.
  virtual void PaintChanges(const TBitmap32& surface, int32_t x, int32_t y, std::span<const TRect> changes) {
    (void)changes;
    Paint(surface, x, y);
  }
  // The window's own framebuffer (packed 32-bit rows) when a frame of this size shown at (0, 0)
  // fills it exactly, for the frames to be composed in place: PaintChanges of a surface whose
  // pixels are this memory copies nothing. Null when there is none; valid until the next call.
  virtual TColor32* FrameMemory(int32_t width, int32_t height) {
    (void)width;
    (void)height;
    return nullptr;
  }
  // Asks the window to close (its close query decides).
  virtual void Close() = 0;
  // Lets the pending messages through once.
  virtual void PumpMessages() = 0;
  // The framework's error report: a message box with the text, owned by the window.
  virtual void ShowError(const std::string& text) = 0;

  // The Windows 95 family's password check. False when "Control Panel\Desktop" of the current
  // user cannot be opened.
  virtual bool OpenDesktopKey() = 0;
  // Its "ScreenSaveUsePassword"; throws when the value is missing or not an integer.
  virtual int32_t ScreenSaveUsePassword() = 0;
  // VerifyScreenSavePwd of the system's PASSWORD.CPL with the window; none when the library or
  // the function is missing.
  virtual std::optional<int32_t> VerifyScreenSavePwd() = 0;

  virtual TSoundOutput& SoundOutput() = 0;
  virtual TMusicDevice& MusicDevice() = 0;
  // Its message boxes belong to the window (the picture objects' program-files fallback).
  virtual TShell& Shell() = 0;
};

// Values the whole process shares between windows.
struct TSaverProcess {
  int MouseSkipCount = 5;    // mouse moves still to ignore
  uint32_t LastFrameTick = 0;
  // Asked for by LUMORA_TIMING=1 (StartupTimingRequested): the first frame painted reports the
  // milliseconds since the process started, one line "first-frame-ms N" on standard error.
  bool TimeStartup = false;
  bool FramePainted = false;
};

// True when the environment asks for the start-up time (LUMORA_TIMING=1).
bool StartupTimingRequested();

class TfmStndAlneScr {
 public:
  // `programPath` names the file that carries the package (the program itself, or on Linux the
  // scene file it plays) and decides the windowed run; `settingsFile` is where the user's
  // settings for it live (platform::SettingsFilePath of it).
  TfmStndAlneScr(TSaverWindowHost& host, TSaverProcess& process, std::string programPath, std::string settingsFile);
  ~TfmStndAlneScr();

  void FormCreate();
  // False when the run cannot go on (the scene is damaged or incomplete): the user has been
  // told, the extracted files are gone, and the window closes without being shown.
  bool FormShow();
  // The idle handler: one frame. Returns done: true once the window has closed.
  bool AppIdle();
  void PaintFrame();
  void LendFramebuffer();
  void FormResize();
  void FormMouseMove(int32_t x, int32_t y);
  void FormMouseDown();
  void FormKeyDown();
  // True when the window may close.
  bool FormCloseQuery();
  void FormClose();
  void FormDestroy();
  void MediaPlayerNotify();

  bool Windowed = false;
  // Set before FormCreate: the windowed run whatever the file's name (a Linux player's --window,
  // since Linux programs have no ".EXE").
  bool ForceWindowed = false;
  int Tag = 0;  // -1 once the window has closed
  TUserSettings Settings;

  // What a test or a host may look at.
  TSceneRunner* Runner() { return runner_.get(); }
  TSceneSound* Sound() { return sound_.get(); }
  const TBitmap32* BackBuffer() const { return backBuffer_.get(); }

 private:
  void ExtractScene();
  // The offsets of a full-screen frame: centred unless the background was stretched to fill.
  TPoint FrameOffset();
  void NoteFramePainted();

  TSaverWindowHost& host_;
  TSaverProcess& process_;
  std::string programPath_;
  std::string settingsFile_;
  std::unique_ptr<TSceneRunner> runner_;
  std::unique_ptr<TSceneSound> sound_;
  std::unique_ptr<TBitmap32> backBuffer_;
  bool loaded_ = false;
  bool idleInstalled_ = false;
  // Frames stepped since the window last took one whole: after a lost frame, the next is
  // painted whole, since the window never saw the changes of the lost one.
  int unpaintedFrames_ = 0;
  int32_t lastMouseX_ = -1;
  int32_t lastMouseY_ = -1;
};

// The one-sentence message of a scene that cannot run.
std::string DamagedSceneMessage(const std::string& programPath);

}  // namespace lumora

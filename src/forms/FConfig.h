// The configuration dialog's logic: TfmCOnfig shows the scene's title, description and picture,
// runs a live preview on request, and writes the user's settings when OK is pressed.
//
// Like the saver window it is a controller over a host: the host builds the real controls, and
// when the user changes one it stores the new state in `Controls` and calls that control's
// handler (tbSpeedChange, cbStretchClick, CheckBox1Click, ...). When the logic changes controls
// itself (the slider set at show, Reset, "Auto Preview" cleared) it asks the host to show
// `Controls` again, which the host does without running the handlers a second time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "project/uSettings.h"
#include "surface/uBitmap32.h"

namespace lumora {

class TSceneRunner;
class TShell;

inline constexpr int32_t kPreviewWidth = 243;  // imgPreview
inline constexpr int32_t kPreviewHeight = 180;
inline constexpr std::array<const char*, 4> kClockCorners = {"Top Left", "Top Right", "Bottom Left", "Bottom Right"};

// The state of the dialog's controls.
struct TConfigControls {
  int32_t SpeedPosition = 0;  // tbSpeed, 0..20; a track bar starts at 0
  bool Stretch = false;       // cbStretch
  bool Proportional = false;  // cbProportional
  bool ProportionalEnabled = true;
  bool Sound = false;          // cbSound
  bool Music = false;          // cbMusic
  bool ShowClock = false;      // cbShowClock
  int32_t ClockPos = -1;       // cbClockPos's selected item, -1 for none
  bool AutoPreview = false;    // CheckBox1
  std::string Title;           // lblTitle
  std::string Description;     // lblDesc
};

// What the dialog's window provides.
class TConfigHost {
 public:
  virtual ~TConfigHost() = default;
  // Sets every control to `controls` without running the controls' handlers.
  virtual void ShowControls(const TConfigControls& controls) = 0;
  // imgPreview's picture (kPreviewWidth x kPreviewHeight), repainted.
  virtual void ShowPicture(const TBitmap32& picture) = 0;
  // tmrAnim: while on, the host calls tmrAnimTimer as often as it can (interval 1 ms) and
  // handles the user's input between the calls.
  virtual void SetTimer(bool on) = 0;
  virtual void FocusPanel() = 0;  // the keyboard focus to Panel1
  virtual void Close() = 0;       // closes the dialog; the host then calls FormClose
  // The framework's error report: a message box with the text, owned by the dialog.
  virtual void ShowError(const std::string& text) = 0;
  // Where the picture objects' message boxes go.
  virtual TShell& Shell() = 0;
};

class TfmCOnfig {
 public:
  // `programPath` names the file that carries the package (the program itself, or on Linux the
  // scene file); `settingsFile` is where the user's settings for it live.
  TfmCOnfig(TConfigHost& host, std::string programPath, std::string settingsFile);
  ~TfmCOnfig();

  void FormShow();
  void FormPaint() {}
  void tbSpeedChange();      // Controls.SpeedPosition holds the new position
  void SpeedButton6Click();  // Reset
  void cbStretchClick();     // Stretch or Proportional: Controls holds the new state
  void cbSoundClick() {}     // Sound, Music and Show Clock keep their state in Controls
  void CheckBox1Click();     // Controls.AutoPreview holds the new state
  void tmrAnimTimer();
  void MyButton21Click();    // OK
  void btnCancelClick();     // Cancel, and the title bar's close button
  void FormClose();

  void SetAutoPreview(bool on);

  TConfigControls Controls;
  const TBitmap32& PreviewSurface() const { return preview_; }
  // What a test may look at.
  TSceneRunner* Runner() { return runner_.get(); }
  bool TimerOn() const { return timerOn_; }

 private:
  void SetSpeedPosition(int32_t position);
  void ClearAutoPreview();

  TConfigHost& host_;
  std::string programPath_;
  std::string settingsFile_;
  std::unique_ptr<TSceneRunner> runner_;
  TBitmap32 preview_;
  bool loaded_ = false;
  bool timerOn_ = false;
  uint32_t lastPreviewTick_ = 0;
};

}  // namespace lumora

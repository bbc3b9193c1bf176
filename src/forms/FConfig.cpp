// The configuration dialog's logic (see FConfig.h).
#include "forms/FConfig.h"

#include <exception>

#include "base/uSpeedTable.h"
#include "base/uTicks.h"
#include "platform/Platform.h"
#include "project/uVXProject.h"
#include "render/uAnimEngine.h"
#include "render/uSceneRunner.h"

namespace lumora {

namespace {
constexpr uint32_t kPreviewPeriod = 32;  // milliseconds
constexpr int32_t kNormalSpeedPosition = 10;
}  // namespace

TfmCOnfig::TfmCOnfig(TConfigHost& host, std::string programPath, std::string settingsFile)
    : host_(host), programPath_(std::move(programPath)), settingsFile_(std::move(settingsFile)) {}

TfmCOnfig::~TfmCOnfig() = default;

void TfmCOnfig::FormShow() {
  preview_.SetSize(kPreviewWidth, kPreviewHeight);                                 // 1
  runner_ = std::make_unique<TSceneRunner>(true, &host_.Shell());                   // 2, 3
  loaded_ = runner_->Open(programPath_, SceneFolderFor(programPath_));
  const TUserSettings settings = ReadDialogSettings(settingsFile_);                 // 4
  Controls.Stretch = settings.Stretch;
  Controls.Proportional = settings.Proportional;
  Controls.Sound = settings.Sound;
  Controls.Music = settings.Music;
  Controls.ShowClock = settings.ShowClock;
  Controls.ClockPos = settings.ClockPos >= 0 && settings.ClockPos < 4 ? settings.ClockPos : -1;
  Controls.ProportionalEnabled = Controls.Stretch;                                  // 5
  TProject& project = runner_->Project();
  Controls.Title = project.Title;                                                   // 6
  Controls.Description = project.Description;
  host_.ShowControls(Controls);
  TBitmap32 background;                                                             // 7
  background.Assign(project.Background);
  preview_.Clear(0);
  if (!background.Empty()) {
    background.DrawTo(preview_, Rect(0, 0, kPreviewWidth, kPreviewHeight),
                      Rect(0, 0, background.Width(), background.Height()));
  }
  host_.ShowPicture(preview_);
  for (int32_t position = 0; position < static_cast<int32_t>(SpeedTable.size()); ++position) {  // 8
    if (SpeedTable[static_cast<size_t>(position)] == settings.Speed) SetSpeedPosition(position);
  }
}

void TfmCOnfig::SetSpeedPosition(int32_t position) {
  if (position == Controls.SpeedPosition) return;  // a track bar reports only changes
  Controls.SpeedPosition = position;
  host_.ShowControls(Controls);
  tbSpeedChange();
}

void TfmCOnfig::ClearAutoPreview() {
  if (!Controls.AutoPreview) return;  // a check box reports only changes
  Controls.AutoPreview = false;
  host_.ShowControls(Controls);
  CheckBox1Click();
}

void TfmCOnfig::tbSpeedChange() {
  ClearAutoPreview();
  SetAutoPreview(false);
  runner_->Project().SetSpeed(SpeedTableAt(Controls.SpeedPosition));
}

void TfmCOnfig::SpeedButton6Click() { SetSpeedPosition(kNormalSpeedPosition); }

void TfmCOnfig::cbStretchClick() {
  host_.FocusPanel();
  Controls.ProportionalEnabled = Controls.Stretch;
  host_.ShowControls(Controls);
}

void TfmCOnfig::CheckBox1Click() { SetAutoPreview(Controls.AutoPreview); }

void TfmCOnfig::SetAutoPreview(bool on) {
  if (on) {
    // A scene that did not load has nothing to animate: its picture stays as shown.
    if (!loaded_) return;
    runner_->Start({runner_->Project().Speed, false, 1, true});
    host_.SetTimer(false);
  }
  timerOn_ = on;
  host_.SetTimer(on);
}

void TfmCOnfig::tmrAnimTimer() {
  if (!timerOn_) return;  // a tick already queued when the timer stopped
  try {
    runner_->StepFrame();
    TBitmap32& frame = runner_->Engine().FrameSurface();
    if (!frame.Empty()) {
      frame.DrawTo(preview_, Rect(0, 0, kPreviewWidth, kPreviewHeight), Rect(0, 0, frame.Width(), frame.Height()));
    }
    host_.ShowPicture(preview_);
  } catch (const std::exception&) {
    // That frame is lost; the next tick tries the next one.
  }
  const int64_t delay = int64_t{kPreviewPeriod} - int64_t{TicksBetween(lastPreviewTick_, GetTickCount())};
  if (delay > 0) platform::Sleep(static_cast<uint32_t>(delay));
  lastPreviewTick_ = GetTickCount();
}

void TfmCOnfig::MyButton21Click() {
  ClearAutoPreview();
  TUserSettings settings;
  settings.Speed = SpeedTableAt(Controls.SpeedPosition);
  settings.Stretch = Controls.Stretch;
  settings.Proportional = Controls.Proportional;
  settings.Sound = Controls.Sound;
  settings.Music = Controls.Music;
  settings.ClockPos = Controls.ClockPos;
  settings.ShowClock = Controls.ShowClock;
  try {
    WriteUserSettings(settingsFile_, settings);
  } catch (const std::exception& error) {
    host_.ShowError(error.what());  // the dialog stays open: the user may try elsewhere
    return;
  }
  host_.Close();
}

void TfmCOnfig::btnCancelClick() {
  SetAutoPreview(false);
  ClearAutoPreview();
  host_.Close();
}

void TfmCOnfig::FormClose() {
  try {
    ClearAutoPreview();
    SetAutoPreview(false);
    if (runner_) {
      runner_->Close();
      preview_.SetSize(0, 0);
      runner_->RemoveFiles();
    }
  } catch (const std::exception&) {
    // The rest of the close is skipped.
  }
}

}  // namespace lumora

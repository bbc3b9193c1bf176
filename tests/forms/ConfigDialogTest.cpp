// The configuration dialog's rules through a fake host: what it shows from the settings and the
// scene, what OK saves, that the preview animates and stops, and what Cancel and closing leave.
#include "forms/FConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/uShell.h"
#include "project/uSceneFolder.h"
#include "render/uAnimEngine.h"
#include "render/uSceneRunner.h"
#include "project/uVXProject.h"
#include "support/SceneFixture.h"

namespace lumora {
namespace {

using namespace testing;

struct TFakeConfigHost : TConfigHost, TShell {
  void ShowControls(const TConfigControls& controls) override { shown = controls; }
  void ShowPicture(const TBitmap32& picture) override {
    ++pictures;
    pictureHash = 0;
    for (int32_t y = 0; y < picture.Height(); ++y) {
      for (int32_t x = 0; x < picture.Width(); ++x) pictureHash = pictureHash * 31 + (picture.PixelAt(x, y) & 0xFFFFFF);
    }
  }
  void SetTimer(bool on) override { timer = on; }
  void FocusPanel() override { ++focusMoves; }
  void Close() override { ++closes; }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  TShell& Shell() override { return *this; }
  void ShowMessage(const std::string& text, const std::string&) override { errors.push_back(text); }

  TConfigControls shown;
  int pictures = 0;
  uint64_t pictureHash = 0;
  bool timer = false;
  int focusMoves = 0;
  int closes = 0;
  std::vector<std::string> errors;
};

// A scene saver of the test's own with an optional settings file, and the dialog shown for it.
struct TDialogRun {
  TempDir dir;
  TFakeConfigHost host;
  std::string program;
  std::string settingsFile;
  std::unique_ptr<TfmCOnfig> form;

  explicit TDialogRun(const std::string& settings = "", const std::string& description = "Ripples on six pools.",
                      std::string settingsFileName = "settings.ini") {
    tools::TProjectFile scene = WeatherScene(1);
    scene.Description = description;
    const std::string package = WriteScenePackage(dir, "scene", scene);
    program = dir.File("Lake-" + std::filesystem::path(dir.Path()).filename().string() + ".scr");
    std::filesystem::rename(package, program);
    settingsFile = dir.File(settingsFileName);
    if (!settings.empty()) dir.Write("settings.ini", "[Config]\r\n" + settings);
    form = std::make_unique<TfmCOnfig>(host, program, settingsFile);
    form->FormShow();
  }
  ~TDialogRun() { form->FormClose(); }
  std::string Saved() const { return platform::FileExists(settingsFile) ? ReadAll(settingsFile) : ""; }
  // What the user does to a control: the host stores the state, then runs the handler.
  void MoveSlider(int32_t position) {
    form->Controls.SpeedPosition = position;
    form->tbSpeedChange();
  }
  void ToggleAutoPreview() {
    form->Controls.AutoPreview = !form->Controls.AutoPreview;
    form->CheckBox1Click();
  }
};

TEST(ConfigDialog, WithoutASettingsFileItShowsTheDefaultsAndTheScene) {
  TDialogRun run("", "");
  const TConfigControls& shown = run.host.shown;
  EXPECT_EQ(shown.SpeedPosition, 10);
  EXPECT_TRUE(shown.Stretch && shown.Sound && shown.Music && shown.ShowClock && shown.ProportionalEnabled);
  EXPECT_FALSE(shown.Proportional || shown.AutoPreview);
  EXPECT_EQ(shown.ClockPos, 1) << "Top Right";
  EXPECT_EQ(shown.Title, "Waves");
  EXPECT_EQ(shown.Description, "");
  EXPECT_EQ(run.host.pictures, 1);
  EXPECT_EQ(run.form->PreviewSurface().Width(), 243);
  EXPECT_EQ(run.form->PreviewSurface().Height(), 180);
  // The background stretched without keeping its aspect ratio: its last column and row reach
  // the picture's edges.
  TBitmap32 background;
  background.Assign(run.form->Runner()->Project().Background);
  EXPECT_EQ(run.form->PreviewSurface().PixelAt(242, 179) & 0xFFFFFF, background.PixelAt(191, 119) & 0xFFFFFF);
  EXPECT_FALSE(run.host.timer) << "the preview starts off";
  run.form->MyButton21Click();
  EXPECT_EQ(run.Saved(),
            "[Config]\r\nSpeed=100\r\nStretch=1\r\nProportional=0\r\nSound=1\r\nMusic=1\r\nClockPos=1\r\nShowClock=1\r\n\r\n");
  EXPECT_EQ(run.host.closes, 1);
}

TEST(ConfigDialog, ValuesOutsideTheControlsAreSavedAsTheControlsShowThem) {
  TDialogRun odd("Speed=55\r\nClockPos=7\r\nProportional=1\r\n");
  EXPECT_EQ(odd.host.shown.SpeedPosition, 0) << "55 is not in the table";
  EXPECT_EQ(odd.host.shown.ClockPos, -1) << "no corner selected";
  EXPECT_EQ(odd.form->Runner()->Project().Speed, 100) << "no change of position, so the loaded speed stays";
  // Unchecking Stretch disables Proportional but keeps its check.
  odd.form->Controls.Stretch = false;
  odd.form->cbStretchClick();
  EXPECT_FALSE(odd.host.shown.ProportionalEnabled);
  EXPECT_TRUE(odd.host.shown.Proportional);
  EXPECT_EQ(odd.host.focusMoves, 1);
  odd.form->MyButton21Click();
  const TUserSettings saved = ReadDialogSettings(odd.settingsFile);
  EXPECT_EQ(saved.Speed, 10);
  EXPECT_EQ(saved.ClockPos, -1);
  EXPECT_FALSE(saved.Stretch);
  EXPECT_TRUE(saved.Proportional);

  TDialogRun fast("Speed=480\r\n");
  EXPECT_EQ(fast.host.shown.SpeedPosition, 19);
  EXPECT_EQ(fast.form->Runner()->Project().Speed, 480);
  fast.form->SpeedButton6Click();
  EXPECT_EQ(fast.host.shown.SpeedPosition, 10);
  EXPECT_EQ(fast.form->Runner()->Project().Speed, 100);
  fast.form->MyButton21Click();
  EXPECT_EQ(ReadDialogSettings(fast.settingsFile).Speed, 100);
}

TEST(ConfigDialog, ThePreviewAnimatesWithoutAClockAndAnyMoveOfTheSpeedStopsIt) {
  TDialogRun run;
  const uint64_t still = run.host.pictureHash;
  run.ToggleAutoPreview();
  ASSERT_TRUE(run.host.timer);
  EXPECT_FALSE(run.form->Runner()->Engine().ShowClock);
  std::vector<uint64_t> frames;
  for (int i = 0; i < 3; ++i) {
    run.form->tmrAnimTimer();
    frames.push_back(run.host.pictureHash);
  }
  EXPECT_NE(frames[0], still);
  EXPECT_NE(frames[2], frames[0]) << "the water and the snow move";
  run.MoveSlider(12);
  EXPECT_FALSE(run.host.timer);
  EXPECT_FALSE(run.host.shown.AutoPreview) << "Auto Preview is cleared";
  EXPECT_EQ(run.form->Runner()->Project().Speed, 140);
  const int pictures = run.host.pictures;
  run.form->tmrAnimTimer();  // a tick queued before the timer stopped
  EXPECT_EQ(run.host.pictures, pictures);
}

TEST(ConfigDialog, AFailedWriteKeepsTheDialogOpenAndCancelWritesNothing) {
  TDialogRun unwritable("", "", "missing/settings.ini");
  unwritable.form->MyButton21Click();
  EXPECT_EQ(unwritable.host.errors, (std::vector<std::string>{"Unable to write to " + unwritable.settingsFile}));
  EXPECT_EQ(unwritable.host.closes, 0);

  const std::string saved = "[Config]\r\nSpeed=20\r\nStretch=0\r\n; the user's own note\r\n";
  TDialogRun run("Speed=20\r\nStretch=0\r\n; the user's own note\r\n");
  const std::string sceneFolder = SceneFolderFor(run.program);
  ASSERT_TRUE(std::filesystem::exists(sceneFolder));
  run.ToggleAutoPreview();
  run.MoveSlider(3);
  run.form->btnCancelClick();
  EXPECT_EQ(run.host.closes, 1);
  EXPECT_FALSE(run.host.timer);
  run.form->FormClose();
  EXPECT_EQ(run.Saved(), saved);
  EXPECT_FALSE(std::filesystem::exists(sceneFolder)) << "the scene folder goes with the dialog";
}

}  // namespace
}  // namespace lumora

// The saver window's rules through a fake host: the mouse, the windowed run, where the frame is
// painted, the close order, a lost frame, the Windows 95 password check, and what is left behind.
#include "forms/FStndAlneScr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/uTicks.h"
#include "platform/Platform.h"
#include "platform/uShell.h"
#include "project/uSceneFolder.h"
#include "render/uAnimEngine.h"
#include "support/SceneFixture.h"

namespace lumora {
namespace {

using namespace testing;

// Records what the window asks of it, in one log with the sound's and the music's calls.
// A scene without music: the player never opens.
struct TNoMusic : TMusicDevice {
  bool Open(const std::string&) override { return false; }
  void SetVolume(int32_t) override {}
  void Play() override {}
  int64_t Position() override { return 0; }
  int64_t Length() override { return 0; }
  void Close() override {}
  bool IsOpen() const override { return false; }
};

struct TFakeHost : TSaverWindowHost, TSoundOutput, TShell {
  struct Channel : TSoundChannel {
    std::vector<std::string>& log;
    explicit Channel(std::vector<std::string>& l) : log(l) {}
    bool Open() override { return true; }
    void Load(const TWaveFile&) override {}
    void SetVolume(int32_t) override {}
    void Play(bool) override { log.push_back("sound play"); }
    void Stop() override {}
  };

  TPoint ScreenSize() override { return screen; }
  TPoint ClientSize() override { return client; }
  void SetBounds(int32_t l, int32_t t, int32_t w, int32_t h) override {
    bounds = Rect(l, t, l + w, t + h);
    client = windowed ? TPoint{w - 16, h - 39} : TPoint{w, h};  // a windowed frame's border and caption
  }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetFullScreenStyle() override { windowed = false; }
  void SetWindowedStyle() override { windowed = true; }
  void HideTaskbarButton() override {}
  void MakeTopmost() override {}
  int PlatformId() override { return platformId; }
  void SetScreenSaverRunning(bool running) override { log.push_back(running ? "saver running" : "saver stopped"); }
  void ShowCursor(bool show) override { log.push_back(show ? "cursor shown" : "cursor hidden"); }
  void Paint(const TBitmap32& surface, int32_t x, int32_t y) override {
    if (failPaints > 0) {
      --failPaints;
      throw std::runtime_error("a frame that fails");
    }
    ++paints;
    paintedAt = {x, y};
    paintedSize = {surface.Width(), surface.Height()};
    changes.assign(1, Rect(0, 0, surface.Width(), surface.Height()));
  }
  void PaintChanges(const TBitmap32& surface, int32_t x, int32_t y, std::span<const TRect> areas) override {
    Paint(surface, x, y);
    changes.assign(areas.begin(), areas.end());
  }
  void Close() override { closeRequests++; }
  void PumpMessages() override {}
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool OpenDesktopKey() override { return true; }
  int32_t ScreenSaveUsePassword() override { return 1; }
  std::optional<int32_t> VerifyScreenSavePwd() override {
    log.push_back("password asked");
    return passwordRight ? 1 : 0x100;  // only the low byte counts
  }
  TSoundOutput& SoundOutput() override { return *this; }
  TMusicDevice& MusicDevice() override { return music; }
  TShell& Shell() override { return *this; }

  std::unique_ptr<TSoundChannel> CreateChannel() override { return std::make_unique<Channel>(log); }
  void PlaySimple(const std::string&, bool) override {}
  void StopSimple() override {}

  void ShowMessage(const std::string& text, const std::string&) override { errors.push_back(text); }

  TNoMusic music;
  TPoint screen{640, 400};
  TPoint client{300, 200};
  TRect bounds;
  bool windowed = false;
  int platformId = 2;
  bool passwordRight = false;
  int failPaints = 0;
  int paints = 0;
  int closeRequests = 0;
  TPoint paintedAt, paintedSize;
  std::vector<TRect> changes;  // of the last paint
  std::string caption;
  std::vector<std::string> errors;
  std::vector<std::string> log;
};

// A scene saver of the test's own, named `name` (".exe" for the windowed run), with settings.
struct TSaverRun {
  TempDir dir;
  TManualTicks ticks{5000};
  TFakeHost host;
  TSaverProcess process;
  std::string program;
  std::unique_ptr<TfmStndAlneScr> window;

  explicit TSaverRun(const std::string& name, const std::string& settings = "", tools::TProjectFile scene = WeatherScene(1)) {
    const std::string package = WriteScenePackage(dir, "scene", scene);
    // The scene folder is named after the program alone: a name of this test's own keeps
    // tests that run side by side apart.
    const std::string unique = std::filesystem::path(dir.Path()).filename().string();
    program = dir.File(std::filesystem::path(name).stem().string() + "-" + unique + std::filesystem::path(name).extension().string());
    std::filesystem::rename(package, program);
    if (!settings.empty()) dir.Write("settings.ini", "[Config]\r\n" + settings);
    window = std::make_unique<TfmStndAlneScr>(host, process, program, dir.File("settings.ini"));
    window->FormCreate();
  }
  ~TSaverRun() {
    window->FormClose();
    window->FormDestroy();
  }
  std::string SceneFolder() const { return SceneFolderFor(program); }
};

TEST(SaverWindow, TheFirstFiveMovesAreIgnoredThenMoreThanTwoPixelsClose) {
  TSaverRun run("Lake.scr");
  ASSERT_TRUE(run.window->FormShow());
  for (int i = 0; i < 5; ++i) run.window->FormMouseMove(i * 300, 700 - i * 150);  // large jumps, ignored
  EXPECT_EQ(run.host.closeRequests, 0);
  run.window->FormMouseMove(100, 100);  // the first position counted
  for (const TPoint p : {TPoint{102, 100}, TPoint{104, 102}, TPoint{104, 104}, TPoint{102, 102}}) run.window->FormMouseMove(p.X, p.Y);
  EXPECT_EQ(run.host.closeRequests, 0) << "a creep of two pixels per event never ends the run";
  run.window->FormMouseMove(102, 105);
  EXPECT_EQ(run.host.closeRequests, 1) << "three pixels do";
  run.window->FormMouseMove(105, 105);
  EXPECT_EQ(run.host.closeRequests, 2);
  run.window->FormKeyDown();
  run.window->FormMouseDown();
  EXPECT_EQ(run.host.closeRequests, 4);
}

TEST(SaverWindow, TheWindowedRunIgnoresInputNeverShowsTheClockAndCentresEvenOffScreen) {
  TSaverRun run("Lake.exe", "ShowClock=1\r\n");
  run.host.screen = {150, 100};  // smaller than the 192 x 120 background
  ASSERT_TRUE(run.window->FormShow());
  EXPECT_TRUE(run.window->Windowed);
  EXPECT_TRUE(run.host.windowed);
  EXPECT_FALSE(run.window->Settings.ShowClock);
  EXPECT_FALSE(run.window->Runner()->Engine().ShowClock);
  EXPECT_EQ(run.host.bounds, Rect(-21, -10, 171, 110));
  run.window->FormMouseMove(0, 0);
  for (int i = 0; i < 10; ++i) run.window->FormMouseMove(i * 100, i * 100);
  run.window->FormKeyDown();
  run.window->FormMouseDown();
  EXPECT_EQ(run.host.closeRequests, 0);
  // Every frame is stretched into the client-sized back buffer, which follows the window's size.
  EXPECT_EQ(run.window->BackBuffer()->Width(), 300) << "made at the client size before the window was sized";
  run.window->FormResize();  // what the host reports once the bounds are set
  EXPECT_FALSE(run.window->AppIdle());
  EXPECT_EQ(run.host.paintedAt, (TPoint{0, 0}));
  EXPECT_EQ(run.host.paintedSize, (TPoint{192 - 16, 120 - 39}));
  EXPECT_EQ(run.host.caption, "Waves");
}

TEST(SaverWindow, WithoutStretchTheFrameIsCentredUnscaled) {
  TSaverRun run("Lake.scr", "Stretch=0\r\n");
  ASSERT_TRUE(run.window->FormShow());
  EXPECT_FALSE(run.window->AppIdle());
  EXPECT_EQ(run.host.paintedAt, (TPoint{(640 - 192) / 2, (400 - 120) / 2}));
  EXPECT_EQ(run.host.paintedSize, (TPoint{192, 120}));
  TSaverRun stretched("Pond.scr");
  ASSERT_TRUE(stretched.window->FormShow());
  stretched.window->AppIdle();
  EXPECT_EQ(stretched.host.paintedAt, (TPoint{0, 0}));
  EXPECT_EQ(stretched.host.paintedSize, (TPoint{640, 400})) << "fitted to the screen";
}

// A lost frame's changes never reached the window, so the frame after it is painted whole;
// after that, each frame paints what changed.
TEST(SaverWindow, AFrameThatFailsIsLostAndTheNextIsPaintedWhole) {
  TSaverRun run("Lake.scr", "", WeatherScene(1));
  ASSERT_TRUE(run.window->FormShow());
  const TRect whole = Rect(0, 0, 640, 400);
  for (int frame = 0; frame < 3; ++frame) {
    run.ticks.Advance(32);
    EXPECT_FALSE(run.window->AppIdle());
  }
  EXPECT_EQ(run.host.changes.size(), run.window->Runner()->Engine().FrameChanges().size());
  EXPECT_NE(run.host.changes, std::vector<TRect>{whole}) << "only what changed";
  run.host.failPaints = 1;
  run.ticks.Advance(32);
  EXPECT_FALSE(run.window->AppIdle());
  EXPECT_EQ(run.host.paints, 3);
  run.ticks.Advance(32);
  EXPECT_FALSE(run.window->AppIdle());
  EXPECT_EQ(run.host.paints, 4);
  EXPECT_EQ(run.host.changes, std::vector<TRect>{whole});
  run.ticks.Advance(32);
  EXPECT_FALSE(run.window->AppIdle());
  EXPECT_NE(run.host.changes, std::vector<TRect>{whole});
}

// What the run prints on standard error while the window runs `frames` frames.
std::string ReportedWhileRunning(TSaverRun& run, int frames) {
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < frames; ++i) run.window->AppIdle();
  std::string text = ::testing::internal::GetCapturedStderr();
  std::erase(text, '\r');
  return text;
}

TEST(SaverWindow, TheFirstFramePaintedReportsTheStartUpTimeOnceAndOnlyWhenAsked) {
  TSaverRun run("Lake.scr");
  run.process.TimeStartup = true;
  ASSERT_TRUE(run.window->FormShow());
  run.host.failPaints = 1;
  EXPECT_EQ(ReportedWhileRunning(run, 1), "") << "a frame that failed to paint is not on the window";
  const std::string line = ReportedWhileRunning(run, 3);
  const std::string prefix = "first-frame-ms ";
  ASSERT_GT(line.size(), prefix.size() + 1);
  EXPECT_EQ(line.substr(0, prefix.size()), prefix);
  EXPECT_EQ(line.back(), '\n');
  const std::string number = line.substr(prefix.size(), line.size() - prefix.size() - 1);
  EXPECT_TRUE(std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) << line;

  TSaverRun windowed("Pond.exe");  // the windowed run paints through its back buffer, and reports too
  windowed.process.TimeStartup = true;
  ASSERT_TRUE(windowed.window->FormShow());
  windowed.window->FormResize();
  const std::string windowedLine = ReportedWhileRunning(windowed, 2);
  EXPECT_EQ(windowedLine.substr(0, prefix.size()), prefix);
  EXPECT_EQ(std::count(windowedLine.begin(), windowedLine.end(), '\n'), 1);

  TSaverRun quiet("Brook.scr");
  ASSERT_TRUE(quiet.window->FormShow());
  EXPECT_EQ(ReportedWhileRunning(quiet, 2), "") << "not asked for";
}

TEST(SaverWindow, ClosingStopsEverythingInOrderAndLeavesNothingExtracted) {
  tools::TProjectFile scene = WeatherScene(1);
  scene.SoundSlots[0].SetPath("C:\\wind.wav");  // the fixture ships no WAV: the slot stays silent
  TSaverRun run("Lake.scr", "", scene);
  ASSERT_TRUE(run.window->FormShow());
  ASSERT_TRUE(std::filesystem::exists(run.SceneFolder()));
  EXPECT_EQ(run.host.log, (std::vector<std::string>{"cursor hidden"}));
  run.ticks.Advance(40);
  EXPECT_FALSE(run.window->AppIdle());
  run.window->FormClose();
  EXPECT_EQ(run.window->Tag, -1);
  EXPECT_TRUE(run.window->AppIdle()) << "after the close the loop waits for messages";
  EXPECT_FALSE(run.window->Runner()->HasEngine());
  EXPECT_FALSE(std::filesystem::exists(run.SceneFolder() + "VXTemp.vxp")) << "the project file goes at close";
  EXPECT_EQ(run.host.log.back(), "cursor shown");
  run.window->FormDestroy();
  EXPECT_FALSE(std::filesystem::exists(run.SceneFolder()));
}

TEST(SaverWindow, OnTheWindows95FamilyAWrongPasswordKeepsItRunningWithTheCursorHidden) {
  TSaverRun run("Lake.scr");
  run.host.platformId = 1;
  ASSERT_TRUE(run.window->FormShow());
  run.host.log.clear();
  run.process.MouseSkipCount = 0;
  EXPECT_FALSE(run.window->FormCloseQuery());
  EXPECT_EQ(run.host.log, (std::vector<std::string>{"cursor shown", "password asked", "cursor hidden"}));
  EXPECT_EQ(run.process.MouseSkipCount, 5) << "the moves made at the password dialog are ignored";
  run.host.passwordRight = true;
  EXPECT_TRUE(run.window->FormCloseQuery());
  run.host.platformId = 2;
  run.host.log.clear();
  EXPECT_TRUE(run.window->FormCloseQuery());
  EXPECT_TRUE(run.host.log.empty()) << "elsewhere the system checks the password itself";
}

TEST(SaverWindow, ADamagedSceneIsReportedAndLeavesNothingBehind) {
  TempDir dir;
  TFakeHost host;
  TSaverProcess process;
  const std::string name = "Broken-" + std::filesystem::path(dir.Path()).filename().string() + ".scr";
  const std::string program = dir.Write(name, "MZ no package here");
  TfmStndAlneScr window(host, process, program, dir.File("settings.ini"));
  window.FormCreate();
  EXPECT_FALSE(window.FormShow());
  EXPECT_EQ(host.errors, (std::vector<std::string>{"The scene in " + name + " is damaged or incomplete."}));
  EXPECT_FALSE(std::filesystem::exists(SceneFolderFor(program)));
  EXPECT_TRUE(host.log.empty()) << "the cursor was never hidden";
  window.FormClose();
  window.FormDestroy();
}

}  // namespace
}  // namespace lumora

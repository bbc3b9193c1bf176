// StandAloneScr: the Windows program. Renamed to .scr and carrying a scene package it is a
// screensaver; named .exe it shows the scene in an ordinary window.
#include <windows.h>

#include <string>
#include <vector>

#include "app/uRunMode.h"
#include "platform/Platform.h"
#include "platform/win32/Win32ConfigDialog.h"
#include "platform/win32/Win32SaverWindow.h"

namespace {

using namespace lumora;

class TWin32Startup : public TStartupHost {
 public:
  explicit TWin32Startup(std::string program) : program_(std::move(program)) {}

  platform::TInstanceGuard::Result AcquireInstance() override { return guard_.Acquire(kInstanceSemaphoreName); }
  void ChangePassword(int32_t parent) override { platform::ChangeScreenSaverPassword(parent); }
  void PaintPreview(int32_t window) override { win32::PaintPreview(program_, window); }
  int RunSaver(bool) override { return win32::RunSaver(program_, platform::SettingsFilePath(program_)); }
  int RunConfig() override { return win32::RunConfig(program_, platform::SettingsFilePath(program_)); }
  void ReportError(const std::string& message) override { win32::ShowUserMessage(message); }

 private:
  std::string program_;
  platform::TInstanceGuard guard_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  const std::string program = platform::ProgramPath();
  TWin32Startup host(program);
  return RunStartup(arguments, program, host);
}

// lumora: the Linux player of scene savers. The screensaver protocol's arguments work as the
// Windows program reads them, plus the conventions of Unix savers:
//
//   lumora [--scene FILE] [--window] [/S | /C | /P WINDOW | /A]
//   lumora [--scene FILE] -root            (xscreensaver: $XSCREENSAVER_WINDOW, else the root)
//   lumora [--scene FILE] -window-id ID    (draw into that X window)
//
// --scene FILE stands in for the program's own file everywhere: the package, the scene folder's
// name, the settings file's name; so one lumora plays any scene saver, a Windows .scr included.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "app/uRunMode.h"
#include "base/uErrors.h"
#include "platform/Platform.h"
#include "platform/gtk/GtkConfigDialog.h"
#include "platform/sdl/SdlSaverWindow.h"

// Last: Xlib's macros would break the headers above.
#include <X11/Xlib.h>

namespace {

using namespace lumora;

class TLinuxStartup : public TStartupHost {
 public:
  TLinuxStartup(std::string program, sdl::TSaverTarget target) : program_(std::move(program)), target_(target) {}

  platform::TInstanceGuard::Result AcquireInstance() override { return guard_.Acquire(kInstanceSemaphoreName); }
  void ChangePassword(int32_t parent) override { platform::ChangeScreenSaverPassword(parent); }
  void PaintPreview(int32_t window) override { sdl::PaintPreview(program_, static_cast<uint32_t>(window)); }
  int RunSaver(bool windowed) override {
    sdl::TSaverTarget target = target_;
    if (windowed && target.What == sdl::TSaverTarget::Kind::FullScreen) target.What = sdl::TSaverTarget::Kind::Windowed;
    return sdl::RunSaver(program_, platform::SettingsFilePath(program_), target);
  }
  int RunConfig() override { return gtk::RunConfig(program_, platform::SettingsFilePath(program_)); }
  void ReportError(const std::string& message) override { sdl::ShowUserMessage(message); }

 private:
  std::string program_;
  sdl::TSaverTarget target_;
  platform::TInstanceGuard guard_;
};

// The window xscreensaver gives a hack: $XSCREENSAVER_WINDOW (hexadecimal 0x.. or decimal), else
// the root window of the default screen.
unsigned long RootTarget() {
  if (const char* named = std::getenv("XSCREENSAVER_WINDOW"); named != nullptr && *named != '\0') {
    return std::strtoul(named, nullptr, 0);
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw EInOutError("No X display for -root");
  const unsigned long root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return root;
}

}  // namespace

int main(int argc, char** argv) {
  std::string program = platform::ProgramPath();
  sdl::TSaverTarget target;
  std::vector<std::string> protocol;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--scene" && i + 1 < argc) {
        program = argv[++i];
      } else if (arg == "--window") {
        target.What = sdl::TSaverTarget::Kind::Windowed;
      } else if (arg == "-root") {
        target = {sdl::TSaverTarget::Kind::XWindow, RootTarget()};
      } else if (arg == "-window-id" && i + 1 < argc) {
        target = {sdl::TSaverTarget::Kind::XWindow, std::strtoul(argv[++i], nullptr, 0)};
      } else if (arg == "--help") {
        std::printf("usage: lumora [--scene FILE] [--window] [/S | /C | /P WINDOW | /A]\n"
                    "       lumora [--scene FILE] -root | -window-id ID\n");
        return 0;
      } else {
        protocol.push_back(arg);
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lumora: %s\n", error.what());
    return 1;
  }
  // Drawing into a window, or asked for a window, is a saver run whatever else was said.
  if (target.What != sdl::TSaverTarget::Kind::FullScreen && protocol.empty()) protocol = {"/s"};
  TLinuxStartup host(program, target);
  return RunStartup(protocol, program, host);
}

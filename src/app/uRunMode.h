// The program's start: which run mode a command line asks for, and the order of start-up.
//
// The screensaver protocol passes "/S" (run), "/C" (configure), "/P <window>" (preview) and
// "/A <window>" (change password). A program whose own file has the extension ".EXE" is run by
// hand, and shows the animated scene in an ordinary window for every mode but "/A" and "/P".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace lumora {

inline constexpr const char* kApplicationTitle = "Lumora Screensaver";
inline constexpr const char* kInstanceSemaphoreName = "VXStndAlneScreenSaverSemaphore";

enum class TRunMode { Nothing, PasswordChange, Preview, Saver, Config };

struct TRunDecision {
  TRunMode Mode = TRunMode::Nothing;
  bool Windowed = false;       // the saver shows in an ordinary window
  std::string ModeArgument;    // upper-cased, cut to two characters
  std::string HandleArgument;  // upper-cased; converted only by the modes that use it
};

// The first argument upper-cased and cut to its first two characters ("" when missing).
std::string ModeArgument(std::string_view firstArgument);
// True when the extension of the program's own file name is ".EXE", whatever its letter case.
bool IsWindowedProgram(std::string_view programPath);
// `arguments` are the command-line arguments after the program's own name.
TRunDecision DecideRunMode(const std::vector<std::string>& arguments, std::string_view programPath);
// The handle argument as a signed 32-bit integer (decimal, or "$"/"0X" hexadecimal). Throws
// EConvertError "'<text>' is not a valid integer value" when it is not one.
int32_t HandleArgumentValue(std::string_view text);

// What the program's shell does for each mode; the start-up order below calls it.
class TStartupHost {
 public:
  virtual ~TStartupHost() = default;
  virtual platform::TInstanceGuard::Result AcquireInstance() = 0;
  virtual void ChangePassword(int32_t parent) = 0;
  virtual void PaintPreview(int32_t window) = 0;
  // Until the window closes; the program's exit code (non-zero when the scene could not run).
  virtual int RunSaver(bool windowed) = 0;
  virtual int RunConfig() = 0;  // until the dialog closes
  virtual void ReportError(const std::string& message) = 0;
};

// The start-up order: the password change runs before the instance guard and ignores it; a
// second instance ends at once and silently; then exactly one mode runs. Returns the exit code.
int RunStartup(const std::vector<std::string>& arguments, std::string_view programPath, TStartupHost& host);

}  // namespace lumora

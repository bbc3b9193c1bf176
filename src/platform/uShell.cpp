// The shell's services for the core (see uShell.h).
#include "platform/uShell.h"

#include "base/uPathText.h"
#include "platform/Platform.h"

namespace lumora {
namespace {
TSystemShell g_systemShell;  // holds nothing: every call goes to the system
}

std::string TShell::RecordedProgramFilesDir() { return platform::RegisteredProgramFilesDir(); }

std::string TShell::ProgramFilesDir() {
  const std::string registered = RecordedProgramFilesDir();
  if (!registered.empty()) return registered;
  const std::string folder = RemoveFirstNoCase(ExtractFilePath(platform::ProgramPath()),
                                               std::string("LumoraStudio") + platform::PathDelimiter());
  ShowMessage(folder, "");
  return folder;
}

void TSystemShell::ShowMessage(const std::string& text, const std::string& caption) {
  platform::ShowMessage(text, caption);
}

TShell& SystemShell() { return g_systemShell; }

}  // namespace lumora

// The Windows configuration dialog: real Win32 controls over the dialog's logic (TfmCOnfig).
#pragma once

#include <string>

namespace lumora::win32 {

// Shows the configuration dialog for the scene carried by `programPath`, with the user's
// settings in `settingsFile`, and runs its message loop until it closes. The exit code is 0, or
// 1 when the dialog's window could not be made (the user was told in a message box).
int RunConfig(const std::string& programPath, const std::string& settingsFile);

}  // namespace lumora::win32

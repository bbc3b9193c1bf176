// The Linux configuration dialog: a GTK 3 window with the controls where the Windows dialog has
// them, acting as the host of the dialog's logic (TfmCOnfig, forms/FConfig.h).
//
// Everything runs on GTK's main loop: the live preview is a low-priority timeout, so redraws and
// the user's input go first. Enter presses OK, Escape and the title bar's close button Cancel.
#pragma once

#include <string>

namespace lumora::gtk {

// Shows the dialog for the scene in `programPath` until OK or Cancel closes it; OK writes the
// user's settings to `settingsFile`. Returns 0, or 1 when GTK cannot open a display (the reason
// is printed to standard error as "lumora: <reason>").
int RunConfig(const std::string& programPath, const std::string& settingsFile);

}  // namespace lumora::gtk

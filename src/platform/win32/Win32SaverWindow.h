// The Windows program's windows: the saver window (a black window, full-screen or ordinary; the
// full-screen one with a black window over every other monitor) and the preview painted into the
// display settings' little window.
#pragma once

#include <cstdint>
#include <string>

namespace lumora::win32 {

// Runs the saver window for the scene carried by `programPath` until it closes; the exit code is
// 0, or 1 when the scene could not run (the user was told in a message box).
int RunSaver(const std::string& programPath, const std::string& settingsFile);

// Paints the scene's preview picture into `window`, stretched to exactly its size, once it is
// visible: waited for while messages are handled, at most 30 seconds, and not at all when the
// handle names no window.
void PaintPreview(const std::string& programPath, intptr_t window);

// A message box with the program's title, owned by `owner` (none: the desktop) and topmost, so
// that a full-screen saver never hides it.
void ShowUserMessage(const std::string& text, void* owner = nullptr);

}  // namespace lumora::win32

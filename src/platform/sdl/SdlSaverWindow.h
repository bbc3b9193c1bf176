// The Linux player's saver window: SDL2 full-screen or in an ordinary window, or, for
// xscreensaver and previews, drawing into an X window another program made.
//
// Full-screen is a borderless window the size of the primary display, raised, the cursor
// hidden, and every other monitor under a black window of its own whose input counts as the
// saver's; windowed is a normal resizable window centred on the primary display and sized to the
// background. Frames go to the screen through a streaming texture updated from the surface's rows
// (the surface's memory layout is SDL_PIXELFORMAT_ARGB8888), with a software renderer where no
// GPU is usable and no vertical sync, since the window paces itself. An adopted X window is
// painted with XPutImage; the program selects only StructureNotify on it (another client holds
// its button events) and leaves closing to its parent, which sends SIGTERM.
#pragma once

#include <cstdint>
#include <string>

namespace lumora::sdl {

struct TSaverTarget {
  enum class Kind { FullScreen, Windowed, XWindow } What = Kind::FullScreen;
  unsigned long XWindow = 0;  // Kind::XWindow: the window to draw into
};

// Runs the saver window for the scene in `programPath` until it closes. The exit code: 0, or 1
// when the scene could not run (the user was told: a message box, or standard error when
// drawing into another program's window).
int RunSaver(const std::string& programPath, const std::string& settingsFile, const TSaverTarget& target);

// Paints the scene's preview picture once into X window `window`, exactly its size.
void PaintPreview(const std::string& programPath, unsigned long window);

// A message for the user: an SDL message box, or standard error where there is no display.
void ShowUserMessage(const std::string& text);

}  // namespace lumora::sdl

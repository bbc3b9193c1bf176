// The Linux player's saver window (see SdlSaverWindow.h).
#include "platform/sdl/SdlSaverWindow.h"

#include <SDL.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "app/uPreview.h"
#include "app/uRunMode.h"
#include "forms/FStndAlneScr.h"
#include "platform/sdl/SdlSound.h"
#include "platform/uShell.h"

// Last: Xlib's macros (Bool, Status, None, ...) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>

namespace lumora::sdl {
namespace {

// Set by SIGTERM and SIGINT (a signal handler can do no more); the loop then closes the window.
volatile sig_atomic_t g_terminate = 0;
void OnTerminate(int) { g_terminate = 1; }

void CatchTermination() {
  struct sigaction action {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

// What both kinds of window share: the sound, the shell's messages, no Windows 95 password.
class TLinuxHost : public TSaverWindowHost, public TShell {
 public:
  explicit TLinuxHost(bool toStandardError)
      : toStandardError_(toStandardError), output_(audio_), music_(audio_) {}

  int PlatformId() override { return 2; }
  void SetScreenSaverRunning(bool) override {}
  void ShowError(const std::string& text) override { ShowMessage(text, kApplicationTitle); }
  bool OpenDesktopKey() override { return false; }
  int32_t ScreenSaveUsePassword() override { return 0; }
  std::optional<int32_t> VerifyScreenSavePwd() override { return std::nullopt; }
  TSoundOutput& SoundOutput() override { return output_; }
  TMusicDevice& MusicDevice() override { return music_; }
  TShell& Shell() override { return *this; }
  void ShowMessage(const std::string& text, const std::string&) override {
    if (toStandardError_) {
      std::fprintf(stderr, "lumora: %s\n", text.c_str());
    } else {
      ShowUserMessage(text);
    }
  }
  // The music's end, reported on the mixer's thread, handed to the window here.
  void PollMusic(TfmStndAlneScr& form) {
    if (music_.TakeNotification()) form.MediaPlayerNotify();
  }

 private:
  bool toStandardError_;
  TSdlAudio audio_;
  TSdlSoundOutput output_;
  TSdlMusic music_;
};

// ---- An SDL window of the program's own ----

// The monitors, the primary first, in the coordinates windows are placed in (SDL_Rect).
std::vector<SDL_Rect> Monitors(SDL_Window* window);

class TSdlWindowHost : public TLinuxHost {
 public:
  explicit TSdlWindowHost(bool windowed) : TLinuxHost(false) {
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // The frame comes at the window's size, so a GPU would add nothing but a second upload: the
    // window's own framebuffer (shared memory on X11) takes it in one copy. SDL would otherwise
    // back that framebuffer with an OpenGL texture, which without a GPU is a software
    // rasteriser costing twice the frame itself.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    const Uint32 style = windowed ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
    window_ = SDL_CreateWindow(kApplicationTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                               SDL_WINDOW_HIDDEN | style);
    if (window_ == nullptr) throw std::runtime_error(std::string("No window: ") + SDL_GetError());
    monitors_ = Monitors(window_);
    if (monitors_.empty()) monitors_.push_back({0, 0, 640, 480});
  }
  ~TSdlWindowHost() override {
    RemoveCovers();
    SDL_DestroyWindow(window_);
  }

  TPoint ScreenSize() override { return {monitors_[0].w, monitors_[0].h}; }
  TPoint ClientSize() override {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return {w, h};
  }
  // Placed on the primary monitor, which need not begin at the desktop's origin.
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override {
    SDL_SetWindowSize(window_, width, height);
    SDL_SetWindowPosition(window_, monitors_[0].x + left, monitors_[0].y + top);
  }
  void SetCaption(const std::string& caption) override { SDL_SetWindowTitle(window_, caption.c_str()); }
  void SetFullScreenStyle() override { SDL_SetWindowBordered(window_, SDL_FALSE); }
  void SetWindowedStyle() override { SDL_SetWindowBordered(window_, SDL_TRUE); }
  void HideTaskbarButton() override {}  // the window was made without one
  void MakeTopmost() override {
    SDL_SetWindowAlwaysOnTop(window_, SDL_TRUE);
    SDL_RaiseWindow(window_);
  }
  void ShowCursor(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

  void Paint(const TBitmap32& surface, int32_t x, int32_t y) override {
    const TRect whole = Rect(0, 0, surface.Width(), surface.Height());
    PaintChanges(surface, x, y, std::span<const TRect>(&whole, 1));
  }
  // Only the changed areas go into the framebuffer and on to the X server; everything when the
  // framebuffer is new, the frame moved or the window was exposed.
  TColor32* FrameMemory(int32_t width, int32_t height) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (target == nullptr || target->w != width || target->h != height || !RowCopies(*target) ||
        target->pitch != width * static_cast<int>(sizeof(TColor32))) {
      return nullptr;
    }
    return static_cast<TColor32*>(target->pixels);
  }

  void PaintChanges(const TBitmap32& surface, int32_t x, int32_t y, std::span<const TRect> changes) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (surface.Empty() || target == nullptr) return;
    const SDL_Rect at{x, y, surface.Width(), surface.Height()};
    bool whole = exposed_;
    exposed_ = false;
    if (surface.Bits() == target->pixels) {
      // Composed in place, filling the window: only the X server has work to do.
      painted_ = target;
      paintedAt_ = at;
      if (whole) {
        SDL_UpdateWindowSurface(window_);
        return;
      }
      shown_.clear();
      for (const TRect& change : changes) shown_.push_back({change.Left, change.Top, change.Width(), change.Height()});
      if (!shown_.empty()) SDL_UpdateWindowSurfaceRects(window_, shown_.data(), static_cast<int>(shown_.size()));
      return;
    }
    // A new framebuffer (after a resize) or a frame in a new place: the border around it black.
    if (target != painted_ || at.x != paintedAt_.x || at.y != paintedAt_.y || at.w != paintedAt_.w ||
        at.h != paintedAt_.h) {
      SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
      painted_ = target;
      paintedAt_ = at;
      whole = true;
    }
    if (RowCopies(*target)) {
      // The surface's own memory layout: row copies only.
      if (whole) {
        CopyRows(surface, *target, at, Rect(0, 0, at.w, at.h));
        SDL_UpdateWindowSurface(window_);
        return;
      }
      shown_.clear();
      for (const TRect& change : changes) {
        const SDL_Rect area = CopyRows(surface, *target, at, change);
        if (area.w > 0 && area.h > 0) shown_.push_back(area);
      }
      if (!shown_.empty()) SDL_UpdateWindowSurfaceRects(window_, shown_.data(), static_cast<int>(shown_.size()));
      return;
    }
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<TColor32*>(surface.Bits()), at.w, at.h, 32,
                                                             at.w * 4, SDL_PIXELFORMAT_ARGB8888);
    if (source == nullptr) return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);  // the frame's alpha is not a see-through
    SDL_Rect place{x, y, at.w, at.h};  // the blit clips it
    SDL_BlitSurface(source, nullptr, target, &place);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(window_);
  }

  void Close() override { closeRequested_ = true; }
  void PumpMessages() override {
    SDL_Event event;
    while (SDL_PollEvent(&event)) Dispatch(event);
  }

  int Run(TfmStndAlneScr& form) {
    form_ = &form;
    form.FormCreate();
    if (!ShowForm(form)) return 1;
    SDL_ShowWindow(window_);
    if (!form.Windowed) {
      CoverOtherMonitors();
      MakeTopmost();
    }
    form.FormResize();
    while (true) {
      PumpMessages();
      PollMusic(form);
      if (g_terminate) {
        form.FormClose();
        break;
      }
      if (closeRequested_) {
        closeRequested_ = false;
        if (form.FormCloseQuery()) {
          form.FormClose();
          break;
        }
      }
      if (form.AppIdle()) SDL_WaitEventTimeout(nullptr, 100);
    }
    SDL_HideWindow(window_);
    RemoveCovers();
    form.FormDestroy();
    return 0;
  }

 private:
  // FormShow, whose failures reach the user as the framework's error report.
  bool ShowForm(TfmStndAlneScr& form) {
    bool shown = false;
    try {
      shown = form.FormShow();
    } catch (const std::exception& error) {
      ShowError(error.what());
    }
    if (!shown) {
      form.FormClose();
      form.FormDestroy();
    }
    return shown;
  }

  // Input on a cover window counts as input on the saver window: one pointer, one set of rules.
  void Dispatch(const SDL_Event& event) {
    switch (event.type) {
      case SDL_MOUSEMOTION: {
        const TPoint at = InSaverWindow(event.motion.windowID, event.motion.x, event.motion.y);
        form_->FormMouseMove(at.X, at.Y);
        break;
      }
      case SDL_MOUSEBUTTONDOWN: form_->FormMouseDown(); break;
      case SDL_KEYDOWN: form_->FormKeyDown(); break;
      case SDL_QUIT: Close(); break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) Close();
        if (event.window.windowID != SDL_GetWindowID(window_)) {
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED) PaintBlack(SDL_GetWindowFromID(event.window.windowID));
        } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          form_->FormResize();
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
          exposed_ = true;
        }
        break;
      default: break;
    }
  }

  // A position on a cover window in the saver window's coordinates, so that a pointer crossing
  // from one monitor to the next moves by its real distance and not by a jump.
  TPoint InSaverWindow(Uint32 windowId, int32_t x, int32_t y) {
    SDL_Window* from = SDL_GetWindowFromID(windowId);
    if (from == nullptr || from == window_) return {x, y};
    int fromX = 0, fromY = 0, toX = 0, toY = 0;
    SDL_GetWindowPosition(from, &fromX, &fromY);
    SDL_GetWindowPosition(window_, &toX, &toY);
    return {x + fromX - toX, y + fromY - toY};
  }

  // The full-screen run's other monitors, each under a black, borderless, topmost window of its
  // own without a taskbar entry, so that no desktop shows beside the scene. A monitor that
  // overlaps the primary one (a clone) already shows the scene and is left alone.
  void CoverOtherMonitors() {
    for (size_t i = 1; i < monitors_.size(); ++i) {
      if (SDL_HasIntersection(&monitors_[i], &monitors_[0])) continue;
      const SDL_Rect& monitor = monitors_[i];
      SDL_Window* cover = SDL_CreateWindow("", monitor.x, monitor.y, monitor.w, monitor.h,
                                           SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP);
      if (cover == nullptr) continue;  // that monitor keeps its desktop; the saver runs on
      covers_.push_back(cover);
      PaintBlack(cover);
    }
  }
  static void PaintBlack(SDL_Window* cover) {
    SDL_Surface* surface = cover != nullptr ? SDL_GetWindowSurface(cover) : nullptr;
    if (surface == nullptr) return;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurface(cover);
  }
  void RemoveCovers() {
    for (SDL_Window* cover : covers_) SDL_DestroyWindow(cover);
    covers_.clear();
  }

  // A framebuffer laid out as the frame's pixels: 32 bits each, blue in the low byte.
  static bool RowCopies(const SDL_Surface& target) {
    return target.format->format == SDL_PIXELFORMAT_ARGB8888 || target.format->format == SDL_PIXELFORMAT_RGB888;
  }

  // The part `area` of the frame (at `at` in the framebuffer) that lies inside the framebuffer,
  // row by row; returns where it went.
  static SDL_Rect CopyRows(const TBitmap32& surface, SDL_Surface& target, const SDL_Rect& at, const TRect& area) {
    const int32_t left = std::max({0, at.x, at.x + area.Left}), right = std::min({target.w, at.x + at.w, at.x + area.Right});
    const int32_t top = std::max({0, at.y, at.y + area.Top}), bottom = std::min({target.h, at.y + at.h, at.y + area.Bottom});
    if (left >= right || top >= bottom) return {0, 0, 0, 0};
    if (SDL_MUSTLOCK(&target)) SDL_LockSurface(&target);
    for (int32_t y = top; y < bottom; ++y) {
      const TColor32* from = surface.Bits() + static_cast<size_t>(y - at.y) * at.w + (left - at.x);
      auto* to = static_cast<uint8_t*>(target.pixels) + static_cast<size_t>(y) * target.pitch + left * 4;
      std::memcpy(to, from, static_cast<size_t>(right - left) * 4);
    }
    if (SDL_MUSTLOCK(&target)) SDL_UnlockSurface(&target);
    return {left, top, right - left, bottom - top};
  }

  SDL_Window* window_ = nullptr;
  std::vector<SDL_Rect> monitors_;  // the primary first
  std::vector<SDL_Window*> covers_;
  SDL_Surface* painted_ = nullptr;  // the framebuffer last painted, and where the frame went
  SDL_Rect paintedAt_{};
  bool exposed_ = false;         // the X server lost what the window showed
  std::vector<SDL_Rect> shown_;  // the framebuffer's areas of one paint
  TfmStndAlneScr* form_ = nullptr;
  bool closeRequested_ = false;
};

// SDL 2 knows only XRandR's outputs, so a Xinerama desktop, or monitors set up through RandR
// 1.5, look like one display to it and the scene would spread over every screen. Xinerama's list
// holds both (an X server with RandR answers it with RandR's monitors), primary first; SDL's
// displays serve where there is no X.
std::vector<SDL_Rect> Monitors(SDL_Window* window) {
  std::vector<SDL_Rect> monitors;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 && XineramaIsActive(info.info.x11.display)) {
    int count = 0;
    XineramaScreenInfo* screens = XineramaQueryScreens(info.info.x11.display, &count);
    for (int i = 0; i < count; ++i) {
      monitors.push_back({screens[i].x_org, screens[i].y_org, screens[i].width, screens[i].height});
    }
    if (screens != nullptr) XFree(screens);
  }
  if (monitors.empty()) {
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
      SDL_Rect bounds{};
      if (SDL_GetDisplayBounds(i, &bounds) == 0) monitors.push_back(bounds);
    }
  }
  return monitors;
}

// ---- An X window another program made ----

// An X error (a window that went away, a bad id) is noted instead of ending the program, as
// Xlib's default handler would.
int NoteXError(Display*, XErrorEvent*) { return 0; }

// The X connection and a window on it that can take our pixels: a TrueColor visual whose pixels
// are 32 bits of blue, green, red, unused (our surface's layout).
class TXWindow {
 public:
  explicit TXWindow(unsigned long window) : window_(window) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) throw std::runtime_error("No X display");
    XSetErrorHandler(NoteXError);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window_, &attributes) == 0) throw std::runtime_error("No such X window");
    visual_ = attributes.visual;
    depth_ = attributes.depth;
    size_ = {attributes.width, attributes.height};
    if (depth_ < 24 || visual_->red_mask != 0xFF0000 || visual_->green_mask != 0xFF00 || visual_->blue_mask != 0xFF) {
      throw std::runtime_error("The X window's colours are not 24-bit true colour");
    }
    gc_ = XCreateGC(display_, window_, 0, nullptr);
  }
  ~TXWindow() {
    XFreeGC(display_, gc_);
    XCloseDisplay(display_);
  }

  Display* Connection() { return display_; }
  unsigned long Window() const { return window_; }
  TPoint Size() const { return size_; }
  void SetSize(TPoint size) { size_ = size; }

  void Put(const TBitmap32& surface, int32_t x, int32_t y) {
    if (surface.Empty()) return;
    XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                                 const_cast<char*>(reinterpret_cast<const char*>(surface.Bits())),
                                 static_cast<unsigned>(surface.Width()), static_cast<unsigned>(surface.Height()), 32,
                                 surface.Width() * 4);
    if (image == nullptr) return;
    image->byte_order = LSBFirst;
    XPutImage(display_, window_, gc_, image, 0, 0, x, y, static_cast<unsigned>(surface.Width()),
              static_cast<unsigned>(surface.Height()));
    image->data = nullptr;  // the pixels are the surface's
    XDestroyImage(image);
    XFlush(display_);
  }
  // The window's area outside (x, y, w, h) painted black.
  void Border(int32_t x, int32_t y, int32_t w, int32_t h) {
    XSetForeground(display_, gc_, 0);
    const int32_t right = x + w, bottom = y + h;
    if (y > 0) XFillRectangle(display_, window_, gc_, 0, 0, static_cast<unsigned>(size_.X), static_cast<unsigned>(y));
    if (bottom < size_.Y) {
      XFillRectangle(display_, window_, gc_, 0, bottom, static_cast<unsigned>(size_.X), static_cast<unsigned>(size_.Y - bottom));
    }
    if (x > 0) XFillRectangle(display_, window_, gc_, 0, y, static_cast<unsigned>(x), static_cast<unsigned>(h));
    if (right < size_.X) {
      XFillRectangle(display_, window_, gc_, right, y, static_cast<unsigned>(size_.X - right), static_cast<unsigned>(h));
    }
  }

 private:
  Display* display_ = nullptr;
  unsigned long window_;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  TPoint size_;
  GC gc_;
};

class TXWindowHost : public TLinuxHost {
 public:
  explicit TXWindowHost(unsigned long window) : TLinuxHost(true), target_(window) {
    // Only its size changes are ours to hear: its parent holds the input.
    XSelectInput(target_.Connection(), target_.Window(), StructureNotifyMask | ExposureMask);
  }

  TPoint ScreenSize() override { return target_.Size(); }
  TPoint ClientSize() override { return target_.Size(); }
  void SetBounds(int32_t, int32_t, int32_t, int32_t) override {}  // the parent decides
  void SetCaption(const std::string&) override {}
  void SetFullScreenStyle() override {}
  void SetWindowedStyle() override {}
  void HideTaskbarButton() override {}
  void MakeTopmost() override {}
  void ShowCursor(bool) override {}
  void Paint(const TBitmap32& surface, int32_t x, int32_t y) override {
    if (repaintBorder_) {
      target_.Border(x, y, surface.Width(), surface.Height());
      repaintBorder_ = false;
    }
    target_.Put(surface, x, y);
  }
  void Close() override {}
  void PumpMessages() override {
    Display* display = target_.Connection();
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == ConfigureNotify) {
        target_.SetSize({event.xconfigure.width, event.xconfigure.height});
        repaintBorder_ = true;
      } else if (event.type == Expose) {
        repaintBorder_ = true;
      } else if (event.type == DestroyNotify) {
        g_terminate = 1;
      }
    }
  }

  int Run(TfmStndAlneScr& form) {
    form.FormCreate();
    bool shown = false;
    try {
      shown = form.FormShow();
    } catch (const std::exception& error) {
      ShowError(error.what());
    }
    if (!shown) {
      form.FormClose();
      form.FormDestroy();
      return 1;
    }
    while (!g_terminate) {
      PumpMessages();
      PollMusic(form);
      form.AppIdle();
    }
    form.FormClose();
    form.FormDestroy();
    return 0;
  }

 private:
  TXWindow target_;
  bool repaintBorder_ = true;
};

}  // namespace

void ShowUserMessage(const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kApplicationTitle, text.c_str(), nullptr) != 0) {
    std::fprintf(stderr, "lumora: %s\n", text.c_str());
  }
}

int RunSaver(const std::string& programPath, const std::string& settingsFile, const TSaverTarget& target) {
  CatchTermination();
  TSaverProcess process;
  process.TimeStartup = StartupTimingRequested();
  try {
    if (target.What == TSaverTarget::Kind::XWindow) {
      TXWindowHost host(target.XWindow);
      TfmStndAlneScr form(host, process, programPath, settingsFile);
      return host.Run(form);
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) throw std::runtime_error(std::string("No display: ") + SDL_GetError());
    // The windowed run is decided by the file's name; a Linux player asks for it by --window.
    TSdlWindowHost host(target.What == TSaverTarget::Kind::Windowed);
    TfmStndAlneScr form(host, process, programPath, settingsFile);
    if (target.What == TSaverTarget::Kind::Windowed) form.ForceWindowed = true;
    const int status = host.Run(form);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return status;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lumora: %s\n", error.what());
    return 1;
  }
}

void PaintPreview(const std::string& programPath, unsigned long window) {
  TXWindow target(window);
  TBitmap32 picture;
  MakePreviewPicture(programPath, target.Size().X, target.Size().Y, picture);
  target.Put(picture, 0, 0);
}

}  // namespace lumora::sdl

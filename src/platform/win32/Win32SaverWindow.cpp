// The Windows program's windows (see Win32SaverWindow.h).
#include "platform/win32/Win32SaverWindow.h"

#include <windows.h>
#include <mmsystem.h>
#include <windowsx.h>

#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

#include "app/uPreview.h"
#include "app/uRunMode.h"
#include "forms/FStndAlneScr.h"
#include "platform/uShell.h"
#include "platform/win32/Win32Sound.h"
#include "render/uFrameChanges.h"

namespace lumora::win32 {
namespace {

constexpr const char* kWindowClass = "LumoraSaverWindow";
constexpr const char* kCoverClass = "LumoraCoverWindow";

// The surface's rows go to the window as they are: a top-down 32-bit DIB has the same layout.
// `area` of the surface (placed at x, y) goes as a DIB of its rows that begins at its top row.
void PaintArea(HDC dc, const TBitmap32& surface, int32_t x, int32_t y, const TRect& area) {
  if (surface.Empty() || area.IsEmpty()) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = surface.Width();
  info.bmiHeader.biHeight = -area.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x + area.Left, y + area.Top, static_cast<DWORD>(area.Width()), static_cast<DWORD>(area.Height()),
                    area.Left, 0, 0, static_cast<UINT>(area.Height()), surface.ScanLine(area.Top), &info,
                    DIB_RGB_COLORS);
}

void PaintRows(HDC dc, const TBitmap32& surface, int32_t x, int32_t y) {
  PaintArea(dc, surface, x, y, Rect(0, 0, surface.Width(), surface.Height()));
}

std::string SystemFolder() {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  std::string folder(buffer, length);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  auto& rects = *reinterpret_cast<std::vector<RECT>*>(list);
  rects.insert((info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? rects.begin() : rects.end(), info.rcMonitor);
  return TRUE;
}

// The monitors, the primary first (it is the one at the desktop's origin).
std::vector<RECT> Monitors() {
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

class TWin32WindowHost : public TSaverWindowHost, public TShell {
 public:
  TWin32WindowHost() {
    WNDCLASSA type{};
    type.lpfnWndProc = &TWin32WindowHost::Procedure;
    type.hInstance = GetModuleHandleA(nullptr);
    type.hCursor = LoadCursor(nullptr, IDC_ARROW);
    type.hIcon = LoadIconA(type.hInstance, MAKEINTRESOURCEA(1));
    type.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    type.lpszClassName = kWindowClass;
    RegisterClassA(&type);
    window_ = CreateWindowExA(0, kWindowClass, kApplicationTitle, WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                              type.hInstance, this);
    if (window_ == nullptr) throw std::runtime_error("The saver window cannot be made");
    // A cover has no cursor of its own: over it the pointer stays as hidden as over the saver.
    type.lpfnWndProc = &TWin32WindowHost::CoverProcedure;
    type.hCursor = nullptr;
    type.hIcon = nullptr;
    type.lpszClassName = kCoverClass;
    RegisterClassA(&type);
    output_ = std::make_unique<TDirectSoundOutput>(window_);
    music_ = std::make_unique<TMciMusic>(window_);
  }
  ~TWin32WindowHost() override {
    music_.reset();
    output_.reset();
    RemoveCovers();
    if (window_ != nullptr) DestroyWindow(window_);
  }

  TPoint ScreenSize() override { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }
  TPoint ClientSize() override {
    RECT client{};
    GetClientRect(window_, &client);
    return {client.right - client.left, client.bottom - client.top};
  }
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override {
    SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void SetCaption(const std::string& caption) override { SetWindowTextA(window_, caption.c_str()); }
  void SetFullScreenStyle() override {
    SetWindowLongPtrA(window_, GWL_STYLE, WS_POPUP);
    SetWindowLongPtrA(window_, GWL_EXSTYLE, WS_EX_TOPMOST);
  }
  void SetWindowedStyle() override {
    SetWindowLongPtrA(window_, GWL_STYLE, WS_OVERLAPPEDWINDOW);
    SetWindowLongPtrA(window_, GWL_EXSTYLE, WS_EX_APPWINDOW);
    SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
  }
  // A tool window has no taskbar button.
  void HideTaskbarButton() override {
    SetWindowLongPtrA(window_, GWL_EXSTYLE, GetWindowLongPtrA(window_, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
  }
  void MakeTopmost() override { SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }
  int PlatformId() override {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version)) return VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
    return static_cast<int>(version.dwPlatformId);
  }
  void SetScreenSaverRunning(bool running) override {
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, running ? 1 : 0, nullptr, 0);
  }
  void ShowCursor(bool show) override { ::ShowCursor(show ? TRUE : FALSE); }
  void Paint(const TBitmap32& surface, int32_t x, int32_t y) override {
    const TRect whole = Rect(0, 0, surface.Width(), surface.Height());
    PaintChanges(surface, x, y, std::span<const TRect>(&whole, 1));
  }
  // Only the changed areas, joined into bands since every transfer costs a call into the system;
  // everything when the window was painted over or the frame moved.
  void PaintChanges(const TBitmap32& surface, int32_t x, int32_t y, std::span<const TRect> changes) override {
    if (surface.Empty()) return;
    const TRect whole = Rect(0, 0, surface.Width(), surface.Height());
    const TRect at = Rect(x, y, x + surface.Width(), y + surface.Height());
    if (repaintWhole_ || at != paintedAt_) {
      changes = std::span<const TRect>(&whole, 1);
      repaintWhole_ = false;
      paintedAt_ = at;
    }
    JoinAreas(changes, 32, 64, joined_);
    HDC dc = GetDC(window_);
    for (const TRect& area : joined_) PaintArea(dc, surface, x, y, area);
    ReleaseDC(window_, dc);
  }
  void Close() override { PostMessageA(window_, WM_CLOSE, 0, 0); }
  void PumpMessages() override {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop to see
        return;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  void ShowError(const std::string& text) override { ShowUserMessage(text, window_); }

  bool OpenDesktopKey() override {
    if (desktop_ != nullptr) RegCloseKey(desktop_);
    desktop_ = nullptr;
    return RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &desktop_) == ERROR_SUCCESS;
  }
  int32_t ScreenSaveUsePassword() override {
    DWORD type = 0, value = 0, size = sizeof value;
    const LONG result =
        RegQueryValueExA(desktop_, "ScreenSaveUsePassword", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS || type != REG_DWORD) throw std::runtime_error("No password setting");
    return static_cast<int32_t>(value);
  }
  std::optional<int32_t> VerifyScreenSavePwd() override {
    HMODULE library = LoadLibraryA((SystemFolder() + "PASSWORD.CPL").c_str());
    if (library == nullptr) return std::nullopt;
    using TVerify = BOOL(WINAPI*)(HWND);
    auto verify = reinterpret_cast<TVerify>(reinterpret_cast<void*>(GetProcAddress(library, "VerifyScreenSavePwd")));
    std::optional<int32_t> result;
    if (verify != nullptr) result = verify(window_);
    FreeLibrary(library);
    return result;
  }

  TSoundOutput& SoundOutput() override { return *output_; }
  TMusicDevice& MusicDevice() override { return *music_; }
  TShell& Shell() override { return *this; }
  void ShowMessage(const std::string& text, const std::string&) override { ShowUserMessage(text, window_); }

  int Run(TfmStndAlneScr& form) {
    form_ = &form;
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
      form_ = nullptr;
      return 1;
    }
    // The covers first: the saver window, shown last, keeps the keyboard.
    if (!form.Windowed) CoverOtherMonitors();
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    if (!form.Windowed) SetForegroundWindow(window_);
    for (;;) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return 0;
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      if (form.AppIdle()) WaitMessage();
    }
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    }
    auto* host = reinterpret_cast<TWin32WindowHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (host != nullptr && host->form_ != nullptr && host->Handle(message, wparam, lparam)) return 0;
    return DefWindowProcA(window, message, wparam, lparam);
  }

  // The window's messages into the form's handlers; true when handled here.
  bool Handle(UINT message, WPARAM, LPARAM lparam) {
    TfmStndAlneScr& form = *form_;
    switch (message) {
      case WM_MOUSEMOVE: form.FormMouseMove(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)); return true;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN: form.FormMouseDown(); return true;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN: form.FormKeyDown(); return true;
      case WM_SIZE: form.FormResize(); return true;
      case WM_PAINT: repaintWhole_ = true; return false;  // the system erases it black meanwhile
      case MM_MCINOTIFY: form.MediaPlayerNotify(); return true;
      case WM_CLOSE:
        if (form.FormCloseQuery()) {
          form.FormClose();
          ShowWindow(window_, SW_HIDE);
          RemoveCovers();
          form.FormDestroy();
          form_ = nullptr;
          PostQuitMessage(0);
        }
        return true;
      default: return false;
    }
  }

  // The full-screen run's other monitors, each under a black, borderless, topmost tool window (no
  // taskbar button) of its own, so that no desktop shows beside the scene. A monitor that overlaps
  // the primary one (a clone) already shows the scene and is left alone.
  void CoverOtherMonitors() {
    const std::vector<RECT> monitors = Monitors();
    for (size_t i = 1; i < monitors.size(); ++i) {
      RECT overlap{};
      if (IntersectRect(&overlap, &monitors[i], &monitors[0])) continue;
      const RECT& area = monitors[i];
      HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClass, "", WS_POPUP, area.left, area.top,
                                   area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), this);
      if (cover == nullptr) continue;  // that monitor keeps its desktop; the saver runs on
      covers_.push_back(cover);
      ShowWindow(cover, SW_SHOWNOACTIVATE);
      UpdateWindow(cover);
    }
  }
  void RemoveCovers() {
    for (HWND cover : covers_) DestroyWindow(cover);
    covers_.clear();
  }

  // Input on a cover counts as input on the saver window: one pointer, one set of rules. Its
  // positions are taken into the saver window's coordinates, so that a pointer crossing from one
  // monitor to the next moves by its real distance and not by a jump.
  static LRESULT CALLBACK CoverProcedure(HWND cover, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrA(cover, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    }
    auto* host = reinterpret_cast<TWin32WindowHost*>(GetWindowLongPtrA(cover, GWLP_USERDATA));
    if (host == nullptr || host->form_ == nullptr) return DefWindowProcA(cover, message, wparam, lparam);
    switch (message) {
      case WM_MOUSEMOVE: {
        POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        MapWindowPoints(cover, host->window_, &at, 1);
        host->form_->FormMouseMove(at.x, at.y);
        return 0;
      }
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN: host->form_->FormMouseDown(); return 0;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN: host->form_->FormKeyDown(); return 0;
      case WM_CLOSE: host->Close(); return 0;  // the saver window's close query decides
      default: return DefWindowProcA(cover, message, wparam, lparam);
    }
  }

  HWND window_ = nullptr;
  std::vector<HWND> covers_;
  bool repaintWhole_ = true;  // the window shows none of the frame
  TRect paintedAt_;
  std::vector<TRect> joined_;  // the areas of one paint
  HKEY desktop_ = nullptr;
  std::unique_ptr<TDirectSoundOutput> output_;
  std::unique_ptr<TMciMusic> music_;
  TfmStndAlneScr* form_ = nullptr;
};

}  // namespace

void ShowUserMessage(const std::string& text, void* owner) {
  MessageBoxA(static_cast<HWND>(owner), text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR | MB_TOPMOST);
}

int RunSaver(const std::string& programPath, const std::string& settingsFile) {
  TSaverProcess process;
  process.TimeStartup = StartupTimingRequested();
  try {
    TWin32WindowHost host;
    TfmStndAlneScr form(host, process, programPath, settingsFile);
    return host.Run(form);
  } catch (const std::exception& error) {
    ShowUserMessage(error.what());
    return 1;
  }
}

void PaintPreview(const std::string& programPath, intptr_t handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  if (!IsWindow(window)) return;
  const DWORD start = GetTickCount();
  while (!IsWindowVisible(window)) {
    if (GetTickCount() - start > 30000 || !IsWindow(window)) return;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
  RECT bounds{};
  GetWindowRect(window, &bounds);
  TBitmap32 picture;
  MakePreviewPicture(programPath, bounds.right - bounds.left, bounds.bottom - bounds.top, picture);
  HDC dc = GetDC(window);
  PaintRows(dc, picture, 0, 0);
  ReleaseDC(window, dc);
}

}  // namespace lumora::win32

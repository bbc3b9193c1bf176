// The Windows end-to-end tests' own window, and the close request xdotool cannot send:
//
//   win_window_helper window X Y WIDTH HEIGHT   a black borderless top-level window; prints its
//                                               handle and lives until killed
//   win_window_helper close TITLE               posts WM_CLOSE to the top-level window of TITLE
//   win_window_helper controls TITLE            prints the client size of the top-level window of
//                                               TITLE, then one line per control inside it:
//                                               class, screen rectangle, state (a button's check,
//                                               a track bar's position, a list's selection),
//                                               enabled, text
//   win_window_helper monitors                  prints the monitors Windows reports, the primary
//                                               first, one WxH+X+Y (or -X) a line
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  char type[64] = {}, text[512] = {};
  GetClassNameA(control, type, sizeof type);
  // Asked of the control itself: a drop-down list's text is its selected item.
  SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  RECT rect{};
  GetWindowRect(control, &rect);
  LRESULT state = 0;
  if (std::strcmp(type, "Button") == 0) state = SendMessageA(control, BM_GETCHECK, 0, 0);
  if (std::strcmp(type, "msctls_trackbar32") == 0) state = SendMessageA(control, TBM_GETPOS, 0, 0);
  if (std::strcmp(type, "ComboBox") == 0) state = SendMessageA(control, CB_GETCURSEL, 0, 0);
  std::printf("%s|%ld %ld %ld %ld|%lld|%d|%s\n", type, rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top, static_cast<long long>(state), IsWindowEnabled(control) ? 1 : 0, text);
  return TRUE;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM primary) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(monitor, &info);
  if (((info.dwFlags & MONITORINFOF_PRIMARY) != 0) == (primary != 0)) {
    const RECT& r = info.rcMonitor;
    std::printf("%ldx%ld%+ld%+ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
  }
  return TRUE;
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "monitors") == 0) {
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 1);
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "controls") == 0) {
    HWND window = FindWindowA(nullptr, argv[2]);
    if (window == nullptr) return 1;
    RECT client{};
    GetClientRect(window, &client);
    std::printf("client %ld %ld\n", client.right, client.bottom);
    EnumChildWindows(window, PrintControl, 0);
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "close") == 0) {
    HWND window = FindWindowA(nullptr, argv[2]);
    if (window == nullptr) return 1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (argc < 6 || std::strcmp(argv[1], "window") != 0) {
    std::fprintf(stderr, "usage: win_window_helper window X Y WIDTH HEIGHT | close TITLE | controls TITLE | monitors\n");
    return 2;
  }
  WNDCLASSA type{};
  type.lpfnWndProc = DefWindowProcA;
  type.hInstance = GetModuleHandleA(nullptr);
  type.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  type.lpszClassName = "LumoraTestWindow";
  RegisterClassA(&type);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, type.lpszClassName, "preview", WS_POPUP | WS_VISIBLE, std::atoi(argv[2]),
                                std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), nullptr, nullptr,
                                type.hInstance, nullptr);
  UpdateWindow(window);
  std::printf("%lld\n", static_cast<long long>(reinterpret_cast<intptr_t>(window)));
  std::fflush(stdout);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

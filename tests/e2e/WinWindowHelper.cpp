// The Windows end-to-end tests' own window, and the close request xdotool cannot send:
//
//   win_window_helper window X Y WIDTH HEIGHT   a black borderless top-level window; prints its
//                                               handle and lives until killed
//   win_window_helper close TITLE               posts WM_CLOSE to the top-level window of TITLE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "close") == 0) {
    HWND window = FindWindowA(nullptr, argv[2]);
    if (window == nullptr) return 1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (argc < 6 || std::strcmp(argv[1], "window") != 0) {
    std::fprintf(stderr, "usage: win_window_helper window X Y WIDTH HEIGHT | close TITLE\n");
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

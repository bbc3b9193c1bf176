// The end-to-end tests' own X window, and the window manager's close request they cannot send
// with xdotool:
//
//   x_window_helper window WIDTH HEIGHT   maps a black window, prints its id, lives until killed
//   x_window_helper close ID              asks window ID to close (WM_DELETE_WINDOW)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr || argc < 3) {
    std::fprintf(stderr, "usage: x_window_helper window WIDTH HEIGHT | close ID (with a display)\n");
    return 2;
  }
  if (std::strcmp(argv[1], "close") == 0) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(argv[2], nullptr, 0);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
  }
  const unsigned width = static_cast<unsigned>(std::atoi(argv[2]));
  const unsigned height = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : width;
  const int screen = DefaultScreen(display);
  const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 20, 20, width, height, 0, 0,
                                            BlackPixel(display, screen));
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  for (XEvent event;;) {  // mapped and viewable before anyone is told its id
    XNextEvent(display, &event);
    if (event.type == MapNotify) break;
  }
  std::printf("%lu\n", window);
  std::fflush(stdout);
  for (;;) pause();
}

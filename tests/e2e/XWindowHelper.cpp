// The end-to-end tests' own X window, the window manager's close request and the monitors they
// cannot make with xdotool:
//
//   x_window_helper window WIDTH HEIGHT   maps a black window, prints its id, lives until killed
//   x_window_helper close ID              asks window ID to close (WM_DELETE_WINDOW)
//   x_window_helper monitors [WxH+X+Y ...]
//                                         makes these rectangles the screen's monitors (RandR
//                                         1.5, the first one primary), then prints the monitors
//                                         as Xinerama reports them, one WxH+X+Y a line
//   x_window_helper cursor                prints how many pixels of the pointer's picture show
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// A screen of one output split into several monitors, as a desktop does for a monitor wider
// than one picture: the first monitor takes the output, which ends the output's own monitor.
int Monitors(Display* display, int count, char** geometries) {
  const Window root = DefaultRootWindow(display);
  int defined = 0;
  XRRMonitorInfo* before = XRRGetMonitors(display, root, False, &defined);
  for (int i = 0; i < defined; ++i) {
    if (!before[i].automatic) XRRDeleteMonitor(display, root, before[i].name);  // a previous call's
  }
  if (before != nullptr) XRRFreeMonitors(before);
  XRRScreenResources* resources = XRRGetScreenResources(display, root);
  for (int i = 0; i < count; ++i) {
    int width = 0, height = 0, x = 0, y = 0;
    if (std::sscanf(geometries[i], "%dx%d+%d+%d", &width, &height, &x, &y) != 4 || resources == nullptr) return 2;
    const bool first = i == 0 && resources->noutput > 0;
    XRRMonitorInfo* monitor = XRRAllocateMonitor(display, first ? 1 : 0);
    char name[32];
    std::snprintf(name, sizeof name, "TEST-%d", i);
    monitor->name = XInternAtom(display, name, False);
    monitor->primary = first;
    monitor->automatic = False;
    monitor->x = x, monitor->y = y, monitor->width = width, monitor->height = height;
    monitor->mwidth = width / 4, monitor->mheight = height / 4;  // about 100 dots per inch
    if (first) monitor->outputs[0] = resources->outputs[0];
    XRRSetMonitor(display, root, monitor);
    XRRFreeMonitors(monitor);
  }
  if (resources != nullptr) XRRFreeScreenResources(resources);
  XSync(display, False);
  int heads = 0;
  XineramaScreenInfo* screens = XineramaQueryScreens(display, &heads);
  for (int i = 0; i < heads; ++i) {
    std::printf("%dx%d+%d+%d\n", screens[i].width, screens[i].height, screens[i].x_org, screens[i].y_org);
  }
  if (screens != nullptr) XFree(screens);
  XCloseDisplay(display);
  return 0;
}

// A hidden pointer is a picture without a visible pixel (SDL's and Wine's are 1 x 1, transparent).
int CursorPixels(Display* display) {
  XFixesCursorImage* cursor = XFixesGetCursorImage(display);
  if (cursor == nullptr) return 2;
  int visible = 0;
  for (int i = 0; i < cursor->width * cursor->height; ++i) visible += (cursor->pixels[i] >> 24) != 0;
  std::printf("%d\n", visible);
  XFree(cursor);
  XCloseDisplay(display);
  return 0;
}

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (display != nullptr && argc >= 2 && std::strcmp(argv[1], "monitors") == 0) return Monitors(display, argc - 2, argv + 2);
  if (display != nullptr && argc >= 2 && std::strcmp(argv[1], "cursor") == 0) return CursorPixels(display);
  if (display == nullptr || argc < 3) {
    std::fprintf(stderr, "usage: x_window_helper window WIDTH HEIGHT | close ID | monitors [WxH+X+Y ...] | cursor (with a display)\n");
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

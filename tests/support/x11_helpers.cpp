// Test-side X11 access through a connection of its own.
#include "support/x11_helpers.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

static Display* test_display() {
  static Display* d = XOpenDisplay(nullptr);
  return d;
}

static int pid_of(Display* d, Window w) {
  Atom type;
  int format;
  unsigned long n = 0, after;
  unsigned char* data = nullptr;
  int pid = 0;
  if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                         &type, &format, &n, &after, &data) == Success && data && n == 1)
    pid = (int)*(long*)data;
  if (data) XFree(data);
  return pid;
}

static Window search(Display* d, Window w, const std::string& title, int pid) {
  char* name = nullptr;
  if (XFetchName(d, w, &name) && name) {
    bool match = title == name && (pid == 0 || pid_of(d, w) == pid);
    XFree(name);
    if (match) return w;
  }
  Window root, parent, *kids = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (XQueryTree(d, w, &root, &parent, &kids, &n)) {
    for (unsigned i = 0; i < n && !found; i++) found = search(d, kids[i], title, pid);
    if (kids) XFree(kids);
  }
  return found;
}

unsigned long x11_find_window(const std::string& title, int pid) {
  Display* d = test_display();
  if (!d) return 0;
  return search(d, DefaultRootWindow(d), title, pid);
}

bool x11_capture(unsigned long window, std::vector<unsigned char>* rgba, int* w, int* h) {
  Display* d = test_display();
  XWindowAttributes a;
  if (!d || !window || !XGetWindowAttributes(d, window, &a)) return false;
  XImage* img = XGetImage(d, window, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
  if (!img) return false;
  *w = a.width;
  *h = a.height;
  rgba->assign((size_t)a.width * a.height * 4, 255);
  auto shift_of = [](unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) mask >>= 1, s++;
    return s;
  };
  const int rs = shift_of(img->red_mask), gs = shift_of(img->green_mask), bs = shift_of(img->blue_mask);
  for (int y = 0; y < a.height; y++)
    for (int x = 0; x < a.width; x++) {
      unsigned long p = XGetPixel(img, x, y);
      unsigned char* o = &(*rgba)[((size_t)(a.height - 1 - y) * a.width + x) * 4];
      o[0] = (unsigned char)((p & img->red_mask) >> rs);
      o[1] = (unsigned char)((p & img->green_mask) >> gs);
      o[2] = (unsigned char)((p & img->blue_mask) >> bs);
    }
  XDestroyImage(img);
  return true;
}

bool x11_client_geometry(unsigned long window, int* x, int* y, int* w, int* h) {
  Display* d = test_display();
  if (!d || !window) return false;
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, window, &a)) return false;
  Window child;
  XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, x, y, &child);
  *w = a.width;
  *h = a.height;
  return true;
}

bool x11_asks_no_decorations(unsigned long window) {
  Display* d = test_display();
  Atom motif = XInternAtom(d, "_MOTIF_WM_HINTS", False), type;
  int format;
  unsigned long n = 0, after;
  unsigned char* data = nullptr;
  bool no_deco = false;
  if (XGetWindowProperty(d, window, motif, 0, 5, False, AnyPropertyType, &type, &format, &n, &after,
                         &data) == Success && data && n >= 3) {
    long* v = (long*)data;
    no_deco = (v[0] & 2) && v[2] == 0;
  }
  if (data) XFree(data);
  return no_deco;
}

static void send(unsigned long window, XEvent& ev, long mask) {
  Display* d = test_display();
  ev.xany.display = d;
  ev.xany.window = window;
  XSendEvent(d, window, False, mask, &ev);
  XSync(d, False);
}

void x11_send_motion(unsigned long window, int x, int y) {
  XEvent ev;
  memset(&ev, 0, sizeof ev);
  ev.type = MotionNotify;
  ev.xmotion.x = x;
  ev.xmotion.y = y;
  ev.xmotion.same_screen = True;
  send(window, ev, PointerMotionMask);
}

void x11_send_button(unsigned long window, int button, bool press, int x, int y) {
  XEvent ev;
  memset(&ev, 0, sizeof ev);
  ev.type = press ? ButtonPress : ButtonRelease;
  ev.xbutton.button = (unsigned)button;
  ev.xbutton.x = x;
  ev.xbutton.y = y;
  ev.xbutton.same_screen = True;
  send(window, ev, press ? ButtonPressMask : ButtonReleaseMask);
}

int x11_send_key(unsigned long window, const char* keysym_name, bool press, bool shift) {
  Display* d = test_display();
  XEvent ev;
  memset(&ev, 0, sizeof ev);
  ev.type = press ? KeyPress : KeyRelease;
  ev.xkey.keycode = XKeysymToKeycode(d, XStringToKeysym(keysym_name));
  ev.xkey.state = shift ? ShiftMask : 0;
  ev.xkey.same_screen = True;
  send(window, ev, press ? KeyPressMask : KeyReleaseMask);
  return (int)ev.xkey.keycode;
}

void x11_send_close(unsigned long window) {
  Display* d = test_display();
  XEvent ev;
  memset(&ev, 0, sizeof ev);
  ev.type = ClientMessage;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
  ev.xclient.data.l[1] = CurrentTime;
  send(window, ev, NoEventMask);
}

// The window, GL context and input events on X11: Xlib for the window and its
// events, GLX (Mesa) for the context, XRandR for display modes. The connection to
// the X server opens on first use; without a display every call fails quietly.
//
// Sections: connection and errors; display modes; pixel formats; windows; events;
// GL contexts.
#include "platform/plat_window.h"

#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <vector>

// ---- Connection and errors ----

static Display* g_dpy = nullptr;
static int g_dpy_tried = 0;
static int g_last_error = 0;
static std::mutex g_dpy_lock;

// X reports protocol errors asynchronously; the default handler would end the
// process. We keep the code so the failing call can be reported instead.
static int x_error_handler(Display*, XErrorEvent* ev) {
  g_last_error = ev->error_code;
  return 0;
}

static Display* dpy() {
  std::lock_guard<std::mutex> hold(g_dpy_lock);
  if (!g_dpy && !g_dpy_tried) {
    g_dpy_tried = 1;
    XInitThreads();  // the loader context may be made current on a worker thread
    g_dpy = XOpenDisplay(nullptr);
    if (g_dpy) XSetErrorHandler(x_error_handler);
  }
  return g_dpy;
}

int PLAT_gl_error() { return g_last_error; }

// ---- Display modes ----

static int g_orig_size = -1;     // size index before our first switch, -1 none
static Rotation g_orig_rotation = RR_Rotate_0;

// Bits per pixel of the screen's default depth, as the desktop reports a "32-bit"
// mode for 24 bits of colour stored in 32-bit pixels.
static int screen_bits_per_pixel(Display* d) {
  int depth = DefaultDepth(d, DefaultScreen(d));
  int count = 0, bpp = depth;
  XPixmapFormatValues* formats = XListPixmapFormats(d, &count);
  for (int i = 0; formats && i < count; i++)
    if (formats[i].depth == depth) bpp = formats[i].bits_per_pixel;
  if (formats) XFree(formats);
  return bpp;
}

int PLAT_screen_mode(int* width, int* height, int* depth) {
  Display* d = dpy();
  if (!d) return 0;
  int s = DefaultScreen(d);
  *width = DisplayWidth(d, s);
  *height = DisplayHeight(d, s);
  *depth = screen_bits_per_pixel(d);
  return 1;
}

int PLAT_screen_mode_at(int index, int* width, int* height, int* depth) {
  Display* d = dpy();
  if (!d || index < 0) return 0;
  int event_base, error_base, count = 0;
  if (!XRRQueryExtension(d, &event_base, &error_base)) return 0;
  XRRScreenSize* sizes = XRRSizes(d, DefaultScreen(d), &count);
  if (!sizes || index >= count) return 0;
  *width = sizes[index].width;
  *height = sizes[index].height;
  *depth = screen_bits_per_pixel(d);
  return 1;
}

int PLAT_screen_set_mode(int index) {
  Display* d = dpy();
  int event_base, error_base;
  if (!d || !XRRQueryExtension(d, &event_base, &error_base)) return 0;
  Window root = RootWindow(d, DefaultScreen(d));
  XRRScreenConfiguration* conf = XRRGetScreenInfo(d, root);
  if (!conf) return 0;
  Rotation rot;
  SizeID now = XRRConfigCurrentConfiguration(conf, &rot);
  if (g_orig_size < 0) {
    g_orig_size = now;
    g_orig_rotation = rot;
  }
  g_last_error = 0;
  Status st = XRRSetScreenConfig(d, conf, root, (SizeID)index, rot, CurrentTime);
  XSync(d, False);
  XRRFreeScreenConfigInfo(conf);
  return st == RRSetConfigSuccess && !g_last_error;
}

void PLAT_screen_restore_mode() {
  Display* d = dpy();
  if (!d || g_orig_size < 0) return;
  Window root = RootWindow(d, DefaultScreen(d));
  XRRScreenConfiguration* conf = XRRGetScreenInfo(d, root);
  if (!conf) return;
  XRRSetScreenConfig(d, conf, root, (SizeID)g_orig_size, g_orig_rotation, CurrentTime);
  XSync(d, False);
  XRRFreeScreenConfigInfo(conf);
  g_orig_size = -1;
}

// ---- Pixel formats ----

static std::vector<GLXFBConfig> g_formats;  // format id n is g_formats[n - 1]

static int fb_attr(Display* d, GLXFBConfig c, int attr) {
  int v = 0;
  glXGetFBConfigAttrib(d, c, attr, &v);
  return v;
}

// Lower is closer. Double buffering must match; then colour bits, depth bits and
// stencil bits, each preferring at least what was asked over less.
static long format_distance(Display* d, GLXFBConfig c, const plat_pixel_format& want) {
  auto miss = [](int have, int asked) -> long {
    return have >= asked ? (long)(have - asked) : 1000L * (asked - have);
  };
  int colour = fb_attr(d, c, GLX_RED_SIZE) + fb_attr(d, c, GLX_GREEN_SIZE) +
               fb_attr(d, c, GLX_BLUE_SIZE) + fb_attr(d, c, GLX_ALPHA_SIZE);
  long dist = 0;
  if (fb_attr(d, c, GLX_DOUBLEBUFFER) != (want.double_buffer ? 1 : 0)) dist += 100000000L;
  if (fb_attr(d, c, GLX_SAMPLES) > 0) dist += 10000000L;  // no multisampling asked
  if (fb_attr(d, c, GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG) dist += 1000000L;
  dist += 10000L * miss(colour, want.colour_bits);
  dist += 10L * miss(fb_attr(d, c, GLX_DEPTH_SIZE), want.depth_bits);
  dist += miss(fb_attr(d, c, GLX_STENCIL_SIZE), want.stencil_bits) +
          3 * (long)fb_attr(d, c, GLX_STENCIL_SIZE);
  return dist;
}

int PLAT_gl_choose_format(const plat_pixel_format& want, plat_pixel_format* got) {
  Display* d = dpy();
  if (!d) return 0;
  const int attrs[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT,
                       GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_X_VISUAL_TYPE, GLX_TRUE_COLOR,
                       None};
  int count = 0;
  GLXFBConfig* list = glXChooseFBConfig(d, DefaultScreen(d), attrs, &count);
  if (!list || count == 0) {
    if (list) XFree(list);
    return 0;
  }
  int best = 0;
  long best_dist = -1;
  for (int i = 0; i < count; i++) {
    long dist = format_distance(d, list[i], want);
    if (best_dist < 0 || dist < best_dist) best = i, best_dist = dist;
  }
  GLXFBConfig c = list[best];
  XFree(list);
  g_formats.push_back(c);
  if (got) {
    got->colour_bits = fb_attr(d, c, GLX_RED_SIZE) + fb_attr(d, c, GLX_GREEN_SIZE) +
                       fb_attr(d, c, GLX_BLUE_SIZE) + fb_attr(d, c, GLX_ALPHA_SIZE);
    got->depth_bits = fb_attr(d, c, GLX_DEPTH_SIZE);
    got->stencil_bits = fb_attr(d, c, GLX_STENCIL_SIZE);
    got->double_buffer = fb_attr(d, c, GLX_DOUBLEBUFFER);
  }
  return (int)g_formats.size();
}

// ---- Windows ----

struct x11_window {
  Window xwin = 0;
  Colormap cmap = 0;
  GLXFBConfig format = nullptr;
  plat_event_fn handler = nullptr;
  int last_x = -1, last_y = -1;  // last pointer position reported as a move
  unsigned char key_down[256] = {};
  int cursor_hidden = 0;
};

static std::vector<x11_window*> g_windows;
static Atom g_wm_delete = None, g_wm_protocols = None;

static x11_window* find_window(Window xwin) {
  for (x11_window* w : g_windows)
    if (w->xwin == xwin) return w;
  return nullptr;
}

// Asks the window manager for a window without title bar or borders.
static void set_no_decorations(Display* d, Window xwin) {
  struct {
    unsigned long flags, functions, decorations;
    long input_mode;
    unsigned long status;
  } hints = {2 /* decorations field valid */, 0, 0, 0, 0};
  Atom motif = XInternAtom(d, "_MOTIF_WM_HINTS", False);
  XChangeProperty(d, xwin, motif, motif, 32, PropModeReplace, (unsigned char*)&hints, 5);
}

void* PLAT_window_create(const char* title, int x, int y, int w, int h, int captioned,
                         int format, plat_event_fn handler) {
  Display* d = dpy();
  if (!d || format < 1 || format > (int)g_formats.size() || w <= 0 || h <= 0) return nullptr;
  GLXFBConfig cfg = g_formats[format - 1];
  XVisualInfo* vi = glXGetVisualFromFBConfig(d, cfg);
  if (!vi) return nullptr;
  Window root = RootWindow(d, vi->screen);

  x11_window* win = new x11_window;
  win->format = cfg;
  win->handler = handler;
  win->cmap = XCreateColormap(d, root, vi->visual, AllocNone);
  XSetWindowAttributes wa = {};
  wa.colormap = win->cmap;
  wa.background_pixel = BlackPixel(d, vi->screen);
  wa.border_pixel = 0;
  wa.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                  ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
  g_last_error = 0;
  win->xwin = XCreateWindow(d, root, x, y, (unsigned)w, (unsigned)h, 0, vi->depth, InputOutput,
                            vi->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask,
                            &wa);
  XFree(vi);
  XSync(d, False);
  if (!win->xwin || g_last_error) {
    if (win->xwin) XDestroyWindow(d, win->xwin);
    XFreeColormap(d, win->cmap);
    delete win;
    return nullptr;
  }

  XStoreName(d, win->xwin, title);
  Atom net_name = XInternAtom(d, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  XChangeProperty(d, win->xwin, net_name, utf8, 8, PropModeReplace, (const unsigned char*)title,
                  (int)strlen(title));
  long pid = (long)getpid();  // lets desktop tools and tests tell our window from others
  XChangeProperty(d, win->xwin, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, (unsigned char*)&pid, 1);
  XClassHint cls;
  cls.res_name = (char*)title;
  cls.res_class = (char*)title;
  XSetClassHint(d, win->xwin, &cls);

  // Fixed size at the asked position: the layouts are made for this client area.
  XSizeHints* size = XAllocSizeHints();
  size->flags = USPosition | PPosition | PMinSize | PMaxSize;
  size->x = x;
  size->y = y;
  size->min_width = size->max_width = w;
  size->min_height = size->max_height = h;
  XSetWMNormalHints(d, win->xwin, size);
  XFree(size);
  if (!captioned) set_no_decorations(d, win->xwin);

  g_wm_protocols = XInternAtom(d, "WM_PROTOCOLS", False);
  g_wm_delete = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, win->xwin, &g_wm_delete, 1);

  // Without this, a held key arrives as release/press pairs instead of repeated presses.
  Bool supported;
  XkbSetDetectableAutoRepeat(d, True, &supported);

  g_windows.push_back(win);
  if (handler) {
    plat_event ev;
    ev.type = PLAT_EV_CREATE;
    handler(win, ev);
  }
  return win;
}

static Bool is_map_of(Display*, XEvent* ev, XPointer arg) {
  return ev->type == MapNotify && ev->xmap.window == *(Window*)arg;
}

void PLAT_window_show(void* window) {
  x11_window* win = (x11_window*)window;
  Display* d = dpy();
  if (!d || !win) return;
  XMapRaised(d, win->xwin);
  XEvent ev;
  XIfEvent(d, &ev, is_map_of, (XPointer)&win->xwin);
  // A window manager may have placed it elsewhere; the client area belongs at (x, y).
  XSync(d, False);
}

void PLAT_window_destroy(void* window) {
  x11_window* win = (x11_window*)window;
  Display* d = dpy();
  if (!d || !win) return;
  for (size_t i = 0; i < g_windows.size(); i++)
    if (g_windows[i] == win) g_windows.erase(g_windows.begin() + (long)i);
  XDestroyWindow(d, win->xwin);
  XFreeColormap(d, win->cmap);
  XSync(d, False);
  delete win;
}

// ---- Events ----

static int modifiers_of(unsigned state) {
  int m = 0;
  if (state & ShiftMask) m |= PLAT_MOD_SHIFT;
  if (state & Mod1Mask) m |= PLAT_MOD_ALT;
  if (state & ControlMask) m |= PLAT_MOD_CONTROL;
  return m;
}

// Reports a move to (x, y) first when the pointer is not known to be there, so a
// press always finds the pointer position already delivered.
static void move_to(x11_window* win, int x, int y, unsigned state) {
  if (x == win->last_x && y == win->last_y) return;
  win->last_x = x;
  win->last_y = y;
  plat_event ev;
  ev.type = PLAT_EV_MOUSE_MOVE;
  ev.x = x;
  ev.y = y;
  ev.modifiers = modifiers_of(state);
  win->handler(win, ev);
}

// The virtual key of a key event: from the symbol on the key's first level in
// the current group (so Shift does not change it), falling back to the first
// group for layouts whose letters are not Latin; keypad keys by the symbol Num
// Lock selects, so the keypad's digits stay digits.
static int key_vkey(XKeyEvent& key, KeySym looked_up) {
  if (IsKeypadKey(looked_up)) {
    int vk = PLAT_keysym_to_vkey(looked_up);
    if (vk) return vk;
  }
  const int group = (int)((key.state >> 13) & 3);
  int vk = PLAT_keysym_to_vkey(XkbKeycodeToKeysym(key.display, (KeyCode)key.keycode, group, 0));
  if (!vk && group) vk = PLAT_keysym_to_vkey(XkbKeycodeToKeysym(key.display, (KeyCode)key.keycode, 0, 0));
  if (!vk) vk = PLAT_keysym_to_vkey(looked_up);
  return vk;
}

static void dispatch(XEvent& xe) {
  x11_window* win = find_window(xe.xany.window);
  if (!win || !win->handler) return;
  plat_event ev;
  switch (xe.type) {
    case Expose:
      if (xe.xexpose.count != 0) return;  // the last of a series covers the rest
      ev.type = PLAT_EV_PAINT;
      break;
    case ClientMessage:
      if (xe.xclient.message_type != g_wm_protocols || (Atom)xe.xclient.data.l[0] != g_wm_delete)
        return;
      ev.type = PLAT_EV_CLOSE;
      break;
    case KeyPress:
    case KeyRelease: {
      char buf[8] = {};
      KeySym sym = 0;
      int n = XLookupString(&xe.xkey, buf, sizeof buf, &sym, nullptr);
      unsigned code = xe.xkey.keycode & 255;
      ev.type = xe.type == KeyPress ? PLAT_EV_KEY_DOWN : PLAT_EV_KEY_UP;
      ev.scan_code = (int)xe.xkey.keycode;
      ev.keysym = sym;
      ev.character = n == 1 ? (unsigned char)buf[0] : 0;
      ev.modifiers = modifiers_of(xe.xkey.state);
      ev.x = xe.xkey.x;
      ev.y = xe.xkey.y;
      ev.vkey = key_vkey(xe.xkey, sym);
      ev.key_scan = PLAT_keycode_to_scan((int)xe.xkey.keycode, &ev.extended);
      ev.is_system = (xe.xkey.state & Mod1Mask) || ev.vkey == 18 || ev.vkey == 121;
      if (xe.type == KeyPress) {
        ev.is_repeat = win->key_down[code];
        win->key_down[code] = 1;
      } else {
        win->key_down[code] = 0;
      }
      break;
    }
    case MotionNotify:
      move_to(win, xe.xmotion.x, xe.xmotion.y, xe.xmotion.state);
      return;
    case ButtonPress:
    case ButtonRelease: {
      move_to(win, xe.xbutton.x, xe.xbutton.y, xe.xbutton.state);
      unsigned b = xe.xbutton.button;
      ev.x = xe.xbutton.x;
      ev.y = xe.xbutton.y;
      ev.modifiers = modifiers_of(xe.xbutton.state);
      if (b == Button4 || b == Button5) {
        if (xe.type != ButtonPress) return;  // a notch is one press/release pair
        ev.type = PLAT_EV_WHEEL;
        ev.wheel_delta = b == Button4 ? 120 : -120;
      } else if (b >= 1 && b <= 3) {
        ev.type = xe.type == ButtonPress ? PLAT_EV_BUTTON_DOWN : PLAT_EV_BUTTON_UP;
        ev.button = (int)b;
      } else {
        return;
      }
      break;
    }
    default:
      return;
  }
  win->handler(win, ev);
}

int PLAT_pump_events() {
  Display* d = dpy();
  if (!d) return 0;
  int handled = 0;
  while (XPending(d)) {
    XEvent xe;
    XNextEvent(d, &xe);
    dispatch(xe);
    handled++;
  }
  return handled;
}

int PLAT_wait_events(int ms) {
  Display* d = dpy();
  if (!d) return 0;
  XFlush(d);
  if (XPending(d)) return 1;
  struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
  if (poll(&p, 1, ms < 0 ? 0 : ms) <= 0) return 0;
  return XPending(d) > 0;
}

int PLAT_wait_events_or_sockets(int ms, const plat_wake_socket* sockets, int count) {
  Display* d = dpy();
  if (!d) return 0;
  XFlush(d);
  if (XPending(d)) return 1;
  struct pollfd p[1 + 16];
  if (count > 16) count = 16;
  p[0] = {ConnectionNumber(d), POLLIN, 0};
  for (int i = 0; i < count; i++)
    p[1 + i] = {(int)sockets[i].socket, (short)(sockets[i].for_write ? POLLOUT : POLLIN), 0};
  if (poll(p, (nfds_t)(1 + count), ms < 0 ? 0 : ms) <= 0) return 0;
  // Errors and hang-ups show in revents whatever was asked for: the transfer has
  // news either way.
  for (int i = 1; i <= count; i++)
    if (p[i].revents) return 1;
  return XPending(d) > 0;
}

// ---- Pointer ----
//
// Hiding is an empty shape (X has no "hide the pointer" call); a hidden pointer
// stays hidden when the shape is set back to the arrow, as the shape and the
// visibility are separate settings on a PC desktop.

static Cursor arrow_cursor(Display* d) {
  static Cursor arrow = None;
  if (arrow == None) arrow = XCreateFontCursor(d, 68 /* XC_left_ptr */);
  return arrow;
}

static Cursor blank_cursor(Display* d, Window w) {
  static Cursor blank = None;
  if (blank == None) {
    char zero = 0;
    Pixmap bits = XCreateBitmapFromData(d, w, &zero, 1, 1);
    XColor black = {};
    blank = XCreatePixmapCursor(d, bits, bits, &black, &black, 0, 0);
    XFreePixmap(d, bits);
  }
  return blank;
}

void PLAT_cursor_show(void* window, int show) {
  x11_window* win = (x11_window*)window;
  Display* d = dpy();
  if (!d || !win) return;
  win->cursor_hidden = !show;
  XDefineCursor(d, win->xwin, show ? arrow_cursor(d) : blank_cursor(d, win->xwin));
  XFlush(d);
}

void PLAT_cursor_arrow(void* window) {
  x11_window* win = (x11_window*)window;
  Display* d = dpy();
  if (!d || !win || win->cursor_hidden) return;
  XDefineCursor(d, win->xwin, arrow_cursor(d));
  XFlush(d);
}

void PLAT_beep() {
  Display* d = dpy();
  if (!d) return;
  XBell(d, 0);
  XFlush(d);
}

// ---- GL contexts ----

void* PLAT_gl_context_create(void* window, void* share) {
  x11_window* win = (x11_window*)window;
  Display* d = dpy();
  if (!d || !win) return nullptr;
  g_last_error = 0;
  GLXContext ctx = glXCreateNewContext(d, win->format, GLX_RGBA_TYPE, (GLXContext)share, True);
  XSync(d, False);
  if (ctx && g_last_error) {
    glXDestroyContext(d, ctx);
    ctx = nullptr;
  }
  if (!ctx && !g_last_error) g_last_error = BadMatch;
  return ctx;
}

int PLAT_gl_make_current(void* window, void* context) {
  Display* d = dpy();
  if (!d) return 0;
  x11_window* win = (x11_window*)window;
  g_last_error = 0;
  Bool ok = context ? glXMakeCurrent(d, win ? win->xwin : None, (GLXContext)context)
                    : glXMakeCurrent(d, None, nullptr);
  if (!ok && !g_last_error) g_last_error = BadAccess;
  return ok ? 1 : 0;
}

void PLAT_gl_context_destroy(void* context) {
  Display* d = dpy();
  if (d && context) glXDestroyContext(d, (GLXContext)context);
}

void PLAT_gl_swap(void* window) {
  x11_window* win = (x11_window*)window;
  Display* d = dpy();
  if (d && win) glXSwapBuffers(d, win->xwin);
}

void* PLAT_gl_proc(const char* name) {
  return (void*)glXGetProcAddressARB((const GLubyte*)name);
}

std::string PLAT_gl_system_extensions(void*) {
  Display* d = dpy();
  if (!d) return std::string();
  const char* s = glXQueryExtensionsString(d, DefaultScreen(d));
  return s ? s : "";
}

// Whole-name test: "GLX_EXT_swap_control" must not match "GLX_EXT_swap_control_tear".
static bool has_name(const std::string& list, const char* name) {
  size_t n = strlen(name);
  for (size_t pos = list.find(name); pos != std::string::npos; pos = list.find(name, pos + 1)) {
    bool starts = pos == 0 || list[pos - 1] == ' ';
    bool ends = pos + n == list.size() || list[pos + n] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

const char* const PLAT_gl_swap_control_names[] = {"GLX_EXT_swap_control", "GLX_MESA_swap_control", nullptr};

int PLAT_gl_swap_interval(void* window, int interval) {
  x11_window* win = (x11_window*)window;
  Display* d = dpy();
  if (!d || !win) return 0;
  std::string ext = PLAT_gl_system_extensions(window);
  if (has_name(ext, "GLX_EXT_swap_control")) {
    typedef void (*swap_ext_fn)(Display*, GLXDrawable, int);
    swap_ext_fn f = (swap_ext_fn)PLAT_gl_proc("glXSwapIntervalEXT");
    if (f) {
      g_last_error = 0;
      f(d, win->xwin, interval);
      XSync(d, False);
      if (!g_last_error) return 1;
    }
  }
  if (has_name(ext, "GLX_MESA_swap_control")) {
    typedef int (*swap_mesa_fn)(unsigned);
    swap_mesa_fn f = (swap_mesa_fn)PLAT_gl_proc("glXSwapIntervalMESA");
    if (f && f((unsigned)interval) == 0) return 1;
  }
  return 0;
}

// The message box of the X11 backend: a small window drawn with core X text on a
// connection of its own, so that the program's window and its queued events are
// left alone while the box waits. Used by alerts before the GL window exists.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/plat_window.h"

namespace {

const int k_wrap_columns = 72;
const int k_margin = 20;
const int k_button_w = 80, k_button_h = 26;

// Lines split at line feeds, each wrapped at spaces to k_wrap_columns.
std::vector<std::string> wrap_lines(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (;;) {
    size_t nl = text.find('\n', pos);
    std::string para = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    while ((int)para.size() > k_wrap_columns) {
      size_t cut = para.rfind(' ', k_wrap_columns);
      if (cut == std::string::npos || cut == 0) cut = k_wrap_columns;
      out.push_back(para.substr(0, cut));
      para.erase(0, cut < para.size() && para[cut] == ' ' ? cut + 1 : cut);
    }
    out.push_back(para);
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  return out;
}

struct box_layout {
  int w = 0, h = 0, line_h = 0, ascent = 0;
  int bx = 0, by = 0;  // button's top-left corner
};

void draw_box(Display* d, Window w, GC gc, XFontStruct* font, const box_layout& L,
              const std::vector<std::string>& lines, bool pressed) {
  const int s = DefaultScreen(d);
  XSetForeground(d, gc, WhitePixel(d, s));
  XFillRectangle(d, w, gc, 0, 0, (unsigned)L.w, (unsigned)L.h);
  XSetForeground(d, gc, BlackPixel(d, s));
  int y = k_margin + L.ascent;
  for (const std::string& l : lines) {
    XDrawString(d, w, gc, k_margin, y, l.data(), (int)l.size());
    y += L.line_h;
  }
  if (pressed) XFillRectangle(d, w, gc, L.bx, L.by, k_button_w, k_button_h);
  XDrawRectangle(d, w, gc, L.bx, L.by, k_button_w, k_button_h);
  const char* ok = "OK";
  const int tw = font ? XTextWidth(font, ok, 2) : 12;
  XSetForeground(d, gc, pressed ? WhitePixel(d, s) : BlackPixel(d, s));
  XDrawString(d, w, gc, L.bx + (k_button_w - tw) / 2, L.by + (k_button_h + L.ascent) / 2 - 1, ok, 2);
  XFlush(d);
}

bool in_button(const box_layout& L, int x, int y) {
  return x >= L.bx && x <= L.bx + k_button_w && y >= L.by && y <= L.by + k_button_h;
}

}  // namespace

int PLAT_message_box(const std::string& title, const std::string& text) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 0;
  const int s = DefaultScreen(d);
  XFontStruct* font = XLoadQueryFont(d, "fixed");
  const std::vector<std::string> lines = wrap_lines(text);

  box_layout L;
  L.ascent = font ? font->ascent : 11;
  L.line_h = font ? font->ascent + font->descent + 2 : 15;
  int text_w = 0;
  for (const std::string& l : lines)
    text_w = std::max(text_w, font ? XTextWidth(font, l.data(), (int)l.size()) : 6 * (int)l.size());
  L.w = std::max(320, text_w + 2 * k_margin);
  L.h = k_margin + (int)lines.size() * L.line_h + 16 + k_button_h + 14;
  L.bx = (L.w - k_button_w) / 2;
  L.by = L.h - 14 - k_button_h;
  const int x = std::max(0, (DisplayWidth(d, s) - L.w) / 2);
  const int y = std::max(0, (DisplayHeight(d, s) - L.h) / 2);

  Window w = XCreateSimpleWindow(d, RootWindow(d, s), x, y, (unsigned)L.w, (unsigned)L.h, 1,
                                 BlackPixel(d, s), WhitePixel(d, s));
  XSelectInput(d, w, ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                         StructureNotifyMask);
  XStoreName(d, w, title.c_str());
  XClassHint cls;
  cls.res_name = (char*)title.c_str();
  cls.res_class = (char*)title.c_str();
  XSetClassHint(d, w, &cls);
  long pid = (long)getpid();
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  (unsigned char*)&pid, 1);
  XSizeHints* size = XAllocSizeHints();
  size->flags = PPosition | PMinSize | PMaxSize;
  size->x = x;
  size->y = y;
  size->min_width = size->max_width = L.w;
  size->min_height = size->max_height = L.h;
  XSetWMNormalHints(d, w, size);
  XFree(size);
  Atom wm_delete = XInternAtom(d, "WM_DELETE_WINDOW", False);
  Atom wm_protocols = XInternAtom(d, "WM_PROTOCOLS", False);
  XSetWMProtocols(d, w, &wm_delete, 1);
  GC gc = XCreateGC(d, w, 0, nullptr);
  if (font) XSetFont(d, gc, font->fid);
  XMapRaised(d, w);

  bool done = false, pressed = false;
  while (!done) {
    XEvent ev;
    XNextEvent(d, &ev);
    switch (ev.type) {
      case MapNotify:
        XSetInputFocus(d, w, RevertToParent, CurrentTime);
        break;
      case Expose:
        if (ev.xexpose.count == 0) draw_box(d, w, gc, font, L, lines, pressed);
        break;
      case ButtonPress:
        if (ev.xbutton.button == Button1 && in_button(L, ev.xbutton.x, ev.xbutton.y)) {
          pressed = true;
          draw_box(d, w, gc, font, L, lines, pressed);
        }
        break;
      case ButtonRelease:
        if (pressed && in_button(L, ev.xbutton.x, ev.xbutton.y)) done = true;
        pressed = false;
        draw_box(d, w, gc, font, L, lines, pressed);
        break;
      case KeyPress: {
        KeySym sym = XLookupKeysym(&ev.xkey, 0);
        if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_Escape || sym == XK_space) done = true;
        break;
      }
      case ClientMessage:
        if (ev.xclient.message_type == wm_protocols && (Atom)ev.xclient.data.l[0] == wm_delete)
          done = true;
        break;
    }
  }
  XFreeGC(d, gc);
  if (font) XFreeFont(d, font);
  XDestroyWindow(d, w);
  XCloseDisplay(d);
  return 1;
}

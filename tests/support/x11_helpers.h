// A second connection to the X server for the window tests: find a window by its
// title, read where its client area is, and send it the events a user or a window
// manager would (pointer, buttons, keys, the close request).
#pragma once
#include <string>
#include <vector>

// The window titled `title` (and, when `pid` is not 0, made by that process), 0
// when there is none.
unsigned long x11_find_window(const std::string& title, int pid = 0);
// The window's pixels as 8-bit RGBA, rows bottom first (as GL reads them).
bool x11_capture(unsigned long window, std::vector<unsigned char>* rgba, int* w, int* h);
// The client area's position on the screen and size. Returns false without a window.
bool x11_client_geometry(unsigned long window, int* x, int* y, int* w, int* h);
// Whether the window carries the hint asking for no decorations.
bool x11_asks_no_decorations(unsigned long window);
void x11_send_motion(unsigned long window, int x, int y);
void x11_send_button(unsigned long window, int button, bool press, int x, int y);
// A key by its symbol name ("a", "Return"); returns the keycode it used.
int x11_send_key(unsigned long window, const char* keysym_name, bool press, bool shift = false);
// The window manager's close request (WM_DELETE_WINDOW).
void x11_send_close(unsigned long window);

// The window, WGL context and input on Win32. The window procedure turns the
// window messages into plat_event records for the shell's handler and passes
// every message on to DefWindowProc. The pixel format is chosen on the window's
// device context once the window exists; the device context is taken once and
// kept for the window's life, and a context draws into it.
//
// Sections: display modes; pixel formats; windows and the window procedure;
// events; pointer, beep and message box; GL contexts; the folder browser.
#include "platform/plat_window.h"

#include <winsock2.h>
#include <windows.h>
#include <windowsx.h>
#include <shlobj.h>

#include <GL/gl.h>

#include <cstring>
#include <vector>

static DWORD g_last_error = 0;

int PLAT_gl_error() { return (int)g_last_error; }

static void note_error() { g_last_error = GetLastError(); }

// ---- Display modes ----

static int g_mode_changed = 0;

int PLAT_screen_mode(int* width, int* height, int* depth) {
  DEVMODEA dm;
  memset(&dm, 0, sizeof dm);
  dm.dmSize = sizeof dm;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm)) return 0;
  const DWORD need = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  if ((dm.dmFields & need) != need) return 0;
  *width = (int)dm.dmPelsWidth;
  *height = (int)dm.dmPelsHeight;
  *depth = (int)dm.dmBitsPerPel;
  return 1;
}

int PLAT_screen_mode_at(int index, int* width, int* height, int* depth) {
  if (index < 0) return 0;
  DEVMODEA dm;
  memset(&dm, 0, sizeof dm);
  dm.dmSize = sizeof dm;
  if (!EnumDisplaySettingsA(nullptr, (DWORD)index, &dm)) return 0;
  *width = (int)dm.dmPelsWidth;
  *height = (int)dm.dmPelsHeight;
  *depth = (int)dm.dmBitsPerPel;
  return 1;
}

int PLAT_screen_set_mode(int index) {
  DEVMODEA dm;
  memset(&dm, 0, sizeof dm);
  dm.dmSize = sizeof dm;
  if (!EnumDisplaySettingsA(nullptr, (DWORD)index, &dm)) return 0;
  dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  if (ChangeDisplaySettingsA(&dm, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return 0;
  g_mode_changed = 1;
  return 1;
}

void PLAT_screen_restore_mode() {
  // The mode of the registry: the desktop's own.
  ChangeDisplaySettingsA(nullptr, 0);
  g_mode_changed = 0;
}

// ---- Pixel formats ----

// What PLAT_gl_choose_format was asked for; the window's own format is chosen
// from it on the window's device context.
static std::vector<plat_pixel_format> g_wanted;  // format id n is g_wanted[n - 1]

static PIXELFORMATDESCRIPTOR descriptor_for(const plat_pixel_format& want) {
  PIXELFORMATDESCRIPTOR pfd;
  memset(&pfd, 0, sizeof pfd);
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (want.double_buffer ? PFD_DOUBLEBUFFER : 0);
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = (BYTE)want.colour_bits;
  pfd.cDepthBits = (BYTE)want.depth_bits;
  pfd.cStencilBits = (BYTE)want.stencil_bits;
  pfd.iLayerType = PFD_MAIN_PLANE;
  return pfd;
}

int PLAT_gl_choose_format(const plat_pixel_format& want, plat_pixel_format* got) {
  // The screen's device context answers what a window on it would get.
  HDC dc = GetDC(nullptr);
  if (!dc) return 0;
  PIXELFORMATDESCRIPTOR pfd = descriptor_for(want);
  int index = ChoosePixelFormat(dc, &pfd);
  PIXELFORMATDESCRIPTOR have;
  memset(&have, 0, sizeof have);
  if (index > 0) DescribePixelFormat(dc, index, sizeof have, &have);
  ReleaseDC(nullptr, dc);
  if (index <= 0) {
    // Some drivers answer only for a window; the window's own choice decides then.
    if (got) *got = want;
  } else if (got) {
    got->colour_bits = have.cColorBits + have.cAlphaBits;
    got->depth_bits = have.cDepthBits;
    got->stencil_bits = have.cStencilBits;
    got->double_buffer = (have.dwFlags & PFD_DOUBLEBUFFER) ? 1 : 0;
  }
  g_wanted.push_back(want);
  return (int)g_wanted.size();
}

// ---- Windows and the window procedure ----

struct win32_window {
  HWND hwnd = nullptr;
  HDC dc = nullptr;
  plat_event_fn handler = nullptr;
  int cursor_hidden = 0;
};

static std::vector<win32_window*> g_windows;
static std::vector<std::string> g_classes;  // registered class names

static win32_window* window_of(HWND hwnd) {
  return (win32_window*)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

static int modifiers_now() {
  int m = 0;
  if (GetKeyState(VK_SHIFT) & 0x8000) m |= PLAT_MOD_SHIFT;
  if (GetKeyState(VK_MENU) & 0x8000) m |= PLAT_MOD_ALT;
  if (GetKeyState(VK_CONTROL) & 0x8000) m |= PLAT_MOD_CONTROL;
  return m;
}

// The key fields of a key message: the virtual key of wParam, the scan code, E0
// bit and previous state of lParam, and the character ToAscii gives the key with
// the keyboard's present layout and state.
static void fill_key(plat_event& ev, UINT msg, WPARAM wp, LPARAM lp) {
  const bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
  ev.type = down ? PLAT_EV_KEY_DOWN : PLAT_EV_KEY_UP;
  ev.vkey = (int)(wp & 0xFF);
  ev.key_scan = (int)((lp >> 16) & 0xFF);
  ev.scan_code = ev.key_scan;
  ev.extended = (int)((lp >> 24) & 1);
  ev.is_repeat = down && ((lp >> 30) & 1) ? 1 : 0;
  ev.is_system = msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP;
  ev.modifiers = modifiers_now();
  ev.keysym = (unsigned long)wp;
  BYTE state[256];
  WORD out = 0;
  if (GetKeyboardState(state) &&
      ToAscii((UINT)ev.vkey, (UINT)(ev.key_scan | (down ? 0 : 0x8000)), state, &out, 0) == 1)
    ev.character = out & 0xFF;
}

static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    // The window record travels in the creation parameters.
    const CREATESTRUCTA* cs = (const CREATESTRUCTA*)lp;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)cs->lpCreateParams);
    ((win32_window*)cs->lpCreateParams)->hwnd = hwnd;
  }
  win32_window* win = window_of(hwnd);
  if (!win || !win->handler) return DefWindowProcA(hwnd, msg, wp, lp);
  plat_event ev;
  bool deliver = true;
  switch (msg) {
    case WM_CREATE:
      ev.type = PLAT_EV_CREATE;
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      ev.type = PLAT_EV_PAINT;
      win->handler(win, ev);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE:
      // The window stays until shutdown destroys it, so that the frames still
      // drawn before the program ends have a window to draw into.
      ev.type = PLAT_EV_CLOSE;
      win->handler(win, ev);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      fill_key(ev, msg, wp, lp);
      break;
    case WM_MOUSEMOVE:
      ev.type = PLAT_EV_MOUSE_MOVE;
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      ev.type = PLAT_EV_BUTTON_DOWN;
      ev.button = msg == WM_LBUTTONDOWN ? 1 : 3;
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      ev.type = PLAT_EV_BUTTON_UP;
      ev.button = msg == WM_LBUTTONUP ? 1 : 3;
      break;
    case WM_MOUSEWHEEL:
      ev.type = PLAT_EV_WHEEL;
      ev.wheel_delta = GET_WHEEL_DELTA_WPARAM(wp);
      ev.modifiers = modifiers_now();
      win->handler(win, ev);
      return DefWindowProcA(hwnd, msg, wp, lp);
    default:
      deliver = false;
  }
  if (deliver) {
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
      ev.x = GET_X_LPARAM(lp);
      ev.y = GET_Y_LPARAM(lp);
      ev.modifiers = modifiers_now();
    }
    win->handler(win, ev);
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// Registers the window class `name` once: no class style, the arrow cursor, a
// black background, no menu and no icon.
static bool register_class(const char* name) {
  for (const std::string& c : g_classes)
    if (c == name) return true;
  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = window_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = name;
  if (!RegisterClassA(&wc)) {
    note_error();
    return false;
  }
  g_classes.push_back(name);
  return true;
}

void* PLAT_window_create(const char* title, int x, int y, int w, int h, int captioned, int format,
                         plat_event_fn handler) {
  if (format <= 0 || format > (int)g_wanted.size()) return nullptr;
  if (!register_class(title)) return nullptr;
  const DWORD style = captioned ? (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) : WS_POPUP;
  // The outer size whose client area is exactly w x h.
  RECT r = {0, 0, w, h};
  AdjustWindowRect(&r, style, FALSE);
  win32_window* win = new win32_window;
  win->handler = handler;
  HWND hwnd = CreateWindowExA(0, title, title, style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), win);
  if (!hwnd) {
    note_error();
    delete win;
    return nullptr;
  }
  win->dc = GetDC(hwnd);
  PIXELFORMATDESCRIPTOR pfd = descriptor_for(g_wanted[format - 1]);
  const int index = win->dc ? ChoosePixelFormat(win->dc, &pfd) : 0;
  if (index <= 0 || !SetPixelFormat(win->dc, index, &pfd)) {
    note_error();
    if (win->dc) ReleaseDC(hwnd, win->dc);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    delete win;
    return nullptr;
  }
  g_windows.push_back(win);
  return win;
}

void PLAT_window_show(void* window) {
  win32_window* win = (win32_window*)window;
  if (!win) return;
  STARTUPINFOA si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  const int show = (si.dwFlags & STARTF_USESHOWWINDOW) && si.wShowWindow != SW_HIDE ? si.wShowWindow : SW_SHOW;
  ShowWindow(win->hwnd, show);
  UpdateWindow(win->hwnd);
  SetForegroundWindow(win->hwnd);
}

void PLAT_window_destroy(void* window) {
  win32_window* win = (win32_window*)window;
  if (!win) return;
  for (size_t i = 0; i < g_windows.size(); i++)
    if (g_windows[i] == win) g_windows.erase(g_windows.begin() + (long)i);
  SetWindowLongPtrA(win->hwnd, GWLP_USERDATA, 0);  // its handler receives nothing more
  if (win->dc) ReleaseDC(win->hwnd, win->dc);
  DestroyWindow(win->hwnd);
  delete win;
}

// ---- Events ----

int PLAT_pump_events() {
  int n = 0;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    n++;
  }
  return n;
}

int PLAT_wait_events(int ms) {
  DWORD rc = MsgWaitForMultipleObjects(0, nullptr, FALSE, ms < 0 ? INFINITE : (DWORD)ms, QS_ALLINPUT);
  return rc == WAIT_OBJECT_0 ? 1 : 0;
}

int PLAT_wait_events_or_sockets(int ms, const plat_wake_socket* sockets, int count) {
  if (count > 16) count = 16;
  if (count <= 0) return PLAT_wait_events(ms);
  MSG msg;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return 1;
  // A socket that is ready already ends the wait at once.
  fd_set r, w, e;
  FD_ZERO(&r);
  FD_ZERO(&w);
  FD_ZERO(&e);
  for (int i = 0; i < count; i++) {
    FD_SET((SOCKET)sockets[i].socket, sockets[i].for_write ? &w : &r);
    FD_SET((SOCKET)sockets[i].socket, &e);
  }
  timeval zero{0, 0};
  if (select(0, &r, &w, &e, &zero) != 0) return 1;  // ready, or failed: news either way
  // Otherwise one event for all of them, waited for with the window messages.
  WSAEVENT ev = WSACreateEvent();
  if (ev == WSA_INVALID_EVENT) return PLAT_wait_events(ms);
  for (int i = 0; i < count; i++)
    WSAEventSelect((SOCKET)sockets[i].socket, ev,
                   sockets[i].for_write ? (FD_WRITE | FD_CONNECT | FD_CLOSE) : (FD_READ | FD_CLOSE));
  const DWORD rc = MsgWaitForMultipleObjects(1, &ev, FALSE, ms < 0 ? 0 : (DWORD)ms, QS_ALLINPUT);
  // The sockets go back to plain non-blocking ones.
  for (int i = 0; i < count; i++) WSAEventSelect((SOCKET)sockets[i].socket, nullptr, 0);
  WSACloseEvent(ev);
  return rc == WAIT_OBJECT_0 || rc == WAIT_OBJECT_0 + 1 ? 1 : 0;
}

// ---- Pointer, beep and message box ----

void PLAT_cursor_show(void* window, int show) {
  win32_window* win = (win32_window*)window;
  if (!win || win->cursor_hidden == !show) return;
  win->cursor_hidden = !show;
  ShowCursor(show ? TRUE : FALSE);
}

void PLAT_cursor_arrow(void*) { SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW)); }

void PLAT_beep() { MessageBeep(MB_OK); }

int PLAT_message_box(const std::string& title, const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
  return 1;
}

// ---- GL contexts ----

static HDC dc_of(void* window) { return window ? ((win32_window*)window)->dc : nullptr; }

void* PLAT_gl_context_create(void* window, void* share) {
  HDC dc = dc_of(window);
  if (!dc) return nullptr;
  HGLRC ctx = wglCreateContext(dc);
  if (!ctx) {
    note_error();
    return nullptr;
  }
  if (share && !wglShareLists((HGLRC)share, ctx)) {
    note_error();
    wglDeleteContext(ctx);
    return nullptr;
  }
  return ctx;
}

int PLAT_gl_make_current(void* window, void* context) {
  if (!context) return wglMakeCurrent(nullptr, nullptr) ? 1 : 0;
  if (wglMakeCurrent(dc_of(window), (HGLRC)context)) return 1;
  note_error();
  return 0;
}

void PLAT_gl_context_destroy(void* context) {
  if (context) wglDeleteContext((HGLRC)context);
}

void PLAT_gl_swap(void* window) {
  HDC dc = dc_of(window);
  if (dc) SwapBuffers(dc);
}

void* PLAT_gl_proc(const char* name) {
  // Extension entry points come from the driver; the OpenGL 1.1 ones only from opengl32.dll.
  PROC p = wglGetProcAddress(name);
  const intptr_t v = (intptr_t)p;
  if (v == 0 || v == 1 || v == 2 || v == 3 || v == -1) {
    static HMODULE gl = LoadLibraryA("opengl32.dll");
    p = gl ? GetProcAddress(gl, name) : nullptr;
  }
  return (void*)p;
}

std::string PLAT_gl_system_extensions(void* window) {
  typedef const char*(WINAPI * arb_fn)(HDC);
  typedef const char*(WINAPI * ext_fn)();
  if (arb_fn f = (arb_fn)PLAT_gl_proc("wglGetExtensionsStringARB")) {
    const char* s = f(dc_of(window));
    if (s) return s;
  }
  if (ext_fn f = (ext_fn)PLAT_gl_proc("wglGetExtensionsStringEXT")) {
    const char* s = f();
    if (s) return s;
  }
  return std::string();
}

const char* const PLAT_gl_swap_control_names[] = {"WGL_EXT_swap_control", nullptr};

int PLAT_gl_swap_interval(void*, int interval) {
  typedef BOOL(WINAPI * swap_fn)(int);
  swap_fn f = (swap_fn)PLAT_gl_proc("wglSwapIntervalEXT");
  return f && f(interval) ? 1 : 0;
}

// ---- The folder browser ----

// Selects the starting folder when the browser opens and shows the selected
// folder's path as the status text whenever the selection changes.
static int CALLBACK BrowseForFolderCallback(HWND hwnd, UINT msg, LPARAM lp, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) {
    SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
  } else if (msg == BFFM_SELCHANGED) {
    char path[MAX_PATH];
    if (SHGetPathFromIDListA((LPCITEMIDLIST)lp, path)) SendMessageA(hwnd, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
  }
  return 0;
}

// One open browser: the shell's modal dialog runs on a thread of its own, so that
// the program's frames go on while it is up.
struct folder_dialog {
  std::string title, start;  // start in the system's form ("C:\a\b")
  std::string chosen;
  volatile LONG done = 0;    // 1 chosen, 2 cancelled; set last by the thread
  HANDLE thread = nullptr;
  DWORD thread_id = 0;
};
static std::vector<folder_dialog*> g_dialogs;  // handle n is g_dialogs[n - 1]

// The browser with the title, no root restriction and no flags.
static DWORD WINAPI folder_dialog_thread(LPVOID p) {
  folder_dialog* d = (folder_dialog*)p;
  CoInitialize(nullptr);
  BROWSEINFOA bi;
  memset(&bi, 0, sizeof bi);
  bi.lpszTitle = d->title.c_str();
  if (!d->start.empty()) {
    bi.lpfn = BrowseForFolderCallback;
    bi.lParam = (LPARAM)d->start.c_str();
  }
  LONG result = 2;
  LPITEMIDLIST item = SHBrowseForFolderA(&bi);
  if (item) {
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(item, path)) {
      d->chosen = path;
      result = 1;
    }
    // The item list belongs to the shell's allocator.
    IMalloc* shell_malloc = nullptr;
    if (SHGetMalloc(&shell_malloc) == S_OK && shell_malloc) {
      shell_malloc->Free(item);
      shell_malloc->Release();
    }
  }
  CoUninitialize();
  InterlockedExchange(&d->done, result);
  return 0;
}

int PLAT_folder_dialog_start(const std::string& title, const std::string& start_dir) {
  folder_dialog* d = new folder_dialog;
  d->title = title;
  d->start = start_dir;
  for (char& c : d->start)
    if (c == '/') c = '\\';
  // The browser selects a folder by its own path, without a trailing separator
  // (a drive root keeps its backslash).
  while (d->start.size() > 3 && d->start.back() == '\\') d->start.pop_back();
  d->thread = CreateThread(nullptr, 0, folder_dialog_thread, d, 0, &d->thread_id);
  if (!d->thread) {
    delete d;
    return 0;
  }
  g_dialogs.push_back(d);
  return (int)g_dialogs.size();
}

static folder_dialog* dialog_of(int handle) {
  return handle > 0 && handle <= (int)g_dialogs.size() ? g_dialogs[handle - 1] : nullptr;
}

static void forget(int handle) {
  folder_dialog* d = g_dialogs[handle - 1];
  WaitForSingleObject(d->thread, 5000);
  CloseHandle(d->thread);
  delete d;
  g_dialogs[handle - 1] = nullptr;
}

int PLAT_folder_dialog_poll(int handle, std::string* chosen) {
  folder_dialog* d = dialog_of(handle);
  if (!d) return 2;
  const LONG done = InterlockedCompareExchange(&d->done, 0, 0);
  if (!done) return 0;
  if (done == 1 && chosen) *chosen = d->chosen;
  forget(handle);
  return (int)done;
}

// Finds the browser's window among the top-level windows of its thread.
static BOOL CALLBACK close_thread_window(HWND hwnd, LPARAM) {
  PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

void PLAT_folder_dialog_cancel(int handle) {
  folder_dialog* d = dialog_of(handle);
  if (!d) return;
  // The browser's Cancel, as if the user had pressed it.
  for (int i = 0; i < 50 && !InterlockedCompareExchange(&d->done, 0, 0); i++) {
    EnumThreadWindows(d->thread_id, close_thread_window, 0);
    Sleep(20);
  }
  forget(handle);
}

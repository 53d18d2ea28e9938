// The window on Windows, under wine on a virtual X display: the class and the
// client size, the WGL pixel format, context and swap interval, the window
// procedure on real window messages, real keys typed through the X server (their
// virtual keys, scan codes and ToAscii characters), display modes, and the
// shell's folder browser (its starting folder, its OK and its cancelling). The screen is saved as a PNG for a look.
#include <gtest/gtest.h>

#include <windows.h>

#include <GL/gl.h>

#include <vector>

#include "platform/plat_window.h"
#include "shell/PlatformUtils.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/hl_window.h"
#include "support/fs_helpers.h"
#include "support/png_writer.h"
#include "support/win32/unix_run.h"

namespace {
std::vector<plat_event> g_keys;
void record_key(const plat_event& ev) { g_keys.push_back(ev); }

// Pumps the window's messages for `ms` milliseconds of real time.
void pump_for(int ms) {
  const DWORD end = GetTickCount() + (DWORD)ms;
  while ((LONG)(end - GetTickCount()) > 0) {
    DOVAVI_pump_messages();
    Sleep(5);
  }
  DOVAVI_pump_messages();
}

class WinWindow : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    mnw.x_res_req = 1024;
    mnw.y_res_req = 768;
    mnw.col_res_req = 32;
    DOVAVI_setres(1);
    ok_ = DOVAVI_make_context(0);
    hwnd_ = FindWindowA("Vantrel-System", "Vantrel-System");
  }
  static void TearDownTestSuite() {
    DOVAVI_nuke_context(0);
    DOVAVI_setres(0);
  }
  void SetUp() override {
    ASSERT_EQ(1, ok_);
    ASSERT_TRUE(hwnd_);
    g_keys.clear();
    g_window_key_hook = record_key;
    g_window_click_hook = nullptr;
    g_window_paint_hook = nullptr;
    mnw.xy_scale_now = 1;
    mnw.win_x = mnw.win_y = 0;
  }
  static int ok_;
  static HWND hwnd_;
};
int WinWindow::ok_ = 0;
HWND WinWindow::hwnd_ = nullptr;

// The X window wine made for a window of this title (xdotool's answer), "" if none.
std::string x_window(const std::string& title) {
  std::string out;
  unix_shell("xdotool search --sync --limit 1 --name " + shell_quote(title) + " 2>/dev/null", &out);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}
}  // namespace

TEST_F(WinWindow, ClassClientAreaPixelFormatAndContext) {
  WNDCLASSA wc;
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "Vantrel-System", &wc));
  EXPECT_EQ(0u, wc.style) << "no class style";
  EXPECT_EQ((HBRUSH)GetStockObject(BLACK_BRUSH), wc.hbrBackground);
  EXPECT_EQ(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), wc.hCursor);

  RECT rc;
  GetClientRect(hwnd_, &rc);
  EXPECT_EQ(1024, rc.right - rc.left);
  EXPECT_EQ(768, rc.bottom - rc.top);
  // The virtual screen is 1280 x 1024, more than 20 pixels larger each way: a caption.
  EXPECT_EQ(1280, g_mon_x_res_now);
  EXPECT_TRUE(GetWindowLongA(hwnd_, GWL_STYLE) & WS_CAPTION);
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  EXPECT_EQ(0, outer.left);
  EXPECT_EQ(0, outer.top);

  HDC dc = wglGetCurrentDC();
  ASSERT_TRUE(dc);
  EXPECT_EQ(mnw.context[0], (void*)wglGetCurrentContext());
  PIXELFORMATDESCRIPTOR pfd;
  ASSERT_TRUE(DescribePixelFormat(dc, GetPixelFormat(dc), sizeof pfd, &pfd));
  EXPECT_TRUE(pfd.dwFlags & PFD_DOUBLEBUFFER);
  EXPECT_TRUE(pfd.dwFlags & PFD_SUPPORT_OPENGL);
  EXPECT_TRUE(pfd.dwFlags & PFD_DRAW_TO_WINDOW);
  EXPECT_EQ(PFD_TYPE_RGBA, pfd.iPixelType);
  EXPECT_GE(pfd.cDepthBits, 24);

  typedef int(WINAPI * get_interval_fn)();
  get_interval_fn get_interval = (get_interval_fn)PLAT_gl_proc("wglGetSwapIntervalEXT");
  ASSERT_TRUE(get_interval) << PLAT_gl_system_extensions(mnw.window[0]);
  EXPECT_EQ(0, get_interval()) << "vertical sync is off";

  // One frame, read back and kept as a screenshot.
  glViewport(0, 0, 1024, 768);
  glClearColor(0.2f, 0.4f, 0.6f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  std::vector<unsigned char> px(1024 * 768 * 4);
  glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  PLAT_gl_swap(mnw.window[0]);
  EXPECT_NEAR(0.4 * 255, px[1], 2);
  std::vector<unsigned char> flipped(px.size());
  for (int y = 0; y < 768; y++) memcpy(&flipped[(767 - y) * 1024 * 4], &px[y * 1024 * 4], 1024 * 4);
  CreateDirectoryA(VANTREL_BUILD_DIR "/screens", nullptr);
  EXPECT_TRUE(write_png(VANTREL_BUILD_DIR "/screens/win32_window_clear.png", 1024, 768, flipped));
}

TEST_F(WinWindow, WindowProcedureOnRealMessages) {
  mnw.mouse_clicked = mnw.mouse_lifted = 0;
  mnw.mouse_wheel = 0;
  SendMessageA(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(100, 767));
  EXPECT_EQ(100, mnw.mx);
  EXPECT_EQ(1, mnw.my) << "y grows upward; the bottom row is 1";
  SendMessageA(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 767));
  EXPECT_EQ(1, mnw.mouse_clicked);
  SendMessageA(hwnd_, WM_RBUTTONUP, 0, MAKELPARAM(100, 767));
  EXPECT_EQ(1, mnw.mouse_lifted);
  SendMessageA(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(300, 300));
  SendMessageA(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), MAKELPARAM(300, 300));
  EXPECT_EQ(1, mnw.mouse_wheel);

  // A key message as the keyboard sends it: "A" (scan code 0x1E), a repeat, an
  // extended arrow, and a system key, which the window procedure leaves alone.
  SendMessageA(hwnd_, WM_KEYDOWN, 'A', 1 | (0x1E << 16));
  SendMessageA(hwnd_, WM_KEYDOWN, 'A', 1 | (0x1E << 16) | (1 << 30));
  SendMessageA(hwnd_, WM_KEYUP, 'A', 1 | (0x1E << 16) | (1u << 30) | (1u << 31));
  SendMessageA(hwnd_, WM_KEYDOWN, VK_LEFT, 1 | (0x4B << 16) | (1 << 24));
  SendMessageA(hwnd_, WM_SYSKEYDOWN, VK_F4, 1 | (0x3E << 16) | (1 << 29));
  ASSERT_EQ(4u, g_keys.size());
  EXPECT_EQ(PLAT_EV_KEY_DOWN, g_keys[0].type);
  EXPECT_EQ(65, g_keys[0].vkey);
  EXPECT_EQ(0x1E, g_keys[0].key_scan);
  EXPECT_EQ('a', g_keys[0].character) << "ToAscii with no Shift held";
  EXPECT_EQ(0, g_keys[0].is_repeat);
  EXPECT_EQ(1, g_keys[1].is_repeat);
  EXPECT_EQ(PLAT_EV_KEY_UP, g_keys[2].type);
  EXPECT_EQ(VK_LEFT, g_keys[3].vkey);
  EXPECT_EQ(1, g_keys[3].extended);
  EXPECT_EQ(0, g_keys[3].character);

  app_done = 0;
  SendMessageA(hwnd_, WM_CLOSE, 0, 0);
  EXPECT_EQ(1, app_done);
  EXPECT_TRUE(IsWindow(hwnd_)) << "the window stays until shutdown destroys it";
  app_done = 0;
}

TEST_F(WinWindow, KeysTypedOnTheXServer) {
  const std::string xwin = x_window("Vantrel-System");
  ASSERT_FALSE(xwin.empty());
  ASSERT_EQ(0, unix_shell("xdotool windowfocus --sync " + xwin));
  pump_for(200);
  g_keys.clear();
  ASSERT_EQ(0, unix_shell("xdotool key --delay 30 a shift+b Return KP_Enter F1"));
  pump_for(500);
  std::vector<plat_event> downs;
  for (const plat_event& e : g_keys)
    if (e.type == PLAT_EV_KEY_DOWN) downs.push_back(e);
  ASSERT_EQ(6u, downs.size()) << "a, Shift, b, Return, keypad Enter, F1";
  EXPECT_EQ(65, downs[0].vkey);
  EXPECT_EQ(0x1E, downs[0].key_scan);
  EXPECT_EQ('a', downs[0].character);
  EXPECT_EQ(VK_SHIFT, downs[1].vkey);
  EXPECT_EQ(0x2A, downs[1].key_scan);
  EXPECT_EQ(66, downs[2].vkey);
  EXPECT_EQ('B', downs[2].character) << "Shift applies";
  EXPECT_EQ(PLAT_MOD_SHIFT, downs[2].modifiers & PLAT_MOD_SHIFT);
  EXPECT_EQ(13, downs[3].vkey);
  EXPECT_EQ(0x1C, downs[3].key_scan);
  EXPECT_EQ(0, downs[3].extended);
  EXPECT_EQ(13, downs[4].vkey);
  EXPECT_EQ(1, downs[4].extended) << "keypad Enter carries the E0 bit";
  EXPECT_EQ(VK_F1, downs[5].vkey);
  EXPECT_EQ(0x3B, downs[5].key_scan);
  EXPECT_EQ(0, downs[5].character);
}

TEST_F(WinWindow, DisplayModes) {
  int w = 0, h = 0, depth = 0;
  ASSERT_EQ(1, PLAT_screen_mode(&w, &h, &depth));
  EXPECT_EQ(1280, w);
  EXPECT_EQ(1024, h);
  int current = -1;
  for (int i = 0, mw, mh, md; PLAT_screen_mode_at(i, &mw, &mh, &md); i++)
    if (mw == w && mh == h && md == depth) current = i;
  ASSERT_GE(current, 0) << "the desktop's mode is in the list";
  EXPECT_EQ(1, PLAT_screen_set_mode(current));
  PLAT_screen_restore_mode();
  ASSERT_EQ(1, PLAT_screen_mode(&w, &h, &depth));
  EXPECT_EQ(1280, w);
}

TEST_F(WinWindow, FolderBrowserStartsAtTheFolderAndAnswers) {
  // A folder on drive C:, which the browser opens quickly (Z: is the whole
  // Linux file system).
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string base = tmp;
  set_path_to_right_dirchars(base);
  base += "vantrel-browse-" + std::to_string(GetCurrentProcessId()) + "/";
  make_dirs(base + "Chosen");
  struct cleanup {
    std::string base;
    ~cleanup() {
      RemoveDirectoryA((base + "Chosen").c_str());
      RemoveDirectoryA(base.c_str());
    }
  } undo{base};
  struct {
    std::string path_;
    std::string operator/(const std::string& rel) const { return path_ + rel; }
    const std::string& path() const { return path_; }
  } d{base};
  // Return takes the folder the browser's callback selected at the start.
  int handle = PLAT_folder_dialog_start("Pick a folder to install Vantrel to!", d / "Chosen/");
  ASSERT_GT(handle, 0);
  std::string chosen;
  EXPECT_EQ(0, PLAT_folder_dialog_poll(handle, &chosen)) << "still open";
  // The browser's OK, once it is up and has selected the starting folder.
  HWND dialog = nullptr;
  for (int i = 0; i < 500 && !dialog; i++, Sleep(10)) dialog = FindWindowA(nullptr, "Browse for Folder");
  ASSERT_TRUE(dialog);
  pump_for(300);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  int result = 0;
  for (int i = 0; i < 300 && result == 0; i++) {
    pump_for(10);
    result = PLAT_folder_dialog_poll(handle, &chosen);
  }
  ASSERT_EQ(1, result);
  std::string expected = d / "Chosen";
  for (char& c : expected)
    if (c == '/') c = '\\';
  EXPECT_EQ(expected, chosen);

  // A browser the program closes is cancelled.
  handle = PLAT_folder_dialog_start("Pick", d.path());
  ASSERT_GT(handle, 0);
  for (int i = 0; i < 500 && !FindWindowA(nullptr, "Browse for Folder"); i++) Sleep(10);
  PLAT_folder_dialog_cancel(handle);
  EXPECT_EQ(2, PLAT_folder_dialog_poll(handle, &chosen)) << "the handle is gone";
}

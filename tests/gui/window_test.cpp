// The window itself: where its client area is, the display mode, the events that
// reach the window procedure from the X server, and the loader context.
#include <gtest/gtest.h>

#include <unistd.h>

#include <thread>

#include "gui/ogl_gl.h"
#include "platform/plat_window.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/hl_window.h"
#include "support/gl_helpers.h"
#include "support/x11_helpers.h"

namespace {
class Window : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_test_start()) << "no display: the window tests need X (xvfb-run)";
    xid = x11_find_window("Vantrel-System", getpid());  // not another test's window
    ASSERT_NE(0u, xid);
    mnw.win_x = mnw.win_y = 0;
    mnw.mouse_clicked = mnw.mouse_lifted = mnw.mouse_wheel = 0;
  }
  // Pumps events until `done` holds, for at most about two seconds.
  template <typename F>
  static bool pump_until(F done) {
    for (int i = 0; i < 200 && !done(); i++) {
      DOVAVI_wait_for_input(10);
      DOVAVI_pump_messages();
    }
    return done();
  }
  unsigned long xid = 0;
};

std::vector<plat_event> keys_seen;
}  // namespace

TEST_F(Window, ClientAreaIsExactlyTheLayoutAtTheTopLeft) {
  int x, y, w, h;
  ASSERT_TRUE(x11_client_geometry(xid, &x, &y, &w, &h));
  EXPECT_EQ(0, x);
  EXPECT_EQ(0, y);
  EXPECT_EQ(1024, w);
  EXPECT_EQ(768, h);
  // The virtual screen (1280 x 1024 under xvfb-run) is larger: a captioned window,
  // and no mode change was needed.
  EXPECT_GT(g_mon_x_res_now, 1024 + 20);
  EXPECT_GT(g_mon_y_res_now, 768 + 20);
  EXPECT_FALSE(x11_asks_no_decorations(xid));
  EXPECT_EQ(0, sres_orig);
  EXPECT_EQ(1024, mnw.x_res_now);
  EXPECT_EQ(32, mnw.col_res_now);
  EXPECT_TRUE(have_created_ibm_win);
  GLint depth = 0, stencil = -1;
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  glGetIntegerv(GL_STENCIL_BITS, &stencil);
  EXPECT_GE(depth, 24);
  EXPECT_EQ(0, stencil);
  GLboolean dbl = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &dbl);
  EXPECT_TRUE(dbl);
}

TEST_F(Window, FixedGlDefaults) {
  GLint v = 0;
  glGetIntegerv(GL_FRONT_FACE, &v);
  EXPECT_EQ(GL_CW, v);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  glGetIntegerv(GL_DEPTH_FUNC, &v);
  EXPECT_EQ(GL_LEQUAL, v);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &v);
  EXPECT_EQ(1, v);
  glGetIntegerv(GL_ALPHA_TEST_FUNC, &v);
  EXPECT_EQ(GL_GREATER, v);
  GLboolean mask = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
  EXPECT_FALSE(mask);
}

TEST_F(Window, PointerButtonsAndWheelFromTheServer) {
  // The bottom-left pixel is one unit above the lower edge: y grows upward.
  x11_send_motion(xid, 0, 767);
  ASSERT_TRUE(pump_until([] { return mnw.my == 1.0f; }));
  EXPECT_EQ(0.0f, mnw.mx);
  x11_send_motion(xid, 300, 100);
  ASSERT_TRUE(pump_until([] { return mnw.mx == 300.0f; }));
  EXPECT_EQ(668.0f, mnw.my);

  x11_send_button(xid, 2, true, 300, 100);  // the middle button is not handled
  x11_send_button(xid, 1, true, 300, 100);
  ASSERT_TRUE(pump_until([] { return mnw.mouse_clicked == 1; }));
  EXPECT_EQ(1, mnw.mouse_button);
  EXPECT_EQ(0, mnw.mouse_lifted);
  x11_send_button(xid, 1, false, 300, 100);
  ASSERT_TRUE(pump_until([] { return mnw.mouse_lifted == 1; }));
  mnw.mouse_clicked = 0;
  x11_send_button(xid, 3, true, 300, 100);
  ASSERT_TRUE(pump_until([] { return mnw.mouse_clicked == 1; }));
  EXPECT_EQ(2, mnw.mouse_button);

  // Two notches up, three down; a move afterwards marks the end of the series.
  for (int i = 0; i < 2; i++) {
    x11_send_button(xid, 4, true, 300, 100);
    x11_send_button(xid, 4, false, 300, 100);
  }
  for (int i = 0; i < 3; i++) {
    x11_send_button(xid, 5, true, 300, 100);
    x11_send_button(xid, 5, false, 300, 100);
  }
  x11_send_motion(xid, 400, 400);
  ASSERT_TRUE(pump_until([] { return mnw.mx == 400.0f; }));
  EXPECT_EQ(-1, mnw.mouse_wheel);
}

TEST_F(Window, KeysReachTheHookWithScanCodeAndCharacter) {
  keys_seen.clear();
  g_window_key_hook = [](const plat_event& ev) { keys_seen.push_back(ev); };
  const int code = x11_send_key(xid, "a", true, true);
  x11_send_key(xid, "a", false, true);
  ASSERT_TRUE(pump_until([] { return keys_seen.size() == 2; }));
  g_window_key_hook = nullptr;
  EXPECT_EQ(PLAT_EV_KEY_DOWN, keys_seen[0].type);
  EXPECT_EQ(code, keys_seen[0].scan_code);
  EXPECT_EQ('A', keys_seen[0].character);  // shift held
  EXPECT_EQ(PLAT_MOD_SHIFT, keys_seen[0].modifiers);
  EXPECT_EQ(0, keys_seen[0].is_repeat);
  EXPECT_EQ(PLAT_EV_KEY_UP, keys_seen[1].type);
}

TEST_F(Window, CloseRequestEndsTheMainLoop) {
  app_done = 0;
  x11_send_close(xid);
  ASSERT_TRUE(pump_until([] { return app_done == 1; }));
  app_done = 0;
}

TEST_F(Window, PointerIsRelativeToTheCurrentWindow) {
  mnw.win_x = 100;
  mnw.win_y = 50;
  mnw.top_win_cmnd = 7;
  plat_event ev;
  ev.type = PLAT_EV_MOUSE_MOVE;
  ev.x = 150;
  ev.y = 700;
  IBM_handlewin(mnw.window[0], ev);
  EXPECT_EQ(50.0f, mnw.mx);
  EXPECT_EQ(18.0f, mnw.my);
  EXPECT_EQ(7, mnw.top_win_mouse);
  // A wheel delta below a notch counts nothing; notches truncate toward zero.
  ev.type = PLAT_EV_WHEEL;
  ev.wheel_delta = -119;
  IBM_handlewin(mnw.window[0], ev);
  EXPECT_EQ(0, mnw.mouse_wheel);
  ev.wheel_delta = -240;
  IBM_handlewin(mnw.window[0], ev);
  EXPECT_EQ(-2, mnw.mouse_wheel);
  mnw.top_win_cmnd = 0;
  mnw.top_win_mouse = 0;
}

TEST_F(Window, LoaderContextSharesTheTextures) {
  void* loader = DOVAVI_make_context_loader();
  ASSERT_NE(nullptr, loader);
  int set = 0, sees_sheet = 0;
  std::thread worker([&] {
    set = DOVAVI_set_context_loader(loader);
    sees_sheet = glIsTexture(388);
    PLAT_gl_make_current(nullptr, nullptr);
  });
  worker.join();
  EXPECT_EQ(1, set);
  EXPECT_TRUE(sees_sheet);
  PLAT_gl_context_destroy(loader);
  EXPECT_TRUE(PLAT_gl_make_current(mnw.window[0], mnw.context[0]));
}

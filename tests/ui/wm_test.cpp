// The window manager in the real window under Xvfb: opening and centring windows,
// close boxes and Return, the menu table and its routing, the open menu's drawing,
// the mouse help and the pointer's visibility.
#include <gtest/gtest.h>

#include "gui/butn.h"
#include "gui/oglp.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "support/gl_helpers.h"
#include "support/ui_frame.h"

namespace {
class WindowManager : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ui_start()) << "the window-manager tests need X (xvfb-run)"; }
  void TearDown() override {
    DOVAVI_startwind(0);
    g_app_handlemenu = nullptr;
  }
};

int g_menu_code = 0;
}  // namespace

TEST_F(WindowManager, WindowsAreCentredWithTheirSizes) {
  stls.text[600] = "";
  const struct {
    int win;
    float x, y, dx, dy;
    int modal;
    const char* name;
  } cases[] = {
      {995, 302, 259, 420, 250, 1, ""}, {1, 262, 234, 500, 300, 1, "EULA"},
      {2, 212, 194, 600, 380, 1, "Prefs"}, {997, 162, 311, 700, 146, 1, ""},
      {0, 0, 0, 1024, 768, 0, nullptr},    {-1, 0, 0, 1024, 768, 0, nullptr},
      {7, 0, 0, 1024, 768, 0, nullptr},
  };
  for (const auto& c : cases) {
    stls.win_name = "before";
    DOVAVI_startwind(c.win);
    EXPECT_EQ(c.win, mnw.top_win_now);
    EXPECT_EQ(c.win, mnw.top_win_cmnd);
    EXPECT_EQ(c.x, mnw.win_x) << c.win;
    EXPECT_EQ(c.y, mnw.win_y) << c.win;
    EXPECT_EQ(c.dx, mnw.win_dx) << c.win;
    EXPECT_EQ(c.dy, mnw.win_dy) << c.win;
    EXPECT_EQ(c.modal, mnw.is_modal) << c.win;
    EXPECT_EQ(c.name ? c.name : "before", stls.win_name) << c.win;
  }
}

TEST_F(WindowManager, OpeningAWindowResetsFocusMenusAndPressState) {
  std::string s = "x";
  ui_frame([&] { BTN_enterstring(100, 100, &s, 9, "", 100, 1); });
  ASSERT_NE(0, focus_id);
  mnw.menu_up = 1519;
  mnw.now_dragging = mnw.mouse_clicked = 1;
  mnw.mouse_wheel = 3;
  ui_move(400, 300);  // in window 0
  DOVAVI_startwind(995);
  EXPECT_EQ(0, focus_id);
  EXPECT_EQ(-1, mnw.menu_up);
  EXPECT_EQ(0, mnw.now_dragging + mnw.mouse_clicked + mnw.mouse_wheel);
  // The pointer has not moved: it reads where it is in the new window.
  EXPECT_EQ(400 - 302, mnw.mx);
  EXPECT_EQ(300 - 259, mnw.my);
  EXPECT_EQ(-1, menu[menu_popup_slot].menux1);
  EXPECT_EQ(-1, menu[menu_popup_slot].menuy2);
  DOVAVI_startwind(0);
  EXPECT_EQ(400, mnw.mx);
  EXPECT_EQ(300, mnw.my);
}

TEST_F(WindowManager, CloseBoxesAtTheirEdges) {
  const struct {
    float x, dy_below_top;  // press at (x, win_dy - dy_below_top)
    int closes;
  } cases[] = {
      {25, 0, 1},  {26, 0, 0},  {0, 0, 1},   {0, 20, 1},   {0, 21, 0},  {12, 10, 1},
      {575, 0, 1}, {574, 0, 0}, {600, 20, 1}, {601, 0, 0}, {300, 5, 0},
  };
  for (const auto& c : cases) {
    DOVAVI_startwind(2);
    ui_press(c.x, mnw.win_dy - c.dy_below_top);
    EXPECT_EQ(c.closes ? 0 : 2, mnw.top_win_now) << c.x << " " << c.dy_below_top;
    mnw.mouse_clicked = 0;
  }
  // The alert and the prompt have none.
  for (int win : {995, 997}) {
    DOVAVI_startwind(win);
    ui_press(10, mnw.win_dy - 5);
    EXPECT_EQ(win, mnw.top_win_now);
    mnw.mouse_clicked = 0;
  }
}

TEST_F(WindowManager, ReturnClosesTheModalWindowsThatHaveCloseBoxes) {
  DOVAVI_startwind(2);
  ui_key(13, 13);
  EXPECT_EQ(0, mnw.top_win_now) << "Return in the preferences window closes it";
  EXPECT_EQ(0, return_hit) << "and the close takes the Return";
  DOVAVI_startwind(1);
  ui_key(13, 13, 0, true);
  EXPECT_EQ(1, mnw.top_win_now) << "a released Return does nothing";
  for (int win : {995, 997}) {
    DOVAVI_startwind(win);
    return_hit = 0;
    ui_key(13, 13);
    EXPECT_EQ(win, mnw.top_win_now);
    EXPECT_EQ(1, return_hit) << "left for the window's own loop";
  }
  DOVAVI_startwind(0);
  return_hit = 0;
  ui_key(13, 13);
  EXPECT_EQ(0, mnw.top_win_now);
  EXPECT_EQ(1, return_hit);
}

TEST_F(WindowManager, MenuTableAndRouting) {
  DOVAVI_clear_menus(2);  // other levels leave the table alone
  EXPECT_EQ(1520u, menu.size());
  for (size_t i = 0; i < 1519; i++) {
    ASSERT_EQ("", menu[i].menu_name);
    ASSERT_EQ(-1, menu[i].menu_prnt);
  }
  // The empty slots, all-zero rectangles, never catch the mouse, even at (0, 0).
  ui_press(0, 0);
  EXPECT_EQ(1, mnw.mouse_clicked);
  EXPECT_EQ(-1, mnw.menu_up);

  // A menu of the application's own: its title opens and closes it, its items
  // reach the menu handler, separators and headings cannot be chosen.
  menu_struct& m = menu[3];
  m.menu_name = "File";
  m.menux1 = 10, m.menuy1 = 740, m.menux2 = 60, m.menuy2 = 760;
  const char* names[] = {"=Heading", "Open", "-", "Quit"};
  for (int i = 0; i < 4; i++) {
    item_struct it;
    it.item_name = names[i];
    it.item_code = 100 + i;
    it.itemx1 = 10, it.itemx2 = 110;
    it.itemy1 = (short)(720 - 20 * i), it.itemy2 = (short)(it.itemy1 + 20);
    m.item.push_back(it);
  }
  g_app_handlemenu = [](int code) { g_menu_code = code; };
  g_menu_code = 0;
  ui_press(60, 760);
  EXPECT_EQ(3, mnw.menu_up);
  EXPECT_EQ(0, mnw.mouse_clicked) << "a title takes the press";
  ui_frame(nullptr, false);  // the open menu draws
  gl_save_png("ui_menu.png");
  ui_press(50, 730);  // the heading
  EXPECT_EQ(0, g_menu_code);
  EXPECT_EQ(-1, mnw.menu_up) << "a press beside the choosable items closes the menu";
  EXPECT_EQ(1, mnw.mouse_clicked) << "and goes on";
  ui_press(30, 750);
  ui_press(50, 690);  // the separator
  EXPECT_EQ(0, g_menu_code);
  ui_press(30, 750);
  ui_press(50, 665);  // "Quit"
  EXPECT_EQ(103, g_menu_code);
  EXPECT_EQ(-1, mnw.menu_up);
  EXPECT_EQ(0, mnw.mouse_clicked);
  // Roll-over: with a menu open, moving onto another title switches to it.
  menu_struct& n = menu[4];
  n.menu_name = "Edit";
  n.menux1 = 70, n.menuy1 = 740, n.menux2 = 120, n.menuy2 = 760;
  ui_press(30, 750);
  ui_move(90, 750);
  DOVAVI_menu_rollover();
  EXPECT_EQ(4, mnw.menu_up);
  DOVAVI_clear_menus(1);
  EXPECT_EQ("", menu[3].menu_name);
  EXPECT_EQ(1520u, menu.size());
}

TEST_F(WindowManager, HelpBoxHeight) {
  const int cases[][2] = {{0, 60}, {1, 60}, {120, 60}, {249, 60}, {250, 70}, {500, 120},
                          {1500, 300}, {2800, 300}};
  for (const auto& c : cases) EXPECT_EQ(c[1], mouse_help_box_height(c[0])) << c[0];
}

TEST_F(WindowManager, HelpShowsAfterASecondStillAndIsClearedEveryFrame) {
  int flag = 0;
  auto draw = [&] {
    BTN_fillwin(0, 21);
    BTN_bool(700, 200, &flag, "Flag{::Turns the flag on and off.", 0);
  };
  ui_move(700, 200);
  ui_frame(draw);
  EXPECT_EQ("", stls.help_message) << "drawn and cleared by the frame";
  ui_frame(draw, false);
  const std::vector<unsigned char> before = gl_read(280, 200, 420, 90);
  OGL_sbuff();
  ui_advance(1.5f);
  ui_frame(draw, false);
  const std::vector<unsigned char> after = gl_read(280, 200, 420, 90);
  gl_save_png("ui_help_box.png");
  OGL_sbuff();
  EXPECT_NE(before, after) << "the box opens to the upper left of the pointer";
  ui_move(100, 100);  // away from the widget: no help, no box
  ui_advance(1.5f);
  ui_frame(draw, false);
  const std::vector<unsigned char> gone = gl_read(280, 200, 420, 90);
  OGL_sbuff();
  EXPECT_EQ(before, gone);
}

TEST_F(WindowManager, PointerHidesAfterTenStillSecondsInWindowZero) {
  ui_move(500, 400);
  ui_frame(nullptr);
  ASSERT_EQ(1, OS_mouse_showing);
  ui_advance(9.0f);
  ui_frame(nullptr);
  EXPECT_EQ(1, OS_mouse_showing);
  ui_advance(1.5f);
  ui_frame(nullptr);
  EXPECT_EQ(0, OS_mouse_showing);
  EXPECT_EQ(2, mnw.cursor_type);
  ui_frame(nullptr);
  EXPECT_EQ(0, OS_mouse_showing);
  ui_move(501, 400);
  ui_frame(nullptr);
  EXPECT_EQ(1, OS_mouse_showing) << "back on the first frame after a move";
  // In a fixed window (993..999) the arrow stays, still or not.
  DOVAVI_startwind(995);
  ui_advance(20);
  ui_frame(nullptr);
  EXPECT_EQ(1, OS_mouse_showing);
  EXPECT_EQ(0, mnw.cursor_type);
}

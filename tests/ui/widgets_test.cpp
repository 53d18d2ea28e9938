// The widgets in the real window under Xvfb, frame by frame: the mouse state and
// the keys are set before a frame, the widgets' answers read from it. Ends with a
// screenshot of every widget kind, focused and not.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "gui/butn.h"
#include "gui/oglp.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "support/gl_helpers.h"
#include "support/ui_frame.h"

namespace {
struct fatal_alert : std::runtime_error {
  using std::runtime_error::runtime_error;
};
void throw_alert(int, const std::string& s1, const std::string&, const std::string&,
                 const std::string&, int type, const char*, int) {
  if (type == t_exit) throw fatal_alert(s1);
}

class Widgets : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ui_start()) << "the widget tests need X (xvfb-run)"; }
  void TearDown() override { g_alert_intercept = nullptr; }
};

// Pixels of a box of the back buffer that differ from the background at (bx, by)
// by more than a faint edge would.
int ink(int x, int y, int w, int h, int bx = 2, int by = 2) {
  const px8 bg = gl_pixel(bx, by);
  std::vector<unsigned char> px = gl_read(x, y, w, h);
  int n = 0;
  for (size_t i = 0; i < px.size(); i += 4)
    if (abs(px[i] - bg.r) + abs(px[i + 1] - bg.g) + abs(px[i + 2] - bg.b) > 90) n++;
  return n;
}
}  // namespace

// ---- Labels ----

TEST(Labels, ExpandLabel) {
  const struct {
    const char *in, *l1, *l2, *help;
  } cases[] = {
      {"Install", "Install", "", ""},
      {"Speed|streams", "Speed", "streams", ""},
      {"Speed|streams{: How many at once", "Speed", "streams", " How many at once"},
      {"Go{::Start now", "Go", "", ":Start now"},
      {"a|b|c", "a|b", "c", ""},  // the last '|' splits
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    std::string l1 = "x", l2 = "x", h = "x";
    BTN_expand_label(c.in, &l1, &l2, &h);
    EXPECT_EQ(c.l1, l1) << c.in;
    EXPECT_EQ(c.l2, l2) << c.in;
    EXPECT_EQ(c.help, h) << c.in;
  }
}

TEST(Labels, BreakNearestTheMiddle) {
  const struct {
    const char* label;
    int at;
  } cases[] = {
      {"Check updates", 5},        // 13 bytes, two words: at the space
      {"-Check updates", -1},      // a leading '-' never splits
      {"Short label", -1},         // 11 bytes
      {"twelve bytes", -1},        // exactly 12
      {"Long-sentence here", 13},  // middle 9: the space (4 away) beats the '-' (5 away)
      {"ab-cdefghij kl", 11},      // middle 7: '-' at 2 is 5 away, the space at 11 is 4
      {"abcdef-hijklmn", 6},
      {"aaaaaa/bbbbbb", 6},
      {"abc def ghi jk", 7},       // middle 7: the space there
      {"ab cd ef gh ij", 8},       // spaces at 2, 5, 8, 11; the middle is 7
      {"nobreakcharacters", -1},
      {" leadingspace", -1},       // the only break is the first byte
  };
  for (const auto& c : cases) EXPECT_EQ(c.at, BTN_label_break(c.label)) << c.label;
}

TEST_F(Widgets, SplitLabelDrawsTwoLines) {
  // Ink rows of a label drawn at y = 400: one band, or two bands 10 pixels apart.
  auto ink_rows = [](const std::string& label) {
    std::vector<int> rows;
    ui_frame([&] {
      BTN_fillwin(0, 21);
      BTN_util_draw_label(300, 400, 2, label, 0);
    }, false);
    for (int y = 380; y < 420; y++)
      if (ink(300, y, 120, 1, 500, 200) > 0) rows.push_back(y);
    return rows;
  };
  std::vector<int> one = ink_rows("-Check updates"), two = ink_rows("Check updates");
  ASSERT_FALSE(one.empty());
  ASSERT_FALSE(two.empty());
  EXPECT_LT(one.back() - one.front(), 14);
  EXPECT_GE(two.back() - two.front(), 18);  // line 1 five above, line 2 five below
}

// ---- Push button, check box, radio ----

TEST_F(Widgets, ActionButtonReturnsOneOnlyOnThePressFrame) {
  const float w = menu_dx("Go") + 21;  // dx_control 0: sized to its label
  int got = -1;
  auto button = [&] { got = BTN_action(300, 300, 0, 0, 0, "Go", "-"); };
  ui_move(300, 300);
  ui_frame(button);
  EXPECT_EQ(0, got) << "hovering is not pressing";
  ui_press(300 + w / 2, 310);  // the hit box's corner is inside
  ui_frame(button);
  EXPECT_EQ(1, got);
  ui_frame(button);
  EXPECT_EQ(0, got) << "only the frame of the press";
  ui_press(300 + w / 2 + 1, 300);
  ui_frame(button);
  EXPECT_EQ(0, got);
  ui_press(300, 311);
  ui_frame(button);
  EXPECT_EQ(0, got);
  mnw.menu_up = 1519;  // an open popup takes the mouse
  mnw.mouse_clicked = 1;
  ui_move(300, 300);
  ui_frame(button);
  mnw.menu_up = -1;
  EXPECT_EQ(0, got);
}

TEST_F(Widgets, ActionButtonSideLabel) {
  // On a window's panel, where buttons live (the screen's own background is dark).
  ui_frame([] {
    BTN_fillwin(0, 21);
    BTN_action(300, 300, 80, 0, 0, "Go", "-");
  }, false);
  EXPECT_EQ(0, ink(355, 295, 80, 20, 500, 200));
  ui_frame([] {
    BTN_fillwin(0, 21);
    BTN_action(300, 300, 80, 0, 0, "Go", "Side text");
  }, false);
  EXPECT_GT(ink(355, 295, 80, 20, 500, 200), 20);
}

TEST_F(Widgets, CheckBoxAndRadioChoices) {
  int flag = 0, choice = 2, r1 = -1, r2 = -1, r3 = -1;
  auto draw = [&] {
    r1 = BTN_bool(200, 500, &flag, "Log|installer actions", 0);
    r2 = BTN_is_int(200, 460, &choice, 1, "One");
    r3 = BTN_is_int(200, 440, &choice, 2, "Two");
  };
  ui_press(207, 511);  // the hit box reaches x + 8, y + 12
  ui_frame(draw);
  EXPECT_EQ(1, r1);
  EXPECT_EQ(1, flag);
  ui_press(200, 495);  // below y - 4
  ui_frame(draw);
  EXPECT_EQ(0, r1);
  ui_press(200, 500);
  ui_frame(draw);
  EXPECT_EQ(0, flag);
  ui_press(200, 440);  // the choice already made keeps the value
  ui_frame(draw);
  EXPECT_EQ(1, r3);
  EXPECT_EQ(2, choice);
  ui_press(200, 460);
  ui_frame(draw);
  EXPECT_EQ(1, r2);
  EXPECT_EQ(1, choice);
}

// ---- Focus ----

TEST_F(Widgets, TabShiftTabAndKeyUpTabMoveTheFocus) {
  std::string a = "alpha", b = "beta";
  float n = 5;
  auto draw = [&] {
    BTN_enterstring(200, 600, &a, 40, "A", 150, 0);
    BTN_flt_range(200, 560, &n, 3, 0, 0, 999, "N");
    BTN_enterstring(200, 520, &b, 40, "B", 150, 0);
  };
  const int id_a = 200 * 8192 + 600, id_n = 200 * 8192 + 560, id_b = 200 * 8192 + 520;
  ui_frame(draw);
  EXPECT_EQ(0, focus_id);
  ui_key(9, 9);
  ui_frame(draw);
  EXPECT_EQ(id_a, focus_id);
  ui_key(9, 9, PLAT_MOD_SHIFT);
  ui_frame(draw);
  EXPECT_EQ(id_b, focus_id) << "shift-Tab from the first goes to the last";
  ui_key(9, 9);
  ui_frame(draw);
  EXPECT_EQ(id_a, focus_id);
  ui_key(9, 9, 0, true);
  ui_frame(draw);
  EXPECT_EQ(id_a, focus_id) << "a key-up Tab does not move the focus";
  ui_key(9, 9);
  ui_frame(draw);
  EXPECT_EQ(id_n, focus_id);
  ui_press(50, 50);  // a press elsewhere drops the focus
  ui_frame(draw);
  EXPECT_EQ(0, focus_id);
}

TEST_F(Widgets, AFocusedWidgetThatIsNoLongerDrawnLosesTheFocus) {
  std::string a = "alpha", b = "beta";
  ui_frame([&] { BTN_enterstring(200, 600, &a, 40, "A", 150, 0); });
  ui_key(9, 9);
  ui_frame([&] { BTN_enterstring(200, 600, &a, 40, "A", 150, 0); });
  ASSERT_NE(0, focus_id);
  ui_frame([&] { BTN_enterstring(200, 500, &b, 40, "B", 150, 0); });
  ui_type("x");  // the focused field is gone: the key goes nowhere and drops the focus
  EXPECT_EQ(0, focus_id);
  ui_frame([&] { BTN_enterstring(200, 500, &b, 40, "B", 150, 0); });
  EXPECT_EQ("beta", b);
}

// ---- Text field ----

TEST_F(Widgets, TextFieldEditing) {
  std::string s = "hello";
  int edited = -1;
  auto field = [&] { edited = BTN_enterstring(200, 400, &s, 8, "Name", 150, 0); };
  ui_frame(field);
  ui_press(200 + menu_dx("hel") - 1, 404);  // inside the 'l': the caret after it
  ui_frame(field);
  EXPECT_EQ(0, edited);
  ui_type("p");
  ui_frame(field);
  EXPECT_EQ(1, edited);
  EXPECT_EQ("helplo", s);
  ui_frame(field);
  EXPECT_EQ(0, edited) << "only the frame of the edit";
  ui_key(8, 8);                         // Backspace
  ui_key(46, 127);                      // Delete: the byte after the caret
  ui_frame(field);
  EXPECT_EQ("helo", s);
  ui_key(36, 0);  // Home has no character and does nothing here
  ui_key(112, 0);  // nor F1
  ui_frame(field);
  EXPECT_EQ("helo", s);
  ui_type("ABCDEFG");  // at most 8 bytes
  ui_frame(field);
  EXPECT_EQ(8u, s.size());
  EXPECT_EQ("helABCDE", s);
}

TEST_F(Widgets, TextFieldSelectsAllWhenTabbedInto) {
  std::string s = "old text";
  auto field = [&] { BTN_enterstring(200, 400, &s, 40, "Name", 150, 0); };
  ui_frame(field);
  ui_key(9, 9);
  ui_frame(field);
  ui_type("new");
  ui_frame(field);
  EXPECT_EQ("new", s);
  ui_key(37, 0, PLAT_MOD_SHIFT);  // shift-left twice, then typing replaces "ew"
  ui_key(37, 0, PLAT_MOD_SHIFT);
  ui_type("o");
  ui_frame(field);
  EXPECT_EQ("no", s);
}

TEST_F(Widgets, AutoFocusTakesTheFocusOnlyWhenNoneIsHeld) {
  std::string a = "a", b = "b";
  auto draw = [&] {
    BTN_enterstring(200, 400, &a, 40, "A", 150, 1);
    BTN_enterstring(200, 360, &b, 40, "B", 150, 1);
  };
  ui_frame(draw);
  EXPECT_EQ(200 * 8192 + 400, focus_id) << "the first auto-focus field, not the second";
  ui_type("z");
  ui_frame(draw);
  EXPECT_EQ("z", a);  // arrived by auto-focus: the whole text was selected
  EXPECT_EQ("b", b);
}

// ---- Numeric field ----

TEST_F(Widgets, NumericFieldHotDigit) {
  float v = 12.3f;
  int changed = -1;
  auto field = [&] { changed = BTN_flt_range(300, 300, &v, 4, 1, -100, 100, "Value"); };
  ui_frame(field);
  EXPECT_EQ(0, changed);
  ui_press(300 + 25, 303);  // cell 2: the units of "012.3"
  ui_frame(field);
  EXPECT_EQ(300 * 8192 + 300, focus_id);
  EXPECT_EQ(2, BTN_hot_digit);
  ui_type("5");
  ui_frame(field);
  EXPECT_EQ(1, changed);
  EXPECT_FLOAT_EQ(15.3f, v);
  EXPECT_EQ(3, BTN_hot_digit);
  ui_key(38, 0);  // up on the tenths
  ui_frame(field);
  EXPECT_FLOAT_EQ(15.4f, v);
  ui_key(39, 0);  // right wraps to the first cell
  ui_frame(field);
  EXPECT_EQ(0, BTN_hot_digit);
  ui_key(37, 0);  // left wraps to the last
  ui_key(37, 0);
  ui_frame(field);
  EXPECT_EQ(2, BTN_hot_digit);
  ui_key(40, 0);  // down on the units
  ui_frame(field);
  EXPECT_FLOAT_EQ(14.4f, v);
  ui_type("-");
  ui_frame(field);
  EXPECT_FLOAT_EQ(-14.4f, v);
  ui_key(187, '+', PLAT_MOD_SHIFT);
  ui_frame(field);
  EXPECT_FLOAT_EQ(14.4f, v);
  ui_key(39, 0);  // to the hundreds: one more would pass 100, so the value stops there
  ui_key(39, 0);
  ui_key(38, 0);
  ui_frame(field);
  EXPECT_FLOAT_EQ(100.0f, v);
}

TEST_F(Widgets, NumericFieldArrowsAndRange) {
  float v = 250;
  int changed = -1;
  auto field = [&] { changed = BTN_flt_range(300, 300, &v, 3, 0, 0, 300, "Rate"); };
  ui_move(305, 320);  // above the first cell's up arrow
  ui_frame(field);
  EXPECT_EQ(13, mnw.cursor_type);
  ui_move(305, 286);
  ui_frame(field);
  EXPECT_EQ(14, mnw.cursor_type);
  ui_press(315, 318);  // up arrow of the tens
  ui_frame(field);
  EXPECT_EQ(1, changed);
  EXPECT_FLOAT_EQ(260, v);
  ui_press(325, 287);  // down arrow of the units
  ui_frame(field);
  EXPECT_FLOAT_EQ(259, v);
  v = 512.6f;  // outside the range: pulled back on the next frame without input
  ui_frame(field);
  EXPECT_EQ(1, changed);
  EXPECT_FLOAT_EQ(300, v);
  ui_frame(field);
  EXPECT_EQ(0, changed);

  int streams = 3, ic = -1;
  auto ints = [&] { ic = BTN_int_range(300, 200, &streams, 1, 1, 4, "Streams"); };
  ui_press(305, 203);
  ui_frame(ints);
  ui_type("9");
  ui_frame(ints);
  EXPECT_EQ(1, ic);
  EXPECT_EQ(4, streams);
}

// ---- Popup list ----

TEST_F(Widgets, PopupListOpensOverTheButtonAndAnswers) {
  int sel = 1, picked = -1;
  auto list = [&] { picked = BTN_textlist(400, 400, &sel, "One-Two-Three", "Pick"); };
  ui_frame(list);
  EXPECT_EQ(-1, mnw.menu_up);
  ui_press(410, 403);
  ui_frame(list, false);
  gl_save_png("ui_popup_list.png");
  OGL_sbuff();
  ASSERT_EQ(menu_popup_slot, mnw.menu_up);
  const menu_struct& m = menu[menu_popup_slot];
  ASSERT_EQ(3u, m.item.size());
  EXPECT_EQ("One", m.item[0].item_name);
  EXPECT_EQ("Three", m.item[2].item_name);
  EXPECT_EQ(400 - 3, m.item[1].itemy1) << "the current item lies over the button";
  EXPECT_EQ(400 + 9, m.item[0].itemy1);
  // A press on "Three" answers the list; the next frame hands the choice over.
  ui_press((m.item[2].itemx1 + m.item[2].itemx2) / 2.0f, m.item[2].itemy1 + 6);
  EXPECT_EQ(-1, mnw.menu_up);
  EXPECT_EQ(0, mnw.mouse_clicked) << "the press goes no further";
  ui_frame(list);
  EXPECT_EQ(1, picked);
  EXPECT_EQ(2, sel);
  ui_frame(list);
  EXPECT_EQ(0, picked);
  EXPECT_EQ(-1, mnw.menu_up);
}

TEST_F(Widgets, PressBesideAnOpenListClosesItAndReachesTheWidgetBelow) {
  int sel = 0, flag = 0;
  auto draw = [&] {
    BTN_textlist(400, 400, &sel, "One-Two-Three", "Pick");
    BTN_bool(600, 300, &flag, "Flag", 0);
  };
  ui_press(410, 403);
  ui_frame(draw);
  ASSERT_EQ(menu_popup_slot, mnw.menu_up);
  ui_press(600, 300);
  EXPECT_EQ(-1, mnw.menu_up);
  ui_frame(draw);
  EXPECT_EQ(1, flag);
  EXPECT_EQ(-1, mnw.menu_up) << "the list does not open again by itself";
  EXPECT_EQ(0, sel);
}

TEST_F(Widgets, MalformedListsAndBadFramesAreFatal) {
  g_alert_intercept = throw_alert;
  int sel = 0;
  EXPECT_THROW(BTN_textlist(100, 100, &sel, "a|b-c", ""), fatal_alert);
  std::string many;
  for (int i = 0; i < 300; i++) many += "x-";
  EXPECT_THROW(BTN_textlist(100, 100, &sel, many, ""), fatal_alert);
  std::string ok;
  for (int i = 0; i < 298; i++) ok += "x-";
  EXPECT_NO_THROW(BTN_textlist(100, 100, &sel, ok + "x", ""));  // 299 items
  EXPECT_THROW(BTN_frame1(6, 100, 100, 50, 0), fatal_alert);
  EXPECT_THROW(BTN_frame2(21, 100, 100, 50, 50, ""), fatal_alert);
  try {
    BTN_frame1(11, 0, 0, 0, 0);
  } catch (const fatal_alert& e) {
    EXPECT_STREQ("Bad BTN_frame1 call!", e.what());
  }
  try {
    BTN_frame2(10, 0, 0, 0, 0, "");
  } catch (const fatal_alert& e) {
    EXPECT_STREQ("Bad BTN_frame2 call!", e.what());
  }
}

// ---- Every widget kind ----

TEST_F(Widgets, ScreenshotOfEveryWidgetKind) {
  std::string name = "Vantrel", folder = "/home/pilot/Vantrel 9/";
  float rate = 42.5f;
  int streams = 2, flag = 1, off = 0, choice = 1, sel = 1, sel2 = 0;
  auto draw = [&] {
    BTN_fillwin(0, 13);
    BTN_subwin(0, 14, 30, 430, 460, 300, "Focused", nullptr, nullptr);
    BTN_subwin(0, 14, 530, 430, 460, 300, "Not focused", nullptr, nullptr);
    BTN_enterstring(150, 680, &name, 40, "Name|(focused){ your name", 200, 0);
    BTN_enterstring(650, 680, &folder, 60, "Folder", 200, 0);
    BTN_flt_range(150, 620, &rate, 4, 1, 0, 999, "Rate|KB/s");
    BTN_int_range(650, 620, &streams, 1, 1, 4, "Streams|at once");
    BTN_bool(150, 560, &flag, "Check|on", 0);
    BTN_bool(650, 560, &off, "Check|off", 0);
    BTN_is_int(150, 520, &choice, 1, "Radio|chosen");
    BTN_is_int(650, 520, &choice, 2, "Radio|not chosen");
    BTN_textlist(150, 470, &sel, "Fastest-Nearest-Random", "List");
    BTN_textlist(650, 470, &sel2, "English-Deutsch", "Language");
    BTN_action(150, 380, 120, 1, 0, "Pressed", "-");
    BTN_action(650, 380, 0, 0, 0, "Push button", "side label");
    BTN_frame1(4, 512, 300, 600, 0);
    BTN_frame1(5, 362, 300, 300, 0);
    BTN_frame1(7, 200, 240, 150, 0);
    BTN_frame1(8, 400, 240, 80, 0);
    BTN_frame2(16, 550, 200, 120, 80, "Type 16");
    BTN_frame2(17, 700, 200, 120, 80, "Type 17");
    BTN_frame2(18, 850, 200, 120, 80, "Type 18");
    BTN_frame2(19, 60, 120, 120, 80, "Type 19");
    BTN_frame2(20, 210, 120, 120, 80, "Type 20");
    BTN_frame2(14, 360, 120, 120, 80, "Type 14");
    OGL_string(43, 512, 60, "Check Check-updates label split: " , 0, 100, 1);
    BTN_util_draw_label(700, 60, 2, "Check updates", 0);
  };
  // Focus the first text field and the first numeric field in turn by pressing them.
  ui_press(160, 684);
  ui_frame(draw);
  ui_frame(draw);
  ui_frame(draw, false);
  gl_save_png("ui_widgets_text_focused.png");
  OGL_sbuff();
  ui_press(175, 623);
  ui_frame(draw);
  ui_frame(draw, false);
  const std::string path = gl_save_png("ui_widgets.png");
  OGL_sbuff();
  SUCCEED() << path;
}

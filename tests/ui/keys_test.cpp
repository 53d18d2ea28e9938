// The key path without a window: the X key tables, the translation of key
// messages into key events, the key-code map, the widgets' key classes, the
// focus dispatch and the bindings.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "gui/butn.h"
#include "platform/plat_window.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/keys.h"

namespace {
plat_event key_ev(int type, int vkey, int scan, int character, int mods = 0, int repeat = 0,
                  int extended = 0) {
  plat_event ev;
  ev.type = type;
  ev.vkey = vkey;
  ev.key_scan = scan;
  ev.character = character;
  ev.modifiers = mods;
  ev.is_repeat = repeat;
  ev.extended = extended;
  return ev;
}
const int DOWN = PLAT_EV_KEY_DOWN, UP = PLAT_EV_KEY_UP, SH = PLAT_MOD_SHIFT;

// A focusable widget of the test's own: one ring entry and its queue.
struct fake_widget {
  int ids[256] = {}, chars[256] = {}, vkeys[256] = {}, flags[256] = {}, ctr = 0;
  void join_ring(int id, int allow) {
    focus_ring.push_back({id, chars, vkeys, flags, ids, &ctr, 64, allow});
  }
};
}  // namespace

TEST(KeyTables, KeysymToVirtualKey) {
  const struct {
    unsigned long sym;
    int vk;
  } cases[] = {{XK_a, 65},           {XK_A, 65},          {XK_z, 90},          {XK_5, 53},
               {XK_KP_5, 101},       {XK_KP_Begin, 12},   {XK_KP_Left, 37},    {XK_KP_Decimal, 110},
               {XK_KP_Delete, 46},   {XK_F1, 112},        {XK_F24, 135},       {XK_Return, 13},
               {XK_KP_Enter, 13},    {XK_BackSpace, 8},   {XK_ISO_Left_Tab, 9}, {XK_Escape, 27},
               {XK_space, 32},       {XK_Prior, 33},      {XK_Next, 34},       {XK_Home, 36},
               {XK_Delete, 46},      {XK_Insert, 45},     {XK_semicolon, 186}, {XK_equal, 187},
               {XK_comma, 188},      {XK_minus, 189},     {XK_period, 190},    {XK_slash, 191},
               {XK_grave, 192},      {XK_bracketleft, 219}, {XK_backslash, 220}, {XK_bracketright, 221},
               {XK_apostrophe, 222}, {XK_less, 226},      {XK_Shift_L, 16},    {XK_Shift_R, 16},
               {XK_Control_R, 17},   {XK_Alt_L, 18},      {XK_Caps_Lock, 20},  {XK_Num_Lock, 144},
               {XK_Scroll_Lock, 145}, {XK_Pause, 19},     {XK_Cyrillic_a, 0},  {XK_eacute, 0}};
  for (const auto& c : cases) EXPECT_EQ(c.vk, PLAT_keysym_to_vkey(c.sym)) << std::hex << c.sym;
}

TEST(KeyTables, KeycodeToScanCode) {
  // Keycodes of the evdev keymap (Xvfb's and every current X server's).
  const struct {
    int keycode, scan, extended;
  } cases[] = {{9, 0x01, 0},  {36, 0x1C, 0},  {50, 0x2A, 0},  {62, 0x36, 0},  {37, 0x1D, 0},
               {64, 0x38, 0}, {66, 0x3A, 0},  {77, 0x45, 1},  {78, 0x46, 0},  {84, 0x4C, 0},
               {104, 0x1C, 1}, {105, 0x1D, 1}, {108, 0x38, 1}, {113, 0x4B, 1}, {119, 0x53, 1},
               {127, 0x45, 0}, {255, 0, 0},    {8, 0, 0}};
  for (const auto& c : cases) {
    int ext = -1;
    EXPECT_EQ(c.scan, PLAT_keycode_to_scan(c.keycode, &ext)) << c.keycode;
    EXPECT_EQ(c.extended, ext) << c.keycode;
  }
}

TEST(KeyTables, KeyCodeMap) {
  const int cases[][2] = {{0, 0},     {7, 0},     {8, 8},     {9, 9},     {10, 0},    {12, 12},
                          {13, 13},   {14, 0},    {16, 0},    {27, 27},   {31, 0},    {32, 32},
                          {37, 37},   {46, 46},   {47, 47},   {48, 48},   {57, 57},   {58, 0},
                          {64, 0},    {65, 65},   {90, 90},   {91, 0},    {95, 0},    {96, 96},
                          {105, 105}, {107, 107}, {108, 0},   {109, 109}, {110, 110}, {112, 112},
                          {135, 135}, {136, 0},   {144, 0},   {186, 181}, {187, 176}, {188, 183},
                          {189, 177}, {190, 185}, {191, 184}, {192, 186}, {219, 179}, {220, 182},
                          {221, 178}, {222, 180}, {223, 186}, {226, 0},   {255, 0}};
  for (const auto& c : cases) EXPECT_EQ(c[1], vtlm_Key_Map[c[0]]) << c[0];
}

TEST(KeyPath, Translation) {
  const struct {
    const char* name;
    plat_event ev;
    int result, ch, kc, flags;
  } cases[] = {
      {"letter", key_ev(DOWN, 65, 0x1E, 'a'), 1, 'a', 65, 8},
      {"shifted letter", key_ev(DOWN, 65, 0x1E, 'A', SH), 1, 'A', 65, 9},
      {"auto-repeat has no down bit", key_ev(DOWN, 65, 0x1E, 'a', 0, 1), 1, 'a', 65, 0},
      {"release", key_ev(UP, 65, 0x1E, 'a'), 1, 'a', 65, 16},
      {"control letter", key_ev(DOWN, 65, 0x1E, 1, PLAT_MOD_CONTROL), 1, 1, 65, 12},
      {"F1 has no character", key_ev(DOWN, 112, 0x3B, 0), 1, 0, 112, 8},
      {"Home has no character", key_ev(DOWN, 36, 0x47, 0, 0, 0, 1), 1, 0, 36, 8},
      {"left arrow", key_ev(DOWN, 37, 0x4B, 0, 0, 0, 1), 1, 28, 37, 8},
      {"up arrow", key_ev(DOWN, 38, 0x48, 0, 0, 0, 1), 1, 30, 38, 8},
      {"right arrow", key_ev(DOWN, 39, 0x4D, 0, 0, 0, 1), 1, 29, 39, 8},
      {"down arrow", key_ev(DOWN, 40, 0x50, 0, 0, 0, 1), 1, 31, 40, 8},
      {"Return", key_ev(DOWN, 13, 0x1C, 13), 1, 13, 13, 8},
      {"keypad Enter", key_ev(DOWN, 13, 0x1C, 13, 0, 0, 1), 1, 13, 13, 8},
      {"Backspace", key_ev(DOWN, 8, 0x0E, 8), 1, 8, 8, 8},
      {"shift-Tab", key_ev(DOWN, 9, 0x0F, 9, SH), 1, 9, 9, 9},
      {"Escape", key_ev(DOWN, 27, 0x01, 27), 1, 27, 27, 8},
      {"Delete", key_ev(DOWN, 46, 0x53, 127, 0, 0, 1), 1, 127, 46, 8},
      {"keypad 5 (Num Lock)", key_ev(DOWN, 101, 0x4C, '5'), 1, '5', 101, 8},
      {"keypad 7 without a character", key_ev(DOWN, 103, 0x47, 0), 1, '7', 103, 8},
      {"keypad point", key_ev(DOWN, 110, 0x53, 0), 1, '.', 110, 8},
      {"semicolon", key_ev(DOWN, 186, 0x27, ';'), 1, ';', 181, 8},
      {"shifted equal", key_ev(DOWN, 187, 0x0D, '+', SH), 1, '+', 176, 9},
      {"Pause: no key code, still an event", key_ev(DOWN, 19, 0x45, 0), 1, 0, 0, 8},
      {"repeat of a key with nothing", key_ev(DOWN, 19, 0x45, 0, 0, 1), 0, 0, 0, 0},
      {"Num Lock", key_ev(DOWN, 144, 0x45, 0, 0, 0, 1), 0, 0, 0, 0},
      {"Caps Lock", key_ev(DOWN, 20, 0x3A, 0), 0, 0, 0, 0},
      {"Scroll Lock", key_ev(DOWN, 145, 0x46, 0), 0, 0, 0, 0},
      {"left Shift", key_ev(DOWN, 16, 0x2A, 0), 0, 0, 0, 0},
      {"right Shift", key_ev(DOWN, 16, 0x36, 0), 0, 0, 0, 0},
      {"Control", key_ev(DOWN, 17, 0x1D, 0), 0, 0, 0, 0},
      {"Alt", key_ev(DOWN, 18, 0x38, 0), 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    keys_class k;
    int ch = -1, kc = -1, fl = -1;
    EXPECT_EQ(c.result, k.translate_key(c.ev, &ch, &kc, &fl)) << c.name;
    if (!c.result) continue;
    EXPECT_EQ(c.ch, ch) << c.name;
    EXPECT_EQ(c.kc, kc) << c.name;
    EXPECT_EQ(c.flags, fl) << c.name;
  }
}

TEST(KeyPath, ModifierToggles) {
  keys_class k;
  int ch, kc, fl;
  k.translate_key(key_ev(DOWN, 16, 0x2A, 0), &ch, &kc, &fl);
  k.translate_key(key_ev(DOWN, 17, 0x1D, 0), &ch, &kc, &fl);
  k.translate_key(key_ev(DOWN, 18, 0x38, 0), &ch, &kc, &fl);
  EXPECT_EQ(1, k.ShiftToggle);
  EXPECT_EQ(1, k.ControlToggle);
  EXPECT_EQ(1, k.OptionKeyToggle);
  k.translate_key(key_ev(UP, 16, 0x2A, 0), &ch, &kc, &fl);
  k.translate_key(key_ev(UP, 17, 0x1D, 0, 0, 0, 1), &ch, &kc, &fl);  // right Control
  EXPECT_EQ(0, k.ShiftToggle);
  EXPECT_EQ(0, k.ControlToggle);
}

TEST(KeyClasses, Classification) {
  const struct {
    int ch, vk, cls;
  } cases[] = {{9, 9, 1},       {13, 13, 2},     {13, 187, 2},    {8, 8, 4},       {127, 46, 4},
               {27, 27, 8},     {28, 37, 16},    {0, 33, 16},     {31, 40, 16},    {'a', 65, 32},
               {'Z', 90, 32},   {'5', 53, 64},   {'5', 101, 64},  {'0', 48, 64},   {'+', 176, 128},
               {'-', 177, 128}, {'-', 109, 128}, {'(', 57, 256},  {' ', 32, 256},  {'.', 110, 256},
               {'~', 186, 256}, {1, 65, 512},    {0, 112, 512},   {233, 0, 512},   {0, 0, 512}};
  for (const auto& c : cases) EXPECT_EQ(c.cls, BTN_key_class(c.ch, c.vk)) << c.ch << " " << c.vk;
}

class FocusPath : public testing::Test {
 protected:
  void SetUp() override {
    mnw.top_win_now = 0;
    return_hit = 0;
    focus_ring.clear();
    focus_id = 0;
  }
  void TearDown() override {
    focus_ring.clear();
    focus_id = 0;
    return_hit = 0;
  }
};

TEST_F(FocusPath, ShiftAloneReachesNoWidgetAndShiftAReachesItAsCapital) {
  fake_widget w;
  w.join_ring(77, 500);
  focus_id = 77;
  keys_class k;
  k.handle_key_raw(key_ev(DOWN, 16, 0x2A, 0));
  EXPECT_EQ(0, w.ctr);
  k.handle_key_raw(key_ev(DOWN, 65, 0x1E, 'A', SH));
  ASSERT_EQ(1, w.ctr);
  EXPECT_EQ('A', w.chars[0]);
  EXPECT_EQ(65, w.vkeys[0]);
  EXPECT_EQ(1 | 8, w.flags[0]);
  EXPECT_EQ(77, w.ids[0]);
  k.handle_key_raw(key_ev(DOWN, 65, 0x1E, 'A', SH, 1));  // held: repeats without the down bit
  k.handle_key_raw(key_ev(UP, 65, 0x1E, 'A', SH));
  ASSERT_EQ(3, w.ctr);
  EXPECT_EQ(1, w.flags[1]);
  EXPECT_EQ(1 | 16, w.flags[2]);
  EXPECT_EQ(0, return_hit);
}

TEST_F(FocusPath, TabMovesTheFocusAroundTheRing) {
  fake_widget a, b, c;
  a.join_ring(1, 0xd0);
  b.join_ring(2, 500);
  c.join_ring(3, 0xd0);
  keys_class k;
  const plat_event tab = key_ev(DOWN, 9, 0x0F, 9), shift_tab = key_ev(DOWN, 9, 0x0F, 9, SH),
                   tab_up = key_ev(UP, 9, 0x0F, 9);
  k.handle_key_raw(tab_up);
  EXPECT_EQ(0, focus_id) << "a released Tab focuses nothing";
  k.handle_key_raw(tab);
  EXPECT_EQ(1, focus_id) << "Tab with nothing focused takes the first widget";
  k.handle_key_raw(shift_tab);
  EXPECT_EQ(3, focus_id) << "shift-Tab from the first goes to the last";
  k.handle_key_raw(tab);
  EXPECT_EQ(1, focus_id) << "Tab from the last wraps to the first";
  k.handle_key_raw(tab);
  k.handle_key_raw(tab_up);
  EXPECT_EQ(2, focus_id) << "the release moves nothing";
  EXPECT_EQ(0, a.ctr + b.ctr + c.ctr);
  // A widget that is gone: the focus is dropped and Tab starts at the first again.
  focus_id = 99;
  k.handle_key_raw(tab);
  EXPECT_EQ(1, focus_id);
}

TEST_F(FocusPath, KeysOutsideTheWidgetsClassesGoOn) {
  fake_widget num;
  num.join_ring(5, 0xd0);  // navigation, digits, sign
  focus_id = 5;
  keys_class k;
  k.handle_key_raw(key_ev(DOWN, 65, 0x1E, 'a'));
  EXPECT_EQ(0, num.ctr);
  k.handle_key_raw(key_ev(DOWN, 53, 0x06, '5'));
  k.handle_key_raw(key_ev(DOWN, 37, 0x4B, 0, 0, 0, 1));
  k.handle_key_raw(key_ev(DOWN, 189, 0x0C, '-'));
  EXPECT_EQ(3, num.ctr);
  EXPECT_EQ(0, return_hit);
  k.handle_key_raw(key_ev(DOWN, 13, 0x1C, 13));  // not for this widget: Return is hit
  EXPECT_EQ(1, return_hit);
  EXPECT_EQ(3, num.ctr);
}

TEST_F(FocusPath, ReturnSetsTheFlagOnlyWhenPressed) {
  keys_class k;
  k.handle_key_raw(key_ev(UP, 13, 0x1C, 13));
  EXPECT_EQ(0, return_hit);
  k.handle_key_raw(key_ev(DOWN, 13, 0x1C, 13, 0, 0, 1));  // keypad Enter
  EXPECT_EQ(1, return_hit);
}

TEST_F(FocusPath, NothingReachesWidgetsInTheAlertWindow) {
  fake_widget w;
  w.join_ring(8, 500);
  focus_id = 8;
  mnw.top_win_now = 995;
  EXPECT_EQ(0, BTN_dispatch_to_focus('a', 65, 8));
  EXPECT_EQ(0, BTN_dispatch_to_focus(9, 9, 8));
  EXPECT_EQ(8, focus_id);
  mnw.top_win_now = 0;
}

TEST_F(FocusPath, AQueueHoldsAFrameOf256Keys) {
  fake_widget w;
  w.join_ring(4, 500);
  focus_id = 4;
  for (int i = 0; i < 300; i++) EXPECT_EQ(1, BTN_dispatch_to_focus('x', 88, 8));
  EXPECT_EQ(256, w.ctr);
}

TEST(Bindings, PressHoldAndRelease) {
  keys_class k;
  key_binding b;
  b.vkey = 65;
  b.flag = 1;  // shift
  k.key_bindings.push_back(b);
  k.execute_key_cmnd(65, 8);  // without shift: not this binding
  EXPECT_EQ(0, k.key_bindings[0].hold);
  k.execute_key_cmnd(65, 1 | 8);
  EXPECT_EQ(1, k.key_bindings[0].hold);
  k.run_repeat_keys();
  k.execute_key_cmnd(65, 16);  // the release, whatever the modifiers
  EXPECT_EQ(0, k.key_bindings[0].hold);
  k.keys_io(1);  // saves nothing; must not touch the list
  EXPECT_EQ(1u, k.key_bindings.size());
}

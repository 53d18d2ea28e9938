// The test-side frame and input helpers.
#include "support/ui_frame.h"

#include <cctype>
#include <cstdint>

#include "gui/butn.h"
#include "gui/oglp.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/hl_window.h"
#include "shell/keys.h"
#include "shell/xtim.h"
#include "support/gl_helpers.h"

static int64_t g_test_us = 1000000;
static int64_t test_clock() { return g_test_us; }

bool ui_start() {
  if (!gl_test_start()) return false;
  static bool once = false;
  if (!once) {
    once = true;
    DOVAVI_hook_window();
    // Whatever the server sends at first (the window's exposure) is taken now.
    for (int i = 0; i < 20; i++) {
      DOVAVI_wait_for_input(5);
      DOVAVI_pump_messages();
    }
  }
  xtim_clock_source = test_clock;
  xtim.reset();
  ogl_inited = 1;
  DOVAVI_clear_menus(1);
  active_popup_code = select_popup_code = popup_menu_select = 0;
  mnw.win_x = mnw.win_y = 0;
  mnw.mx = mnw.my = 0;
  DOVAVI_startwind(0);
  mnw.mouse_clicked = mnw.mouse_lifted = mnw.now_dragging = 0;
  return_hit = 0;
  focus_ring.clear();
  BTN_unfocus_any();
  stls.help_message.clear();
  return true;
}

void ui_frame(const std::function<void()>& draw, bool swap) {
  xtim.xtim_update();
  keys.run_repeat_keys();
  mnw.cursor_type = 0;
  if (mnw.menu_up >= 0) DOVAVI_menu_rollover();
  BTN_begin_focus_ring();
  OGL_plot_back_col();
  if (draw) draw();
  mouse_help_per_wind(mnw.top_win_now);
  standard_gui();
  if (swap) OGL_sbuff();
  return_hit = 0;
  mnw.mouse_clicked = 0;
  mnw.mouse_lifted = 0;
  xtim.total_frames++;
  g_test_us += 20000;
}

void ui_move(float x, float y) {
  mnw.mx = x;
  mnw.my = y;
}

void ui_press(float x, float y) {
  ui_move(x, y);
  mnw.mouse_clicked = 1;
  mnw.mouse_button = 1;
  DOVAVI_handleclick(0);
}

void ui_release() { mnw.mouse_lifted = 1; }

void ui_key(int vkey, int character, int mods, bool up) {
  plat_event ev;
  ev.type = up ? PLAT_EV_KEY_UP : PLAT_EV_KEY_DOWN;
  ev.vkey = vkey;
  ev.character = character;
  ev.modifiers = mods;
  ev.key_scan = 0x10;  // some ordinary key; the path looks only at lock and modifier codes
  keys.handle_key_raw(ev);
}

void ui_type(const std::string& text) {
  for (char c : text) {
    int vk = 0, mods = 0;
    if (isalpha((unsigned char)c)) {
      vk = toupper((unsigned char)c);
      if (isupper((unsigned char)c)) mods = PLAT_MOD_SHIFT;
    } else if (isdigit((unsigned char)c)) {
      vk = c;
    } else if (c == ' ') {
      vk = 32;
    } else if (c == '.') {
      vk = 190;
    } else if (c == '-') {
      vk = 189;
    }
    ui_key(vk, (unsigned char)c, mods);
    ui_key(vk, (unsigned char)c, mods, true);
  }
}

void ui_advance(float seconds) { g_test_us += (int64_t)(seconds * 1e6); }

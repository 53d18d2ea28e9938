// The window-manager state and the window manager: opening windows, routing
// presses (close boxes, menus, the popup list), drawing the open menu, and the
// mouse help with the pointer's visibility.
#include "shell/hl_mnw.h"

#include <cmath>

#include "gui/butn.h"
#include "gui/oglp.h"
#include "platform/plat_window.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"
#include "shell/hl_window.h"
#include "shell/keys.h"
#include "shell/xtim.h"

mnw_class::mnw_class() {}

mnw_class mnw;
std::vector<menu_struct> menu;
int active_popup_code = 0;
int select_popup_code = 0;
int popup_menu_select = 0;
int plot_init_lights = 0;
int OS_mouse_showing = 1;
int mouse_was_plugin = 0;
void (*g_app_handlemenu)(int item_code) = nullptr;

namespace {
struct window_spec {
  int number;
  float dx, dy;
  int name_entry;        // text entry naming the window, -1: the fixed name below
  const char* name;
};
const window_spec k_windows[] = {
    {1, 500, 300, -1, "EULA"},
    {2, 600, 380, -1, "Prefs"},
    {995, 420, 250, 600, ""},
    {997, 700, 146, 601, ""},
    {996, 600, 130, -1, "Choose a folder"},
    {998, 600, 440, -1, "Choose a folder"},
};

float round_half_away(float v) { return v < 0 ? -floorf(-v + 0.5f) : floorf(v + 0.5f); }

float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

bool inside(float x, float y, float x1, float y1, float x2, float y2) {
  return x >= x1 && x <= x2 && y >= y1 && y <= y2;
}

bool choosable(const item_struct& it) {
  return !it.item_name.empty() && it.item_name[0] != '-' && it.item_name[0] != '=';
}
}  // namespace

// ---- Opening windows ----

void DOVAVI_startwind(int top_win_new) {
  plot_init_lights = 1;
  mouse_help_per_wind(top_win_new);
  OGL_viewport(2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.0f, 0);

  mnw.win_dx = (float)mnw.x_res_now;
  mnw.win_dy = (float)mnw.y_res_now;
  mnw.is_modal = 0;
  for (const window_spec& w : k_windows) {
    if (w.number != top_win_new) continue;
    mnw.win_dx = w.dx;
    mnw.win_dy = w.dy;
    stls.win_name = w.name_entry >= 0 ? stls.text[w.name_entry] : w.name;
    mnw.is_modal = 1;
  }

  BTN_unfocus_any();
  mnw.menu_up = -1;
  mnw.top_win_now = mnw.top_win_cmnd = top_win_new;

  const float k = mnw.xy_scale_now > 0 ? mnw.xy_scale_now : 1.0f;
  const float old_x = mnw.win_x, old_y = mnw.win_y;
  mnw.win_x = truncf(round_half_away((mnw.x_res_now - mnw.win_dx * k) * 0.5f) / k);
  mnw.win_y = truncf(round_half_away((mnw.y_res_now - mnw.win_dy * k) * 0.5f) / k);
  if (mnw.win_x < 0) mnw.win_x = 0;
  if (mnw.win_y < 0) mnw.win_y = 0;
  // The pointer is kept relative to the current window; until it moves again it
  // must read where it is in the new one.
  mnw.mx += old_x - mnw.win_x;
  mnw.my += old_y - mnw.win_y;

  mnw.now_dragging = 0;
  mnw.mouse_clicked = 0;
  mnw.mouse_wheel = 0;
  if (menu.size() > (size_t)menu_popup_slot) {
    menu_struct& p = menu[menu_popup_slot];
    p.menux1 = p.menuy1 = p.menux2 = p.menuy2 = -1;
  }
}

// ---- Presses ----

void DOVAVI_handleclick(int enter_close) {
  const int win = mnw.top_win_now;
  const float mx = mnw.mx, my = mnw.my;
  if (mnw.is_modal && !(win >= 995 && win <= 999)) {
    const bool in_box = (inside(mx, my, 0, mnw.win_dy - 20, 25, mnw.win_dy) ||
                         inside(mx, my, mnw.win_dx - 25, mnw.win_dy - 20, mnw.win_dx, mnw.win_dy));
    if (in_box || enter_close) {
      BTN_zap_boxes(1);
      OGL_sbuff();
      return_hit = 0;
      DOVAVI_startwind(0);
      return;
    }
  }
  if (win == 0) {
    const size_t n = menu.size() < (size_t)menu_popup_slot ? menu.size() : (size_t)menu_popup_slot;
    for (size_t i = 0; i < n; i++) {
      const menu_struct& m = menu[i];
      if (m.menu_name.empty()) continue;  // unused slots never catch the mouse
      if (m.menu_prnt != -1 && m.menu_prnt != mnw.menu_up) continue;
      if (!inside(mx, my, m.menux1, m.menuy1, m.menux2, m.menuy2)) continue;
      mnw.menu_up = mnw.menu_up == (int)i ? -1 : (int)i;
      mnw.mouse_clicked = 0;
      return;
    }
  }
  if (mnw.menu_up >= 0 && (size_t)mnw.menu_up < menu.size()) {
    const menu_struct& m = menu[(size_t)mnw.menu_up];
    for (size_t i = 0; i < m.item.size(); i++) {
      const item_struct& it = m.item[i];
      if (!choosable(it) || !inside(mx, my, it.itemx1, it.itemy1, it.itemx2, it.itemy2)) continue;
      if (mnw.menu_up == menu_popup_slot) {
        popup_menu_select = (int)i;
        select_popup_code = active_popup_code;
        active_popup_code = 0;
      } else if (g_app_handlemenu) {
        g_app_handlemenu(it.item_code);
      }
      mnw.menu_up = -1;
      mnw.mouse_clicked = 0;
      return;
    }
    // A press beside the items ends the popup: its widget must not open it again.
    if (mnw.menu_up == menu_popup_slot) active_popup_code = 0;
    mnw.menu_up = -1;
  }
}

void DOVAVI_clear_menus(int level) {
  if (level != 1) return;
  menu.clear();
  menu.resize((size_t)menu_popup_slot + 1);
}

void DOVAVI_menu_rollover() {
  if (mnw.menu_up < 0) return;
  const size_t n = menu.size() < (size_t)menu_popup_slot ? menu.size() : (size_t)menu_popup_slot;
  for (size_t i = 0; i < n; i++) {
    const menu_struct& m = menu[i];
    if (m.menu_name.empty() || m.menu_prnt != -1 || (int)i == mnw.menu_up) continue;
    if (inside(mnw.mx, mnw.my, m.menux1, m.menuy1, m.menux2, m.menuy2)) {
      DOVAVI_handleclick(0);
      return;
    }
  }
}

// ---- The open menu ----

void standard_gui() {
  if (mnw.menu_up < 0 || (size_t)mnw.menu_up >= menu.size()) return;
  const bool popup = mnw.menu_up == menu_popup_slot;
  const menu_struct& m = menu[(size_t)mnw.menu_up];
  float left = 9999, bottom = 9999, right = 0, top = 0;
  bool any = false;
  int hover = -1;
  for (size_t i = 0; i < m.item.size(); i++) {
    const item_struct& it = m.item[i];
    if (it.item_name.empty()) continue;
    any = true;
    left = fminf(left, it.itemx1);
    right = fmaxf(right, it.itemx2);
    bottom = fminf(bottom, it.itemy1 - 2.0f);
    top = fmaxf(top, it.itemy2 + 2.0f);
    if (choosable(it) && inside(mnw.mx, mnw.my, it.itemx1, it.itemy1, it.itemx2, it.itemy2 - 1))
      hover = (int)i;
  }
  if (!any) left = bottom = right = top = 0;
  BTN_frame2(17, left, bottom, right - left, top - bottom, "");
  if (hover >= 0) {
    const item_struct& it = m.item[(size_t)hover];
    OGL_fillrect(36, 0.25f, it.itemx1, it.itemy1, it.itemx2 - it.itemx1, it.itemy2 - it.itemy1);
  }
  const item_struct* prev = nullptr;
  for (const item_struct& it : m.item) {
    if (it.item_name.empty()) continue;
    if (prev && it.itemx1 != prev->itemx1) {
      OGL_line(35, 1.0f, it.itemx1 - 1.0f, bottom - 1, it.itemx1 - 1.0f, top);
      OGL_line(37, 1.0f, it.itemx1, top, it.itemx1, bottom - 1);
    }
    prev = &it;
  }
  for (const item_struct& it : m.item) {
    if (it.item_name.empty()) continue;
    if (it.item_name[0] == '-') {
      OGL_line(35, 1.0f, it.itemx1, it.itemy1 + 1.0f, it.itemx2 - 1.0f, it.itemy1 + 1.0f);
      OGL_line(37, 1.0f, it.itemx1, it.itemy1, it.itemx2 - 1.0f, it.itemy1);
    } else {
      // Font 103 (Korean) is not part of this program; such items use the interface font.
      OGL_string(38, it.itemx1 + (popup ? 3.0f : 18.0f), it.itemy1 + 3.0f, it.item_name, 0, 100, 0);
    }
  }
}

// ---- Mouse help and the pointer ----

int mouse_help_box_height(int length) {
  int h = 10 * (length / 50) + 20;
  if (h < 60) h = 60;
  if (h > 300) h = 300;
  return h;
}

void mouse_help_per_wind(int top_win_new) {
  const float still = xtim.real_time - mnw.m_move_time;
  if (!stls.help_message.empty() && still > 1.0f) {
    const float h = (float)mouse_help_box_height((int)stls.help_message.size());
    const float x = clampf(mnw.mx - 400 - 15, 10 - mnw.win_x, mnw.x_res_now - 10 - mnw.win_x - 400);
    const float y = clampf(mnw.my + 15, 10 - mnw.win_y, mnw.y_res_now - 20 - mnw.win_y - h);
    BTN_frame2(14, x - 10, y - 10, 420, h + 20, "");
    OGL_string(47, x + 3, y + h - 10, stls.help_message, 394, 100, 0);
  }
  stls.help_message.clear();

  if (still > 10.0f && mnw.top_win_now == 0) mnw.cursor_type = 2;
  if (top_win_new >= 993 && top_win_new <= 999) mnw.cursor_type = 0;

  const int want_showing = mnw.cursor_type <= 1;
  if (want_showing != OS_mouse_showing) {
    OS_mouse_showing = want_showing;
    PLAT_cursor_show(mnw.window[0], want_showing);
  }
  if (mnw.cursor_type != 1 && mouse_was_plugin) PLAT_cursor_arrow(mnw.window[0]);
  mouse_was_plugin = mnw.cursor_type == 1;

  if (mnw.cursor_type == 13 || mnw.cursor_type == 14) {
    const float u = -1, v = mnw.cursor_type == 13 ? 1.0f : 0.0f;
    const float s = (200 + 32 * u) / 512, t = (293 + 32 * v) / 512, d = 30.0f / 512;
    const float x1 = mnw.mx - 13, y1 = mnw.my - 19, x2 = mnw.mx + 17, y2 = mnw.my + 11;
    OGL_2dquad(388, 49, 1.0f, x1, y1, s, t, x1, y2, s, t + d, x2, y2, s + d, t + d, x2, y1, s + d, t, 1, 5);
  }
}

// ---- Hooks of the window procedure ----

// An exposed window is laid out again, as if it had just been opened.
static void relayout_on_paint() {
  if (mnw.context[0] && mnw.top_win_now >= -1) DOVAVI_startwind(mnw.top_win_now);
}

void DOVAVI_hook_window() {
  g_window_key_hook = keys_window_key_hook;
  g_window_click_hook = DOVAVI_handleclick;
  g_window_paint_hook = relayout_on_paint;
}

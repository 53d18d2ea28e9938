// Widgets and the keyboard focus ring.
//
// Sections: focus ring and key queues; labels; sprites and frames; windows and
// panels; push button, check box, radio choice; popup list; numeric fields; text
// field (with the edit engine's callbacks).
#include "gui/butn.h"

#include <cctype>
#include <cmath>

#include "gui/ogle.h"
#include "gui/oglp.h"
#include "gui/colr.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "shell/xtim.h"

std::vector<focus_info_t> focus_ring;
int focus_id = 0;
int wind_focus = 0;
int BTN_hot_digit = 0;

namespace {
const float k_sheet = 512.0f;
const int k_queue_size = 256;

// One widget kind's key queue.
struct key_queue {
  int id_slot[k_queue_size] = {};
  int char_slot[k_queue_size] = {};
  int vkey_slot[k_queue_size] = {};
  int flag_slot[k_queue_size] = {};
  int ctr_slot = 0;
};
key_queue q_number, q_text;

int widget_id(float x, float y) { return (int)x * 8192 + (int)y; }

float round_half_away(float v) { return v < 0 ? -floorf(-v + 0.5f) : floorf(v + 0.5f); }

bool in_box(float x1, float y1, float x2, float y2) {
  return mnw.mx >= x1 && mnw.mx <= x2 && mnw.my >= y1 && mnw.my <= y2;
}

void ring_register(int id, key_queue& q, int allow_keys) {
  focus_info_t f;
  f.who_am_i = id;
  f.char_slot = q.char_slot;
  f.vkey_slot = q.vkey_slot;
  f.flag_slot = q.flag_slot;
  f.id_slot = q.id_slot;
  f.ctr_slot = &q.ctr_slot;
  f.depth = 64;
  f.allow_keys = allow_keys;
  focus_ring.push_back(f);
}

// Hands each queued key of widget `id` (not releases) to `handle`, zeroing the
// entries; the counter starts again at 0 once nothing is left.
template <typename F>
void drain_queue(key_queue& q, int id, F handle) {
  const int n = q.ctr_slot < k_queue_size ? q.ctr_slot : k_queue_size;
  bool left = false;
  for (int i = 0; i < n; i++) {
    if (q.id_slot[i] == 0) continue;
    if (q.id_slot[i] != id) {
      left = true;
      continue;
    }
    if (!(q.flag_slot[i] & 16)) handle(q.char_slot[i], q.vkey_slot[i], q.flag_slot[i]);
    q.id_slot[i] = q.char_slot[i] = q.vkey_slot[i] = q.flag_slot[i] = 0;
  }
  if (!left) q.ctr_slot = 0;
}

// Entries of a widget that was not drawn since they were queued would stay for
// good and fill the queue; at a new ring only the focused widget's are kept.
void purge_queue(key_queue& q) {
  const int n = q.ctr_slot < k_queue_size ? q.ctr_slot : k_queue_size;
  bool left = false;
  for (int i = 0; i < n; i++) {
    if (q.id_slot[i] != 0 && q.id_slot[i] != focus_id)
      q.id_slot[i] = q.char_slot[i] = q.vkey_slot[i] = q.flag_slot[i] = 0;
    if (q.id_slot[i] != 0) left = true;
  }
  if (!left) q.ctr_slot = 0;
}

void set_help(const std::string& help) {
  if (!help.empty()) stls.help_message = help;
}

// A rectangle of the sheet `tex` (size n texels) at (x, y), w x h, 1:1.
void sheet_rect(int tex, float n, float x, float y, float w, float h, float s, float t, int color) {
  if (w <= 0 || h <= 0) return;
  OGL_2dquad(tex, color, 1.0f, x, y, s / n, t / n, x, y + h, s / n, (t + h) / n, x + w, y + h,
             (s + w) / n, (t + h) / n, x + w, y, (s + w) / n, t / n, 1, 5);
}

// Fills [x0, x1) with pieces of length `span`, the last one trimmed.
template <typename F>
void tile(float x0, float x1, float span, F piece) {
  if (span <= 0) return;
  for (float x = x0; x < x1 - 0.001f; x += span) piece(x, fminf(span, x1 - x));
}
}  // namespace

// ---- Focus ring and key queues ----

int BTN_key_class(int ch, int vk) {
  if (vk == 9) return key_class_tab;
  if (vk == 13 || vk == 187) return key_class_return;
  if (vk == 8 || vk == 46) return key_class_delete;
  if (vk == 27) return key_class_escape;
  if (vk >= 33 && vk <= 40) return key_class_nav;
  if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) return key_class_letter;
  if (ch >= '0' && ch <= '9') return key_class_digit;
  if (ch == '+' || ch == '-') return key_class_sign;
  if (ch > 0 && ch < 256 && isprint(ch)) return key_class_print;
  return key_class_other;
}

void BTN_begin_focus_ring() {
  focus_ring.clear();
  wind_focus = 0;
  purge_queue(q_number);
  purge_queue(q_text);
}

void BTN_unfocus_any() { focus_id = 0; }

int BTN_dispatch_to_focus(int charcode, int vkey, int flags) {
  if (mnw.top_win_now == 995) return 0;
  const bool tab_down = vkey == 9 && !(flags & 16);
  auto focus_first = [&]() -> int {
    if (!tab_down || focus_ring.empty()) return 0;
    focus_id = focus_ring[0].who_am_i;
    return 1;
  };
  if (focus_id == 0) return focus_first();
  int at = -1;
  for (size_t i = 0; i < focus_ring.size(); i++)
    if (focus_ring[i].who_am_i == focus_id) at = (int)i;
  if (at < 0) {
    focus_id = 0;
    return focus_first();
  }
  const focus_info_t& f = focus_ring[(size_t)at];
  if (!(f.allow_keys & key_class_tab) && tab_down) {
    const int n = (int)focus_ring.size();
    const int next = (flags & 1) ? (at + n - 1) % n : (at + 1) % n;
    focus_id = focus_ring[(size_t)next].who_am_i;
    return 1;
  }
  if (!(BTN_key_class(charcode, vkey) & f.allow_keys)) return 0;
  int& ctr = *f.ctr_slot;
  if (ctr < k_queue_size) {
    f.char_slot[ctr] = charcode;
    f.vkey_slot[ctr] = vkey;
    f.flag_slot[ctr] = flags;
    f.id_slot[ctr] = focus_id;
    ctr++;
  }
  return 1;
}

// ---- Labels ----

void BTN_expand_label(const std::string& input, std::string* label1, std::string* label2,
                      std::string* help) {
  const size_t bar = input.rfind('|');
  const size_t brace = input.rfind('{');
  const size_t text_end = brace == std::string::npos ? input.size() : brace;
  std::string l1, l2, h;
  if (bar != std::string::npos && bar < text_end) {
    l1 = input.substr(0, bar);
    l2 = input.substr(bar + 1, text_end - bar - 1);
  } else {
    l1 = input.substr(0, text_end);
  }
  if (brace != std::string::npos && brace + 2 <= input.size()) h = input.substr(brace + 2);
  if (label1) *label1 = l1;
  if (label2) *label2 = l2;
  if (help) *help = h;
}

int BTN_label_break(const std::string& label) {
  if (label.size() <= 12 || label[0] == '-') return -1;
  const float mid = label.size() * 0.5f;
  int best = -1;
  float best_d = 0;
  for (size_t i = 0; i < label.size(); i++) {
    const char c = label[i];
    if (c != ' ' && c != '-' && c != '/') continue;
    const float d = fabsf((float)i - mid);
    if (best < 0 || d < best_d) best = (int)i, best_d = d;
  }
  if (best <= 0 || best >= (int)label.size() - 1) return -1;
  return best;
}

void BTN_util_draw_label(float x, float y, int side, const std::string& input_label, int is_red) {
  if (input_label.empty()) return;
  const int color = is_red ? 80 : 43;
  const int just = side == 0 ? 2 : (side == 1 ? 1 : 0);
  if (input_label[0] == '-') {
    OGL_string(color, x, y, input_label.substr(1), 0, 100, just);
    return;
  }
  const int cut = side == 1 ? -1 : BTN_label_break(input_label);
  if (cut < 0) {
    OGL_string(color, x, y, input_label, 0, 100, just);
    return;
  }
  OGL_string(color, x, y + 5, input_label.substr(0, (size_t)cut), 0, 100, just);
  OGL_string(color, x, y - 5, input_label.substr((size_t)cut + 1), 0, 100, just);
}

// ---- Sprites and frames ----

void BTN_util_element(float xc, float yc, float sc, float tc, float sdx, float sdy, int color) {
  sheet_rect(388, k_sheet, xc - sdx, yc - sdy, 2 * sdx, 2 * sdy, sc - sdx, tc - sdy, color);
}

void BTN_frame1(int type, float x_center, float y_center, float dx_control, int color) {
  struct strip {
    int type;
    float cap, w, h, s, t, shadow, lower;
  };
  static const strip k[] = {{0, 10, 100, 26, 1, 487, 0, 3},   {1, 20, 100, 26, 102, 487, 0, 3},
                            {2, 10, 52, 26, 304, 486, 0, 0},  {3, 10, 52, 26, 304, 459, 0, 0},
                            {4, 10, 28, 16, 112, 161, 0, 0},  {5, 10, 28, 16, 83, 161, 0, 0},
                            {7, 10, 65, 24, 240, 242, 0, 0},  {8, 7, 16, 16, 289, 219, 0, 0},
                            {9, 10, 51, 26, 262, 133, 2, 0},  {10, 26, 68, 24, 357, 488, 2, 0}};
  const strip* st = nullptr;
  for (const strip& s : k)
    if (s.type == type) st = &s;
  if (!st) {
    __DOVAVI_alert(0, "Bad BTN_frame1 call!", "", "", "", t_exit, "butn", 374);
    return;
  }
  const float xc = round_half_away(x_center);
  const float dx = 2 * round_half_away(dx_control * 0.5f);
  const float W = dx + 2 * st->shadow;
  const float left = xc - W / 2, y = y_center - st->lower - st->h / 2;
  const float cap = fminf(st->cap, W / 2);
  sheet_rect(388, k_sheet, left, y, cap, st->h, st->s, st->t, color);
  sheet_rect(388, k_sheet, left + W - cap, y, cap, st->h, st->s + st->w - cap, st->t, color);
  tile(left + cap, left + W - cap, st->w - 2 * st->cap,
       [&](float x, float w) { sheet_rect(388, k_sheet, x, y, w, st->h, st->s + st->cap, st->t, color); });
}

void BTN_frame2(int type, float x, float y, float dx, float dy, const std::string& title) {
  struct square {
    int type;
    float sx, sb, st, size, s, t, T, B, S;
    int tex;
    float n;
    int title_color;
  };
  static const square k[] = {
      {11, 9, 14, 4, 100, 1, 358, 30, 30, 35, 388, 512, 40},
      {12, 9, 14, 4, 100, 102, 358, 30, 30, 35, 388, 512, 43},
      {13, 9, 14, 4, 100, 203, 358, 30, 30, 35, 388, 512, 43},
      {14, 9, 14, 4, 100, 304, 358, 30, 30, 35, 388, 512, 43},
      {15, 9, 14, 4, 100, 405, 358, 30, 30, 35, 388, 512, 47},
      {16, 2, 2, 2, 68, 1, 289, 20.4f, 20.4f, 23.8f, 388, 512, 43},
      {17, 8, 13, 2, 42, 70, 315, 14, 26, 20, 388, 512, 43},
      {18, 8, 13, 2, 42, 113, 315, 12.6f, 12.6f, 14.7f, 388, 512, 43},
      {19, 6, 9, 4, 44, 440, 12, 13.2f, 13.2f, 15.4f, 388, 512, 43},
      {20, 1, 1, 1, 41, 774, 78, 12.3f, 12.3f, 14.35f, 389, 1024, 43}};
  const square* q = nullptr;
  for (const square& s : k)
    if (s.type == type) q = &s;
  if (!q) {
    __DOVAVI_alert(0, "Bad BTN_frame2 call!", "", "", "", t_exit, "butn", 438);
    return;
  }
  const float X0 = x - q->sx, Y0 = y - q->sb, W = dx + 2 * q->sx, H = dy + q->sb + q->st;
  // Borders never more than half the rectangle, so a small panel keeps its corners whole.
  const float S = fminf(q->S, W / 2), T = fminf(q->T, H / 2), B = fminf(q->B, H / 2);
  const float cs[3] = {0, q->S, q->size - q->S}, cw[3] = {S, q->size - 2 * q->S, S};
  const float rs[3] = {0, q->B, q->size - q->T}, rh[3] = {B, q->size - q->B - q->T, T};
  const float cx[4] = {X0, X0 + S, X0 + W - S, X0 + W};
  const float ry[4] = {Y0, Y0 + B, Y0 + H - T, Y0 + H};
  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++)
      tile(cx[c], cx[c + 1], cw[c], [&](float px, float pw) {
        tile(ry[r], ry[r + 1], rh[r], [&](float py, float ph) {
          sheet_rect(q->tex, q->n, px, py, pw, ph, q->s + cs[c], q->t + rs[r], 0);
        });
      });
  if (!title.empty()) {
    const float tx = type == 20 ? x + 10 : x + dx / 2 - menu_dx(title) / 2;
    const float ty = type == 11 ? y + dy - 13 : y + dy - 16;
    OGL_string(q->title_color, tx, ty, title, 0, 100, 0);
  }
  const int win = mnw.top_win_now;
  if (type == 11 && win != 0 && !(win >= 995 && win <= 999)) BTN_zap_boxes(0);
}

int BTN_zap_boxes(int pressed) {
  const float s = pressed ? 206 : 187, t = 129;
  const float xs[2] = {16, mnw.win_dx - 16}, y = mnw.win_dy - 10;
  for (float x : xs) {
    BTN_util_element(x, y, s, t, 9, 9, 0);
    if (mnw.mouse_clicked && fabsf(mnw.mx - x) <= 9 && fabsf(mnw.my - y) <= 9) return 1;
  }
  return 0;
}

// ---- Windows and panels ----

void BTN_fillwin(int bar, int fill_type) {
  BTN_frame2(bar ? 11 : 12, 0, 0, mnw.win_dx, mnw.win_dy, stls.win_name);
  if (fill_type == 1)
    BTN_frame1(1, mnw.win_dx / 2, mnw.win_dy - 50, mnw.win_dx, 0);
  else if (fill_type != 21)
    BTN_frame2(fill_type, 10, 10, mnw.win_dx - 20, mnw.win_dy - 40, "");
}

void BTN_subwin(float tab_dy, int win_type, float x, float y, float dx, float dy,
                const std::string& str, float* x2, float* y2) {
  if (x < 0) x = 10;
  if (y < 0) y = 10;
  if (dx < 0) dx = mnw.win_dx - 10 - x;
  if (dy < 0) dy = mnw.win_dy - 28 - y - tab_dy;
  BTN_frame2(win_type, x, y, dx, dy, str);
  if (x2) *x2 = x + dx + 10;
  if (y2) *y2 = y + dy + 10;
}

void BTN_util_draw_boxed_button(float x_center, float y_center, float dx_control, float box_os,
                                int num_boxes) {
  BTN_frame1(9, x_center, y_center, dx_control, 0);
  for (int i = 0; i < num_boxes; i++) {
    const float cx = x_center + i * 10 - num_boxes * 5 + box_os + 5;
    BTN_util_element(cx, y_center + 15, 83, 197, 7, 9, 0);
    BTN_util_element(cx, y_center - 13, 83, 178, 7, 9, 0);
  }
}

// ---- Push button, check box, radio choice ----

int BTN_action(float x_center, float y_center, float dx_control, int pressed, int show_press,
               const std::string& input_label, const std::string& side_label) {
  std::string label1, label2, help;
  BTN_expand_label(input_label, &label1, &label2, &help);
  const float width = dx_control <= 0 ? menu_dx(input_label) + 21 : dx_control;
  BTN_frame1(2, x_center, y_center, width, 0);
  if (pressed) BTN_frame1(3, x_center, y_center, width, 0);
  BTN_util_draw_label(x_center, y_center - 3, 1, label1, show_press == 2 && pressed);
  if (side_label != "-")
    OGL_string(45, x_center + width / 2 + 10, y_center + 7, side_label, 500, 100, 0);

  if (mnw.menu_up != -1) return 0;
  if (!in_box(x_center - width / 2, y_center - 10, x_center + width / 2, y_center + 10)) return 0;
  set_help(help);
  if (!mnw.mouse_clicked) return 0;
  if (!pressed && show_press) {
    BTN_frame1(3, x_center, y_center, width, 0);
    BTN_util_draw_label(x_center, y_center - 3, 1, label1, show_press == 2);
    OGL_sbuff();
  }
  return 1;
}

int BTN_bool(float x, float y, int* var, const std::string& input_label, int is_list_sel) {
  std::string label1, label2, help;
  BTN_expand_label(input_label, &label1, &label2, &help);
  int changed = 0;
  if (mnw.menu_up == -1 && in_box(x - 8, y - 4, x + 8, y + 12)) {
    set_help(help);
    if (mnw.mouse_clicked) {
      *var = *var ? 0 : 1;
      changed = 1;
    }
  }
  const float bs = is_list_sel ? 132 : 187, bt = is_list_sel ? 92 : 148;
  const float ms = is_list_sel ? 151 : 206, mt = bt;
  BTN_util_element(x, y + 3, bs, bt, 9, 9, 0);
  if (*var) BTN_util_element(x, y + 3, ms, mt, 9, 9, 0);
  BTN_util_draw_label(x - 12, y, 0, label1, 0);
  BTN_util_draw_label(x + 12, y, 2, label2, 0);
  return changed;
}

int BTN_is_int(float x, float y, int* var, int target, const std::string& input_label) {
  int on = *var == target;
  const int r = BTN_bool(x, y, &on, input_label, 1);
  if (on) *var = target;
  return r;
}

// ---- Popup list ----

int BTN_textlist(float x, float y, int* sel, const std::string& stl_list,
                 const std::string& input_label) {
  // Where the open list's layout starts, moved a line per frame to stay on screen;
  // *sel itself changes only when the user picks an item.
  static int layout_sel = 0;
  static int layout_code = 0;

  if (stl_list.find('|') != std::string::npos) {
    __DOVAVI_alert(0, "Found | char in text string!", "", "", "", t_exit, "butn", 824);
    return 0;
  }
  std::vector<std::string> items(1);
  for (char c : stl_list) {
    if (c == '-') {
      items.emplace_back();
      if (items.size() >= 300) {
        __DOVAVI_alert(0, "BTN_text_list overflow!", "", "", "", t_exit, "butn", 828);
        return 0;
      }
    } else {
      items.back() += c;
    }
  }
  const int last = (int)items.size() - 1;
  if (*sel < 0) *sel = 0;
  if (*sel > last) *sel = last;

  std::string label1, label2, help;
  BTN_expand_label(input_label, &label1, &label2, &help);
  float max_dx = 0;
  for (const std::string& it : items) max_dx = fmaxf(max_dx, menu_dx(it));
  max_dx = truncf(max_dx);
  BTN_frame1(10, x + 10, y + 5, max_dx + 28, 0);
  // The labels keep clear of the button's frame, which with its shadow reaches to
  // max_dx / 2 + 6 left of x and max_dx / 2 + 26 right of it.
  BTN_util_draw_label(x - max_dx / 2 - 10, y, 0, label1, 0);
  BTN_util_draw_label(x + max_dx / 2 + 30, y, 2, label2, 0);

  const int code = (int)(y * 1024 + x);
  const bool over = in_box(x + 10 - (max_dx / 2 + 15), y - 2, x + 10 + max_dx / 2 + 15, y + 8);
  if (mnw.menu_up == -1 && over && mnw.mouse_clicked && active_popup_code != code) {
    active_popup_code = code;
    layout_sel = *sel;
    layout_code = code;
  }

  int result = 0;
  if (select_popup_code == code) {
    *sel = popup_menu_select < 0 ? 0 : (popup_menu_select > last ? last : popup_menu_select);
    select_popup_code = 0;
    result = 1;
  }

  if (active_popup_code == code && menu.size() > (size_t)menu_popup_slot) {
    if (layout_code != code) layout_sel = *sel, layout_code = code;
    mnw.menu_up = menu_popup_slot;
    menu_struct& m = menu[menu_popup_slot];
    m.menu_prnt = -1;
    m.item.assign(items.size(), item_struct());
    const short left = (short)((int)(x - max_dx / 2) - 2), right = (short)((int)(x + max_dx / 2) + 4);
    for (size_t i = 0; i < items.size(); i++) {
      item_struct& it = m.item[i];
      it.item_name = items[i];
      it.itemx1 = left;
      it.itemx2 = right;
      it.itemy1 = (short)(y - ((int)i - layout_sel) * 12 - 3);
      it.itemy2 = (short)(it.itemy1 + 12);
    }
    const float lowest = m.item.back().itemy1, highest = m.item.front().itemy2;
    if (lowest < 0 && layout_sel < last)
      layout_sel++;
    else if (highest > mnw.win_dy && layout_sel > 0 && lowest - 12 >= 0)
      layout_sel--;
  } else {
    OGL_string(38, x, y, items[(size_t)*sel], 0, 100, 1);
    if (mnw.menu_up == -1 && over) set_help(help);
  }
  return result;
}

// ---- Numeric fields ----

int BTN_flt_range(float x, float y, float* var, int dig, int dec, float lo, float hi,
                  const std::string& input_label) {
  if (dig < 1) dig = 1;
  const int id = widget_id(x, y);
  const float old = *var;
  double val = *var;
  std::string label1, label2, help;
  BTN_expand_label(input_label, &label1, &label2, &help);
  const float strip_right = x + dig * 10.0f;
  auto place = [&](int cell) { return pow(10.0, dig - dec - 1 - cell); };
  auto cell_at = [&](float mx) {
    int c = (int)floorf((mx - x) / 10);
    return c < 0 ? 0 : (c >= dig ? dig - 1 : c);
  };

  const bool mouse_ok = mnw.menu_up == -1;
  if (mouse_ok && in_box(x, y - 2, strip_right, y + 8)) {
    set_help(help);
    if (mnw.mouse_clicked) {
      focus_id = id;
      wind_focus = 1;
      BTN_hot_digit = cell_at(mnw.mx);
    }
  } else if (mouse_ok && in_box(x, y - 18, strip_right, y + 24)) {
    const bool up = mnw.my > y + 3;
    mnw.cursor_type = up ? 13 : 14;
    if (mnw.mouse_clicked) val += up ? place(cell_at(mnw.mx)) : -place(cell_at(mnw.mx));
  }

  ring_register(id, q_number, key_class_nav | key_class_digit | key_class_sign);
  const bool focused = focus_id == id;
  if (focused) {
    if (BTN_hot_digit < 0) BTN_hot_digit = 0;
    if (BTN_hot_digit > dig - 1) BTN_hot_digit = dig - 1;
    drain_queue(q_number, id, [&](int ch, int vk, int) {
      int& hot = BTN_hot_digit;
      if (vk == 37) {
        hot = (hot + dig - 1) % dig;
      } else if (vk == 39) {
        hot = (hot + 1) % dig;
      } else if (vk == 38) {
        val += place(hot);
      } else if (vk == 40) {
        val -= place(hot);
      } else if (ch >= '0' && ch <= '9') {
        const double p = place(hot), a = fabs(val);
        const double digit = fmod(floor(a / p + 1e-6), 10.0);
        const double na = a + ((ch - '0') - digit) * p;
        val = val < 0 ? -na : na;
        hot = (hot + 1) % dig;
      } else if (ch == '+') {
        if (lo < 0) val = fabs(val);
      } else if (ch == '-') {
        if (hi >= 0) val = -fabs(val);
      }
    });
  }

  if (val < lo) val = lo;
  if (val > hi) val = hi;
  const double step = pow(10.0, dec);
  val = floor(val * step + 0.5) / step;
  *var = (float)val;

  // The frame leaves room around the glyphs, which are wider than their 10-pixel cells.
  BTN_util_draw_boxed_button(x + dig * 5.0f + 2, y + 3, dig * 10.0f + 10, -2, dig);
  BTN_util_draw_label(x - 12, y, 0, label1, 0);
  BTN_util_draw_label(strip_right + 14, y, 2, label2, 0);
  if (focused) OGL_fillrect(8, 1.0f, x + BTN_hot_digit * 10.0f, y - 2, 9, 11);
  OGL_number(45, x, y, *var, dig, dec, 102);
  return *var != old;
}

int BTN_int_range(float x, float y, int* var, int dig, float lo, float hi,
                  const std::string& input_label) {
  float v = (float)*var;
  const int r = BTN_flt_range(x, y, &v, dig, 0, lo, hi, input_label);
  const int nv = (int)v;
  const int changed = r || nv != *var;
  *var = nv;
  return changed;
}

// ---- Text field ----
//
// One edit record serves every field: only the focused field edits, and these
// statics tie the record to it for the frame.

static std::string* OGLE_input = nullptr;
static float OGLE_x = 0, OGLE_y = 0, OGLE_entry_dx = 0;
static float OGLE_dx = 0, OGLE_dy = 0;
static int OGLE_edit = 0;
static int focused_field_id = 0;
static int focused_field_frame = -1000;  // last frame the focused field was drawn
static OGLE_Rec* OGLE_rec = nullptr;
static const float hilite_y1 = -2, hilite_dy = 11;

static void OGLE_GetVisibleBounds(OGLE_Rec*, float b[4]) {
  b[0] = OGLE_x;
  b[1] = OGLE_y + hilite_y1;
  b[2] = OGLE_x + OGLE_entry_dx;
  b[3] = b[1] + hilite_dy;
}

static void OGLE_GetLogicalBounds(OGLE_Rec* r, float b[4]) {
  OGLE_GetVisibleBounds(r, b);
  b[0] -= OGLE_dx;
  b[2] -= OGLE_dx;
  b[1] -= OGLE_dy;
  b[3] -= OGLE_dy;
  b[2] += 1024;  // one field line never wraps
}

static void OGLE_SetLogicalHeight(OGLE_Rec*, float) {}

static void OGLE_ScrollTo(OGLE_Rec*, float off[2]) {
  OGLE_dx = off[0];
  OGLE_dy = off[1];
}

static void OGLE_GetText(OGLE_Rec*, const char** s, const char** e) {
  static const char empty = 0;
  if (!OGLE_input) {
    *s = *e = &empty;
    return;
  }
  *s = OGLE_input->data();
  *e = *s + OGLE_input->size();
}

static void OGLE_ReplaceTextFunc(OGLE_Rec*, int from, int to, const char* s, const char* e) {
  if (!OGLE_input) return;
  OGLE_edit = 1;
  const int n = (int)OGLE_input->size();
  from = from < 0 ? 0 : (from > n ? n : from);
  to = to < from ? from : (to > n ? n : to);
  if (!s || e <= s)
    OGLE_input->erase((size_t)from, (size_t)(to - from));
  else
    OGLE_input->replace((size_t)from, (size_t)(to - from), s, (size_t)(e - s));
}

static float OGLE_GetLineHeight(OGLE_Rec*) { return hilite_dy; }

static float OGLE_MeasureString(OGLE_Rec*, const char* s, const char* e) {
  float w = 0;
  for (const char* p = s; p < e; p++) w += chr_dx(*p);
  return w;
}

static int OGLE_FitStringFwd(OGLE_Rec*, const char* s, const char* e, float width) {
  int n = 0;
  for (const char* p = s; p < e && width > 0; p++, n++) width -= chr_dx(*p);
  return n;
}

static int OGLE_FitStringRev(OGLE_Rec*, const char* s, const char* e, float width) {
  int n = 0;
  for (const char* p = e; p > s && width > 0; n++) width -= chr_dx(*--p);
  return n;
}

static void OGLE_DrawString(OGLE_Rec*, const char* s, const char* e, float, float) {
  OGL_string(45, OGLE_x - OGLE_dx, OGLE_y - OGLE_dy, std::string(s, e), 9999, 100, 0);
}

static void OGLE_DrawSelection(OGLE_Rec*, float b[4]) {
  if (b[0] != b[2])
    OGL_fillrect(8, 1.0f, b[0], b[1], b[2] - b[0], b[3] - b[1]);
  else
    OGL_line(45, colr.pulse_alpha, b[0], b[1], b[0], b[3]);
}

static const char* OGLE_WordBreak(OGLE_Rec*, const char* s, const char* e) {
  while (s < e && isspace((unsigned char)*s)) s++;
  while (s < e && !isspace((unsigned char)*s)) s++;
  return s;
}

static const OGLE_Callbacks OGLE_cbs = {
    OGLE_GetVisibleBounds, OGLE_GetLogicalBounds, OGLE_SetLogicalHeight, OGLE_ScrollTo,
    OGLE_GetText,          OGLE_ReplaceTextFunc,  OGLE_GetLineHeight,    OGLE_MeasureString,
    OGLE_FitStringFwd,     OGLE_FitStringRev,     OGLE_DrawString,       OGLE_DrawSelection,
    OGLE_WordBreak};

int BTN_enterstring(float x, float y, std::string* input, int dim_str,
                    const std::string& input_label, float entry_dx, int auto_focus) {
  const int id = widget_id(x, y);
  if (!OGLE_rec) OGLE_rec = OGLE_Create(&OGLE_cbs, nullptr);
  std::string label1, label2, help;
  BTN_expand_label(input_label, &label1, &label2, &help);

  const bool over = in_box(x, y, x + entry_dx, y + 8);
  const bool click_in = mnw.menu_up == -1 && mnw.mouse_clicked && over;
  if (mnw.menu_up == -1 && over) set_help(help);
  if (click_in) {
    focus_id = id;
    wind_focus = 1;
  } else if (auto_focus && !wind_focus && !focus_id) {
    focus_id = id;
    wind_focus = 1;
  }
  ring_register(id, q_text, 500);
  const bool focused = focus_id == id;

  int edited = 0;
  if (focused) {
    OGLE_input = input;
    OGLE_x = x;
    OGLE_y = y;
    OGLE_entry_dx = entry_dx;
    OGLE_edit = 0;
    // The focus has just arrived unless this field had it in the frame before: a
    // press in the focused field passes through "no focus" for a moment, a field
    // whose window was closed and opened again gets it anew.
    const bool arrived = focused_field_id != id || focused_field_frame != xtim.total_frames - 1;
    focused_field_frame = xtim.total_frames;
    if (arrived) {
      focused_field_id = id;
      OGLE_dx = OGLE_dy = 0;
      OGLE_rec->horizontal_gap = -1.0f;
      OGLE_Repaginate(OGLE_rec);
      if (click_in)
        OGLE_SetSelection(OGLE_rec, OGLE_rec->sel_start, OGLE_rec->sel_end);
      else
        OGLE_SetSelection(OGLE_rec, 0, (int)input->size());
    }
    OGLE_SetSelection(OGLE_rec, OGLE_rec->sel_start, OGLE_rec->sel_end);
    if (click_in)
      OGLE_Click(OGLE_rec, mnw.mx, mnw.my, 0);
    else if (mnw.now_dragging && !mnw.mouse_clicked)
      OGLE_Drag(OGLE_rec, mnw.mx, mnw.my);
    drain_queue(q_text, id, [&](int ch, int vk, int flags) {
      const int extend = flags & 1;
      if (vk == 46) {  // Delete: the byte after the caret, or the selection
        if (OGLE_rec->sel_start == OGLE_rec->sel_end) {
          if (OGLE_rec->sel_end >= (int)input->size()) return;
          OGLE_SetSelection(OGLE_rec, OGLE_rec->sel_start, OGLE_rec->sel_start + 1);
        }
        OGLE_Key(OGLE_rec, 8, 0);
      } else if (ch == 8 || (ch >= 28 && ch <= 31)) {
        OGLE_Key(OGLE_rec, (char)ch, extend);
      } else if (ch >= 32 && ch < 256 && ch != 127) {
        OGLE_Key(OGLE_rec, (char)ch, 0);
      }
    });
    edited = OGLE_edit;
    if (edited && (int)input->size() > dim_str && dim_str >= 0) {
      input->resize((size_t)dim_str);
      OGLE_Repaginate(OGLE_rec);
      OGLE_SetSelection(OGLE_rec, OGLE_rec->sel_start, OGLE_rec->sel_end);
    }
  } else if (focused_field_id == id) {
    focused_field_id = 0;
  }

  BTN_frame1(9, x + entry_dx / 2 - 2, y + 3, entry_dx + 10, 0);
  BTN_util_draw_label(x - 12, y, 0, label1, 0);
  BTN_util_draw_label(x + entry_dx + 10, y, 2, label2, 0);  // clear of the frame's edge at + 5
  OGL_scissors(x - 1, y - 3, entry_dx + 2, 11);
  if (focused)
    OGLE_Draw(OGLE_rec);
  else
    OGL_string(45, x, y, *input, 0, 100, 0);
  OGL_scissors_end();
  if (focused) OGLE_input = nullptr;  // the caller's string is only lent for the call
  return edited;
}

// ---- Scroll bar ----

int BTN_scroll_bar(float x, float y, float w, float h, float* first, int rows, int visible, float area_x1,
                   float area_x2) {
  static int dragging_id = 0;
  const int id = widget_id(x, y);
  const float old = *first;
  const float max_first = rows > visible ? (float)(rows - visible) : 0.0f;
  if (max_first > 0 && mnw.menu_up == -1) {
    if (mnw.mouse_wheel && in_box(area_x1, y, area_x2, y + h)) {
      *first -= 3.0f * mnw.mouse_wheel;
      mnw.mouse_wheel = 0;
    }
    if (mnw.mouse_clicked && in_box(x - 2, y, x + w + 2, y + h)) dragging_id = id;
    if (dragging_id == id) {
      if (!mnw.now_dragging && !mnw.mouse_clicked)
        dragging_id = 0;
      else
        *first = (1.0f - (mnw.my - y) / h) * rows - visible * 0.5f;
    }
  }
  if (*first > max_first) *first = max_first;
  if (*first < 0) *first = 0;
  if (max_first > 0) {
    OGL_fillrect(35, 0.6f, x, y, w, h);
    const float thumb_h = fmaxf(16.0f, h * visible / rows);
    const float thumb_y = y + h - thumb_h - (h - thumb_h) * *first / max_first;
    OGL_fillrect(36, 1.0f, x + 1, thumb_y, w - 2, thumb_h);
  }
  return *first != old;
}

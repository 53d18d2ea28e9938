// The keyboard's key path and the (empty) key bindings.
#include "shell/keys.h"

#include "gui/butn.h"
#include "shell/cmnd.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"

keys_class keys;

namespace {
struct key_map_table {
  unsigned char v[256];
};

constexpr key_map_table make_key_map() {
  key_map_table t{};
  const int kept[] = {8, 9, 12, 13, 27};
  for (int k : kept) t.v[k] = (unsigned char)k;
  for (int k = 32; k <= 57; k++) t.v[k] = (unsigned char)k;  // space .. help, digits
  for (int k = 65; k <= 90; k++) t.v[k] = (unsigned char)k;  // letters
  for (int k = 96; k <= 107; k++) t.v[k] = (unsigned char)k;  // keypad digits, multiply, add
  for (int k = 109; k <= 135; k++) t.v[k] = (unsigned char)k; // keypad -, ., /, F1..F24
  const int punct[][2] = {{186, 181}, {187, 176}, {188, 183}, {189, 177}, {190, 185}, {191, 184},
                          {192, 186}, {219, 179}, {220, 182}, {221, 178}, {222, 180}, {223, 186}};
  for (const auto& p : punct) t.v[p[0]] = (unsigned char)p[1];
  return t;
}

constexpr key_map_table k_key_map = make_key_map();

// Scan codes the key path looks at.
const int scan_num_lock = 0x45, scan_caps_lock = 0x3A, scan_scroll_lock = 0x46;
const int scan_left_shift = 0x2A, scan_control = 0x1D, scan_alt = 0x38;
const int vk_shift = 16;
}  // namespace

const unsigned char (&vtlm_Key_Map)[256] = k_key_map.v;

int keys_class::translate_key(const plat_event& ev, int* charcode, int* keycode, int* flags) {
  *charcode = *keycode = *flags = 0;
  const bool down = ev.type == PLAT_EV_KEY_DOWN;
  const int scan = ev.key_scan;
  if ((scan == scan_num_lock && ev.extended) || scan == scan_caps_lock || scan == scan_scroll_lock)
    return 0;
  if (scan == scan_left_shift || ev.vkey == vk_shift) {
    ShiftToggle = down;
    return 0;
  }
  if (scan == scan_control) {
    ControlToggle = down;
    return 0;
  }
  if (scan == scan_alt) {
    OptionKeyToggle = down;
    return 0;
  }

  // A key without a character of its own gets none: only the keys forced below
  // (editing keys, arrows, the keypad) carry a code in the character.
  int ch = ev.character & 255;
  int kc = ev.vkey & 255;

  int fl = 0;
  if (ev.modifiers & PLAT_MOD_SHIFT) fl |= key_flag_shift;
  if (ev.modifiers & PLAT_MOD_ALT) fl |= key_flag_option;
  if (ev.modifiers & PLAT_MOD_CONTROL) fl |= key_flag_control;
  if (down && !ev.is_repeat) fl |= key_flag_down;
  if (!down) fl |= key_flag_up;

  kc = vtlm_Key_Map[kc];
  switch (kc) {
    case 8: case 9: case 13: case 27: ch = kc; break;
    case 37: ch = 28; break;
    case 38: ch = 30; break;
    case 39: ch = 29; break;
    case 40: ch = 31; break;
    case 110: ch = '.'; break;
    default:
      if (kc >= 96 && kc <= 105) ch = '0' + (kc - 96);
      break;
  }
  *charcode = ch;
  *keycode = kc;
  *flags = fl;
  return fl != 0 || ch != 0 || kc != 0;
}

void keys_class::handle_key_raw(const plat_event& ev) {
  int ch, kc, fl;
  if (!translate_key(ev, &ch, &kc, &fl)) return;
  if (BTN_dispatch_to_focus(ch, kc, fl)) return;
  if (!(fl & key_flag_up)) {
    if (kc == 13) return_hit = 1;
    if (return_hit && mnw.top_win_now != 0) {
      DOVAVI_handleclick(1);
      return;
    }
  }
  if (mnw.top_win_now != 999 && kc != 0) execute_key_cmnd(kc, fl);
}

void keys_class::execute_key_cmnd(int keycode, int flags) {
  const int modifiers = flags & (key_flag_shift | key_flag_option | key_flag_control);
  for (key_binding& b : key_bindings) {
    if (b.vkey != keycode) continue;
    if (b.flag == modifiers && (flags & key_flag_down)) {
      cmnd.press_one(b.cmnd);
      b.hold = 1;
    }
    if (b.hold && (flags & key_flag_up)) {
      cmnd.release_one(b.cmnd);
      b.hold = 0;
    }
  }
}

void keys_class::run_repeat_keys() {
  for (key_binding& b : key_bindings)
    if (b.hold) cmnd.press_always(b.cmnd);
}

void keys_class::keys_io(int) {}

void keys_window_key_hook(const plat_event& ev) { keys.handle_key_raw(ev); }

// The keyboard: every key message of the window goes through
// keys_class::handle_key_raw, which turns it into a key event (character, key
// code, flag bits), offers it to the focused widget, then lets Return set
// `return_hit` and close a closable modal window, and last offers it to the key
// bindings of the command table (none in this program).
#pragma once
#include <vector>

#include "platform/plat_window.h"

// Flag bits of a key event.
enum {
  key_flag_shift = 1,
  key_flag_option = 2,  // Alt
  key_flag_control = 4,
  key_flag_down = 8,    // the key went down; not set for auto-repeat
  key_flag_up = 16,     // the key went up
};

// Platform virtual-key code (0..255) -> key code: letters, digits, editing,
// keypad and function keys unchanged, the punctuation keys to 176..186, every
// other code to 0.
extern const unsigned char (&vtlm_Key_Map)[256];

struct key_binding {
  int vkey = 0;  // key code
  int flag = 0;  // modifier bits that must match
  int cmnd = 0;  // index into the command table
  int hold = 0;  // 1 while the bound key is held
};

class keys_class {
 public:
  std::vector<key_binding> key_bindings;  // empty in this program
  int ShiftToggle = 0, ControlToggle = 0, OptionKeyToggle = 0;  // last state of those keys

  // One key-down or key-up event of the window (PLAT_EV_KEY_DOWN / _UP).
  void handle_key_raw(const plat_event& ev);
  // The translation part of handle_key_raw: lock keys and modifiers give no event
  // (returns 0; modifiers update the toggles); otherwise fills the character, the
  // key code and the flags and returns 1, or 0 when all three are 0.
  int translate_key(const plat_event& ev, int* charcode, int* keycode, int* flags);
  // Offers an event to the bindings: a matching binding with the down bit presses
  // its command and holds it; the up bit releases a held one.
  void execute_key_cmnd(int keycode, int flags);
  // Once per frame: holds the command of every held binding.
  void run_repeat_keys();
  // 1 = save the bindings; nothing is stored in this program.
  void keys_io(int opr);
};

extern keys_class keys;  // the keyboard and its bindings (window procedure, frame loop)

// The window procedure's key hook: hands the event to keys.handle_key_raw.
void keys_window_key_hook(const plat_event& ev);

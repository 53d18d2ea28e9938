// Key translation for the X11 backend: the virtual-key code of a key symbol and
// the PC scan code of a keycode, so that the keyboard module receives what a PC
// keyboard message carries. Pure tables; no display needed.
#include <X11/keysym.h>

#include "platform/plat_window.h"

int PLAT_keysym_to_vkey(unsigned long sym) {
  if (sym >= XK_a && sym <= XK_z) return (int)(sym - XK_a) + 'A';
  if (sym >= XK_A && sym <= XK_Z) return (int)(sym - XK_A) + 'A';
  if (sym >= XK_0 && sym <= XK_9) return (int)(sym - XK_0) + '0';
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return (int)(sym - XK_KP_0) + 96;
  if (sym >= XK_F1 && sym <= XK_F24) return (int)(sym - XK_F1) + 112;
  switch (sym) {
    case XK_BackSpace: return 8;
    case XK_Tab:
    case XK_ISO_Left_Tab: return 9;
    case XK_Clear:
    case XK_KP_Begin: return 12;
    case XK_Return:
    case XK_KP_Enter: return 13;
    case XK_Shift_L:
    case XK_Shift_R: return 16;
    case XK_Control_L:
    case XK_Control_R: return 17;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R: return 18;
    case XK_Pause: return 19;
    case XK_Caps_Lock: return 20;
    case XK_Escape: return 27;
    case XK_space:
    case XK_KP_Space: return 32;
    case XK_Prior:
    case XK_KP_Prior: return 33;
    case XK_Next:
    case XK_KP_Next: return 34;
    case XK_End:
    case XK_KP_End: return 35;
    case XK_Home:
    case XK_KP_Home: return 36;
    case XK_Left:
    case XK_KP_Left: return 37;
    case XK_Up:
    case XK_KP_Up: return 38;
    case XK_Right:
    case XK_KP_Right: return 39;
    case XK_Down:
    case XK_KP_Down: return 40;
    case XK_Select: return 41;
    case XK_Execute: return 43;
    case XK_Print: return 44;
    case XK_Insert:
    case XK_KP_Insert: return 45;
    case XK_Delete:
    case XK_KP_Delete: return 46;
    case XK_Help: return 47;
    case XK_Super_L: return 91;
    case XK_Super_R: return 92;
    case XK_Menu: return 93;
    case XK_KP_Multiply: return 106;
    case XK_KP_Add: return 107;
    case XK_KP_Separator: return 108;
    case XK_KP_Subtract: return 109;
    case XK_KP_Decimal: return 110;
    case XK_KP_Divide: return 111;
    case XK_Num_Lock: return 144;
    case XK_Scroll_Lock: return 145;
    // Punctuation by the symbol on the key's first level (the shifted symbols are
    // listed too, for layouts that put them there).
    case XK_semicolon:
    case XK_colon: return 186;
    case XK_equal:
    case XK_plus: return 187;
    case XK_comma: return 188;
    case XK_minus:
    case XK_underscore: return 189;
    case XK_period:
    case XK_greater: return 190;
    case XK_slash:
    case XK_question: return 191;
    case XK_grave:
    case XK_asciitilde: return 192;
    case XK_bracketleft:
    case XK_braceleft: return 219;
    case XK_backslash:
    case XK_bar: return 220;
    case XK_bracketright:
    case XK_braceright: return 221;
    case XK_apostrophe:
    case XK_quotedbl: return 222;
    case XK_less: return 226;
  }
  return 0;
}

int PLAT_keycode_to_scan(int keycode, int* extended) {
  *extended = 0;
  // The evdev keymap numbers keys as the kernel does, plus 8; the kernel's numbers
  // of the main block are the PC scan codes themselves.
  const int k = keycode - 8;
  if (k == 69) {  // Num Lock: a PC keyboard reports it as 0x45 with the E0 bit
    *extended = 1;
    return 0x45;
  }
  if (k >= 1 && k <= 88) return k;
  static const struct { int kernel, scan; } k_extended[] = {
      {96, 0x1C},  {97, 0x1D},  {98, 0x35},  {99, 0x37},  {100, 0x38}, {102, 0x47},
      {103, 0x48}, {104, 0x49}, {105, 0x4B}, {106, 0x4D}, {107, 0x4F}, {108, 0x50},
      {109, 0x51}, {110, 0x52}, {111, 0x53}, {125, 0x5B}, {126, 0x5C}, {127, 0x5D}};
  for (const auto& e : k_extended)
    if (e.kernel == k) {
      *extended = 1;
      return e.scan;
    }
  if (k == 119) return 0x45;  // Pause: 0x45 without the E0 bit
  return 0;
}

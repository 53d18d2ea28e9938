// Widgets: push buttons, check boxes, radio choices, popup lists, numeric fields
// and text fields, drawn in immediate mode. A window's drawing code calls one
// function per control every frame; the call draws the control at its position
// (window pixels, y upward) and returns 1 on the frame in which the user changed
// or pressed it. The caller owns the values. Mouse input comes from `mnw`; widgets
// ignore the mouse while a menu or popup is open (mnw.menu_up != -1). Keys reach
// the focused widget through BTN_dispatch_to_focus (called by the keyboard), are
// queued per widget kind and handled when the widget is drawn next. All sprites
// come from the interface sheet, texture 388, 1 texel : 1 pixel.
//
// A label string is "label1|label2{ help": label1 on the left (or on the face),
// label2 on the right, and the text from two characters after the last '{' as the
// mouse help while the pointer is over the widget.
#pragma once
#include <string>
#include <vector>

// ---- Focus ring ----

// One focusable widget of this frame.
struct focus_info_t {
  int who_am_i;     // widget id: (int)x * 8192 + (int)y of its position
  int* char_slot;   // the widget kind's queue of characters
  int* vkey_slot;   // ... of key codes
  int* flag_slot;   // ... of key flags
  int* id_slot;     // ... of target widget ids
  int* ctr_slot;    // number of queued entries
  int depth;        // 64
  int allow_keys;   // key classes the widget accepts (BTN_key_class bits)
};

extern std::vector<focus_info_t> focus_ring;  // rebuilt every frame by the widgets drawn
extern int focus_id;    // id of the focused widget, 0 none; survives between frames
extern int wind_focus;  // 0 after each ring reset; set when a widget takes the focus
extern int BTN_hot_digit;  // the focused numeric field's digit cell for typing and arrows

// Key classes of allow_keys.
enum {
  key_class_tab = 1,        // key code 9
  key_class_return = 2,     // key codes 13 and 187
  key_class_delete = 4,     // key codes 8 and 46
  key_class_escape = 8,     // key code 27
  key_class_nav = 16,       // key codes 33..40
  key_class_letter = 32,    // characters A-Z, a-z
  key_class_digit = 64,     // characters 0-9
  key_class_sign = 128,     // characters '+' and '-'
  key_class_print = 256,    // any other printable character below 256
  key_class_other = 512,    // anything else
};
// The class of a key event, checked in the order of the list above.
int BTN_key_class(int charcode, int vkey);

// Clears the ring and wind_focus; once per frame before any window draws.
void BTN_begin_focus_ring();
// No widget has the focus (a press, a window change).
void BTN_unfocus_any();
// Offers one key event to the focus ring. Returns 1 when consumed: Tab (not its
// release) focuses the first widget when none is focused, and moves the focus to
// the next widget (previous with Shift, wrapping) out of a widget that does not
// take Tab; other keys are queued for the focused widget when their class is one
// it accepts. Nothing is consumed while the alert window (995) is current. A queue
// holds 256 entries per frame; more are dropped.
int BTN_dispatch_to_focus(int charcode, int vkey, int flags);

// ---- Labels and sprites ----

// Splits a label string at its last '|' and last '{' (see above).
void BTN_expand_label(const std::string& input, std::string* label1, std::string* label2,
                      std::string* help);
// Where BTN_util_draw_label breaks a label of sides 0 and 2 into two lines: the
// space, '-' or '/' nearest the middle of a label longer than 12 bytes (the first
// of two equally near), when it is neither the first nor the last byte. -1: one line.
int BTN_label_break(const std::string& label);
// Draws a label: side 0 right-aligned ending at x, 1 centred on x, 2 left-aligned
// starting at x; colour 80 (pulsing) when is_red, else 43. A label starting with
// '-' is drawn without it and never split; a split label's first line is 5 pixels
// higher, its second 10 below the first.
void BTN_util_draw_label(float x, float y, int side, const std::string& input_label, int is_red);
// The sheet rectangle centred at texel (sc, tc) with half-size (sdx, sdy), drawn
// at the same size centred at (xc, yc).
void BTN_util_element(float xc, float yc, float sc, float tc, float sdx, float sdy, int color);
// A 3-slice strip of the sheet, types 0..5 and 7..10 (bars, buttons, progress
// track and fill, fields, popup button), centred at (x_center, y_center),
// dx_control wide (to the nearest even pixel) plus its shadow. Any other type is
// the fatal alert "Bad BTN_frame1 call!".
void BTN_frame1(int type, float x_center, float y_center, float dx_control, int color);
// A 9-slice panel, types 11..20, covering (x, y, dx, dy) plus its shadow, with
// `title` centred on its top edge. Type 11 also draws the close boxes, except in
// window 0 and windows 995..999. Any other type is the fatal alert "Bad
// BTN_frame2 call!".
void BTN_frame2(int type, float x, float y, float dx, float dy, const std::string& title);
// Draws the two close boxes of a titled window, at (16, win_dy - 10) and
// (win_dx - 16, win_dy - 10), pressed when `pressed`; returns 1 at once when this
// frame's press is within 9 pixels of a box's centre.
int BTN_zap_boxes(int pressed);
// The window's background over (0, 0, win_dx, win_dy) with its name: a titled
// panel (type 11) when `bar`, else type 12; then fill_type 1 adds a title bar at
// win_dy - 50, 21 nothing, any other an inner panel of that type at (10, 10)
// sized (win_dx - 20, win_dy - 40).
void BTN_fillwin(int bar, int fill_type);
// A panel inside the window: negative x or y become 10, negative dx fills to 10
// from the right edge, negative dy to 28 + tab_dy from the top. *x2, *y2 (when not
// null) receive the corner for a neighbouring panel (x + dx + 10, y + dy + 10).
void BTN_subwin(float tab_dy, int win_type, float x, float y, float dx, float dy,
                const std::string& str, float* x2, float* y2);
// A number field's frame (type 9) and, per digit cell, the up arrow 15 pixels
// above and the down arrow 13 below y_center, cell i at
// x_center + i * 10 - num_boxes * 5 + box_os + 5.
void BTN_util_draw_boxed_button(float x_center, float y_center, float dx_control, float box_os,
                                int num_boxes);

// ---- Widgets ----

// A push button centred at (x_center, y_center), dx_control wide (<= 0: the label's
// width + 21), shown pressed when `pressed`. side_label is drawn to the right
// unless it is "-". Returns 1 on a press within the button; with show_press (and
// not `pressed`) the pressed face is presented at once, so the press is seen
// before the action runs. show_press 2 also highlights the label while pressed.
int BTN_action(float x_center, float y_center, float dx_control, int pressed, int show_press,
               const std::string& input_label, const std::string& side_label);
// A check box at (x, y) (the list-choice look when is_list_sel); a press toggles
// *var between 1 and 0 and returns 1.
int BTN_bool(float x, float y, int* var, const std::string& input_label, int is_list_sel);
// One choice of a radio group: marked while *var == target; a press sets *var to
// target (a press on the marked choice keeps it) and returns 1.
int BTN_is_int(float x, float y, int* var, int target, const std::string& input_label);
// A popup list of the items of stl_list separated by '-' (at most 299), showing
// item *sel; a press opens the list in menu slot 1519 over the button, and the
// frame after an item was chosen sets *sel and returns 1. A '|' in the list or
// 300 items is a fatal alert.
int BTN_textlist(float x, float y, int* sel, const std::string& stl_list,
                 const std::string& input_label);
// A numeric field of `dig` digit cells of 10 pixels from x (`dec` of them
// decimals), kept within lo..hi and to multiples of 10^-dec. A press on a cell
// focuses the field there (the hot digit); keys: left/right move the hot digit,
// up/down add or take its place value, a digit replaces it and moves right, '+'
// and '-' set the sign. The arrows above and below the cells add and take the
// place value of their cell. Returns 1 when the value changed this frame
// (including a value pulled back into range).
int BTN_flt_range(float x, float y, float* var, int dig, int dec, float lo, float hi,
                  const std::string& input_label);
// The same on an int (dec 0; the result truncated).
int BTN_int_range(float x, float y, int* var, int dig, float lo, float hi,
                  const std::string& input_label);
// A one-line text field at (x, y), entry_dx wide, editing *input (at most dim_str
// bytes) with the text-edit engine while focused. The focus comes by a press in
// the field or by Tab, or, with auto_focus, when no widget has it; focus arriving
// by key selects the whole text. Backspace, Delete (forward), the arrows (Shift
// extends), and printable characters edit. Returns 1 when the text was edited.
int BTN_enterstring(float x, float y, std::string* input, int dim_str,
                    const std::string& input_label, float entry_dx, int auto_focus);

// A vertical scroll bar with its track at (x, y), w x h, for a list of `rows`
// rows of which `visible` show, starting at row *first (kept within 0..rows -
// visible). The wheel over x area_x1..area_x2 (and the track's height) scrolls
// three rows a notch; a press on the track moves the thumb there and drags it
// while the button is held. Draws nothing when every row shows. Returns 1 when
// *first changed.
int BTN_scroll_bar(float x, float y, float w, float h, float* first, int rows, int visible, float area_x1,
                   float area_x2);

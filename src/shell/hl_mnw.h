// The window, display and mouse state shared by the shell, the window manager and
// the drawing code. One global, `mnw`; the owner of each field is noted beside it.
#pragma once
#include <string>
#include <vector>

class mnw_class {
 public:
  mnw_class();

  int alias_req = 0, alias_act = 0;      // anti-aliasing requested / achieved (window)
  int current_con = 0, pixel_format = 0; // context slot used for swaps; pixel format (window)
  void* window[2] = {};                  // per context slot: the window (window)
  void* context[2] = {};                 // per context slot: the GL context (window)
  void* dc[2] = {};                      // per context slot: the drawing surface (window)
  int sec_mon_inuse = 0, sec_mon_inited = 0;  // second monitor; always 0 here
  int top_win_cmnd = 0;   // window that receives commands; set with top_win_now
  int top_win_now = 0;    // current sub-window; -1 only before the first frame
  int top_win_mouse = 0;  // window under the mouse (copy of top_win_cmnd)
  int is_modal = 0;       // 1 while the current window is modal: no installer step runs
  float win_x = 0, win_y = 0;    // origin of the current window (units)
  float win_dx = 0, win_dy = 0;  // size of the current window (units)
  int cursor_type = 0;  // 0 arrow, 1 set elsewhere, 2 hidden, 13/14 drawn glyphs
  int menu_up = 0;      // open menu, -1 none; 1519 the popup list
  int x_res_now = 0, y_res_now = 0, col_res_now = 0;  // window size in pixels, depth
  int set_res = 0, tex_res = 0;                       // mode change wanted; texture resolution
  int x_res_req = 0, y_res_req = 0, col_res_req = 0;  // requested size and depth
  float extra_sx = 0;     // horizontal centring margin for 1024-wide layouts
  float extra_ty = 0;     // extra height above a 768-high layout
  int set_app_to_monitor = 0;
  float xy_scale_coc = 0, xy_scale_now = 0;  // pixels per unit (drawing)
  float x1_pix = 0, y1_pix = 0, x2_pix = 0, y2_pix = 0;  // orthographic extents (drawing)
  float x_ctr = 0, y_ctr = 0;  // screen centre
  float mx = 0, my = 0;        // mouse in the current window, y upward (window)
  int mouse_clicked = 0, mouse_lifted = 0;          // a button went down / up since last frame
  int mouse_did_click = 0, mouse_double_clicked = 0;  // short click; second press within 0.25 s
  int now_dragging = 0, delay_dragging = 0;         // held; held for more than 0.25 s
  int mouse_wheel = 0;                              // accumulated wheel notches
  int mouse_button = 0;                             // 1 left, 2 right: the last button pressed
  int p_dragging = -1;                              // widget being dragged, -1 none
  float m_move_time = 0, m_down_time = 0;           // real_time of the last move and press
  int lang = 0;          // language index (0 English)
  int keylist_up = 1;    // stored with the preferences
  int replay_mode = 0;
  int prefs_found = 0;   // set by the preferences reader
  int track_cpu = 0;     // profiling switch; never turned on
};

extern mnw_class mnw;  // window, display and mouse state (shell)

// ---- Window manager ----
//
// A "window" is a numbered sub-window of the one GL window: a rectangle with a
// size, a name and a modal flag, opened with DOVAVI_startwind; mnw.top_win_now is
// the current one. Windows of this program: -1 and 0 the whole screen (not
// modal); 1 "EULA" 500 x 300, 2 "Prefs" 600 x 380, 995 (alert) 420 x 250 and 997
// (modified-file prompt) 700 x 146, 996 (waiting for the desktop's folder
// dialog) 460 x 130 and 998 (the drawn folder chooser) 600 x 440, all modal; 995
// and 997 are named by text entries 600 and 601.

struct item_struct {
  std::string item_name;  // "" free entry, "-..." separator, "=..." heading
  int item_code = 0;      // passed on when chosen
  unsigned char is_korean = 0;
  short itemx1 = 0, itemy1 = 0, itemx2 = 0, itemy2 = 0;  // window coordinates
};

struct menu_struct {
  std::string menu_name;  // title; "" for the unused menu-bar slots
  int menu_prnt = -1;     // parent menu, -1 top level
  short menux1 = 0, menuy1 = 0, menux2 = 0, menuy2 = 0;  // title rectangle
  std::vector<item_struct> item;
};

const int menu_popup_slot = 1519;  // the popup list of the list widget
extern std::vector<menu_struct> menu;  // the menu table; 1520 slots after DOVAVI_clear_menus(1)
extern int active_popup_code;  // code of the list widget whose popup is open, 0 none
extern int select_popup_code;  // code of the list widget whose popup was just answered
extern int popup_menu_select;  // item chosen in that popup
extern int plot_init_lights;   // 1 once a window has been opened (start-up panel may draw)
extern int OS_mouse_showing;   // 1 while the system pointer is shown (changed only on change)
extern int mouse_was_plugin;   // 1 after a frame that had cursor_type 1

// The application's menu handler for menu-bar items; null here (no menu bar).
extern void (*g_app_handlemenu)(int item_code);

// Makes `top_win_new` the current window: mouse help and cursor settled, the
// full-window view set, size and modal flag from the table above (other numbers:
// the whole screen, not modal), focus dropped, menus closed, the window centred
// on the screen (win_x = trunc(round((x_res_now - win_dx * scale) / 2) / scale),
// never negative; win_y likewise), the pointer position carried over into the new
// window's coordinates, dragging, the press flag and the wheel reset.
void DOVAVI_startwind(int top_win_new);
// Routes a press (called by the window procedure at every button press with 0, and
// by the keyboard with 1 when Return is hit outside window 0). First rule that
// applies: a modal window other than 995..999 closes (back to window 0) when the
// press is in a close box (x in 0..25 or win_dx-25..win_dx, y in win_dy-20..win_dy)
// or `enter_close` is set; in window 0 a menu title under the mouse opens or closes
// its menu; an open menu takes a press on one of its items (the popup list answers
// its widget, other menus call g_app_handlemenu) and closes, and a press beside
// its items closes it (and the popup's widget forgets it) and goes on to the
// widgets.
void DOVAVI_handleclick(int enter_close);
// Level 1: empties the menu table and makes 1520 fresh slots. Other levels: nothing.
void DOVAVI_clear_menus(int level);
// The frame's roll-over: while a menu is open, a top-level title under the mouse
// other than the open menu acts as pressed.
void DOVAVI_menu_rollover();
// Draws the open menu or popup list (frame, hover, column rules, separators, items).
void standard_gui();
// Draws the pending mouse-help text (after a second without mouse movement) and
// clears it; settles cursor_type (hidden after 10 s still in window 0, the arrow in
// windows 993..999), shows or hides the system pointer when that changes, and
// draws the cursor glyph of types 13 and 14.
void mouse_help_per_wind(int top_win_new);
// Height of the help box for a text of `length` bytes: 10 per 50 bytes + 20, kept
// within 60..300.
int mouse_help_box_height(int length);
// Points the window procedure's hooks at the keyboard, the click routing and the
// re-layout on exposure. Start-up calls it once the window exists.
void DOVAVI_hook_window();

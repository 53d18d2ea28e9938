// The window, display and mouse state shared by the shell, the window manager and
// the drawing code. One global, `mnw`; the owner of each field is noted beside it.
#pragma once

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

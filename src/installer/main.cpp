// The installer's entry procedure and its frame: WinMain runs the set-up and the
// frame loop (or the headless mode); APP_update draws the main screen and moves
// the install on by one frame, through the engine steps the headless mode uses.
#include "installer/main.h"

#include <string>

#include "gui/butn.h"
#include "gui/oglp.h"
#include "installer/config.h"
#include "installer/dest.h"
#include "installer/engine.h"
#include "installer/headless.h"
#include "installer/serverlist.h"
#include "installer/sub_wins.h"
#include "net/http.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "shell/hl_init.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/hl_window.h"
#include "shell/xtim.h"

// The left edge of the main screen's text column.
static const float text_x = 144;

// The idle wait of the frame loop ends when a transfer the frame drives can move.
static int installer_wake_sockets(plat_wake_socket* out, int max) {
  unsigned int sockets[16];
  int for_write[16];
  if (max > 16) max = 16;
  const int n = http.net_wake_sockets(sockets, for_write, max);
  if (n < 0) return -1;
  // While installing, streams between two files have no socket for a moment but
  // take their next file in the next slice.
  if (n == 0 && stg.step == 1) return -1;
  for (int i = 0; i < n; i++) out[i] = {sockets[i], for_write[i]};
  return n;
}

int WinMain(void* hinst, void* hprevinst, const char* cmdline_text, int windowstyle) {
  active_inst = hinst;
  active_windstyle = windowstyle;
  if (hprevinst) return 0;
  std::string raw = cmdline_text ? cmdline_text : "";
  char* argv[1] = {&raw[0]};
  DOVAVI_init(1, argv);
  int status = 0;
  if (headless_requested()) {
    status = headless_run(raw);
  } else {
    sub_wins_use_window();
    g_wake_sockets = installer_wake_sockets;
    installer_setup(raw);
    while (!app_done) DOVAVI_event_proc();
    // Closed by the window manager during an install: the partial downloads go,
    // as after QUIT.
    if (stg.step == 1) engine_quit();
  }
  DOVAVI_finishup(1);
  return status;
}

void APP_handlemenu(int) {}

// A label for a server's radio button: on one line when it fits the column left
// of the buttons, else the widget breaks it in two.
static std::string server_label(const std::string& desc) {
  return menu_dx(desc) <= 124 ? "-" + desc : desc;
}

// The icon spins ten frames a second while installing and rests on frame 21.
static void advance_icon() {
  if (stg.step != 1) {
    app.wrl_i = 21;
  } else if (xtim.act_puff10 && ++app.wrl_i > 23) {
    app.wrl_i = 8;
  }
}

// Seconds the last drawn frame spent in its transfer slice.
static double slice_seconds = 0;

// One pass of the frame's steps and drawing. Returns 1 when a modal window or a
// progress display was shown meanwhile: the back buffer then no longer holds the
// first part of this frame's drawing.
static int app_frame() {
  const int frames_before = xtim.total_frames;
  int presented = 0;

  draw_installer_background();
  server_list_step();
  engine_directory_download_step();

  // Destination field and button.
  UTL_screen_trace("destination", dest_dir_path);
  BTN_frame1(9, 285, 89, 300, 0);
  OGL_string(45, 142, 86, fit_text_left(dest_dir_path, 286), 9999, 100, 0);
  const int field_clicked = mnw.mouse_clicked && mnw.mx >= 135 && mnw.mx <= 435 && mnw.my >= 79 && mnw.my <= 99;
  OGL_string(46, text_x - 10, 112,
             "Click on the 'DESTINATION' button below to choose the copy of Vantrel you wish to update, or choose "
             "the destination you wish to install a new copy of Vantrel to!",
             9999, 100, 0);
  if (stg.step == 0 || stg.step == 2) {
    if (interface_rect(10, 78, 513, 166, 126, 22, 1, 1) || field_clicked) {
      if (pick_dest_path()) engine_new_destination();
      presented = 1;
    }
  }

  if (stg.dir_scan == 1) {
    engine_directory_read_step();
    presented = 1;
  }

  advance_icon();

  for (int i = 0; i < stg.num_servers && i < 10; i++)
    BTN_is_int(142, 578 - 20.0f * i, &stg.sel_server, i, server_label(server_desc[i]));

  if (BTN_action(50, 750, -1, 0, 1, "preferences", "-")) {
    const int os_before = stg.download_os;
    handle_prefs();
    // The directory's totals and folders depend on the system chosen.
    if (stg.download_os != os_before && stg.step != 1 && stg.dir_scan == 3) stg.dir_scan = 1;
    presented = 1;
  }

  interface_rect(0, 595, 644, 33, 128, 86, 0, 0);
  interface_icon(29, 608, app.wrl_i);
  BTN_frame2(20, 135, 600, 790, 72, install_name != no_install_name ? "NET: " + install_name : "");
  BTN_frame2(20, 935, 600, 80, 72, "Download");
  if (stg.dir_scan == 3) OGL_string(46, text_x + 810, 635, set_size_str(stg.down_req), 700, 100, 0);
  int status_colour = 46;
  const std::string status = status_line(&status_colour);
  OGL_string(status_colour, text_x + 10, 615, status, 700, 100, 0);
  UTL_screen_trace("status", status);

  const int got_sel = engine_install_enabled();
  if (stg.step == 0) {
    if (interface_rect(450, 78, 640, 166, 83, 22, got_sel, got_sel ? 1 : 2) && got_sel) {
      UTL_screen_trace("install", "started");
      engine_start_install();
      presented = 1;
    }
  }
  if (interface_rect(700, 78, 822, 235, 116, 22, 1, 1)) go_to_URL(product_store_page());
  if (interface_rect(960, 78, 780, 166, 51, 22, 1, 1)) engine_quit();

  const double slice_start = seconds_clock();
  if (stg.step == 1) engine_transfer_slice(0.01);
  slice_seconds = seconds_clock() - slice_start;
  engine_update_lines();

  BTN_frame2(20, 135, 32, 880, 40, "");
  OGL_scissors(136, 33, 878, 38);
  for (int i = 0; i < 3; i++) {
    OGL_string(app.lines[i].colour, text_x, 58 - 10.0f * i, app.lines[i].text, 9999, 100, 0);
    UTL_screen_trace("line" + std::to_string(i + 1), app.lines[i].text);
  }
  OGL_scissors_end();
  float empty_centre, empty_width, fill_centre, fill_width;
  progress_bar_geometry(&empty_centre, &empty_width, &fill_centre, &fill_width);
  BTN_frame1(4, empty_centre, 15, empty_width, 0);
  if (stg.step == 1 && app.totl_inst_rat > 0.02f) BTN_frame1(5, fill_centre, 15, fill_width, 0);
  // A complete install keeps its bar full.
  if (stg.step == 2 && next.dir_done && !stg.got_failed_install) BTN_frame1(5, empty_centre, 15, empty_width, 0);

  return presented || xtim.total_frames != frames_before;
}

void APP_update() {
  // While installing, frames are drawn and shown only as often as keeps their
  // cost (drawing and presenting) within a fifteenth of the time, at most 30 and at
  // least 4 a second; the frames between only move the transfer on, unless input
  // arrived. A system that renders in software spends as long on a frame as on
  // the transfer slice.
  static double last_drawn = -1, draw_seconds = 0;
  const double now = seconds_clock();
  double interval = 15 * (draw_seconds + frame_present_seconds);
  if (interval < 1.0 / 30) interval = 1.0 / 30;
  if (interval > 0.25) interval = 0.25;
  if (stg.step == 1 && !frame_input && now - last_drawn < interval && now >= last_drawn) {
    advance_icon();
    engine_transfer_slice(0.01);
    engine_update_lines();
    frame_not_drawn = 1;
    return;
  }
  last_drawn = now;
  // After a modal window or a progress display the frame is drawn again from the
  // start, so that the frame shown is whole.
  int again = app_frame();
  if (again && !app_done) {
    mnw.mouse_clicked = 0;  // this frame's press has been answered
    app_frame();
  }
  // The drawing's own cost: the frame without its transfer slice (and without
  // anything a modal window took).
  if (!again) draw_seconds = seconds_clock() - now - slice_seconds;
}

// Start-up and shutdown of the program.
#include "shell/hl_init.h"

#include <cstdlib>

#include "gui/butn.h"
#include "gui/oglp.h"
#include "installer/config.h"
#include "installer/main.h"
#include "installer/pref.h"
#include "shell/HL_THREAD.h"
#include "shell/OGL_extensions.h"
#include "shell/PlatformUtils.h"
#include "shell/folder_chooser.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/hl_window.h"
#include "shell/keys.h"
#include "shell/xtim.h"
#include "textures/texes.h"

// Seeds the C generator used by the installer's random choices: a fixed warm-up,
// then the clock, then a clock-dependent number of discarded values.
static void seed_random() {
  srand(1);
  for (int i = 0; i < 10000; i++) rand();
  unsigned seed = (unsigned)(uint32_t)xtim_class::microsecs_tot();
  srand(seed);
  for (unsigned i = 0; i < seed % 1000; i++) rand();
}

// "--show_background": the installer's background in the window until the window
// is closed; a check of the window, the context and the built-in images on their own.
static void show_background() {
  while (!app_done) {
    mnw.win_x = mnw.win_y = 0;
    OGL_plot_back_col();
    OGL_2dquad(tex_ins_back_1, 49, 1.0f, 0, 0, 0, 0, 0, 768, 0, 0.75f, 1024, 768, 1, 0.75f,
               1024, 0, 1, 0, 1, 5);
    OGL_sbuff();
    if (!DOVAVI_pump_messages()) DOVAVI_wait_for_input(16);
  }
}
int UTL_rand15() { return (int)((long long)rand() * 32768 / ((long long)RAND_MAX + 1)); }

void DOVAVI_init(int argc, char** argv) {
  UTL_debug_init();
  app_path.clear();
  g_case_sensitive = !g_windows_paths;

  std::string log_folder;
  DOVAVI_set_app_path(&log_folder);
  UTL_log_open(log_folder + "Log.txt");

  seed_random();
  UTL_write_log_header(xer);
  xer.flush();
  cmdline.init_win(argc > 0 ? argv[0] : "");
  THREAD_init();

  // The display mode, the window and its GL context, then drawing defaults,
  // capabilities, the worker threads, the built-in images and the theme sampled
  // from them.
  if (cmdline.has_option("--headless")) {  // installs from a terminal need no window
    THREAD_make_workers();
    return;
  }
  mnw.x_res_req = 1024;
  mnw.y_res_req = 768;
  mnw.col_res_req = 32;
  mnw.tex_res = 5;
  mnw.alias_req = 0;
  mnw.lang = 0;
  DOVAVI_setres(1);
  if (!DOVAVI_make_context(0))
    __DOVAVI_alert(0,
                   "I could not set up the graphics for Vantrel! I hope your monitor is at 1024x768 "
                   "or higher! It must be!",
                   "You do not meet the system requirements or you do not have OpenGL drivers or "
                   "you entered a bad resolution in Vantrel!",
                   "You need at least 256 meg of RAM, 16 meg of VRAM, and OpenGl drivers for your "
                   "3-D accelerator card!",
                   "If you reset the resolution, you can try launching Vantrel again, since I am "
                   "resetting Vantrel to default resolution now.",
                   t_exit, "hl_init", __LINE__);
  OGL_pix_specs(0);
  glExt.init_extensions();
  THREAD_make_workers();
  recall_ins_texes();
  TEX_theme_colours(scratch_array);

  // The window manager takes over the window: menus, window -1 (the first frame
  // makes it 0), input hooks; from here on alerts show in the window.
  DOVAVI_clear_menus(1);
  DOVAVI_startwind(-1);
  DOVAVI_hook_window();
  OGL_pix_specs(0);
  ogl_inited = 1;
  g_app_update = APP_update;
  g_app_handlemenu = APP_handlemenu;
  g_folder_chooser = DOVAVI_folder_chooser;
  if (cmdline.has_option("--show_background")) show_background();
  DOVAVI_show_init("Will init plugins.", nullptr);
  DOVAVI_show_init("Starting application.", nullptr);
}

void DOVAVI_show_init(const std::string& message, const float* ratio) {
  static int calls = 0;
  if (!plot_init_lights) return;
  float r = ratio ? *ratio : calls++ / 100.0f;
  if (r < 0.02f) r = 0.02f;
  if (r > 1.0f) r = 1.0f;
  OGL_plot_back_col();
  const float sx = mnw.extra_sx;
  BTN_frame2(15, sx + 10, 31, 320, 200, "");
  OGL_string(49, sx + 22, 210, product_web_site(), 300, 100, 0);
  // The track's ends lie at x 8 and 1016; the filled part starts at the left end.
  const float x1 = sx + 8, x2 = sx + 1016, fill = x1 + r * (x2 - x1);
  BTN_frame1(4, (x1 + x2) * 0.5f, 15, x2 - x1, 0);
  BTN_frame1(5, (x1 + fill) * 0.5f, 15, fill - x1, 0);
  OGL_string(61, sx + 22, 60, message, 300, 100, 0);
  OGL_sbuff();
}

void (*g_app_update)() = nullptr;
int frame_input = 0;
int frame_not_drawn = 0;
double frame_present_seconds = 0;

void DOVAVI_event_proc() {
  return_hit = 0;
  mnw.mouse_clicked = 0;
  mnw.mouse_lifted = 0;
  if (mnw.top_win_now == -1) mnw.top_win_now = 0;
  if (!win_started) {
    win_started = 1;
    DOVAVI_startwind(mnw.top_win_now);
  }
  int wait_ticks = stg.use_max_cpu ? 0 : 1;
  if (mnw.top_win_now == 995) wait_ticks = 10;
  int handled = DOVAVI_pump_messages();
  if (!handled && wait_ticks > 0) {
    DOVAVI_wait_for_input(wait_ticks * 16);
    handled = DOVAVI_pump_messages();
  }
  frame_input = handled > 0;
  frame_not_drawn = 0;
  if (mnw.top_win_now == 0) THREAD_check_exception(1);
  xtim.xtim_update();
  keys.run_repeat_keys();
  mnw.cursor_type = 0;
  if (mnw.menu_up >= 0) DOVAVI_menu_rollover();
  BTN_begin_focus_ring();
  if (!mnw.is_modal && g_app_update) g_app_update();
  mouse_help_per_wind(mnw.top_win_now);
  standard_gui();
  // No movie recorder consumes frames in this program; a frame the installer
  // step ran without drawing is not shown.
  if (!frame_not_drawn) {
    const double t0 = xtim_seconds();
    OGL_sbuff();
    frame_present_seconds = xtim_seconds() - t0;
  }
  xtim.total_frames++;
}

void DOVAVI_finishup(int is_normal_exit) {
  if (is_normal_exit && !cmdline.has_option("--fps_test")) {
    pref.IO_set(11, 1);
    keys.keys_io(1);
  }
  if (is_normal_exit) THREAD_shutdown();
  if (mnw.window[0]) {  // a headless run made no window
    DOVAVI_setres(0);
    DOVAVI_nuke_context(0);
  }
  UTL_log_close();
}

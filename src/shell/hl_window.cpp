// The window, its OpenGL context and the window procedure.
#include "shell/hl_window.h"

#include "gui/ogl_gl.h"
#include "shell/OGL_extensions.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"

int g_mon_x_res_now = 0, g_mon_y_res_now = 0;
int hres_orig = 0, vres_orig = 0, cres_orig = 0, sres_orig = 0;
int have_created_ibm_win = 0;
const char* const k_window_class = "Vantrel-System";

void (*g_window_key_hook)(const plat_event& ev) = nullptr;
void (*g_window_click_hook)(int enter_close) = nullptr;
void (*g_window_paint_hook)() = nullptr;

static int g_setres_called = 0;

// ---- Display mode ----

void DOVAVI_setres(int init_call) {
  mnw.x_res_now = mnw.x_res_req;
  mnw.y_res_now = mnw.y_res_req;
  mnw.col_res_now = mnw.col_res_req;

  int w = 0, h = 0, depth = 32;
  if (!PLAT_screen_mode(&w, &h, &depth)) w = h = 0, depth = 32;
  g_mon_x_res_now = w;
  g_mon_y_res_now = h;

  if (mnw.set_app_to_monitor) {
    mnw.x_res_req = mnw.x_res_now = w - 40;
    mnw.y_res_req = mnw.y_res_now = h - 60;
  }
  const int need_change = mnw.set_res || w < 1024 || h < 768;
  if (!g_setres_called) {
    g_setres_called = 1;
    hres_orig = w;
    vres_orig = h;
    cres_orig = depth;
    sres_orig = need_change;
  }

  if (init_call) {
    if (!need_change) return;
    if (w == mnw.x_res_now && h == mnw.y_res_now && depth == mnw.col_res_now) return;
    int mw, mh, md;
    for (int i = 0; PLAT_screen_mode_at(i, &mw, &mh, &md); i++) {
      if (mw != mnw.x_res_now || mh != mnw.y_res_now || md != mnw.col_res_now) continue;
      if (!PLAT_screen_set_mode(i)) continue;
      g_mon_x_res_now = mw;
      g_mon_y_res_now = mh;
      break;
    }
  } else if (sres_orig) {
    PLAT_screen_restore_mode();
  }
}

// ---- Window and context ----

// The GL state every frame starts from; the drawing code changes only what its
// state cache tracks.
static void set_fixed_gl_defaults() {
  const GLfloat no_ambient[4] = {0, 0, 0, 0};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, no_ambient);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glAlphaFunc(GL_GREATER, 0);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthFunc(GL_LEQUAL);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glHint(GL_FOG_HINT, GL_FASTEST);
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_DITHER);
  glDisable(GL_COLOR_LOGIC_OP);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_TEXTURE_1D);
  glDisable(GL_NORMALIZE);
  glDisable(GL_SCISSOR_TEST);
  glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  if (mnw.alias_act > 0) glEnable(GL_MULTISAMPLE_ARB);
  glDepthMask(GL_FALSE);
}

int DOVAVI_make_context(int slot) {
  if (slot != 0) return 0;
  const int captioned = g_mon_x_res_now > mnw.x_res_now + 20 && g_mon_y_res_now > mnw.y_res_now + 20;

  // The system fixes a window's pixel format when the window is made, so the
  // format is chosen first.
  plat_pixel_format want, got;
  want.colour_bits = mnw.col_res_now;
  want.depth_bits = 32;
  want.stencil_bits = 0;
  want.double_buffer = 1;
  const int format = PLAT_gl_choose_format(want, &got);
  if (!format) return 0;

  void* win = PLAT_window_create(k_window_class, 0, 0, mnw.x_res_now, mnw.y_res_now, captioned,
                                 format, IBM_handlewin);
  if (!win) return 0;
  mnw.window[0] = win;
  while (!have_created_ibm_win) PLAT_pump_events();
  PLAT_window_show(win);
  mnw.dc[0] = win;  // on this system the window itself is the drawing surface

  void* ctx = PLAT_gl_context_create(win, nullptr);
  if (!ctx) return 0;
  if (!PLAT_gl_make_current(win, ctx)) {
    PLAT_gl_context_destroy(ctx);
    return 0;
  }
  mnw.context[0] = ctx;
  mnw.pixel_format = format;
  mnw.current_con = 0;
  mnw.alias_act = 0;  // multisampled formats are asked for only with alias_req > 0

  const std::string sys_ext = PLAT_gl_system_extensions(win);
  bool swap_control = false;
  for (const char* const* name = PLAT_gl_swap_control_names; *name; name++)
    swap_control = swap_control || OGL_has_extension(sys_ext, *name);
  if (!swap_control || !PLAT_gl_swap_interval(win, 0)) xer << "Warning: unable to disable vsync.\n";

  set_fixed_gl_defaults();
  return 1;
}

void DOVAVI_nuke_context(int slot) {
  if (slot < 0 || slot > 1) return;
  PLAT_gl_make_current(nullptr, nullptr);
  if (mnw.context[slot]) PLAT_gl_context_destroy(mnw.context[slot]);
  if (mnw.window[slot]) PLAT_window_destroy(mnw.window[slot]);
  mnw.context[slot] = mnw.dc[slot] = mnw.window[slot] = nullptr;
  if (slot == 0) have_created_ibm_win = 0;
}

void* DOVAVI_make_context_loader() {
  void* ctx = PLAT_gl_context_create(mnw.window[0], mnw.context[0]);
  if (ctx) return ctx;
  const int err = PLAT_gl_error();
  // Sharing is part of creation here: tell a context that cannot share apart from
  // one that cannot be made at all.
  void* alone = PLAT_gl_context_create(mnw.window[0], nullptr);
  if (alone) {
    PLAT_gl_context_destroy(alone);
    xer << "Could not share lists: " << err << "\n";
  } else {
    xer << "Could not make loader gl context: " << err << "\n";
  }
  return nullptr;
}

int DOVAVI_set_context_loader(void* context) {
  if (PLAT_gl_make_current(mnw.window[0], context)) return 1;
  xer << "Could not set loader ctx: " << PLAT_gl_error() << "\n";
  return 0;
}

// ---- Window procedure ----

void IBM_handlewin(void* window, const plat_event& ev) {
  switch (ev.type) {
    case PLAT_EV_CREATE:
      have_created_ibm_win = 1;
      break;
    case PLAT_EV_PAINT:
      if (g_window_paint_hook) {
        void* saved = mnw.dc[0];
        mnw.dc[0] = window;
        g_window_paint_hook();
        mnw.dc[0] = saved;
      }
      break;
    case PLAT_EV_CLOSE:
      app_done = 1;
      break;
    case PLAT_EV_KEY_DOWN:
    case PLAT_EV_KEY_UP:
      // Alt, F10 and keys held with Alt belong to the desktop's window menu.
      if (ev.is_system) break;
      if (g_window_key_hook) g_window_key_hook(ev);
      break;
    case PLAT_EV_MOUSE_MOVE: {
      const float k = mnw.xy_scale_now > 0 ? mnw.xy_scale_now : 1.0f;
      mnw.mx = ev.x / k;
      mnw.my = (mnw.y_res_now - ev.y) / k;
      if (window == mnw.window[0]) {
        mnw.top_win_mouse = mnw.top_win_cmnd;
        mnw.mx -= mnw.win_x;
        mnw.my -= mnw.win_y;
      }
      break;
    }
    case PLAT_EV_BUTTON_DOWN:
      if (ev.button != 1 && ev.button != 3) break;
      mnw.mouse_clicked = 1;
      mnw.mouse_button = ev.button == 1 ? 1 : 2;
      if (g_window_click_hook) g_window_click_hook(0);
      break;
    case PLAT_EV_BUTTON_UP:
      if (ev.button == 1 || ev.button == 3) mnw.mouse_lifted = 1;
      break;
    case PLAT_EV_WHEEL:
      mnw.mouse_wheel += ev.wheel_delta / 120;
      break;
  }
}

int DOVAVI_pump_messages() { return PLAT_pump_events(); }

int (*g_wake_sockets)(plat_wake_socket* out, int max) = nullptr;

int DOVAVI_wait_for_input(int ms) {
  if (!g_wake_sockets || mnw.is_modal) return PLAT_wait_events(ms);
  plat_wake_socket sockets[16];
  const int n = g_wake_sockets(sockets, 16);
  if (n < 0) return 0;
  return PLAT_wait_events_or_sockets(ms, sockets, n);
}

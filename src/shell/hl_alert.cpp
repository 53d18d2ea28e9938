// The alert and the helpers beside it.
#include "shell/hl_alert.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "gui/butn.h"
#include "gui/ogl_gl.h"
#include "gui/oglp.h"
#include "platform/plat_sys.h"
#include "platform/plat_window.h"
#include "shell/HL_THREAD.h"
#include "shell/OGL_extensions.h"
#include "shell/UTL_cmdline.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_memory.h"
#include "shell/hl_init.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"

alert_intercept_fn g_alert_intercept = nullptr;
stls_class stls;
const char* const k_alert_box_title = "Vantrel-System Message";

void alert_system_box(const std::string& title, const std::string& text) {
  PLAT_beep();
  PLAT_message_box(title, text);
}

void (*g_alert_message_box)(const std::string& title, const std::string& text) = alert_system_box;

// GL as the dialog needs it, whatever the code that raised the alert left behind.
static void alert_reset_gl() {
  glEnd();
  glEndList();
  for (int i = 0; i < 30 && glGetError() != GL_NO_ERROR; i++) {
  }
  OGL_nrml_colors();
  if (glExt.glsl_avail && glExt.glUseProgramObjectARB) glExt.glUseProgramObjectARB(0);
  if (glExt.framebuf_avail && glExt.glBindFramebufferEXT) glExt.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  OGL_forget_state();
}

// Window 995 with the lines and the button, frame by frame, until the button or
// Return. A warning then opens `close_to` again; a fatal alert just leaves.
static void alert_dialog(int close_to, const std::string* lines, const std::string& location,
                         int type) {
  alert_reset_gl();
  DOVAVI_startwind(995);
  while (mnw.top_win_now == 995) {
    OGL_plot_back_col();
    BTN_fillwin(1, 21);
    BTN_subwin(0, 13, -1, 35, -1, -1, "", nullptr, nullptr);
    const float ys[4] = {205, 165, 125, 85};
    for (int i = 0; i < 4; i++)
      OGL_string(43, 0.5f * mnw.win_dx, ys[i], lines[i], 0.9f * mnw.win_dx, 100, 1);
    if (type == t_exit) OGL_string(43, 0.5f * mnw.win_dx, 45, location, 0.9f * mnw.win_dx, 100, 1);
    if (BTN_action(0.5f * mnw.win_dx, 18, 100, 0, 1, stls.text[602], "-") || return_hit) {
      return_hit = 0;
      if (type == t_exit) break;
      DOVAVI_startwind(close_to);
    }
    if (mnw.top_win_now == 995) DOVAVI_event_proc();
  }
}

std::string alert_box_text(const std::string& s1, const std::string& s2, const std::string& s3,
                           const std::string& s4) {
  std::string text = s1 + "\n\n" + s2 + "\n\n" + s3 + "\n\n" + s4;
  const size_t box_chars = 2000 - 1;  // the box's buffer keeps one byte for its terminator
  if (text.size() > box_chars) text.resize(box_chars);
  return text;
}

static void write_alert_to_log(const std::string* lines, const std::string& location) {
  xer << "\n";
  for (int i = 0; i < 4; i++) xer << lines[i] << "\n";
  xer << location << "\n";
  xer.flush();
}

void __DOVAVI_alert(int close_to, const std::string& stl_s_1, const std::string& stl_s_2,
                    const std::string& stl_s_3, const std::string& stl_s_4, int type,
                    const char* file, int line) {
  if (THREAD_is_inited() && !THREAD_is_main_thread()) {
    THREAD_send_exception(exce_class(stl_s_1, stl_s_2, stl_s_3, stl_s_4, file, line, type));
    return;
  }
  if (g_alert_intercept) {
    g_alert_intercept(close_to, stl_s_1, stl_s_2, stl_s_3, stl_s_4, type, file, line);
    return;
  }
  const std::string lines[4] = {stl_s_1, stl_s_2, stl_s_3, stl_s_4};
  const std::string location = "(" + std::string(file ? file : "") + " line " + std::to_string(line) + ")";

  if (cmdline.has_option("--fps_test")) {
    for (const std::string& l : lines) xer << l << "\n";
    xer << location << "\n";
    xer.flush();
    if (type == t_exit) exit(1);
    return;
  }

  const int recursive_error = in_alert;
  in_alert = 1;

  // Whatever else shows the alert, its lines also go to the terminal, so a failure
  // before the window exists (or without any display) is never silent.
  if (type == t_exit || type == t_alert || recursive_error) {
    std::cerr << (type == t_exit || recursive_error ? "Vantrel: fatal: " : "Vantrel: ");
    bool first = true;
    for (const std::string& l : lines) {
      if (l.empty()) continue;
      std::cerr << (first ? "" : "\n    ") << l;
      first = false;
    }
    std::cerr << " " << location << std::endl;
  }

  if (!ogl_inited || recursive_error) {
    // A headless run reports on its terminal only: nobody may be at the display.
    if (g_alert_message_box && !cmdline.has_option("--headless"))
      g_alert_message_box(k_alert_box_title, alert_box_text(stl_s_1, stl_s_2, stl_s_3, stl_s_4));
  } else if (!(stl_s_1.empty() && stl_s_2.empty() && stl_s_3.empty() && stl_s_4.empty())) {
    alert_dialog(close_to, lines, location, type);
  }

  if (type == t_exit || type == t_alert || recursive_error) {
    dump_mem_stats(
        "This is the dump_mem_stats call from the following code: if(type==t_exit || type == "
        "t_alert || recursive_error)");
    write_alert_to_log(lines, location);
  }

  if (type == t_exit || recursive_error) {
    DOVAVI_finishup(0);
    app_done = 1;
    exit(1);
  }
  in_alert = 0;
}

void int_to_str(int num, char* str, int min_digits, int plus) {
  char* p = str;
  long long v = num;  // wide enough for the magnitude of the most negative int
  if (v < 0) {
    *p++ = '-';
    v = -v;
  } else if (plus) {
    *p++ = '+';
  }
  long long power = 1000000000LL;
  for (int exponent = 9; exponent >= 1; exponent--, power /= 10) {
    if (v >= power || min_digits > exponent) {
      long long digit = v / power;
      *p++ = (char)('0' + digit);
      v -= digit * power;
    }
  }
  *p++ = (char)('0' + v % 10);
  *p = 0;
}

void (*g_go_to_url_intercept)(const std::string& url) = nullptr;

void go_to_URL(const std::string& url) {
  if (g_go_to_url_intercept) {
    g_go_to_url_intercept(url);
    return;
  }
  PLAT_open_url(url);
}

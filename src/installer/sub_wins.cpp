// The installer's screens: sheet buttons and the icon, the licence and
// preferences windows, the directory progress box, the modified-file prompt, and
// the engine seams they fill.
//
// Sections: sheet buttons; text helpers; licence window; preferences window;
// directory progress; modified-file prompt; seams.
#include "installer/sub_wins.h"

#include <cstdlib>

#include "gui/butn.h"
#include "gui/colr.h"
#include "gui/oglp.h"
#include "installer/licence.h"
#include "installer/main.h"
#include "installer/seams.h"
#include "net/http.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_init.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "textures/texes.h"

// ---------------------------------------------------------------------------
// Sheet buttons
// ---------------------------------------------------------------------------

static bool mouse_inside(float x1, float y1, float x2, float y2) {
  return mnw.mx >= x1 && mnw.mx <= x2 && mnw.my >= y1 && mnw.my <= y2;
}

int interface_rect(float x1, float y1, float s1, float t1, float ds, float dt, int hi_lite, int col_code) {
  const float x2 = x1 + ds, y2 = y1 + dt;
  float s2 = s1 + ds, t2 = t1 + dt;
  if (col_code == 1)
    colr.assign(102, 0.8f, 1.0f, 0.8f);
  else if (col_code == 2)
    colr.assign(102, 1.0f, 0.8f, 0.8f);
  else
    colr.assign(102, 1.0f, 1.0f, 1.0f);
  const bool inside = mouse_inside(x1, y1, x2, y2);
  if (hi_lite == 1 && inside) {
    const float down = mnw.now_dragging ? 2 * (dt + 1) : dt + 1;
    t1 -= down;
    t2 -= down;
  }
  const float k = 1.0f / 1024;
  OGL_2dquad(tex_installer, 102, 1.0f, x1, y1, s1 * k, t1 * k, x1, y2, s1 * k, t2 * k, x2, y2, s2 * k, t2 * k, x2,
             y1, s2 * k, t1 * k, 1, 5);
  return mnw.mouse_clicked && inside ? 1 : 0;
}

void interface_icon(float x1, float y1, int c) {
  interface_rect(x1, y1, (float)(64 * (c % 8)), (float)(66 + 64 * (c / 8)), 64, 64, 0, 0);
}

void draw_installer_background() {
  // Opaque: drawn without blending, which costs a software renderer a third of its time here.
  OGL_2dquad(tex_ins_back_1, 49, 1.0f, 0, 0, 0, 0, 0, 768, 0, 0.75f, 1024, 768, 1, 0.75f, 1024, 0, 1, 0, 1, 4);
}

// ---------------------------------------------------------------------------
// Text helpers
// ---------------------------------------------------------------------------

std::string fit_text_left(const std::string& text, float width) {
  if (menu_dx(text) <= width) return text;
  const float dots = menu_dx("...");
  size_t cut = 0;
  float w = menu_dx(text);
  while (cut < text.size() && w + dots > width) w -= chr_dx(text[cut++]);
  return "..." + text.substr(cut);
}

std::vector<std::string> wrap_text_lines(const std::string& text, float width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string para = text.substr(start, end - start);
    std::string line;
    size_t p = 0;
    if (para.empty()) lines.push_back(std::string());
    while (p < para.size()) {
      size_t q = para.find(' ', p);
      if (q == std::string::npos) q = para.size();
      std::string word = para.substr(p, q - p);
      p = q + 1;
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (menu_dx(candidate) <= width) {
        line = candidate;
        continue;
      }
      if (!line.empty()) lines.push_back(line);
      // A word wider than the line is cut where it reaches the edge.
      while (menu_dx(word) > width) {
        size_t n = 0;
        float w = 0;
        while (n < word.size() && w + chr_dx(word[n]) <= width) w += chr_dx(word[n++]);
        if (n == 0) n = 1;
        lines.push_back(word.substr(0, n));
        word.erase(0, n);
      }
      line = word;
    }
    if (!line.empty()) lines.push_back(line);
    if (end == text.size()) break;
    start = end + 1;
  }
  return lines;
}

// ---------------------------------------------------------------------------
// Licence window
// ---------------------------------------------------------------------------

int EULA_window() {
  static int agreed = 0;
  if (agreed) return 1;
  // The panel of BTN_subwin(0, 16, -1, 50, -1, -1): x 10, y 50, 480 x 222 in the
  // 500 x 300 window; the text keeps 10 pixels from its edges, the bar 4.
  const float panel_x = 10, panel_y = 50, panel_w = 480, panel_h = 222, line_dy = 12;
  static std::vector<std::string> lines;
  if (lines.empty()) lines = wrap_text_lines(licence_text(), panel_w - 40);
  const int visible = (int)((panel_h - 12) / line_dy);
  float first = 0;
  DOVAVI_startwind(1);
  UTL_screen_trace("window", "licence");
  while (mnw.top_win_now == 1 && !app_done) {
    OGL_plot_back_col();
    BTN_fillwin(1, 21);
    BTN_subwin(0, 16, -1, panel_y, -1, -1, "", nullptr, nullptr);
    BTN_scroll_bar(panel_x + panel_w - 14, panel_y + 4, 10, panel_h - 8, &first, (int)lines.size(), visible,
                   panel_x, panel_x + panel_w);
    OGL_scissors(panel_x + 2, panel_y + 2, panel_w - 4, panel_h - 4);
    const int top = (int)first;
    for (int k = 0; k < visible && top + k < (int)lines.size(); k++) {
      const float y = panel_y + panel_h - 16 - k * line_dy;
      if (top + k == 0)  // the title, centred in the accent colour
        OGL_string(41, panel_x + (panel_w - 14) * 0.5f, y, lines[0], 9999, 100, 1);
      else
        OGL_string(43, panel_x + 10, y, lines[(size_t)(top + k)], 9999, 100, 0);
    }
    OGL_scissors_end();
    const bool at_end = top + visible >= (int)lines.size();
    OGL_string(46, 20, 17,
               at_end ? "Do you accept the licence agreement?" : "Scroll down to read the whole agreement.",
               9999, 100, 0);
    if (interface_rect(300, 10, 832, 166, 85, 22, 1, 1)) {
      agreed = 0;
      DOVAVI_startwind(0);
    }
    if (mnw.top_win_now == 1 && interface_rect(400, 10, 918, 166, 59, 22, 1, 1)) {
      agreed = 1;
      DOVAVI_startwind(0);
    }
    if (mnw.top_win_now == 1) DOVAVI_event_proc();
  }
  if (mnw.top_win_now == 1) DOVAVI_startwind(0);
  UTL_screen_trace("window", agreed ? "licence accepted" : "licence declined");
  return agreed;
}

// ---------------------------------------------------------------------------
// Preferences window
// ---------------------------------------------------------------------------

// A port typed in the preferences: its value when every character is a digit,
// "+" or "-", else -1.
static int proxy_port_value(const std::string& text) {
  for (char c : text)
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-')) return -1;
  return (int)strtol(text.c_str(), nullptr, 10);
}

void handle_prefs() {
  DOVAVI_startwind(2);
  UTL_screen_trace("window", "preferences");
  while (mnw.top_win_now == 2 && !app_done) {
    OGL_plot_back_col();
    BTN_fillwin(1, 21);
    float x2 = 0, y2 = 0;
    BTN_subwin(0, 13, -1, -1, -1, 70, "Proxy (if you are behind a firewall with a Proxy)", &x2, &y2);
    BTN_subwin(0, 13, -1, y2, -1, -1, "General Preferences", nullptr, nullptr);
    int man_set_streams = stg.stream_count != 0;
    int os = stg.download_os - 1;
    if (BTN_textlist(200, 310, &os, "Macintosh-Windows-Linux",
                     "Operating System to download Vantrel for:|(Install and copy the entire Vantrel folder to "
                     "another computer if you like)"))
      stg.download_os = os + 1;
    BTN_bool(30, 265, &stg.use_max_cpu,
             "|run at full speed all the time, always totally saturating the CPU... typically leave this OFF, "
             "since the installer does not need that much CPU to download stuff!",
             0);
    BTN_bool(30, 230, &stg.rename_folder,
             "|re-name the Vantrel-System folder to the latest version number when done with the update... "
             "typically leave this ON, so the installer can indicate the proper version number!",
             0);
    BTN_bool(30, 190, &stg.always_ask_dir,
             "|always ask you to pick your Vantrel-System folder on startup... typically leave this OFF, since "
             "the installer will remember your current Vantrel folder after the first use.",
             0);
    BTN_bool(30, 150, &man_set_streams,
             "|manually set the number of download streams... typically leave this OFF, and the installer will "
             "find the best number of streams for you.",
             0);
    BTN_bool(30, 110, &stg.log_actions,
             "|log installer actions... turn this on to output the installer file downloads and stuff to the "
             "file log.txt.",
             0);
    if (!man_set_streams) {
      stg.stream_count = 0;
    } else {
      if (stg.stream_count == 0) stg.stream_count = 1;
      BTN_int_range(400, 150, &stg.stream_count, 1, 1, 4, "");
    }
    BTN_enterstring(85, 40, &http.ProxyHost, 65, "-proxy host", 455, 1);
    BTN_enterstring(85, 20, &http.ProxyPort_str, 65, "-proxy port", 455, 1);
    if (!http.ProxyPort_str.empty()) http.ProxyPort_int = proxy_port_value(http.ProxyPort_str);
    DOVAVI_event_proc();
  }
  if (mnw.top_win_now == 2) DOVAVI_startwind(0);
  UTL_screen_trace("window", "main");
}

// ---------------------------------------------------------------------------
// Directory progress
// ---------------------------------------------------------------------------

float dir_progress_fraction(float d1, float d, float d2) {
  if (d1 == d2) return 0.52f;
  float r = 0.04f + 0.96f * (d - d1) / (d2 - d1);
  if (r < 0.04f) r = 0.04f;
  if (r > 1.0f) r = 1.0f;
  return r;
}

void window_dir_progress_bar(float d1, float d, float d2, int call_type, const std::string& message1,
                             const std::string& rel_path_exp) {
  const std::string line2 =
      call_type == 0 ? "Currently SCANNING the directory text file." : "Currently EXAMINING the hard disk.";
  UTL_screen_trace("progress", line2);
  draw_installer_background();
  const float tx = (mnw.x_res_now - 512) * 0.5f, ty = (mnw.y_res_now - 138) * 0.5f;
  const float r = dir_progress_fraction(d1, d, d2);
  const float left = tx + 30, right = tx + 482, filled = left + r * 452;
  BTN_frame2(15, tx + 20, ty + 20, 472, 98, "");
  BTN_frame1(4, (left + right) * 0.5f - mnw.win_x, ty + 35 - mnw.win_y, 452, 0);
  BTN_frame1(5, (left + filled) * 0.5f - mnw.win_x, ty + 35 - mnw.win_y, filled - left, 0);
  OGL_string(49, tx + 32, ty + 100, fit_text_left(message1, 452), 452, 100, 0);
  OGL_string(49, tx + 32, ty + 80, line2, 452, 100, 0);
  OGL_string(49, tx + 32, ty + 60, fit_text_left(rel_path_exp, 452), 452, 100, 0);
  OGL_sbuff();
}

// ---------------------------------------------------------------------------
// Modified-file prompt
// ---------------------------------------------------------------------------

int window_select_alert(const std::string& dest_path_exp, int is_gone) {
  DOVAVI_startwind(997);
  UTL_screen_trace("window", std::string(is_gone ? "prompt to delete " : "prompt to install ") + dest_path_exp);
  int result = 3;
  while (mnw.top_win_now == 997 && !app_done) {
    const std::string stl_alert1 = is_gone ? "I am about to DELETE:" : "I am about to install:";
    const std::string stl_alert2 = is_gone
                                       ? "because we no longer use this file, but it appears you have modified it. "
                                         "What to do?"
                                       : "but it appears you have modified this file. What to do?";
    const std::string str_keep_old = "KEEP THE OLD FILE";
    const std::string str_grab_new = is_gone ? "DELETE THE OLD FILE" : "OVERWRITE THE OLD FILE";
    const std::string str_keep_old_dir = "KEEP EVERY OLD FILE IN THIS DIRECTORY";
    const std::string str_grab_new_dir =
        is_gone ? "DELETE EVERY OLD FILE IN THIS DIRECTORY" : "OVERWRITE EVERY OLD FILE IN THIS DIRECTORY";
    const std::string str_cancel = "CANCEL THE WHOLE INSTALLATION!";
    OGL_plot_back_col();
    BTN_fillwin(1, 21);
    const float w = mnw.win_dx - 40;
    OGL_string(43, 20, 100, stl_alert1, w, 100, 0);
    OGL_string(45, 20, 90, fit_text_left(dest_path_exp, w), w, 100, 0);
    OGL_string(43, 20, 80, stl_alert2, w, 100, 0);
    int pressed = 0;
    if (BTN_action(96, 53, 160, 0, 1, str_grab_new, "-"))
      pressed = 1;
    else if (BTN_action(96, 28, 160, 0, 1, str_keep_old, "-"))
      pressed = 2;
    else if (BTN_action(308, 53, 260, 0, 1, str_grab_new_dir, "-"))
      pressed = 4;
    else if (BTN_action(308, 28, 260, 0, 1, str_keep_old_dir, "-"))
      pressed = 5;
    else if (BTN_action(584, 28, 200, 0, 1, str_cancel, "-"))
      pressed = 3;
    if (pressed) {
      result = pressed;
      DOVAVI_startwind(0);
      break;
    }
    DOVAVI_event_proc();
  }
  if (mnw.top_win_now == 997) DOVAVI_startwind(0);
  UTL_screen_trace("window", "prompt answered " + std::to_string(result));
  return result;
}

// ---------------------------------------------------------------------------
// Seams
// ---------------------------------------------------------------------------

void sub_wins_use_window() {
  handle_EULA = EULA_window;
  select_alert = window_select_alert;
  dir_progress_bar = window_dir_progress_bar;
}

// The alert and the helpers beside it.
#include "shell/hl_alert.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/plat_sys.h"
#include "shell/HL_THREAD.h"
#include "shell/UTL_cmdline.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_memory.h"
#include "shell/hl_init.h"
#include "shell/hl_structs.h"

alert_intercept_fn g_alert_intercept = nullptr;

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
  (void)close_to;

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

// The alert: the program's one way to tell the user about a problem. Up to four
// lines, logged, then either a return to a window (t_alert) or the end of the
// process with status 1 (t_exit). Also the small text helpers that live beside it.
#pragma once
#include <string>

enum { t_alert = 1, t_exit = 2 };

// The text table: the current window's name, the language text entries and the
// mouse-help text of the frame.
class stls_class {
 public:
  std::string win_name;      // name of the current window (DOVAVI_startwind), drawn by its frame
  std::string text[1800];    // language text; only 602, the alert button's label, is filled
  std::string help_message;  // help for the hovered widget; set while drawing, cleared per frame
};

extern stls_class stls;  // the text table (window manager, widgets, installer start-up)

// Title of the system message box.
extern const char* const k_alert_box_title;
// How an alert is shown before the GL window exists (or for an alert raised while
// another is shown): the beep and a blocking message box. The default,
// alert_system_box, uses the platform's box; tests point it elsewhere so that no
// box waits for a user.
extern void (*g_alert_message_box)(const std::string& title, const std::string& text);
void alert_system_box(const std::string& title, const std::string& text);

// Shows and logs an alert. `close_to` is the window to return to after a warning;
// `file` and `line` name the place that raised it. A t_exit alert (and any alert
// raised while another is shown) never returns: the process ends with status 1.
// Off the main thread (with the thread layer running) the alert is queued for the
// main thread instead. With "--fps_test" it is only logged. Before the GL window
// exists (ogl_inited 0), or inside another alert, it is a message box (none with
// "--headless"); otherwise
// window 995 shows the lines (and, for t_exit, the source location) with a button
// labelled by text entry 602, run frame by frame until the button or Return. The
// lines always go to standard error, and warnings and fatal alerts to the log
// after a memory report.
void __DOVAVI_alert(int close_to, const std::string& stl_s_1, const std::string& stl_s_2,
                    const std::string& stl_s_3, const std::string& stl_s_4, int type,
                    const char* file, int line);

// Test seam: when set, every alert goes here instead of being shown. A handler for
// t_exit must not return normally (throw, or end the process).
typedef void (*alert_intercept_fn)(int close_to, const std::string& s1, const std::string& s2,
                                   const std::string& s3, const std::string& s4, int type,
                                   const char* file, int line);
extern alert_intercept_fn g_alert_intercept;

// The message-box text of an alert: the four lines joined by blank lines, cut to
// fit a buffer of 2000 characters.
std::string alert_box_text(const std::string& s1, const std::string& s2, const std::string& s3,
                           const std::string& s4);

// Decimal text of `num` into `str` (at least 12 bytes): "-" for a negative number,
// "+" for others when `plus` is set, zero-padded to `min_digits` digits.
void int_to_str(int num, char* str, int min_digits, int plus);

// Opens an address with the system's default handler (the browser). Never blocks.
void go_to_URL(const std::string& url);
// Test seam: when set, receives the address instead of the browser.
extern void (*g_go_to_url_intercept)(const std::string& url);

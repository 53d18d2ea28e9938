// The alert: the program's one way to tell the user about a problem. Up to four
// lines, logged, then either a return to a window (t_alert) or the end of the
// process with status 1 (t_exit). Also the small text helpers that live beside it.
#pragma once
#include <string>

enum { t_alert = 1, t_exit = 2 };

// Shows and logs an alert. `close_to` is the window to return to after a warning;
// `file` and `line` name the place that raised it. A t_exit alert (and any alert
// raised while another is shown) never returns: the process ends with status 1.
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

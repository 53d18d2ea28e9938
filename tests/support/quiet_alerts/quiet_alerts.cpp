// Linked into every test program: alerts raised before a GL window exists are not
// shown in a message box (which would wait for a user under Xvfb); their lines
// still go to standard error and the log. The last box's title and text are kept
// for the tests that look at them.
#include <string>

#include "shell/hl_alert.h"
#include "support/quiet_alerts.h"

std::string g_quiet_box_title, g_quiet_box_text;
int g_quiet_box_count = 0;

static void record_box(const std::string& title, const std::string& text) {
  g_quiet_box_title = title;
  g_quiet_box_text = text;
  g_quiet_box_count++;
}

static const bool k_installed = [] {
  g_alert_message_box = record_box;
  return true;
}();

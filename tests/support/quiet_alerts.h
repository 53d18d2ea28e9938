// Every test program shows no system message box for alerts (quiet_alerts/); it
// records the last one here instead. A test that needs the real box sets
// g_alert_message_box back to alert_system_box.
#pragma once
#include <string>

extern std::string g_quiet_box_title, g_quiet_box_text;  // the last box asked for
extern int g_quiet_box_count;                            // boxes asked for so far

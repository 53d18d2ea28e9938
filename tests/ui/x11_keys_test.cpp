// Keys as the X backend delivers them to the window procedure: the virtual-key
// code, the PC scan code and its E0 bit, the character, and the system keys that
// never reach the keyboard.
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "shell/hl_window.h"
#include "support/ui_frame.h"
#include "support/x11_helpers.h"

namespace {
std::vector<plat_event> g_seen;
void record(const plat_event& ev) { g_seen.push_back(ev); }
}  // namespace

TEST(X11Keys, EventsCarryWhatAPcKeyMessageCarries) {
  ASSERT_TRUE(ui_start()) << "needs X (xvfb-run)";
  const unsigned long xid = x11_find_window("Vantrel-System", getpid());
  ASSERT_NE(0u, xid);
  const struct {
    const char* keysym;
    bool shift;
    int vkey, scan, extended, character;
  } cases[] = {
      {"a", false, 65, 0x1E, 0, 'a'},       {"a", true, 65, 0x1E, 0, 'A'},
      {"semicolon", true, 186, 0x27, 0, ':'}, {"Return", false, 13, 0x1C, 0, 13},
      {"KP_Enter", false, 13, 0x1C, 1, 13}, {"Left", false, 37, 0x4B, 1, 0},
      {"Delete", false, 46, 0x53, 1, 127},  {"F1", false, 112, 0x3B, 0, 0},
      {"Tab", true, 9, 0x0F, 0, 0},  // ISO_Left_Tab types nothing; the key path gives it 9
      {"Shift_L", false, 16, 0x2A, 0, 0},
      {"Caps_Lock", false, 20, 0x3A, 0, 0}, {"KP_Home", false, 36, 0x47, 0, 0},
  };
  void (*saved)(const plat_event&) = g_window_key_hook;
  g_window_key_hook = record;
  for (const auto& c : cases) {
    g_seen.clear();
    x11_send_key(xid, c.keysym, true, c.shift);
    x11_send_key(xid, c.keysym, false, c.shift);
    for (int i = 0; i < 200 && g_seen.size() < 2; i++) {
      DOVAVI_wait_for_input(10);
      DOVAVI_pump_messages();
    }
    ASSERT_EQ(2u, g_seen.size()) << c.keysym;
    EXPECT_EQ(PLAT_EV_KEY_UP, g_seen[1].type);
    const plat_event& ev = g_seen[0];
    EXPECT_EQ(c.vkey, ev.vkey) << c.keysym;
    EXPECT_EQ(c.scan, ev.key_scan) << c.keysym;
    EXPECT_EQ(c.extended, ev.extended) << c.keysym;
    EXPECT_EQ(c.character, ev.character) << c.keysym;
    EXPECT_EQ(0, ev.is_system) << c.keysym;
  }
  for (int i = 0; i < 20; i++) {
    DOVAVI_wait_for_input(5);
    DOVAVI_pump_messages();
  }
  // Alt and F10 are the desktop's: the window procedure keeps them from the keyboard.
  g_seen.clear();
  x11_send_key(xid, "Alt_L", true);
  x11_send_key(xid, "F10", true);
  x11_send_key(xid, "b", true);
  for (int i = 0; i < 200 && g_seen.empty(); i++) {
    DOVAVI_wait_for_input(10);
    DOVAVI_pump_messages();
  }
  x11_send_key(xid, "Alt_L", false);
  x11_send_key(xid, "F10", false);
  x11_send_key(xid, "b", false);
  for (int i = 0; i < 20; i++) {
    DOVAVI_wait_for_input(5);
    DOVAVI_pump_messages();
  }
  g_window_key_hook = saved;
  ASSERT_FALSE(g_seen.empty());
  for (const plat_event& ev : g_seen) EXPECT_EQ('b', ev.character) << "only the letter gets through";
}

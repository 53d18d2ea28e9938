// The alert in the real window: the in-window dialog of window 995 dismissed by
// Return and by its button (sent through the X server by a helper thread while
// the dialog runs its frames), the fatal dialog with its location line, an alert
// inside an alert, and the message box before the window exists.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/hl_window.h"
#include "shell/xtim.h"
#include "support/fs_helpers.h"
#include "support/png_writer.h"
#include "support/quiet_alerts.h"
#include "support/ui_frame.h"
#include "support/x11_helpers.h"

namespace {
class AlertDialog : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui_start()) << "the alert dialog tests need X (xvfb-run)";
    xid = x11_find_window("Vantrel-System", getpid());
    ASSERT_NE(0u, xid);
    stls.text[602] = "OK";
    UTL_log_open(dir / "Log.txt");
  }
  void TearDown() override {
    UTL_log_close();
    ogl_inited = 1;
  }
  // After a pause for the dialog to draw, saves the window as `png` (when given)
  // and then does `act` from another thread, as a user would.
  template <typename F>
  std::thread user(const std::string& png, F act) {
    const unsigned long w = xid;
    return std::thread([w, png, act] {
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      if (!png.empty()) {
        std::vector<unsigned char> shot;
        int sw = 0, sh = 0;
        if (x11_capture(w, &shot, &sw, &sh))
          write_png(std::string(VANTREL_BUILD_DIR) + "/" + png, sw, sh, shot);
      }
      act(w);
    });
  }
  TempDir dir;
  unsigned long xid = 0;
};

void press_return(unsigned long w) {
  x11_send_key(w, "Return", true);
  x11_send_key(w, "Return", false);
}

// The dialog's button: window 995 sits at (302, 259); the button at (210, 18) in it.
void click_ok(unsigned long w) {
  const int x = 302 + 210, y = 768 - (259 + 18);
  x11_send_motion(w, x, y);
  x11_send_button(w, 1, true, x, y);
  x11_send_button(w, 1, false, x, y);
}
}  // namespace

TEST_F(AlertDialog, WarningIsDismissedByReturn) {
  std::thread t = user("ui_alert_dialog.png", press_return);
  __DOVAVI_alert(0, "The mirror did not answer.", "Trying the next one.", "", "", t_alert, "testsrc", 5);
  t.join();
  EXPECT_EQ(0, mnw.top_win_now);
  EXPECT_EQ(0, mnw.is_modal);
  EXPECT_EQ(0, in_alert);
  EXPECT_EQ(0, return_hit) << "the dialog took the Return";
  UTL_log_close();
  const std::string log = read_file(dir / "Log.txt");
  EXPECT_NE(std::string::npos, log.find("\nThe mirror did not answer.\nTrying the next one.\n\n\n(testsrc line 5)\n"));
}

TEST_F(AlertDialog, WarningIsDismissedByItsButtonAndReturnsToItsWindow) {
  DOVAVI_startwind(2);
  std::thread t = user("", click_ok);
  __DOVAVI_alert(2, "Could not save the preferences.", "", "", "", t_alert, "testsrc", 6);
  t.join();
  EXPECT_EQ(2, mnw.top_win_now) << "back to the window it was raised in";
}

TEST_F(AlertDialog, FourEmptyLinesShowNothingButAreLogged) {
  const int frames = xtim.total_frames;
  __DOVAVI_alert(0, "", "", "", "", t_alert, "testsrc", 7);
  EXPECT_EQ(frames, xtim.total_frames) << "no dialog frames ran";
  EXPECT_EQ(0, mnw.top_win_now);
  UTL_log_close();
  EXPECT_NE(std::string::npos, read_file(dir / "Log.txt").find("dump_mem_stats call"));
  EXPECT_NE(std::string::npos, read_file(dir / "Log.txt").find("\n\n\n\n\n(testsrc line 7)\n"));
}

TEST_F(AlertDialog, BeforeTheWindowIsReadyAMessageBoxShowsTheLines) {
  ogl_inited = 0;
  g_quiet_box_count = 0;
  __DOVAVI_alert(0, "one", "two", "", "four", t_alert, "testsrc", 8);
  EXPECT_EQ(1, g_quiet_box_count);
  EXPECT_EQ("Vantrel-System Message", g_quiet_box_title);
  EXPECT_EQ("one\n\ntwo\n\n\n\nfour", g_quiet_box_text) << "the location is not in the box";
  EXPECT_EQ(0, mnw.top_win_now);
}

TEST_F(AlertDialog, FatalDialogShowsTheLocationAndEndsWithStatusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child makes its own window
  EXPECT_EXIT(
      {
        std::thread t = user("ui_alert_fatal.png", click_ok);
        t.detach();
        __DOVAVI_alert(0, "The disk is full.", "Nothing was changed.", "", "", t_exit, "testsrc", 9);
      },
      testing::ExitedWithCode(1), "fatal: The disk is full\\..*Nothing was changed\\..*\\(testsrc line 9\\)");
}

TEST_F(AlertDialog, AnAlertInsideAnAlertIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // A key during the dialog raises a second alert, a mere warning.
        g_window_key_hook = [](const plat_event&) {
          __DOVAVI_alert(0, "inner warning", "", "", "", t_alert, "testsrc", 11);
        };
        std::thread t = user("", press_return);
        t.detach();
        __DOVAVI_alert(0, "outer warning", "", "", "", t_alert, "testsrc", 10);
      },
      testing::ExitedWithCode(1), "outer warning.*fatal: inner warning");
}

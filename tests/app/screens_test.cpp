// The screens' own rules, in the test program's window: sheet buttons and their
// edges, the progress box's fraction, text fitting and wrapping, the folder the
// drawn chooser lists, and the frame loop's idle wait that ends for a transfer.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include "gui/colr.h"
#include "gui/oglp.h"
#include "installer/sub_wins.h"
#include "shell/folder_chooser.h"
#include "shell/hl_mnw.h"
#include "shell/hl_window.h"
#include "support/fs_helpers.h"
#include "support/ui_frame.h"

TEST(Screens, SheetButtonEdgesAndTint) {
  ASSERT_TRUE(ui_start());
  struct {
    float mx, my;
    int hi_lite, clicked, want;
  } cases[] = {
      {450, 78, 1, 1, 1},    {533, 100, 1, 1, 1},  // the corners, edges included
      {533.5f, 90, 1, 1, 0}, {470, 77.5f, 1, 1, 0},
      {470, 90, 0, 1, 1},   // without hover images a click still counts (the caller ignores it)
      {470, 90, 1, 0, 0},   // no click this frame
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.mx) + "," + std::to_string(c.my));
    mnw.mx = c.mx;
    mnw.my = c.my;
    mnw.mouse_clicked = c.clicked;
    EXPECT_EQ(c.want, interface_rect(450, 78, 640, 166, 83, 22, c.hi_lite, 1));
  }
  mnw.mouse_clicked = 0;
  interface_rect(450, 78, 640, 166, 83, 22, 0, 2);
  EXPECT_FLOAT_EQ(0.8f, colr.col_rgb[102][1]) << "red tint";
  EXPECT_FLOAT_EQ(1.0f, colr.col_rgb[102][0]);
  interface_rect(450, 78, 640, 166, 83, 22, 0, 0);
  EXPECT_FLOAT_EQ(1.0f, colr.col_rgb[102][1]);
}

TEST(Screens, ProgressBoxFraction) {
  struct {
    float d1, d, d2, want;
  } cases[] = {{5, 5, 5, 0.52f}, {0, -3, 10, 0.04f}, {0, 0, 10, 0.04f}, {0, 5, 10, 0.52f}, {0, 10, 10, 1.0f},
               {0, 20, 10, 1.0f}};
  for (const auto& c : cases) EXPECT_FLOAT_EQ(c.want, dir_progress_fraction(c.d1, c.d, c.d2)) << c.d;
}

TEST(Screens, TextFitsAndWraps) {
  ASSERT_TRUE(ui_start());
  EXPECT_EQ("/home/pilot/", fit_text_left("/home/pilot/", 300));
  const std::string path = "/home/pilot/a very long folder name/another very long folder name/Vantrel/";
  const std::string fitted = fit_text_left(path, 200);
  EXPECT_EQ(0u, fitted.find("..."));
  EXPECT_LE(menu_dx(fitted), 200);
  EXPECT_EQ(path.substr(path.size() - (fitted.size() - 3)), fitted.substr(3)) << "the end of the path stays";

  const std::string text = "First paragraph with several words that will need more than one line here.\n\n"
                           "Second " + std::string(80, 'x') + " end.";
  const std::vector<std::string> lines = wrap_text_lines(text, 150);
  std::string joined;
  int blank = 0;
  for (const std::string& l : lines) {
    EXPECT_LE(menu_dx(l), 150) << l;
    if (l.empty()) blank++;
    joined += l;
  }
  EXPECT_EQ(1, blank) << "the blank line between the paragraphs";
  std::string without_spaces, joined_without;
  for (char c : text)
    if (c != ' ' && c != '\n') without_spaces += c;
  for (char c : joined)
    if (c != ' ') joined_without += c;
  EXPECT_EQ(without_spaces, joined_without) << "nothing lost, the long word cut";
}

TEST(Screens, ChooserListsTheNearestExistingFolder) {
  TempDir dir;
  make_dirs(dir / "a/b/");
  EXPECT_EQ(dir / "a/b/", folder_chooser_listed_folder(dir / "a/b"));
  EXPECT_EQ(dir / "a/b/", folder_chooser_listed_folder(dir / "a/b/not/yet/"));
  write_file(dir / "a/file", "x");
  EXPECT_EQ(dir / "a/", folder_chooser_listed_folder(dir / "a/file"));
  EXPECT_EQ("/", folder_chooser_listed_folder("relative/path"));
  EXPECT_EQ("/", folder_chooser_listed_folder(""));
}

namespace {
int g_fd = -1;
int g_hook_result = 0;
int one_socket(plat_wake_socket* out, int) {
  if (g_hook_result <= 0) return g_hook_result;
  out[0] = {(unsigned)g_fd, 0};
  return 1;
}
double seconds_of(const std::function<void()>& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}
}  // namespace

// The idle wait ends when a transfer's socket can be read, does not wait when
// the installer has work that needs none, and looks at no socket while a modal
// window is up (the transfers do not move then).
TEST(Screens, IdleWaitWakesForTransfers) {
  ASSERT_TRUE(ui_start());
  int fds[2];
  ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, fds));
  g_fd = fds[0];
  ASSERT_EQ(1, write(fds[1], "x", 1));
  g_wake_sockets = one_socket;
  while (DOVAVI_pump_messages()) {
  }
  int r = -1;
  g_hook_result = 1;
  mnw.is_modal = 0;
  EXPECT_LT(seconds_of([&] { r = DOVAVI_wait_for_input(3000); }), 2.0);
  EXPECT_EQ(1, r) << "the socket holds data";
  g_hook_result = -1;
  EXPECT_LT(seconds_of([&] { r = DOVAVI_wait_for_input(3000); }), 2.0);
  EXPECT_EQ(0, r) << "no wait at all";
  g_hook_result = 1;
  mnw.is_modal = 1;
  EXPECT_GT(seconds_of([&] { r = DOVAVI_wait_for_input(300); }), 0.2) << "a modal window waits for input only";
  mnw.is_modal = 0;
  char c;
  ASSERT_EQ(1, read(fds[0], &c, 1));
  g_hook_result = 1;
  EXPECT_GT(seconds_of([&] { r = DOVAVI_wait_for_input(300); }), 0.2) << "nothing to read: the full wait";
  EXPECT_EQ(0, r);
  g_wake_sockets = nullptr;
  close(fds[0]);
  close(fds[1]);
}

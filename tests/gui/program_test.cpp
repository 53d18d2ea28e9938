// The program as a user starts it: with "--show_background" it opens its window,
// shows the installer's background, logs the GL lines, and ends cleanly when the
// window manager asks the window to close.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ins_texes_data.h"
#include "support/fs_helpers.h"
#include "support/png_writer.h"
#include "support/x11_helpers.h"

extern char** environ;

namespace {
// Sleeps a little between polls of another process; bounded by the callers.
void nap() { usleep(50 * 1000); }

// How far the captured window is from the background picture, at a grid of points.
int background_mismatches(const std::vector<unsigned char>& shot, int w) {
  int bad = 0;
  for (int y = 8; y < 768; y += 40)
    for (int x = 8; x < 1024; x += 40) {
      const unsigned char* want = &t_ins_back_1_dat[((size_t)y * 1024 + x) * 4];
      const unsigned char* got = &shot[((size_t)y * w + x) * 4];
      if (abs(want[0] - got[0]) > 3 || abs(want[1] - got[1]) > 3 || abs(want[2] - got[2]) > 3) bad++;
    }
  return bad;
}
}  // namespace

TEST(Program, ShowsTheBackgroundAndClosesOnRequest) {
  const std::string program = std::string(VANTREL_BUILD_DIR) + "/vantrel-installer";
  const std::string log = std::string(VANTREL_BUILD_DIR) + "/Log.txt";
  unlink(log.c_str());
  const char* argv[] = {program.c_str(), "--show_background", nullptr};
  pid_t pid;
  ASSERT_EQ(0, posix_spawn(&pid, program.c_str(), nullptr, nullptr, (char* const*)argv, environ));

  unsigned long win = 0;
  for (int i = 0; i < 200 && !win; i++, nap()) win = x11_find_window("Vantrel-System", pid);
  if (!win) kill(pid, SIGKILL);
  ASSERT_NE(0u, win) << "the program's window did not appear";

  std::vector<unsigned char> shot;
  int w = 0, h = 0, bad = -1;
  for (int i = 0; i < 100 && bad != 0; i++, nap()) {
    if (x11_capture(win, &shot, &w, &h) && w == 1024 && h == 768) bad = background_mismatches(shot, w);
  }
  if (!shot.empty()) write_png(std::string(VANTREL_BUILD_DIR) + "/program_background.png", w, h, shot);
  EXPECT_EQ(0, bad) << "the window does not show the background";

  x11_send_close(win);
  int status = -1;
  for (int i = 0; i < 200; i++, nap())
    if (waitpid(pid, &status, WNOHANG) == pid) break;
  if (status == -1) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    FAIL() << "the program did not end after the close request";
  }
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));

  const std::string text = read_file(log);
  EXPECT_NE(std::string::npos, text.find("OpenGL Vendor    : "));
  EXPECT_NE(std::string::npos, text.find("OpenGL Render    : "));
  EXPECT_NE(std::string::npos, text.find("OpenGL Extensions: GL_"));
  EXPECT_NE(std::string::npos, text.find("max texture size : "));
  EXPECT_EQ(std::string::npos, text.find("3-D accelerator card")) << "llvmpipe is not the generic renderer";
}

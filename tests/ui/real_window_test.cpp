// The program's window driven as a person would, with xdotool on a private X
// server: a child process (this test program again, in child mode) starts up as
// the program does, runs the frame loop over a small screen of widgets and prints
// what happens; the test clicks, types, tabs, closes a modal window with Return
// and dismisses an alert with its button. Also the message box of an alert raised
// before the window exists, and the fatal end of the real program without a display.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/butn.h"
#include "gui/oglp.h"
#include "shell/UTL_Debug.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_alert.h"
#include "shell/hl_init.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"
#include "support/fs_helpers.h"
#include "support/x_server.h"

extern char** environ;

// ---- The child ----

namespace {
void say(const std::string& line) {
  printf("%s\n", line.c_str());
  fflush(stdout);
}

std::string g_text;
int g_number = 7;
int g_last_focus = -1;

void demo_modal_window() {
  DOVAVI_startwind(2);
  say("window 2");
  while (mnw.top_win_now == 2 && !app_done) {
    OGL_plot_back_col();
    BTN_fillwin(1, 13);
    DOVAVI_event_proc();
  }
  say("window " + std::to_string(mnw.top_win_now));
}

// Window 0 of the child: one widget of each kind the test drives.
void demo_screen() {
  OGL_plot_back_col();
  BTN_fillwin(0, 21);
  if (xtim.total_frames == 2) say("ready");
  if (BTN_action(200, 650, 120, 0, 1, "Press me", "-")) say("pressed");
  if (BTN_enterstring(200, 600, &g_text, 40, "Text", 200, 0)) say("text=" + g_text);
  if (BTN_int_range(200, 550, &g_number, 3, 0, 999, "Number")) say("number=" + std::to_string(g_number));
  if (focus_id != g_last_focus) {
    g_last_focus = focus_id;
    say(focus_id == 200 * 8192 + 600 ? "focus=text" : focus_id == 200 * 8192 + 550 ? "focus=number" : "focus=none");
  }
  if (BTN_action(200, 500, 120, 0, 1, "Preferences", "-")) demo_modal_window();
  if (BTN_action(200, 450, 120, 0, 1, "Alert", "-")) {
    say("alert");
    __DOVAVI_alert(0, "Something to tell you.", "", "", "", t_alert, "real_window_test", 1);
    say("alert returned");
  }
  if (BTN_action(200, 400, 120, 0, 1, "Quit", "-")) app_done = 1;
}
}  // namespace

TEST(RealWindowChild, Run) {
  const char* mode = getenv("VANTREL_UI_CHILD");
  if (!mode) GTEST_SKIP() << "runs only as the child of the real-window tests";
  if (std::string(mode) == "demo") {
    char raw[] = "";
    char* argv[1] = {raw};
    DOVAVI_init(1, argv);
    stls.text[602] = "OK";
    g_app_update = demo_screen;
    while (!app_done) DOVAVI_event_proc();
    say("done text=" + g_text + " number=" + std::to_string(g_number));
    DOVAVI_finishup(1);
    exit(0);
  }
  if (std::string(mode) == "box") {
    g_alert_message_box = alert_system_box;  // the real box, not the tests' quiet one
    UTL_log_open(std::string(getenv("VANTREL_UI_DIR")) + "Log.txt");
    say("box");
    __DOVAVI_alert(0, "Before the window", "second line", "", "", t_exit, "real_window_test", 2);
    say("not reached");
    exit(3);
  }
  if (std::string(mode) == "headless") {
    g_alert_message_box = alert_system_box;
    cmdline.parse("--headless");
    __DOVAVI_alert(0, "A warning on the terminal", "", "", "", t_alert, "real_window_test", 3);
    say("returned");
    exit(0);
  }
}

// ---- The driving side ----

namespace {
class child_process {
 public:
  child_process(const private_x_server& x, const std::string& mode, const TempDir& dir)
      : out_(dir / "child.out"), err_(dir / "child.err") {
    std::vector<std::string> env;
    for (char** e = environ; *e; e++)
      if (strncmp(*e, "DISPLAY=", 8) != 0) env.push_back(*e);
    env.push_back("DISPLAY=" + x.display());
    env.push_back("VANTREL_UI_CHILD=" + mode);
    env.push_back("VANTREL_UI_DIR=" + dir.path());
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(&s[0]);
    envp.push_back(nullptr);
    char self[4096] = {};
    readlink("/proc/self/exe", self, sizeof self - 1);
    const char* argv[] = {self, "--gtest_filter=RealWindowChild.Run", nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&fa, dir.path().c_str());
    if (posix_spawn(&pid_, self, &fa, nullptr, (char* const*)argv, envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~child_process() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  int pid() const { return pid_; }
  std::string out() const { return read_file(out_); }
  std::string err() const { return read_file(err_); }
  // Waits (up to ~10 s) until the child has printed `line`.
  bool saw(const std::string& line) const {
    for (int i = 0; i < 200; i++) {
      if (("\n" + out()).find("\n" + line + "\n") != std::string::npos) return true;
      usleep(50 * 1000);
    }
    return false;
  }
  bool running() {
    int st;
    if (status_ >= 0) return false;
    if (waitpid(pid_, &st, WNOHANG) != pid_) return true;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128;
    return false;
  }
  // Waits (up to ~10 s) for the child to end; its exit status, or -1.
  int wait_exit() {
    for (int i = 0; i < 200 && status_ < 0; i++) {
      int st;
      if (waitpid(pid_, &st, WNOHANG) == pid_) status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128;
      else usleep(50 * 1000);
    }
    return status_;
  }

 private:
  std::string out_, err_;
  pid_t pid_ = -1;
  int status_ = -1;
};

// X coordinates of a point given in the program's window coordinates (y upward).
std::string at(int x, int y) { return std::to_string(x) + " " + std::to_string(768 - y); }
}  // namespace

TEST(RealWindow, ClickTypeTabReturnAndAlertButton) {
  private_x_server x;
  ASSERT_TRUE(x.ok()) << "Xvfb did not start";
  TempDir dir;
  child_process child(x, "demo", dir);
  ASSERT_GT(child.pid(), 0);
  ASSERT_TRUE(child.saw("ready")) << child.out() << child.err();
  std::string wid;
  ASSERT_EQ(0, x.run("timeout 10 xdotool search --sync --pid " + std::to_string(child.pid()) +
                         " --name '^Vantrel-System$'", &wid));
  wid = wid.substr(0, wid.find('\n'));
  x.run("xdotool windowfocus --sync " + wid);
  auto xdo = [&](const std::string& args) { return x.run("xdotool " + args); };

  // A push button.
  ASSERT_EQ(0, xdo("mousemove --sync " + at(200, 650) + " click 1"));
  EXPECT_TRUE(child.saw("pressed")) << child.out();
  // A text field: a click focuses it, typing fills it.
  ASSERT_EQ(0, xdo("mousemove --sync " + at(230, 604) + " click 1"));
  EXPECT_TRUE(child.saw("focus=text")) << child.out();
  ASSERT_EQ(0, xdo("type --delay 40 'Hello 9'"));
  EXPECT_TRUE(child.saw("text=Hello 9")) << child.out();
  // Tab moves the focus on to the number field, where a digit replaces the hot digit.
  ASSERT_EQ(0, xdo("key Tab"));
  EXPECT_TRUE(child.saw("focus=number")) << child.out();
  ASSERT_EQ(0, xdo("key 3"));
  EXPECT_TRUE(child.saw("number=307")) << child.out();
  // A modal window, closed with Return.
  ASSERT_EQ(0, xdo("mousemove --sync " + at(200, 500) + " click 1"));
  EXPECT_TRUE(child.saw("window 2")) << child.out();
  ASSERT_EQ(0, xdo("key Return"));
  EXPECT_TRUE(child.saw("window 0")) << child.out();
  // An alert, dismissed with its button: window 995 at (302, 259), the button at
  // (210, 18) in it.
  ASSERT_EQ(0, xdo("mousemove --sync " + at(200, 450) + " click 1"));
  ASSERT_TRUE(child.saw("alert")) << child.out();
  usleep(300 * 1000);
  x.run("import -window " + wid + " " + shell_quote(std::string(VANTREL_BUILD_DIR) + "/ui_real_window_alert.png"));
  EXPECT_EQ(std::string::npos, child.out().find("alert returned"));
  ASSERT_EQ(0, xdo("mousemove --sync " + at(302 + 210, 259 + 18) + " click 1"));
  EXPECT_TRUE(child.saw("alert returned")) << child.out();
  // Quit.
  ASSERT_EQ(0, xdo("mousemove --sync " + at(200, 400) + " click 1"));
  EXPECT_EQ(0, child.wait_exit()) << child.err();
  EXPECT_TRUE(child.saw("done text=Hello 9 number=307")) << child.out();
  EXPECT_NE(std::string::npos, child.err().find("Something to tell you.")) << "alerts also go to stderr";
}

TEST(RealWindow, FatalAlertBeforeTheWindowShowsAMessageBox) {
  private_x_server x;
  ASSERT_TRUE(x.ok()) << "Xvfb did not start";
  TempDir dir;
  child_process child(x, "box", dir);
  ASSERT_TRUE(child.saw("box")) << child.err();
  std::string wid;
  ASSERT_EQ(0, x.run("timeout 10 xdotool search --sync --pid " + std::to_string(child.pid()) +
                         " --name '^Vantrel-System Message$'", &wid));
  wid = wid.substr(0, wid.find('\n'));
  EXPECT_EQ(std::string::npos, child.out().find("not reached"));
  usleep(200 * 1000);
  EXPECT_TRUE(child.running()) << "the box waits for the user";
  x.run("import -window " + wid + " " + shell_quote(std::string(VANTREL_BUILD_DIR) + "/ui_message_box.png"));
  // The OK button sits at the bottom centre.
  std::string geo;
  ASSERT_EQ(0, x.run("xdotool getwindowgeometry --shell " + wid, &geo));
  auto field = [&](const char* name) {
    const size_t p = geo.find(std::string(name) + "=");
    return p == std::string::npos ? -1 : atoi(geo.c_str() + p + strlen(name) + 1);
  };
  const int bx = field("X") + field("WIDTH") / 2, by = field("Y") + field("HEIGHT") - 27;
  ASSERT_EQ(0, x.run("xdotool mousemove --sync " + std::to_string(bx) + " " + std::to_string(by) + " click 1"));
  EXPECT_EQ(1, child.wait_exit()) << child.err();
  EXPECT_NE(std::string::npos, child.err().find("fatal: Before the window\n    second line (real_window_test line 2)"))
      << child.err();
  const std::string log = read_file(dir / "Log.txt");
  EXPECT_NE(std::string::npos, log.find("\nBefore the window\nsecond line\n\n\n(real_window_test line 2)\n")) << log;
}

TEST(RealWindow, HeadlessAlertsShowNoMessageBoxEvenWithADisplay) {
  private_x_server x;
  ASSERT_TRUE(x.ok()) << "Xvfb did not start";
  TempDir dir;
  child_process child(x, "headless", dir);
  EXPECT_EQ(0, child.wait_exit()) << child.err();
  EXPECT_TRUE(child.saw("returned"));
  EXPECT_NE(std::string::npos, child.err().find("Vantrel: A warning on the terminal (real_window_test line 3)"))
      << child.err();
}

TEST(RealWindow, ProgramWithoutADisplayEndsWithStatusOneAndSaysWhy) {
  TempDir dir;
  ASSERT_EQ(0, run_command("cp " + shell_quote(std::string(VANTREL_BUILD_DIR) + "/vantrel-installer") + " " +
                           shell_quote(dir.path())));
  std::string err;
  const int status = run_command("cd " + shell_quote(dir.path()) +
                                     " && DISPLAY=:7919 ./vantrel-installer 2>&1 >/dev/null",
                                 &err);
  EXPECT_EQ(1, status);
  EXPECT_NE(std::string::npos, err.find("fatal: I could not set up the graphics for Vantrel!")) << err;
  EXPECT_NE(std::string::npos, err.find("(hl_init line ")) << err;
  const std::string log = read_file(dir / "Log.txt");
  EXPECT_NE(std::string::npos, log.find("\nI could not set up the graphics for Vantrel! I hope your monitor")) << log;
  EXPECT_NE(std::string::npos, log.find("resetting Vantrel to default resolution now.\n(hl_init line ")) << log;
}

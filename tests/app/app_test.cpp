// The installer program as a person uses it: the real program in its window on a
// private X server, driven with xdotool at the buttons' screen positions, against
// real nginx mirrors on loopback. What the window shows is read from the
// program's screen trace ("--trace_screen" on its standard output) and saved as
// screenshots under the build folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>

#include "support/engine_fixture.h"
#include "support/fs_helpers.h"
#include "support/nginx_fixture.h"
#include "support/x_server.h"

extern char** environ;

namespace {
const std::string kName = "Vantrel 12.00";
const std::string kShots = std::string(VANTREL_BUILD_DIR) + "/";

// Origins of the modal windows, centred in the 1024 x 768 window.
struct origin {
  int x, y;
};
const origin kLicence = {262, 234}, kPrefs = {212, 194}, kPrompt = {162, 311}, kAlert = {302, 259},
             kChooser = {212, 164};

// The program in its window: its own copy (so its Log.txt is its own), its own
// home, temporary and settings folders.
class installer_window {
 public:
  installer_window(const private_x_server& x, const TempDir& work, const std::string& args,
                   const std::string& path_prefix = "")
      : x_(x), work_(work) {
    run_command("cp " + shell_quote(std::string(VANTREL_BUILD_DIR) + "/vantrel-installer") + " " +
                shell_quote(work.path()));
    make_dirs(work / "home/tmp");
    std::vector<std::string> env;
    for (char** e = environ; *e; e++) {
      const std::string v = *e;
      if (v.rfind("DISPLAY=", 0) == 0 || v.rfind("HOME=", 0) == 0 || v.rfind("TMPDIR=", 0) == 0 ||
          v.rfind("XDG_CONFIG_HOME=", 0) == 0 || (!path_prefix.empty() && v.rfind("PATH=", 0) == 0))
        continue;
      env.push_back(v);
    }
    env.push_back("DISPLAY=" + x.display());
    env.push_back("HOME=" + work / "home");
    env.push_back("TMPDIR=" + work / "home/tmp");
    env.push_back("XDG_CONFIG_HOME=" + work / "home/config");
    if (!path_prefix.empty()) env.push_back("PATH=" + path_prefix + ":" + (getenv("PATH") ? getenv("PATH") : ""));
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(&s[0]);
    envp.push_back(nullptr);
    const std::string program = work / "vantrel-installer";
    const std::string command = "exec " + shell_quote(program) + " --trace_screen " + args;
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, (work / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, (work / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&fa, work.path().c_str());
    if (posix_spawn(&pid_, "/bin/sh", &fa, nullptr, (char* const*)argv, envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~installer_window() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  std::string out() const { return read_file(work_ / "out.txt"); }
  std::string err() const { return read_file(work_ / "err.txt"); }
  std::string log() const { return read_file(work_ / "Log.txt"); }
  std::string prefs() const { return read_file(work_ / "home/config/vantrel/Vantrel Installer.prf"); }

  // Waits (up to `seconds`) until the screen trace has shown a line starting with
  // `prefix` after the point `mark()` last remembered; returns the whole line.
  std::string wait_for(const std::string& prefix, double seconds = 60) {
    for (int i = 0; i < seconds * 20; i++) {
      const std::string o = "\n" + out().substr(from_);
      const size_t at = o.find("\n" + prefix);
      const size_t end = at == std::string::npos ? at : o.find('\n', at + 1);
      if (end != std::string::npos) return o.substr(at + 1, end - at - 1);
      if (!running()) break;
      usleep(50 * 1000);
    }
    return std::string();
  }
  // Later waits look only at what the trace shows from now on.
  void mark() { from_ = out().size(); }
  bool saw(const std::string& prefix, double seconds = 60) { return !wait_for(prefix, seconds).empty(); }

  // A click at (x, y) of the program's window (y upward from its bottom edge).
  void click(int x, int y) {
    // No --sync: it would wait for ever when the pointer is already there.
    x_.run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(768 - y) + " click 1");
  }
  void click_in(origin o, int x, int y) { click(o.x + x, o.y + y); }
  void shot(const std::string& name) {
    usleep(400 * 1000);  // the frame that printed the trace is shown by now
    x_.run("import -window root -crop 1024x768+0+0 " + shell_quote(kShots + name + ".png"));
  }
  bool running() {
    if (status_ >= 0) return false;
    int st;
    if (waitpid(pid_, &st, WNOHANG) != pid_) return true;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return false;
  }
  // Waits (up to ~20 s) for the program to end; its exit status, or -1.
  int wait_exit() {
    for (int i = 0; i < 400 && running(); i++) usleep(50 * 1000);
    return status_;
  }

  // The main screen's buttons.
  void click_install() { click(450 + 41, 78 + 11); }
  void click_quit() { click(960 + 25, 78 + 11); }
  void click_destination() { click(10 + 63, 78 + 11); }
  void click_preferences() { click(50, 750); }
  void click_server(int i) { click(142, 578 - 20 * i + 3); }
  void click_accept() { click_in(kLicence, 400 + 29, 10 + 11); }

 private:
  const private_x_server& x_;
  const TempDir& work_;
  pid_t pid_ = -1;
  int status_ = -1;
  size_t from_ = 0;
};

std::vector<release_file> small_release() {
  return {
      {"Airfoils/wing.afl", random_bytes(30000, 1)},
      {"Instructions/manual.txt", "How to fly.\n"},
      {"Resources/plugins/a plugin.xpl", random_bytes(200000, 2)},
      {"Resources/set/data.bin", random_bytes(400000, 3)},
      {"empty.txt", ""},
  };
}

class App : public testing::Test {
 protected:
  private_x_server x;
  TempDir mirror, work, dest_root;
  std::string dest;

  void SetUp() override {
    ASSERT_TRUE(x.ok()) << "Xvfb did not start";
    dest = dest_root / "Sim/";
  }
  void publish(const std::vector<release_file>& files) { write_release(mirror.path(), "/mirror/", kName, files); }
  void list_servers(const std::vector<std::vector<std::string>>& servers) {
    write_file(mirror / "serverlist.txt", server_list_text(kName, servers));
  }
};
}  // namespace

// A whole install with the mouse: the preferences, the licence, a question about
// a file the user changed, the progress to the end, QUIT; then the destination
// holds exactly the release and the preferences file what was set.
TEST_F(App, InstallWithTheMouse) {
  NginxServer server(mirror.path());
  ASSERT_TRUE(server.ok());
  const std::vector<release_file> files = small_release();
  publish(files);
  list_servers({{server.host(), "/mirror/", "Loopback mirror"}});
  make_dirs(dest + "Instructions/");
  write_file(dest + "Instructions/manual.txt", "my own notes");

  installer_window w(x, work, "--server_list=" + server.host() + " " + shell_quote(dest));
  ASSERT_TRUE(w.saw("screen line1: You are about to install", 60)) << w.out() << w.err();
  EXPECT_TRUE(w.saw("screen line3: You may install at will."));
  EXPECT_TRUE(w.saw("screen destination: " + dest));
  w.shot("app_main");

  // Preferences: log the installer's actions, two streams by hand.
  w.click_preferences();
  ASSERT_TRUE(w.saw("screen window: preferences", 10)) << w.out();
  w.click_in(kPrefs, 30, 110 + 3);  // log installer actions
  w.click_in(kPrefs, 30, 150 + 3);  // set the number of streams by hand: 1
  w.click_in(kPrefs, 405, 168);     // its up arrow: 2
  w.shot("app_preferences");
  w.mark();
  w.click_in(kPrefs, 16, 380 - 10);  // the close box
  ASSERT_TRUE(w.saw("screen window: main", 10)) << w.out();

  w.mark();
  w.click_install();
  ASSERT_TRUE(w.saw("screen window: licence", 10)) << w.out();
  w.shot("app_licence");
  w.click_accept();
  ASSERT_TRUE(w.saw("screen window: prompt to install " + dest + "Instructions/manual.txt", 20)) << w.out();
  w.shot("app_prompt");
  w.click_in(kPrompt, 96, 53);  // OVERWRITE THE OLD FILE
  EXPECT_TRUE(w.saw("screen window: prompt answered 1", 10)) << w.out();
  ASSERT_TRUE(w.saw("screen status: INSTALLATION COMPLETE!", 120)) << w.out() << w.err();
  EXPECT_TRUE(w.saw("screen line1: INSTALLATION COMPLETE!"));
  w.shot("app_complete");
  w.click_quit();
  EXPECT_EQ(0, w.wait_exit()) << w.err();

  EXPECT_EQ(expected_destination(files, 3), destination_tree(dest));
  const std::string prefs = w.prefs();
  EXPECT_NE(std::string::npos, prefs.find("_dest_dir_path " + dest + "\n")) << prefs;
  EXPECT_NE(std::string::npos, prefs.find("_log_actions 1\n")) << prefs;
  EXPECT_NE(std::string::npos, prefs.find("_stream_count 2\n")) << prefs;
  EXPECT_NE(std::string::npos, prefs.find("_use_max_cpu 0\n")) << prefs;
  EXPECT_NE(std::string::npos, w.log().find("EXPANDING file " + dest + "Resources/set/data.bin, with result=0."))
      << "the actions were logged once the preference was on";
}

// A second run on an installed folder has nothing to install; declining the
// licence by its close box starts nothing; once accepted it is not asked again.
TEST_F(App, InstalledFolderIsAlreadyTheLatest) {
  NginxServer server(mirror.path());
  ASSERT_TRUE(server.ok());
  const std::vector<release_file> files = small_release();
  publish(files);
  list_servers({{server.host(), "/mirror/", "Loopback mirror"}});
  make_dirs(work / "h/tmp");
  ASSERT_EQ(0, run_command("HOME=" + shell_quote(work / "h") + " TMPDIR=" + shell_quote(work / "h/tmp") +
                           " XDG_CONFIG_HOME=" + shell_quote(work / "h/config") + " " + VANTREL_BUILD_DIR +
                           "/vantrel-installer --headless --accept_licence --server_list=" + server.host() + " " +
                           shell_quote(dest) + " >/dev/null 2>&1"));
  ASSERT_EQ(expected_destination(files, 3), destination_tree(dest));

  installer_window w(x, work, "--own_folder_chooser --server_list=" + server.host() + " " + shell_quote(dest));
  ASSERT_TRUE(w.saw("screen line1: Your copy of Vantrel is already the latest version.", 60)) << w.out();
  EXPECT_TRUE(w.saw("screen status: You have selected an earlier version of Vantrel in the DESTINATION field"));
  w.shot("app_already_latest");
  w.click_install();  // still enabled
  ASSERT_TRUE(w.saw("screen window: licence", 10)) << w.out();
  w.click_in(kLicence, 500 - 16, 300 - 10);  // the close box
  ASSERT_TRUE(w.saw("screen window: licence declined", 10)) << w.out();
  EXPECT_EQ(expected_destination(files, 3), destination_tree(dest));

  // Accepted once, the licence is not asked again in this run: install (nothing
  // to fetch), choose the same folder again, install again.
  w.mark();
  w.click_install();
  ASSERT_TRUE(w.saw("screen window: licence", 10)) << w.out();
  w.click_accept();
  ASSERT_TRUE(w.saw("screen line1: INSTALLATION COMPLETE!", 30)) << w.out();
  w.click_destination();
  ASSERT_TRUE(w.saw("screen window: folder chooser", 10)) << w.out();
  x.run("xdotool key Return");
  ASSERT_TRUE(w.saw("screen window: folder chosen " + dest, 10)) << w.out();
  w.mark();
  ASSERT_TRUE(w.saw("screen line1: Your copy of Vantrel is already the latest version.", 30)) << w.out();
  w.click_install();
  ASSERT_TRUE(w.saw("screen line1: INSTALLATION COMPLETE!", 30)) << w.out();
  EXPECT_EQ(std::string::npos, w.out().find("screen window: licence", w.out().rfind("folder chosen")));
  w.click_quit();
  EXPECT_EQ(0, w.wait_exit()) << w.err();
  EXPECT_EQ(expected_destination(files, 3), destination_tree(dest));
}

// Without a server list the window keeps looking, and QUIT still ends it.
TEST_F(App, NoServerListKeepsLookingAndQuitEnds) {
  int port = 0;
  {
    NginxServer gone(mirror.path());  // a port where nothing answers once it stops
    ASSERT_TRUE(gone.ok());
    port = gone.port();
  }
  installer_window w(x, work, "--server_list=127.0.0.1:" + std::to_string(port) + " " + shell_quote(dest));
  ASSERT_TRUE(w.saw("screen status: Looking for servers... you need internet for this...", 30)) << w.out();
  EXPECT_TRUE(w.saw("screen line1: I am figuring out what the latest version of Vantrel is right now..."));
  usleep(1000 * 1000);
  EXPECT_EQ(std::string::npos, w.out().find("screen status: I am checking the net")) << w.out();
  w.shot("app_no_servers");
  w.click_quit();
  EXPECT_EQ(0, w.wait_exit()) << w.err();
  EXPECT_FALSE(file_exists(dest)) << "nothing was made";
}

// The first mirror dies in the middle of the install; the install goes on from
// the second and ends with exactly the release.
TEST_F(App, InstallContinuesWhenTheFirstMirrorFails) {
  std::vector<release_file> files = small_release();
  for (int i = 0; i < 16; i++) files.push_back({"Resources/parts/part " + std::to_string(i), random_bytes(300000, 50 + i)});
  publish(files);
  auto slow = std::make_unique<NginxServer>(mirror.path(), 200000);  // 200 kB/s per connection
  NginxServer fast(mirror.path());
  ASSERT_TRUE(slow->ok() && fast.ok());
  list_servers({{slow->host(), "/mirror/", "Slow mirror"}, {fast.host(), "/mirror/", "Fast mirror"}});

  installer_window w(x, work, "--server_list=" + fast.host() + " " + shell_quote(dest));
  ASSERT_TRUE(w.saw("screen line1: You are about to install", 60)) << w.out() << w.err();
  w.click_server(0);  // the slow mirror serves the files
  w.click_install();
  ASSERT_TRUE(w.saw("screen window: licence", 10)) << w.out();
  w.click_accept();
  ASSERT_TRUE(w.saw("screen status: OK I am installing this now...", 20)) << w.out();
  // Some files have landed, the transfer is under way.
  bool under_way = false;
  for (int i = 0; i < 400 && !under_way; i++) {
    under_way = file_exists(dest + "Resources/parts/part 2") && w.out().find("simultaneous download streams.") != std::string::npos;
    usleep(50 * 1000);
  }
  ASSERT_TRUE(under_way) << w.out();
  w.shot("app_progress");
  EXPECT_NE(expected_destination(files, 3), destination_tree(dest)) << "not complete yet";
  slow.reset();  // the first mirror goes down

  ASSERT_TRUE(w.saw("screen status: INSTALLATION COMPLETE!", 120)) << w.out() << w.err();
  EXPECT_EQ(std::string::npos, w.out().find("The installation was not completed")) << w.out();
  w.click_quit();
  EXPECT_EQ(0, w.wait_exit()) << w.err();
  EXPECT_EQ(expected_destination(files, 3), destination_tree(dest));
  EXPECT_NE(std::string::npos, w.log().find("HTTP Error for")) << "the failed downloads were logged";
}

// A directory archive that cannot be unpacked: the alert in the window, its OK
// button, and the download again (now of a good archive).
TEST_F(App, BrokenDirectoryArchiveShowsAnAlert) {
  NginxServer server(mirror.path());
  ASSERT_TRUE(server.ok());
  const std::vector<release_file> files = small_release();
  publish(files);
  list_servers({{server.host(), "/mirror/", "Loopback mirror"}});
  const std::string archive = mirror / ("mirror/" + kName + "/directory.txt.zip");
  const std::string good = read_file(archive);
  write_file(archive, "this is not a zip archive");

  installer_window w(x, work, "--server_list=" + server.host() + " " + shell_quote(dest));
  for (int i = 0; i < 600 && w.err().find("DIR-scan: The installer cannot extract a file.") == std::string::npos; i++)
    usleep(50 * 1000);
  ASSERT_NE(std::string::npos, w.err().find("DIR-scan: The installer cannot extract a file.")) << w.err();
  w.shot("app_alert");
  write_file(archive, good);
  w.click_in(kAlert, 210, 18);  // OK
  ASSERT_TRUE(w.saw("screen line1: You are about to install", 60)) << w.out() << w.err();
  w.click_quit();
  EXPECT_EQ(0, w.wait_exit());
}

// DESTINATION with no desktop dialog: the chooser drawn in the window; a folder
// typed there (a new one) becomes the destination, with "Vantrel/" added.
TEST_F(App, OwnFolderChooserPicksANewDestination) {
  NginxServer server(mirror.path());
  ASSERT_TRUE(server.ok());
  publish(small_release());
  list_servers({{server.host(), "/mirror/", "Loopback mirror"}});
  make_dirs(dest_root / "Games/Flight/");
  make_dirs(dest_root / "Games/Racing/");

  installer_window w(x, work,
                     "--own_folder_chooser --server_list=" + server.host() + " " + shell_quote(dest_root / "Games/"));
  ASSERT_TRUE(w.saw("screen line1: You are about to install", 60)) << w.out();
  w.click_destination();
  ASSERT_TRUE(w.saw("screen window: folder chooser", 10)) << w.out();
  w.shot("app_folder_chooser");
  // The list: the parent, then Flight and Racing; a click opens Flight.
  w.click_in(kChooser, 100, 55 + 280 - 4 - 2 * 15 + 6);
  usleep(300 * 1000);
  w.click_in(kChooser, 70 + 490, 440 - 90 + 3);  // into the path field, after its text
  x.run("xdotool type --delay 30 'New place'");
  x.run("xdotool key Return");
  ASSERT_TRUE(w.saw("screen window: folder chosen " + dest_root / "Games/Flight/New place/", 10)) << w.out();
  const std::string chosen = dest_root / "Games/Flight/New place/Vantrel/";
  EXPECT_TRUE(w.saw("screen destination: " + chosen, 10)) << w.out();
  EXPECT_TRUE(w.saw("screen line1: You are about to install", 30));
  w.click_quit();
  EXPECT_EQ(0, w.wait_exit());
  EXPECT_NE(std::string::npos, w.prefs().find("_dest_dir_path " + chosen + "\n")) << w.prefs();
}

// With a desktop dialog installed (a stand-in "zenity" here), DESTINATION runs it
// at the current destination and takes its answer; cancelling keeps the old one.
TEST_F(App, DesktopFolderDialogIsUsedWhenInstalled) {
  NginxServer server(mirror.path());
  ASSERT_TRUE(server.ok());
  publish(small_release());
  list_servers({{server.host(), "/mirror/", "Loopback mirror"}});
  make_dirs(dest_root / "Picked/");
  const std::string bin = work / "bin/";
  make_dirs(bin);
  // The stand-in records its arguments; the first run answers a folder, the second cancels.
  write_file(bin + "zenity", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> " + shell_quote(work / "zenity-args") +
                                 "\nif [ -e " + shell_quote(work / "answered") + " ]; then exit 1; fi\ntouch " +
                                 shell_quote(work / "answered") + "\necho " + shell_quote(dest_root / "Picked") +
                                 "\n");
  chmod((bin + "zenity").c_str(), 0755);

  installer_window w(x, work, "--server_list=" + server.host() + " " + shell_quote(dest), bin);
  ASSERT_TRUE(w.saw("screen line1: You are about to install", 60)) << w.out();
  w.click_destination();
  ASSERT_TRUE(w.saw("screen window: folder chosen " + dest_root / "Picked", 10)) << w.out();
  EXPECT_TRUE(w.saw("screen destination: " + dest_root / "Picked/Vantrel/", 10)) << w.out();
  const std::string args = read_file(work / "zenity-args");
  EXPECT_NE(std::string::npos, args.find("--file-selection\n--directory\n")) << args;
  EXPECT_NE(std::string::npos, args.find("--filename=" + dest + "\n")) << args;
  w.mark();
  w.click_destination();
  EXPECT_TRUE(w.saw("screen window: folder cancelled", 10)) << w.out();
  usleep(300 * 1000);
  EXPECT_EQ(std::string::npos, w.out().find("screen destination: ", w.out().rfind("folder cancelled")));
  w.click_quit();
  EXPECT_EQ(0, w.wait_exit());
  EXPECT_NE(std::string::npos, w.prefs().find("_dest_dir_path " + dest_root / "Picked/Vantrel/\n")) << w.prefs();
}

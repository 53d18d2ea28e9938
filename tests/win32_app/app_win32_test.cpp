// The Windows program as a person uses it, under wine on a virtual X display:
// vantrel-installer.exe in its window, driven with xdotool at the buttons'
// screen positions, installs a release from a real nginx mirror on loopback into
// a folder on drive C:. What the window shows is read from the program's screen
// trace ("--trace_screen" on its standard output) and saved as screenshots
// under the build folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "support/win32/log_header_check.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"
#include "support/nginx_fixture.h"
#include "support/win32/unix_run.h"

namespace {
const std::string kName = "Vantrel 12.00";

// Origins of the modal windows inside the 1024 x 768 client area (y upward).
struct origin {
  int x, y;
};
const origin kLicence = {262, 234}, kPrompt = {162, 311};

// A folder on drive C: (wine's own disk, not the Linux file system), removed at the end.
struct c_drive_dir {
  std::string path;  // "C:\vantrel-e2e-<pid>\"
  c_drive_dir() {
    path = "C:\\vantrel-e2e-" + std::to_string(GetCurrentProcessId()) + "\\";
    // Wine reuses process ids: whatever a killed run of the same id left goes first.
    run_command("rm -rf " + shell_quote(unix_path_of(path)));
    CreateDirectoryA(path.c_str(), nullptr);
  }
  ~c_drive_dir() { run_command("rm -rf " + shell_quote(unix_path_of(path))); }
  // The Linux path wine keeps the folder at.
  static std::string unix_path_of(const std::string& dos) {
    typedef char*(CDECL * unix_name_fn)(const WCHAR*);
    unix_name_fn f = (unix_name_fn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!f) return std::string();
    std::wstring w(dos.begin(), dos.end());
    char* u = f(w.c_str());
    if (!u) return std::string();
    std::string s = u;
    HeapFree(GetProcessHeap(), 0, u);
    return s;
  }
};

// The program in its window: its own copy (so its Log.txt is its own), started
// with its output and errors in files of its folder.
class installer_window {
 public:
  installer_window(const TempDir& work, const std::string& args) : work_(work) {
    const std::string exe = work / "vantrel-installer.exe";
    CopyFileA("Z:" VANTREL_BUILD_DIR "/vantrel-installer.exe", exe.c_str(), FALSE);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileA((work / "out.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE err = CreateFileA((work / "err.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    std::string line = "\"" + exe + "\" --trace_screen " + args;
    memset(&pi_, 0, sizeof pi_);
    if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, work.path().c_str(), &si, &pi_))
      pi_.hProcess = nullptr;
    CloseHandle(out);
    CloseHandle(err);
  }
  ~installer_window() {
    if (pi_.hProcess && running()) TerminateProcess(pi_.hProcess, 9);
    if (pi_.hProcess) {
      WaitForSingleObject(pi_.hProcess, 5000);
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
  }
  bool started() const { return pi_.hProcess != nullptr; }
  std::string out() const { return read_file(work_ / "out.txt"); }
  std::string err() const { return read_file(work_ / "err.txt"); }
  std::string log() const { return read_file(work_ / "Log.txt"); }

  // Waits (up to `seconds`) until the trace shows a line starting with `prefix`
  // after the point mark() last remembered; returns the whole line.
  std::string wait_for(const std::string& prefix, double seconds = 60) {
    for (int i = 0; i < seconds * 20; i++) {
      std::string o = out();
      o.erase(std::remove(o.begin(), o.end(), '\r'), o.end());
      o = "\n" + o.substr(std::min(from_, o.size()));
      const size_t at = o.find("\n" + prefix);
      const size_t end = at == std::string::npos ? at : o.find('\n', at + 1);
      if (end != std::string::npos) return o.substr(at + 1, end - at - 1);
      if (!running()) break;
      Sleep(50);
    }
    return std::string();
  }
  void mark() {
    std::string o = out();
    from_ = o.size() - (size_t)std::count(o.begin(), o.end(), '\r');
  }
  bool saw(const std::string& prefix, double seconds = 60) { return !wait_for(prefix, seconds).empty(); }

  // Where the client area's top-left corner is on the screen (wine's screen is
  // the X screen), once the window is there.
  bool find_window() {
    for (int i = 0; i < 200 && !hwnd_; i++, Sleep(50)) hwnd_ = FindWindowA("Vantrel-System", "Vantrel-System");
    if (!hwnd_) return false;
    POINT p{0, 0};
    ClientToScreen(hwnd_, &p);
    left_ = p.x;
    top_ = p.y;
    return true;
  }
  // A click at (x, y) of the client area (y upward from its bottom edge).
  void click(int x, int y) {
    unix_shell("xdotool mousemove " + std::to_string(left_ + x) + " " + std::to_string(top_ + 768 - y) + " click 1");
  }
  void click_in(origin o, int x, int y) { click(o.x + x, o.y + y); }
  void click_destination() { click(10 + 63, 78 + 11); }
  void click_install() { click(450 + 41, 78 + 11); }
  void click_quit() { click(960 + 25, 78 + 11); }
  void click_accept() { click_in(kLicence, 400 + 29, 10 + 11); }
  // The client area as a PNG in the build folder.
  void shot(const std::string& name) {
    Sleep(400);  // the frame that printed the trace is shown by now
    unix_shell("import -window root -crop 1024x768+" + std::to_string(left_) + "+" + std::to_string(top_) + " " +
               shell_quote(std::string(VANTREL_BUILD_DIR) + "/" + name + ".png"));
  }

  // The whole screen (other windows too) as a PNG in the build folder.
  void shot_screen(const std::string& name) {
    Sleep(400);
    unix_shell("import -window root " + shell_quote(std::string(VANTREL_BUILD_DIR) + "/" + name + ".png"));
  }

  bool running() {
    if (!pi_.hProcess) return false;
    return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
  }
  // Waits (up to 20 s) for the program to end; its exit status, or -1.
  int wait_exit() {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, 20000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return (int)code;
  }

 private:
  const TempDir& work_;
  PROCESS_INFORMATION pi_;
  HWND hwnd_ = nullptr;
  int left_ = 0, top_ = 0;
  size_t from_ = 0;
};

// The preferences live at C:\; the test starts without them and puts back what was there.
struct no_preferences {
  const std::string file = "C:\\Vantrel Installer.prf", saved = "C:\\Vantrel Installer.prf.e2e-saved";
  bool had = false;
  no_preferences() { had = MoveFileExA(file.c_str(), saved.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; }
  ~no_preferences() {
    if (had) MoveFileExA(saved.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
    else DeleteFileA(file.c_str());
  }
  std::string text() const {
    std::string t = read_file(file);
    t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
    return t;
  }
};
}  // namespace

// A whole install with the mouse: the licence, the question about a file the
// user changed, the progress to the end, QUIT. The destination then holds
// exactly the Windows files of the release under the version's name, and the
// log starts with the Windows header.
TEST(WinApp, InstallWithTheMouse) {
  TempDir mirror, work;
  c_drive_dir dest_root;
  no_preferences prefs;
  NginxServer server(mirror.path());
  ASSERT_TRUE(server.ok());
  std::vector<release_file> files = {
      {"Airfoils/wing.afl", random_bytes(30000, 1)},
      {"Instructions/manual.txt", "How to fly.\r\n"},
      {"Resources/plugins/a plugin/win.xpl", random_bytes(200000, 2), 2},
      {"Resources/plugins/a plugin/lin.xpl", random_bytes(200000, 3), 3},
      {"Resources/plugins/a plugin/mac.xpl", random_bytes(200000, 4), 1},
      {"Resources/set/data.bin", random_bytes(400000, 5)},
      {"Vantrel.exe", random_bytes(500000, 6), 2},
      {"Vantrel-x86_64", random_bytes(500000, 7), 3},
      {"empty.txt", ""},
  };
  for (int i = 0; i < 12; i++) files.push_back({"Resources/parts/part " + std::to_string(i), random_bytes(150000, 20 + i)});
  write_release(mirror.path(), "/mirror/", kName, files);
  write_file(mirror / "serverlist.txt", server_list_text(kName, {{server.host(), "/mirror/", "Loopback mirror"}}));
  // The destination as a Windows user types it, with backslashes; a file in it
  // that the user changed.
  const std::string dest_typed = dest_root.path + "Sim\\";
  std::string dest = dest_typed;  // the program's form: "\" only in the drive's prefix
  for (size_t i = 3; i < dest.size(); i++)
    if (dest[i] == '\\') dest[i] = '/';
  make_dirs(dest + "Instructions/");
  write_file(dest + "Instructions/manual.txt", "my own notes");

  installer_window w(work, "--server_list=" + server.host() + " " + dest_typed);
  ASSERT_TRUE(w.started());
  ASSERT_TRUE(w.find_window()) << w.err();
  ASSERT_TRUE(w.saw("screen line1: You are about to install", 60)) << w.out() << w.err();
  EXPECT_TRUE(w.saw("screen destination: " + dest)) << w.out();
  w.shot("win_app_main");

  // DESTINATION opens the shell's folder browser on a thread of its own while
  // the window waits for it; cancelled, it leaves the destination as it was.
  // (Its OK is tested in tests/win32_window: wine's browser does not always
  // select the starting folder.)
  w.mark();
  w.click_destination();
  HWND browser = nullptr;
  for (int i = 0; i < 200 && !browser; i++, Sleep(50)) browser = FindWindowA(nullptr, "Browse for Folder");
  ASSERT_TRUE(browser) << w.out();
  EXPECT_TRUE(w.saw("screen window: folder dialog", 10)) << w.out();
  Sleep(1500);  // the browser fills its tree
  w.shot_screen("win_app_folder_browser");
  PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(w.saw("screen window: folder cancelled", 10)) << w.out();
  Sleep(300);
  EXPECT_EQ(std::string::npos, w.out().find("screen destination: ", w.out().rfind("folder cancelled")));

  w.mark();
  w.click_install();
  ASSERT_TRUE(w.saw("screen window: licence", 10)) << w.out();
  w.shot("win_app_licence");
  w.click_accept();
  ASSERT_TRUE(w.saw("screen window: prompt to install " + dest + "Instructions/manual.txt", 20)) << w.out();
  w.shot("win_app_prompt");
  w.click_in(kPrompt, 96, 53);  // OVERWRITE THE OLD FILE
  EXPECT_TRUE(w.saw("screen window: prompt answered 1", 10)) << w.out();
  ASSERT_TRUE(w.saw("screen status: INSTALLATION COMPLETE!", 120)) << w.out() << w.err();
  w.shot("win_app_complete");
  w.click_quit();
  EXPECT_EQ(0, w.wait_exit()) << w.err();

  // The release carries programs, so the complete install renamed the folder
  // after the version.
  const std::string installed = dest.substr(0, dest.size() - 4) + kName + "/";
  EXPECT_TRUE(w.saw("screen destination: " + installed, 1)) << w.out();
  EXPECT_FALSE(file_exists(dest));
  EXPECT_EQ(expected_destination(files, 2), destination_tree(installed));
  EXPECT_NE(std::string::npos, prefs.text().find("_dest_dir_path " + installed + "\n")) << prefs.text();

  // The log's header: the Windows version and processor lines as the system
  // reports them, a line per processor, and file names that ignore case.
  const std::string log = w.log();
  expect_windows_log_header(log);
  EXPECT_NE(std::string::npos, log.find("\nos_dir_temp\t\t\t=C:\\")) << "the system's folders are logged";
}

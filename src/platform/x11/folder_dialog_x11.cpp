// The desktop's own folder dialog: zenity (GNOME and most desktops) or kdialog
// (KDE), run as a child process whose standard output carries the chosen folder.
// The caller keeps drawing its window while the dialog is open, so the child is
// looked at without waiting.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/plat_window.h"

extern char** environ;

namespace {
struct dialog {
  pid_t pid = -1;
  int out = -1;        // read end of the child's standard output
  std::string output;  // what it printed so far
};
std::map<int, dialog> g_dialogs;
int g_next_handle = 1;

// The full path of `program` found along PATH, "" when it is not installed.
std::string find_in_path(const std::string& program) {
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    const std::string full = dir + "/" + program;
    struct stat st;
    if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0) return full;
    start = end + 1;
  }
  return std::string();
}

// Reads what the child has written so far, without waiting.
void drain(dialog& d) {
  char buf[4096];
  while (d.out >= 0) {
    const ssize_t n = read(d.out, buf, sizeof buf);
    if (n > 0) {
      if (d.output.size() < 65536) d.output.append(buf, (size_t)n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) {
      close(d.out);
      d.out = -1;
    }
    break;
  }
}
}  // namespace

int PLAT_folder_dialog_start(const std::string& title, const std::string& start_dir) {
  std::vector<std::string> args;
  std::string program = find_in_path("zenity");
  if (!program.empty()) {
    // A trailing "/" makes zenity open inside the folder rather than at its parent.
    std::string start = start_dir;
    if (!start.empty() && start.back() != '/') start += '/';
    args = {program, "--file-selection", "--directory", "--title=" + title};
    if (!start.empty()) args.push_back("--filename=" + start);
  } else if (!(program = find_in_path("kdialog")).empty()) {
    args = {program, "--title", title, "--getexistingdirectory", start_dir.empty() ? "/" : start_dir};
  } else {
    return 0;
  }
  int fds[2];
  if (pipe(fds) != 0) return 0;
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_addclose(&fa, fds[1]);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, args[0].c_str(), &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return 0;
  }
  const int handle = g_next_handle++;
  g_dialogs[handle] = dialog{pid, fds[0], std::string()};
  return handle;
}

int PLAT_folder_dialog_poll(int handle, std::string* chosen) {
  auto it = g_dialogs.find(handle);
  if (it == g_dialogs.end()) return 2;
  dialog& d = it->second;
  drain(d);
  int status = 0;
  const pid_t r = waitpid(d.pid, &status, WNOHANG);
  if (r == 0) return 0;
  drain(d);
  if (d.out >= 0) close(d.out);
  std::string out = d.output;
  g_dialogs.erase(it);
  // One line: the folder. Anything else (cancel, a failed start) chooses nothing.
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  if (r < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || out.empty() ||
      out.find('\n') != std::string::npos)
    return 2;
  *chosen = out;
  return 1;
}

void PLAT_folder_dialog_cancel(int handle) {
  auto it = g_dialogs.find(handle);
  if (it == g_dialogs.end()) return;
  kill(it->second.pid, SIGTERM);
  waitpid(it->second.pid, nullptr, 0);
  if (it->second.out >= 0) close(it->second.out);
  g_dialogs.erase(it);
}

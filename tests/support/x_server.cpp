// The private X server.
#include "support/x_server.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/fs_helpers.h"

extern char** environ;

private_x_server::private_x_server() {
  int fds[2];
  if (pipe(fds) != 0) return;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  const std::string fd = std::to_string(fds[1]);
  const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                        "-nolisten", "tcp", nullptr};
  pid_t pid;
  const int rc = posix_spawnp(&pid, "Xvfb", &fa, nullptr, (char* const*)argv, environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return;
  }
  pid_ = pid;
  // The server writes its display number once it accepts connections.
  std::string number;
  struct pollfd p = {fds[0], POLLIN, 0};
  for (int waited = 0; waited < 10000 && number.find('\n') == std::string::npos; waited += 100) {
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[32];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    number.append(buf, (size_t)n);
  }
  close(fds[0]);
  while (!number.empty() && (number.back() == '\n' || number.back() == '\r')) number.pop_back();
  if (!number.empty()) display_ = ":" + number;
}

private_x_server::~private_x_server() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status;
  waitpid(pid_, &status, 0);
}

int private_x_server::run(const std::string& command, std::string* out) const {
  return run_command("DISPLAY=" + display_ + " " + command, out);
}

// The running program on Linux.
#include "platform/plat_sys.h"

#include <climits>
#include <unistd.h>

std::string PLAT_program_file() {
  char buf[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  if (n <= 0) return std::string();
  return std::string(buf, (size_t)n);
}

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

int PLAT_open_url(const std::string& url) {
  // Not waited for: xdg-open may run as long as the browser starts up.
  pid_t pid;
  const char* argv[] = {"xdg-open", url.c_str(), nullptr};
  int rc = posix_spawnp(&pid, "xdg-open", nullptr, nullptr, (char* const*)argv, environ);
  return rc;
}

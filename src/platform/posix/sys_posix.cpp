// The running program on Linux.
#include "platform/plat_sys.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <mntent.h>
#include <pwd.h>
#include <set>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

std::string PLAT_program_file() {
  char buf[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  if (n <= 0) return std::string();
  return std::string(buf, (size_t)n);
}

extern char** environ;

int PLAT_open_url(const std::string& url) {
  // Not waited for: xdg-open may run as long as the browser starts up.
  pid_t pid;
  const char* argv[] = {"xdg-open", url.c_str(), nullptr};
  int rc = posix_spawnp(&pid, "xdg-open", nullptr, nullptr, (char* const*)argv, environ);
  return rc;
}

static std::string with_slash(std::string p) {
  if (!p.empty() && p.back() != '/') p += '/';
  return p;
}

static std::string home_folder() {
  const char* home = getenv("HOME");
  if (home && *home) return with_slash(home);
  struct passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? with_slash(pw->pw_dir) : std::string();
}

static bool is_folder(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// XDG_DESKTOP_DIR from the environment or from user-dirs.dirs, else ~/Desktop.
std::string PLAT_desktop_folder() {
  const std::string home = home_folder();
  if (const char* d = getenv("XDG_DESKTOP_DIR"))
    if (*d) return with_slash(d);
  const char* cfg = getenv("XDG_CONFIG_HOME");
  std::string dirs = (cfg && *cfg ? with_slash(cfg) : home + ".config/") + "user-dirs.dirs";
  if (FILE* f = fopen(dirs.c_str(), "r")) {
    char line[1024];
    std::string found;
    while (fgets(line, sizeof line, f)) {
      const char* key = "XDG_DESKTOP_DIR=\"";
      if (strncmp(line, key, strlen(key)) != 0) continue;
      std::string v = line + strlen(key);
      v = v.substr(0, v.find('"'));
      if (v.rfind("$HOME/", 0) == 0) v = home + v.substr(6);
      found = v;
    }
    fclose(f);
    if (!found.empty()) return with_slash(found);
  }
  return home.empty() ? std::string() : home + "Desktop/";
}

std::string PLAT_apps_folder() { return home_folder(); }

std::string PLAT_temp_folder() {
  const char* t = getenv("TMPDIR");
  if (t && *t && is_folder(t)) return with_slash(t);
  return "/tmp/";
}

std::string PLAT_settings_folder() {
  const char* cfg = getenv("XDG_CONFIG_HOME");
  std::string base = cfg && *cfg ? with_slash(cfg) : home_folder() + ".config/";
  if (base == ".config/") return std::string();
  mkdir(base.c_str(), 0700);
  std::string folder = base + "vantrel/";
  mkdir(folder.c_str(), 0700);
  return folder;
}

int PLAT_install_at_drive_root() { return 0; }

int PLAT_free_space(const std::string& path, unsigned long long* bytes) {
  // A destination that does not exist yet will be created on the file system
  // of its nearest existing parent, so that is the one that counts.
  std::string p = path;
  while (!p.empty()) {
    struct statvfs vfs;
    if (statvfs(p.c_str(), &vfs) == 0) {
      *bytes = (unsigned long long)vfs.f_bavail * (unsigned long long)vfs.f_frsize;
      return 0;
    }
    if (errno != ENOENT && errno != ENOTDIR) return errno;
    if (p == "/") break;
    if (p.back() == '/') p.pop_back();
    size_t slash = p.rfind('/');
    if (slash == std::string::npos) break;
    p = p.substr(0, slash + 1);
  }
  return ENOENT;
}

std::vector<std::string> PLAT_removable_media_roots() {
  std::set<std::string> roots;
  if (FILE* m = setmntent("/proc/mounts", "r")) {
    while (struct mntent* e = getmntent(m)) {
      std::string dir = e->mnt_dir, type = e->mnt_type;
      if (type == "iso9660" || type == "udf" || dir.rfind("/media/", 0) == 0 || dir.rfind("/run/media/", 0) == 0)
        roots.insert(with_slash(dir));
    }
    endmntent(m);
  }
  return std::vector<std::string>(roots.begin(), roots.end());
}
int PLAT_download_os() { return 3; }


int PLAT_is_terminal(int stream) { return isatty(stream) ? 1 : 0; }

int PLAT_terminal_width() {
  struct winsize ws;
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

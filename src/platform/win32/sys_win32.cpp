// The running program and the system on Windows: the program file, the shell's
// folders, the temporary folder, free space, optical drives, the browser, the
// console, and the performance-counter clock.
#include "platform/plat_clock.h"
#include "platform/plat_sys.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

std::string PLAT_program_file() {
  char buf[500];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

int PLAT_open_url(const std::string& url) {
  // ShellExecute's result above 32 means the request was handed on.
  INT_PTR rc = (INT_PTR)ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return rc > 32 ? 0 : (int)rc;
}

// A shell folder followed by "/", or "" when the shell has none.
static std::string shell_folder(int csidl) {
  char buf[MAX_PATH + 1];
  if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf) != S_OK) return std::string();
  return std::string(buf) + "/";
}

std::string PLAT_desktop_folder() { return shell_folder(CSIDL_DESKTOP); }

std::string PLAT_apps_folder() { return shell_folder(CSIDL_PROGRAM_FILES); }

std::string PLAT_temp_folder() {
  char buf[260];
  DWORD n = GetTempPathA(sizeof buf, buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

// The preferences live at the drive root of the applications folder (C:\).
std::string PLAT_settings_folder() { return std::string(); }

int PLAT_install_at_drive_root() { return 1; }

int PLAT_free_space(const std::string& path, unsigned long long* bytes) {
  // A destination that does not exist yet is made inside its nearest existing
  // parent, on that parent's drive, so that is the figure that counts.
  std::string p = path;
  while (!p.empty()) {
    ULARGE_INTEGER avail, total, free_all;
    if (GetDiskFreeSpaceExA(p.c_str(), &avail, &total, &free_all)) {
      *bytes = avail.QuadPart;
      return 0;
    }
    DWORD err = GetLastError();
    if (err != ERROR_PATH_NOT_FOUND && err != ERROR_FILE_NOT_FOUND && err != ERROR_INVALID_NAME &&
        err != ERROR_DIRECTORY)
      return (int)err;
    if (p.size() <= 3) break;  // a drive root that does not answer
    if (p.back() == '/' || p.back() == '\\') p.pop_back();
    size_t cut = p.find_last_of("/\\");
    if (cut == std::string::npos) break;
    p = p.substr(0, cut + 1);
  }
  return ERROR_PATH_NOT_FOUND;
}

std::vector<std::string> PLAT_removable_media_roots() {
  // Four characters per drive ("D:\" and its terminator), an empty entry at the end.
  char list[501] = {0};
  std::vector<std::string> roots;
  DWORD n = GetLogicalDriveStringsA(500, list);
  if (n == 0 || n > 500) return roots;
  for (size_t at = 0; at + 4 <= 500 && list[at]; at += 4) {
    std::string root(list + at);
    if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM) roots.push_back(root);
  }
  return roots;
}

int PLAT_download_os() { return 2; }

static HANDLE std_handle(int stream) {
  return GetStdHandle(stream == 0 ? STD_INPUT_HANDLE : stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

int PLAT_is_terminal(int stream) {
  HANDLE h = std_handle(stream);
  DWORD mode;
  return h && h != INVALID_HANDLE_VALUE && GetFileType(h) == FILE_TYPE_CHAR && GetConsoleMode(h, &mode) ? 1 : 0;
}

int PLAT_terminal_width() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(std_handle(1), &info)) {
    int w = info.srWindow.Right - info.srWindow.Left + 1;
    if (w > 0) return w;
  }
  return 80;
}

// ---- the clock ----

int64_t PLAT_microsecs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  // Split so that the product cannot overflow for counters of any frequency.
  const int64_t q = now.QuadPart / freq.QuadPart, r = now.QuadPart % freq.QuadPart;
  return q * 1000000 + r * 1000000 / freq.QuadPart;
}

void PLAT_sleep_ms(int ms) {
  if (ms > 0) Sleep((DWORD)ms);
}

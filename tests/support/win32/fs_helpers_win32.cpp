// The file and shell helpers of the tests, for the Windows test programs that run
// under wine. Temporary folders live on wine's drive Z: (the Linux file system),
// in the program's path form ("Z:\tmp/vantrel-test-.../"), so that the Linux
// tools the tests call (md5sum, zip, nginx) reach the same files: a command
// names them with "Z:\" standing for "/", and run_command turns that back.
#include "support/fs_helpers.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "support/win32/unix_run.h"

namespace fs = std::filesystem;

static std::atomic<int> g_temp_count{0};

TempDir::TempDir() {
  for (int attempt = 0; attempt < 1000; attempt++) {
    char name[128];
    snprintf(name, sizeof name, "Z:\\tmp\\vantrel-test-%lu-%d", (unsigned long)GetCurrentProcessId(),
             g_temp_count++);
    if (CreateDirectoryA(name, nullptr)) {
      path_ = std::string("Z:\\") + (name + 3);
      for (size_t i = 3; i < path_.size(); i++)
        if (path_[i] == '\\') path_[i] = '/';
      path_ += "/";
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot make a temporary folder on Z:");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests mark files read-only on purpose; give them back before removing.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(path_, ec);
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int run_command(const std::string& command, std::string* out) { return unix_shell(unix_paths(command), out); }


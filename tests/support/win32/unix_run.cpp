// Linux commands from the Windows tests: /bin/sh started through wine, with the
// output collected in a file of the temporary folder.
#include "support/win32/unix_run.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

std::string unix_paths(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i++) {
    if ((text[i] == 'Z' || text[i] == 'z') && text.compare(i + 1, 2, ":\\") == 0) {
      out += '/';
      i += 2;
      // The rest of the path: up to a quote or a blank.
      while (i + 1 < text.size() && text[i + 1] != '\'' && text[i + 1] != '"' && text[i + 1] != ' ') {
        i++;
        out += text[i] == '\\' ? '/' : text[i];
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

// A Windows command line whose parsing gives exactly these arguments.
static std::string quote_argument(const std::string& arg) {
  std::string q = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      backslashes++;
      continue;
    }
    if (c == '"') q.append(backslashes * 2 + 1, '\\');
    else q.append(backslashes, '\\');
    backslashes = 0;
    q += c;
  }
  q.append(backslashes * 2, '\\');
  return q + "\"";
}

static std::atomic<int> g_run_count{0};

// Starts the shell. Wine hands a Linux program over to the Linux side and does
// not learn when it ends, so the caller waits for a file the script writes last.
static bool start_sh(const std::string& script) {
  std::string line = "/bin/sh -c " + quote_argument(script);
  STARTUPINFOA si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  memset(&pi, 0, sizeof pi);
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  // For a Linux program wine fills the record's handles from values it never
  // set: closing them closes whatever of ours has that number (a socket, or the
  // event Winsock keeps for this thread). /bin/sh is always a Linux program, so
  // they are left alone.
  (void)pi;
  return true;
}

static std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

int unix_shell(const std::string& command, std::string* out) {
  char name[128];
  snprintf(name, sizeof name, "/tmp/vantrel-wine-run-%lu-%d", (unsigned long)GetCurrentProcessId(),
           g_run_count++);
  const std::string file = name;
  // The status appears under its final name only once the command has ended.
  const std::string script = "(" + command + ") >'" + file + ".out' 2>&1; echo $? >'" + file + ".tmp'; mv '" +
                             file + ".tmp' '" + file + ".status'";
  if (!start_sh(script)) return -1;
  const std::string dos = "Z:" + file;
  const DWORD start = GetTickCount();
  while (GetFileAttributesA((dos + ".status").c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > 600000) return -1;
    Sleep(2);
  }
  const int rc = atoi(slurp(dos + ".status").c_str());
  if (out) *out = slurp(dos + ".out");
  DeleteFileA((dos + ".out").c_str());
  DeleteFileA((dos + ".status").c_str());
  return rc;
}

long unix_spawn(const std::string& command) {
  std::string out;
  // The shell prints the background job's id and ends; the job runs on.
  if (unix_shell("(" + command + ") </dev/null >/dev/null 2>&1 & echo $!", &out) != 0) return -1;
  return atol(out.c_str());
}

// Win32 file services: the ANSI calls of the system, GetLastError as the error
// code (2 not found, 5 access denied, 145 folder not empty, 183 already exists).
// The program's paths ("C:\a/b/c") reach the system as they are: it takes "/"
// as a separator as well as "\".
#include "platform/plat_files.h"

#include <windows.h>

const int PLAT_ERR_NOT_FOUND = ERROR_FILE_NOT_FOUND;   // 2
const int PLAT_ERR_EXISTS = ERROR_ALREADY_EXISTS;      // 183
const int PLAT_ERR_NOT_EMPTY = ERROR_DIR_NOT_EMPTY;    // 145

int PLAT_windows_paths() { return 1; }

static int result_of(BOOL ok) { return ok ? 0 : (int)GetLastError(); }

int PLAT_delete_file(const std::string& path) { return result_of(DeleteFileA(path.c_str())); }

int PLAT_remove_folder(const std::string& path) { return result_of(RemoveDirectoryA(path.c_str())); }

int PLAT_make_folder(const std::string& path) { return result_of(CreateDirectoryA(path.c_str(), nullptr)); }

int PLAT_replace_file(const std::string& from, const std::string& to) {
  return result_of(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
}

int PLAT_rename_noreplace(const std::string& from, const std::string& to) {
  // MoveFile never replaces: an existing `to` gives ERROR_ALREADY_EXISTS.
  return result_of(MoveFileA(from.c_str(), to.c_str()));
}

int PLAT_get_readonly(const std::string& path, int* is_readonly) {
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return (int)GetLastError();
  *is_readonly = (attr & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
  return 0;
}

int PLAT_clear_readonly(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return (int)GetLastError();
  return result_of(SetFileAttributesA(path.c_str(), attr & ~(DWORD)FILE_ATTRIBUTE_READONLY));
}

int PLAT_set_executable(const std::string& path) {
  // Windows runs a program by its name; there is no mode to set.
  return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? (int)GetLastError() : 0;
}

int PLAT_path_kind(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return 0;
  return (attr & FILE_ATTRIBUTE_DIRECTORY) ? 2 : 1;
}

int64_t PLAT_file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

int PLAT_list_folder(const std::string& path, std::vector<PLAT_dir_entry>& out) {
  out.clear();
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path + "*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    // An existing empty folder (a drive root has not even "." and "..").
    return err == ERROR_FILE_NOT_FOUND ? 0 : (int)err;
  }
  do {
    if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0) continue;
    out.push_back(PLAT_dir_entry{fd.cFileName, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0});
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return 0;
}

int PLAT_map_file(const std::string& path, PLAT_mapping& m, int* open_ok) {
  m = PLAT_mapping();
  *open_ok = 0;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return (int)GetLastError();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) {
    int err = (int)GetLastError();
    CloseHandle(file);
    return err;
  }
  if (size.QuadPart == 0) {  // a zero-length file cannot be mapped: it reads as missing
    CloseHandle(file);
    *open_ok = 1;
    return 0;
  }
  HANDLE map = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!map) {
    int err = (int)GetLastError();
    CloseHandle(file);
    return err;
  }
  // From here a failure is one of memory, not of the file.
  *open_ok = 1;
  void* view = MapViewOfFile(map, FILE_MAP_READ, 0, 0, 0);
  if (!view) {
    int err = (int)GetLastError();
    CloseHandle(map);
    CloseHandle(file);
    return err;
  }
  m.base = (unsigned char*)view;
  m.size = (uint64_t)size.QuadPart;
  m.file = (intptr_t)file;
  m.map = (intptr_t)map;
  return 0;
}

void PLAT_unmap_file(PLAT_mapping& m) {
  if (m.base) UnmapViewOfFile(m.base);
  if (m.map != -1 && m.map != 0) CloseHandle((HANDLE)m.map);
  if (m.file != -1 && m.file != 0) CloseHandle((HANDLE)m.file);
  m = PLAT_mapping();
}

std::string PLAT_error_text(int code) {
  if (code <= 0) return std::string();
  char buf[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, (DWORD)code,
                           MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, sizeof buf, nullptr);
  // The system's sentences end with a line break, which has no place in an alert line.
  while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r' || buf[n - 1] == ' ')) n--;
  return std::string(buf, n);
}

int PLAT_last_error() { return (int)GetLastError(); }

int PLAT_hash_from_mapping() { return 1; }

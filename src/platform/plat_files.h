// File and folder services of the operating system, behind one small interface.
// The modules above (files/, installer/) never call the system directly; every
// function here returns 0 on success or the system's own error code (errno on
// POSIX, the last-error value on Windows), which error_str() turns into text.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// System error codes the callers test for by meaning.
extern const int PLAT_ERR_NOT_FOUND;   // no such file
extern const int PLAT_ERR_EXISTS;      // the file or folder already exists
extern const int PLAT_ERR_NOT_EMPTY;   // a folder still holds entries

// 1 when this system treats "\" and ":" as folder separators and drive prefixes
// (Windows); 0 when they are ordinary file-name characters (POSIX).
int PLAT_windows_paths();

// Deletes a file. A folder is not removed by this call.
int PLAT_delete_file(const std::string& path);
// Removes a folder, which must be empty. `path` has no trailing "/".
int PLAT_remove_folder(const std::string& path);
// Creates one folder level; the parent must exist. An existing folder gives
// PLAT_ERR_EXISTS. `path` has no trailing "/".
int PLAT_make_folder(const std::string& path);
// Moves `from` to `to`, replacing a file at `to` (atomically where the system can).
int PLAT_replace_file(const std::string& from, const std::string& to);
// Moves `from` to `to`; fails with PLAT_ERR_EXISTS when `to` exists already.
int PLAT_rename_noreplace(const std::string& from, const std::string& to);

// Read-only state: *is_readonly is 1 when the owner may not write the file.
int PLAT_get_readonly(const std::string& path, int* is_readonly);
// Makes a file writable again for its owner.
int PLAT_clear_readonly(const std::string& path);
// Marks a file as a program the user may run (no-op where that has no meaning).
int PLAT_set_executable(const std::string& path);

// What is at `path`: 0 nothing (or unreadable), 1 a file, 2 a folder.
int PLAT_path_kind(const std::string& path);
// Size of a file in bytes; -1 when it cannot be read.
int64_t PLAT_file_size(const std::string& path);

struct PLAT_dir_entry {
  std::string name;  // the entry's own name, without its folder
  int is_folder;     // 1 folder, 0 anything else
};
// Lists a folder (`path` ends with "/"), without "." and "..". Order is the system's.
int PLAT_list_folder(const std::string& path, std::vector<PLAT_dir_entry>& out);

// A read-only view of a whole file.
struct PLAT_mapping {
  unsigned char* base = nullptr;  // first byte; null when nothing is mapped
  uint64_t size = 0;              // bytes in the view
  intptr_t file = -1;             // the open file
  intptr_t map = -1;              // the mapping object, where the system has one
};
// Maps `path` read-only. Returns 0 with the view in `m`; PLAT_ERR_NOT_FOUND or the
// system code when the file cannot be opened; for a zero-length file, 0 with a
// null base. `*open_ok` tells whether the open succeeded (a failure after it is a
// mapping failure, reported differently by the caller).
int PLAT_map_file(const std::string& path, PLAT_mapping& m, int* open_ok);
void PLAT_unmap_file(PLAT_mapping& m);

// The system's sentence for an error code, or an empty string when it has none.
std::string PLAT_error_text(int code);
// The last error of the calling thread as a system code (errno on POSIX).
int PLAT_last_error();

// 1 when a file's signature is best computed from a mapping of the whole file
// (Windows), 0 when reading it in large pieces is faster (Linux, where setting up
// the page tables of a large mapping costs more than copying from the cache).
int PLAT_hash_from_mapping();

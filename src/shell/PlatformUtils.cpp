// Path helpers.
#include "shell/PlatformUtils.h"

#include "platform/plat_files.h"
#include "platform/plat_sys.h"
#include "shell/hl_string.h"
#include "shell/hl_structs.h"

#include <cstring>

int g_windows_paths = PLAT_windows_paths();

int path_is_separator(char c) { return c == '/' || (g_windows_paths && c == '\\'); }

int path_has_drive_prefix(const std::string& path) {
  return g_windows_paths && path.size() > 2 && path[1] == ':' && path[2] == '\\';
}

void set_path_to_right_dirchars(std::string& path) {
  if (!g_windows_paths) return;
  for (size_t i = path_has_drive_prefix(path) ? 3 : 0; i < path.size(); i++)
    if (path[i] == '\\' || path[i] == ':') path[i] = '/';
}

void get_file_with_path(std::string& file, const std::string& path) {
  if (path.empty()) {
    file.clear();
    return;
  }
  size_t pos = path.size() - 1;
  if (path.size() > 2 && path_is_separator(path[pos])) pos--;
  while (pos > 0 && !path_is_separator(path[pos])) pos--;
  file = path_is_separator(path[pos]) ? path.substr(pos + 1) : path;
}

void get_path_with_path(std::string& parent_path, const std::string& full_path) {
  if (full_path.size() <= 3) {
    parent_path = full_path;
    return;
  }
  std::string last;
  get_file_with_path(last, full_path);
  parent_path = full_path.substr(0, full_path.size() - last.size());
}

void DOVAVI_set_app_path(std::string* path) {
  std::string program = PLAT_program_file();
  g_case_sensitive = !g_windows_paths;
  set_path_to_right_dirchars(program);
  if (program.size() > 3) get_path_with_path(program, program);
  *path = program;
  app_path.clear();
}

std::string path_default_root() { return g_windows_paths ? "C:\\" : "/"; }

int (*g_folder_chooser)(const char* prompt, const char* default_dir, std::string* chosen) = nullptr;

int GetFilePathFromUser(int inType, const char* inPrompt, const char*, int, const char* inDefaultDir,
                        char* outFileName) {
  std::string chosen;
  int ok = inType == 2 && g_folder_chooser && g_folder_chooser(inPrompt, inDefaultDir, &chosen) && !chosen.empty();
  if (ok && !path_is_separator(chosen.back())) chosen += g_windows_paths ? "\\" : "/";
  if (!ok) chosen.clear();
  set_path_to_right_dirchars(chosen);
  check_len(chosen);  // ends the program for 500 characters or more, so the result fits
  memcpy(outFileName, chosen.c_str(), chosen.size() + 1);
  return ok;
}

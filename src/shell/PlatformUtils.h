// Path helpers shared by the whole program. Inside the program a folder path ends
// with its separator and "/" separates components. Where the system has drive
// prefixes (Windows), a prefix such as "C:\" keeps its backslash and "\" or ":"
// elsewhere are wrong separators; on POSIX both are ordinary file-name characters.
#pragma once
#include <string>

// 1 while the Windows path rules apply. Starts as the running system's rules;
// tests switch it to check the other system's behaviour.
extern int g_windows_paths;

// 1 when `c` separates path components under the current rules.
int path_is_separator(char c);
// 1 when `path` starts with a drive prefix (letter, ":", "\") under the current rules.
int path_has_drive_prefix(const std::string& path);

// Converts a system path to the program's form, in place: under the Windows rules
// every "\" and ":" after an optional drive prefix becomes "/"; elsewhere nothing changes.
void set_path_to_right_dirchars(std::string& path);
// Sets `file` to the last component of `path`; a trailing separator stays on it
// ("b/" for "/a/b/"), except for paths of two characters or fewer.
void get_file_with_path(std::string& file, const std::string& path);
// Sets `parent_path` to `full_path` without its last component; the parent keeps
// its trailing separator. A path of at most three characters is its own parent.
void get_path_with_path(std::string& parent_path, const std::string& full_path);
// Sets *path to the folder of the running program, in the program's form, and
// empties app_path.
void DOVAVI_set_app_path(std::string* path);
// The root a failed folder lookup falls back to: "C:\" under the Windows rules, "/" otherwise.
std::string path_default_root();

// Asks the user for a folder (inType 2; other types are not used). Returns 1 when
// one was chosen: outFileName (room for 512 characters) then holds it in the
// program's form with a trailing separator. 0 when cancelled (outFileName empty).
// inAction and inID are not consulted.
int GetFilePathFromUser(int inType, const char* inPrompt, const char* inAction, int inID, const char* inDefaultDir,
                        char* outFileName);
// The chooser behind GetFilePathFromUser: sets *chosen and returns 1, or returns 0.
// Null (no chooser: every request is cancelled) until the program installs one.
extern int (*g_folder_chooser)(const char* prompt, const char* default_dir, std::string* chosen);

// Where things are: the system's standard folders, the destination folder (its
// default, the chooser, whether it holds an installation) and the product disc.
#pragma once
#include <string>

// Folder kinds: 0 the program's folder, 1 the desktop, 2 the folder for installed
// applications, 3 the temporary folder, 4 the folder of the preferences file.
// Each result ends with a separator.
void get_OS_abs_path(int dir_type, std::string& out_path);
// The default destination: the applications folder (or its drive root, where the
// system installs there) + "Vantrel/".
std::string default_dest_dir();
// Reduces a path to its root by removing up to ten last components.
void strip_to_root(std::string& path);
// Lets the user choose the destination. 1 when dest_dir_path changed, 0 on cancel.
int pick_dest_path();
// 1 when dest_dir_path holds folders named with "Airfoils", "Instructions", "Output"
// and "Resources": an existing installation.
int path_is_to_a_sim();
// Removes the top folder (up to and including the first "/") from a product path.
void trim_dest_folder(std::string& path);
// 1 when the path names a folder (ends with "/").
int path_has_no_file(const std::string& path);
// Searches the media for a product disc (kind 0); 1 when one was found (dvd_path).
int check_any(int kind, int re_read_now);
// 1 when check_path is the root of a product disc; sets dvd_path.
int check_dvd(const std::string& check_path);
// Forgets the disc-search cache (tests).
void reset_disc_search();

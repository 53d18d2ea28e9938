// The installer's engine: the directory of the release (every product file with
// its versions), the plan of what to download, delete or keep, and the transfer
// that carries the plan out over four streams.
//
// Product paths start with the product's top folder; on disk that folder is the
// destination: T/Resources/a.txt lives at dest_dir_path + "Resources/a.txt".
#pragma once
#include <set>
#include <string>
#include <vector>

// One version of one file.
struct file_version_struct {
  int use_type = 0;       // second column, clamped to 0..4; stored only
  int os_type = 0;        // 0 every system, 1 Mac, 2 Windows, 3 Linux, 4/5 only that system, 6 for 6 or 3
  int version_num = 0;    // stored only
  float down_size = 0;    // download size, kilobytes
  float disk_size = 0;    // installed size, kilobytes
  std::string sig_want;   // MD5 of this version (32 hex digits) or "GONE"
  std::string sig_have;   // MD5 of the file on disk or "NONE"; set on the current version only
  std::string path;       // product path
  int on_disk = 0;        // the file on disk is this version (scan; set again when installed)
  int want_to_grab_it = 0;  // to be downloaded (plan)
  int want_to_nuke_it = 0;  // to be deleted (plan)
};

// The versions of one file in directory order; the last is the current one.
struct file_history_struct {
  std::vector<file_version_struct> versions;
};

struct sim_info_struct {
  std::vector<file_history_struct> files;
};

extern sim_info_struct sim_info;            // the directory of the release (directory reader)
extern int this_install_has_exes;           // 1 once a counted file is a program (directory reader)
extern std::set<std::string> deleted_files; // folders emptied by deletions, ending with "/" (transfer)

class xmap_class;
// Reads the next FILE record of a directory file whose header has been checked,
// following DIR lines into `prefix` and passing over any other line. Sets `v`
// (numbers clamped, path = prefix + name) and `name`; false at the end of the data.
bool next_directory_record(xmap_class& m, std::string& prefix, file_version_struct& v, std::string& name);
// 1 for record names the installer drops ("900 red terrain", "Earth Orbit Textures").
int directory_name_dropped(const std::string& name);

// 1 when a version of os_type `os_type` is wanted for system `download_os`.
int os_type_wanted(int os_type, int download_os);
// The file's place on disk: dest_dir_path + the product path without its top folder.
std::string disk_path_of(const file_version_struct& v);

// Reads the directory file at `path` into sim_info and examines the destination:
// the MD5 of every listed file on disk, which are current, and the totals
// stg.down_req and stg.disk_req. Returns 3 when done, 2 when the header was refused
// (after new_format). A missing or empty file ends the program with an alert, and
// so does a record whose product path ends with "/" or would leave the destination
// (an absolute path or a "..", "." or empty component after the top folder):
// nothing has been created, downloaded or deleted at that point.
int read_directory(const std::string& path, const std::string& title);
// Removes the partial files that an interrupted extraction left beside the
// directory's files (they carry the name partial_path_for gives).
void remove_partial_files();
// Tells the user that a fetched file has a format newer than this installer, opens
// the product's download page and ends the run (stg.step 2, app_done 1).
void new_format(const std::string& path);

// Creates the destination folder, every folder of the product for stg.download_os
// and the fixed folders; each failure is reported with make_dir_error.
void make_dirs();
void make_dir_error(const std::string& path, int err);
// Plans every file: sets want_to_grab_it / want_to_nuke_it on each current version,
// asking about files the user changed (select_alert). Returns 1 when planned, 0
// when the user cancelled the installation in a prompt.
int choose_files();
// 1 when the current version v is on disk in a form that matches no version of
// its history (the user changed it).
int is_custom(const file_history_struct& h);

// One step of every active stream. Returns 1 when the install has finished,
// otherwise stg.got_failed_install (1 after a failed extraction).
int grab_files();
// Unpacks a downloaded archive over the folder of `dest_path_exp`, checking the
// result against `sig_want` when given, and deletes the archive. Returns 0, or the
// extraction's error (20014 for a signature mismatch, which is not an install failure).
int extract_and_delete_file(const std::string& dest_path_zip, const std::string& dest_path_exp,
                            const std::string* sig_want = nullptr);
// The partial archive of stream s: temp_path + s + ".zip".
std::string stream_archive_path(int s);

// Install planning: the folder skeleton, and for every file whether to download,
// delete or keep it, asking the user about files they changed.
#include "files/IO_UTILS.h"
#include "installer/dest.h"
#include "installer/main.h"
#include "installer/seams.h"
#include "installer/utils.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"

void make_dir_error(const std::string& path, int err) {
  __DOVAVI_alert(0,
                 "I am unable to install or update Vantrel. An error occurred while creating new folders. Make sure "
                 "you are installing to a directory that you have access to!",
                 "Error: " + error_str(err), "Install Location: " + dest_dir_path, "Install Path:" + path, t_alert,
                 "utils", 177);
}

// Creates one folder; returns 0 when it exists afterwards, else reports and returns 1.
static int make_one(const std::string& path) {
  int err = make_folder(path);
  if (!show_make_dir_err(err)) return 0;
  make_dir_error(path, err);
  return 1;
}

void make_dirs() {
  // 1. The destination itself, one level at a time below its first folder.
  const std::string dest = dest_dir_path.empty() ? std::string() : dest_dir_path.substr(0, dest_dir_path.size() - 1);
  bool failed = false;
  size_t first = dest.find('/');
  for (size_t pos = first == std::string::npos ? first : dest.find('/', first + 1); pos != std::string::npos && !failed;
       pos = dest.find('/', pos + 1))
    failed = make_one(dest.substr(0, pos)) != 0;
  if (!failed && !dest.empty()) make_one(dest);

  // 2. Every folder of the product for this system, parents before children.
  std::set<std::string> folders;
  for (const file_history_struct& h : sim_info.files) {
    const file_version_struct& v = h.versions.back();
    if (v.sig_want == "GONE" || !os_type_wanted(v.os_type, stg.download_os)) continue;
    std::string rel = v.path;
    trim_dest_folder(rel);
    for (size_t pos = rel.find('/'); pos != std::string::npos; pos = rel.find('/', pos + 1))
      if (pos > 0) folders.insert(rel.substr(0, pos));
  }
  for (const std::string& folder : folders)
    if (make_one(dest_dir_path + folder)) break;

  // 3. The folders the simulator expects, each on its own.
  for (const char* fixed : {"Output", "Output/FMS plans", "Output/logbooks", "Output/movies", "Output/situations",
                            "Resources", "Resources/preferences"})
    make_one(dest_dir_path + fixed);
}

int is_custom(const file_history_struct& h) {
  const file_version_struct& v = h.versions.back();
  if (v.sig_have == "NONE" || v.sig_have == v.sig_want) return 0;
  for (const file_version_struct& old : h.versions)
    if (old.sig_want == v.sig_have) return 0;
  return 1;
}

// The folder part of a disk path, with its trailing "/".
static std::string folder_of(const std::string& disk_path) {
  if (disk_path.size() <= 3) return disk_path;
  size_t slash = disk_path.rfind('/');
  return slash == std::string::npos ? disk_path : disk_path.substr(0, slash + 1);
}

int choose_files() {
  std::set<std::string> dosave_dirs, nosave_dirs;
  for (file_history_struct& h : sim_info.files) {
    file_version_struct& v = h.versions.back();
    if (!os_type_wanted(v.os_type, stg.download_os)) {
      v.want_to_grab_it = v.want_to_nuke_it = 0;
      continue;
    }
    const bool gone = v.sig_want == "GONE";
    const bool present = v.sig_have != "NONE";
    const bool current = present && v.sig_have == v.sig_want;
    bool act;
    if (!present) {
      act = !gone;
    } else if (current) {
      act = false;
    } else if (!is_custom(h)) {
      act = true;
    } else {
      const std::string disk = disk_path_of(v);
      const std::string folder = folder_of(disk);
      if (dosave_dirs.count(folder)) {
        act = true;
      } else if (nosave_dirs.count(folder)) {
        act = false;
      } else {
        xer << "File: " << disk << "  sig_want=" << v.sig_want << "  sig_have=" << v.sig_have << "\n";
        switch (select_alert(disk, gone)) {
          case 1: act = true; break;
          case 2: act = false; break;
          case 4: act = true; dosave_dirs.insert(folder); break;
          case 5: act = false; nosave_dirs.insert(folder); break;
          default: return 0;  // 3: cancel the whole installation
        }
      }
    }
    v.want_to_grab_it = act && !gone;
    v.want_to_nuke_it = act && gone;
  }
  return 1;
}

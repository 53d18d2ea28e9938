// The transfer: four streams walk the planned file list, deleting files, or
// downloading each file's archive from the selected server and unpacking it in
// place, with the number of streams following the measured rate.
#include "files/IO_UTILS.h"
#include "installer/main.h"
#include "installer/serverlist.h"
#include "installer/utils.h"
#include "net/http.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "shell/xtim.h"

std::string stream_archive_path(int s) { return temp_path + std::to_string(s) + ".zip"; }

// The text after the last slash or backslash, ignoring one trailing separator.
static std::string last_component(const std::string& path) {
  std::string p = path;
  if (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  size_t sep = p.find_last_of("/\\");
  return sep == std::string::npos ? p : p.substr(sep + 1);
}

int extract_and_delete_file(const std::string& dest_path_zip, const std::string& dest_path_exp,
                            const std::string* sig_want) {
  unlock_file(dest_path_exp);
  const size_t slash = dest_path_exp.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : dest_path_exp.substr(0, slash + 1);
  // The archive holds the one file it is named after: whatever its member is
  // called, it lands under the planned name and must carry the planned content.
  std::string name = dest_path_exp.substr(slash == std::string::npos ? 0 : slash + 1);
  int result = zip_to_file(dest_path_zip, folder, &name, 1, sig_want);
  if (result == 20014) {
    xer << "The file " << dest_path_exp << " unpacked from " << dest_path_zip
        << " does not match its signature; it is fetched again.\n";
  } else if (result != 0) {
    stg.got_failed_install = 1;
    __DOVAVI_alert(0, "The installer cannot extract a file.", "Error: " + error_str(result),
                   "Compressed File: " + dest_path_zip, "Destination: " + dest_path_exp, t_alert, "utils", 390);
  }
  if (stg.log_actions) xer << "EXPANDING file " << dest_path_exp << ", with result=" << result << ".\n";
  int del = delete_file(dest_path_zip);
  if (stg.log_actions) xer << "DELETING  file " << dest_path_zip << ", with result=" << del << ".\n";
  return result;
}

// A failed download: the same file again from another server.
static void retry_elsewhere(int s) {
  stg.got_404 = 1;
  if (next.stream_index[s] < next.next_index) next.next_index = next.stream_index[s];
  pick_weighted_server();
  next.stream_waiting[s] = 0;
}

// The number of streams follows the rate; called when stream s finished a file.
static void adjust_streams(int s) {
  const float elapsed = xtim.real_time - next.star_time > 1.0f ? xtim.real_time - next.star_time : 1.0f;
  const float rate = (next.comp_down + next.file_down) / elapsed;
  int target = 2;
  if (rate > 50) target = 4;
  if (rate > 100) target = 6;
  if (rate > 150) target = 8;
  if (rate > 200) target = 9;
  if (stg.stream_count != 0) target = stg.stream_count;
  int active = 0;
  for (int k = 0; k < 4; k++) active += next.stream_active[k];
  if (target > active) {
    for (int k = 0; k < 4; k++) {
      if (!next.stream_active[k]) {
        next.stream_active[k] = 1;
        next.stream_waiting[k] = 1;
        break;
      }
    }
  }
  if (target < active) {
    next.stream_active[s] = 0;
  } else {
    next.stream_waiting[s] = 1;
  }
}

// Every folder between a deleted file and the destination may now be empty.
static void remember_emptied_folders(const std::string& file_path) {
  std::string folder = file_path.substr(0, file_path.rfind('/') + 1);
  while (folder.size() > dest_dir_path.size()) {
    deleted_files.insert(folder);
    folder.pop_back();
    folder = folder.substr(0, folder.rfind('/') + 1);
  }
}

// A single folder name that keeps the folder where it is.
static bool usable_folder_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

static void finish_install() {
  next.dir_done = 1;
  for (auto it = deleted_files.rbegin(); it != deleted_files.rend(); ++it) {
    std::vector<std::string> names;
    std::vector<unsigned long> types;
    if (opensave_getitems(*it, 0, names, types) != 0) continue;
    int result = delete_file(*it);
    if (stg.log_actions) xer << "cleanup: DELETING  file " << *it << ", with result=" << result << ".\n";
  }
  if (this_install_has_exes && stg.rename_folder && usable_folder_name(install_name)) {
    const std::string without_slash = dest_dir_path.substr(0, dest_dir_path.size() - 1);
    const size_t slash = without_slash.rfind('/');
    if (slash != std::string::npos) {
      const std::string parent = dest_dir_path.substr(0, slash + 1);
      const std::string last = dest_dir_path.substr(slash + 1);
      if (last != install_name + "/" && rename_file(parent, last, install_name) == 0)
        dest_dir_path = parent + install_name + "/";
    }
  }
}

int grab_files() {
  const int n = (int)sim_info.files.size();
  next.file_down = 0;
  for (int s = 0; s < 4; s++) {
    if (!next.stream_active[s]) continue;
    if (next.stream_waiting[s]) {
      next.stream_index[s] = next.next_index;
      next.next_index = next.next_index + 1 > n ? n : next.next_index + 1;
    }
    if (next.stream_index[s] >= n) continue;

    file_version_struct& v = sim_info.files[next.stream_index[s]].versions.back();
    const std::string source = server_path[stg.sel_server] + v.path + ".zip";
    const std::string dest = disk_path_of(v);
    const std::string archive = stream_archive_path(s);
    next.stream_waiting[s] = 0;
    crnt_file_path = source;
    crnt_file_name = last_component(source);

    bool done = false, installed = false;
    if (v.want_to_nuke_it) {
      stg.crnt_file_stat = 0;
      unlock_file(dest);
      int result = delete_file(dest);
      if (stg.log_actions)
        xer << "now we want to nuke a file: DELETING  file " << dest << ", with result=" << result << ".\n";
      remember_emptied_folders(dest);
      done = true;
    } else if (v.want_to_grab_it) {
      stg.crnt_file_stat = 1;
      int d = http.net_check(s + 2, server_name[stg.sel_server], source, archive);
      if (d == 0) {
        const down_class* t = http.down[s + 2];
        float p = !t ? 0.0f : (t->mIncomingLength == -1 ? -1.0f : t->mReceivedPayload * 100.0f / t->mIncomingLength);
        stg.crnt_file_rat = p * 0.01f;
        next.file_down += stg.crnt_file_rat * v.down_size;
      } else if (d == 2) {
        retry_elsewhere(s);
      } else {
        stg.got_404 = 0;
        int result = extract_and_delete_file(archive, dest, &v.sig_want);
        if (result == 20014) {
          retry_elsewhere(s);  // the server sent the wrong content: like a failed download
        } else {
          done = true;
          installed = result == 0;
        }
      }
    } else {
      stg.crnt_file_stat = v.on_disk ? 2 : 3;
      done = true;
    }
    if (installed) {
      v.on_disk = 1;
      next.comp_down += v.down_size;
      next.totl_disk += v.disk_size;
    }
    if (done) adjust_streams(s);
  }

  for (int s = 0; s < 4; s++)
    if (next.stream_active[s] && next.stream_index[s] < n) return stg.got_failed_install;
  finish_install();
  return 1;
}

// The directory reader: parses the release's directory file into sim_info and
// examines the destination (signatures on disk, the totals of an install).
#include <cstring>

#include "files/IO_UTILS.h"
#include "files/xmap.h"
#include "installer/config.h"
#include "installer/dest.h"
#include "installer/main.h"
#include "installer/seams.h"
#include "installer/utils.h"
#include "platform/plat_files.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"

sim_info_struct sim_info;
int this_install_has_exes = 0;
std::set<std::string> deleted_files;

// FILE records read in this run (never reset); paces the progress display.
static int f = 0;

int os_type_wanted(int os_type, int download_os) {
  return os_type == download_os || os_type == 0 || (os_type == 6 && download_os == 3);
}

std::string disk_path_of(const file_version_struct& v) {
  std::string rel = v.path;
  trim_dest_folder(rel);
  return dest_dir_path + rel;
}

static int clamp_int(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

bool next_directory_record(xmap_class& m, std::string& prefix, file_version_struct& v, std::string& name) {
  while (true) {
    m.skip_line_ends();
    if (m.at_end()) return false;
    if (m.take_keyword("DIR", false)) {
      prefix = m.read_rest_of_line();
    } else if (m.take_keyword("FILE", false)) {
      v = file_version_struct();
      v.use_type = clamp_int(m.read_int(), 0, 4);
      v.os_type = clamp_int(m.read_int(), 0, 6);
      v.version_num = m.read_int();
      v.down_size = (float)m.read_int();
      v.disk_size = (float)m.read_int();
      v.sig_want = m.read_word();
      name = m.read_rest_of_line();
      v.path = prefix + name;
      return true;
    } else {
      m.skip_to_eol();
    }
  }
}

int directory_name_dropped(const std::string& name) {
  return name.find("900 red terrain") != std::string::npos || name.find("Earth Orbit Textures") != std::string::npos;
}

void new_format(const std::string& path) {
  __DOVAVI_alert(0,
                 "OK I am checking the Talvern Research servers and I am finding file formats that are newer than I "
                 "can understand!",
                 "In other words, you need to get a new installer!",
                 "No problem... grab it at the download section of " + product_web_site() + ".", path, t_alert,
                 "utils", 141);
  go_to_URL(product_download_page());
  stg.step = 2;
  app_done = 1;
}

int read_directory(const std::string& path, const std::string& title) {
  deleted_files.clear();
  stg.down_req = 0;
  stg.disk_req = 0;
  sim_info.files.clear();
  std::string prefix, previous_path;
  bool have_previous = false;

  xmap_class m(path);
  if (!m.mBegin)
    __DOVAVI_alert(0, "I tried to read a directory file that does not exist!", "The file is:", path, "", t_exit,
                   "utils", 628);
  const int versions[] = {840, 900, 0};
  if (m.check_file(10001, versions, "INSTALLER", nullptr) == 0) {
    new_format(path);
    return 2;
  }

  const float total_bytes = (float)(m.mEnd - m.mBegin);
  file_version_struct v;
  std::string name;
  while (next_directory_record(m, prefix, v, name)) {
    if (!directory_name_dropped(name)) {
      if (!have_previous || v.path != previous_path) sim_info.files.push_back(file_history_struct());
      previous_path = v.path;
      have_previous = true;
      if (path_has_no_file(v.path))
        __DOVAVI_alert(0, "I am reading the directory text file and found a path that has no file!",
                       "This is impossible to download or delete!", "It is:", v.path, t_exit, "utils", 659);
      // The mirror decides these names; none may point outside the destination.
      std::string inside = v.path;
      trim_dest_folder(inside);
      if (!is_safe_relative_path(inside))
        __DOVAVI_alert(0, "I am reading the directory text file and found a path that leads outside the install folder!",
                       "I will not install from this directory, so nothing on your disk has been changed.", "It is:",
                       v.path, t_exit, "utils", 664);
      sim_info.files.back().versions.push_back(v);
    }
    if (f % 500 == 0) dir_progress_bar(0.0f, (float)(m.mCrt - m.mBegin), total_bytes, 0, title, name);
    f++;
  }

  const int n = (int)sim_info.files.size();
  const int step = n / 200 > 1 ? n / 200 : 1;
  for (int i = 0; i < n; i++) {
    file_version_struct& v = sim_info.files[i].versions.back();
    const std::string disk = disk_path_of(v);
    if (i % step == 0) dir_progress_bar(0.0f, (float)i, (float)n, 1, title, disk);
    v.sig_have = "NONE";
    calc_file_md5(disk, v.sig_have);
    v.on_disk = v.sig_have == v.sig_want;
    if (v.sig_want != "GONE" && !v.on_disk && os_type_wanted(v.os_type, stg.download_os)) {
      stg.down_req += v.down_size;
      stg.disk_req += v.disk_size;
      if (v.os_type >= 1 && v.os_type <= 3) this_install_has_exes = 1;
    }
  }
  return 3;
}

void remove_partial_files() {
  for (const file_history_struct& h : sim_info.files) {
    const std::string partial = partial_path_for(disk_path_of(h.versions.back()));
    if (PLAT_path_kind(partial) == 1) PLAT_delete_file(partial);
  }
}

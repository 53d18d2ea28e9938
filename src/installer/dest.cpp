// Standard folders, the destination and the product disc.
#include "installer/dest.h"

#include <cstring>

#include "files/IO_UTILS.h"
#include "files/xmap.h"
#include "installer/main.h"
#include "platform/plat_sys.h"
#include "shell/PlatformUtils.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"

void strip_to_root(std::string& path) {
  for (int i = 0; i < 10; i++) {
    if (path.size() <= 3) return;
    get_path_with_path(path, path);
  }
}

void get_OS_abs_path(int dir_type, std::string& out_path) {
  if (dir_type == 0) {
    DOVAVI_set_app_path(&out_path);
    set_path_to_right_dirchars(out_path);
    return;
  }
  std::string path = path_default_root();
  std::string answer;
  if (dir_type == 3) {
    answer = PLAT_temp_folder();
    if (answer.size() >= 260) answer.clear();
  } else if (dir_type == 1) {
    answer = PLAT_desktop_folder();
  } else if (dir_type == 4 && !PLAT_settings_folder().empty()) {
    answer = PLAT_settings_folder();
  } else if (dir_type == 2 || dir_type == 4) {
    answer = PLAT_apps_folder();
    if (dir_type == 4 && !answer.empty()) strip_to_root(answer);
  }
  if (!answer.empty()) path = answer;
  set_path_to_right_dirchars(path);
  out_path = path;
}

std::string default_dest_dir() {
  std::string apps;
  get_OS_abs_path(2, apps);
  if (PLAT_install_at_drive_root()) strip_to_root(apps);
  return apps + "Vantrel" + "/";
}

int path_is_to_a_sim() {
  std::vector<std::string> names;
  std::vector<unsigned long> types;
  if (dest_dir_path.empty()) return 0;
  opensave_getitems(dest_dir_path, 0, names, types);
  bool airfoils = false, instructions = false, output = false, resources = false;
  for (size_t i = 0; i < names.size(); i++) {
    if (types[i] != 1) continue;
    airfoils |= names[i].find("Airfoils") != std::string::npos;
    instructions |= names[i].find("Instructions") != std::string::npos;
    output |= names[i].find("Output") != std::string::npos;
    resources |= names[i].find("Resources") != std::string::npos;
  }
  return airfoils && instructions && output && resources;
}

int pick_dest_path() {
  char chosen[2048] = {0};
  if (!GetFilePathFromUser(2,
                           "Pick a folder to install Vantrel to! Be sure to pick your existing folder if you already "
                           "have one!",
                           "", 0, dest_dir_path.c_str(), chosen) ||
      !chosen[0])
    return 0;
  dest_dir_path = chosen;
  if (!path_is_separator(dest_dir_path.back())) dest_dir_path += "/";
  if (!path_is_to_a_sim()) dest_dir_path += std::string("Vantrel") + "/";
  return 1;
}

void trim_dest_folder(std::string& path) {
  size_t slash = path.find('/');
  if (slash != std::string::npos) path.erase(0, slash + 1);
}

int path_has_no_file(const std::string& path) { return !path.empty() && path.back() == '/'; }

// The disc-search cache: for each kind, when it may search again and what it found.
static float next_search[5] = {-1, 0, 0, 0, 0};
static int last_result[5] = {0, 0, 0, 0, 0};

void reset_disc_search() {
  const float start[5] = {-1, 0, 0, 0, 0};
  for (int k = 0; k < 5; k++) {
    next_search[k] = start[k];
    last_result[k] = 0;
  }
}

int check_dvd(const std::string& check_path) {
  const std::string saved = app_path;
  app_path.clear();
  xmap_class marker(check_path + "dvd_version.txt");
  const int versions[] = {900, 0};
  const int found = marker.check_file(10001, versions, "DVD", nullptr) == 900;
  app_path = saved;
  if (found) dvd_path = check_path;
  return found;
}

int check_any(int kind, int re_read_now) {
  if (kind < 0 || kind > 4) return 0;
  if (re_read_now == 1) next_search[kind] = -1;
  if (xtim.real_time < next_search[kind]) return last_result[kind];
  next_search[kind] = xtim.real_time + (kind == 0 ? 3600.0f : 360.0f);
  last_result[kind] = 0;
  if (kind != 0) return 0;
  int discs = 0;
  for (const std::string& root : PLAT_removable_media_roots()) {
    if (check_dvd(root)) {
      last_result[kind] = 1;
      discs++;
    }
  }
  if (discs > 1)
    __DOVAVI_alert(0, "I found multiple Vantrel CDs in the drives!", "This is bad!",
                   "Pull out whatever CD you are not using now!", "", t_exit, "dest", 232);
  return last_result[kind];
}

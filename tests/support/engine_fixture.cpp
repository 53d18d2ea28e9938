// Helpers for tests of the installer engine.
#include "support/engine_fixture.h"

#include <cstdio>
#include <map>

#include "files/md5.h"
#include "installer/engine.h"
#include "installer/main.h"
#include "installer/seams.h"
#include "installer/utils.h"
#include "net/http.h"
#include "platform/plat_clock.h"
#include "shell/PlatformUtils.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_alert.h"
#include "shell/hl_mnw.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"
#include "support/fs_helpers.h"
#include "support/zip_maker.h"

std::vector<recorded_alert> g_alerts;
std::vector<int> g_prompt_answers;
std::vector<std::string> g_prompted_paths;
std::vector<std::string> g_opened_urls;

static void record_alert(int, const std::string& s1, const std::string& s2, const std::string& s3,
                         const std::string& s4, int type, const char* file, int line) {
  recorded_alert a;
  a.lines[0] = s1;
  a.lines[1] = s2;
  a.lines[2] = s3;
  a.lines[3] = s4;
  a.type = type;
  a.file = file ? file : "";
  a.line = line;
  g_alerts.push_back(a);
  if (type == t_exit) throw fatal_alert(s1 + " / " + s4);
}

static int scripted_prompt(const std::string& path, int) {
  g_prompted_paths.push_back(path);
  if (g_prompt_answers.empty()) return 3;
  int answer = g_prompt_answers.front();
  g_prompt_answers.erase(g_prompt_answers.begin());
  return answer;
}

static int accept_licence() { return 1; }
static void record_url(const std::string& url) { g_opened_urls.push_back(url); }

void reset_engine(const std::string& dest, const std::string& temp) {
  g_alerts.clear();
  g_prompt_answers.clear();
  g_prompted_paths.clear();
  g_opened_urls.clear();
  g_alert_intercept = record_alert;
  g_go_to_url_intercept = record_url;
  select_alert = scripted_prompt;
  handle_EULA = accept_licence;
  xtim_clock_source = PLAT_microsecs;
  cmdline = UTL_cmdline();

  for (int s = 0; s < 6; s++) http.net_abandon(s);
  stg = stg_class();
  next = next_class();
  sim_info = sim_info_struct();
  deleted_files.clear();
  this_install_has_exes = 0;
  app_done = 0;
  dvd_path.clear();
  stg.num_servers = -1;
  stg.rename_folder = 1;
  stg.crnt_file_stat = 3;
  stg.download_os = 3;
  install_name = no_install_name;
  for (int i = 0; i < 10; i++) server_name[i] = server_path[i] = server_desc[i] = "";
  dest_dir_path = dest;
  temp_path = temp;
  app = app_class();
  app.net_dir_path_zip = temp + "directory.txt.zip";
  app.dir_path = temp + "directory.txt";
  app.dir_path_path = temp;
}

bool fetch_release(double timeout) {
  const double start = seconds_clock();
  while (stg.dir_scan != 3) {
    xtim.xtim_update();
    engine_fetch_step();
    if (app_done || seconds_clock() - start > timeout) return false;
  }
  engine_update_lines();
  return true;
}

bool run_install(const std::function<void()>& each_slice, double timeout) {
  if (!engine_start_install()) return false;
  const double start = seconds_clock();
  while (stg.step == 1) {
    xtim.xtim_update();
    engine_transfer_slice(0.01);
    engine_update_lines();
    if (each_slice) each_slice();
    if (seconds_clock() - start > timeout) return false;
  }
  return true;
}

std::string md5_of(const std::string& bytes) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5UpdateWide(&ctx, (const unsigned char*)bytes.data(), (unsigned long)bytes.size());
  MD5Final(&ctx);
  return MD5_signature(ctx.digest);
}

std::map<std::string, std::string> destination_tree(const std::string& root) {
  std::map<std::string, std::string> t;
  for (const std::string& p : list_tree(root)) t[p] = p.back() == '/' ? "" : md5_of(read_file(root + p));
  return t;
}

std::map<std::string, std::string> expected_destination(const std::vector<release_file>& files, int download_os) {
  std::map<std::string, std::string> t;
  for (const char* fixed : {"Output/", "Output/FMS plans/", "Output/logbooks/", "Output/movies/",
                            "Output/situations/", "Resources/", "Resources/preferences/"})
    t[fixed] = "";
  for (const release_file& f : files) {
    if (f.gone || !os_type_wanted(f.os_type, download_os)) continue;
    t[f.path] = md5_of(f.bytes);
    for (size_t slash = f.path.find('/'); slash != std::string::npos; slash = f.path.find('/', slash + 1))
      t[f.path.substr(0, slash + 1)] = "";
  }
  return t;
}

static std::string kb(size_t bytes) { return std::to_string((bytes + 999) / 1000); }

std::string directory_text(const std::vector<release_file>& files, const std::string& top) {
  std::map<std::string, const release_file*> sorted;
  for (const release_file& f : files) sorted[f.path] = &f;
  std::string text = "I\n900 version\nINSTALLER\n\n";
  std::string current_dir = "\x01";
  for (const auto& entry : sorted) {
    const release_file& f = *entry.second;
    const size_t slash = f.path.rfind('/');
    const std::string dir = top + "/" + (slash == std::string::npos ? "" : f.path.substr(0, slash + 1));
    const std::string name = slash == std::string::npos ? f.path : f.path.substr(slash + 1);
    if (dir != current_dir) {
      text += "DIR " + dir + "\n";
      current_dir = dir;
    }
    for (const std::string& old : f.old_bytes)
      text += "FILE 1 " + std::to_string(f.os_type) + " 1 " + kb(old.size()) + " " + kb(old.size()) + " " +
              md5_of(old) + " " + name + "\n";
    const std::string sig = f.gone ? "GONE" : md5_of(f.bytes);
    text += "FILE 1 " + std::to_string(f.os_type) + " 2 " + kb(f.bytes.size()) + " " + kb(f.bytes.size()) + " " +
            sig + " " + name + "\n";
  }
  return text;
}

std::string write_release(const std::string& root, const std::string& folder, const std::string& name,
                          const std::vector<release_file>& files, const std::string& top) {
  const std::string base = root + folder.substr(1) + name + "/";
  make_dirs(base);
  for (const release_file& f : files) {
    if (f.gone) continue;
    const std::string archive = base + top + "/" + f.path + ".zip";
    make_dirs(archive.substr(0, archive.rfind('/') + 1));
    const size_t slash = f.path.rfind('/');
    make_zip(archive, {{slash == std::string::npos ? f.path : f.path.substr(slash + 1), f.bytes}});
  }
  const std::string text = directory_text(files, top);
  make_zip(base + "directory.txt.zip", {{"directory.txt", text}});
  return text;
}

std::string server_list_text(const std::string& name, const std::vector<std::vector<std::string>>& servers) {
  std::string text = "I\n820 version\nSERVERS\nBETA some beta\nFINAL " + name + "\n";
  for (const auto& s : servers) text += "SERVER " + s[0] + "\n" + s[1] + "\n" + s[2] + "\n";
  return text + "ENDOFLIST\n";
}

// The shared steps of an install run.
#include "installer/engine.h"

#include <cmath>

#include "files/IO_UTILS.h"
#include "installer/config.h"
#include "installer/dest.h"
#include "installer/main.h"
#include "installer/pref.h"
#include "installer/seams.h"
#include "installer/serverlist.h"
#include "installer/sub_wins.h"
#include "installer/utils.h"
#include "net/http.h"
#include "platform/plat_sys.h"
#include "shell/PlatformUtils.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"

app_class app;

double seconds_clock() { return xtim_seconds(); }

// A Windows command line quotes a path with spaces: "C:\My Games\Sim\\". The
// quotes go; backslashes before a quote were doubled for it (2n stand for n; an
// odd one makes the quote a character of the text).
static std::string windows_unquote(const std::string& text) {
  std::string out;
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      backslashes++;
      continue;
    }
    if (c == '"') {
      out.append(backslashes / 2, '\\');
      if (backslashes % 2) out += '"';
    } else {
      out.append(backslashes, '\\');
      out += c;
    }
    backslashes = 0;
  }
  out.append(backslashes, '\\');
  return out;
}

std::string command_line_destination(const std::string& raw) {
  std::string dest;
  size_t pos = 0;
  while (pos < raw.size()) {
    size_t start = raw.find_first_not_of(" \t", pos);
    if (start == std::string::npos) break;
    size_t end = raw.find_first_of(" \t", start);
    if (end == std::string::npos) end = raw.size();
    const std::string word = raw.substr(start, end - start);
    if (word.rfind("--", 0) != 0 && word != "-h") {
      // Keep the separators between the words of the path as they were typed.
      dest += dest.empty() ? word : raw.substr(pos, start - pos) + word;
    }
    pos = end;
  }
  if (g_windows_paths) dest = windows_unquote(dest);
  // A Windows path typed with "\" ("C:\Games\Sim\") in the program's form, so
  // the separator is not doubled; a drive root ("C:\") ends with its own.
  set_path_to_right_dirchars(dest);
  if (!dest.empty() && !path_is_separator(dest.back())) dest += "/";
  return dest;
}

void installer_setup(const std::string& raw_cmdline) {
  const char* labels[5] = {"os_dir_this_app\t\t=", "os_dir_desktop\t\t=", "os_dir_default_apps\t=",
                           "os_dir_temp\t\t\t=", "os_dir_prefs\t\t\t="};
  for (int kind = 0; kind < 5; kind++) {
    std::string folder;
    get_OS_abs_path(kind, folder);
    xer << labels[kind] << folder << "\n";
  }
  dest_dir_path = default_dest_dir();
  xer << "dest_dir_path=" << dest_dir_path << "\n";
  get_OS_abs_path(3, temp_path);
  stls.text[602] = "OK";
  // The titles of the alert and of the modified-file prompt.
  stls.text[600] = k_alert_box_title;
  stls.text[601] = "Vantrel-System Question";
  install_name = no_install_name;
  stg.step = stg.got_404 = stg.got_failed_install = stg.sel_server = stg.dir_scan = 0;
  stg.num_servers = -1;
  stg.crnt_file_stat = 3;
  stg.crnt_file_rat = 0;
  stg.use_max_cpu = 0;
  stg.rename_folder = 1;
  stg.always_ask_dir = 0;
  stg.stream_count = 0;
  stg.down_req = stg.disk_req = 0;
  stg.download_os = PLAT_download_os();
  check_any(0, 0);
  pref.IO_set(11, 0);
  xer << "After searching, I think that dvd_path=" << dvd_path << "\n";
  const std::string from_command_line = command_line_destination(raw_cmdline);
  if (!from_command_line.empty()) {
    dest_dir_path = from_command_line;
  } else if (stg.always_ask_dir == 1) {
    pick_dest_path();
  }
  app = app_class();
  app.net_dir_path_zip = temp_path + "directory.txt.zip";
  app.dir_path = temp_path + "directory.txt";
  app.dir_path_path = temp_path;
}

void engine_directory_download_step() {
  if (stg.dir_scan != 0 || stg.num_servers <= 0) return;
  const int r = http.net_check(1, server_name[stg.sel_server], server_path[stg.sel_server] + "directory.txt.zip",
                               app.net_dir_path_zip);
  if (r == 2) {
    pick_random_server();
  } else if (r == 1) {
    const int err = zip_to_file(app.net_dir_path_zip, app.dir_path_path, nullptr, 0);
    if (err == 0) {
      stg.dir_scan = 1;
    } else {
      __DOVAVI_alert(0, "DIR-scan: The installer cannot extract a file.", "Error: " + error_str(err),
                     "Compressed File/" + app.net_dir_path_zip, "Destination Path/" + app.dir_path_path, t_alert,
                     "main", 197);
    }
    delete_file(app.net_dir_path_zip);
  }
}

void engine_directory_read_step() {
  if (stg.dir_scan == 1)
    stg.dir_scan = read_directory(app.dir_path,
                                  "Scanning directory text file to see if you already have Vantrel installed...");
}

void engine_fetch_step() {
  server_list_step();
  engine_directory_download_step();
  engine_directory_read_step();
}

void engine_new_destination() {
  reset_streams();
  stg.got_failed_install = 0;
  stg.step = 0;
  if (stg.dir_scan == 3) stg.dir_scan = 1;
}

int engine_install_enabled() { return app.disk_space_avail == 1 && stg.step != 1 && stg.dir_scan == 3; }

int engine_start_install() {
  if (stg.step != 0 || !engine_install_enabled()) return 0;
  reset_streams();
  stg.got_failed_install = 0;
  make_dirs();
  if (!handle_EULA()) return 0;  // declined: the folders stay, the install does not start
  stg.step = 1;
  if (!choose_files()) {
    stg.step = 0;
    return 0;
  }
  remove_partial_files();
  return 1;
}

void engine_transfer_slice(double seconds) {
  const double t0 = seconds_clock();
  while (stg.step == 1 && seconds_clock() < t0 + seconds) {
    if (grab_files()) {
      stg.step = 2;
      app.ended_disk = next.totl_disk;
      app.ended_down = next.comp_down;
      reset_streams();
    }
  }
}

void engine_quit() {
  reset_streams();
  stg.step = 2;
  app_done = 1;
}

std::string net_str() {
  int percent = 0;
  if (const down_class* t = http.down[1])
    percent = t->mIncomingLength == -1 ? -1 : (int)((float)t->mReceivedPayload * 100.0f / t->mIncomingLength);
  if (percent == -1)
    return "I am checking the net for the latest version of Vantrel right now, and I am connecting to the server...";
  return "I am checking the net for the latest version of Vantrel right now, and I am " + std::to_string(percent) +
         "% done checking.";
}

std::string status_line(int* colour) {
  *colour = 46;
  if (next.dir_done == 1) {
    *colour = 13;
    return "INSTALLATION COMPLETE!";
  }
  if (stg.num_servers == -1) return "Looking for servers... you need internet for this...";
  if (stg.num_servers == 0) {
    *colour = 1;
    return "I could not find any servers to get Vantrel from!";
  }
  if (stg.dir_scan == 0) return net_str();
  if (stg.dir_scan == 2) {
    *colour = 1;
    return "I can not find a version of Vantrel on the net! Grab a new installer from " + product_web_site() +
           ", or check net service!";
  }
  if (stg.step != 1) {
    if (!path_is_to_a_sim())
      return "To make the download a LOT faster, if you have an earlier version of Vantrel 9 on your hard drive, "
             "choose that with the DESTINATION button below, and I will UPDATE THAT FOLDER!";
    return "You have selected an earlier version of Vantrel in the DESTINATION field below, so I will update that "
           "installation  by just grabbing new updated files!";
  }
  return "OK I am installing this now...";
}

int active_stream_count() {
  int n = 0;
  for (int s = 0; s < 4; s++) n += next.stream_active[s];
  return n;
}

void install_rate(float* rate, float* seconds_left) {
  const float down = next.file_down + next.comp_down;
  float remaining = app.tot_down_req - down;
  if (remaining < 0) remaining = 0;
  float elapsed = xtim.real_time - next.star_time;
  if (elapsed < 1) elapsed = 1;
  *rate = down / elapsed;
  *seconds_left = *rate > 0 ? remaining / *rate : 0;
}

static std::string time_left_text(float s_rem) {
  if (s_rem < 120) return std::to_string((long long)s_rem) + " seconds";
  if (s_rem < 7200) return std::to_string((long long)(s_rem / 60)) + " minutes";
  return std::to_string((long long)(s_rem / 3600)) + " hours";
}

void engine_update_lines() {
  install_line* l = app.lines;
  for (int i = 0; i < 3; i++) l[i] = install_line();
  if (stg.step == 0) {
    app.totl_inst_rat = 0;
    app.tot_availabl = -1;
    app.tot_down_req = stg.down_req;
    app.tot_disk_req = stg.disk_req;
    unsigned long long bytes = 0;
    if (PLAT_free_space(dest_dir_path, &bytes) == 0) app.tot_availabl = (float)(bytes * 0.001);
    if (stg.dir_scan == 0) {
      l[0].text = "I am figuring out what the latest version of Vantrel is right now...";
      l[1].text = "This may take a moment as I download the latest list of Vantrel files...";
    } else if (app.tot_disk_req == 0) {
      l[0].text = "Your copy of Vantrel is already the latest version.";
      l[1].text = "(Remember, the BETA installer only checks for the latest BETA version, and the FULL installer "
                  "checks only for the latest FULL version of Vantrel).";
      l[2].text = "This is a full installer.";
    } else {
      app.tot_availabl_str = set_size_str(app.tot_availabl);
      app.tot_disk_req_str = set_size_str(app.tot_disk_req);
      l[0].text = "You are about to install " + app.tot_disk_req_str + " of files to get " + install_name + ".";
      if (app.tot_disk_req > 0 && app.tot_availabl > 0) {
        l[1].text = "You have " + app.tot_availabl_str + " of drive space available for the selected directory.";
        if (app.tot_availabl > app.tot_disk_req) {
          app.disk_space_avail = 1;
          l[2] = {"You may install at will.", 13};
        } else {
          app.disk_space_avail = 0;
          l[2] = {"You don't have enough disk space to install this!", 1};
        }
      }
    }
  } else if (stg.step == 1) {
    const float f = xtim.prd_sim * 5;
    const float ratio = app.tot_disk_req > 0 ? next.totl_disk / app.tot_disk_req : 1.0f;
    app.totl_inst_rat = ratio * f + (1 - f) * app.totl_inst_rat;
    if (app.totl_inst_rat < 0) app.totl_inst_rat = 0;
    if (app.totl_inst_rat > 1) app.totl_inst_rat = 1;
    switch (stg.crnt_file_stat) {
      case 0: l[0].text = "Deleting " + crnt_file_name + " because that file is no longer needed!"; break;
      case 1:
        l[0].text = "Downloading and installing " + crnt_file_name + ", currently " +
                    std::to_string((int)(stg.crnt_file_rat * 100)) + "% done with that file.";
        break;
      case 2:
        l[0].text = "duplicate filename through file " + crnt_file_name +
                    ", but not installing it because you already have this file.";
        break;
      default:
        l[0].text = "Browsing through file " + crnt_file_name +
                    ", but not installing it because you don't need this file.";
    }
    l[1].text = one_decimal_str(app.totl_inst_rat * 100, 2) +
                "% done with the internet install, having installed " + set_size_str(next.totl_disk) + " of " +
                app.tot_disk_req_str + " for the internet install.";
    if (app.totl_inst_rat > 0.01f) {
      float rate, s_rem;
      install_rate(&rate, &s_rem);
      l[2].text = "About " + time_left_text(s_rem) + " left in the install, downloading at " +
                  std::to_string((long long)rate) + " kilobytes/second " + "with " +
                  std::to_string(active_stream_count()) + " simultaneous download streams.";
    }
  } else if (stg.got_failed_install == 1) {
    l[0] = {"The installation was not completed because an error occurred.", 69};
    l[1] = {"Vantrel is not fully installed or updated and may not run correctly.", 69};
    l[2] = {"Please try a different server, hard drive, or directory, or contact Customer Support for help with "
            "this problem.",
            69};
  } else {
    l[0].text = "INSTALLATION COMPLETE!";
  }
  if (stg.got_404 == 1) {
    l[0] = {"I can NOT download the file '" + crnt_file_path + "'!", 69};
    l[1] = {"Your internet connection may not be working, or the server could be undergoing maintainance or an "
            "upgrade right now.",
            69};
    l[2] = {"I am trying another server now to see if I can still get you a download...", 69};
  }
}

// Nearest multiple of `m`, halves away from zero.
static float round_to(float v, float m) { return (float)(std::round(v / m) * m); }

void progress_bar_geometry(float* empty_centre, float* empty_width, float* fill_centre, float* fill_width) {
  const float w = app.base_x2 - app.base_x1;
  const float x1 = (float)(int)app.base_x1;
  const float x2 = (float)(int)(app.totl_inst_rat * w + app.base_x1);
  *empty_centre = round_to((app.base_x1 + app.base_x2) * 0.5f, 2);
  *empty_width = round_to(w, 4);
  *fill_centre = round_to((x1 + x2) * 0.5f, 2);
  *fill_width = round_to(x2 - x1, 4);
}

// The headless install.
//
// Sections: options; terminal questions (licence, modified files); progress
// output (human and JSON); the run.
#include "installer/headless.h"

#include <cstdio>
#include <iostream>
#include <vector>

#include "installer/config.h"
#include "installer/dest.h"
#include "installer/engine.h"
#include "installer/licence.h"
#include "installer/main.h"
#include "installer/seams.h"
#include "installer/serverlist.h"
#include "installer/sub_wins.h"
#include "installer/utils.h"
#include "platform/plat_clock.h"
#include "platform/plat_files.h"
#include "platform/plat_sys.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"

int headless_requested() { return cmdline.has_option("--headless"); }

// ---------------------------------------------------------------------------
// Options
// ---------------------------------------------------------------------------

namespace {
struct headless_options {
  bool accept_licence = false;
  int modified_answer = 0;  // 0 ask, else the select_alert answer for every file
  bool json = false;
  bool dry_run = false;
  double timeout = -1;  // seconds; -1 keeps trying
};
headless_options opts;
int licence_refused = 0;     // the licence was declined or could not be asked
int prompt_cancelled = 0;    // a modified-file question was answered with cancel
std::vector<std::string> dry_run_questions;

// Reads the options; returns false (after a message) when one is not understood.
bool read_options() {
  opts = headless_options();
  opts.accept_licence = cmdline.has_option("--accept_licence");
  opts.json = cmdline.has_option("--json");
  opts.dry_run = cmdline.has_option("--dry_run");
  const std::string modified = cmdline.get_option("--modified");
  if (modified.empty() || modified == "ask") {
    opts.modified_answer = 0;
  } else if (modified == "keep") {
    opts.modified_answer = 2;
  } else if (modified == "overwrite") {
    opts.modified_answer = 1;
  } else if (modified == "cancel") {
    opts.modified_answer = 3;
  } else {
    fprintf(stderr, "vantrel-installer: --modified must be ask, keep, overwrite or cancel, not \"%s\"\n",
            modified.c_str());
    return false;
  }
  if (cmdline.has_option("--timeout")) {
    const std::string t = cmdline.get_option("--timeout");
    char* end = nullptr;
    opts.timeout = strtod(t.c_str(), &end);
    if (t.empty() || *end || opts.timeout < 0) {
      fprintf(stderr, "vantrel-installer: --timeout needs a number of seconds, not \"%s\"\n", t.c_str());
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Terminal questions
// ---------------------------------------------------------------------------

bool can_ask() { return PLAT_is_terminal(0) && PLAT_is_terminal(2); }

// Reads one answer line from the terminal; false at the end of input.
bool ask_line(const std::string& question, std::string* answer) {
  fprintf(stderr, "%s", question.c_str());
  fflush(stderr);
  return (bool)std::getline(std::cin, *answer);
}

int terminal_licence() {
  if (opts.accept_licence) return 1;
  if (!can_ask()) {
    fprintf(stderr,
            "vantrel-installer: the licence agreement must be accepted before installing.\n"
            "Read it with --headless on a terminal, or accept it with --accept_licence.\n");
    licence_refused = 1;
    return 0;
  }
  fprintf(stderr, "\n%s\n\n", licence_text().c_str());
  std::string answer;
  while (ask_line("Do you accept the licence agreement? [yes/no] ", &answer)) {
    if (answer == "yes" || answer == "y") return 1;
    if (answer == "no" || answer == "n") break;
  }
  licence_refused = 1;
  return 0;
}

struct prompt_wording {
  const char *line1, *line2, *grab, *keep, *grab_dir, *keep_dir, *cancel;
};
const prompt_wording kInstallWording = {"I am about to install:", "but it appears you have modified this file. What to do?",
                                        "OVERWRITE THE OLD FILE", "KEEP THE OLD FILE",
                                        "OVERWRITE EVERY OLD FILE IN THIS DIRECTORY",
                                        "KEEP EVERY OLD FILE IN THIS DIRECTORY", "CANCEL THE WHOLE INSTALLATION!"};
const prompt_wording kDeleteWording = {
    "I am about to DELETE:", "because we no longer use this file, but it appears you have modified it. What to do?",
    "DELETE THE OLD FILE", "KEEP THE OLD FILE", "DELETE EVERY OLD FILE IN THIS DIRECTORY",
    "KEEP EVERY OLD FILE IN THIS DIRECTORY", "CANCEL THE WHOLE INSTALLATION!"};

int terminal_select_alert(const std::string& path, int is_gone) {
  const prompt_wording& w = is_gone ? kDeleteWording : kInstallWording;
  if (opts.dry_run) {
    dry_run_questions.push_back(path);
    return 2;  // a dry run changes nothing: the file would stay until answered
  }
  int answer = opts.modified_answer;
  if (answer == 0) {
    if (!can_ask()) {
      fprintf(stderr, "vantrel-installer: %s %s\n  %s\nNo terminal to ask: cancelling (see --modified).\n", w.line1,
              path.c_str(), w.line2);
      answer = 3;
    } else {
      fprintf(stderr, "\n%s\n  %s\n%s\n  1 %s\n  2 %s\n  4 %s\n  5 %s\n  3 %s\n", w.line1, path.c_str(), w.line2,
              w.grab, w.keep, w.grab_dir, w.keep_dir, w.cancel);
      std::string line;
      answer = 3;
      while (ask_line("Your answer [1-5]: ", &line)) {
        if (line.size() == 1 && line[0] >= '1' && line[0] <= '5') {
          answer = line[0] - '0';
          break;
        }
      }
    }
  }
  if (answer == 3) prompt_cancelled = 1;
  return answer;
}

void terminal_dir_progress(float, float d, float d2, int call_type, const std::string&, const std::string&) {
  if (opts.json || !PLAT_is_terminal(1) || d2 <= 0) return;
  printf("\r%s %3d%%", call_type == 0 ? "Reading the directory:" : "Examining the destination:", (int)(d * 100 / d2));
  fflush(stdout);
}

void print_url(const std::string& url) { fprintf(stderr, "vantrel-installer: see %s\n", url.c_str()); }

// ---------------------------------------------------------------------------
// Progress output
// ---------------------------------------------------------------------------

std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += (char)c;
    } else if (c < 0x20) {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += (char)c;
    }
  }
  return out + "\"";
}

struct progress_counts {
  int files_done = 0, files_total = 0;
};

progress_counts count_files() {
  progress_counts c;
  int lowest = (int)sim_info.files.size();
  for (int s = 0; s < 4; s++)
    if (next.stream_active[s] && next.stream_index[s] < lowest) lowest = next.stream_index[s];
  for (size_t i = 0; i < sim_info.files.size(); i++) {
    const file_version_struct& v = sim_info.files[i].versions.back();
    if (v.want_to_grab_it) {
      c.files_total++;
      c.files_done += v.on_disk;
    } else if (v.want_to_nuke_it) {
      c.files_total++;
      c.files_done += (int)i < lowest || next.dir_done;
    }
  }
  return c;
}

const char* phase_name() {
  if (stg.num_servers < 0) return "servers";
  if (stg.dir_scan != 3) return "directory";
  if (stg.step == 1) return "install";
  if (stg.step == 2) return stg.got_failed_install ? "failed" : "complete";
  return "ready";
}

void emit_json(const char* phase_override = nullptr) {
  const progress_counts c = count_files();
  float rate = 0, left = 0;
  if (stg.step == 1) install_rate(&rate, &left);
  // Once the install has ended the streams are reset; its totals were kept.
  const bool ended = stg.step == 2;
  const float kb_done = ended ? app.ended_disk : next.totl_disk;
  const float kb_down = ended ? app.ended_down : next.comp_down + next.file_down;
  const int sel = stg.sel_server >= 0 && stg.sel_server < 10 ? stg.sel_server : 0;
  printf("{\"phase\":%s,\"file\":%s,\"files_done\":%d,\"files_total\":%d,\"kb_done\":%.1f,\"kb_total\":%.1f,"
         "\"kb_downloaded\":%.1f,\"kb_to_download\":%.1f,\"rate_kb_per_s\":%.1f,\"seconds_left\":%.0f,"
         "\"streams\":%d,\"server\":%s}\n",
         json_string(phase_override ? phase_override : phase_name()).c_str(), json_string(crnt_file_name).c_str(),
         c.files_done, c.files_total, kb_done, app.tot_disk_req, kb_down, app.tot_down_req, rate, left,
         active_stream_count(), json_string(stg.num_servers > 0 ? server_name[sel] : std::string()).c_str());
  fflush(stdout);
}

void emit_human_progress(bool final_line) {
  const progress_counts c = count_files();
  const bool ended = stg.step == 2;
  const float percent = ended && !stg.got_failed_install ? 100.0f : app.totl_inst_rat * 100;
  char head[160];
  snprintf(head, sizeof head, "[%s%%] %d/%d files, %s of %s", one_decimal_str(percent, 3).c_str(), c.files_done,
           c.files_total, set_size_str(ended ? app.ended_disk : next.totl_disk).c_str(),
           app.tot_disk_req_str.c_str());
  std::string line = head;
  if (PLAT_is_terminal(1)) {
    if (!ended) {
      float rate, left;
      install_rate(&rate, &left);
      line += ", " + std::to_string((long long)rate) + " kB/s, " + std::to_string(active_stream_count()) +
              " streams: " + app.lines[0].text;
    }
    const size_t width = (size_t)PLAT_terminal_width() - 1;
    if (line.size() > width) line.resize(width);
    printf("\r%-*s", (int)width, line.c_str());
    if (final_line) printf("\n");
  } else {
    printf("%s\n", line.c_str());
    if (!ended) {
      printf("  %s\n", app.lines[0].text.c_str());
      if (!app.lines[2].text.empty()) printf("  %s\n", app.lines[2].text.c_str());
    }
  }
  fflush(stdout);
}

void say(const std::string& text) {
  if (opts.json) return;
  printf("%s\n", text.c_str());
  fflush(stdout);
}

// ---------------------------------------------------------------------------
// The run
// ---------------------------------------------------------------------------

bool timed_out(double start) { return opts.timeout >= 0 && seconds_clock() - start > opts.timeout; }

// Drives the frame steps until the server list and the directory are read.
// Returns -1 when ready, else an exit status.
int fetch_directory() {
  const double start = seconds_clock();
  int last_reported = -2;
  while (true) {
    xtim.xtim_update();
    engine_fetch_step();
    if (app_done) return headless_failed;  // a refused server list or directory (new_format)
    if (stg.num_servers == 0) {
      fprintf(stderr, "vantrel-installer: I could not find any servers to get Vantrel from!\n");
      return headless_unreachable;
    }
    if (stg.dir_scan == 3) return -1;
    const int state = stg.num_servers < 0 ? -1 : stg.sel_server;
    if (state != last_reported) {
      say(stg.num_servers < 0 ? "Looking for servers at " + server_list_host() + "..."
                              : "Fetching the directory of " + install_name + " from " + server_name[stg.sel_server] +
                                    "...");
      last_reported = state;
    }
    if (timed_out(start)) {
      fprintf(stderr, "vantrel-installer: %s within %g seconds.\n",
              stg.num_servers < 0 ? "no server list could be had" : "no directory could be had", opts.timeout);
      return headless_unreachable;
    }
    PLAT_sleep_ms(2);
  }
}

int dry_run() {
  dry_run_questions.clear();
  choose_files();
  long long grabs = 0, nukes = 0;
  float kb = 0;
  for (const file_history_struct& h : sim_info.files) {
    const file_version_struct& v = h.versions.back();
    const std::string disk = disk_path_of(v);
    bool asked = false;
    for (const std::string& q : dry_run_questions) asked |= q == disk;
    const char* what = v.want_to_grab_it ? "download" : v.want_to_nuke_it ? "delete" : "keep";
    if (asked)
      what = v.sig_want == "GONE" ? "ask (modified file: delete or keep?)" : "ask (modified file: overwrite or keep?)";
    if (opts.json) {
      printf("{\"phase\":\"plan\",\"action\":%s,\"file\":%s}\n", json_string(what).c_str(), json_string(disk).c_str());
    } else {
      printf("%-10s %s\n", asked ? "ask" : what, disk.c_str());
      if (asked) printf("           %s\n", what);
    }
    if (v.want_to_grab_it) {
      grabs++;
      kb += v.down_size;
    }
    nukes += v.want_to_nuke_it;
  }
  if (opts.json) {
    printf("{\"phase\":\"plan_total\",\"download\":%lld,\"delete\":%lld,\"ask\":%zu,\"kb_to_download\":%.1f}\n", grabs,
           nukes, dry_run_questions.size(), kb);
  } else {
    printf("Plan: %lld to download (%s), %lld to delete, %zu to ask about; nothing has been changed.\n", grabs,
           set_size_str(kb).c_str(), nukes, dry_run_questions.size());
  }
  fflush(stdout);
  return headless_complete;
}
}  // namespace

int headless_run(const std::string& raw_cmdline) {
  if (!read_options()) return headless_failed;
  select_alert = terminal_select_alert;
  handle_EULA = terminal_licence;
  dir_progress_bar = terminal_dir_progress;
  g_go_to_url_intercept = print_url;
  licence_refused = prompt_cancelled = 0;

  installer_setup(raw_cmdline);
  say("Destination: " + dest_dir_path);
  int status = fetch_directory();
  if (status >= 0) return status;
  if (!opts.json && PLAT_is_terminal(1)) printf("\n");
  engine_update_lines();
  for (const install_line& l : app.lines)
    if (!l.text.empty()) say(l.text);
  if (opts.dry_run) return dry_run();
  if (!engine_install_enabled()) {
    fprintf(stderr, "vantrel-installer: %s\n", app.lines[2].text.c_str());
    return headless_failed;
  }

  if (!engine_start_install()) {
    if (licence_refused) return headless_no_licence;
    if (prompt_cancelled) {
      say("The installation was cancelled; nothing was downloaded or deleted.");
      return headless_cancelled;
    }
    return headless_failed;
  }
  say("Installing " + install_name + " into " + dest_dir_path);
  double last_output = -1;
  while (stg.step == 1) {
    xtim.xtim_update();
    engine_transfer_slice(0.01);
    engine_update_lines();
    const double now = seconds_clock();
    const double period = opts.json ? 0.5 : (PLAT_is_terminal(1) ? 0.2 : 5.0);
    if (now - last_output >= period || stg.step != 1) {
      if (opts.json) {
        emit_json();
      } else if (stg.step == 1) {
        emit_human_progress(false);
      }
      last_output = now;
    }
  }
  engine_update_lines();
  if (!opts.json) emit_human_progress(true);
  if (stg.got_failed_install) {
    for (const install_line& l : app.lines)
      if (!l.text.empty()) fprintf(stderr, "vantrel-installer: %s\n", l.text.c_str());
    if (opts.json) emit_json("failed");
    return headless_failed;
  }
  if (opts.json) {
    emit_json("complete");
  } else {
    printf("INSTALLATION COMPLETE!\n%s holds %s.\n", dest_dir_path.c_str(), install_name.c_str());
  }
  return headless_complete;
}

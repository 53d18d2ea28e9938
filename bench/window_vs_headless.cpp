// The window program against the headless mode on the same install: the whole-
// install benchmark's release (2,000 files, 500 MB) from nginx on loopback, once
// by "vantrel-installer --headless" and once in the window under a private Xvfb,
// driven with xdotool as a user would (INSTALL, ACCEPT, QUIT), both with the
// default preferences. Timed from the start of the transfer (after the licence
// and the plan) to "INSTALLATION COMPLETE!", as each program reports it on its
// standard output; best of five rounds each (the machine is shared: the rounds
// alternate, and the median of the rounds' ratios is printed too). The ratio is
// headless / window, so 1.0 means the window costs nothing; the target is at
// least 1 / 1.2 = 0.833.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "bench_release.h"
#include "bench_util.h"
#include "support/fs_helpers.h"
#include "support/nginx_fixture.h"
#include "support/x_server.h"

namespace {
std::string g_dir;

// The environment of one run: its own home, temporary and settings folders.
std::string run_env(const std::string& tag) {
  const std::string home = g_dir + "home-" + tag + "/";
  bench_run("rm -rf '" + home + "' && mkdir -p '" + home + "tmp' '" + home + "config'", nullptr, nullptr);
  return "HOME='" + home + "' TMPDIR='" + home + "tmp' XDG_CONFIG_HOME='" + home + "config' ";
}

bool starts_with(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// Runs `command`, reading its output line by line; `on_line` is given each line
// with the time it arrived and returns false to stop reading early.
template <typename F>
int read_lines(const std::string& command, F on_line) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  char buf[8192];
  while (fgets(buf, sizeof buf, p)) {
    std::string line = buf;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (!on_line(line, bench_now())) break;
  }
  return pclose(p);
}

double headless_install(const std::string& program, const std::string& host, const std::string& dest) {
  double t0 = -1, t1 = -1;
  const int rc = read_lines(run_env("headless") + program + " --headless --accept_licence --server_list=" + host +
                                " '" + dest + "' 2>&1",
                            [&](const std::string& line, double t) {
                              if (starts_with(line, "Installing ")) t0 = t;
                              if (line == "INSTALLATION COMPLETE!") t1 = t;
                              return true;
                            });
  if (rc != 0 || t0 < 0 || t1 < 0) return -1;
  return t1 - t0;
}

double window_install(const private_x_server& x, const std::string& program, const std::string& host,
                      const std::string& dest) {
  // The window lies at the screen's top left; y counts down from its top edge.
  auto click = [&](int wx, int wy) {
    x.run("xdotool mousemove " + std::to_string(wx) + " " + std::to_string(768 - wy) + " click 1");
  };
  double t0 = -1, t1 = -1, accepted = -1;
  bool clicked_install = false;
  const int rc = read_lines(
      "DISPLAY=" + x.display() + " " + run_env("window") + program + " --trace_screen --server_list=" + host + " '" +
          dest + "' 2>/dev/null",
      [&](const std::string& line, double t) {
        if (!clicked_install && starts_with(line, "screen line1: You are about to install")) {
          clicked_install = true;
          click(450 + 41, 78 + 11);  // INSTALL
        } else if (line == "screen window: licence") {
          click(262 + 400 + 29, 234 + 10 + 11);  // ACCEPT, in window 1 (500 x 300, centred)
        } else if (line == "screen window: licence accepted") {
          accepted = t;
        } else if (line == "screen status: OK I am installing this now...") {
          t0 = t;
        } else if (line == "screen status: INSTALLATION COMPLETE!") {
          t1 = t;
          click(960 + 25, 78 + 11);  // QUIT
        }
        return true;
      });
  // A small release can be done before a frame showing the install was drawn.
  if (t0 < 0) t0 = accepted;
  if (rc != 0 || t0 < 0 || t1 < 0) return -1;
  return t1 - t0;
}
}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? atoi(argv[1]) : 2000;
  const long long total = argc > 2 ? atoll(argv[2]) : 500000000LL;
  alarm(1800);  // a run that hangs ends the benchmark
  g_dir = bench_dir() + "/vantrel-bench-window/";
  bench_run("rm -rf " + g_dir + " && mkdir -p " + g_dir + "mirror", nullptr, nullptr);
  // A copy of the program of its own, so that its log lands in this folder.
  const std::string program = g_dir + "vantrel-installer";
  bench_run("cp '" + std::string(VANTREL_BUILD_DIR) + "/vantrel-installer' '" + program + "'", nullptr, nullptr);

  long long made = 0;
  const std::vector<release_file> release = bench_publish_release("window_vs_headless", g_dir + "mirror/", files, total, &made);
  NginxServer server(g_dir + "mirror/");
  if (!server.ok()) return 1;
  bench_list_server(g_dir + "mirror/", server.host());
  private_x_server x;
  if (!x.ok()) {
    printf("window_vs_headless: Xvfb did not start\n");
    return 1;
  }

  double best_headless = 1e9, best_window = 1e9;
  std::vector<double> ratios;
  for (int round = 0; round < 5; round++) {
    const std::string dest = g_dir + "dest/Vantrel/";
    bench_run("rm -rf " + g_dir + "dest && sync", nullptr, nullptr);
    const double h = headless_install(program, server.host(), dest);
    bench_run("rm -rf " + g_dir + "dest && sync", nullptr, nullptr);
    const double w = window_install(x, program, server.host(), dest);
    if (h < 0 || w < 0) {
      printf("window_vs_headless: an install failed (headless %.2f s, window %.2f s)\n", h, w);
      return 1;
    }
    printf("window_vs_headless: round %d: headless %.2f s, window %.2f s\n", round + 1, h, w);
    fflush(stdout);
    ratios.push_back(w / h);
    best_headless = std::min(best_headless, h);
    best_window = std::min(best_window, w);
  }
  std::sort(ratios.begin(), ratios.end());
  printf("window_vs_headless: %d files, %.0f MB: headless %.2f s, window %.2f s (%.2f times; median of the rounds "
         "%.2f times)\n",
         files, made / 1e6, best_headless, best_window, best_window / best_headless, ratios[ratios.size() / 2]);
  // ours = the window, peer = the headless mode; as costs, ratio = peer / ours.
  bench_print("window_vs_headless_install_seconds", best_window, best_headless, "s", false);
  bench_run("rm -rf " + g_dir, nullptr, nullptr);
  return 0;
}

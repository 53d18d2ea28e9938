// A whole install by the engine from nginx on loopback (2,000 files, 500 MB),
// beside aria2c -j4 fetching the same archives followed by unzip of each, in the
// same run. Wall time of each; ratio above 1 means the engine was faster.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_release.h"
#include "bench_util.h"
#include "installer/engine.h"
#include "installer/main.h"
#include "installer/serverlist.h"
#include "shell/UTL_cmdline.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"
#include "support/engine_fixture.h"
#include "support/fs_helpers.h"
#include "support/nginx_fixture.h"

// Runs the engine's frame steps through a whole install; false on a failure.
static bool engine_install(const std::string& server_list) {
  cmdline = UTL_cmdline();
  cmdline.parse(("--server_list=" + server_list).c_str());
  if (!fetch_release(600) || !run_install(nullptr, 3600)) return false;
  return stg.got_failed_install == 0;
}

int main(int argc, char** argv) {
  const int files = argc > 1 ? atoi(argv[1]) : 2000;
  const long long total = argc > 2 ? atoll(argv[2]) : 500000000LL;
  const std::string dir = bench_dir() + "/vantrel-bench-install/";
  bench_run("rm -rf " + dir + " && mkdir -p " + dir + "mirror " + dir + "peer " + dir + "tmp", nullptr, nullptr);

  long long made = 0;
  const std::vector<release_file> release = bench_publish_release("full_install", dir + "mirror/", files, total, &made);
  NginxServer server(dir + "mirror/");
  if (!server.ok()) return 1;
  bench_list_server(dir + "mirror/", server.host());

  // The peer: aria2c with four connections, then unzip of every archive in place.
  std::string urls;
  for (const release_file& f : release) {
    std::string url_path = "/m/" + std::string(bench_release_name) + "/Vantrel/" + f.path + ".zip";
    std::string escaped;
    for (char c : url_path) escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    urls += "http://" + server.host() + escaped + "\n  dir=" + dir + "peer/" +
            f.path.substr(0, f.path.rfind('/')) + "\n  out=" + f.path.substr(f.path.rfind('/') + 1) + ".zip\n";
  }
  write_file(dir + "urls.txt", urls);
  const std::string peer_download =
      "aria2c -q -j4 -x1 --allow-overwrite=true --auto-file-renaming=false -i " + dir + "urls.txt";
  const std::string peer_unzip = "cd " + dir +
                                 "peer && find . -name '*.zip' -exec sh -c 'unzip -q -o \"$1\" -d \"${1%/*}\" && "
                                 "rm \"$1\"' _ {} \\;";

  double best_ours = 1e9, best_peer = 1e9;
  for (int round = 0; round < 2; round++) {
    bench_run("rm -rf " + dir + "ours " + dir + "peer && mkdir -p " + dir + "peer", nullptr, nullptr);
    reset_engine(dir + "ours/Vantrel/", dir + "tmp/");
    double t0 = bench_now();
    if (!engine_install(server.host())) {
      printf("full_install: the engine's install failed\n");
      return 1;
    }
    best_ours = std::min(best_ours, bench_now() - t0);
    double download = 0, unpack = 0;
    if (bench_run(peer_download, &download, nullptr) != 0 || bench_run(peer_unzip, &unpack, nullptr) != 0) {
      printf("full_install: aria2c + unzip failed\n");
      return 1;
    }
    printf("full_install: round %d: engine %.2f s; aria2c %.2f s + unzip %.2f s\n", round + 1, bench_now() - t0 - download - unpack,
           download, unpack);
    best_peer = std::min(best_peer, download + unpack);
  }
  printf("full_install: %d files, %.0f MB: engine %.2f s, aria2c -j4 + unzip %.2f s\n", files, made / 1e6, best_ours,
         best_peer);
  bench_print("full_install_seconds", best_ours, best_peer, "s", false);
  bench_run("rm -rf " + dir, nullptr, nullptr);
  return 0;
}

// Download throughput of the polled HTTP client beside curl, both from the same
// nginx on loopback in the same run: one 1 GiB file in one slot, driven frame by
// frame as the install loop does (clock update, then a 10 ms slice of net_check
// calls), and four files of a quarter of that size in four slots at once. Also
// the CPU time each side spends per GiB. Best of five rounds (the machine is shared).
// Last, the same four files from a server that limits every connection to
// 64 MiB/s, one slot beside four: what parallel streams are for on a real link.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "bench_util.h"
#include "net/http.h"
#include "platform/plat_files.h"
#include "shell/xtim.h"
#include "support/nginx_fixture.h"

static double cpu_seconds(int who) {
  struct rusage ru = {};
  getrusage(who, &ru);
  return (double)ru.ru_utime.tv_sec + ru.ru_utime.tv_usec * 1e-6 + (double)ru.ru_stime.tv_sec +
         ru.ru_stime.tv_usec * 1e-6;
}

static void make_file(const std::string& path, long long size, unsigned seed) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) exit(1);
  std::vector<unsigned> block((1 << 20) / sizeof(unsigned));
  unsigned x = seed;
  for (long long done = 0; done < size; done += (long long)(block.size() * sizeof(unsigned))) {
    for (auto& w : block) w = (x = x * 1103515245u + 12345u);
    fwrite(block.data(), 1, block.size() * sizeof(unsigned), f);
  }
  fclose(f);
}

// Runs the transfers of `paths` in slots 2, 3, ... together, frame by frame.
// Returns the wall seconds, or -1 when one failed or the sizes are wrong.
static double ours(const NginxServer& srv, const std::vector<std::string>& paths, const std::string& out_dir,
                   long long each_size, double* cpu) {
  std::vector<int> result(paths.size(), 0);
  std::vector<std::string> outs;
  for (size_t i = 0; i < paths.size(); i++) outs.push_back(out_dir + "ours" + std::to_string(i) + ".bin");
  bench_run("sync", nullptr, nullptr);  // no write-back of an earlier run may compete with this one
  const double c0 = cpu_seconds(RUSAGE_SELF), t0 = bench_now();
  size_t running = paths.size();
  while (running > 0) {
    xtim.xtim_update();
    const double slice_end = bench_now() + 0.010;
    while (running > 0 && bench_now() < slice_end) {
      for (size_t i = 0; i < paths.size(); i++) {
        if (result[i] != 0) continue;
        result[i] = http.net_check(2 + (int)i, srv.host(), paths[i], outs[i]);
        if (result[i] != 0) running--;
      }
    }
  }
  const double t = bench_now() - t0;
  *cpu = cpu_seconds(RUSAGE_SELF) - c0;
  bool good = true;
  for (size_t i = 0; i < paths.size(); i++) {
    good = good && result[i] == 1 && PLAT_file_size(outs[i]) == each_size;
    remove(outs[i].c_str());
  }
  return good ? t : -1;
}

static double peer(const NginxServer& srv, const std::string& path, const std::string& out_dir, long long size,
                   double* cpu) {
  const std::string out = out_dir + "peer.bin";
  bench_run("sync", nullptr, nullptr);
  const double c0 = cpu_seconds(RUSAGE_CHILDREN);
  double t = 0;
  int rc = bench_run("curl -s -f -o " + out + " http://" + srv.host() + path, &t, nullptr);
  *cpu = cpu_seconds(RUSAGE_CHILDREN) - c0;
  const bool good = rc == 0 && PLAT_file_size(out) == size;
  remove(out.c_str());
  return good ? t : -1;
}

int main(int argc, char** argv) {
  const long long size = argc > 1 ? atoll(argv[1]) : (1LL << 30);
  const std::string dir = bench_dir() + "/vantrel-bench-http/";
  bench_run("rm -rf " + dir + " && mkdir -p " + dir + "root " + dir + "out", nullptr, nullptr);
  make_file(dir + "root/big.bin", size, 1);
  std::vector<std::string> quarters;
  for (int i = 0; i < 4; i++) {
    make_file(dir + "root/q" + std::to_string(i) + ".bin", size / 4, 2 + i);
    quarters.push_back("/q" + std::to_string(i) + ".bin");
  }
  xtim.xtim_update();

  NginxServer srv(dir + "root");
  if (!srv.ok()) return 1;
  const std::string out = dir + "out/";
  double best_ours = 1e9, best_peer = 1e9, best_four = 1e9, cpu_ours = 0, cpu_peer = 0;
  for (int round = 0; round < 5; round++) {
    double cpu = 0;
    double t = ours(srv, {"/big.bin"}, out, size, &cpu);
    if (t < 0) {
      fprintf(stderr, "http_download: our download failed\n");
      return 1;
    }
    if (t < best_ours) best_ours = t, cpu_ours = cpu;
    t = peer(srv, "/big.bin", out, size, &cpu);
    if (t < 0) {
      fprintf(stderr, "http_download: curl failed\n");
      return 1;
    }
    if (t < best_peer) best_peer = t, cpu_peer = cpu;
    t = ours(srv, quarters, out, size / 4, &cpu);
    if (t < 0) {
      fprintf(stderr, "http_download: the four-slot download failed\n");
      return 1;
    }
    if (t < best_four) best_four = t;
  }
  const double mib = (double)size / (1 << 20), gib = (double)size / (1 << 30);

  double one_limited = 0, four_limited = 0, cpu = 0;
  {
    NginxServer limited(dir + "root", 64L << 20);
    if (!limited.ok()) return 1;
    one_limited = ours(limited, {quarters[0]}, out, size / 4, &cpu);
    four_limited = ours(limited, quarters, out, size / 4, &cpu);
    if (one_limited < 0 || four_limited < 0) {
      fprintf(stderr, "http_download: the limited downloads failed\n");
      return 1;
    }
  }
  bench_print("http_download_MiB_per_s", mib / best_ours, mib / best_peer, "MiB/s", true);
  bench_print("http_download_cpu_s_per_GiB", cpu_ours / gib, cpu_peer / gib, "s", false);
  // Four slots beside one slot of our own client (the "peer" here is one slot).
  bench_print("http_4slots_vs_1slot_MiB_per_s", mib / best_four, mib / best_ours, "MiB/s", true);
  bench_print("http_4slots_vs_1slot_64MiBps_links_MiB_per_s", mib / four_limited, mib / 4 / one_limited, "MiB/s",
              true);
  bench_run("rm -rf " + dir, nullptr, nullptr);
  return 0;
}
